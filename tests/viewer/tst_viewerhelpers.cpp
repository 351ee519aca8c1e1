#include "DevicePixelMapping.h"
#include "ElevationColorRamp.h"
#include "GridSampling.h"
#include "PluginMetadata.h"
#include "SyntheticRelief.h"
#include "ViewerOptions.h"

#include <QJsonObject>
#include <QLocale>
#include <QTest>

#include <algorithm>
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
        QTest::newRow("no arguments") << QStringList{} << run << "" << "" << QSize() << "" << 0;
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
        refused("dem without file", {"--dem"});
        refused("size without x", {"--size", "800"});
        refused("size too small", {"--size", "10x10"});
        refused("frames zero", {"--frames", "0"});
        refused("frames not a number", {"--frames", "many"});
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

    void pluginMetadata_data()
    {
        QTest::addColumn<QJsonObject>("metaData");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("velmora plugin") << QJsonObject{{"IID", "org.velmora.WidgetPlugin/1.0"}} << true;
        // A prefix is not enough: the version belongs to the interface.
        QTest::newRow("other version") << QJsonObject{{"IID", "org.velmora.WidgetPlugin/2.0"}} << false;
        QTest::newRow("no Qt plugin") << QJsonObject{} << false;
    }
    void pluginMetadata()
    {
        QFETCH(QJsonObject, metaData);
        QFETCH(bool, accepted);
        const PluginMetadata metadata(metaData);
        QCOMPARE(metadata.isWidgetPlugin(), accepted);
        QCOMPARE(metadata.rejectionReason().isEmpty(), accepted);
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

    void rampColours_data()
    {
        QTest::addColumn<double>("lowest");
        QTest::addColumn<double>("highest");
        QTest::addColumn<double>("elevation");
        QTest::addColumn<bool>("snow"); // else lowland green
        QTest::newRow("lowest is green") << 500.0 << 4300.0 << 500.0 << false;
        // The ramp is relative: a low-lying DEM still gets its snowy top.
        QTest::newRow("low hills reach snow at their top") << -5.0 << 45.0 << 45.0 << true;
        // A stray value far outside the range clamps to an end instead of extrapolating.
        QTest::newRow("far below the range clamps to green") << 500.0 << 4300.0 << -3000.0 << false;
        // A perfectly flat DEM has no range; it must not divide by zero.
        QTest::newRow("flat terrain is lowland") << 120.0 << 120.0 << 120.0 << false;
    }
    void rampColours()
    {
        QFETCH(double, lowest);
        QFETCH(double, highest);
        QFETCH(double, elevation);
        QFETCH(bool, snow);
        const osg::Vec4 c = ElevationColorRamp(lowest, highest).colorAt(elevation);
        QVERIFY(c.a() == 1.0f && std::min({c.r(), c.g(), c.b()}) >= 0.0f && std::max({c.r(), c.g(), c.b()}) <= 1.0f);
        QVERIFY(snow ? std::min({c.r(), c.g(), c.b()}) > 0.95f : c.g() > c.r() && c.g() > c.b());
    }

    void sampling_data()
    {
        QTest::addColumn<QSize>("raster");
        QTest::addColumn<int>("stride"); // at most 1024 vertices a side
        QTest::addColumn<QSize>("vertices");
        QTest::newRow("exactly at the limit, every pixel") << QSize(1024, 1024) << 1 << QSize(1024, 1024);
        // One pixel over must thin, or the limit is not a limit.
        QTest::newRow("one over the limit") << QSize(1025, 10) << 2 << QSize(513, 6);
        // The longer side decides, and one stride applies to both so pixels stay square.
        QTest::newRow("long strip") << QSize(10000, 300) << 10 << QSize(1001, 31);
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

    void syntheticRelief()
    {
        // The built-in terrain looks the same in every session, so a bookmarked place keeps its height.
        const SyntheticRelief relief(1), again(1), other(8);
        bool differs = false;
        double lowest = 1e9, highest = -1e9, summitDistance = 0.0;
        for (double east = -10000.0; east <= 10000.0; east += 50.0)
            for (double north = -10000.0; north <= 10000.0; north += 50.0) {
                const double h = relief.heightAt(east, north);
                QCOMPARE(again.heightAt(east, north), h);
                differs = differs || other.heightAt(east, north) != h;
                lowest = std::min(lowest, h);
                summitDistance = h > highest ? std::hypot(east, north) : summitDistance;
                highest = std::max(highest, h);
            }
        QVERIFY2(differs, "the seed should change the relief");
        // A Rainier-like landscape: valleys above 500 m, the central summit near 4300 m, every ramp band used.
        QVERIFY2(lowest >= 500.0 && highest <= 4300.0 && highest - lowest >= 2500.0 && summitDistance <= 2000.0,
                 qPrintable(QString("%1 to %2 m, summit %3 m out").arg(lowest).arg(highest).arg(summitDistance)));
    }
};

QTEST_GUILESS_MAIN(TestViewerHelpers)
#include "tst_viewerhelpers.moc"
