#include <velmora/terrain/TerrainManager.h>

#include <QLocale>
#include <QtTest>

#include <cmath>
#include <limits>

using gmtl::Vec3d;
using velmora::terrain::TerrainManager;

Q_DECLARE_METATYPE(Vec3d)

namespace {

// WGS84 semi-major axis, NIMA TR8350.2.
const double wgs84A = 6378137.0;

QString mismatch(double actual, double expected)
{
    return QStringLiteral("got %1, expected %2").arg(actual, 0, 'f', 9).arg(expected, 0, 'f', 9);
}

} // namespace

#define VERIFY_NEAR(actual, expected, tolerance) \
    QVERIFY2(qAbs((actual) - (expected)) < (tolerance), qPrintable(mismatch((actual), (expected))))

class TestTerrainManager : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void frame_data()
    {
        QTest::addColumn<double>("latitude");
        QTest::addColumn<double>("longitude");
        QTest::addColumn<double>("height");
        // Latitude and longitude differ, so swapping them would show.
        QTest::newRow("Stavanger, 50 m up") << 58.97 << 5.73 << 50.0;
        QTest::newRow("next to the antimeridian") << 65.0 << -179.99 << 0.0;
    }

    void frame()
    {
        QFETCH(double, latitude);
        QFETCH(double, longitude);
        QFETCH(double, height);
        osg::ref_ptr<TerrainManager> terrain = TerrainManager::instance();
        terrain->setOrigin(latitude, longitude, height);

        // The origin is the frame's (0, 0, 0); convertGdcToTerrainLocal reads latitude first.
        Vec3d local;
        terrain->convertGdcToTerrainLocal(Vec3d(latitude, longitude, height), local);
        for (unsigned i = 0; i < 3; ++i)
            VERIFY_NEAR(local[i], 0.0, 0.001);

        // convertTerrainLocalToGdc writes longitude first: element 1 is the latitude.
        Vec3d gdc;
        terrain->convertTerrainLocalToGdc(Vec3d(0.0, 0.0, 0.0), gdc);
        VERIFY_NEAR(gdc[0], longitude, 1e-9);
        VERIFY_NEAR(gdc[1], latitude, 1e-9);
        VERIFY_NEAR(gdc[2], height, 0.001);

        // y is north: a point a little north of the origin has positive y and about no x.
        terrain->convertGdcToTerrainLocal(Vec3d(latitude + 0.001, longitude, height), local);
        QVERIFY2(local[1] > 100.0 && qAbs(local[0]) < 0.01, qPrintable(mismatch(local[1], 111.0)));
        terrain->convertTerrainLocalToGdc(Vec3d(0.0, 1000.0, 0.0), gdc);
        QVERIFY(gdc[1] > latitude);

        // Local -> geocentric -> local, and local -> geodetic -> local, both to 1 mm.
        const Vec3d point(1234.5, -2345.25, 321.0);
        Vec3d gcc, back;
        terrain->convertTerrainLocalToGcc(point, gcc);
        terrain->convertGccToTerrainLocal(gcc, back);
        for (unsigned i = 0; i < 3; ++i)
            VERIFY_NEAR(back[i], point[i], 0.001);
        terrain->convertTerrainLocalToGdc(point, gdc);
        terrain->convertGdcToTerrainLocal(Vec3d(gdc[1], gdc[0], gdc[2]), back);
        for (unsigned i = 0; i < 3; ++i)
            VERIFY_NEAR(back[i], point[i], 0.001);
    }

    void outOfDomainGivesNaN_data()
    {
        QTest::addColumn<int>("conversion");
        QTest::addColumn<Vec3d>("input");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        // 0: GDC to local, 1: local to GCC, 2: GCC to local, 3: local to GDC.
        QTest::newRow("latitude 200") << 0 << Vec3d(200.0, 10.0, 0.0);
        QTest::newRow("NaN longitude") << 0 << Vec3d(45.0, nan, 0.0);
        QTest::newRow("infinite local x") << 1 << Vec3d(inf, 0.0, 0.0);
        QTest::newRow("NaN geocentric z") << 2 << Vec3d(wgs84A, 0.0, nan);
        QTest::newRow("NaN local height") << 3 << Vec3d(0.0, 0.0, nan);
    }

    void outOfDomainGivesNaN()
    {
        QFETCH(int, conversion);
        QFETCH(Vec3d, input);
        osg::ref_ptr<TerrainManager> terrain = TerrainManager::instance();
        terrain->setOrigin(46.85, -121.76, 1500.0);
        Vec3d output(1.0, 2.0, 3.0);
        switch (conversion) {
        case 0: terrain->convertGdcToTerrainLocal(input, output); break;
        case 1: terrain->convertTerrainLocalToGcc(input, output); break;
        case 2: terrain->convertGccToTerrainLocal(input, output); break;
        default: terrain->convertTerrainLocalToGdc(input, output); break;
        }
        // No stale or made-up number may survive: every element says "no value".
        for (unsigned i = 0; i < 3; ++i)
            QVERIFY2(std::isnan(output[i]), qPrintable(QStringLiteral("element %1 is %2").arg(i).arg(output[i])));
    }

    void earthCentreIsAPointLikeAnyOther()
    {
        // The centre has no geodetic direction of its own, yet as a local point
        // it must come out where it is: one equatorial radius below an origin on
        // the equator.
        osg::ref_ptr<TerrainManager> terrain = TerrainManager::instance();
        terrain->setOrigin(0.0, 0.0, 0.0);
        Vec3d local;
        terrain->convertGccToTerrainLocal(Vec3d(0.0, 0.0, 0.0), local);
        VERIFY_NEAR(local[0], 0.0, 0.001);
        VERIFY_NEAR(local[1], 0.0, 0.001);
        VERIFY_NEAR(local[2], -wgs84A, 0.001);
    }

    void geocentricAtNullIsland()
    {
        // With the origin at latitude 0, longitude 0, up is geocentric x: the points lie at
        // the equatorial radius (WGS84 definition) plus their height, east is geocentric y.
        osg::ref_ptr<TerrainManager> terrain = TerrainManager::instance();
        terrain->setOrigin(0.0, 0.0, 0.0);
        Vec3d gcc;
        terrain->convertTerrainLocalToGcc(Vec3d(0.0, 0.0, 100.0), gcc);
        VERIFY_NEAR(gcc[0], wgs84A + 100.0, 0.001);
        VERIFY_NEAR(gcc[1], 0.0, 0.001);
        VERIFY_NEAR(gcc[2], 0.0, 0.001);
        Vec3d local;
        terrain->convertGccToTerrainLocal(Vec3d(wgs84A, 0.0, 0.0), local);
        for (unsigned i = 0; i < 3; ++i)
            VERIFY_NEAR(local[i], 0.0, 0.001);
    }
};

QTEST_APPLESS_MAIN(TestTerrainManager)
#include "tst_terrainmanager.moc"
