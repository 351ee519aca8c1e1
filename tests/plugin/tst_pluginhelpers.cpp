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

    void numberTexts()
    {
        // The user's locale must not turn the point into a comma; from 1e8 on the exponent is shorter.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(formatDouble(-117.25), QString("-117.25"));
        QCOMPARE(formatDouble(123456789.0), QString("1.2345679e+08"));
        // The reader stops at a comma: why the fields must never accept one.
        QCOMPARE(textToDouble("12,5"), 12.0);
        QCOMPARE(textToDouble("-3.25e-2"), -0.0325);
        // Read as unsigned, "-5" would wrap around to a huge zone.
        QCOMPARE(textToUnsigned("-5"), 0u);
        QCOMPARE(textToUnsigned("99999999999"), 4294967295u);
        // Columns of the status text line up only in a fixed-pitch font; the last fall-back is taken as it is.
        QVERIFY(QFontInfo(fixedPitchFont()).fixedPitch() || fixedPitchFont().family() == "courier");
    }

    void splitDegrees_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("degrees");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QString>("seconds");

        QTest::newRow("half degree") << 33.5 << "33" << 30 << "0";
        // The seconds come from single-precision minutes.
        QTest::newRow("single precision") << 33.123456789 << "33" << 7 << "24.444437";
        // Between -1 and 0 only the degrees can carry the sign.
        QTest::newRow("tiny negative") << -0.0000001 << "-0" << 0 << "0.00036000001";
        QTest::newRow("negative zero is zero") << -0.0 << "0" << 0 << "0";
        // Single-precision minutes round up to 60: carried, never shown as 60.
        QTest::newRow("minutes carry") << 10.99999999 << "11" << 0 << "0";
        QTest::newRow("carry to the pole") << -89.9999999999 << "-90" << 0 << "0";
    }

    void splitDegrees()
    {
        QFETCH(double, value);
        const DegreeParts parts = velmora::plugin::compass_widget::splitDegrees(value);
        QTEST(degreesText(parts), "degrees");
        QTEST(parts.minutes, "minutes");
        QTEST(formatDouble(parts.seconds), "seconds");
    }

    void joinDegreesTakesDecimalSeconds()
    {
        QVERIFY(qAbs(joinDegrees(-12.0, 30.0, 0.0) + 12.5) < 1e-12);
        QVERIFY(qAbs(joinDegrees(0.0, 0.0, 59.99999999) - 0.016666666663888888) < 1e-12);
    }

    void heading_data()
    {
        QTest::addColumn<osg::Vec3d>("direction");
        QTest::addColumn<osg::Vec3d>("up");
        QTest::addColumn<double>("degrees");

        const osg::Vec3d z(0, 0, 1);
        QTest::newRow("north") << osg::Vec3d(0, 1, 0) << z << 0.0;
        QTest::newRow("north-east") << osg::Vec3d(1, 1, 0) << z << 45.0;
        QTest::newRow("east, pitched down") << osg::Vec3d(1, 0, -0.5) << z << 90.0;
        QTest::newRow("south: d.x is -0, not below 0") << osg::Vec3d(-0.0, -1, 0) << z << 180.0;
        QTest::newRow("south-west, pitched up") << osg::Vec3d(-1, -1, 0.7) << z << 225.0;
        QTest::newRow("west") << osg::Vec3d(-1, 0, 0) << z << 270.0;
        // Rounding noise west of north must not give 2*pi, printed as 360.
        QTest::newRow("north, noise to the west") << osg::Vec3d(-1e-14, 1, 0) << z << 0.0;
        // The map view takes the top of the screen, never a made-up 90.
        QTest::newRow("straight down, north at the top") << osg::Vec3d(0, 0, -1) << osg::Vec3d(0, 1, 0) << 0.0;
        QTest::newRow("down with noise, west at the top") << osg::Vec3d(1e-17, 0, -1) << osg::Vec3d(-1, 0, 0) << 270.0;
        // Tilted back from facing north, the top of the screen points south.
        QTest::newRow("straight up, south at the top") << osg::Vec3d(0, 0, 1) << osg::Vec3d(0, -1, 0) << 0.0;
        QTest::newRow("straight up, east at the top") << osg::Vec3d(0, 0, 1) << osg::Vec3d(1, 0, 0) << 270.0;
    }

    void heading()
    {
        QFETCH(osg::Vec3d, direction);
        QFETCH(osg::Vec3d, up);
        QFETCH(double, degrees);
        const osg::Vec3d eye(100.0, -200.0, 50.0);
        const Heading heading = headingOfView(osg::Matrixd::lookAt(eye, eye + direction, up));
        QVERIFY2(std::abs(heading.degrees - degrees) < 1e-9, qPrintable(QString::number(heading.degrees)));
        QVERIFY(std::abs(heading.radians - osg::DegreesToRadians(degrees)) < 1e-9);
    }

    void statusTextPieces_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");

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

    void statusTextPieces()
    {
        QFETCH(QString, text);
        QTEST(text, "expected");
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
