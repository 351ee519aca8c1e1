#include "ViewerTestPlugins.h"

#include <QColor>
#include <QImage>
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

    void helpExitsZero()
    {
        const Result result = run({QStringLiteral("--help")});
        QCOMPARE(result.exitCode, 0);
        QVERIFY(result.out.contains("--dem"));
        QVERIFY(result.out.contains("--screenshot"));
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("bad size") << QStringList{"--size", "5x5"};
        QTest::newRow("bad frames") << QStringList{"--frames", "soon"};
        QTest::newRow("unknown option") << QStringList{"--fly"};
        QTest::newRow("missing DEM") << QStringList{"--dem", "/nonexistent/terrain.tif"};
        QTest::newRow("DEM that is no raster") << QStringList{"--dem", QStringLiteral(VELMORA_VIEWER_EXE)};
    }

    void refusals()
    {
        QFETCH(QStringList, arguments);
        const Result result = run(QStringList{"--plugins", pluginDir.path(), "--frames", "1"} + arguments);
        QCOMPARE(result.exitCode, 2);
        QVERIFY2(!result.err.trimmed().isEmpty(), "the user is told why");
    }

    void framesThenCleanExit()
    {
        const Result result = run({"--plugins", pluginDir.path(), "--frames", "30", "--size", "480x300"});
        QVERIFY2(result.exitCode == 0, result.err.constData());
        QCOMPARE(result.status, QProcess::NormalExit);
    }

    void screenshotShowsTerrainAndDialogs()
    {
        const QString file = outputDir.filePath(QStringLiteral("viewer.png"));
        const Result result = run({"--plugins", pluginDir.path(), "--screenshot", file, "--size", "1280x720"});
        QVERIFY2(result.exitCode == 0, result.err.constData());
        QImage image(file);
        QVERIFY(!image.isNull());
        image = image.convertToFormat(QImage::Format_RGB32);
        // The plugin list is docked at the left; the 3D view fills the rest above the status bar.
        QVERIFY(image.width() > viewSize.width() && image.height() > viewSize.height());
        const QRect viewRect(image.width() - viewSize.width(), 0, viewSize.width(), viewSize.height());

        // Lower third of the view, left part (no dialogs there): lit, varied terrain.
        int terrain = 0;
        int samples = 0;
        QSet<QRgb> colours;
        for (int y = viewRect.top() + viewRect.height() * 2 / 3; y < viewRect.bottom(); y += 3)
            for (int x = viewRect.left(); x < viewRect.left() + viewRect.width() / 3; x += 3) {
                const QRgb pixel = image.pixel(x, y);
                ++samples;
                terrain += isSky(pixel) ? 0 : 1;
                colours.insert(pixel);
            }
        QVERIFY2(terrain > samples * 9 / 10, "terrain fills the lower view");
        QVERIFY2(colours.size() > 50, "the relief is shaded, not flat");
        // Sky above the horizon, in the top left corner.
        QVERIFY(isSky(image.pixel(viewRect.left() + 5, viewRect.top() + 5)));

        // The recorder's magenta panel floats in the upper part of the view.
        int magenta = 0;
        for (int y = viewRect.top(); y < viewRect.top() + viewRect.height() / 2; ++y)
            for (int x = viewRect.left(); x < viewRect.right(); ++x)
                magenta += image.pixel(x, y) == QColor(Qt::magenta).rgb() ? 1 : 0;
        QVERIFY2(magenta > 150 * 80, "the recording plugin's dialog is shown over the view");

        if (!ViewerTestPlugins::hasCompassPlugin())
            QSKIP("the compass plugin is not built in this tree");
        // The Compass dialog stands at the right edge: mostly light window background there.
        int panel = 0;
        int panelSamples = 0;
        for (int y = viewRect.top() + 40; y < viewRect.top() + 200; ++y)
            for (int x = viewRect.right() - 150; x < viewRect.right() - 20; ++x) {
                ++panelSamples;
                panel += qGray(image.pixel(x, y)) > 200 && !isSky(image.pixel(x, y)) ? 1 : 0;
            }
        QVERIFY2(panel > panelSamples / 2, "the Compass dialog is shown at the right");
    }

private:
    struct Result
    {
        int exitCode = -1;
        QProcess::ExitStatus status = QProcess::CrashExit;
        QByteArray out;
        QByteArray err;
    };

    Result run(const QStringList& arguments)
    {
        QProcess process;
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
