#include "ClipboardReport.h"
#include "FixedPitchFont.h"
#include "NumberText.h"

#include <QFontInfo>
#include <QtTest>

using namespace velmora::plugin::compass_widget;

// The plugin's pure helpers: the number texts of the fields, the clipboard
// report and the status-bar font.
class TestPluginHelpers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void formatDouble_data();
    void formatDouble();
    void formatDoubleIgnoresTheUserLocale();
    void textToDouble_data();
    void textToDouble();
    void reportOfEmptyFields();
    void reportOfAFilledPanel();
    void fixedPitchFontIsFixedOrCourier();
};

void TestPluginHelpers::initTestCase()
{
    QLocale::setDefault(QLocale::c());
}

void TestPluginHelpers::cleanup()
{
    QLocale::setDefault(QLocale::c());
}

void TestPluginHelpers::formatDouble_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("whole metres") << 6378137.0 << "6378137";
    QTest::newRow("eight digits") << 1234567.891 << "1234567.9";
    // From 1e8 on the exponent form is shorter than the digits.
    QTest::newRow("exponent above") << 123456789.0 << "1.2345679e+08";
    QTest::newRow("exponent below") << 0.000012345 << "1.2345e-05";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("latitude") << 33.123456789 << "33.123457";
    QTest::newRow("easting") << 500000.1234 << "500000.12";
    QTest::newRow("northing") << 3765432.123 << "3765432.1";
    QTest::newRow("negative") << -117.25 << "-117.25";
}

void TestPluginHelpers::formatDouble()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(velmora::plugin::compass_widget::formatDouble(value), text);
}

void TestPluginHelpers::formatDoubleIgnoresTheUserLocale()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(velmora::plugin::compass_widget::formatDouble(1234567.891), QString("1234567.9"));
}

void TestPluginHelpers::textToDouble_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");

    QTest::newRow("plain") << "12.5" << 12.5;
    // Leading blanks are skipped and the rest after the number ignored.
    QTest::newRow("blank then letters") << " 12.5abc" << 12.5;
    QTest::newRow("exponent") << "1e5" << 100000.0;
    QTest::newRow("negative exponent") << "-3.25e-2" << -0.0325;
    // The reader stops at a comma: why the fields must never accept one.
    QTest::newRow("decimal comma") << "12,5" << 12.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("lone minus") << "-" << 0.0;
    QTest::newRow("lone point") << "." << 0.0;
    QTest::newRow("letters") << "abc" << 0.0;
}

void TestPluginHelpers::textToDouble()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(velmora::plugin::compass_widget::textToDouble(text), value);
}

void TestPluginHelpers::reportOfEmptyFields()
{
    ClipboardReportTexts texts;
    texts.orientation = "Orientation (deg): 0";
    texts.latitudeLabel = "Latitude (deg): ";
    texts.longitudeLabel = "Longitude(deg): ";
    texts.elevationLabel = "Elevation (m): ";
    texts.gccXLabel = texts.localXLabel = "X: ";
    texts.gccYLabel = texts.localYLabel = "Y: ";
    texts.gccZLabel = texts.localZLabel = "Z: ";

    // Still fourteen lines, every separator in place, only line feeds.
    const std::string expected = "Orientation (deg): 0\n"
                                 "    Latitude (deg):  ( ' \")\n"
                                 "    Longitude(deg):  ( ' \")\n"
                                 "    Elevation (m): \n"
                                 "GCC:\n"
                                 "    X: \n"
                                 "    Y: \n"
                                 "    Z: \n"
                                 "Local:\n"
                                 "    X: \n"
                                 "    Y: \n"
                                 "    Z: \n"
                                 "    MGRS:\n"
                                 "    UTM:  \n";
    QCOMPARE(clipboardReport(texts), expected);
}

void TestPluginHelpers::reportOfAFilledPanel()
{
    ClipboardReportTexts texts;
    texts.orientation = "Orientation (deg): 90.00";
    texts.latitudeLabel = "Latitude (deg): ";
    texts.latitude = "33.5";
    texts.latitudeDegrees = "33";
    texts.latitudeMinutes = "30";
    texts.latitudeSeconds = "0";
    texts.longitudeLabel = "Longitude(deg): ";
    texts.longitude = "-117.25";
    texts.longitudeDegrees = "-117";
    texts.longitudeMinutes = "15";
    texts.longitudeSeconds = "0";
    texts.elevationLabel = "Elevation (m): ";
    texts.elevation = "12";
    texts.gccXLabel = texts.localXLabel = "X: ";
    texts.gccYLabel = texts.localYLabel = "Y: ";
    texts.gccZLabel = texts.localZLabel = "Z: ";
    texts.gccX = "-2437543.1";
    texts.gccY = "-4650203.3";
    texts.gccZ = "3503916.6";
    texts.localX = "1";
    texts.localY = "2";
    texts.localZ = "3";
    texts.mgrs = "11SMT7662307376";
    texts.utmZone = "11";
    texts.utmBand = "S";
    texts.utmEasting = "476623.5";
    texts.utmNorthing = "3707376.2";

    const std::string report = clipboardReport(texts);
    // Both geodetic forms share a line; zone and band are joined, easting first.
    QVERIFY(report.find("\n    Latitude (deg): 33.5 (33 30' 0\")\n") != std::string::npos);
    QVERIFY(report.find("\n    Longitude(deg): -117.25 (-117 15' 0\")\n") != std::string::npos);
    QVERIFY(report.find("\nGCC:\n    X: -2437543.1\n") != std::string::npos);
    QVERIFY(report.find("\n    MGRS:11SMT7662307376\n    UTM:11S 476623.5 3707376.2\n") != std::string::npos);
    QCOMPARE(report.back(), '\n');
    QCOMPARE(report.find('\r'), std::string::npos);
    QCOMPARE(clipboardReport(texts), report);
}

void TestPluginHelpers::fixedPitchFontIsFixedOrCourier()
{
    const QFont font = fixedPitchFont();
    // The last fall-back is taken whatever the font system reports for it.
    QVERIFY(QFontInfo(font).fixedPitch() || font.family() == "courier");
}

QTEST_MAIN(TestPluginHelpers)
#include "tst_pluginhelpers.moc"
