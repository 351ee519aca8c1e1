#include "ViewerOptions.h"
#include "ViewerSession.h"

#include <QApplication>
#include <QFont>

#include <cstdio>
#include <cstring>

namespace {

bool asksForHelp(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0)
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    // Help must work where no display is reachable, so it needs no GUI.
    if (asksForHelp(argc, argv)) {
        QCoreApplication helpApp(argc, argv);
        velmora::viewer::ViewerOptions options;
        QString message;
        velmora::viewer::ViewerOptions::parse(QCoreApplication::arguments(), options, message);
        std::fputs(qPrintable(message), stdout);
        return 0;
    }

    QApplication qtApp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velmora_viewer"));
    // Plugin panels are dense forms with fixed maximum heights, laid out for a
    // compact desktop look; Fusion's taller group boxes and the default 10 pt
    // font squeeze their fields until digits are clipped.
    QApplication::setStyle(QStringLiteral("Windows"));
    QApplication::setFont(QFont(QStringLiteral("Liberation Sans"), 8));

    velmora::viewer::ViewerOptions options;
    QString message;
    switch (velmora::viewer::ViewerOptions::parse(QApplication::arguments(), options, message)) {
    case velmora::viewer::ViewerOptions::Outcome::ShowHelp:
        std::fputs(qPrintable(message), stdout);
        return 0;
    case velmora::viewer::ViewerOptions::Outcome::Error:
        std::fprintf(stderr, "velmora_viewer: %s\nTry --help.\n", qPrintable(message));
        return 2;
    case velmora::viewer::ViewerOptions::Outcome::Run:
        break;
    }

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
