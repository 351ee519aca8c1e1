#include "FixedPitchFont.h"
#include "NumberText.h"

#include <QFontInfo>
#include <QtTest>

using namespace velmora::plugin::compass_widget;

// The plugin's pure helpers: the number texts of the fields and the status-bar
// font. The clipboard report is checked end to end by tst_panelform.
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

    void fixedPitchFontIsFixedOrCourier()
    {
        const QFont font = fixedPitchFont();
        // The last fall-back is taken whatever the font system reports for it.
        QVERIFY(QFontInfo(font).fixedPitch() || font.family() == "courier");
    }
};

QTEST_MAIN(TestPluginHelpers)
#include "tst_pluginhelpers.moc"
