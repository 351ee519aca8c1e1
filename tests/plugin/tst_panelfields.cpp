#include "LoadedCompassPlugin.h"
#include "NumberText.h"
#include "SixForms.h"
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

// The places of data/places.txt, elevation 0, each as the columns of its line:
// name latitude longitude zone band easting northing mgrs gccX gccY gccZ localX localY localZ.
QList<QStringList> readPlaces()
{
    QList<QStringList> places;
    QFile file(QStringLiteral(VELMORA_TEST_DATA_DIR "/places.txt"));
    file.open(QIODevice::ReadOnly | QIODevice::Text);
    while (!file.atEnd()) {
        const QStringList columns = QString::fromLatin1(file.readLine()).split(' ', Qt::SkipEmptyParts);
        if (columns.size() == 14 && !columns[0].startsWith('#'))
            places.append(columns);
    }
    return places;
}

// Eight significant digits of values up to about 1e7 m leave a metre.
constexpr double metres = 2.0;

// Degrees, minutes and seconds as a user writes them: the sign on the degrees.
QStringList dmsTexts(double value)
{
    const double magnitude = std::fabs(value);
    const int degrees = int(magnitude);
    const int minutes = int((magnitude - degrees) * 60.0);
    const double seconds = (magnitude - degrees - minutes / 60.0) * 3600.0;
    const QString sign = value < 0 ? "-" : "";
    return {sign + QString::number(degrees), QString::number(minutes), QString::number(seconds, 'f', 4)};
}

} // namespace

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
            // Intermediate input finishes no edit and so starts no recomputation.
            row("lone minus", "localYTextBox", "-", "-", false);
            // Out of range but as long as the limit: shown, yet no edit finishes.
            row("zone above 60", "utmZoneTextBox", "61", "61", false);
            row("zone grouping refused", "utmZoneTextBox", "1,5", "15", true);
            // I and O pass here, the UTM check refuses them with its own message.
            row("band outside C-X", "utmBandTextBox", "A", "", false);
            row("latitude above 90", "latDegText", "91", "91", false);
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
        QTest::addColumn<QStringList>("place");
        QTest::addColumn<QString>("form");
        const QList<QStringList> places = readPlaces();
        QVERIFY(places.size() > 10);
        for (const QStringList& place : places)
            for (const char* form : {"gdc", "dms", "gcc", "local", "utm", "mgrs"})
                // UPS positions have zone 0, which the UTM form does not take.
                if (place[3] != "0" || QByteArray(form) != "utm")
                    QTest::addRow("%s from %s", qPrintable(place[0]), form) << place << QString(form);
    }

    void everyFormDescribesOnePlace()
    {
        QFETCH(QStringList, place);
        QFETCH(QString, form);
        // A place far away first, so that every form really changes; a grid reference has no height.
        plugin->enter({{"gdcLatitudeTextBox", "-45"}, {"gdcLongitudeTextBox", "-100"}, {"gdcElevationTextBox", "9"}});

        const double latitude = place[1].toDouble(), longitude = place[2].toDouble();
        auto mm = [&](int column) { return QString::number(place[column].toDouble(), 'f', 3); };
        auto xyz = [&](const QString& prefix, int column) {
            return Texts{{prefix + "XTextBox", mm(column)}, {prefix + "YTextBox", mm(column + 1)},
                         {prefix + "ZTextBox", mm(column + 2)}};
        };
        const QStringList lat = dmsTexts(latitude), lon = dmsTexts(longitude);
        const QMap<QString, Texts> forms = {
            {"gdc",
             {{"gdcLatitudeTextBox", place[1]}, {"gdcLongitudeTextBox", place[2]}, {"gdcElevationTextBox", "0"}}},
            {"dms", {{"latDegText", lat[0]}, {"latMinText", lat[1]}, {"latSecText", lat[2]}, {"lonDegText", lon[0]},
                     {"lonMinText", lon[1]}, {"lonSecText", lon[2]}, {"elevDmsText", "0"}}},
            {"gcc", xyz("gcc", 8)},
            {"local", xyz("local", 11)},
            // A lower-case band is the same band.
            {"utm", {{"utmZoneTextBox", place[3]}, {"utmBandTextBox", place[4].toLower()},
                     {"utmEastingTextBox", mm(5)}, {"utmNorthingTextBox", mm(6)}}},
            {"mgrs", {{"mgrsTextBox", place[7]}}}};
        const Texts typed = forms[form];
        plugin->enter(typed);

        const Texts shown = plugin->texts();
        // The edited form keeps what the user typed.
        for (auto it = typed.cbegin(); it != typed.cend(); ++it)
            QCOMPARE(shown[it.key()], it.value());
        for (const char* status : {"locationStatus", "utmStatus", "mgrsStatus"})
            QCOMPARE(plugin->find<QLabel>(status)->text(), QString());
        QCOMPARE(velmora::testing::sixFormsDisagreement(shown), QString());

        // Against the reference, so that a wrong host conversion shows.
        auto off = [&](const char* field, double expected) { return std::fabs(shown[field].toDouble() - expected); };
        const double degrees = metres / 111320.0, longitudeOff = off("gdcLongitudeTextBox", longitude);
        QVERIFY(off("gdcLatitudeTextBox", latitude) < degrees && off("gdcElevationTextBox", 0.0) < metres);
        QVERIFY(std::fabs(std::remainder(longitudeOff, 360.0)) < degrees / std::cos(latitude * M_PI / 180.0));
        QVERIFY(off("utmEastingTextBox", place[5].toDouble()) < metres);
        QVERIFY(off("utmNorthingTextBox", place[6].toDouble()) < metres);
        // Exactly on a band edge, input rounded to the millimetre may land on either side.
        if (std::remainder(latitude, 8.0) != 0.0)
            QCOMPARE(shown["utmZoneTextBox"] + shown["utmBandTextBox"].toUpper(), place[3] + place[4]);
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
        QTest::newRow("utm band I, lower case") << with({{"utmBandTextBox", "i"}}) << utm
                                                << "UTM Band cannot be an I or an O";
        // Far outside any zone: no place, and no nan in the other forms.
        QTest::newRow("utm easting outside the zone")
            << with({{"utmEastingTextBox", "90000000"}}) << utm << "No place in zone 10T has this easting and northing";
        QTest::newRow("mgrs square not in zone") << Texts{{"mgrsTextBox", "33TAA1234512345"}} << "mgrsStatus"
                                                 << "The 100 km square AA is not in grid zone 33T";
        QTest::newRow("latitude 200") << Texts{{"gdcLatitudeTextBox", "200"}} << "locationStatus"
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
        // References typed after a polar place have a position (references in another band, hemisphere or
        // polar are typed after a far place in everyFormDescribesOnePlace).
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

private:
    std::unique_ptr<TestHost> host;
    std::unique_ptr<LoadedCompassPlugin> plugin;
};

QTEST_MAIN(TestPanelFields)
#include "tst_panelfields.moc"
