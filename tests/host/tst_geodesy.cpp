#include <velmora/terrain/TerrainManager.h>
#include <velmora/utility/CoordConverter.h>

#include <QLocale>
#include <QtTest>

#include <cmath>
#include <limits>

using gmtl::Vec3d;
using velmora::terrain::TerrainManager;
using velmora::utility::CoordConverter;

Q_DECLARE_METATYPE(Vec3d)

namespace {
const double noValue = std::numeric_limits<double>::quiet_NaN();
const double infinity = std::numeric_limits<double>::infinity();
// WGS84 semi-axes (NIMA TR8350.2).
const double wgs84A = 6378137.0;
const double wgs84B = 6356752.314245;
// 0.9996 (UTM central scale) times the WGS84 meridian arc from the equator to 45 degrees (4 984 944.378 m).
const double northing45 = 4982950.400;
} // namespace

#define VERIFY_NEAR(actual, expected, tolerance)        \
    QVERIFY2(qAbs((actual) - (expected)) < (tolerance), \
             qPrintable(QStringLiteral("got %1, expected %2").arg(actual, 0, 'f', 9).arg(expected, 0, 'f', 9)))
#define VERIFY_NEAR3(actual, expected, tolerance) \
    for (unsigned i = 0; i < 3; ++i)               \
    VERIFY_NEAR((actual)[i], (expected)[i], tolerance)

