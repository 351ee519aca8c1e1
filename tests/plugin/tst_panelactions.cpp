#include "LoadedCompassPlugin.h"
#include "TestHost.h"

#include <velmora/qtapplication/QtApplication.h>
#include <velmora/qtapplication/QtApplicationController.h>

#include <QCheckBox>
#include <QClipboard>
#include <QJsonObject>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>

#include <memory>

using velmora::testing::LoadedCompassPlugin;
using velmora::testing::TestHost;
using Warp = velmora::testing::TestApplication::WarpCall;

namespace {
enum class Press { Terrain, Sky, OverDialog, EscapeInView, EscapeInField };
// Left of and below the panel's dialog.
const QPoint terrainPixel(300, 400);
} // namespace

Q_DECLARE_METATYPE(Press)

// The plugin as the host loads it, and the panel's buttons, the host's mouse
// clicks and the clipboard report as a user meets them without a display.
class TestPanelActions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void init()
    {
        host = std::make_unique<TestHost>();
        host->setStartPosition(osg::Vec3d(1234.56789, -98765.4321, 0.000012345));
        plugin = std::make_unique<LoadedCompassPlugin>();
    }
    void cleanup() { plugin.reset(), host.reset(); }

    void loadsConnectsOnInitializeAndReports()
    {
        plugin.reset();
        plugin = std::make_unique<LoadedCompassPlugin>(false);
        host->application().warpCalls.clear();
        // A host reads the metadata before it creates any plugin object.
        const QJsonObject metaData = QPluginLoader(LoadedCompassPlugin::fileName()).metaData();
        QCOMPARE(metaData.value("IID").toString(), QString("org.velmora.WidgetPlugin/1.0"));
        QCOMPARE(metaData.value("MetaData").toObject().value("name").toString(), QString("Compass"));
        QCOMPARE(plugin->widgetPlugin()->getText(), QString("Compass"));
        // The icon is the host's flag, read from the configured icon directory.
        QVERIFY(!plugin->widgetPlugin()->getIcon().pixmap(16).isNull());

        // The slots' names follow the widgets, yet nothing is connected by name.
        QApplication::clipboard()->setText("before");
        plugin->button("copyToClipboardButton")->click();
        QCOMPARE(QApplication::clipboard()->text(), QString("before"));
        QVERIFY(host->application().warpCalls.empty());

        plugin->widgetPlugin()->initialize();
        QCOMPARE(host->application().warpCalls.size(), size_t(1));
        QCOMPARE(host->application().warpCalls.front().kind, Warp::Kind::ToStart);
        QTest::keyClicks(plugin->field("utmBandTextBox"), "t");
        QCOMPARE(plugin->field("utmBandTextBox")->text(), QString("T"));
        auto* pages = plugin->find<QStackedWidget>("gdcStackedWidget");
        for (const char* page : {"gdcDmsPage", "gdcDecimalPage"}) {
            QTest::keyClick(plugin->find<QCheckBox>("dmsCheckBox"), Qt::Key_Space);
            QCOMPARE(pages->currentWidget()->objectName(), QString(page));
        }

        // Every text distinct, so each is seen to land in its own place; UTF-8 kept.
        const std::pair<const char*, const char*> filled[] = {
            {"gdcLatitudeTextBox", "33.5"}, {"latDegText", "33"}, {"latMinText", "30"}, {"latSecText", "1"},
            {"gdcLongitudeTextBox", "-117.25"}, {"gccXTextBox", "-2437543.1"}, {"gccYTextBox", "-4650203.3"},
            {"gccZTextBox", "3503916.6"}, {"mgrsTextBox", "10T é"}, {"utmZoneTextBox", "10"},
            {"utmBandTextBox", "T"}, {"utmEastingTextBox", "594321.5"}, {"utmNorthingTextBox", "5189012.25"},
            {"lonDegText", "-117"}, {"lonMinText", "15"}, {"lonSecText", "2"}, {"gdcElevationTextBox", "12"}};
        for (const auto& [name, text] : filled)
            plugin->field(name)->setText(QString::fromUtf8(text));
        QTest::mouseClick(plugin->button("copyToClipboardButton"), Qt::LeftButton);
        // Both geodetic forms share a line; the local fields hold the start position
        // in eight significant digits; zone and band joined, easting first.
        const QString expected = QString::fromUtf8("Orientation (deg): 0\n"
                                                   "    Latitude (deg): 33.5 (33 30' 1\")\n"
                                                   "    Longitude(deg): -117.25 (-117 15' 2\")\n"
                                                   "    Elevation (m): 12\n"
                                                   "GCC:\n    X: -2437543.1\n    Y: -4650203.3\n    Z: 3503916.6\n"
                                                   "Local:\n    X: 1234.5679\n    Y: -98765.432\n    Z: 1.2345e-05\n"
                                                   "    MGRS:10T é\n"
                                                   "    UTM:10T 594321.5 5189012.25\n");
        QCOMPARE(QApplication::clipboard()->text(QClipboard::Clipboard), expected);
    }

    void warpSyncAndFollowButtons()
    {
        plugin->enter({{"localXTextBox", "1"}, {"localYTextBox", "2"}, {"localZTextBox", "3"}});
        const auto before = plugin->texts();
        plugin->button("warpButton")->click();
        QCOMPARE(host->application().warpCalls.back().kind, Warp::Kind::ToPosition);
        QCOMPARE(host->application().warpCalls.back().position, osg::Vec3d(1, 2, 3));
        QCOMPARE(plugin->texts(), before);
        host->setStartPosition(osg::Vec3d(-5.5, 7, 1500));
        plugin->button("warpToStartButton")->click();
        QCOMPARE(plugin->localTexts(), (QStringList{"-5.5", "7", "1500"}));
        // The eye has more than eight significant digits; the panel shows eight.
        host->application().Application::warpToPosition(osg::Vec3d(100.123456789, 0, 50));
        plugin->button("syncButton")->click();
        QCOMPARE(plugin->localTexts(), (QStringList{"100.12346", "0", "50"}));

        // Follow mode locks exactly the coordinate fields, not the size spin box.
        for (bool following : {true, false}) {
            plugin->button("toggleSyncButton")->click();
            int locked = 0;
            for (QWidget* widget : plugin->panel()->findChildren<QWidget*>()) {
                const bool coordinate = qobject_cast<QLineEdit*>(widget) && !qobject_cast<QSpinBox*>(widget->parent());
                QVERIFY2(widget->isEnabled() == !(coordinate && following), qPrintable(widget->objectName()));
                locked += widget->isEnabled() ? 0 : 1;
            }
            QCOMPARE(locked, following ? 21 : 0);
        }
    }

    void onlyDraggingTheSliderSetsTheSpinBox()
    {
        auto* slider = plugin->find<QSlider>("sizeOn3DSlider");
        auto* spinBox = plugin->find<QSpinBox>("sizeOn3DSpinBox");
        QTest::keyClick(slider, Qt::Key_PageUp);
        QCOMPARE(spinBox->value(), 15);
        // A drag is the handle held down while it moves.
        slider->setSliderDown(true);
        slider->setSliderPosition(40);
        slider->setSliderDown(false);
        QCOMPARE(spinBox->value(), 40);
        QTest::keyClick(spinBox, Qt::Key_Down);
        QCOMPARE(slider->value(), 39);
    }

    void pick_data()
    {
        QTest::addColumn<bool>("arm");
        QTest::addColumn<bool>("following");
        QTest::addColumn<Press>("press");
        QTest::addColumn<bool>("stillArmed");
        QTest::addColumn<bool>("picked");
        QTest::newRow("nothing armed: a press changes nothing") << false << false << Press::Terrain << false << false;
        QTest::newRow("a press on the terrain picks; arming left follow mode")
            << true << true << Press::Terrain << false << true;
        QTest::newRow("over a dialog: stays armed") << true << false << Press::OverDialog << true << false;
        // Showing the host's NaN would fill every form with "nan".
        QTest::newRow("on the sky: stays armed") << true << false << Press::Sky << true << false;
        QTest::newRow("Escape in the 3D view cancels") << true << false << Press::EscapeInView << false << false;
        QTest::newRow("Escape in a panel field cancels") << true << false << Press::EscapeInField << false << false;
    }

    void pick()
    {
        QFETCH(bool, following);
        QFETCH(bool, arm);
        QFETCH(Press, press);
        QFETCH(bool, stillArmed);
        host->showAsDialog(plugin->panel(), 700, 20);
        if (following)
            plugin->button("toggleSyncButton")->click();
        if (arm)
            plugin->button("pickCoordButton")->click();
        QVERIFY(plugin->button("pickCoordButton")->toolTip().contains("Esc"));
        QCOMPARE(cursorOverTerrain(), arm ? Qt::CrossCursor : Qt::ArrowCursor);
        QVERIFY(!plugin->button("toggleSyncButton")->isChecked() && plugin->field("gccXTextBox")->isEnabled());
        const QStringList before = plugin->localTexts();

        // After Escape the press on the terrain must find nothing armed.
        if (press == Press::EscapeInView || press == Press::EscapeInField)
            QTest::keyClick(press == Press::EscapeInView ? static_cast<QWidget*>(&host->view())
                                                         : plugin->field("mgrsTextBox"),
                            Qt::Key_Escape);
        if (press == Press::Sky)
            host->application().clearTerrainPointUnderMouse();
        else
            host->setTerrainPointUnderMouse(osg::Vec3d(250.5, -1250.25, 1712.125));
        QMouseEvent event(QEvent::MouseButtonPress, press == Press::OverDialog ? QPoint(710, 30) : terrainPixel,
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        plugin->mouse()->handleMouseClick(&event, &host->scene());

        QCOMPARE(!plugin->button("pickCoordButton")->isEnabled(), stillArmed);
        QCOMPARE(cursorOverTerrain(), stillArmed ? Qt::CrossCursor : Qt::ArrowCursor);
        QFETCH(bool, picked);
        QCOMPARE(plugin->localTexts(), picked ? QStringList({"250.5", "-1250.25", "1712.125"}) : before);
    }

    void withoutHostObjectsNothingIsDereferenced()
    {
        cleanup();
        auto* controller = velmora::qtapplication::QtApplicationController::instance();
        velmora::qtapplication::QtApplication noWindow(nullptr);
        // No application and no Qt application, then a Qt application without a main window.
        for (auto* qtApplication : {static_cast<velmora::qtapplication::QtApplication*>(nullptr), &noWindow}) {
            controller->setQtApplication(qtApplication);
            plugin = std::make_unique<LoadedCompassPlugin>();
            QMouseEvent event(QEvent::MouseButtonPress, QPoint(1, 1), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
            for (QAbstractButton* each : plugin->panel()->findChildren<QAbstractButton*>()) {
                each->click();
                plugin->mouse()->handleMouseMove(&event, nullptr);
                plugin->mouse()->handleMouseClick(&event, nullptr);
                plugin->frame();
            }
            QCOMPARE(plugin->localTexts(), (QStringList{"", "", ""}));
            plugin.reset();
        }
        controller->setQtApplication(nullptr);
    }

private:
    // The cursor the 3D view shows once the mouse has moved onto the terrain.
    Qt::CursorShape cursorOverTerrain()
    {
        QMouseEvent move(QEvent::MouseMove, terrainPixel, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(host->view().viewport(), &move);
        return host->view().viewport()->cursor().shape();
    }

    std::unique_ptr<TestHost> host;
    std::unique_ptr<LoadedCompassPlugin> plugin;
};

QTEST_MAIN(TestPanelActions)
#include "tst_panelactions.moc"
