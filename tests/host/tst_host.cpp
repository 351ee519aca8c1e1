#include "TestHost.h"

#include <velmora/terrain/TerrainManager.h>
#include <velmora/utility/CoordConverter.h>
#include <velmora/widget/plugin/WidgetPlugin.h>

#include <QGraphicsProxyWidget>
#include <QPointer>
#include <QtTest>

#include <cmath>
#include <limits>

using gmtl::Vec3d;
using velmora::application::Application;
using velmora::terrain::TerrainManager;
using velmora::utility::CoordConverter;
using velmora::widget::plugin::WidgetPlugin;

namespace {
const double noValue = std::numeric_limits<double>::quiet_NaN();
const double infinity = std::numeric_limits<double>::infinity();
// WGS84 semi-major axis (NIMA TR8350.2).
const double wgs84A = 6378137.0;
// 0.9996 (UTM central scale) times the WGS84 meridian arc from the equator to 45 degrees (4 984 944.378 m).
const double northing45 = 4982950.400;

// A geodetic point and its UTM/UPS position; easting and northing NaN where not checked.
struct UtmCase
{
    double latitude, longitude;
    uint zone;
    char band;
    double easting = noValue, northing = noValue;
};

// A UTM/UPS position, its MGRS reference (empty: both conversions refuse) and latitude (NaN: not checked).
struct GridCase
{
    uint zone;
    char band;
    double easting, northing;
    uint precision = 0;
    const char* mgrs = "";
    double latitude = noValue;
};

// An MGRS reference read with the caller's zone and band. reason is empty for a reading, else a distinctive
// word of the refusal, which leaves the outputs alone (99, 1.5, 2.5).
struct MgrsCase
{
    uint zone;
    char band;
    std::string mgrs;
    const char* reason;
    uint zoneOut = 99;
    double easting = 1.5, northing = 2.5;
};

// A widget plugin with nothing but its 200 x 150 panel.
class Panel : public WidgetPlugin
{
public:
    explicit Panel(const QString& name) : WidgetPlugin(name, QIcon()) { panelWidget->resize(200, 150); }
    void initialize() override {}
    bool overDialog(int x, int y, QWidget* widget = nullptr) const { return isMouseWithinGuiDialog(x, y, widget); }
};

} // namespace

Q_DECLARE_METATYPE(UtmCase)
Q_DECLARE_METATYPE(GridCase)
Q_DECLARE_METATYPE(MgrsCase)

#define VERIFY_NEAR(actual, expected, tolerance)        \
    QVERIFY2(qAbs((actual) - (expected)) < (tolerance), \
             qPrintable(QStringLiteral("got %1, expected %2").arg(actual, 0, 'f', 9).arg(expected, 0, 'f', 9)))

