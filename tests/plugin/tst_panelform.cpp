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

// The panel as the host and the user meet it: its status-bar widgets, and
// what initialize connects and fills in.
class TestPanelForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void init()
    {
        host = std::make_unique<TestHost>();
        // Eight significant digits, '.' as decimal point, exponent at the extremes.
        host->setStartPosition(osg::Vec3d(1234.56789, -98765.4321, 0.000012345));
        plugin = std::make_unique<LoadedCompassPlugin>();
        QVERIFY2(plugin->object(), qPrintable(plugin->errorString()));
    }

    void cleanup()
    {
        plugin.reset();
        host.reset();
    }

    void statusBarHasLabelThenCombo()
    {
        QStatusBar* statusBar = host->mainWindow().statusBar();
        const auto labels = statusBar->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
        auto* combo = statusBar->findChild<QComboBox*>(QString(), Qt::FindDirectChildrenOnly);
        QCOMPARE(labels.size(), 1);
        QVERIFY(combo);
        host->mainWindow().show();
        QApplication::processEvents();

        QVERIFY(labels.first()->geometry().right() < combo->geometry().left());
        QVERIFY(labels.first()->text().isEmpty());
        // Permanent widgets stay visible while the host shows a temporary message.
        statusBar->showMessage("Loading terrain");
        QVERIFY(labels.first()->isVisible());
        QVERIFY(combo->isVisible());

        // The status text is formatted by the item data, which differs from the position.
        QStringList entries;
        QList<int> systems;
        for (int i = 0; i < combo->count(); ++i) {
            entries << combo->itemText(i);
            systems << combo->itemData(i).toInt();
        }
        QCOMPARE(entries, (QStringList{"GDC degrees", "GDC deg:min:sec", "GCC", "UTM", "MGRS", "Terrain Local"}));
        QCOMPARE(systems, (QList<int>{0, 1, 4, 2, 3, 5}));
        QCOMPARE(combo->currentIndex(), 0);
    }

    void nothingIsConnectedBeforeInitialize()
    {
        QApplication::clipboard()->setText("before");
        // The slots' names follow the widgets, yet nothing is connected by name.
        plugin->find<QPushButton>("copyToClipboardButton")->click();
        QTest::keyClicks(field("utmBandTextBox"), "t");

        QCOMPARE(QApplication::clipboard()->text(), QString("before"));
        QVERIFY(host->application().warpCalls.empty());
        QCOMPARE(field("utmBandTextBox")->text(), QString("t"));
    }

    void initializeConnectsAndShowsTheStart()
    {
        plugin->widgetPlugin()->initialize();
        const auto& warps = host->application().warpCalls;
        QVERIFY(!warps.empty());
        QCOMPARE(warps.front().kind, TestApplication::WarpCall::Kind::ToStart);

        QTest::keyClicks(field("utmBandTextBox"), "t");
        QCOMPARE(field("utmBandTextBox")->text(), QString("T"));

        auto* dms = plugin->find<QCheckBox>("dmsCheckBox");
        auto* pages = plugin->find<QStackedWidget>("gdcStackedWidget");
        QTest::keyClick(dms, Qt::Key_Space);
        QCOMPARE(pages->currentWidget()->objectName(), QString("gdcDmsPage"));
        QTest::keyClick(dms, Qt::Key_Space);
        QCOMPARE(pages->currentWidget()->objectName(), QString("gdcDecimalPage"));

        // Every filled text distinct, so each is seen to land in its own place.
        const std::pair<const char*, const char*> filled[] = {
            {"gdcLatitudeTextBox", "33.5"}, {"latDegText", "33"},      {"latMinText", "30"},
            {"latSecText", "1"},            {"gdcLongitudeTextBox", "-117.25"}, {"gccXTextBox", "-2437543.1"},
            {"gccYTextBox", "-4650203.3"},  {"gccZTextBox", "3503916.6"},      {"mgrsTextBox", "10TES1234567890"},
            {"utmZoneTextBox", "10"},       {"utmBandTextBox", "T"},           {"utmEastingTextBox", "594321.5"},
            {"utmNorthingTextBox", "5189012.25"}, {"lonDegText", "-117"}, {"lonMinText", "15"},
            {"lonSecText", "2"},            {"gdcElevationTextBox", "12"}};
        for (const auto& [name, text] : filled)
            field(name)->setText(text);
        QTest::mouseClick(plugin->find<QPushButton>("copyToClipboardButton"), Qt::LeftButton);

        // The labels as they stand, blanks included; both geodetic forms share a line;
        // the local fields
        // hold the start position initialize showed; zone and band joined, easting first.
        const QString expected = "Orientation (deg): 0\n"
                                 "    Latitude (deg): 33.5 (33 30' 1\")\n"
                                 "    Longitude(deg): -117.25 (-117 15' 2\")\n"
                                 "    Elevation (m): 12\n"
                                 "GCC:\n"
                                 "    X: -2437543.1\n"
                                 "    Y: -4650203.3\n"
                                 "    Z: 3503916.6\n"
                                 "Local:\n"
                                 "    X: 1234.5679\n"
                                 "    Y: -98765.432\n"
                                 "    Z: 1.2345e-05\n"
                                 "    MGRS:10TES1234567890\n"
                                 "    UTM:10T 594321.5 5189012.25\n";
        QCOMPARE(QApplication::clipboard()->text(QClipboard::Clipboard), expected);
    }

private:
    QLineEdit* field(const char* name) const { return plugin->find<QLineEdit>(name); }

    std::unique_ptr<TestHost> host;
    std::unique_ptr<LoadedCompassPlugin> plugin;
};

QTEST_MAIN(TestPanelForm)
#include "tst_panelform.moc"
