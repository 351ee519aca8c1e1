#include "ElevationColorRamp.h"
#include "GridSampling.h"
#include "SyntheticRelief.h"

#include <QLocale>
#include <QtTest>

#include <algorithm>
#include <limits>

using velmora::viewer::ElevationColorRamp;
using velmora::viewer::GridSampling;
using velmora::viewer::SyntheticRelief;

class TestTerrainHelpers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void rampColours_data();
    void rampColours();

    void sampling_data();
    void sampling();

    void reliefIsRepeatable();
    void reliefStaysInItsHeightBand();
};

void TestTerrainHelpers::initTestCase()
{
    QLocale::setDefault(QLocale::c());
}

namespace {

enum class Tint { LowlandGreen, Snow };

} // namespace
Q_DECLARE_METATYPE(Tint)

void TestTerrainHelpers::rampColours_data()
{
    QTest::addColumn<double>("lowest");
    QTest::addColumn<double>("highest");
    QTest::addColumn<double>("elevation");
    QTest::addColumn<Tint>("tint");

    // The ends of the ramp are what a reader of the map keys on.
    QTest::newRow("lowest is green") << 500.0 << 4300.0 << 500.0 << Tint::LowlandGreen;
    QTest::newRow("highest is snow") << 500.0 << 4300.0 << 4300.0 << Tint::Snow;
    // Filled nodata or float noise can fall just outside the range.
    QTest::newRow("below the range clamps to green") << 500.0 << 4300.0 << -50.0 << Tint::LowlandGreen;
    QTest::newRow("above the range clamps to snow") << 500.0 << 4300.0 << 8848.0 << Tint::Snow;
    // A perfectly flat DEM has no range; it must not divide by zero.
    QTest::newRow("flat terrain is lowland") << 120.0 << 120.0 << 120.0 << Tint::LowlandGreen;
    // The ramp is relative: a low-lying DEM still gets its snowy top.
    QTest::newRow("low hills reach snow at their top") << -5.0 << 45.0 << 45.0 << Tint::Snow;
}

void TestTerrainHelpers::rampColours()
{
    QFETCH(double, lowest);
    QFETCH(double, highest);
    QFETCH(double, elevation);
    QFETCH(Tint, tint);

    const osg::Vec4 colour = ElevationColorRamp(lowest, highest).colorAt(elevation);
    QCOMPARE(colour.a(), 1.0f);
    for (int i = 0; i < 3; ++i) {
        QVERIFY(colour[i] >= 0.0f && colour[i] <= 1.0f);
    }
    if (tint == Tint::LowlandGreen) {
        QVERIFY2(colour.g() > colour.r() && colour.g() > colour.b(), "lowlands should be green");
    } else {
        QVERIFY2(colour.r() > 0.95f && colour.g() > 0.95f && colour.b() > 0.95f, "peaks should be white");
    }
}

void TestTerrainHelpers::sampling_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("maxVertices");
    QTest::addColumn<int>("stride");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");

    // Small rasters keep every pixel.
    QTest::newRow("small raster, every pixel") << 5 << 4 << 1024 << 1 << 5 << 4;
    QTest::newRow("exactly at the limit") << 1024 << 1024 << 1024 << 1 << 1024 << 1024;
    // One pixel over must thin, or the limit is not a limit.
    QTest::newRow("one over the limit") << 1025 << 10 << 1024 << 2 << 513 << 6;
    // SRTM 1-arc-second tile: the last row and column are kept besides the
    // multiples of the stride.
    QTest::newRow("srtm 3601 square") << 3601 << 3601 << 1024 << 4 << 901 << 901;
    // The longer side decides, and the same stride applies to both so
    // pixels stay square.
    QTest::newRow("long strip") << 10000 << 300 << 1024 << 10 << 1001 << 31;
    // An exact division would land one vertex over the limit without the
    // extra step (2047 / 2 + 1 = 1024 plus the kept last pixel).
    QTest::newRow("last pixel pushes over") << 2048 << 2048 << 1024 << 3 << 684 << 684;
}

void TestTerrainHelpers::sampling()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, maxVertices);
    QFETCH(int, stride);
    QFETCH(int, columns);
    QFETCH(int, rows);

    const GridSampling sampling(width, height, maxVertices);
    QCOMPARE(sampling.stride(), stride);
    QCOMPARE(sampling.columns(), columns);
    QCOMPARE(sampling.rows(), rows);
    QVERIFY(sampling.columns() <= maxVertices && sampling.rows() <= maxVertices);
    // The mesh must reach the raster's far edges.
    QCOMPARE(sampling.pixelColumn(0), 0);
    QCOMPARE(sampling.pixelColumn(columns - 1), width - 1);
    QCOMPARE(sampling.pixelRow(rows - 1), height - 1);
    // Strictly increasing: a repeated pixel would make a degenerate row of
    // triangles.
    QVERIFY(sampling.pixelColumn(columns - 2) < sampling.pixelColumn(columns - 1));
}

void TestTerrainHelpers::reliefIsRepeatable()
{
    // The built-in terrain must look the same in every session, so a
    // bookmarked place keeps its height.
    const SyntheticRelief first(7);
    const SyntheticRelief second(7);
    const SyntheticRelief other(8);
    bool differs = false;
    for (double east = -10000.0; east <= 10000.0; east += 1234.5) {
        for (double north = -10000.0; north <= 10000.0; north += 987.6) {
            QCOMPARE(first.heightAt(east, north), second.heightAt(east, north));
            differs = differs || first.heightAt(east, north) != other.heightAt(east, north);
        }
    }
    QVERIFY2(differs, "the seed should change the relief");
}

void TestTerrainHelpers::reliefStaysInItsHeightBand()
{
    const SyntheticRelief relief(1);
    double lowest = std::numeric_limits<double>::infinity();
    double highest = -lowest;
    double highestEast = 0.0;
    double highestNorth = 0.0;
    for (double east = -10000.0; east <= 10000.0; east += 50.0) {
        for (double north = -10000.0; north <= 10000.0; north += 50.0) {
            const double h = relief.heightAt(east, north);
            lowest = std::min(lowest, h);
            if (h > highest) {
                highest = h;
                highestEast = east;
                highestNorth = north;
            }
        }
    }
    // A Rainier-like landscape: valleys above 500 m, a summit near 4300 m,
    // and a range wide enough for every band of the colour ramp.
    QVERIFY2(lowest >= 500.0, qPrintable(QString::number(lowest)));
    QVERIFY2(highest <= 4300.0, qPrintable(QString::number(highest)));
    QVERIFY2(highest - lowest >= 2500.0, qPrintable(QString::number(highest - lowest)));
    // The summit is the central peak, within 2 km of the origin.
    QVERIFY(std::hypot(highestEast, highestNorth) <= 2000.0);
}

QTEST_APPLESS_MAIN(TestTerrainHelpers)
#include "tst_terrainhelpers.moc"
