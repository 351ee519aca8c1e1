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
        QTest::addColumn<double>("latitude"); // NaN: every output must be NaN
        QTest::addColumn<double>("longitude");
        QTest::addColumn<double>("height");
        // Points on the axes follow from the WGS84 semi-axes (NIMA TR8350.2).
        QTest::newRow("equator, 90W, 100 m up") << 0.0 << -(wgs84A + 100) << 0.0 << 0.0 << -90.0 << 100.0;
        // No direction is defined at the centre; the documented answer is the north pole's.
        QTest::newRow("earth centre") << 0.0 << 0.0 << 0.0 << 90.0 << 0.0 << -wgs84B;
        // A renderer's degenerate matrix feeds infinity; nothing must be invented.
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
        QTest::addColumn<uint>("zone"); // 0 with band '\0': refused, easting and northing NaN
        QTest::addColumn<char>("band");
        QTest::addColumn<double>("easting"); // NaN: not checked
        QTest::addColumn<double>("northing");
        // Wikipedia's UTM article: the CN Tower is at 17T 630084 4833438 (whole metres).
        QTest::newRow("CN Tower") << 43.642567 << -79.387139 << 17u << 'T' << 630084.0 << 4833438.0;
        // UTM definition (NGA TM 8358.2): 500 km false easting, no false northing in the north,
        QTest::newRow("45N on 15E") << 45.0 << 15.0 << 33u << 'T' << 500000.0 << northing45;
        // ... and 10 000 km false northing in the south.
        QTest::newRow("45S on 15E") << -45.0 << 15.0 << 33u << 'G' << 500000.0 << 10e6 - northing45;
        QTest::newRow("just south of the equator is band M") << -0.0001 << 15.0 << 33u << 'M' << noValue << noValue;
        // -1e-15 + 80 rounds to 80: the band must still say south, as the northing does.
        QTest::newRow("a hair south of the equator is band M") << -1e-15 << 15.0 << 33u << 'M' << noValue << noValue;
        // Zone exceptions from the UTM/MGRS definition: 32V widened west to 3E, Svalbard's
        // 31X/33X/35X/37X replace the even X zones (rounding down in the west half, up in the east).
        QTest::newRow("Bergen is in 32V, not 31V") << 60.39 << 5.32 << 32u << 'V' << noValue << noValue;
        QTest::newRow("west of 3E at 60N stays 31V") << 60.0 << 2.9 << 31u << 'V' << noValue << noValue;
        QTest::newRow("Svalbard 8E is 31X, not 32X") << 79.0 << 8.0 << 31u << 'X' << noValue << noValue;
        QTest::newRow("Ny-Alesund is 33X, not 32X") << 78.92 << 11.93 << 33u << 'X' << noValue << noValue;
        // Just below 72N: band W, and the Svalbard rule does not apply yet.
        QTest::newRow("the Svalbard rule is X only") << 71.9 << 8.0 << 32u << 'W' << noValue << noValue;
        // Band edges: X is 12 degrees tall (72N..84N); UTM stops at 84N and 80S.
        QTest::newRow("just below 84N is still X") << 83.999 << 15.0 << 33u << 'X' << noValue << noValue;
        QTest::newRow("84N is UPS east") << 84.0 << 15.0 << 0u << 'Z' << noValue << noValue;
        QTest::newRow("84N west is Y") << 84.0 << -15.0 << 0u << 'Y' << noValue << noValue;
        QTest::newRow("80S is still UTM band C") << -80.0 << 15.0 << 33u << 'C' << noValue << noValue;
        QTest::newRow("beyond 80S west is A") << -80.001 << -15.0 << 0u << 'A' << noValue << noValue;
        // UPS definition (NGA TM 8358.2): each pole is at 2000 km, 2000 km; on the 0/180
        // line the pole falls in the eastern letter.
        QTest::newRow("south pole is B") << -90.0 << 0.0 << 0u << 'B' << 2e6 << 2e6;
        // 180 and -180 are one meridian, the western edge of zone 1.
        QTest::newRow("lon 180 is zone 1") << 10.0 << 180.0 << 1u << 'P' << noValue << noValue;
        QTest::newRow("just west of 180 is zone 60") << 10.0 << 179.999 << 60u << 'P' << noValue << noValue;
        // Outside the domain nothing is invented.
        QTest::newRow("latitude just past the south pole") << -90.0001 << 10.0 << 0u << '\0' << noValue << noValue;
        QTest::newRow("infinite longitude") << 10.0 << infinity << 0u << '\0' << noValue << noValue;
    }
    void gdcToUtm()
    {
        QFETCH(double, latitude);
        QFETCH(double, longitude);
        QFETCH(uint, zone);
        QFETCH(char, band);
        QFETCH(double, easting);
        QFETCH(double, northing);
        // The incoming values are outputs only; junk in them must not matter.
        unsigned int z = 42;
        char b = 'I';
        double e = 0, n = 0;
        CoordConverter::convertGdcToUtm(latitude, longitude, z, b, e, n);
        QCOMPARE(z, zone);
        QCOMPARE(b, band);
        if (band == '\0') {
            QVERIFY(std::isnan(e) && std::isnan(n));
            return;
        }
        if (!std::isnan(easting)) {
            // 1 m: the published positions are whole metres; every fault this guards is kilometres off.
            VERIFY_NEAR(e, easting, 1.0);
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
        QTest::addColumn<double>("latitude"); // NaN with an MGRS reference: not checked
        QTest::addColumn<double>("longitude");
        // MGRS letters worked out by hand with the lettering rules of NGA TM 8358.1: zone 33
        // uses columns S-Z, zone 17 J-R, zone 31 A-H; odd zones start rows at A at the
        // equator, repeating every 2000 km.
        // The panel may hold a northing in the other hemisphere's convention, and a lower-case band.
        QTest::newRow("45S, northern convention, lower case")
            << 33u << 't' << 500000.0 << -northing45 << 0u << "33GWL" << -45.0 << 15.0;
        // The CN Tower's published UTM position (Wikipedia). MGRS truncates: the reference
        // names the cell holding the point.
        QTest::newRow("CN Tower, digits truncated")
            << 17u << 'T' << 630084.9 << 4833438.9 << 5u << "17TPJ3008433438" << noValue << noValue;
        QTest::newRow("precision clamped to 11")
            << 33u << 'T' << 584683.25 << 5212345.75 << 40u << "33TWN8468325000012345750000" << noValue << noValue;
        // Half a metre below 6000 km is still the last row letter V, not the next cycle's A.
        QTest::newRow("row letters wrap at 2000 km")
            << 31u << 'U' << 448251.0 << 5999999.5 << 5u << "31UDV4825199999" << noValue << noValue;
        // The band only picks the hemisphere; the letter written is the position's own.
        QTest::newRow("band letter from the position")
            << 33u << 'N' << 584683.0 << 5212345.0 << 5u << "33TWN8468312345" << noValue << noValue;
        // UPS lettering (NGA TM 8358.1): Z columns start at A at 2000 km, rows at A at 1300 km.
        QTest::newRow("north pole") << 0u << 'Z' << 2e6 << 2e6 << 0u << "ZAH" << noValue << noValue;
        QTest::newRow("zone 61 does not exist") << 61u << 'T' << 500000.0 << northing45 << 0u << "" << noValue
                                                << noValue;
        QTest::newRow("I is no band") << 33u << 'I' << 500000.0 << northing45 << 0u << "" << noValue << noValue;
        // strchr finds the terminating '\0' in any band list.
        QTest::newRow("no band") << 33u << '\0' << 500000.0 << northing45 << 0u << "" << noValue << noValue;
        QTest::newRow("UTM band with UPS") << 0u << 'T' << 2e6 << 2e6 << 0u << "" << noValue << noValue;
        QTest::newRow("easting past 1000 km") << 33u << 'T' << 1000001.0 << northing45 << 0u << "" << noValue
                                              << noValue;
        QTest::newRow("NaN northing") << 33u << 'T' << 500000.0 << noValue << 0u << "" << noValue << noValue;
    }
    void fromUtm()
    {
        QFETCH(uint, zone);
        QFETCH(char, band);
        QFETCH(double, easting);
        QFETCH(double, northing);
        QFETCH(uint, precision);
        QFETCH(QString, mgrs);
        QFETCH(double, latitude);
        QFETCH(double, longitude);
        QCOMPARE(QString::fromStdString(CoordConverter::convertUtmToMgrs(easting, northing, zone, band, precision)),
                 mgrs);
        double lat = 0, lon = 0;
        CoordConverter::convertUtmToGdc(zone, band, easting, northing, lat, lon);
        if (mgrs.isEmpty()) {
            QVERIFY(std::isnan(lat) && std::isnan(lon));
        } else if (!std::isnan(latitude)) {
            // 1e-7 degrees is about a centimetre, the precision of northing45.
            VERIFY_NEAR(lat, latitude, 1e-7);
            VERIFY_NEAR(lon, longitude, 1e-7);
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
        // Hand-lettered as in fromUtm; the result is the cell's south-west corner, not its centre.
        QTest::newRow("CN Tower") << 0u << '\0' << "17T PJ 30084 33438" << "" << 17u << 630084.0 << 4833438.0;
        QTest::newRow("lower case, tabs, padding") << 0u << '\0' << " 33twn\t84683\t12345\n" << "" << 33u << 584683.0
                                                   << 5212345.0;
        // The panel's zone completes a reference typed without it.
        QTest::newRow("no zone, lower case, spaces") << 33u << 't' << "wn 84683 12345" << "" << 33u << 584683.0
                                                     << 5212345.0;
        // NGA's usual example reference; zone 4 written without its leading 0.
        QTest::newRow("one-digit zone") << 0u << '\0' << "4QFJ12345678" << "" << 4u << 612340.0 << 2356780.0;
        QTest::newRow("11 digits each") << 0u << '\0' << "33TWN8468300000112345000001" << "" << 33u << 584683.000001
                                        << 5212345.000001;
        QTest::newRow("UPS north pole") << 0u << '\0' << "Z AH 00000 00000" << "" << 0u << 2e6 << 2e6;
        // The caller converts with its own band: northings follow that band's hemisphere.
        QTest::newRow("northern reference, southern caller") << 33u << 'C' << "33TWN8468312345" << "" << 33u << 584683.0
                                                             << 15212345.0;
        QTest::newRow("southern reference, northern caller") << 33u << 'T' << "33GWL0000000000" << "" << 33u << 500000.0
                                                             << -5000000.0;
        QTest::newRow("caller without a band keeps the reference's") << 33u << ' ' << "33GWL0000000000" << "" << 33u
                                                                     << 500000.0 << 5000000.0;
        QTest::newRow("UPS is never shifted") << 33u << 'C' << "ZAH0000000000" << "" << 0u << 2e6 << 2e6;
        QTest::newRow("only spaces") << 33u << 'T' << "  \t" << "Enter" << 0u << 0.0 << 0.0;
        QTest::newRow("letter O") << 0u << '\0' << "33TWO1234" << "I and O" << 0u << 0.0 << 0.0;
        QTest::newRow("A is a polar band") << 0u << '\0' << "33AWN1234" << "band letter" << 0u << 0.0 << 0.0;
        QTest::newRow("odd digit count") << 0u << '\0' << "33TWN123" << "same number" << 0u << 0.0 << 0.0;
        QTest::newRow("12 digits each") << 0u << '\0' << "33TWN123456789012123456789012" << "Too many" << 0u << 0.0
                                        << 0.0;
        // Zone 33 has columns S-Z only.
        QTest::newRow("column not in zone") << 0u << '\0' << "33TAN1234" << "not in grid zone" << 0u << 0.0 << 0.0;
        QTest::newRow("zone 61") << 0u << '\0' << "61TWN1234" << "1 to 60" << 0u << 0.0 << 0.0;
        QTest::newRow("zone and band only") << 0u << '\0' << "33T" << "100 km square" << 0u << 0.0 << 0.0;
        QTest::newRow("band without zone") << 33u << 'T' << "TWN1234" << "zone number" << 0u << 0.0 << 0.0;
        QTest::newRow("no zone, caller has none") << 0u << 'T' << "WN8468312345" << "no zone" << 0u << 0.0 << 0.0;
        QTest::newRow("no zone, caller band unknown") << 33u << '\0' << "WN8468312345" << "no zone" << 0u << 0.0 << 0.0;
        // "8468 312345" would silently become easting 84683; better to refuse.
        QTest::newRow("space inside the digits") << 0u << '\0' << "33TWN 8468 312345" << "Spaces" << 0u << 0.0 << 0.0;
        QTest::newRow("letter after digits") << 0u << '\0' << "33TWN1234A" << "before" << 0u << 0.0 << 0.0;
        QTest::newRow("non-ASCII") << 0u << '\0' << "33TWN8468312345\xc3\xa9" << "only letters" << 0u << 0.0 << 0.0;
    }
    void mgrsToUtm()
    {
        QFETCH(uint, zone);
        QFETCH(char, band);
        QFETCH(QString, mgrs);
        QFETCH(QString, reason);
        QFETCH(uint, zoneOut);
        QFETCH(double, easting);
        QFETCH(double, northing);
        unsigned int z = 99;
        double e = 1.5, n = 2.5;
        std::string error = "stale message";
        const bool read = CoordConverter::convertMgrsToUtm(zone, band, mgrs.toStdString(), z, e, n, error);
        if (!reason.isEmpty()) {
            QVERIFY(!read);
            QVERIFY2(QString::fromStdString(error).contains(reason, Qt::CaseInsensitive), error.c_str());
            // A refusal leaves the outputs alone.
            QCOMPARE(z, 99u);
            QCOMPARE(e, 1.5);
            QCOMPARE(n, 2.5);
            return;
        }
        QVERIFY2(read, error.c_str());
        QVERIFY(error.empty());
        QCOMPARE(z, zoneOut);
        VERIFY_NEAR(e, easting, 1e-6);
        VERIFY_NEAR(n, northing, 1e-6);
    }
};

QTEST_APPLESS_MAIN(TestCoordConverter)
#include "tst_coordconverter.moc"
