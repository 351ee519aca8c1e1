#include "ViewerTestPlugins.h"

#include <QColor>
#include <QImage>
#include <QImageReader>
#include <QLocale>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using velmora::testing::ViewerTestPlugins;

namespace {
constexpr int startTimeoutMs = 20000;
const QSize viewSize(1280, 720);

// Sky blue as the viewer clears to, give or take rounding.
bool isSky(QRgb pixel)
{
    return std::abs(qRed(pixel) - 135) <= 3 && std::abs(qGreen(pixel) - 186) <= 3 && std::abs(qBlue(pixel) - 235) <= 3;
}
} // namespace

class TestViewerProcess : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        QString error;
        QVERIFY2(ViewerTestPlugins::populate(pluginDir, error), qPrintable(error));
    }

    void exitCodes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("display");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("help") << QStringList{"--help"} << true << 0;
        QTest::newRow("frames, then a clean exit") << QStringList{"--frames", "30", "--size", "480x300"} << true << 0;
        // The picture is written in the format its name says.
        QTest::newRow("JPEG screenshot") << QStringList{"--screenshot", outputDir.filePath("view.jpg"), "--size", "320x200"}
                                         << true << 0;
        // Refusals tell the user why; the parsing and the DEM reasons are checked without a process.
        QTest::newRow("missing DEM") << QStringList{"--dem", "/nonexistent/terrain.tif", "--frames", "1"} << true << 2;
        // Qt would abort with its platform message before the options were read.
        QTest::newRow("unknown option, no display") << QStringList{"--bogus"} << false << 2;
        QTest::newRow("no display") << QStringList{"--frames", "1"} << false << 2;
    }

    void exitCodes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, display);
        QFETCH(int, exitCode);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!display)
            for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
                environment.remove(name);
        const Result result = run(QStringList{"--plugins", pluginDir.path()} + arguments, environment);
        QVERIFY2(result.exitCode == exitCode, result.err.constData());
        QCOMPARE(result.status, QProcess::NormalExit);
        if (exitCode == 2)
            QVERIFY2(!result.err.trimmed().isEmpty(), "the user is told why");
        if (arguments.first() == "--help")
            QVERIFY(result.out.contains("--screenshot"));
        if (arguments.first() == "--screenshot")
            QCOMPARE(QImageReader::imageFormat(arguments[1]), QByteArray("jpeg"));
    }

    void screenshotShowsTerrainAndDialogs()
    {
        const QString file = outputDir.filePath(QStringLiteral("viewer.png"));
        const Result result = run({"--plugins", pluginDir.path(), "--screenshot", file, "--size", "1280x720"});
        QVERIFY2(result.exitCode == 0, result.err.constData());
        QImage image(file);
        QVERIFY(!image.isNull());
        image = image.convertToFormat(QImage::Format_RGB32);
        // The plugin list is docked at the left, the menu bar above, the status bar below the view.
        const QRect view(image.width() - viewSize.width(), image.height() - viewSize.height() - 20, viewSize.width(),
                         viewSize.height());
        // Below the middle, left of the dialogs: lit, varied terrain; sky in the top left corner.
        const QRect terrain(view.left() + view.width() / 4, view.center().y(), view.width() / 4, view.height() / 3);
        QVERIFY2(share(image, terrain, [](QRgb pixel) { return !isSky(pixel); }) > 0.9, "terrain below the middle");
        QSet<QRgb> colours;
        for (int y = terrain.top(); y < terrain.bottom(); y += 3)
            for (int x = terrain.left(); x < terrain.right(); x += 3)
                colours.insert(image.pixel(x, y));
        QVERIFY2(colours.size() > 50, "the relief is shaded, not flat");
        QVERIFY(isSky(image.pixel(view.left() + 10, view.top() + 10)));
        // The recorder's magenta panel floats in the upper half; the Compass dialog, when built, at the right edge.
        const QRect upperHalf(view.topLeft(), QSize(view.width(), view.height() / 2));
        QVERIFY2(share(image, upperHalf, [](QRgb pixel) { return pixel == QColor(Qt::magenta).rgb(); }) * upperHalf.width() *
                         upperHalf.height() > 150 * 80, "the recording plugin's dialog is shown");
        const QRect rightEdge(view.right() - 150, view.top() + 40, 130, 160);
        QVERIFY2(!ViewerTestPlugins::hasCompassPlugin() ||
                     share(image, rightEdge, [](QRgb pixel) { return qGray(pixel) > 200 && !isSky(pixel); }) > 0.5,
                 "the Compass dialog is shown at the right");
    }

private:
    struct Result
    {
        int exitCode = -1;
        QProcess::ExitStatus status = QProcess::CrashExit;
        QByteArray out;
        QByteArray err;
    };

    // The share of the pixels in rect that pass.
    template <typename Test>
    static double share(const QImage& image, const QRect& rect, Test passes)
    {
        int count = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x)
                count += passes(image.pixel(x, y)) ? 1 : 0;
        return double(count) / (rect.width() * rect.height());
    }

    Result run(const QStringList& arguments,
               const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(VELMORA_VIEWER_EXE), arguments);
        Result result;
        if (!process.waitForFinished(startTimeoutMs)) {
            process.kill();
            process.waitForFinished();
            result.err = "the viewer did not finish in time";
            return result;
        }
        result.exitCode = process.exitCode();
        result.status = process.exitStatus();
        result.out = process.readAllStandardOutput();
        result.err = process.readAllStandardError();
        return result;
    }

    QTemporaryDir pluginDir;
    QTemporaryDir outputDir;
};

QTEST_GUILESS_MAIN(TestViewerProcess)
#include "tst_viewerprocess.moc"
