#include "CompassWidget.h"
#include "DegreeSplit.h"
#include "FixedPitchFont.h"
#include "Heading.h"
#include "NumberText.h"
#include "StatusText.h"

#include <velmora/utility/CoreConfiguration.h>

#include <QFontInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace velmora::plugin::compass_widget;

Q_DECLARE_METATYPE(osg::Vec3d)

// The plugin's parts that need no plugin: the number texts of the fields, the
// degree split and join, the heading of a view, the status-text pieces and
// the painted compass. The panel tests prove the rest through the fields.
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
            return QString("%1 %2 %3").arg(degreesText(parts)).arg(parts.minutes).arg(formatDouble(parts.seconds));
        };
        // Heading of a view, with nine decimals.
        auto heading = [](const osg::Vec3d& direction, const osg::Vec3d& up = osg::Vec3d(0, 0, 1)) {
            const osg::Vec3d eye(100.0, -200.0, 50.0);
            const Heading h = headingOfView(osg::Matrixd::lookAt(eye, eye + direction, up));
            const bool radians = std::abs(h.radians - osg::DegreesToRadians(h.degrees)) < 1e-12;
            return radians ? QString::number(h.degrees, 'f', 9) : "radians disagree";
        };

        // The user's locale must not turn the point into a comma; from 1e8 on the exponent is shorter.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QTest::newRow("number, German user") << formatDouble(-117.25) << "-117.25";
        QTest::newRow("number with exponent") << formatDouble(123456789.0) << "1.2345679e+08";
        QLocale::setDefault(QLocale::c());
        // The reader stops at a comma: why the fields must never accept one.
        QTest::newRow("read stops at a comma") << QString::number(textToDouble("12,5")) << "12";
        // Read as unsigned, "-5" would wrap around to a huge zone.
        QTest::newRow("zone -5 is no zone") << QString::number(textToUnsigned("-5")) << "0";
        QTest::newRow("zone beyond range") << QString::number(textToUnsigned("99999999999")) << "4294967295";

        QTest::newRow("split half degree") << split(33.5) << "33 30 0";
        // The seconds come from single-precision minutes.
        QTest::newRow("split single precision") << split(33.123456789) << "33 7 24.444437";
        // Between -1 and 0 only the degrees can carry the sign.
        QTest::newRow("split tiny negative") << split(-0.0000001) << "-0 0 0.00036000001";
        QTest::newRow("split negative zero is zero") << split(-0.0) << "0 0 0";
        // Single-precision minutes round up to 60: carried, never shown as 60.
        QTest::newRow("split minutes carry") << split(10.99999999) << "11 0 0";
        QTest::newRow("split carry to the pole") << split(-89.9999999999) << "-90 0 0";

        QTest::newRow("heading north") << heading(osg::Vec3d(0, 1, 0)) << "0.000000000";
        QTest::newRow("heading north-east") << heading(osg::Vec3d(1, 1, 0)) << "45.000000000";
        QTest::newRow("heading east, pitched down") << heading(osg::Vec3d(1, 0, -0.5)) << "90.000000000";
        QTest::newRow("heading south: d.x is -0, not below 0") << heading(osg::Vec3d(-0.0, -1, 0)) << "180.000000000";
        QTest::newRow("heading south-west, pitched up") << heading(osg::Vec3d(-1, -1, 0.7)) << "225.000000000";
        // Rounding noise west of north must not give 2*pi, printed as 360.
        QTest::newRow("heading north, noise to the west") << heading(osg::Vec3d(-1e-14, 1, 0)) << "0.000000000";
        // The map view takes the top of the screen, never a made-up 90.
        QTest::newRow("straight down, north at the top") << heading({0, 0, -1}, {0, 1, 0}) << "0.000000000";
        QTest::newRow("down with noise, west at the top") << heading({1e-17, 0, -1}, {-1, 0, 0}) << "270.000000000";
        // Tilted back from facing north, the top of the screen points south.
        QTest::newRow("straight up, south at the top") << heading({0, 0, 1}, {0, -1, 0}) << "0.000000000";
        QTest::newRow("straight up, east at the top") << heading({0, 0, 1}, {1, 0, 0}) << "270.000000000";

        const osg::Matrixd northEast = osg::Matrixd::lookAt(osg::Vec3d(), osg::Vec3d(1, 1, 0), osg::Vec3d(0, 0, 1));
        QTest::newRow("orientation: 45, not 45.00000000000001") << orientationText(headingOfView(northEast).degrees)
                                                                << "45";
        QTest::newRow("orientation rounding to 360 is north") << orientationText(359.9999999999) << "0";
        QTest::newRow("longer numbers are not cut") << fixedText(-6378137.126, 6, 2) << "-6378137.13";
        QTest::newRow("no sign on a value printed as zero") << fixedText(-0.004, 6, 2) << "     0.00";
        QTest::newRow("NaN is no position") << fixedText(std::nan(""), 6, 2) << "      n/a";
        QTest::newRow("UTM zone 5, easting 512") << integerText(5, 2) + integerText(512, 5) << " 5  512";
        // Minutes and seconds are padded with spaces, not zeros.
        QTest::newRow("seconds that round to 60 carry") << dmsText(10.9999999) << "  11º 0' 0.00\"";
        QTest::newRow("sign kept between -1 and 0") << dmsText(-0.5) << "  -0º30' 0.00\"";
        QTest::newRow("no sign when all prints as zero") << dmsText(-1e-9) << "   0º 0' 0.00\"";
        QTest::newRow("heading rounded down") << headingText(359.994) << "359.99";
        QTest::newRow("heading rounding to 360 is north") << headingText(359.996) << "  0.00";
    }

    void texts()
    {
        QFETCH(QString, text);
        QTEST(text, "expected");
    }

    void joinDegreesTakesDecimalSeconds()
    {
        QVERIFY(qAbs(joinDegrees(-12.0, 30.0, 0.0) + 12.5) < 1e-12);
        QVERIFY(qAbs(joinDegrees(0.0, 0.0, 59.99999999) - 0.016666666663888888) < 1e-12);
        // Columns of the status text line up only in a fixed-pitch font; the last fall-back is taken as it is.
        QVERIFY(QFontInfo(fixedPitchFont()).fixedPitch() || fixedPitchFont().family() == "courier");
    }

    void paintedCompass_data()
    {
        QTest::addColumn<QSize>("picture"); // invalid: no picture file
        QTest::addColumn<int>("widgetWidth");
        QTest::addColumn<double>("heading");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("length"); // needle arm and tail, pixels
        QTest::addColumn<int>("tail");

        QTest::newRow("300x200: half the shorter side") << QSize(300, 200) << 300 << 0.0 << 100 << 76 << 9;
        QTest::newRow("height 100: L 38, q 4") << QSize(100, 100) << 100 << 0.0 << 50 << 38 << 4;
        QTest::newRow("heading 90 points right") << QSize(260, 260) << 260 << 90.0 << 130 << 100 << 12;
        QTest::newRow("heading 180 points down") << QSize(260, 260) << 260 << 180.0 << 130 << 100 << 12;
        QTest::newRow("heading 270, picture centred") << QSize(260, 260) << 500 << 270.0 << 130 << 100 << 12;
        QTest::newRow("no picture: no size, no needle") << QSize() << 100 << 0.0 << 0 << 0 << 0;
    }

    void paintedCompass()
    {
        QFETCH(QSize, picture);
        QFETCH(int, widgetWidth);
        QFETCH(double, heading);
        QFETCH(int, length);
        QFETCH(int, tail);
        QTemporaryDir images;
        QImage white(picture.isValid() ? picture : QSize(1, 1), QImage::Format_RGB32);
        white.fill(Qt::white);
        QVERIFY(!picture.isValid() || white.save(images.filePath("compass.png")));
        velmora::utility::CoreConfiguration::setImagePath(images.path().toStdString());

        CompassWidget compass;
        QTEST(compass.minimumWidth(), "minimum");
        QTEST(compass.minimumHeight(), "minimum");
        compass.resize(widgetWidth, std::max(picture.height(), 100));
        compass.setHeading(heading);
        const QImage painted = compass.grab().toImage();
        // Along the heading, the red pixels reach from the end of the tail to the tip.
        const QPointF centre(widgetWidth / 2, picture.height() / 2);
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
        QVERIFY2(length == 0 ? front == -1.0 : std::abs(front - length) < 1.5 && std::abs(back + tail) < 1.5,
                 qPrintable(QString("%1 %2").arg(front).arg(back)));
    }
};

QTEST_MAIN(TestPluginHelpers)
#include "tst_pluginhelpers.moc"
