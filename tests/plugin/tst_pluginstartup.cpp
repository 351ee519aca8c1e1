#include "LoadedCompassPlugin.h"
#include "TestHost.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QtTest>

#include <memory>

using velmora::testing::LoadedCompassPlugin;
using velmora::testing::TestApplication;
using velmora::testing::TestHost;

// What the host and the user see once the plugin is created and initialised:
// the status-bar widgets, the connections and the panel's first content.
class TestPluginStartup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void statusWidgetsArePermanentLabelThenCombo();
    void coordinateSystemEntries_data();
    void coordinateSystemEntries();
    void buttonsDoNothingBeforeInitialize();
    void initializeWarpsToStartFirst();
    void initializeShowsTheStartPosition_data();
    void initializeShowsTheStartPosition();
    void bandIsUpperCasedWhileTyped();
    void dmsCheckBoxSwitchesThePage();
    void copyButtonPutsTheReportOnTheClipboard();

private:
    QLabel* statusLabel() const;
    QComboBox* statusCombo() const;

    std::unique_ptr<TestHost> host;
    std::unique_ptr<LoadedCompassPlugin> plugin;
};

void TestPluginStartup::initTestCase()
{
    QLocale::setDefault(QLocale::c());
}

void TestPluginStartup::init()
{
    host = std::make_unique<TestHost>();
}

void TestPluginStartup::cleanup()
{
    plugin.reset();
    host.reset();
}

QLabel* TestPluginStartup::statusLabel() const
{
    const auto labels = host->mainWindow().statusBar()->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
    return labels.size() == 1 ? labels.first() : nullptr;
}

QComboBox* TestPluginStartup::statusCombo() const
{
    return host->mainWindow().statusBar()->findChild<QComboBox*>(QString(), Qt::FindDirectChildrenOnly);
}

void TestPluginStartup::statusWidgetsArePermanentLabelThenCombo()
{
    plugin = std::make_unique<LoadedCompassPlugin>();
    QStatusBar* statusBar = host->mainWindow().statusBar();
    QVERIFY(statusLabel());
    QVERIFY(statusCombo());
    host->mainWindow().show();
    QApplication::processEvents();

    QVERIFY(statusLabel()->geometry().right() < statusCombo()->geometry().left());
    // Permanent widgets stay visible while the host shows a temporary message.
    statusBar->showMessage("Loading terrain");
    QVERIFY(statusLabel()->isVisible());
    QVERIFY(statusCombo()->isVisible());
    QVERIFY(statusLabel()->text().isEmpty());
}

void TestPluginStartup::coordinateSystemEntries_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("system");

    // The status text is formatted by the item data, which differs from the position.
    QTest::newRow("GDC degrees") << 0 << "GDC degrees" << 0;
    QTest::newRow("GDC deg:min:sec") << 1 << "GDC deg:min:sec" << 1;
    QTest::newRow("GCC") << 2 << "GCC" << 4;
    QTest::newRow("UTM") << 3 << "UTM" << 2;
    QTest::newRow("MGRS") << 4 << "MGRS" << 3;
    QTest::newRow("Terrain Local") << 5 << "Terrain Local" << 5;
}

void TestPluginStartup::coordinateSystemEntries()
{
    QFETCH(int, position);
    QFETCH(QString, text);
    QFETCH(int, system);

    plugin = std::make_unique<LoadedCompassPlugin>();
    QComboBox* combo = statusCombo();
    QCOMPARE(combo->count(), 6);
    QCOMPARE(combo->currentIndex(), 0);
    QCOMPARE(combo->itemText(position), text);
    QCOMPARE(combo->itemData(position).toInt(), system);
    QVERIFY(combo->itemIcon(position).isNull());
}

void TestPluginStartup::buttonsDoNothingBeforeInitialize()
{
    plugin = std::make_unique<LoadedCompassPlugin>();
    QApplication::clipboard()->setText("before");

    // The slots' names follow the widgets, yet nothing is connected by name.
    plugin->find<QPushButton>("copyToClipboardButton")->click();
    plugin->find<QPushButton>("warpToStartButton")->click();

    QCOMPARE(QApplication::clipboard()->text(), QString("before"));
    QVERIFY(host->application().warpCalls.empty());
}

