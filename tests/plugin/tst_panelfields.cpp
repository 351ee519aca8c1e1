#include "LoadedCompassPlugin.h"
#include "NumberText.h"
#include "TestHost.h"

#include <QDoubleValidator>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>

#include <cmath>
#include <memory>

using velmora::testing::LoadedCompassPlugin;
using velmora::testing::TestHost;
using velmora::testing::Texts;

// The fields as a user types into them in the C, German and process locale
// (ctest runs this again with LC_ALL=de_DE.UTF-8); every accepted edit makes
// all six forms describe one place, checked against reference values made with
// GeographicLib's command-line tools; every refused edit says why and changes nothing.

namespace {

// One place of data/places.txt, elevation 0.
struct Place
{
    QString name;
    double latitude, longitude;
    uint zone;
    QString band;
    double easting, northing;
    QString mgrs;
    double gcc[3], local[3];
};

QList<Place> readPlaces()
{
    QList<Place> places;
    QFile file(QStringLiteral(VELMORA_TEST_DATA_DIR "/places.txt"));
    file.open(QIODevice::ReadOnly | QIODevice::Text);
    while (!file.atEnd()) {
        const QStringList f = QString::fromLatin1(file.readLine()).split(' ', Qt::SkipEmptyParts);
        if (f.size() == 14 && !f[0].startsWith('#'))
            places.append({f[0], f[1].toDouble(), f[2].toDouble(), f[3].toUInt(), f[4], f[5].toDouble(),
                           f[6].toDouble(), f[7], {f[8].toDouble(), f[9].toDouble(), f[10].toDouble()},
                           {f[11].toDouble(), f[12].toDouble(), f[13].toDouble()}});
    }
    return places;
}

// Eight significant digits of values up to about 1e7 m leave a metre; a
// reference read back as a cell corner is up to 1.4 m off.
constexpr double metres = 2.0;

// Degrees, minutes and seconds as a user writes them: the sign on the degrees.
QStringList dmsTexts(double value)
{
    const double magnitude = std::fabs(value);
    const int degrees = int(magnitude);
    const int minutes = int((magnitude - degrees) * 60.0);
    const double seconds = (magnitude - degrees - minutes / 60.0) * 3600.0;
    return {(value < 0 ? "-" : "") + QString::number(degrees), QString::number(minutes), QString::number(seconds, 'f', 4)};
}

} // namespace

Q_DECLARE_METATYPE(Place)

