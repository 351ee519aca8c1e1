#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

namespace velmora::viewer {

// What the user asked for on the command line.
struct ViewerOptions
{
    enum class Outcome { Run, ShowHelp, Error };

    // Elevation model to load instead of the built-in terrain; empty for the built-in one.
    QString demPath;
    // Folder the plugins are loaded from; empty for the default next to the executable.
    QString pluginDir;
    // Size of the 3D view in logical pixels; invalid for the default, which fits the screen.
    QSize viewSize;
    // Where to save a picture of the window after a few frames, in the format
    // its suffix names; empty for none.
    QString screenshotPath;
    // Frames to render before quitting; 0 runs until the window is closed.
    int frames = 0;

    // Parses arguments (the program name first, as in QCoreApplication::arguments).
    // On Outcome::Error, message says what was wrong; on Outcome::ShowHelp it
    // holds the help text. Sizes must be WxH with both sides in 64..8192;
    // frames must be a whole number >= 1; a screenshot's suffix must name a
    // format Qt writes; no option may be given twice. Needs a
    // QCoreApplication for the help text and the image formats.
    static Outcome parse(const QStringList& arguments, ViewerOptions& options, QString& message);
};

} // namespace velmora::viewer
