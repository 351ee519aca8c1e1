#include "DegreeSplit.h"
#include "FixedPitchFont.h"
#include "GridInput.h"
#include "NumberText.h"

#include <QFontInfo>
#include <QtTest>

using namespace velmora::plugin::compass_widget;

// The plugin's pure helpers: the number texts of the fields, the degree split
// and join, the UTM and MGRS input checks, and the status-bar font. The clipboard report is checked end to end by tst_panelform.
class TestPluginHelpers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void formatDouble_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");

        QTest::newRow("whole metres") << 6378137.0 << "6378137";
        QTest::newRow("eight digits") << 1234567.891 << "1234567.9";
        // From 1e8 on the exponent form is shorter than the digits.
        QTest::newRow("exponent above") << 123456789.0 << "1.2345679e+08";
        QTest::newRow("exponent below") << 0.000012345 << "1.2345e-05";
        QTest::newRow("negative") << -117.25 << "-117.25";
    }

    void formatDouble()
    {
        QFETCH(double, value);
        // The user's locale must not turn the point into a comma.
        for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::German, QLocale::Germany)}) {
            QLocale::setDefault(locale);
            QTEST(velmora::plugin::compass_widget::formatDouble(value), "text");
        }
    }

    void textToDouble_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");

        // Leading blanks are skipped and the rest after the number ignored.
        QTest::newRow("blank then letters") << " 12.5abc" << 12.5;
        QTest::newRow("negative exponent") << "-3.25e-2" << -0.0325;
        // The reader stops at a comma: why the fields must never accept one.
        QTest::newRow("decimal comma") << "12,5" << 12.0;
        QTest::newRow("lone minus") << "-" << 0.0;
    }

    void textToDouble()
    {
        QFETCH(QString, text);
        QTEST(velmora::plugin::compass_widget::textToDouble(text), "value");
    }

    void textToUnsigned_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("value");

        QTest::newRow("zone") << "33" << 33u;
        QTest::newRow("trailing letters") << "12abc" << 12u;
        // Read as unsigned, "-5" would wrap around to a huge zone.
        QTest::newRow("negative") << "-5" << 0u;
        QTest::newRow("beyond range") << "99999999999" << 4294967295u;
    }

    void textToUnsigned()
    {
        QFETCH(QString, text);
        QTEST(velmora::plugin::compass_widget::textToUnsigned(text), "value");
    }

    void splitDegrees_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("degrees");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QString>("seconds");

        QTest::newRow("half degree") << 33.5 << "33" << 30 << "0";
        QTest::newRow("west quarter") << -117.25 << "-117" << 15 << "0";
        // The seconds come from single-precision minutes.
        QTest::newRow("single precision") << 33.123456789 << "33" << 7 << "24.444437";
        QTest::newRow("greenwich") << 51.477928 << "51" << 28 << "40.54081";
        // Between -1 and 0 only the degrees can carry the sign.
        QTest::newRow("minus half") << -0.5 << "-0" << 30 << "0";
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
        QTEST(velmora::plugin::compass_widget::formatDouble(parts.seconds), "seconds");
    }

    void joinDegrees_data()
    {
        QTest::addColumn<double>("degrees");
        QTest::addColumn<double>("minutes");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<double>("value");

        QTest::newRow("south") << -12.0 << 30.0 << 0.0 << -12.5;
        QTest::newRow("north") << 12.0 << 30.0 << 0.0 << 12.5;
        // "-0" reads as negative zero: the sign bit keeps the hemisphere.
        QTest::newRow("minus zero degrees") << -0.0 << 30.0 << 0.0 << -0.5;
        QTest::newRow("decimal seconds") << 0.0 << 0.0 << 59.99999999 << 0.016666666663888888;
    }

    void joinDegrees()
    {
        QFETCH(double, degrees);
        QFETCH(double, minutes);
        QFETCH(double, seconds);
        QFETCH(double, value);
        QVERIFY(qAbs(velmora::plugin::compass_widget::joinDegrees(degrees, minutes, seconds) - value) < 1e-12);
    }

    void validateUtmTexts_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("message");

        QTest::newRow("valid, band upper-cased") << QStringList{"33", "t", "500000", "5000000"} << "";
        // Blank comes first even when the zone is wrong too.
        QTest::newRow("blank before zone") << QStringList{"0", "T", "500000", ""} << "There is a blank field";
        QTest::newRow("zone 0") << QStringList{"0", "T", "500000", "5000000"} << "Zone needs to from 1 to 60";
        QTest::newRow("zone 61") << QStringList{"61", "I", "500000", "5000000"} << "Zone needs to from 1 to 60";
        QTest::newRow("band I") << QStringList{"33", "i", "500000", "5000000"} << "UTM Band cannot be an I or an O";
        QTest::newRow("band O") << QStringList{"33", "O", "500000", "5000000"} << "UTM Band cannot be an I or an O";
    }

    void validateUtmTexts()
    {
        QFETCH(QStringList, texts);
        QFETCH(QString, message);
        UtmLocation utm;
        QCOMPARE(velmora::plugin::compass_widget::validateUtmTexts({texts[0], texts[1], texts[2], texts[3]}, utm),
                 message);
        if (message.isEmpty()) {
            QCOMPARE(utm.zone, 33u);
            QCOMPARE(utm.band, 'T');
            QCOMPARE(utm.easting, 500000.0);
            QCOMPARE(utm.northing, 5000000.0);
        } else {
            QCOMPARE(utm.band, '\0');
        }
    }

    void mgrsBandLetter_data()
    {
        QTest::addColumn<QString>("reference");
        QTest::addColumn<char>("band");

        QTest::newRow("full") << "33TWN8468312345" << 'T';
        QTest::newRow("spaced, lower case") << " 4q fj 1234 5678" << 'Q';
        QTest::newRow("polar") << "zgc1234" << 'Z';
        // Only the 100 km square: the remembered zone and band complete it.
        QTest::newRow("square only") << "WN8468312345" << '\0';
        QTest::newRow("empty") << "" << '\0';
    }

    void mgrsBandLetter()
    {
        QFETCH(QString, reference);
        QTEST(velmora::plugin::compass_widget::mgrsBandLetter(reference.toStdString()), "band");
    }

    void fixedPitchFontIsFixedOrCourier()
    {
        const QFont font = fixedPitchFont();
        // The last fall-back is taken whatever the font system reports for it.
        QVERIFY(QFontInfo(font).fixedPitch() || font.family() == "courier");
    }
};

QTEST_MAIN(TestPluginHelpers)
#include "tst_pluginhelpers.moc"
