#pragma once

#include "PluginManager.h"
#include "ViewerOptions.h"

#include <QObject>
#include <QSize>
#include <QString>

#include <memory>

namespace velmora::qtapplication {
class QtApplication;
}

namespace velmora::viewer {

class ViewerApplication;
class ViewerWindow;

// One run of the viewer, set up and torn down in the order the host
// promises its plugins: application and window (registered as the
// QtApplication) before any plugin exists, plugins deleted before the window
// and the scene, libraries unloaded last.
class ViewerSession : public QObject
{
    Q_OBJECT

public:
    // Frames rendered before --screenshot saves its picture.
    static constexpr int screenshotFrame = 5;
    // The 3D view's size when none is asked for and the screen has room.
    static constexpr QSize defaultViewSize{1280, 720};

    explicit ViewerSession(ViewerOptions options);
    ~ViewerSession() override;

    // Loads the terrain, shows the window, loads and initializes the plugins
    // and starts the frames. False, with a message in error, when the
    // terrain cannot be loaded.
    bool start(QString& error);
    // Stops the frames and deletes the plugins; the destructor does the rest. Safe to call twice.
    void shutDown();
    // Shows the elevation model at path instead of the current terrain, as
    // --dem does, loading it on another thread behind a progress dialog whose
    // Cancel button stops the load; the camera goes to the new start view.
    // False leaves all as it was, with the reason in error, or error empty
    // when the user cancelled.
    bool openElevationModel(const QString& path, QString& error);

    ViewerApplication* application() const { return app.get(); }
    ViewerWindow* window() const { return mainWindow.get(); }
    PluginManager& pluginManager() { return plugins; }
    // Non-zero when saving the screenshot failed.
    int exitCode() const { return failure; }

signals:
    // --frames or --screenshot is done: the caller may quit.
    void finished();

private:
    void frameFinished(int count);
    void openChosenElevationModel(const QString& path);

    ViewerOptions options;
    // Declared first so it goes last: the libraries hold the code of everything plugins made.
    PluginManager plugins;
    std::unique_ptr<ViewerApplication> app;
    std::unique_ptr<ViewerWindow> mainWindow;
    std::unique_ptr<qtapplication::QtApplication> qtApp;
    bool done = false;
    int failure = 0;
};

} // namespace velmora::viewer