// The host layer: its conversions (geocentric, geodetic, UTM/UPS, MGRS and the terrain's local frame),
// the application singleton and the widget plugins' dialogs.
class TestHostLayer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void gccToGdc()
    {
        double lat, lon, h;
        // A renderer's degenerate matrix feeds infinity; a finite point so far out that its height overflows
        // is no place either. Nothing may be invented, not even half an answer.
        for (const Vec3d& far : {Vec3d(infinity, 0, 0), Vec3d(0, -3.73e305, -std::numeric_limits<double>::max())}) {
            CoordConverter::convertGccToGdc(far[0], far[1], far[2], lat, lon, h);
            QVERIFY(std::isnan(lat) && std::isnan(lon) && std::isnan(h));
        }
    }

    void gdcToUtm_data()
    {
        QTest::addColumn<UtmCase>("c");
        // Wikipedia's UTM article: the CN Tower is at 17T 630084 4833438 (whole metres).
        QTest::newRow("CN Tower") << UtmCase{43.642567, -79.387139, 17u, 'T', 630084.0, 4833438.0};
        // 500 km false easting; no false northing in the north, 10 000 km in the south.
        QTest::newRow("45S on 15E") << UtmCase{-45.0, 15.0, 33u, 'G', 500000.0, 10e6 - northing45};
        // -1e-15 + 80 rounds to 80: the band must still say south, as the northing does.
        QTest::newRow("a hair south of the equator is band M") << UtmCase{-1e-15, 15.0, 33u, 'M'};
        // Zone exceptions: 32V widened west to 3E; Svalbard's odd X zones replace the even ones.
        QTest::newRow("Bergen is in 32V, not 31V") << UtmCase{60.39, 5.32, 32u, 'V'};
        QTest::newRow("Ny-Alesund is 33X, not 32X") << UtmCase{78.92, 11.93, 33u, 'X'};
        // Band edges: X is 12 degrees tall (72N..84N); UTM stops at 84N and below 80S.
        QTest::newRow("84N west is UPS Y") << UtmCase{84.0, -15.0, 0u, 'Y'};
        QTest::newRow("80S is still UTM band C") << UtmCase{-80.0, 15.0, 33u, 'C'};
        // UPS: each pole is at 2000 km, 2000 km; on the 0/180 line the pole falls in the eastern letter.
        QTest::newRow("south pole is B") << UtmCase{-90.0, 0.0, 0u, 'B', 2e6, 2e6};
    }
    void gdcToUtm()
    {
        QFETCH(UtmCase, c);
        unsigned int z = 0;
        char b = '\0';
        double e = noValue, n = noValue;
        CoordConverter::convertGdcToUtm(c.latitude, c.longitude, z, b, e, n);
        QCOMPARE(z, c.zone);
        QCOMPARE(b, c.band);
        // 1 m: the published positions are whole metres; every fault this guards is kilometres off.
        if (!std::isnan(c.easting)) {
            VERIFY_NEAR(e, c.easting, 1.0);
            VERIFY_NEAR(n, c.northing, 1.0);
        }
    }

    void fromUtm_data()
    {
        QTest::addColumn<GridCase>("c");
        // MGRS letters worked out by hand: zone 33 uses columns S-Z, zone 17 J-R; odd zones start
        // rows at A at the equator, every 2000 km. The panel may hold the other hemisphere's northing.
        QTest::newRow("45S, northern convention, lower case")
            << GridCase{33u, 't', 500000.0, -northing45, 0u, "33GWL", -45.0};
        // MGRS truncates: the reference names the cell holding the point.
        QTest::newRow("CN Tower, digits truncated") << GridCase{17u, 'T', 630084.9, 4833438.9, 5u, "17TPJ3008433438"};
        // The band only picks the hemisphere; the letter written is the position's own.
        QTest::newRow("band letter from the position")
            << GridCase{33u, 'N', 584683.0, 5212345.0, 5u, "33TWN8468312345"};
        // UPS lettering: Z columns start at A at 2000 km, rows at A at 1300 km.
        QTest::newRow("north pole") << GridCase{0u, 'Z', 2e6, 2e6, 0u, "ZAH"};
        // strchr finds the terminating '\0' in any band list.
        QTest::newRow("no band") << GridCase{33u, '\0', 500000.0, northing45};
        QTest::newRow("NaN northing") << GridCase{33u, 'T', 500000.0, noValue};
    }
    void fromUtm()
    {
        QFETCH(GridCase, c);
        const QString mgrs = c.mgrs;
        QCOMPARE(QString::fromStdString(CoordConverter::convertUtmToMgrs(c.easting, c.northing, c.zone, c.band,
                                                                         c.precision)),
                 mgrs);
        double lat = 0, lon = 0;
        CoordConverter::convertUtmToGdc(c.zone, c.band, c.easting, c.northing, lat, lon);
        QCOMPARE(std::isnan(lat) && std::isnan(lon), mgrs.isEmpty());
        // 1e-7 degrees is about a centimetre, the precision of northing45; the longitude is the zone's centre.
        if (!std::isnan(c.latitude)) {
            VERIFY_NEAR(lat, c.latitude, 1e-7);
            VERIFY_NEAR(lon, 15.0, 1e-7);
        }
    }

    void mgrsToUtm_data()
    {
        QTest::addColumn<MgrsCase>("c");
        // Hand-lettered as in fromUtm; the result is the cell's south-west corner, not its centre.
        QTest::newRow("CN Tower: lower case, tabs, padding")
            << MgrsCase{0u, '\0', " 17t PJ\t30084 33438\n", "", 17u, 630084.0, 4833438.0};
        // The panel's zone completes a reference typed without it.
        QTest::newRow("no zone, lower case, spaces")
            << MgrsCase{33u, 't', "wn 84683 12345", "", 33u, 584683.0, 5212345.0};
        // The caller converts with its own band: northings follow that band's hemisphere; UPS never shifts.
        QTest::newRow("northern reference, southern caller")
            << MgrsCase{33u, 'C', "33TWN8468312345", "", 33u, 584683.0, 15212345.0};
        QTest::newRow("southern reference, northern caller")
            << MgrsCase{33u, 'T', "33GWL0000000000", "", 33u, 500000.0, -5000000.0};
        QTest::newRow("UPS is never shifted") << MgrsCase{33u, 'C', "ZAH0000000000", "", 0u, 2e6, 2e6};
        QTest::newRow("letter O") << MgrsCase{0u, '\0', "33TWO1234", "I and O"};
        QTest::newRow("no zone, caller has none") << MgrsCase{0u, 'T', "WN8468312345", "no zone"};
        // "8468 312345" would silently become easting 84683; better to refuse.
        QTest::newRow("space inside the digits") << MgrsCase{0u, '\0', "33TWN 8468 312345", "Spaces"};
        QTest::newRow("non-ASCII") << MgrsCase{0u, '\0', "33TWN8468312345\xc3\xa9", "only letters"};
    }
    void mgrsToUtm()
    {
        QFETCH(MgrsCase, c);
        unsigned int z = 99;
        double e = 1.5, n = 2.5;
        std::string error = "stale message";
        const bool read = CoordConverter::convertMgrsToUtm(c.zone, c.band, c.mgrs, z, e, n, error);
        QVERIFY2(read == !*c.reason && QString::fromStdString(error).contains(c.reason, Qt::CaseInsensitive),
                 error.c_str());
        QVERIFY(!read || error.empty());
        QCOMPARE(z, c.zoneOut);
        VERIFY_NEAR(e, c.easting, 1e-6);
        VERIFY_NEAR(n, c.northing, 1e-6);
    }

    void terrainFrame()
    {
        const osg::ref_ptr<TerrainManager> terrain = TerrainManager::instance();
        // Latitude and longitude differ, so swapping them would show; an origin that names no place is refused.
        terrain->setOrigin(58.97, 5.73, 50.0);
        terrain->setOrigin(std::nan(""), 5.73, 50.0);
        terrain->setOrigin(95.0, 5.73, 50.0);
        // The origin is the frame's (0, 0, 0); convertGdcToTerrainLocal reads latitude first...
        Vec3d local, gdc;
        terrain->convertGdcToTerrainLocal(Vec3d(58.97, 5.73, 50.0), local);
        QVERIFY(std::hypot(local[0], local[1], local[2]) < 0.001);
        // ...convertTerrainLocalToGdc writes longitude first.
        terrain->convertTerrainLocalToGdc(Vec3d(0.0, 0.0, 0.0), gdc);
        VERIFY_NEAR(gdc[0], 5.73, 1e-9);
        VERIFY_NEAR(gdc[1], 58.97, 1e-9);
        VERIFY_NEAR(gdc[2], 50.0, 0.001);

        // Out of the domain no stale or made-up number may survive: every element says "no value".
        const auto refuses = [&](void (TerrainManager::*convert)(const Vec3d&, Vec3d&) const, const Vec3d& input) {
            Vec3d output(1.0, 2.0, 3.0);
            (terrain.get()->*convert)(input, output);
            return std::isnan(output[0]) && std::isnan(output[1]) && std::isnan(output[2]);
        };
        QVERIFY(refuses(&TerrainManager::convertTerrainLocalToGcc, Vec3d(infinity, 0.0, 0.0)));
        QVERIFY(refuses(&TerrainManager::convertGccToTerrainLocal, Vec3d(wgs84A, 0.0, noValue)));
        QVERIFY(refuses(&TerrainManager::convertTerrainLocalToGdc, Vec3d(0.0, 0.0, noValue)));
    }

    void applicationLifetimeAndWindow()
    {
        QCOMPARE(Application::instance(), nullptr);
        {
            Application app(640, 480);
            QCOMPARE(Application::instance(), &app);
            // A zero-sized window would give a degenerate projection; it is kept at one pixel.
            app.resize(0, 0);
            int x, y, width, height;
            app.getGraphicsWindow()->getWindowRectangle(x, y, width, height);
            QCOMPARE(QSize(width, height), QSize(1, 1));
        }
        QCOMPARE(Application::instance(), nullptr);
    }

    void mouseOverDialogs_data()
    {
        QTest::addColumn<QPoint>("cursor");
        QTest::addColumn<bool>("anyDialog");
        QTest::addColumn<bool>("ownDialog");
        // The own panel is shown at (100, 100), 200 x 150; another at (600, 300).
        QTest::newRow("inside own dialog") << QPoint(150, 150) << true << true;
        QTest::newRow("inside the other dialog") << QPoint(650, 350) << true << false;
        QTest::newRow("open terrain") << QPoint(450, 500) << false << false;
        // The dialog's title bar belongs to the dialog as much as its content.
        QTest::newRow("own title bar") << QPoint(150, 95) << true << true;
    }
    void mouseOverDialogs()
    {
        QFETCH(QPoint, cursor);
        velmora::testing::TestHost host;
        Panel own("Compass"), other("Other");
        host.showAsDialog(own.getWidget(), 100, 100);
        host.showAsDialog(other.getWidget(), 600, 300);
        QTEST(own.overDialog(cursor.x(), cursor.y()), "anyDialog");
        QTEST(own.overDialog(cursor.x(), cursor.y(), own.getWidget()), "ownDialog");
        // A hidden dialog no longer covers the terrain.
        own.getWidget()->graphicsProxyWidget()->hide();
        other.getWidget()->graphicsProxyWidget()->hide();
        QVERIFY(!own.overDialog(cursor.x(), cursor.y()));
    }

    void panelGoesWithThePlugin()
    {
        // With no host view there is no dialog to be over.
        QVERIFY(!Panel("Compass").overDialog(10, 10));
        velmora::testing::TestHost host;
        QPointer<QWidget> panelWidget;
        QPointer<QGraphicsProxyWidget> proxy;
        {
            Panel panel("Compass");
            panelWidget = panel.getWidget();
            proxy = host.showAsDialog(panelWidget, 0, 0);
        }
        QVERIFY(panelWidget.isNull() && proxy.isNull());
    }
};

QTEST_MAIN(TestHostLayer)
#include "tst_host.moc"
