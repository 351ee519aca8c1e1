#include "ViewerOptions.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QImageWriter>
#include <QRegularExpression>

namespace velmora::viewer {

namespace {
constexpr int minViewSide = 64;
constexpr int maxViewSide = 8192;

bool parseSize(const QString& text, QSize& size)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})[xX](\\d{1,5})$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return false;
    const int width = match.captured(1).toInt();
    const int height = match.captured(2).toInt();
    if (width < minViewSide || width > maxViewSide || height < minViewSide || height > maxViewSide)
        return false;
    size = QSize(width, height);
    return true;
}

// Whether Qt can write a picture in the format the file name's suffix names.
bool canWriteImage(const QString& path)
{
    const QByteArray suffix = QFileInfo(path).suffix().toLower().toLatin1();
    return !suffix.isEmpty() && QImageWriter::supportedImageFormats().contains(suffix);
}
} // namespace

ViewerOptions::Outcome ViewerOptions::parse(const QStringList& arguments, ViewerOptions& options, QString& message)
{
    QCommandLineParser parser;
    // -size means --size, as users of other X programs type it, not -s -i -z -e.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral("Shows terrain in 3D and hosts the Velmora plugins."));
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Shows this help."));
    const QCommandLineOption demOption(QStringLiteral("dem"),
                                       QStringLiteral("Loads the elevation model <file> (GeoTIFF or any GDAL raster) "
                                                      "instead of the built-in terrain."),
                                       QStringLiteral("file"));
    const QCommandLineOption pluginsOption(QStringLiteral("plugins"),
                                           QStringLiteral("Loads the plugins from <dir>."), QStringLiteral("dir"));
    const QCommandLineOption sizeOption(QStringLiteral("size"),
                                        QStringLiteral("Size of the 3D view in pixels, for example 1280x720 "
                                                       "(default: up to 1280x720, as the screen allows)."),
                                        QStringLiteral("WxH"));
    const QCommandLineOption screenshotOption(QStringLiteral("screenshot"),
                                              QStringLiteral("Saves a picture of the window to <file> (PNG, JPEG, ... "
                                                             "after its suffix) "
                                                             "after a few frames, then quits."),
                                              QStringLiteral("file"));
    const QCommandLineOption framesOption(QStringLiteral("frames"),
                                          QStringLiteral("Renders <n> frames, then quits."), QStringLiteral("n"));
    parser.addOptions({helpOption, demOption, pluginsOption, sizeOption, screenshotOption, framesOption});

    if (!parser.parse(arguments)) {
        message = parser.errorText();
        return Outcome::Error;
    }
    if (parser.isSet(helpOption)) {
        message = parser.helpText();
        return Outcome::ShowHelp;
    }
    if (!parser.positionalArguments().isEmpty()) {
        message = QStringLiteral("Unexpected argument: %1").arg(parser.positionalArguments().constFirst());
        return Outcome::Error;
    }
    // A second value would silently win over the first.
    for (const QCommandLineOption& option : {demOption, pluginsOption, sizeOption, screenshotOption, framesOption}) {
        if (parser.values(option).size() > 1) {
            message = QStringLiteral("--%1 is given more than once.").arg(option.names().constFirst());
            return Outcome::Error;
        }
    }

    ViewerOptions parsed;
    parsed.demPath = parser.value(demOption);
    parsed.pluginDir = parser.value(pluginsOption);
    parsed.screenshotPath = parser.value(screenshotOption);
    if (parser.isSet(demOption) && parsed.demPath.isEmpty()) {
        message = QStringLiteral("--dem needs a file name.");
        return Outcome::Error;
    }
    if (parser.isSet(screenshotOption) && !canWriteImage(parsed.screenshotPath)) {
        message = QStringLiteral("--screenshot needs a file name ending in an image type (.png, .jpg, .bmp, ...), "
                                 "not \"%1\".")
                      .arg(parsed.screenshotPath);
        return Outcome::Error;
    }
    if (parser.isSet(sizeOption) && !parseSize(parser.value(sizeOption), parsed.viewSize)) {
        message = QStringLiteral("--size wants WxH with both sides from %1 to %2 pixels, not \"%3\".")
                      .arg(minViewSide)
                      .arg(maxViewSide)
                      .arg(parser.value(sizeOption));
        return Outcome::Error;
    }
    if (parser.isSet(framesOption)) {
        bool ok = false;
        parsed.frames = parser.value(framesOption).toInt(&ok);
        if (!ok || parsed.frames < 1) {
            message = QStringLiteral("--frames wants a whole number of at least 1, not \"%1\".")
                          .arg(parser.value(framesOption));
            return Outcome::Error;
        }
    }
    options = parsed;
    return Outcome::Run;
}

} // namespace velmora::viewer
