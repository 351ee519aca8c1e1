#include "ViewerOptions.h"
#include "ViewerSession.h"

#include <QApplication>
#include <QFont>

#include <cstdio>

namespace {

// Whether Qt's default platform would find no display and abort.
bool lacksDisplay()
{
    return qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
           qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char** argv)
{
    // The command line is checked before any window system is touched, so
    // help and refusals work where no display is reachable.
    velmora::viewer::ViewerOptions options;
    QString message;
    velmora::viewer::ViewerOptions::Outcome outcome;
    {
        QCoreApplication parsingApp(argc, argv);
        outcome = velmora::viewer::ViewerOptions::parse(QCoreApplication::arguments(), options, message);
    }
    switch (outcome) {
    case velmora::viewer::ViewerOptions::Outcome::ShowHelp:
        std::fputs(qPrintable(message), stdout);
        return 0;
    case velmora::viewer::ViewerOptions::Outcome::Error:
        std::fprintf(stderr, "velmora_viewer: %s\nUsage: velmora_viewer [options]; --help lists them.\n", qPrintable(message));
        return 2;
    case velmora::viewer::ViewerOptions::Outcome::Run:
        break;
    }
    if (lacksDisplay()) {
        std::fputs("velmora_viewer: no display to open a window on (DISPLAY is not set).\n", stderr);
        return 2;
    }

    QApplication qtApp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velmora_viewer"));
    // Plugin panels are dense forms with fixed maximum heights, laid out for a
    // compact desktop look; Fusion's taller group boxes and the default 10 pt
    // font squeeze their fields until digits are clipped.
    QApplication::setStyle(QStringLiteral("Windows"));
    QApplication::setFont(QFont(QStringLiteral("Liberation Sans"), 8));

    int exitCode = 0;
    {
        velmora::viewer::ViewerSession session(options);
        if (!session.start(message)) {
            std::fprintf(stderr, "velmora_viewer: %s\n", qPrintable(message));
            return 2;
        }
        QObject::connect(&session, &velmora::viewer::ViewerSession::finished, &qtApp, &QApplication::quit,
                         Qt::QueuedConnection);
        exitCode = QApplication::exec();
        if (exitCode == 0)
            exitCode = session.exitCode();
        session.shutDown();
    }
    return exitCode;
}
