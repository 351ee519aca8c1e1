#include "DevicePixelMapping.h"
#include "GridSampling.h"
#include "ViewerOptions.h"

#include <QLocale>
#include <QTest>

#include <cmath>

using namespace velmora::viewer;

Q_DECLARE_METATYPE(ViewerOptions::Outcome)

// The viewer's pure helpers: command line, plugin metadata, device pixels, terrain sampling and colours.
class TestViewerHelpers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<ViewerOptions::Outcome>("outcome");
        QTest::addColumn<QString>("dem");
        QTest::addColumn<QString>("plugins");
        QTest::addColumn<QSize>("size"); // invalid: fit the screen
        QTest::addColumn<QString>("screenshot");
        QTest::addColumn<int>("frames");
        const auto run = ViewerOptions::Outcome::Run;
        QTest::newRow("everything") << QStringList{"--dem", "a.tif", "--plugins", "/p", "--size", "800x600",
                                                   "--screenshot", "s.png", "--frames", "30"}
                                    << run << "a.tif" << "/p" << QSize(800, 600) << "s.png" << 30;
        // Not -s -i -z -e, as Qt's parser reads a single dash by default.
        QTest::newRow("single dash, capital X") << QStringList{"-size", "640X480"} << run << "" << "" << QSize(640, 480)
                                                << "" << 0;
        const auto refused = [](const char* name, const QStringList& arguments) {
            QTest::newRow(name) << arguments << ViewerOptions::Outcome::Error << "" << "" << QSize() << "" << 0;
        };
        refused("unknown option", {"--colour"});
        refused("size without x", {"--size", "800"});
        refused("size too small", {"--size", "10x10"});
        refused("frames zero", {"--frames", "0"});
        refused("stray argument", {"terrain.tif"});
        // The first would be silently dropped.
        refused("dem twice", {"--dem", "a.tif", "--dem", "b.tif"});
        // No format to write it in: the picture would not be what its name says.
        refused("screenshot without image suffix", {"--screenshot", "view.txt"});
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(ViewerOptions::Outcome, outcome);
        ViewerOptions options;
        QString message;
        QCOMPARE(ViewerOptions::parse(QStringList{"velmora_viewer"} + arguments, options, message), outcome);
        if (outcome == ViewerOptions::Outcome::Error) {
            QVERIFY2(!message.isEmpty(), "an error says what is wrong");
            return;
        }
        QTEST(options.demPath, "dem");
        QTEST(options.pluginDir, "plugins");
        QTEST(options.viewSize, "size");
        QTEST(options.screenshotPath, "screenshot");
        QTEST(options.frames, "frames");
    }

    void devicePixels_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QPointF>("logical"); // in a 100 x 50 logical view
        QTest::addColumn<QSize>("physicalSize");
        QTest::addColumn<QPointF>("glWindow"); // exact binary fractions: compared exactly
        // The y axis turns over: the bottom row is GL's first.
        QTest::newRow("ratio 1, bottom right") << 1.0 << QPointF(99, 49) << QSize(100, 50) << QPointF(99.5, 0.5);
        // A fractional ratio must not be truncated.
        QTest::newRow("ratio 1.5") << 1.5 << QPointF(3, 4) << QSize(150, 75) << QPointF(4.5, 68.5);
        QTest::newRow("ratio 0 taken as 1") << 0.0 << QPointF(7, 8) << QSize(100, 50) << QPointF(7.5, 41.5);
    }
    void devicePixels()
    {
        QFETCH(double, ratio);
        QFETCH(QPointF, logical);
        const DevicePixelMapping mapping(ratio, QSize(100, 50));
        QTEST(mapping.physicalSize(), "physicalSize");
        QTEST(mapping.toGlWindow(logical), "glWindow");
    }

    void sampling_data()
    {
        QTest::addColumn<QSize>("raster");
        QTest::addColumn<int>("stride"); // at most 1024 vertices a side
        QTest::addColumn<QSize>("vertices");
        QTest::newRow("exactly at the limit, every pixel") << QSize(1024, 1024) << 1 << QSize(1024, 1024);
        // One pixel over must thin, or the limit is not a limit.
        QTest::newRow("one over the limit") << QSize(1025, 10) << 2 << QSize(513, 6);
        // An exact division would land one vertex over the limit without the extra step.
        QTest::newRow("last pixel pushes over") << QSize(2048, 2048) << 3 << QSize(684, 684);
    }
    void sampling()
    {
        QFETCH(QSize, raster);
        QFETCH(QSize, vertices);
        const GridSampling sampling(raster.width(), raster.height(), 1024);
        QTEST(sampling.stride(), "stride");
        QCOMPARE(QSize(sampling.columns(), sampling.rows()), vertices);
        // The mesh reaches the raster's far edges, and no pixel repeats (a degenerate row of triangles).
        QCOMPARE(sampling.pixelColumn(0), 0);
        QCOMPARE(sampling.pixelColumn(vertices.width() - 1), raster.width() - 1);
        QCOMPARE(sampling.pixelRow(vertices.height() - 1), raster.height() - 1);
        QVERIFY(sampling.pixelColumn(vertices.width() - 2) < sampling.pixelColumn(vertices.width() - 1));
    }
};

QTEST_GUILESS_MAIN(TestViewerHelpers)
#include "tst_viewerhelpers.moc"
