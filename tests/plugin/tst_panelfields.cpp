#include "LoadedCompassPlugin.h"
#include "TestHost.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QtTest>

#include <locale>
#include <memory>
#include <sstream>

using velmora::testing::LoadedCompassPlugin;
using velmora::testing::TestHost;

// This test is about the user's locale, so it does not pin one: ctest runs it
// once in the C locale and once with LC_ALL=de_DE.UTF-8, and the typing rows
// set the default locale themselves before the panel is built.

namespace {

// The value the panel's readers take from a field text: classic-locale stream
// extraction, as a user's number has to come out of the field again.
double readAsThePanelDoes(const QString& text)
{
    std::istringstream stream(text.toStdString());
    stream.imbue(std::locale::classic());
    double value = 0.0;
    stream >> value;
    return value;
}

QPoint sliderHandleCentre(const QSlider* slider)
{
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    option.singleStep = slider->singleStep();
    option.pageStep = slider->pageStep();
    option.tickPosition = slider->tickPosition();
    option.tickInterval = slider->tickInterval();
    option.upsideDown = slider->invertedAppearance() != (option.direction == Qt::RightToLeft);
    option.subControls = QStyle::SC_All;
    return slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider).center();
}

} // namespace

class TestPanelFields : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void systemLocaleIsTheOneAskedFor();
    void typing_data();
    void typing();
    void focusOutFinishesOnlyAcceptableInput_data();
    void focusOutFinishesOnlyAcceptableInput();
    void programTextIsShownUnchanged();
    void draggingTheSliderSetsTheSpinBox();
    void sliderKeysAndWheelLeaveTheSpinBox();
    void spinBoxAlwaysMovesTheSlider();

private:
    void buildPanel(const QString& localeName);

    std::unique_ptr<TestHost> host;
    std::unique_ptr<LoadedCompassPlugin> plugin;
};

void TestPanelFields::init()
{
    host = std::make_unique<TestHost>();
}

void TestPanelFields::cleanup()
{
    plugin.reset();
    host.reset();
    QLocale::setDefault(QLocale::system());
}

void TestPanelFields::buildPanel(const QString& localeName)
{
    QLocale::setDefault(localeName.isEmpty() ? QLocale::system() : QLocale(localeName));
    plugin = std::make_unique<LoadedCompassPlugin>();
    QVERIFY2(plugin->object(), qPrintable(plugin->errorString()));
}

void TestPanelFields::systemLocaleIsTheOneAskedFor()
{
    // Proves that the German run of this test really runs under German.
    const QByteArray asked = qgetenv("LC_ALL");
    if (!asked.startsWith("de_DE"))
        QSKIP("run without a German LC_ALL");
    QCOMPARE(QLocale::system().language(), QLocale::German);
    QCOMPARE(QLocale::system().decimalPoint(), QChar(','));
}

void TestPanelFields::typing_data()
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
        row("decimal point accepted", "gdcLatitudeTextBox", "12.5", "12.5", true);
        // A decimal comma is what a German user means by a point; elsewhere it is
        // refused as typed, and in neither case read as 12 later.
        const bool commaLocale = (locale.isEmpty() ? QLocale::system() : QLocale(locale)).decimalPoint() == ',';
        row("decimal comma", "gdcLatitudeTextBox", "12,5", commaLocale ? "12.5" : "125", true);
        // German grouping would mean 1000.5; the field keeps only what reads back.
        row("german grouping refused", "gccXTextBox", "1.000,5", "1.0005", true);
        row("exponent accepted", "localXTextBox", "1e5", "1e5", true);
        row("negative exponent", "utmEastingTextBox", "-3.25e-2", "-3.25e-2", true);
        // Intermediate input finishes no edit and so starts no recomputation.
        row("lone minus", "localYTextBox", "-", "-", false);
        row("lone point", "utmNorthingTextBox", ".", ".", false);
        row("letters refused", "gdcElevationTextBox", "abc", "", false);
        row("zone in range", "utmZoneTextBox", "33", "33", true);
        // Out of range but as long as the limit: shown, yet no edit finishes.
        row("zone above 60", "utmZoneTextBox", "61", "61", false);
        row("zone 0 unfinished", "utmZoneTextBox", "0", "0", false);
        row("zone two characters", "utmZoneTextBox", "123", "12", true);
        row("zone grouping refused", "utmZoneTextBox", "1,5", "15", true);
        row("band either case", "utmBandTextBox", "t", "t", true);
        // I and O pass here; the UTM check refuses them with its own message.
        row("band I passes", "utmBandTextBox", "I", "I", true);
        row("band outside C-X", "utmBandTextBox", "A", "", false);
        row("band one letter", "utmBandTextBox", "tx", "t", true);
        row("latitude degrees", "latDegText", "-45", "-45", true);
        row("latitude above 90", "latDegText", "91", "91", false);
        row("latitude whole only", "latDegText", "45.5", "45", true);
        row("longitude degrees", "lonDegText", "-180", "-180", true);
        row("longitude above 180", "lonDegText", "181", "181", false);
        // Longer than the limit allows: the last keystroke is dropped.
        row("longitude four digits", "lonDegText", "1801", "180", true);
        row("minutes in range", "latMinText", "59", "59", true);
        row("minutes 60", "lonMinText", "60", "60", false);
        row("minutes unsigned", "latMinText", "-5", "5", true);
        row("seconds whole", "lonSecText", "30", "30", true);
        // Free text: the MGRS parser reports what it cannot read.
        row("mgrs free text", "mgrsTextBox", "33TWN 84683", "33TWN 84683", true);
    }
}

