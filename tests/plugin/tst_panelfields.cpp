#include "LoadedCompassPlugin.h"
#include "NumberText.h"
#include "TestHost.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QtTest>

#include <memory>

using velmora::testing::LoadedCompassPlugin;
using velmora::testing::TestHost;

// This test is about the user's locale, so it does not pin one: ctest runs it
// once in the C locale and once with LC_ALL=de_DE.UTF-8, and the typing rows
// set the default locale themselves before the panel is built.

namespace {

QPoint sliderHandleCentre(const QSlider* slider)
{
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    option.subControls = QStyle::SC_All;
    return slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider).center();
}

} // namespace

class TestPanelFields : public QObject
{
    Q_OBJECT

private slots:
    void init() { host = std::make_unique<TestHost>(); }

    void cleanup()
    {
        plugin.reset();
        host.reset();
        QLocale::setDefault(QLocale::system());
    }


    void systemLocaleIsTheOneAskedFor()
    {
        // Proves that the German run of this test really runs under German.
        if (!qgetenv("LC_ALL").startsWith("de_DE"))
            QSKIP("run without a German LC_ALL");
        QCOMPARE(QLocale::system().decimalPoint(), QChar(','));
    }

    void typing_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("finished");

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
            row("zone 0 unfinished", "utmZoneTextBox", "0", "0", false);
            row("zone two characters", "utmZoneTextBox", "123", "12", true);
            row("zone grouping refused", "utmZoneTextBox", "1,5", "15", true);
            // Either case, one letter; I and O pass here, the UTM check refuses them with its own message.
            row("band one letter of C-X", "utmBandTextBox", "ix", "i", true);
            row("band outside C-X", "utmBandTextBox", "A", "", false);
            row("latitude whole only", "latDegText", "-45.5", "-45", true);
            row("latitude above 90", "latDegText", "91", "91", false);
            row("longitude -180", "lonDegText", "-180", "-180", true);
            row("longitude above 180", "lonDegText", "181", "181", false);
            // Longer than the limit allows: the last keystroke is dropped.
            row("longitude four digits", "lonDegText", "1801", "180", true);
            row("minutes 60", "lonMinText", "60", "60", false);
            // Seconds are shown with decimals, so they are taken back with decimals, below 60.
            row("seconds decimals", "latSecText", "24.444437", "24.444437", true);
            row("seconds 60", "lonSecText", "60", "60", false);
            row("seconds decimal comma", "lonSecText", "12,5", commaLocale ? "12.5" : "125", commaLocale);
            // The sign of an angle between -1 and 0 stands on its zero degrees.
            row("degrees minus zero", "latDegText", "-0", "-0", true);
            row("minutes unsigned", "latMinText", "-5", "5", true);
            // Free text: the MGRS parser reports what it cannot read.
            row("mgrs free text", "mgrsTextBox", "33TWN 84683", "33TWN 84683", true);
        }
    }

    void typing()
    {
        QFETCH(QString, locale);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(bool, finished);

        buildPanel(locale);
        auto* edit = plugin->find<QLineEdit>(field);
        QVERIFY(edit);
        QSignalSpy finishedSpy(edit, &QLineEdit::editingFinished);

        QTest::keyClicks(edit, typed);
        QTest::keyClick(edit, Qt::Key_Return);

        QTEST(edit->text(), "shown");
        QCOMPARE(finishedSpy.count(), finished ? 1 : 0);
        // Whatever a field lets through means the same to its reader as to the user.
        if (finished && qobject_cast<const QDoubleValidator*>(edit->validator()))
            QCOMPARE(velmora::plugin::compass_widget::textToDouble(edit->text()), QLocale::c().toDouble(edit->text()));
    }

    void onlyDraggingTheSliderSetsTheSpinBox()
    {
        buildPanel(QString());
        plugin->panel()->show();
        QApplication::processEvents();
        auto* slider = plugin->find<QSlider>("sizeOn3DSlider");
        auto* spinBox = plugin->find<QSpinBox>("sizeOn3DSpinBox");
        QVERIFY(slider->width() > 40);

        // Keys move the slider alone...
        QTest::keyClick(slider, Qt::Key_PageUp);
        QVERIFY(slider->value() > 15);
        QCOMPARE(spinBox->value(), 15);

        // ...a drag by the user takes the spin box along...
        const QPoint grab = sliderHandleCentre(slider);
        const QPoint drop(slider->width() - 2, grab.y());
        QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, grab);
        QMouseEvent drag(QEvent::MouseMove, drop, slider->mapToGlobal(drop), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(slider, &drag);
        QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, drop);
        QVERIFY(slider->value() > 30);
        QCOMPARE(spinBox->value(), slider->value());

        // ...and the spin box always moves the slider.
        QTest::keyClick(spinBox, Qt::Key_Down);
        QCOMPARE(slider->value(), spinBox->value());
    }

private:
    void buildPanel(const QString& localeName)
    {
        QLocale::setDefault(localeName.isEmpty() ? QLocale::system() : QLocale(localeName));
        plugin = std::make_unique<LoadedCompassPlugin>();
        QVERIFY2(plugin->object(), qPrintable(plugin->errorString()));
    }

    std::unique_ptr<TestHost> host;
    std::unique_ptr<LoadedCompassPlugin> plugin;
};

QTEST_MAIN(TestPanelFields)
#include "tst_panelfields.moc"