class TestPanelFields : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void init() { host = std::make_unique<TestHost>(), plugin = std::make_unique<LoadedCompassPlugin>(); }
    void cleanup() { plugin.reset(), host.reset(), QLocale::setDefault(QLocale::c()); }

    void typing_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("finished");
        // Proves that the German run of this test really runs under German.
        if (qgetenv("LC_ALL").startsWith("de_DE"))
            QCOMPARE(QLocale::system().decimalPoint(), QChar(','));
        // Empty means the locale of the process, which is German in the German ctest run.
        for (const QString& locale : {QString("C"), QString("de_DE"), QString()}) {
            const QByteArray tag = locale.isEmpty() ? QByteArray("system") : locale.toLatin1();
            auto row = [&](const char* name, const char* field, const char* typed, const char* shown, bool finished) {
                QTest::addRow("%s: %s", tag.constData(), name) << locale << field << typed << shown << finished;
            };
            // A decimal comma is what a German user means by a point; elsewhere it is
            // refused as typed, and in neither case read as 12 later.
            const bool commaLocale = (locale.isEmpty() ? QLocale::system() : QLocale(locale)).decimalPoint() == ',';
            row("decimal comma", "gdcLatitudeTextBox", "12,5", commaLocale ? "12.5" : "125", true);
            // German grouping would mean 1000.5; the field keeps only what reads back.
            row("german grouping refused", "gccXTextBox", "1.000,5", "1.0005", true);
            row("point and exponent", "utmEastingTextBox", "-3.25e-2", "-3.25e-2", true);
            // Intermediate input finishes no edit and so starts no recomputation.
            row("lone minus", "localYTextBox", "-", "-", false);
            row("letters refused", "gdcElevationTextBox", "abc", "", false);
            // Out of range but as long as the limit: shown, yet no edit finishes.
            row("zone above 60", "utmZoneTextBox", "61", "61", false);
            row("zone two characters", "utmZoneTextBox", "123", "12", true);
            row("zone grouping refused", "utmZoneTextBox", "1,5", "15", true);
            // Either case, one letter; I and O pass here, the UTM check refuses them with its own message.
            row("band one letter of C-X", "utmBandTextBox", "ix", "i", true);
            row("band outside C-X", "utmBandTextBox", "A", "", false);
            row("latitude whole only", "latDegText", "-45.5", "-45", true);
            row("latitude above 90", "latDegText", "91", "91", false);
            row("longitude -180", "lonDegText", "-180", "-180", true);
            row("longitude above 180", "lonDegText", "181", "181", false);
            row("minutes 60", "lonMinText", "60", "60", false);
            // Seconds are shown with decimals, so they are taken back with decimals, below 60.
            row("seconds decimals", "latSecText", "24.444437", "24.444437", true);
            row("seconds 60", "lonSecText", "60", "60", false);
            row("seconds decimal comma", "lonSecText", "12,5", commaLocale ? "12.5" : "125", commaLocale);
            // The sign of an angle between -1 and 0 stands on its zero degrees.
            row("degrees minus zero", "latDegText", "-0", "-0", true);
            row("minutes unsigned", "latMinText", "-5", "5", true);
        }
    }

    void typing()
    {
        QFETCH(QString, locale);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(bool, finished);

        plugin.reset();
        QLocale::setDefault(locale.isEmpty() ? QLocale::system() : QLocale(locale));
        plugin = std::make_unique<LoadedCompassPlugin>(false);
        QLineEdit* edit = plugin->field(field);
        QSignalSpy finishedSpy(edit, &QLineEdit::editingFinished);

        QTest::keyClicks(edit, typed);
        QTest::keyClick(edit, Qt::Key_Return);

        QTEST(edit->text(), "shown");
        QCOMPARE(finishedSpy.count(), finished ? 1 : 0);
        // Whatever a field lets through means the same to its reader as to the user.
        if (finished && qobject_cast<const QDoubleValidator*>(edit->validator()))
            QCOMPARE(velmora::plugin::compass_widget::textToDouble(edit->text()), QLocale::c().toDouble(edit->text()));
    }

    void everyFormDescribesOnePlace_data()
    {
        QTest::addColumn<Place>("place");
        QTest::addColumn<QString>("form");
        const QList<Place> places = readPlaces();
        QVERIFY(places.size() > 10);
        for (const Place& place : places)
            for (const char* form : {"gdc", "dms", "gcc", "local", "utm", "mgrs"})
                // UPS positions have zone 0, which the UTM form does not take.
                if (place.zone > 0 || QByteArray(form) != "utm")
                    QTest::addRow("%s from %s", qPrintable(place.name), form) << place << QString(form);
    }

    void everyFormDescribesOnePlace()
    {
        QFETCH(Place, place);
        QFETCH(QString, form);
        // A place far away first, so that every form really changes; a grid reference has no height.
        plugin->enter({{"gdcLatitudeTextBox", "-45"}, {"gdcLongitudeTextBox", "-100"}, {"gdcElevationTextBox", "9"}});

        auto mm = [](double value) { return QString::number(value, 'f', 3); };
        const QStringList lat = dmsTexts(place.latitude), lon = dmsTexts(place.longitude);
        const QMap<QString, Texts> forms = {
            {"gdc", {{"gdcLatitudeTextBox", QString::number(place.latitude, 'g', 10)},
                     {"gdcLongitudeTextBox", QString::number(place.longitude, 'g', 10)}, {"gdcElevationTextBox", "0"}}},
            {"dms", {{"latDegText", lat[0]}, {"latMinText", lat[1]}, {"latSecText", lat[2]}, {"lonDegText", lon[0]},
                     {"lonMinText", lon[1]}, {"lonSecText", lon[2]}, {"elevDmsText", "0"}}},
            {"gcc", {{"gccXTextBox", mm(place.gcc[0])}, {"gccYTextBox", mm(place.gcc[1])},
                     {"gccZTextBox", mm(place.gcc[2])}}},
            {"local", {{"localXTextBox", mm(place.local[0])}, {"localYTextBox", mm(place.local[1])},
                       {"localZTextBox", mm(place.local[2])}}},
            // A lower-case band is the same band.
            {"utm", {{"utmZoneTextBox", QString::number(place.zone)}, {"utmBandTextBox", place.band.toLower()},
                     {"utmEastingTextBox", mm(place.easting)}, {"utmNorthingTextBox", mm(place.northing)}}},
            {"mgrs", {{"mgrsTextBox", place.mgrs}}}};
        const Texts typed = forms[form];
        plugin->enter(typed);

        const Texts shown = plugin->texts();
        // The edited form keeps what the user typed.
        for (auto it = typed.cbegin(); it != typed.cend(); ++it)
            QCOMPARE(shown[it.key()], it.value());
        for (const char* status : {"locationStatus", "utmStatus", "mgrsStatus"})
            QCOMPARE(plugin->find<QLabel>(status)->text(), QString());

        auto number = [&](const QString& field) { return shown[field].toDouble(); };
        auto join = [&](const QString& prefix) {
            const double magnitude = std::fabs(number(prefix + "DegText")) + number(prefix + "MinText") / 60.0 +
                                     number(prefix + "SecText") / 3600.0;
            return shown[prefix + "DegText"].startsWith('-') ? -magnitude : magnitude;
        };
        auto wrapped = [&](double longitude) {
            return place.longitude + std::remainder(longitude - place.longitude, 360.0);
        };
        auto near = [](const char* what, double shown, double expected, double tolerance) {
            QVERIFY2(std::fabs(shown - expected) < tolerance, what);
        };
        const double latitude = metres / 111320.0, longitude = latitude / std::cos(place.latitude * M_PI / 180.0);
        near("latitude", number("gdcLatitudeTextBox"), place.latitude, latitude);
        near("longitude", wrapped(number("gdcLongitudeTextBox")), place.longitude, longitude);
        near("deg:min:sec latitude", join("lat"), place.latitude, latitude);
        near("deg:min:sec longitude", wrapped(join("lon")), place.longitude, longitude);
        near("elevation", number("gdcElevationTextBox"), 0.0, metres);
        near("deg:min:sec elevation", number("elevDmsText"), 0.0, metres);
        for (int i = 0; i < 3; ++i) {
            near("GCC", number(QString("gcc%1TextBox").arg("XYZ"[i])), place.gcc[i], metres);
            near("local", number(QString("local%1TextBox").arg("XYZ"[i])), place.local[i], metres);
        }
        near("easting", number("utmEastingTextBox"), place.easting, metres);
        near("northing", number("utmNorthingTextBox"), place.northing, metres);
        // The truncated digits of the reference.
        const QString mgrs = shown["mgrsTextBox"], expected = place.mgrs;
        near("MGRS easting", mgrs.right(10).left(5).toDouble(), expected.right(10).left(5).toDouble(), metres);
        near("MGRS northing", mgrs.right(5).toDouble(), expected.right(5).toDouble(), metres);
        // Both grid forms name the same zone and band, even on a band edge, and the same square.
        const QString band = shown["utmBandTextBox"].toUpper();
        const QString zone = place.zone > 0 ? QString("%1").arg(place.zone, 2, 10, QChar('0')) : "";
        QCOMPARE(mgrs.left(mgrs.size() - 12), zone + band);
        QCOMPARE(mgrs.left(mgrs.size() - 10).right(2), expected.left(expected.size() - 10).right(2));
        // Exactly on a band edge, input rounded to the millimetre may land on either side.
        if (std::remainder(place.latitude, 8.0) != 0.0)
            QCOMPARE(shown["utmZoneTextBox"] + band, QString::number(place.zone) + place.band);
    }

    void refusedEditsChangeNothing_data()
    {
        QTest::addColumn<Texts>("typed");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("message");

        const QString blank = "There is a blank field", zone = "Zone needs to from 1 to 60", utm = "utmStatus";
        auto with = [](Texts changes) {
            Texts t = {{"utmZoneTextBox", "10"}, {"utmBandTextBox", "T"}, {"utmEastingTextBox", "594507"},
                       {"utmNorthingTextBox", "5189496"}};
            t.insert(changes);
            return t;
        };
        QTest::newRow("utm blank reported before zone")
            << with({{"utmNorthingTextBox", ""}, {"utmZoneTextBox", "0"}}) << utm << blank;
        QTest::newRow("utm zone 0") << with({{"utmZoneTextBox", "0"}}) << utm << zone;
        QTest::newRow("utm zone 61") << with({{"utmZoneTextBox", "61"}}) << utm << zone;
        QTest::newRow("utm band I, lower case") << with({{"utmBandTextBox", "i"}}) << utm
                                                << "UTM Band cannot be an I or an O";
        // Far outside any zone: no place, and no nan in the other forms.
        QTest::newRow("utm easting outside the zone")
            << with({{"utmEastingTextBox", "90000000"}}) << utm << "No place in zone 10T has this easting and northing";
        QTest::newRow("mgrs square not in zone") << Texts{{"mgrsTextBox", "33TAA1234512345"}} << "mgrsStatus"
                                                 << "The 100 km square AA is not in grid zone 33T";
        QTest::newRow("mgrs empty") << Texts{{"mgrsTextBox", ""}} << "mgrsStatus" << "Enter an MGRS reference";
        QTest::newRow("latitude 200") << Texts{{"gdcLatitudeTextBox", "200"}} << "locationStatus"
                                      << "Latitude must be from -90 to 90 degrees";
        QTest::newRow("dms beyond the pole") << Texts{{"latDegText", "-90"}, {"latMinText", "30"}} << "locationStatus"
                                             << "Latitude must be from -90 to 90 degrees";
        // Far beyond the earth, the local frame overflows to infinity.
        QTest::newRow("local beyond range") << Texts{{"localXTextBox", "1.7e308"}, {"localYTextBox", "1.7e308"}}
                                            << "locationStatus" << "No place on the earth has these coordinates";
    }

    void refusedEditsChangeNothing()
    {
        QFETCH(Texts, typed);
        QFETCH(QString, status);
        const Texts before = plugin->texts();
        plugin->enter(typed);
        auto* label = plugin->find<QLabel>(status);
        QTEST(label->text(), "message");
        QVERIFY(label->isVisibleTo(plugin->panel()));
        Texts after = plugin->texts();
        for (auto it = typed.cbegin(); it != typed.cend(); ++it)
            after[it.key()] = before[it.key()];
        QCOMPARE(after, before);

        // A good edit anywhere shows a new place in every form: the complaint no longer applies.
        plugin->enter({{"gdcLatitudeTextBox", "45"}});
        QCOMPARE(label->text(), QString());
        QVERIFY(status != "locationStatus" || !label->isVisibleTo(plugin->panel()));
    }

    void mgrsReferences_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<QString>("zoneAndBand");
        QTest::addColumn<double>("latitude");

        QTest::newRow("spaces and lower case") << "46.85" << "10t es 94507 89496" << "10T" << 46.8523;
        // Only the 100 km square: completed with the zone and band shown before.
        QTest::newRow("square only") << "46.85" << "ES9450789496" << "10T" << 46.8523;
        // The south-west corner of the 10 km square, as written.
        QTest::newRow("one digit pair") << "46.85" << "10TES98" << "10T" << 46.7719;
        // A reference in another band shows its own band, not the remembered one.
        QTest::newRow("other band") << "46.85" << "33PWJ0000084298" << "33P" << 8.0;
        QTest::newRow("other hemisphere") << "46.85" << "56HLH3436850948" << "56H" << -33.8688;
        // Polar references, and references typed after a polar place, have a position.
        QTest::newRow("polar") << "46.85" << "ZBA0611398202" << "0Z" << 84.5;
        QTest::newRow("after a polar place") << "89" << "10TES9450789496" << "10T" << 46.8523;
    }

    void mgrsReferences()
    {
        QFETCH(QString, before);
        QFETCH(QString, reference);
        QFETCH(double, latitude);
        plugin->enter({{"gdcLatitudeTextBox", before}, {"gdcLongitudeTextBox", before == "89" ? "10" : "-121.76"}});
        // The reference's band is remembered for the next one without a zone
        // (polar references always carry their own).
        for (const QString& typed : {reference, reference.mid(reference.indexOf(QRegExp("[A-Za-z]{2}[0-9 ]*$")))}) {
            plugin->enter({{"mgrsTextBox", typed}});
            QCOMPARE(plugin->find<QLabel>("mgrsStatus")->text(), QString());
            QTEST(plugin->field("utmZoneTextBox")->text() + plugin->field("utmBandTextBox")->text(), "zoneAndBand");
            QVERIFY(std::fabs(plugin->field("gdcLatitudeTextBox")->text().toDouble() - latitude) < 0.01);
            if (reference.startsWith('Z'))
                break;
        }
    }

    void typedSignBetweenMinusOneAndZero()
    {
        plugin->enter({{"gdcLatitudeTextBox", "-0.5"}, {"gdcLongitudeTextBox", "-0.25"}});
        QCOMPARE(plugin->field("latDegText")->text(), QString("-0"));
        QCOMPARE(plugin->field("lonMinText")->text(), QString("15"));
        // Read back, the deg:min:sec form stays in the southern and western hemispheres.
        plugin->enter({{"latSecText", "0"}});
        QCOMPARE(plugin->field("gdcLatitudeTextBox")->text(), QString("-0.5"));
        QCOMPARE(plugin->field("gdcLongitudeTextBox")->text(), QString("-0.25"));
    }

private:
    std::unique_ptr<TestHost> host;
    std::unique_ptr<LoadedCompassPlugin> plugin;
};

QTEST_MAIN(TestPanelFields)
#include "tst_panelfields.moc"
