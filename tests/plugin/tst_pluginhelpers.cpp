#include "CompassWidget.h"
#include "DegreeSplit.h"
#include "Heading.h"
#include "NumberText.h"
#include "PastedPlace.h"
#include "PlaceFormats.h"
#include "StatusText.h"

#include <velmora/terrain/TerrainManager.h>
#include <velmora/utility/CoreConfiguration.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace velmora::plugin::compass_widget;

Q_DECLARE_METATYPE(CopyFormat)

// The plugin's parts that need no plugin: the number texts of the fields, the
// degree split and join, the heading of a view, the status-text pieces and
// the painted compass, the paste reader and the copy formats. The panel tests
// prove the rest through the fields.
class TestPluginHelpers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void cleanupTestCase() { velmora::utility::CoreConfiguration::setImagePath({}); }

    void texts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        auto split = [](double value) {
            const DegreeParts parts = splitDegrees(value);
            return QString("%1 %2 %3").arg(degreesText(parts)).arg(parts.minutes).arg(secondsText(parts));
        };
        // Heading of a view, with nine decimals.
        auto heading = [](const osg::Vec3d& direction, const osg::Vec3d& up = osg::Vec3d(0, 0, 1)) {
            const osg::Vec3d eye(100.0, -200.0, 50.0);
            return QString::number(headingOfView(osg::Matrixd::lookAt(eye, eye + direction, up)).degrees, 'f', 9);
        };

        // The user's locale must not turn the point into a comma.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QTest::newRow("number, German user") << formatDouble(-117.25, degreeDecimals) << "-117.25";
        QLocale::setDefault(QLocale::c());
        // Conversion noise and single-precision digits are no position: never in exponent form.
        QTest::newRow("metres below a tenth of a millimetre are 0") << formatDouble(-8.7311491e-11, metreDecimals)
                                                                    << "0";
        QTest::newRow("float noise cut at the decimals") << formatDouble(-0.037109375, metreDecimals) << "-0.0371";
        QTest::newRow("degrees below a millimetre are 0") << formatDouble(3e-12, degreeDecimals) << "0";
        QTest::newRow("large values in plain digits") << formatDouble(1.23456789e9, metreDecimals) << "1234567900";
        // The readers promise the longest leading number, exponent only with its digits.
        QTest::newRow("unfinished exponents") << QString("%1 %2").arg(textToDouble("12e")).arg(textToDouble(" 1.5e+x"))
                                              << "12 1.5";
        // Read as unsigned, "-5" would wrap around to a huge zone.
        QTest::newRow("zone -5 is no zone") << QString::number(textToUnsigned("-5")) << "0";

        // Between -1 and 0 only the degrees can carry the sign; nothing is negative that shows as 0.
        QTest::newRow("split tiny negative") << split(-0.0000001) << "-0 0 0.0004";
        QTest::newRow("split no sign on zero") << split(-1e-9) << "0 0 0.0000";
        // Single precision gave 35.999908 and 10.439987.
        QTest::newRow("split exact seconds") << split(-121.76) + " " + split(46.8529)
                                             << "-121 45 36.0000 46 51 10.4400";
        // Seconds rounding up to 60 are carried, never shown as 60.
        QTest::newRow("split seconds carry") << split(10.99999999) << "11 0 0.0000";
        // Below 1e-4 seconds came out as 5.7220459e-05, which the seconds field refuses.
        QTest::newRow("split tiny seconds in plain digits") << split(10 + 5.7220459e-05 / 3600) << "10 0 0.0001";
        QTest::newRow("join keeps the sign of the degrees") << QString::number(joinDegrees(-12, 30, 0)) << "-12.5";

        QTest::newRow("heading south-west, pitched up") << heading(osg::Vec3d(-1, -1, 0.7)) << "225.000000000";
        // Rounding noise west of north must not give 2*pi, printed as 360.
        QTest::newRow("heading north, noise to the west") << heading(osg::Vec3d(-1e-14, 1, 0)) << "0.000000000";
        // The map view takes the top of the screen, never a made-up 90.
        QTest::newRow("straight down, north at the top") << heading({0, 0, -1}, {0, 1, 0}) << "0.000000000";
        QTest::newRow("down with noise, west at the top") << heading({1e-17, 0, -1}, {-1, 0, 0}) << "270.000000000";
        // Tilted back from facing north the top of the screen points south: east at the top faces west.
        QTest::newRow("straight up, east at the top") << heading({0, 0, 1}, {1, 0, 0}) << "270.000000000";

        // The panel showed 359.99999 while the status bar showed 0.00.
        QTest::newRow("orientation rounds as the status heading") << orientationText(359.99999) + " " +
                                                                          orientationText(12.344999)
                                                                   << "0 12.34";

        // Looking along the scene's +y from 2000 m above the origin and 240 km east and west of it, where
        // GeodSolve puts true north 2.2919 degrees west and east of +y (terrain origin 46.8529, -121.7604, 1500).
        velmora::terrain::TerrainManager::instance()->setOrigin(46.8529, -121.7604, 1500);
        auto trueHeading = [](double x) {
            const osg::Vec3d eye(x, 0, 2000);
            return QString::number(trueHeadingOfView(osg::Matrixd::lookAt(eye, eye + osg::Vec3d(0, 1, 0),
                                                                          osg::Vec3d(0, 0, 1))).degrees, 'f', 4);
        };
        QTest::newRow("true north above the origin") << trueHeading(0) << "0.0000";
        QTest::newRow("true north 240 km east") << trueHeading(240000) << "2.2919";
        QTest::newRow("true north 240 km west") << trueHeading(-240000) << "357.7081";

        QTest::newRow("longer numbers are not cut") << fixedText(-6378137.126, 6, 2) << "-6378137.13";
        QTest::newRow("no sign on a value printed as zero") << fixedText(-0.004, 6, 2) << "     0.00";
        QTest::newRow("NaN is no position") << fixedText(std::nan(""), 6, 2) << "      n/a";
        // Minutes and seconds are padded with spaces, not zeros.
        QTest::newRow("seconds that round to 60 carry") << dmsText(10.9999999) << "  11º 0' 0.00\"";
        QTest::newRow("sign kept between -1 and 0") << dmsText(-0.5) << "  -0º30' 0.00\"";
        QTest::newRow("no sign when all prints as zero") << dmsText(-1e-9) << "   0º 0' 0.00\"";
        QTest::newRow("heading rounding to 360 is north") << headingText(359.996) << "  0.00";

        // The worked example's place, seen from the terrain origin.
        velmora::terrain::TerrainManager::instance()->setOrigin(45.123456, -75.654321, 123.45);
        const osg::Vec3d origin;
        QTest::newRow("status GDC") << locationText(CoordinateSystem::GdcDegrees, origin)
                                    << "  45.123456,  -75.654321,   123.45";
        QTest::newRow("status GDC deg:min:sec") << locationText(CoordinateSystem::GdcDms, origin)
                                                << "  45º 7'24.44\",  -75º39'15.56\",   123.45";
        QTest::newRow("status GCC") << locationText(CoordinateSystem::Gcc, origin)
                                    << "1116945.41, -4367400.88, 4497126.96";
        QTest::newRow("status UTM truncated") << locationText(CoordinateSystem::Utm, origin) << "18T 448540 4996873";
        QTest::newRow("status MGRS") << locationText(CoordinateSystem::Mgrs, origin) << "18TVQ4854096873";
        // NaN has no integer part to print, nor an MGRS square (the text was empty).
        QTest::newRow("status grid of no place")
            << locationText(CoordinateSystem::Utm, {NAN, 0, 0}) + locationText(CoordinateSystem::Mgrs, {NAN, 0, 0})
            << "n/an/a";
    }

    void texts()
    {
        QFETCH(QString, text);
        QTEST(text, "expected");
    }

    // Each text of data/pasted_texts.tsv read as the place GeoConvert gives for it, or refused with its reason.
    void pastedTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected"); // form, latitude, longitude, height or "-"; or "refused", reason
        QFile file(QStringLiteral(VELMORA_TEST_DATA_DIR "/pasted_texts.tsv"));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        int rows = 0;
        for (; !file.atEnd(); ++rows) {
            QStringList columns = QString::fromUtf8(file.readLine()).chopped(1).split('\t');
            if (columns.size() >= 4 && !columns[0].startsWith('#'))
                QTest::newRow(qPrintable(columns.takeFirst())) << columns.takeFirst().replace("\\n", "\n") << columns;
        }
        QVERIFY(rows > 60);
    }

    void pastedTexts()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        const PastedPlace place = readPastedPlace(text);
        const char* const forms[] = {"refused", "dd", "dm", "dms", "utm", "mgrs", "geo", "geojson", "kml", "wkt"};
        QCOMPARE(forms[int(place.form)], expected[0]);
        if (place.form == PlaceTextForm::None) {
            QCOMPARE(place.note, expected[1]);
            return;
        }
        // 1e-9 degrees, a tenth of a millimetre: the same reading of the same digits.
        QVERIFY2(std::abs(place.latitude - expected[1].toDouble()) < 1e-9 &&
                     std::abs(place.longitude - expected[2].toDouble()) < 1e-9,
                 qPrintable(QString("%1 %2").arg(place.latitude, 0, 'f', 10).arg(place.longitude, 0, 'f', 10)));
        QCOMPARE(std::isnan(place.height) ? QString("-") : QString::number(place.height), expected[3]);
    }

    // Every copy format of a place reads back as the same place, its height included where it has one.
    void copiedTextsReadBack_data()
    {
        QTest::addColumn<CopyFormat>("format");
        QTest::addColumn<QVector<double>>("place"); // latitude, longitude, height
        const std::pair<const char*, QVector<double>> places[] = {
            {"Mount Rainier", {46.8529, -121.7604, 1500.25}},
            {"Sydney, below the ellipsoid", {-33.8688, 151.2093, -12.5}},
            {"Svalbard, zone 33X", {78.2232, 15.6267, 0}},
            {"UPS north", {84.5, 10, 0}},
            {"UPS south", {-80.5, 45, 8848.86}},
            {"a hair south-west of 0 N 180 E", {-1e-7, -179.9999999, 0}},
            // Seconds that round to 60 must carry, or they read back as refused.
            {"seconds rounding up to a whole degree", {10.9999999999, -0.9999999999, 0}},
        };
        for (const auto& [name, place] : places)
            for (const CopyFormatChoice& choice : copyFormatChoices)
                QTest::addRow("%s as %s", name, choice.menuText) << choice.format << place;
    }

    void copiedTextsReadBack()
    {
        QFETCH(CopyFormat, format);
        QFETCH(QVector<double>, place);
        const QString text = placeText(format, place[0], place[1], place[2]);
        const PastedPlace back = readPastedPlace(text);
        QVERIFY2(back.form != PlaceTextForm::None, qPrintable(text + ": " + back.note));
        // UTM and MGRS name the metre the place lies in: within 1.5 m of it.
        const double north = (back.latitude - place[0]) * 111320.0;
        const double east =
            std::remainder(back.longitude - place[1], 360.0) * 111320.0 * std::cos(place[0] * M_PI / 180);
        QVERIFY2(std::hypot(north, east) < 1.5, qPrintable(text));
        const bool withHeight = format >= CopyFormat::GeoUri;
        QVERIFY2(withHeight ? std::abs(back.height - place[2]) < 0.005 : std::isnan(back.height), qPrintable(text));
    }

    void paintedCompass_data()
    {
        QTest::addColumn<bool>("picture"); // a 260 x 260 compass.png; without one, no needle
        QTest::addColumn<int>("widgetWidth");
        QTest::addColumn<double>("heading");
        QTest::newRow("heading 90 points right") << true << 260 << 90.0;
        QTest::newRow("heading 270, picture centred") << true << 500 << 270.0;
        QTest::newRow("no picture, no needle") << false << 260 << 0.0;
    }

    void paintedCompass()
    {
        QFETCH(bool, picture);
        QFETCH(int, widgetWidth);
        QFETCH(double, heading);
        QTemporaryDir images;
        QImage white(260, 260, QImage::Format_RGB32);
        white.fill(Qt::white);
        QVERIFY(!picture || white.save(images.filePath("compass.png")));
        velmora::utility::CoreConfiguration::setImagePath(images.path().toStdString());

        CompassWidget compass;
        compass.resize(widgetWidth, 260);
        compass.setHeading(heading);
        const QImage painted = compass.grab().toImage();
        // Along the heading, the red pixels reach from the end of the 12 px tail to the tip 100 px out.
        const QPointF centre(widgetWidth / 2, 130);
        const QPointF along(std::sin(osg::DegreesToRadians(heading)), -std::cos(osg::DegreesToRadians(heading)));
        double front = -1.0, back = 1.0;
        for (int y = 0; y < painted.height(); ++y)
            for (int x = 0; x < painted.width(); ++x)
                if (painted.pixelColor(x, y).red() - painted.pixelColor(x, y).green() > 8) {
                    const double offset = QPointF::dotProduct(QPointF(x + 0.5, y + 0.5) - centre, along);
                    front = std::max(front, offset);
                    back = std::min(back, offset);
                }
        // An antialiased edge pixel may count on either side.
        QVERIFY2(!picture ? front == -1.0 : std::abs(front - 100) < 1.5 && std::abs(back + 12) < 1.5,
                 qPrintable(QString("%1 %2").arg(front).arg(back)));
    }
};

QTEST_MAIN(TestPluginHelpers)
#include "tst_pluginhelpers.moc"
