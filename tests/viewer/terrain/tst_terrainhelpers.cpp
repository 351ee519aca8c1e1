#include "ElevationColorRamp.h"
#include "GridSampling.h"
#include "SyntheticRelief.h"

#include <QLocale>
#include <QtTest>

#include <algorithm>
#include <cmath>

using velmora::viewer::ElevationColorRamp;
using velmora::viewer::GridSampling;
using velmora::viewer::SyntheticRelief;

class TestTerrainHelpers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void rampColours_data()
    {
        QTest::addColumn<double>("lowest");
        QTest::addColumn<double>("highest");
        QTest::addColumn<double>("elevation");
        QTest::addColumn<bool>("snow"); // else lowland green

        // The ends of the ramp are what a reader of the map keys on.
        QTest::newRow("lowest is green") << 500.0 << 4300.0 << 500.0 << false;
        // The ramp is relative: a low-lying DEM still gets its snowy top.
        QTest::newRow("low hills reach snow at their top") << -5.0 << 45.0 << 45.0 << true;
        // A stray value far outside the range clamps to an end instead of
        // extrapolating to colours that do not exist.
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

        const osg::Vec4 colour = ElevationColorRamp(lowest, highest).colorAt(elevation);
        QCOMPARE(colour.a(), 1.0f);
        for (int i = 0; i < 3; ++i) {
            QVERIFY(colour[i] >= 0.0f && colour[i] <= 1.0f);
        }
        if (snow) {
            QVERIFY2(colour.r() > 0.95f && colour.g() > 0.95f && colour.b() > 0.95f, "peaks should be white");
        } else {
            QVERIFY2(colour.g() > colour.r() && colour.g() > colour.b(), "lowlands should be green");
        }
    }

    void sampling_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("stride"); // at most 1024 vertices a side
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");

        QTest::newRow("exactly at the limit, every pixel") << 1024 << 1024 << 1 << 1024 << 1024;
        // One pixel over must thin, or the limit is not a limit.
        QTest::newRow("one over the limit") << 1025 << 10 << 2 << 513 << 6;
        // The longer side decides, and the same stride applies to both so
        // pixels stay square.
        QTest::newRow("long strip") << 10000 << 300 << 10 << 1001 << 31;
        // An exact division would land one vertex over the limit without the
        // extra step (2047 / 2 + 1 = 1024 plus the kept last pixel).
        QTest::newRow("last pixel pushes over") << 2048 << 2048 << 3 << 684 << 684;
    }
    void sampling()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, stride);
        QFETCH(int, columns);
        QFETCH(int, rows);

        const GridSampling sampling(width, height, 1024);
        QCOMPARE(sampling.stride(), stride);
        QCOMPARE(sampling.columns(), columns);
        QCOMPARE(sampling.rows(), rows);
        // The mesh must reach the raster's far edges.
        QCOMPARE(sampling.pixelColumn(0), 0);
        QCOMPARE(sampling.pixelColumn(columns - 1), width - 1);
        QCOMPARE(sampling.pixelRow(rows - 1), height - 1);
        // Strictly increasing: a repeated pixel would make a degenerate row of
        // triangles.
        QVERIFY(sampling.pixelColumn(columns - 2) < sampling.pixelColumn(columns - 1));
    }

    void syntheticRelief()
    {
        // The built-in terrain must look the same in every session, so a
        // bookmarked place keeps its height; the seed changes it.
        const SyntheticRelief relief(1);
        const SyntheticRelief again(1);
        const SyntheticRelief other(8);
        bool differs = false;
        double lowest = 1e9;
        double highest = -1e9;
        double summitDistance = 0.0;
        for (double east = -10000.0; east <= 10000.0; east += 50.0) {
            for (double north = -10000.0; north <= 10000.0; north += 50.0) {
                const double h = relief.heightAt(east, north);
                QCOMPARE(again.heightAt(east, north), h);
                differs = differs || other.heightAt(east, north) != h;
                lowest = std::min(lowest, h);
                if (h > highest) {
                    highest = h;
                    summitDistance = std::hypot(east, north);
                }
            }
        }
        QVERIFY2(differs, "the seed should change the relief");
        // A Rainier-like landscape: valleys above 500 m, a summit near 4300 m,
        // and a range wide enough for every band of the colour ramp.
        QVERIFY2(lowest >= 500.0, qPrintable(QString::number(lowest)));
        QVERIFY2(highest <= 4300.0, qPrintable(QString::number(highest)));
        QVERIFY2(highest - lowest >= 2500.0, qPrintable(QString::number(highest - lowest)));
        // The summit is the central peak, within 2 km of the origin.
        QVERIFY2(summitDistance <= 2000.0, qPrintable(QString::number(summitDistance)));
    }
};

QTEST_APPLESS_MAIN(TestTerrainHelpers)
#include "tst_terrainhelpers.moc"