// The host's conversions: geocentric, geodetic, UTM/UPS and MGRS, and the terrain's local frame.
class TestGeodesy : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void gccToGdc_data()
    {
        QTest::addColumn<Vec3d>("gcc");
        QTest::addColumn<Vec3d>("gdc"); // latitude, longitude, height; NaN: every output must be NaN
        QTest::newRow("equator, 90W, 100 m up") << Vec3d(0, -(wgs84A + 100), 0) << Vec3d(0, -90, 100);
        // No direction is defined at the centre; the documented answer is the north pole's.
        QTest::newRow("earth centre") << Vec3d(0, 0, 0) << Vec3d(90, 0, -wgs84B);
        // A renderer's degenerate matrix feeds infinity; nothing must be invented.
        QTest::newRow("infinity") << Vec3d(infinity, 0, 0) << Vec3d(noValue, noValue, noValue);
        // Finite, but so far out that the height overflows: no half answer with an infinite height.
        QTest::newRow("height overflows") << Vec3d(0, -3.73e305, -std::numeric_limits<double>::max())
                                          << Vec3d(noValue, noValue, noValue);
    }
    void gccToGdc()
    {
        QFETCH(Vec3d, gcc);
        QFETCH(Vec3d, gdc);
        double lat, lon, h;
        CoordConverter::convertGccToGdc(gcc[0], gcc[1], gcc[2], lat, lon, h);
        if (std::isnan(gdc[0])) {
            QVERIFY(std::isnan(lat) && std::isnan(lon) && std::isnan(h));
            return;
        }
        VERIFY_NEAR(lat, gdc[0], 1e-9);
        VERIFY_NEAR(lon, gdc[1], 1e-9);
        VERIFY_NEAR(h, gdc[2], 0.001);
    }

    void gdcToUtm_data()
    {
        QTest::addColumn<double>("latitude");
        QTest::addColumn<double>("longitude");
        QTest::addColumn<uint>("zone"); // 0 with band '\0': refused, easting and northing NaN
        QTest::addColumn<char>("band");
        QTest::addColumn<double>("easting"); // NaN: not checked
        QTest::addColumn<double>("northing");
        const auto row = [](const char* name, double latitude, double longitude, uint zone, char band,
                            double easting = noValue, double northing = noValue) {
            QTest::newRow(name) << latitude << longitude << zone << band << easting << northing;
        };
        // Wikipedia's UTM article: the CN Tower is at 17T 630084 4833438 (whole metres).
        row("CN Tower", 43.642567, -79.387139, 17u, 'T', 630084.0, 4833438.0);
        // 500 km false easting; no false northing in the north, 10 000 km in the south.
        row("45S on 15E", -45.0, 15.0, 33u, 'G', 500000.0, 10e6 - northing45);
        // -1e-15 + 80 rounds to 80: the band must still say south, as the northing does.
        row("a hair south of the equator is band M", -1e-15, 15.0, 33u, 'M');
        // Zone exceptions: 32V widened west to 3E; Svalbard's odd X zones replace the even ones.
        row("Bergen is in 32V, not 31V", 60.39, 5.32, 32u, 'V');
        row("Ny-Alesund is 33X, not 32X", 78.92, 11.93, 33u, 'X');
        // Band edges: X is 12 degrees tall (72N..84N); UTM stops at 84N and below 80S.
        row("just below 84N is still X", 83.999, 15.0, 33u, 'X');
        row("84N west is UPS Y", 84.0, -15.0, 0u, 'Y');
        row("80S is still UTM band C", -80.0, 15.0, 33u, 'C');
        // UPS: each pole is at 2000 km, 2000 km; on the 0/180 line the pole falls in the eastern letter.
        row("south pole is B", -90.0, 0.0, 0u, 'B', 2e6, 2e6);
        // 180 and -180 are one meridian, the western edge of zone 1.
        row("lon 180 is zone 1", 10.0, 180.0, 1u, 'P');
        row("latitude just past the south pole", -90.0001, 10.0, 0u, '\0');
        row("infinite longitude", 10.0, infinity, 0u, '\0');
    }
    void gdcToUtm()
    {
        QFETCH(double, latitude);
        QFETCH(double, longitude);
        QFETCH(char, band);
        QFETCH(double, easting);
        // The incoming values are outputs only; junk in them must not matter.
        unsigned int z = 42;
        char b = 'I';
        double e = 0, n = 0;
        CoordConverter::convertGdcToUtm(latitude, longitude, z, b, e, n);
        QTEST(z, "zone");
        QCOMPARE(b, band);
        if (band == '\0') {
            QVERIFY(std::isnan(e) && std::isnan(n));
            return;
        }
        if (!std::isnan(easting)) {
            // 1 m: the published positions are whole metres; every fault this guards is kilometres off.
            VERIFY_NEAR(e, easting, 1.0);
            QFETCH(double, northing);
            VERIFY_NEAR(n, northing, 1.0);
        }
        // Whatever the zone, the grid position must lead back to the point.
        double lat, lon;
        CoordConverter::convertUtmToGdc(z, b, e, n, lat, lon);
        VERIFY_NEAR(lat, latitude, 1e-9);
        if (qAbs(latitude) < 90)
            VERIFY_NEAR(std::remainder(lon - longitude, 360.0), 0.0, 1e-9);
    }

    void fromUtm_data()
    {
        QTest::addColumn<uint>("zone");
        QTest::addColumn<char>("band");
        QTest::addColumn<double>("easting");
        QTest::addColumn<double>("northing");
        QTest::addColumn<uint>("precision");
        QTest::addColumn<QString>("mgrs"); // empty: both conversions refuse
        QTest::addColumn<double>("latitude"); // NaN: not checked
        const auto row = [](const char* name, uint zone, char band, double easting, double northing, uint precision,
                            const char* mgrs, double latitude = noValue) {
            QTest::newRow(name) << zone << band << easting << northing << precision << mgrs << latitude;
        };
        // MGRS letters worked out by hand: zone 33 uses columns S-Z, zone 17 J-R, zone 31 A-H; odd zones start
        // rows at A at the equator, every 2000 km. The panel may hold the other hemisphere's northing.
        row("45S, northern convention, lower case", 33u, 't', 500000.0, -northing45, 0u, "33GWL", -45.0);
        // MGRS truncates: the reference names the cell holding the point.
        row("CN Tower, digits truncated", 17u, 'T', 630084.9, 4833438.9, 5u, "17TPJ3008433438");
        row("precision clamped to 11", 33u, 'T', 584683.25, 5212345.75, 40u, "33TWN8468325000012345750000");
        // Half a metre below 6000 km is still the last row letter V, not the next cycle's A.
        row("row letters wrap at 2000 km", 31u, 'U', 448251.0, 5999999.5, 5u, "31UDV4825199999");
        // The band only picks the hemisphere; the letter written is the position's own.
        row("band letter from the position", 33u, 'N', 584683.0, 5212345.0, 5u, "33TWN8468312345");
        // UPS lettering: Z columns start at A at 2000 km, rows at A at 1300 km.
        row("north pole", 0u, 'Z', 2e6, 2e6, 0u, "ZAH");
        row("zone 61 does not exist", 61u, 'T', 500000.0, northing45, 0u, "");
        row("I is no band", 33u, 'I', 500000.0, northing45, 0u, "");
        // strchr finds the terminating '\0' in any band list.
        row("no band", 33u, '\0', 500000.0, northing45, 0u, "");
        row("UTM band with UPS", 0u, 'T', 2e6, 2e6, 0u, "");
        row("easting past 1000 km", 33u, 'T', 1000001.0, northing45, 0u, "");
        row("NaN northing", 33u, 'T', 500000.0, noValue, 0u, "");
    }
    void fromUtm()
    {
        QFETCH(uint, zone);
        QFETCH(char, band);
        QFETCH(double, easting);
        QFETCH(double, northing);
        QFETCH(uint, precision);
        QFETCH(QString, mgrs);
        QCOMPARE(QString::fromStdString(CoordConverter::convertUtmToMgrs(easting, northing, zone, band, precision)),
                 mgrs);
        double lat = 0, lon = 0;
        CoordConverter::convertUtmToGdc(zone, band, easting, northing, lat, lon);
        QCOMPARE(std::isnan(lat) && std::isnan(lon), mgrs.isEmpty());
        QFETCH(double, latitude);
        // 1e-7 degrees is about a centimetre, the precision of northing45; the longitude is the zone's centre.
        if (!std::isnan(latitude)) {
            VERIFY_NEAR(lat, latitude, 1e-7);
            VERIFY_NEAR(lon, 15.0, 1e-7);
        }
    }

    void mgrsToUtm_data()
    {
        QTest::addColumn<uint>("zone");
        QTest::addColumn<char>("band");
        QTest::addColumn<QString>("mgrs");
        QTest::addColumn<QString>("reason"); // empty: read; else a distinctive word of the refusal
        QTest::addColumn<uint>("zoneOut");
        QTest::addColumn<double>("easting");
        QTest::addColumn<double>("northing");
        const auto read = [](const char* name, uint zone, char band, const char* mgrs, uint zoneOut, double easting,
                             double northing) {
            QTest::newRow(name) << zone << band << mgrs << "" << zoneOut << easting << northing;
        };
        const auto refused = [](const char* name, uint zone, char band, const char* mgrs, const char* reason) {
            QTest::newRow(name) << zone << band << mgrs << reason << 0u << 0.0 << 0.0;
        };
        // Hand-lettered as in fromUtm; the result is the cell's south-west corner, not its centre.
        read("CN Tower: lower case, tabs, padding", 0u, '\0', " 17t PJ\t30084 33438\n", 17u, 630084.0, 4833438.0);
        // The panel's zone completes a reference typed without it.
        read("no zone, lower case, spaces", 33u, 't', "wn 84683 12345", 33u, 584683.0, 5212345.0);
        // NGA's usual example reference; zone 4 written without its leading 0.
        read("one-digit zone", 0u, '\0', "4QFJ12345678", 4u, 612340.0, 2356780.0);
        read("11 digits each", 0u, '\0', "33TWN8468300000112345000001", 33u, 584683.000001, 5212345.000001);
        // The caller converts with its own band: northings follow that band's hemisphere; UPS never shifts.
        read("northern reference, southern caller", 33u, 'C', "33TWN8468312345", 33u, 584683.0, 15212345.0);
        read("southern reference, northern caller", 33u, 'T', "33GWL0000000000", 33u, 500000.0, -5000000.0);
        read("caller without a band keeps the reference's", 33u, ' ', "33GWL0000000000", 33u, 500000.0, 5000000.0);
        read("UPS is never shifted", 33u, 'C', "ZAH0000000000", 0u, 2e6, 2e6);
        refused("only spaces", 33u, 'T', "  \t", "Enter");
        refused("letter O", 0u, '\0', "33TWO1234", "I and O");
        refused("A is a polar band", 0u, '\0', "33AWN1234", "band letter");
        refused("odd digit count", 0u, '\0', "33TWN123", "same number");
        refused("12 digits each", 0u, '\0', "33TWN123456789012123456789012", "Too many");
        // Zone 33 has columns S-Z only.
        refused("column not in zone", 0u, '\0', "33TAN1234", "not in grid zone");
        refused("zone 61", 0u, '\0', "61TWN1234", "1 to 60");
        refused("zone and band only", 0u, '\0', "33T", "100 km square");
        refused("band without zone", 33u, 'T', "TWN1234", "zone number");
        refused("no zone, caller has none", 0u, 'T', "WN8468312345", "no zone");
        // "8468 312345" would silently become easting 84683; better to refuse.
        refused("space inside the digits", 0u, '\0', "33TWN 8468 312345", "Spaces");
        refused("letter after digits", 0u, '\0', "33TWN1234A", "before");
        refused("non-ASCII", 0u, '\0', "33TWN8468312345\xc3\xa9", "only letters");
    }
    void mgrsToUtm()
    {
        QFETCH(uint, zone);
        QFETCH(char, band);
        QFETCH(QString, mgrs);
        QFETCH(QString, reason);
        unsigned int z = 99;
        double e = 1.5, n = 2.5;
        std::string error = "stale message";
        const bool read = CoordConverter::convertMgrsToUtm(zone, band, mgrs.toStdString(), z, e, n, error);
        QVERIFY2(read == reason.isEmpty() && QString::fromStdString(error).contains(reason, Qt::CaseInsensitive),
                 error.c_str());
        if (!read) {
            // A refusal leaves the outputs alone.
            QVERIFY(z == 99u && e == 1.5 && n == 2.5);
            return;
        }
        QVERIFY(error.empty());
        QTEST(z, "zoneOut");
        QFETCH(double, easting);
        QFETCH(double, northing);
        VERIFY_NEAR(e, easting, 1e-6);
        VERIFY_NEAR(n, northing, 1e-6);
    }

    void terrainFrame_data()
    {
        QTest::addColumn<double>("latitude");
        QTest::addColumn<double>("longitude");
        QTest::addColumn<double>("height");
        // Latitude and longitude differ, so swapping them would show.
        QTest::newRow("Stavanger, 50 m up") << 58.97 << 5.73 << 50.0;
        QTest::newRow("next to the antimeridian") << 65.0 << -179.99 << 0.0;
    }
    void terrainFrame()
    {
        QFETCH(double, latitude);
        QFETCH(double, longitude);
        QFETCH(double, height);
        const osg::ref_ptr<TerrainManager> terrain = TerrainManager::instance();
        terrain->setOrigin(latitude, longitude, height);
        // The origin is the frame's (0, 0, 0); convertGdcToTerrainLocal reads latitude first...
        Vec3d local, gdc;
        terrain->convertGdcToTerrainLocal(Vec3d(latitude, longitude, height), local);
        VERIFY_NEAR3(local, Vec3d(0, 0, 0), 0.001);
        // ...convertTerrainLocalToGdc writes longitude first.
        terrain->convertTerrainLocalToGdc(Vec3d(0.0, 0.0, 0.0), gdc);
        VERIFY_NEAR(gdc[0], longitude, 1e-9);
        VERIFY_NEAR(gdc[1], latitude, 1e-9);
        VERIFY_NEAR(gdc[2], height, 0.001);
        // x is east, y north, z up.
        terrain->convertGdcToTerrainLocal(Vec3d(latitude + 0.001, longitude, height), local);
        QVERIFY(local[1] > 100.0 && qAbs(local[0]) < 0.01);
        terrain->convertGdcToTerrainLocal(Vec3d(latitude, longitude + 0.001, height + 100.0), local);
        QVERIFY(local[0] > 10.0 && qAbs(local[1]) < 0.01);
        VERIFY_NEAR(local[2], 100.0, 1.0);
        // Local -> geocentric -> local, and local -> geodetic -> local, both to 1 mm.
        const Vec3d point(1234.5, -2345.25, 321.0);
        Vec3d gcc, back, again;
        terrain->convertTerrainLocalToGcc(point, gcc);
        terrain->convertGccToTerrainLocal(gcc, back);
        terrain->convertTerrainLocalToGdc(point, gdc);
        terrain->convertGdcToTerrainLocal(Vec3d(gdc[1], gdc[0], gdc[2]), again);
        VERIFY_NEAR3(back, point, 0.001);
        VERIFY_NEAR3(again, point, 0.001);
        // The geocentric and the geodetic way name the same place.
        double lat, lon, h;
        CoordConverter::convertGccToGdc(gcc[0], gcc[1], gcc[2], lat, lon, h);
        VERIFY_NEAR(lat, gdc[1], 1e-9);
        VERIFY_NEAR(lon, gdc[0], 1e-9);
        // The earth's centre has no geodetic direction of its own, yet as a local point it is where it is.
        terrain->convertGccToTerrainLocal(Vec3d(0, 0, 0), local);
        terrain->convertTerrainLocalToGcc(local, gcc);
        VERIFY_NEAR(std::hypot(gcc[0], gcc[1], gcc[2]), 0.0, 0.001);
        VERIFY_NEAR(std::hypot(local[0], local[1], local[2]), 6.37e6, 0.02e6);
    }

    void terrainFrameRefusesOutOfDomain()
    {
        osg::ref_ptr<TerrainManager> terrain = TerrainManager::instance();
        terrain->setOrigin(46.85, -121.76, 1500.0);
        // No stale or made-up number may survive: every element says "no value".
        const auto refuses = [&](void (TerrainManager::*convert)(const Vec3d&, Vec3d&) const, const Vec3d& input) {
            Vec3d output(1.0, 2.0, 3.0);
            (terrain.get()->*convert)(input, output);
            return std::isnan(output[0]) && std::isnan(output[1]) && std::isnan(output[2]);
        };
        QVERIFY(refuses(&TerrainManager::convertGdcToTerrainLocal, Vec3d(200.0, 10.0, 0.0)));
        QVERIFY(refuses(&TerrainManager::convertTerrainLocalToGcc, Vec3d(infinity, 0.0, 0.0)));
        QVERIFY(refuses(&TerrainManager::convertGccToTerrainLocal, Vec3d(wgs84A, 0.0, noValue)));
        QVERIFY(refuses(&TerrainManager::convertTerrainLocalToGdc, Vec3d(0.0, 0.0, noValue)));
    }
};

QTEST_APPLESS_MAIN(TestGeodesy)
#include "tst_geodesy.moc"
