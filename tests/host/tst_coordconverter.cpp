#include <velmora/utility/CoordConverter.h>

#include <QLocale>
#include <QtTest>

#include <cmath>
#include <limits>

using velmora::utility::CoordConverter;

namespace {

const double noValue = std::numeric_limits<double>::quiet_NaN();
const double infinity = std::numeric_limits<double>::infinity();

// WGS84 semi-axes as defined in NIMA TR8350.2.
const double wgs84A = 6378137.0;
const double wgs84B = 6356752.314245;

// 0.9996 (UTM central scale) times the WGS84 meridian arc from the equator to
// 45 degrees, 4 984 944.378 m as tabulated in geodesy references.
const double northing45 = 4982950.400;

QString mismatch(double actual, double expected)
{
    return QStringLiteral("got %1, expected %2").arg(actual, 0, 'f', 6).arg(expected, 0, 'f', 6);
}

} // namespace

#define VERIFY_NEAR(actual, expected, tolerance) \
    QVERIFY2(qAbs((actual) - (expected)) < (tolerance), qPrintable(mismatch((actual), (expected))))

class TestCoordConverter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void gccToGdc_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<double>("z");
        QTest::addColumn<double>("latitude");
        QTest::addColumn<double>("longitude");
        QTest::addColumn<double>("height");
        // Points on the axes follow from the WGS84 semi-axes (NIMA TR8350.2).
        QTest::newRow("equator, prime meridian") << wgs84A << 0.0 << 0.0 << 0.0 << 0.0 << 0.0;
        QTest::newRow("equator, 90W, 100 m up") << 0.0 << -(wgs84A + 100) << 0.0 << 0.0 << -90.0 << 100.0;
        QTest::newRow("north pole") << 0.0 << 0.0 << wgs84B << 90.0 << 0.0 << 0.0;
        // No direction is defined at the centre; the documented answer is the north pole's.
        QTest::newRow("earth centre") << 0.0 << 0.0 << 0.0 << 90.0 << 0.0 << -wgs84B;
        // A renderer's degenerate matrix feeds NaN or infinity; nothing must be invented.
        QTest::newRow("NaN") << wgs84A << noValue << 0.0 << noValue << noValue << noValue;
        QTest::newRow("infinity") << infinity << 0.0 << 0.0 << noValue << noValue << noValue;
    }
    void gccToGdc()
    {
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(double, z);
        QFETCH(double, latitude);
        QFETCH(double, longitude);
        QFETCH(double, height);
        double lat, lon, h;
        CoordConverter::convertGccToGdc(x, y, z, lat, lon, h);
        if (std::isnan(latitude)) {
            QVERIFY(std::isnan(lat) && std::isnan(lon) && std::isnan(h));
            return;
        }
        VERIFY_NEAR(lat, latitude, 1e-9);
        VERIFY_NEAR(lon, longitude, 1e-9);
        VERIFY_NEAR(h, height, 0.001);
    }

    void gdcToUtm_data()
    {
        QTest::addColumn<double>("latitude");
        QTest::addColumn<double>("longitude");
        QTest::addColumn<uint>("zone");
        QTest::addColumn<char>("band");
        QTest::addColumn<double>("easting"); // NaN: not checked
        QTest::addColumn<double>("northing");
        QTest::addColumn<double>("tolerance");
        // Wikipedia's UTM article: the CN Tower is at 17T 630084 4833438 (whole metres).
        QTest::newRow("CN Tower") << 43.642567 << -79.387139 << 17u << 'T' << 630084.0 << 4833438.0 << 1.0;
        // UTM definition (NGA TM 8358.2): 500 km false easting, no false northing in the north.
        QTest::newRow("equator on 15E") << 0.0 << 15.0 << 33u << 'N' << 500000.0 << 0.0 << 0.001;
        QTest::newRow("45N on 15E") << 45.0 << 15.0 << 33u << 'T' << 500000.0 << northing45 << 0.01;
        // ... and 10 000 km false northing in the south.
        QTest::newRow("45S on 15E") << -45.0 << 15.0 << 33u << 'G' << 500000.0 << 10e6 - northing45 << 0.01;
        QTest::newRow("just south of the equator is band M") << -0.0001 << 15.0 << 33u << 'M' << noValue << noValue << 0.0;
        // Zone exceptions from the UTM/MGRS definition: 32V widened west to 3E, Svalbard's
        // 31X/33X/35X/37X replace the even X zones.
        QTest::newRow("Bergen is in 32V, not 31V") << 60.39 << 5.32 << 32u << 'V' << noValue << noValue << 0.0;
        QTest::newRow("Stavanger, in southwestern Norway, is in zone 32") << 58.97 << 5.73 << 32u << 'V' << noValue << noValue << 0.0;
        QTest::newRow("west of 3E at 60N stays 31V") << 60.0 << 2.9 << 31u << 'V' << noValue << noValue << 0.0;
        QTest::newRow("Svalbard 8E is 31X, not 32X") << 79.0 << 8.0 << 31u << 'X' << noValue << noValue << 0.0;
        QTest::newRow("Ny-Alesund is 33X, not 32X") << 78.92 << 11.93 << 33u << 'X' << noValue << noValue << 0.0;
        QTest::newRow("Svalbard 22E is 35X, not 34X") << 78.0 << 22.0 << 35u << 'X' << noValue << noValue << 0.0;
        QTest::newRow("Kvitoya 34E is 37X, not 36X") << 80.0 << 34.0 << 37u << 'X' << noValue << noValue << 0.0;
        QTest::newRow("the Svalbard rule is X only") << 71.9 << 8.0 << 32u << 'W' << noValue << noValue << 0.0;
        // Band edges: X is 12 degrees tall (72N..84N); UTM stops at 84N and 80S.
        QTest::newRow("just below 72N is W") << 71.999 << 15.0 << 33u << 'W' << noValue << noValue << 0.0;
        QTest::newRow("72N is X") << 72.0 << 15.0 << 33u << 'X' << noValue << noValue << 0.0;
        QTest::newRow("just below 84N is still X") << 83.999 << 15.0 << 33u << 'X' << noValue << noValue << 0.0;
        QTest::newRow("84N is UPS east") << 84.0 << 15.0 << 0u << 'Z' << noValue << noValue << 0.0;
        QTest::newRow("84N west is Y") << 84.0 << -15.0 << 0u << 'Y' << noValue << noValue << 0.0;
        QTest::newRow("80S is still UTM band C") << -80.0 << 15.0 << 33u << 'C' << noValue << noValue << 0.0;
        QTest::newRow("beyond 80S east is B") << -80.001 << 15.0 << 0u << 'B' << noValue << noValue << 0.0;
        QTest::newRow("beyond 80S west is A") << -80.001 << -15.0 << 0u << 'A' << noValue << noValue << 0.0;
        // UPS definition (NGA TM 8358.2): the pole is at 2000 km, 2000 km.
        QTest::newRow("north pole") << 90.0 << 0.0 << 0u << 'Z' << 2e6 << 2e6 << 0.001;
        // 180 and -180 are one meridian, the western edge of zone 1.
        QTest::newRow("lon 180 is zone 1") << 10.0 << 180.0 << 1u << 'P' << noValue << noValue << 0.0;
        QTest::newRow("lon -180 is zone 1") << 10.0 << -180.0 << 1u << 'P' << noValue << noValue << 0.0;
        QTest::newRow("just west of 180 is zone 60") << 10.0 << 179.999 << 60u << 'P' << noValue << noValue << 0.0;
    }
    void gdcToUtm()
    {
        QFETCH(double, latitude);
        QFETCH(double, longitude);
        QFETCH(uint, zone);
        QFETCH(char, band);
        QFETCH(double, easting);
        QFETCH(double, northing);
        QFETCH(double, tolerance);
        // The incoming zone and band are outputs only; junk in them must not matter.
        unsigned int z = 42;
        char b = 'I';
        double e, n;
        CoordConverter::convertGdcToUtm(latitude, longitude, z, b, e, n);
        QCOMPARE(z, zone);
        QCOMPARE(b, band);
        if (!std::isnan(easting)) {
            VERIFY_NEAR(e, easting, tolerance);
            VERIFY_NEAR(n, northing, tolerance);
        }
        // Whatever the zone, the grid position must lead back to the point.
        double lat, lon;
        CoordConverter::convertUtmToGdc(z, b, e, n, lat, lon);
        VERIFY_NEAR(lat, latitude, 1e-9);
        if (qAbs(latitude) < 90)
            VERIFY_NEAR(std::remainder(lon - longitude, 360.0), 0.0, 1e-9);
    }

    void gdcToUtmOutOfDomain_data()
    {
        QTest::addColumn<double>("latitude");
        QTest::addColumn<double>("longitude");
        QTest::newRow("latitude 200") << 200.0 << 10.0;
        QTest::newRow("latitude just past the south pole") << -90.0001 << 10.0;
        QTest::newRow("NaN latitude") << noValue << 10.0;
        QTest::newRow("NaN longitude") << 10.0 << noValue;
        QTest::newRow("infinite longitude") << 10.0 << infinity;
    }
    void gdcToUtmOutOfDomain()
    {
        QFETCH(double, latitude);
        QFETCH(double, longitude);
        unsigned int zone = 33;
        char band = 'T';
        double easting = 0, northing = 0;
        CoordConverter::convertGdcToUtm(latitude, longitude, zone, band, easting, northing);
        QCOMPARE(zone, 0u);
        QCOMPARE(band, '\0');
        QVERIFY(std::isnan(easting) && std::isnan(northing));
    }

    void utmToGdc_data()
    {
        QTest::addColumn<uint>("zone");
        QTest::addColumn<char>("band");
        QTest::addColumn<double>("easting");
        QTest::addColumn<double>("northing");
        QTest::addColumn<double>("latitude"); // NaN: refused
        QTest::addColumn<double>("longitude");
        QTest::newRow("45S, lower-case band") << 33u << 'g' << 500000.0 << 10e6 - northing45 << -45.0 << 15.0;
        // The panel may hold a northing in the other hemisphere's convention.
        QTest::newRow("45S, northern convention") << 33u << 'T' << 500000.0 << -northing45 << -45.0 << 15.0;
        QTest::newRow("45N, southern convention") << 33u << 'G' << 500000.0 << 10e6 + northing45 << 45.0 << 15.0;
        QTest::newRow("zone 61 does not exist") << 61u << 'T' << 500000.0 << northing45 << noValue << noValue;
        QTest::newRow("I is no band") << 33u << 'I' << 500000.0 << northing45 << noValue << noValue;
        QTest::newRow("no band") << 33u << '\0' << 500000.0 << northing45 << noValue << noValue;
        QTest::newRow("polar band with a UTM zone") << 33u << 'Z' << 500000.0 << northing45 << noValue << noValue;
        QTest::newRow("UTM band with UPS") << 0u << 'T' << 2e6 << 2e6 << noValue << noValue;
        QTest::newRow("easting past 1000 km") << 33u << 'T' << 1000001.0 << northing45 << noValue << noValue;
        QTest::newRow("northing past 9600 km") << 33u << 'X' << 500000.0 << 9600001.0 << noValue << noValue;
        QTest::newRow("NaN easting") << 33u << 'T' << noValue << northing45 << noValue << noValue;
    }
    void utmToGdc()
    {
        QFETCH(uint, zone);
        QFETCH(char, band);
        QFETCH(double, easting);
        QFETCH(double, northing);
        QFETCH(double, latitude);
        QFETCH(double, longitude);
        double lat = 0, lon = 0;
        CoordConverter::convertUtmToGdc(zone, band, easting, northing, lat, lon);
        if (std::isnan(latitude)) {
            QVERIFY(std::isnan(lat) && std::isnan(lon));
            return;
        }
        // 1e-7 degrees is about a centimetre, the precision of northing45.
        VERIFY_NEAR(lat, latitude, 1e-7);
        VERIFY_NEAR(lon, longitude, 1e-7);
    }

    void utmToMgrs_data()
    {
        QTest::addColumn<double>("easting");
        QTest::addColumn<double>("northing");
        QTest::addColumn<uint>("zone");
        QTest::addColumn<char>("band");
        QTest::addColumn<uint>("precision");
        QTest::addColumn<QString>("mgrs");
        // Letters worked out by hand with the lettering rules of NGA TM 8358.1: zone 33 uses
        // columns S-Z; odd zones start rows at A at the equator, repeating every 2000 km.
        QTest::newRow("1 m") << 584683.0 << 5212345.0 << 33u << 'T' << 5u << "33TWN8468312345";
        QTest::newRow("100 km square only") << 584683.0 << 5212345.0 << 33u << 'T' << 0u << "33TWN";
        // MGRS truncates: the reference names the cell holding the point.
        QTest::newRow("digits truncated") << 584683.9 << 5212345.9 << 33u << 'T' << 5u << "33TWN8468312345";
        QTest::newRow("precision clamped to 11") << 584683.0 << 5212345.0 << 33u << 'T' << 40u
                                                 << "33TWN8468300000012345000000";
        // The CN Tower's published UTM position (Wikipedia), lettered by hand (zone 17: J-R).
        QTest::newRow("CN Tower") << 630084.0 << 4833438.0 << 17u << 'T' << 5u << "17TPJ3008433438";
        // The band only picks the hemisphere; the letter written is the position's own.
        QTest::newRow("band letter from the position") << 584683.0 << 5212345.0 << 33u << 'N' << 5u
                                                       << "33TWN8468312345";
        QTest::newRow("southern point, northern convention") << 500000.0 << -northing45 << 33u << 'T' << 0u
                                                             << "33GWL";
        // UPS lettering (NGA TM 8358.1): Z columns start at A at 2000 km, rows at A at 1300 km.
        QTest::newRow("north pole") << 2e6 << 2e6 << 0u << 'Z' << 0u << "ZAH";
        QTest::newRow("zone 61") << 584683.0 << 5212345.0 << 61u << 'T' << 5u << "";
        QTest::newRow("easting outside MGRS") << 50000.0 << 5212345.0 << 33u << 'T' << 5u << "";
        QTest::newRow("NaN northing") << 584683.0 << noValue << 33u << 'T' << 5u << "";
    }
    void utmToMgrs()
    {
        QFETCH(double, easting);
        QFETCH(double, northing);
        QFETCH(uint, zone);
        QFETCH(char, band);
        QFETCH(uint, precision);
        QFETCH(QString, mgrs);
        QCOMPARE(QString::fromStdString(CoordConverter::convertUtmToMgrs(easting, northing, zone, band, precision)),
                 mgrs);
    }

    void mgrsToUtm_data()
    {
        QTest::addColumn<uint>("zone");
        QTest::addColumn<char>("band");
        QTest::addColumn<QString>("mgrs");
        QTest::addColumn<uint>("zoneOut");
        QTest::addColumn<double>("easting");
        QTest::addColumn<double>("northing");
        // Hand-lettered as in utmToMgrs; the result is the cell's south-west corner.
        QTest::newRow("full reference") << 0u << '\0' << "33TWN8468312345" << 33u << 584683.0 << 5212345.0;
        QTest::newRow("lower case") << 0u << '\0' << "33twn8468312345" << 33u << 584683.0 << 5212345.0;
        QTest::newRow("spaced groups") << 0u << '\0' << "33T WN 84683 12345" << 33u << 584683.0 << 5212345.0;
        QTest::newRow("tabs, padding") << 0u << '\0' << " 33TWN\t84683\t12345\n" << 33u << 584683.0 << 5212345.0;
        QTest::newRow("100 km square is its corner") << 0u << '\0' << "33TWN" << 33u << 500000.0 << 5200000.0;
        QTest::newRow("10 m cell corner") << 0u << '\0' << "33TWN84681234" << 33u << 584680.0 << 5212340.0;
        // The panel's zone completes a reference typed without it.
        QTest::newRow("no zone") << 33u << 'T' << "WN8468312345" << 33u << 584683.0 << 5212345.0;
        QTest::newRow("no zone, lower case, spaces") << 33u << 't' << "wn 84683 12345" << 33u << 584683.0 << 5212345.0;
        // NGA's usual example reference; zone 4 written without its leading 0.
        QTest::newRow("one-digit zone") << 0u << '\0' << "4QFJ12345678" << 4u << 612340.0 << 2356780.0;
        QTest::newRow("CN Tower") << 0u << '\0' << "17T PJ 30084 33438" << 17u << 630084.0 << 4833438.0;
        QTest::newRow("11 digits each") << 0u << '\0' << "33TWN8468300000112345000001" << 33u << 584683.000001
                                        << 5212345.000001;
        QTest::newRow("UPS north pole") << 0u << '\0' << "Z AH 00000 00000" << 0u << 2e6 << 2e6;
        // The caller converts with its own band: northings follow that band's hemisphere.
        QTest::newRow("northern reference, southern caller") << 33u << 'C' << "33TWN8468312345" << 33u << 584683.0
                                                             << 15212345.0;
        QTest::newRow("southern reference, northern caller") << 33u << 'T' << "33GWL0000000000" << 33u << 500000.0
                                                             << -5000000.0;
        QTest::newRow("caller without a band keeps the reference's") << 33u << ' ' << "33GWL0000000000" << 33u
                                                                     << 500000.0 << 5000000.0;
        QTest::newRow("UPS is never shifted") << 33u << 'C' << "ZAH0000000000" << 0u << 2e6 << 2e6;
    }
    void mgrsToUtm()
    {
        QFETCH(uint, zone);
        QFETCH(char, band);
        QFETCH(QString, mgrs);
        QFETCH(uint, zoneOut);
        QFETCH(double, easting);
        QFETCH(double, northing);
        unsigned int z = 99;
        double e = 0, n = 0;
        std::string error = "stale message";
        QVERIFY2(CoordConverter::convertMgrsToUtm(zone, band, mgrs.toStdString(), z, e, n, error), error.c_str());
        QVERIFY(error.empty());
        QCOMPARE(z, zoneOut);
        VERIFY_NEAR(e, easting, 1e-6);
        VERIFY_NEAR(n, northing, 1e-6);
    }

    void hemisphereShiftLandsOnReference()
    {
        // The caller converts with its remembered band, not the reference's: both must agree.
        struct Case { char callerBand; const char* mgrs; char referenceBand; double easting, northing; };
        for (const Case& c : {Case{'T', "33GWL0000000000", 'G', 500000.0, 5000000.0},
                              Case{'C', "33TWN8468312345", 'T', 584683.0, 5212345.0}}) {
            unsigned int z;
            double e, n, lat, lon, refLat, refLon;
            std::string error;
            QVERIFY(CoordConverter::convertMgrsToUtm(33, c.callerBand, c.mgrs, z, e, n, error));
            CoordConverter::convertUtmToGdc(z, c.callerBand, e, n, lat, lon);
            CoordConverter::convertUtmToGdc(33, c.referenceBand, c.easting, c.northing, refLat, refLon);
            VERIFY_NEAR(lat, refLat, 1e-9);
            VERIFY_NEAR(lon, refLon, 1e-9);
        }
    }

    void mgrsRefusals_data()
    {
        QTest::addColumn<uint>("zone");
        QTest::addColumn<char>("band");
        QTest::addColumn<QByteArray>("mgrs");
        QTest::addColumn<QString>("reason"); // a distinctive word of the message
        QTest::newRow("empty") << 33u << 'T' << QByteArray("") << "Enter";
        QTest::newRow("only spaces") << 33u << 'T' << QByteArray("  \t") << "Enter";
        QTest::newRow("letter I") << 0u << '\0' << QByteArray("33TIN1234") << "I and O";
        QTest::newRow("letter O") << 0u << '\0' << QByteArray("33TWO1234") << "I and O";
        QTest::newRow("A is a polar band") << 0u << '\0' << QByteArray("33AWN1234") << "band letter";
        QTest::newRow("odd digit count") << 0u << '\0' << QByteArray("33TWN123") << "same number";
        QTest::newRow("12 digits each") << 0u << '\0' << QByteArray("33TWN123456789012123456789012") << "Too many";
        // Zone 33 has columns S-Z only; PE does not reach band N in zone 38.
        QTest::newRow("column not in zone") << 0u << '\0' << QByteArray("33TAN1234") << "not in grid zone";
        QTest::newRow("square not in band") << 0u << '\0' << QByteArray("38NPE") << "not in grid zone";
        QTest::newRow("zone 61") << 0u << '\0' << QByteArray("61TWN1234") << "1 to 60";
        QTest::newRow("three-digit zone") << 0u << '\0' << QByteArray("333TWN11") << "1 to 60";
        QTest::newRow("zone and band only") << 0u << '\0' << QByteArray("33T") << "100 km square";
        QTest::newRow("band without zone") << 33u << 'T' << QByteArray("TWN1234") << "zone number";
        QTest::newRow("no zone, caller has none") << 0u << 'T' << QByteArray("WN8468312345") << "no zone";
        QTest::newRow("no zone, caller band unknown") << 33u << '\0' << QByteArray("WN8468312345") << "no zone";
        // "8468 312345" would silently become easting 84683; better to refuse.
        QTest::newRow("space inside the digits") << 0u << '\0' << QByteArray("33TWN 8468 312345") << "Spaces";
        QTest::newRow("letter after digits") << 0u << '\0' << QByteArray("33TWN1234A") << "before";
        QTest::newRow("punctuation") << 0u << '\0' << QByteArray("33TWN84683-12345") << "only letters";
        QTest::newRow("non-ASCII") << 0u << '\0' << QByteArray("33TWN8468312345\xc3\xa9") << "only letters";
        QTest::newRow("control byte") << 0u << '\0' << QByteArray("33TWN84683\x01" "12345") << "only letters";
    }
    void mgrsRefusals()
    {
        QFETCH(uint, zone);
        QFETCH(char, band);
        QFETCH(QByteArray, mgrs);
        QFETCH(QString, reason);
        unsigned int z = 7;
        double e = 1.5, n = 2.5;
        std::string error;
        QVERIFY(!CoordConverter::convertMgrsToUtm(zone, band, mgrs.toStdString(), z, e, n, error));
        QVERIFY2(QString::fromStdString(error).contains(reason, Qt::CaseInsensitive), error.c_str());
        QCOMPARE(z, 7u);
        QCOMPARE(e, 1.5);
        QCOMPARE(n, 2.5);
    }

    void utmMgrsRoundTrip_data()
    {
        QTest::addColumn<uint>("zone");
        QTest::addColumn<char>("band");
        QTest::addColumn<double>("easting");
        QTest::addColumn<double>("northing");
        QTest::newRow("Europe") << 33u << 'T' << 584683.25 << 5212345.75;
        QTest::newRow("southern hemisphere") << 56u << 'H' << 334369.5 << 6250948.5;
        QTest::newRow("row letters wrap at 2000 km") << 31u << 'U' << 448251.0 << 5999999.5;
        QTest::newRow("Svalbard 37X") << 37u << 'X' << 512000.0 << 8880000.0;
        QTest::newRow("UPS south") << 0u << 'A' << 1900000.5 << 2100000.5;
    }
    void utmMgrsRoundTrip()
    {
        QFETCH(uint, zone);
        QFETCH(char, band);
        QFETCH(double, easting);
        QFETCH(double, northing);
        for (const unsigned int precision : {5u, 11u}) {
            const std::string mgrs = CoordConverter::convertUtmToMgrs(easting, northing, zone, band, precision);
            unsigned int z;
            double e, n;
            std::string error;
            QVERIFY2(CoordConverter::convertMgrsToUtm(0, '\0', mgrs, z, e, n, error), error.c_str());
            QCOMPARE(z, zone);
            // Back at the cell corner: 1 m cells at precision 5, micrometre cells at 11.
            const double cell = precision == 5 ? 1.0 : 1e-6;
            VERIFY_NEAR(e, std::floor(easting / cell) * cell, 1e-7);
            VERIFY_NEAR(n, std::floor(northing / cell) * cell, 1e-7);
        }
    }
};

QTEST_APPLESS_MAIN(TestCoordConverter)
#include "tst_coordconverter.moc"
