#include "LoadedCompassPlugin.h"
#include "TestHost.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include <cmath>
#include <memory>

using velmora::testing::LoadedCompassPlugin;
using velmora::testing::TestHost;

// The six coordinate forms of the panel as a user edits them: every accepted
// edit makes all six describe one place, checked against reference values
// made independently with GeographicLib's command-line tools; every refused
// edit says why and leaves the forms alone.

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
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return places;
    while (!file.atEnd()) {
        const QString line = QString::fromLatin1(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QStringList f = line.split(' ', Qt::SkipEmptyParts);
        places.append({f[0], f[1].toDouble(), f[2].toDouble(), f[3].toUInt(), f[4], f[5].toDouble(), f[6].toDouble(),
                       f[7], {f[8].toDouble(), f[9].toDouble(), f[10].toDouble()},
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

// What the panel shows, by field name.
using Texts = QMap<QString, QString>;

} // namespace

Q_DECLARE_METATYPE(Place)

class TestPanelEdits : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void init()
    {
        host = std::make_unique<TestHost>();
        plugin = std::make_unique<LoadedCompassPlugin>();
        QVERIFY2(plugin->object(), qPrintable(plugin->errorString()));
        plugin->widgetPlugin()->initialize();
    }

    void cleanup()
    {
        plugin.reset();
        host.reset();
    }

    void everyFormDescribesOnePlace_data()
    {
        QTest::addColumn<Place>("place");
        QTest::addColumn<QString>("form");

        const QList<Place> places = readPlaces();
        QVERIFY(places.size() > 10);
        for (const Place& place : places) {
            for (const char* form : {"gdc", "dms", "gcc", "local", "utm", "mgrs"}) {
                // UPS positions have zone 0, which the UTM form does not take.
                if (place.zone == 0 && QByteArray(form) == "utm")
                    continue;
                QTest::addRow("%s from %s", qPrintable(place.name), form) << place << QString(form);
            }
        }
    }

    void everyFormDescribesOnePlace()
    {
        QFETCH(Place, place);
        QFETCH(QString, form);

        // A place far away first, so that every form really changes.
        enter({{"gdcLatitudeTextBox", "-45"}, {"gdcLongitudeTextBox", "-100"}, {"gdcElevationTextBox", "0"}});

        Texts typed;
        if (form == "gdc") {
            typed = {{"gdcLatitudeTextBox", QString::number(place.latitude, 'g', 10)},
                     {"gdcLongitudeTextBox", QString::number(place.longitude, 'g', 10)},
                     {"gdcElevationTextBox", "0"}};
        } else if (form == "dms") {
            const QStringList lat = dmsTexts(place.latitude);
            const QStringList lon = dmsTexts(place.longitude);
            typed = {{"latDegText", lat[0]}, {"latMinText", lat[1]}, {"latSecText", lat[2]}, {"lonDegText", lon[0]},
                     {"lonMinText", lon[1]}, {"lonSecText", lon[2]}, {"elevDmsText", "0"}};
        } else if (form == "gcc" || form == "local") {
            const double* v = form == "gcc" ? place.gcc : place.local;
            for (int i = 0; i < 3; ++i)
                typed[form + QChar("XYZ"[i]) + "TextBox"] = QString::number(v[i], 'f', 3);
        } else if (form == "utm") {
            typed = {{"utmZoneTextBox", QString::number(place.zone)}, {"utmBandTextBox", place.band},
                     {"utmEastingTextBox", QString::number(place.easting, 'f', 3)},
                     {"utmNorthingTextBox", QString::number(place.northing, 'f', 3)}};
        } else {
            typed = {{"mgrsTextBox", place.mgrs}};
        }
        enter(typed);

        const Texts shown = texts();
        // The edited form keeps what the user typed.
        for (auto it = typed.cbegin(); it != typed.cend(); ++it)
            QCOMPARE(shown[it.key()], it.value());
        QCOMPARE(text<QLabel>("locationStatus"), QString());
        QCOMPARE(text<QLabel>("utmStatus"), QString());
        QCOMPARE(text<QLabel>("mgrsStatus"), QString());

        // Metres of latitude and of longitude at this latitude.
        const double toMetres = 111320.0;
        const double lonScale = std::cos(place.latitude * M_PI / 180.0);
        auto checkDegrees = [&](double latitude, double longitude, const char* what) {
            QVERIFY2(std::fabs(latitude - place.latitude) * toMetres < metres, what);
            const double dLon = std::remainder(longitude - place.longitude, 360.0);
            QVERIFY2(std::fabs(dLon) * lonScale * toMetres < metres, what);
        };
        checkDegrees(number(shown, "gdcLatitudeTextBox"), number(shown, "gdcLongitudeTextBox"), "GDC");
        checkDegrees(join(shown, "lat"), join(shown, "lon"), "deg:min:sec");
        QVERIFY(std::fabs(number(shown, "gdcElevationTextBox")) < metres);
        QVERIFY(std::fabs(number(shown, "elevDmsText")) < metres);
        for (int i = 0; i < 3; ++i) {
            const QString axis(QChar("XYZ"[i]));
            QVERIFY2(std::fabs(number(shown, "gcc" + axis + "TextBox") - place.gcc[i]) < metres, qPrintable(axis));
            QVERIFY2(std::fabs(number(shown, "local" + axis + "TextBox") - place.local[i]) < metres, qPrintable(axis));
        }
        // Both grid forms name the same zone and band, even on a band edge.
        const QString mgrs = shown["mgrsTextBox"];
        const int digits = 10;
        const QString zoneAndBand = mgrs.left(mgrs.size() - digits - 2);
        QCOMPARE(zoneAndBand, (place.zone > 0 ? QString::number(place.zone).rightJustified(2, '0') : QString()) +
                                  shown["utmBandTextBox"]);
        // Exactly on a band edge, input rounded to the millimetre may land on
        // either side; anywhere else the band is the reference's.
        const bool onBandEdge = std::remainder(place.latitude, 8.0) == 0.0;
        if (!onBandEdge) {
            QCOMPARE(shown["utmZoneTextBox"].toUInt(), place.zone);
            QCOMPARE(shown["utmBandTextBox"], place.band);
        }
        QVERIFY(std::fabs(number(shown, "utmEastingTextBox") - place.easting) < metres);
        QVERIFY(std::fabs(number(shown, "utmNorthingTextBox") - place.northing) < metres);
        // The square exactly; the truncated digits within the tolerance.
        const QString expected = place.mgrs;
        QCOMPARE(mgrs.left(mgrs.size() - digits).right(2), expected.left(expected.size() - digits).right(2));
        QVERIFY(std::fabs(mgrs.right(10).left(5).toDouble() - expected.right(10).left(5).toDouble()) < metres);
        QVERIFY(std::fabs(mgrs.right(5).toDouble() - expected.right(5).toDouble()) < metres);
    }

    void refusedEditsChangeNothing_data()
    {
        QTest::addColumn<Texts>("typed");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("message");

        const QString blank = "There is a blank field";
        const QString zone = "Zone needs to from 1 to 60";
        const QString utm = "utmStatus";
        const Texts valid = {{"utmZoneTextBox", "10"}, {"utmBandTextBox", "T"}, {"utmEastingTextBox", "594507"},
                             {"utmNorthingTextBox", "5189496"}};
        auto with = [&](const QString& field, const QString& text) {
            Texts t = valid;
            t[field] = text;
            return t;
        };
        QTest::newRow("utm blank northing") << with("utmNorthingTextBox", "") << utm << blank;
        // The blank field is reported before the zone.
        Texts blankAndZero = with("utmNorthingTextBox", "");
        blankAndZero["utmZoneTextBox"] = "0";
        QTest::newRow("utm blank before zone") << blankAndZero << utm << blank;
        QTest::newRow("utm zone 0") << with("utmZoneTextBox", "0") << utm << zone;
        QTest::newRow("utm band O") << with("utmBandTextBox", "O") << utm << "UTM Band cannot be an I or an O";
        // Far outside any zone: no place, and no nan in the other forms.
        QTest::newRow("utm easting outside the zone")
            << with("utmEastingTextBox", "90000000") << utm << "No place in zone 10T has this easting and northing";
        QTest::newRow("mgrs square not in zone")
            << Texts{{"mgrsTextBox", "33TAA1234512345"}} << "mgrsStatus" << "The 100 km square AA is not in grid zone 33T";
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

        const Texts before = texts();
        enter(typed);
        QTEST(text<QLabel>(status), "message");
        QVERIFY(plugin->find<QLabel>(status)->isVisibleTo(plugin->panel()));

        Texts after = texts();
        for (auto it = typed.cbegin(); it != typed.cend(); ++it)
            after[it.key()] = before[it.key()];
        QCOMPARE(after, before);
    }

    void aGoodEditClearsTheMessages()
    {
        enter({{"gdcLatitudeTextBox", "200"}});
        enter({{"mgrsTextBox", "33TAA"}});
        QVERIFY(!text<QLabel>("mgrsStatus").isEmpty());
        enter({{"gdcLatitudeTextBox", "45"}});
        QCOMPARE(text<QLabel>("locationStatus"), QString());
        QVERIFY(!plugin->find<QLabel>("locationStatus")->isVisibleTo(plugin->panel()));
        // The MGRS form now shows the new place: its old complaint no longer applies.
        QCOMPARE(text<QLabel>("mgrsStatus"), QString());
    }

    void mgrsReferences_data()
    {
        QTest::addColumn<Texts>("before");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<QString>("zoneAndBand");
        QTest::addColumn<double>("latitude");

        const Texts rainier = {{"gdcLatitudeTextBox", "46.85"}, {"gdcLongitudeTextBox", "-121.76"}};
        const Texts pole = {{"gdcLatitudeTextBox", "89"}, {"gdcLongitudeTextBox", "10"}};
        QTest::newRow("spaces and lower case") << rainier << "10t es 94507 89496" << "10T" << 46.8523;
        // Only the 100 km square: completed with the zone and band shown before.
        QTest::newRow("square only") << rainier << "ES9450789496" << "10T" << 46.8523;
        // The south-west corner of the 10 km square, as written.
        QTest::newRow("one digit pair") << rainier << "10TES98" << "10T" << 46.7719;
        // A reference in another band shows its own band, not the remembered one.
        QTest::newRow("other band") << rainier << "33PWJ0000084298" << "33P" << 8.0;
        QTest::newRow("other hemisphere") << rainier << "56HLH3436850948" << "56H" << -33.8688;
        // Polar references, and references typed after a polar place, have a position.
        QTest::newRow("polar") << rainier << "ZBA0611398202" << "0Z" << 84.5;
        QTest::newRow("after a polar place") << pole << "10TES9450789496" << "10T" << 46.8523;
    }

    void mgrsReferences()
    {
        QFETCH(Texts, before);
        QFETCH(QString, reference);
        QFETCH(double, latitude);

        enter(before);
        enter({{"mgrsTextBox", reference}});
        QCOMPARE(text<QLabel>("mgrsStatus"), QString());
        QTEST(text<QLineEdit>("utmZoneTextBox") + text<QLineEdit>("utmBandTextBox"), "zoneAndBand");
        QVERIFY(std::fabs(text<QLineEdit>("gdcLatitudeTextBox").toDouble() - latitude) < 0.01);
        // Elevation 0: a grid reference has no height.
        QCOMPARE(text<QLineEdit>("gdcElevationTextBox"), QString("0"));
        QCOMPARE(text<QLineEdit>("elevDmsText"), QString("0"));
        // The reference's band is remembered for the next one without a zone
        // (polar references always carry their own).
        if (reference.startsWith('Z'))
            return;
        enter({{"mgrsTextBox", reference.right(reference.size() - reference.indexOf(QRegExp("[A-Za-z]{2}[0-9 ]*$")))}});
        QCOMPARE(text<QLabel>("mgrsStatus"), QString());
        QTEST(text<QLineEdit>("utmZoneTextBox") + text<QLineEdit>("utmBandTextBox"), "zoneAndBand");
    }

    void utmEditKeepsItsTextsAndZeroElevation()
    {
        enter({{"gdcLatitudeTextBox", "46.85"}, {"gdcLongitudeTextBox", "-121.76"}, {"gdcElevationTextBox", "4392"}});
        enter({{"utmBandTextBox", "t"}, {"utmEastingTextBox", "594507.50"}});
        QCOMPARE(text<QLineEdit>("utmBandTextBox"), QString("t"));
        QCOMPARE(text<QLineEdit>("utmEastingTextBox"), QString("594507.50"));
        QCOMPARE(text<QLineEdit>("gdcElevationTextBox"), QString("0"));
        QCOMPARE(text<QLabel>("utmStatus"), QString());
    }

    void typedSignBetweenMinusOneAndZero()
    {
        enter({{"gdcLatitudeTextBox", "-0.5"}, {"gdcLongitudeTextBox", "-0.25"}});
        QCOMPARE(text<QLineEdit>("latDegText"), QString("-0"));
        QCOMPARE(text<QLineEdit>("lonMinText"), QString("15"));
        // Read back, the deg:min:sec form stays in the southern and western hemispheres.
        enter({{"latSecText", "0"}});
        QCOMPARE(text<QLineEdit>("gdcLatitudeTextBox"), QString("-0.5"));
        QCOMPARE(text<QLineEdit>("gdcLongitudeTextBox"), QString("-0.25"));
    }

private:
    // Sets the given fields as a user leaves them, then presses Return in one
    // whose validator takes its text (Return finishes no other edit).
    void enter(const Texts& fields)
    {
        QLineEdit* finish = nullptr;
        for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
            auto* field = plugin->find<QLineEdit>(it.key());
            QVERIFY2(field, qPrintable(it.key()));
            field->setText(it.value());
            if (field->hasAcceptableInput())
                finish = field;
        }
        QVERIFY(finish);
        QTest::keyClick(finish, Qt::Key_Return);
    }

    Texts texts() const
    {
        Texts all;
        for (const QLineEdit* field : plugin->panel()->findChildren<QLineEdit*>())
            if (!field->objectName().startsWith("qt_"))
                all[field->objectName()] = field->text();
        return all;
    }

    template <typename T>
    QString text(const QString& name) const
    {
        const T* widget = plugin->find<T>(name);
        return widget ? widget->text() : QString("no %1").arg(name);
    }

    static double number(const Texts& shown, const QString& field) { return shown[field].toDouble(); }

    static double join(const Texts& shown, const QString& prefix)
    {
        const QString degrees = shown[prefix + "DegText"];
        const double magnitude = std::fabs(degrees.toDouble()) + shown[prefix + "MinText"].toDouble() / 60.0 +
                                 shown[prefix + "SecText"].toDouble() / 3600.0;
        return degrees.startsWith('-') ? -magnitude : magnitude;
    }

    std::unique_ptr<TestHost> host;
    std::unique_ptr<LoadedCompassPlugin> plugin;
};

QTEST_MAIN(TestPanelEdits)
#include "tst_paneledits.moc"
