#include "LoadedCompassPlugin.h"
#include "TestHost.h"

#include "ui_CompassWidgetPlugin.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStatusBar>
#include <QtTest>

#include <memory>

using velmora::testing::LoadedCompassPlugin;
using velmora::testing::TestApplication;
using velmora::testing::TestHost;

// The panel as the host and the user meet it: the widget tree the plugin
// builds on the host's panel widget, its status-bar widgets, and what
// initialize connects and fills in.
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

    void widgetTree_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("className");
        // Object names of the parent widgets from the widget up to the panel root.
        QTest::addColumn<QStringList>("parents");

        const QString root = "CompassWidgetPlugin";
        QTest::newRow("orientationLabel") << "orientationLabel" << QByteArray("QLabel")
                                          << QStringList{"compassWidget", root};
        QTest::newRow("sizeOn3DSlider") << "sizeOn3DSlider" << QByteArray("QSlider") << QStringList{"groupBox_2", root};
        QTest::newRow("utmBandTextBox") << "utmBandTextBox" << QByteArray("QLineEdit") << QStringList{"utmBox", root};
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

    void widgetTree()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, parents);

        QWidget* widget = plugin->find<QWidget>(name);
        QVERIFY(widget);
        QTEST(QByteArray(widget->metaObject()->className()), "className");
        QStringList chain;
        for (QWidget* parent = widget->parentWidget(); parent; parent = parent->parentWidget())
            chain << parent->objectName();
        QCOMPARE(chain, parents);
    }

    void texts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");

        // The labels the clipboard report copies are checked there, blanks included.
        QTest::newRow("lon deg label") << "lonDegLabel" << "Lon deg";
        QTest::newRow("warp") << "warpButton" << "Warp to Location";
        QTest::newRow("warp to start") << "warpToStartButton" << "Warp to Start Location";
        QTest::newRow("toggle sync") << "toggleSyncButton" << "Toggle Sync Input to Current Location";
        QTest::newRow("copy") << "copyToClipboardButton" << "Copy to Clipboard";
        QTest::newRow("dms") << "dmsCheckBox" << "DMS";
        QTest::newRow("display") << "displayOn3DCheckBox" << "Display";
        QTest::newRow("hud box title") << "groupBox_2" << "Compass on 3D";
    }

    void texts()
    {
        QFETCH(QString, name);

        QObject* widget = plugin->find<QWidget>(name);
        QVERIFY(widget);
        QTEST(widget->property(qobject_cast<QGroupBox*>(widget) ? "title" : "text").toString(), "text");
    }

    void tabOrder()
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

    void startsEmptyOnTheDecimalPage()
    {
        for (QLineEdit* edit : plugin->panel()->findChildren<QLineEdit*>()) {
            // The spin box's own line edit shows its value.
            if (!qobject_cast<QSpinBox*>(edit->parent()))
                QVERIFY2(edit->text().isEmpty(), qPrintable(edit->objectName()));
        }
        QVERIFY(plugin->find<QLabel>("utmStatus")->text().isEmpty());
        QVERIFY(plugin->find<QLabel>("mgrsStatus")->text().isEmpty());
        QCOMPARE(plugin->find<QStackedWidget>("gdcStackedWidget")->currentWidget()->objectName(),
                 QString("gdcDecimalPage"));
        QVERIFY(!plugin->find<QCheckBox>("dmsCheckBox")->isChecked());
        QVERIFY(plugin->find<QCheckBox>("displayOn3DCheckBox")->isChecked());
        // The size's start value, 15, is checked where the slider is moved.
        QVERIFY(plugin->find<QPushButton>("toggleSyncButton")->isCheckable());
        QVERIFY(!plugin->find<QPushButton>("toggleSyncButton")->isChecked());
        QCOMPARE(field("mgrsTextBox")->maxLength(), 128);
        // Seconds are written with decimals although the keyboard may only give whole ones.
        field("latSecText")->setText("24.444437");
        QCOMPARE(field("latSecText")->text(), QString("24.444437"));
    }

    void rootName_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("kept");
        QTest::newRow("unnamed root is named") << "" << "CompassWidgetPlugin";
        QTest::newRow("named root keeps its name") << "hostPanel" << "hostPanel";
    }

    void rootName()
    {
        QFETCH(QString, given);

        QWidget root;
        root.setObjectName(given);
        Ui::CompassWidgetPlugin form;
        form.setupUi(&root);
        QTEST(root.objectName(), "kept");
        QCOMPARE(form.warpButton->window(), &root);
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
