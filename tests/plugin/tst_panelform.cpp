#include "LoadedCompassPlugin.h"
#include "TestHost.h"

#include "ui_CompassWidgetPlugin.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QtTest>

#include <memory>

using velmora::testing::LoadedCompassPlugin;
using velmora::testing::TestHost;

// The panel's widget tree as the plugin builds it on the host's panel widget:
// what exists, where it sits, what it says and how Tab walks through it.
class TestPanelForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void widgetTree_data();
    void widgetTree();
    void texts_data();
    void texts();
    void tabOrder();
    void startsOnTheDecimalPage();
    void startsEmptyWithHudDefaults();
    void unnamedRootIsNamed();
    void namedRootKeepsItsName();

private:
    std::unique_ptr<TestHost> host;
    std::unique_ptr<LoadedCompassPlugin> plugin;
};

void TestPanelForm::initTestCase()
{
    QLocale::setDefault(QLocale::c());
}

void TestPanelForm::init()
{
    host = std::make_unique<TestHost>();
    plugin = std::make_unique<LoadedCompassPlugin>();
    QVERIFY2(plugin->object(), qPrintable(plugin->errorString()));
}

void TestPanelForm::cleanup()
{
    plugin.reset();
    host.reset();
}

void TestPanelForm::widgetTree_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("className");
    // Object names of the parent widgets from the widget up to the panel root.
    QTest::addColumn<QStringList>("parents");

    const QString root = "CompassWidgetPlugin";
    QTest::newRow("compassWidget") << "compassWidget" << QByteArray("QWidget") << QStringList{root};
    QTest::newRow("orientationLabel") << "orientationLabel" << QByteArray("QLabel")
                                      << QStringList{"compassWidget", root};
    QTest::newRow("sizeOn3DSlider") << "sizeOn3DSlider" << QByteArray("QSlider") << QStringList{"groupBox_2", root};
    QTest::newRow("utmBandTextBox") << "utmBandTextBox" << QByteArray("QLineEdit") << QStringList{"utmBox", root};
    QTest::newRow("utmStatus") << "utmStatus" << QByteArray("QLabel") << QStringList{"utmBox", root};
    QTest::newRow("mgrsTextBox") << "mgrsTextBox" << QByteArray("QLineEdit") << QStringList{"mgrsBox", root};
    QTest::newRow("dmsCheckBox") << "dmsCheckBox" << QByteArray("QCheckBox") << QStringList{"gdcGroupBox", root};
    // Both geodetic pages belong to the stack, whichever is shown.
    QTest::newRow("gdcLatitudeTextBox") << "gdcLatitudeTextBox" << QByteArray("QLineEdit")
                                        << QStringList{"gdcDecimal", "gdcDecimalPage", "gdcStackedWidget",
                                                       "gdcGroupBox", root};
    QTest::newRow("elevDmsText") << "elevDmsText" << QByteArray("QLineEdit")
                                 << QStringList{"latdms", "gdcDmsPage", "gdcStackedWidget", "gdcGroupBox", root};
    // The group boxes are children of their frames, with only layouts between.
    QTest::newRow("gccYTextBox") << "gccYTextBox" << QByteArray("QLineEdit")
                                 << QStringList{"gccGroupbox", "gccFrame", root};
    QTest::newRow("localZTextBox") << "localZTextBox" << QByteArray("QLineEdit")
                                   << QStringList{"localGroupbox", "localFrame", root};
    QTest::newRow("toggleSyncButton") << "toggleSyncButton" << QByteArray("QPushButton")
                                      << QStringList{"gridLayoutWidget", "groupBox", root};
}

void TestPanelForm::widgetTree()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, className);
    QFETCH(QStringList, parents);

    QWidget* widget = plugin->find<QWidget>(name);
    QVERIFY(widget);
    QCOMPARE(widget->metaObject()->className(), className);
    QStringList chain;
    for (QWidget* parent = widget->parentWidget(); parent; parent = parent->parentWidget())
        chain << parent->objectName();
    QCOMPARE(chain, parents);
}

