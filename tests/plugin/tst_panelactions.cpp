#include "LoadedCompassPlugin.h"
#include "TestHost.h"

#include <velmora/application/plugin/FrameUpdatePlugin.h>
#include <velmora/application/plugin/MouseHandlerPlugin.h>
#include <velmora/qtapplication/QtApplication.h>
#include <velmora/qtapplication/QtApplicationController.h>

#include <QAbstractButton>
#include <QClipboard>
#include <QLineEdit>
#include <QSpinBox>
#include <QtTest>

#include <memory>

using velmora::application::plugin::FrameUpdatePlugin;
using velmora::application::plugin::MouseHandlerPlugin;
using velmora::testing::LoadedCompassPlugin;
using velmora::testing::TestHost;
using Warp = velmora::testing::TestApplication::WarpCall;

namespace {
enum class Press { Terrain, Sky, OverDialog, EscapeInView, EscapeInField };
const osg::Vec3d terrainPoint(250.5, -1250.25, 1712.125);
// Left of and below the panel's dialog.
const QPoint terrainPixel(300, 400);
} // namespace

Q_DECLARE_METATYPE(Press)

// The panel's buttons, the host's mouse clicks and the clipboard report, as a
// user meets them in a host without a display.
class TestPanelActions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void init()
    {
        host = std::make_unique<TestHost>();
        plugin = std::make_unique<LoadedCompassPlugin>();
        QVERIFY2(plugin->object(), qPrintable(plugin->errorString()));
        plugin->widgetPlugin()->initialize();
    }
    void cleanup()
    {
        plugin.reset();
        host.reset();
    }

    void warpAndSyncButtons()
    {
        field("localXTextBox")->setText("1");
        field("localYTextBox")->setText("2");
        field("localZTextBox")->setText("3");
        const QStringList before = texts();
        button("warpButton")->click();
        QCOMPARE(host->application().warpCalls.back().kind, Warp::Kind::ToPosition);
        QCOMPARE(host->application().warpCalls.back().position, osg::Vec3d(1, 2, 3));
        QCOMPARE(texts(), before);

        host->setStartPosition(osg::Vec3d(-5.5, 7, 1500));
        button("warpToStartButton")->click();
        QCOMPARE(host->application().warpCalls.back().kind, Warp::Kind::ToStart);
        QCOMPARE(localTexts(), (QStringList{"-5.5", "7", "1500"}));
        // The eye has more than eight significant digits; the panel shows eight.
        host->application().Application::warpToPosition(osg::Vec3d(100.123456789, 0, 50));
        button("syncButton")->click();
        QCOMPARE(localTexts(), (QStringList{"100.12346", "0", "50"}));
    }

    void followModeLocksExactlyTheCoordinateFields()
    {
        for (bool following : {true, false}) {
            button("toggleSyncButton")->click();
            int locked = 0;
            for (QWidget* widget : plugin->panel()->findChildren<QWidget*>()) {
                const bool coordinate = qobject_cast<QLineEdit*>(widget) && !qobject_cast<QSpinBox*>(widget->parent());
                QVERIFY2(widget->isEnabled() == !(coordinate && following), qPrintable(widget->objectName()));
                locked += widget->isEnabled() ? 0 : 1;
            }
            QCOMPARE(locked, following ? 21 : 0);
        }
    }

    void pick_data()
    {
        QTest::addColumn<bool>("arm");
        QTest::addColumn<bool>("following");
        QTest::addColumn<Press>("press");
        QTest::addColumn<bool>("stillArmed");
        QTest::addColumn<bool>("picked");
        QTest::newRow("nothing armed: a press changes nothing") << false << false << Press::Terrain << false << false;
        QTest::newRow("a press on the terrain picks") << true << false << Press::Terrain << false << true;
        QTest::newRow("arming leaves follow mode") << true << true << Press::Terrain << false << true;
        QTest::newRow("over a dialog: stays armed") << true << false << Press::OverDialog << true << false;
        // Showing the host's NaN would fill every form with "nan".
        QTest::newRow("on the sky: stays armed") << true << false << Press::Sky << true << false;
        QTest::newRow("Escape in the 3D view cancels") << true << false << Press::EscapeInView << false << false;
        QTest::newRow("Escape in a panel field cancels") << true << false << Press::EscapeInField << false << false;
    }

    void pick()
    {
        QFETCH(bool, arm);
        QFETCH(bool, following);
        QFETCH(Press, press);
        QFETCH(bool, stillArmed);
        QFETCH(bool, picked);
        host->showAsDialog(plugin->panel(), 700, 20);
        if (following)
            button("toggleSyncButton")->click();
        if (arm)
            button("pickCoordButton")->click();
        QVERIFY(button("pickCoordButton")->toolTip().contains("Esc"));
        QCOMPARE(cursorOverTerrain(), arm ? Qt::CrossCursor : Qt::ArrowCursor);
        QVERIFY(!button("toggleSyncButton")->isChecked() && field("gccXTextBox")->isEnabled());
        const QStringList before = localTexts();

        // After Escape the press on the terrain must find nothing armed.
        if (press == Press::EscapeInView || press == Press::EscapeInField)
            QTest::keyClick(press == Press::EscapeInView ? static_cast<QWidget*>(&host->view()) : field("mgrsTextBox"),
                            Qt::Key_Escape);
        if (press == Press::Sky)
            host->application().clearTerrainPointUnderMouse();
        else
            host->setTerrainPointUnderMouse(terrainPoint);
        const QPoint at = press == Press::OverDialog ? QPoint(710, 30) : terrainPixel;
        QMouseEvent event(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        dynamic_cast<MouseHandlerPlugin*>(plugin->object())->handleMouseClick(&event, &host->scene());

        QCOMPARE(!button("pickCoordButton")->isEnabled(), stillArmed);
        QCOMPARE(cursorOverTerrain(), stillArmed ? Qt::CrossCursor : Qt::ArrowCursor);
        QCOMPARE(localTexts(), picked ? QStringList({"250.5", "-1250.25", "1712.125"}) : before);
    }

    void reportKeepsNonAsciiText()
    {
        field("mgrsTextBox")->setText(QString::fromUtf8("10T é"));
        button("copyToClipboardButton")->click();
        QVERIFY(QApplication::clipboard()->text().contains(QString::fromUtf8("\n    MGRS:10T é\n")));
    }

    void withoutHostObjectsNothingIsDereferenced_data()
    {
        QTest::addColumn<bool>("qtApplication");
        QTest::newRow("no application, no Qt application") << false;
        QTest::newRow("no application, no main window") << true;
    }

    void withoutHostObjectsNothingIsDereferenced()
    {
        QFETCH(bool, qtApplication);
        cleanup();
        auto* controller = velmora::qtapplication::QtApplicationController::instance();
        velmora::qtapplication::QtApplication noWindow(nullptr);
        controller->setQtApplication(qtApplication ? &noWindow : nullptr);
        plugin = std::make_unique<LoadedCompassPlugin>();
        QVERIFY2(plugin->object(), qPrintable(plugin->errorString()));
        plugin->widgetPlugin()->initialize();
        QMouseEvent event(QEvent::MouseButtonPress, QPoint(1, 1), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        for (QAbstractButton* each : plugin->panel()->findChildren<QAbstractButton*>()) {
            each->click();
            dynamic_cast<MouseHandlerPlugin*>(plugin->object())->handleMouseMove(&event, nullptr);
            dynamic_cast<MouseHandlerPlugin*>(plugin->object())->handleMouseClick(&event, nullptr);
            dynamic_cast<FrameUpdatePlugin*>(plugin->object())->frameUpdate();
        }
        QCOMPARE(localTexts(), (QStringList{"", "", ""}));
        plugin.reset();
        controller->setQtApplication(nullptr);
    }

private:
    QLineEdit* field(const char* name) const { return plugin->find<QLineEdit>(name); }
    QAbstractButton* button(const char* name) const { return plugin->find<QAbstractButton>(name); }
    QStringList localTexts() const
    {
        return {field("localXTextBox")->text(), field("localYTextBox")->text(), field("localZTextBox")->text()};
    }
    // The cursor the 3D view shows once the mouse has moved onto the terrain.
    Qt::CursorShape cursorOverTerrain()
    {
        QMouseEvent move(QEvent::MouseMove, terrainPixel, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(host->view().viewport(), &move);
        return host->view().viewport()->cursor().shape();
    }
    QStringList texts() const
    {
        QStringList all;
        for (const QLineEdit* edit : plugin->panel()->findChildren<QLineEdit*>())
            all << edit->text();
        return all;
    }

    std::unique_ptr<TestHost> host;
    std::unique_ptr<LoadedCompassPlugin> plugin;
};

QTEST_MAIN(TestPanelActions)
#include "tst_panelactions.moc"