void TestPanelFields::typing()
{
    QFETCH(QString, locale);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(bool, finished);

    buildPanel(locale);
    auto* edit = plugin->find<QLineEdit>(field);
    QVERIFY(edit);
    QSignalSpy finishedSpy(edit, &QLineEdit::editingFinished);

    QTest::keyClicks(edit, typed);
    QTest::keyClick(edit, Qt::Key_Return);

    QCOMPARE(edit->text(), shown);
    QCOMPARE(finishedSpy.count(), finished ? 1 : 0);
    // Whatever a field lets through means the same to its reader as to the user.
    if (finished && edit->validator() && qobject_cast<const QDoubleValidator*>(edit->validator()))
        QCOMPARE(readAsThePanelDoes(edit->text()), QLocale::c().toDouble(edit->text()));
}

void TestPanelFields::focusOutFinishesOnlyAcceptableInput_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("finished");

    QTest::newRow("number") << "-12.5" << true;
    QTest::newRow("lone minus") << "-" << false;
    QTest::newRow("empty") << "" << false;
}

void TestPanelFields::focusOutFinishesOnlyAcceptableInput()
{
    QFETCH(QString, typed);
    QFETCH(bool, finished);

    buildPanel(QString());
    auto* edit = plugin->find<QLineEdit>("gccZTextBox");
    QSignalSpy finishedSpy(edit, &QLineEdit::editingFinished);
    QTest::keyClicks(edit, typed);

    QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(edit, &focusOut);

    QCOMPARE(finishedSpy.count(), finished ? 1 : 0);
}

void TestPanelFields::programTextIsShownUnchanged()
{
    buildPanel(QString());
    // Seconds are written with decimals although the keyboard may only give whole ones.
    auto* seconds = plugin->find<QLineEdit>("latSecText");
    seconds->setText("24.444437");
    QCOMPARE(seconds->text(), QString("24.444437"));
}

void TestPanelFields::draggingTheSliderSetsTheSpinBox()
{
    buildPanel(QString());
    QWidget* panel = plugin->panel();
    panel->show();
    QApplication::processEvents();
    auto* slider = plugin->find<QSlider>("sizeOn3DSlider");
    auto* spinBox = plugin->find<QSpinBox>("sizeOn3DSpinBox");
    QVERIFY(slider->width() > 40);

    const QPoint grab = sliderHandleCentre(slider);
    const QPoint drop(slider->width() - 2, grab.y());
    QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, grab);
    QMouseEvent drag(QEvent::MouseMove, drop, slider->mapToGlobal(drop), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(slider, &drag);
    QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, drop);

    QVERIFY(slider->value() > 15);
    QCOMPARE(spinBox->value(), slider->value());
}

void TestPanelFields::sliderKeysAndWheelLeaveTheSpinBox()
{
    buildPanel(QString());
    auto* slider = plugin->find<QSlider>("sizeOn3DSlider");
    auto* spinBox = plugin->find<QSpinBox>("sizeOn3DSpinBox");

    QTest::keyClick(slider, Qt::Key_Right);
    QTest::keyClick(slider, Qt::Key_PageUp);
    QVERIFY(slider->value() > 15);
    QCOMPARE(spinBox->value(), 15);

    const int afterKeys = slider->value();
    const QPoint centre = slider->rect().center();
    QWheelEvent wheel(centre, slider->mapToGlobal(centre), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(slider, &wheel);
    QVERIFY(slider->value() != afterKeys);
    QCOMPARE(spinBox->value(), 15);
}

void TestPanelFields::spinBoxAlwaysMovesTheSlider()
{
    buildPanel(QString());
    auto* slider = plugin->find<QSlider>("sizeOn3DSlider");
    auto* spinBox = plugin->find<QSpinBox>("sizeOn3DSpinBox");

    QTest::keyClick(spinBox, Qt::Key_Up);
    QCOMPARE(spinBox->value(), 16);
    QCOMPARE(slider->value(), 16);

    spinBox->selectAll();
    QTest::keyClicks(spinBox, "42");
    QTest::keyClick(spinBox, Qt::Key_Return);
    QCOMPARE(spinBox->value(), 42);
    QCOMPARE(slider->value(), 42);
}

QTEST_MAIN(TestPanelFields)
#include "tst_panelfields.moc"