void TestPanelForm::texts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");

    QTest::newRow("orientation") << "orientationLabel" << "Orientation (deg): 0";
    // The clipboard report copies the labels as they stand, blanks included.
    QTest::newRow("latitude label") << "gdcLatitudeLabel" << "Latitude (deg): ";
    QTest::newRow("longitude label") << "gdcLongitudeLabel" << "Longitude(deg): ";
    QTest::newRow("elevation label") << "gdcElevationLabel" << "Elevation (m): ";
    QTest::newRow("gcc x label") << "gccXLabel" << "X: ";
    QTest::newRow("local z label") << "localZLabel" << "Z: ";
    QTest::newRow("lon deg label") << "lonDegLabel" << "Lon deg";
    QTest::newRow("warp") << "warpButton" << "Warp to Location";
    QTest::newRow("warp to start") << "warpToStartButton" << "Warp to Start Location";
    QTest::newRow("toggle sync") << "toggleSyncButton" << "Toggle Sync Input to Current Location";
    QTest::newRow("copy") << "copyToClipboardButton" << "Copy to Clipboard";
    QTest::newRow("dms") << "dmsCheckBox" << "DMS";
    QTest::newRow("display") << "displayOn3DCheckBox" << "Display";
    QTest::newRow("hud box") << "groupBox_2" << "Compass on 3D";
    QTest::newRow("local box") << "localGroupbox" << "Local";
    QTest::newRow("button box") << "groupBox" << "";
}

void TestPanelForm::texts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);

    QObject* widget = plugin->find<QWidget>(name);
    QVERIFY(widget);
    const char* property = qobject_cast<QGroupBox*>(widget) ? "title" : "text";
    QCOMPARE(widget->property(property).toString(), text);
}

void TestPanelForm::tabOrder()
{
    const QStringList order{"utmZoneTextBox",     "utmBandTextBox",    "utmEastingTextBox",     "utmNorthingTextBox",
                            "mgrsTextBox",        "dmsCheckBox",       "gdcLatitudeTextBox",    "gdcLongitudeTextBox",
                            "gdcElevationTextBox", "gccXTextBox",      "gccYTextBox",           "gccZTextBox",
                            "localXTextBox",      "localYTextBox",     "localZTextBox",         "warpButton",
                            "pickCoordButton",    "warpToStartButton", "toggleSyncButton",      "copyToClipboardButton",
                            "syncButton",         "latDegText",        "latMinText",            "latSecText",
                            "lonDegText",         "lonMinText",        "lonSecText",            "elevDmsText"};
    QWidget* widget = plugin->find<QWidget>(order.first());
    QVERIFY(widget);
    for (int i = 1; i < order.size(); ++i) {
        // Tab passes over labels and frames, which keep their place in the focus chain.
        do
            widget = widget->nextInFocusChain();
        while (!(widget->focusPolicy() & Qt::TabFocus));
        QCOMPARE(widget->objectName(), order.at(i));
    }
}

void TestPanelForm::startsOnTheDecimalPage()
{
    auto* stack = plugin->find<QStackedWidget>("gdcStackedWidget");
    QCOMPARE(stack->count(), 2);
    QCOMPARE(stack->widget(0)->objectName(), QString("gdcDecimalPage"));
    QCOMPARE(stack->widget(1)->objectName(), QString("gdcDmsPage"));
    QCOMPARE(stack->currentIndex(), 0);
    QVERIFY(!plugin->find<QCheckBox>("dmsCheckBox")->isChecked());
}

void TestPanelForm::startsEmptyWithHudDefaults()
{
    for (QLineEdit* field : plugin->panel()->findChildren<QLineEdit*>()) {
        if (field->objectName().endsWith("TextBox") || field->objectName().endsWith("Text"))
            QVERIFY2(field->text().isEmpty(), qPrintable(field->objectName()));
    }
    QVERIFY(plugin->find<QLabel>("utmStatus")->text().isEmpty());
    QVERIFY(plugin->find<QLabel>("mgrsStatus")->text().isEmpty());
    QVERIFY(plugin->find<QCheckBox>("displayOn3DCheckBox")->isChecked());
    QCOMPARE(plugin->find<QSpinBox>("sizeOn3DSpinBox")->value(), 15);
    QCOMPARE(plugin->find<QSlider>("sizeOn3DSlider")->value(), 15);
    QVERIFY(plugin->find<QPushButton>("toggleSyncButton")->isCheckable());
    QVERIFY(!plugin->find<QPushButton>("toggleSyncButton")->isChecked());
    QCOMPARE(plugin->find<QLineEdit>("utmZoneTextBox")->maxLength(), 2);
    QCOMPARE(plugin->find<QLineEdit>("utmBandTextBox")->maxLength(), 1);
    QCOMPARE(plugin->find<QLineEdit>("mgrsTextBox")->maxLength(), 128);
}

void TestPanelForm::unnamedRootIsNamed()
{
    QCOMPARE(plugin->panel()->objectName(), QString("CompassWidgetPlugin"));
}

void TestPanelForm::namedRootKeepsItsName()
{
    QWidget root;
    root.setObjectName("hostPanel");
    Ui::CompassWidgetPlugin form;
    form.setupUi(&root);
    QCOMPARE(root.objectName(), QString("hostPanel"));
    QCOMPARE(form.warpButton->window(), &root);
}

QTEST_MAIN(TestPanelForm)
#include "tst_panelform.moc"