void TestPluginStartup::initializeWarpsToStartFirst()
{
    plugin = std::make_unique<LoadedCompassPlugin>();
    QVERIFY(host->application().warpCalls.empty());
    plugin->widgetPlugin()->initialize();

    const auto& calls = host->application().warpCalls;
    QVERIFY(!calls.empty());
    QCOMPARE(calls.front().kind, TestApplication::WarpCall::Kind::ToStart);
}

void TestPluginStartup::initializeShowsTheStartPosition_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<double>("z");
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("test host start") << 0.0 << 0.0 << 2000.0 << QStringList{"0", "0", "2000"};
    // Eight significant digits, '.' as decimal point, exponent at the extremes.
    QTest::newRow("rounded to 8 digits") << 1234.56789 << -98765.4321 << 7.0
                                         << QStringList{"1234.5679", "-98765.432", "7"};
    QTest::newRow("exponent form") << 0.000012345 << 123456789.0 << -0.5
                                   << QStringList{"1.2345e-05", "1.2345679e+08", "-0.5"};
}

void TestPluginStartup::initializeShowsTheStartPosition()
{
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(double, z);
    QFETCH(QStringList, shown);

    host->setStartPosition(osg::Vec3d(x, y, z));
    plugin = std::make_unique<LoadedCompassPlugin>();
    plugin->widgetPlugin()->initialize();

    QCOMPARE(plugin->find<QLineEdit>("localXTextBox")->text(), shown.at(0));
    QCOMPARE(plugin->find<QLineEdit>("localYTextBox")->text(), shown.at(1));
    QCOMPARE(plugin->find<QLineEdit>("localZTextBox")->text(), shown.at(2));
}

void TestPluginStartup::bandIsUpperCasedWhileTyped()
{
    plugin = std::make_unique<LoadedCompassPlugin>();
    auto* band = plugin->find<QLineEdit>("utmBandTextBox");
    QTest::keyClicks(band, "t");
    QCOMPARE(band->text(), QString("t"));

    band->clear();
    plugin->widgetPlugin()->initialize();
    QTest::keyClicks(band, "t");
    QCOMPARE(band->text(), QString("T"));
}

void TestPluginStartup::dmsCheckBoxSwitchesThePage()
{
    plugin = std::make_unique<LoadedCompassPlugin>();
    plugin->widgetPlugin()->initialize();
    auto* dms = plugin->find<QCheckBox>("dmsCheckBox");
    auto* pages = plugin->find<QStackedWidget>("gdcStackedWidget");

    QTest::keyClick(dms, Qt::Key_Space);
    QVERIFY(dms->isChecked());
    QCOMPARE(pages->currentWidget()->objectName(), QString("gdcDmsPage"));

    QTest::keyClick(dms, Qt::Key_Space);
    QCOMPARE(pages->currentWidget()->objectName(), QString("gdcDecimalPage"));
}

void TestPluginStartup::copyButtonPutsTheReportOnTheClipboard()
{
    host->setStartPosition(osg::Vec3d(1234.56789, -20.0, 2000.0));
    plugin = std::make_unique<LoadedCompassPlugin>();
    plugin->widgetPlugin()->initialize();
    plugin->find<QLineEdit>("mgrsTextBox")->setText("10TES1234567890");
    plugin->find<QLineEdit>("utmZoneTextBox")->setText("10");
    plugin->find<QLineEdit>("utmBandTextBox")->setText("T");
    plugin->find<QLineEdit>("utmEastingTextBox")->setText("594321.5");
    plugin->find<QLineEdit>("utmNorthingTextBox")->setText("5189012.25");
    plugin->find<QLineEdit>("latMinText")->setText("51");

    QTest::mouseClick(plugin->find<QPushButton>("copyToClipboardButton"), Qt::LeftButton);

    // Fields the panel has not filled yet are copied as the empty texts they are.
    const QString expected = "Orientation (deg): 0\n"
                             "    Latitude (deg):  ( 51' \")\n"
                             "    Longitude(deg):  ( ' \")\n"
                             "    Elevation (m): \n"
                             "GCC:\n"
                             "    X: \n"
                             "    Y: \n"
                             "    Z: \n"
                             "Local:\n"
                             "    X: 1234.5679\n"
                             "    Y: -20\n"
                             "    Z: 2000\n"
                             "    MGRS:10TES1234567890\n"
                             "    UTM:10T 594321.5 5189012.25\n";
    QCOMPARE(QApplication::clipboard()->text(QClipboard::Clipboard), expected);
}

QTEST_MAIN(TestPluginStartup)
#include "tst_pluginstartup.moc"
