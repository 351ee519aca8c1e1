#include "CompassWidget.h"
#include "Heading.h"
#include "StatusText.h"

#include <velmora/utility/CoreConfiguration.h>

#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>

using namespace velmora::plugin::compass_widget;

namespace {
constexpr double headingTolerance = 1e-9; // degrees
// An antialiased edge pixel may be counted on either side.
constexpr double needleTolerance = 1.5; // pixels
const double noNumber = std::numeric_limits<double>::quiet_NaN();
} // namespace

Q_DECLARE_METATYPE(osg::Vec3d)

// The compass's parts that need no plugin: the heading of a view, the
// status-text pieces and the painted compass.
class TestCompassParts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanupTestCase() { velmora::utility::CoreConfiguration::setImagePath({}); }

    void heading_data()
    {
        QTest::addColumn<osg::Vec3d>("direction");
        QTest::addColumn<osg::Vec3d>("up");
        QTest::addColumn<double>("degrees");
        QTest::addColumn<QString>("label");

        const osg::Vec3d z(0, 0, 1);
        QTest::newRow("north, level") << osg::Vec3d(0, 1, 0) << z << 0.0 << "0";
        QTest::newRow("north-east: 45, not 45.00000000000001") << osg::Vec3d(1, 1, 0) << z << 45.0 << "45";
        QTest::newRow("east, pitched down") << osg::Vec3d(1, 0, -0.5) << z << 90.0 << "90";
        QTest::newRow("south-east") << osg::Vec3d(1, -1, 0) << z << 135.0 << "135";
        QTest::newRow("south: d.x is -0, not below 0") << osg::Vec3d(-0.0, -1, 0) << z << 180.0 << "180";
        QTest::newRow("south-west, pitched up") << osg::Vec3d(-1, -1, 0.7) << z << 225.0 << "225";
        QTest::newRow("west") << osg::Vec3d(-1, 0, 0) << z << 270.0 << "270";
        QTest::newRow("north-west") << osg::Vec3d(-1, 1, 0) << z << 315.0 << "315";
        // Noise west of north must not give 2*pi, printed as 360.
        QTest::newRow("north, noise to the west") << osg::Vec3d(-1e-14, 1, 0) << z << 0.0 << "0";
        // The map view: the heading is the top of the screen, never a made-up 90.
        QTest::newRow("straight down, north at the top") << osg::Vec3d(0, 0, -1) << osg::Vec3d(0, 1, 0) << 0.0 << "0";
        QTest::newRow("straight down, east at the top") << osg::Vec3d(0, 0, -1) << osg::Vec3d(1, 0, 0) << 90.0 << "90";
        QTest::newRow("down with rounding noise, west at the top")
            << osg::Vec3d(1e-17, -1e-17, -1) << osg::Vec3d(-1, 0, 0) << 270.0 << "270";
        // Tilted back from facing north, the top of the screen points south.
        QTest::newRow("straight up, south at the top") << osg::Vec3d(0, 0, 1) << osg::Vec3d(0, -1, 0) << 0.0 << "0";
        QTest::newRow("straight up, east at the top") << osg::Vec3d(0, 0, 1) << osg::Vec3d(1, 0, 0) << 270.0 << "270";
    }

    void heading()
    {
        QFETCH(osg::Vec3d, direction);
        QFETCH(osg::Vec3d, up);
        QFETCH(double, degrees);

        const osg::Vec3d eye(100.0, -200.0, 50.0);
        const Heading heading = headingOfView(osg::Matrixd::lookAt(eye, eye + direction, up));
        QVERIFY2(std::abs(heading.degrees - degrees) < headingTolerance, qPrintable(QString::number(heading.degrees)));
        QVERIFY(std::abs(heading.radians - osg::DegreesToRadians(heading.degrees)) < 1e-12);
        QTEST(orientationText(heading.degrees), "label");
    }

    void statusTextPieces_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");

        QTest::newRow("latitude of the worked example") << fixedText(45.123456, 4, gdcDecimals) << "  45.123456";
        QTest::newRow("longitude of the worked example") << fixedText(-75.654321, 4, gdcDecimals) << " -75.654321";
        QTest::newRow("elevation of the worked example") << fixedText(123.45, 5, elevationDecimals) << "  123.45";
        QTest::newRow("longer numbers are not cut") << fixedText(-6378137.126, 6, 2) << "-6378137.13";
        QTest::newRow("no sign on a value that prints as zero") << fixedText(-0.004, 6, 2) << "     0.00";
        QTest::newRow("NaN is no position") << fixedText(noNumber, 6, 2) << "      n/a";
        QTest::newRow("UTM zone 5") << integerText(5, 2) << " 5";
        QTest::newRow("UTM easting 512") << integerText(512, 5) << "  512";
        QTest::newRow("UTM northing is not cut") << integerText(5411932, 5) << "5411932";
        // Minutes and seconds are padded with spaces, not zeros.
        QTest::newRow("DMS latitude of the worked example") << dmsText(45.123456) << "  45º 7'24.44\"";
        QTest::newRow("DMS longitude of the worked example") << dmsText(-75.654321) << " -75º39'15.56\"";
        QTest::newRow("seconds that round to 60 carry") << dmsText(10.9999999) << "  11º 0' 0.00\"";
        QTest::newRow("carry into the minutes") << dmsText(-10.4999999) << " -10º30' 0.00\"";
        QTest::newRow("sign kept between -1 and 0") << dmsText(-0.5) << "  -0º30' 0.00\"";
        QTest::newRow("no sign when all prints as zero") << dmsText(-1e-9) << "   0º 0' 0.00\"";
        QTest::newRow("DMS of NaN") << dmsText(noNumber) << "           n/a";
        QTest::newRow("heading in six characters") << headingText(90.0) << " 90.00";
        QTest::newRow("heading rounded down") << headingText(359.994) << "359.99";
        QTest::newRow("heading rounding to 360 is north") << headingText(359.996) << "  0.00";
        QTest::newRow("orientation rounding to 360 is north") << orientationText(359.9999999999) << "0";
    }

    void statusTextPieces()
    {
        QFETCH(QString, text);
        QTEST(text, "expected");
    }

    void paintedCompass_data()
    {
        QTest::addColumn<QSize>("picture"); // empty: no picture file
        QTest::addColumn<QSize>("widget");
        QTest::addColumn<double>("heading");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("length"); // needle arm, pixels
        QTest::addColumn<int>("tail");

        QTest::newRow("200x200 picture") << QSize(200, 200) << QSize(200, 200) << 0.0 << 100 << 76 << 9;
        QTest::newRow("300x200 picture: half the shorter side")
            << QSize(300, 200) << QSize(300, 200) << 0.0 << 100 << 76 << 9;
        QTest::newRow("height 260: L 100, q 12") << QSize(260, 260) << QSize(260, 260) << 0.0 << 130 << 100 << 12;
        QTest::newRow("height 100: L 38, q 4") << QSize(100, 100) << QSize(100, 100) << 0.0 << 50 << 38 << 4;
        QTest::newRow("heading 90 points right") << QSize(260, 260) << QSize(260, 260) << 90.0 << 130 << 100 << 12;
        QTest::newRow("heading 180 points down") << QSize(260, 260) << QSize(260, 260) << 180.0 << 130 << 100 << 12;
        QTest::newRow("heading 270 points left, picture centred in a wide widget")
            << QSize(260, 260) << QSize(500, 260) << 270.0 << 130 << 100 << 12;
        QTest::newRow("picture scaled down to a small widget") << QSize(260, 260) << QSize(130, 130) << 0.0 << 130 << 50 << 6;
        QTest::newRow("no picture: no size, needle collapsed") << QSize() << QSize(100, 100) << 0.0 << 0 << 0 << 0;
    }

    void paintedCompass()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, widget);
        QFETCH(double, heading);
        QFETCH(int, minimum);
        QFETCH(int, length);
        QFETCH(int, tail);

        QTemporaryDir images;
        if (picture.isValid()) {
            QImage white(picture, QImage::Format_RGB32);
            white.fill(Qt::white);
            QVERIFY(white.save(images.filePath("compass.png")));
        }
        velmora::utility::CoreConfiguration::setImagePath(images.path().toStdString());
        CompassWidget compass;
        QCOMPARE(compass.minimumSize(), QSize(minimum, minimum));
        compass.resize(widget);
        compass.setHeading(heading);
        const QImage painted = compass.grab().toImage();

        // Along the heading, the red pixels reach from the tail's end to the tip.
        const double scaledHeight = std::min(widget.height(), widget.width() * picture.height() / qMax(1, picture.width()));
        const QPointF centre(widget.width() / 2, int(scaledHeight) / 2);
        const QPointF along(std::sin(osg::DegreesToRadians(heading)), -std::cos(osg::DegreesToRadians(heading)));
        double front = -1e9;
        double back = 1e9;
        for (int y = 0; y < painted.height(); ++y)
            for (int x = 0; x < painted.width(); ++x) {
                const QColor c = painted.pixelColor(x, y);
                if (c.red() - c.green() < 8)
                    continue;
                const QPointF offset = QPointF(x + 0.5, y + 0.5) - centre;
                const double distance = offset.x() * along.x() + offset.y() * along.y();
                front = std::max(front, distance);
                back = std::min(back, distance);
            }
        if (length == 0) {
            QCOMPARE(front, -1e9);
            return;
        }
        QVERIFY2(std::abs(front - length) < needleTolerance, qPrintable(QString::number(front)));
        QVERIFY2(std::abs(back + tail) < needleTolerance, qPrintable(QString::number(back)));
    }
};

QTEST_MAIN(TestCompassParts)
#include "tst_compassparts.moc"
