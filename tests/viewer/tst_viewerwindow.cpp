#include "PluginManager.h"
#include "SceneView.h"
#include "ViewerApplication.h"
#include "ViewerSession.h"
#include "ViewerTestPlugins.h"
#include "ViewerWindow.h"

#include <velmora/widget/plugin/WidgetPlugin.h>

#include <QApplication>
#include <QComboBox>
#include <QGraphicsProxyWidget>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidgetItem>

#include <osgUtil/LineSegmentIntersector>

#include <cmath>
#include <memory>

using velmora::testing::ViewerTestPlugins;
using velmora::viewer::PluginManager;
using velmora::viewer::ViewerOptions;
using velmora::viewer::ViewerSession;

namespace {
constexpr double positionTolerance = 1e-3; // metres
// The terrain is a mesh of flat triangles; a pick and a vertical probe through
// the same point agree to well within this.
constexpr double heightTolerance = 0.5; // metres
} // namespace

// The real window in-process, with the recording plugin (reached through its
// invokable methods) and, when built, the compass plugin.
class TestViewerWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        QString error;
        QVERIFY2(ViewerTestPlugins::populate(pluginDir, error), qPrintable(error));
        ViewerOptions options;
        options.pluginDir = pluginDir.path();
        options.viewSize = QSize(800, 500);
        session = std::make_unique<ViewerSession>(options);
        QVERIFY2(session->start(error), qPrintable(error));
        view()->stopFrames();
        QVERIFY(QTest::qWaitForWindowExposed(session->window()));
        recorder = plugin("Recorder");
        QVERIFY2(recorder.object, "the recording plugin is loaded");
        view()->renderFrame();
    }

    void cleanupTestCase() { session.reset(); }

    void findsAllInterfacesAndInitializesOnce()
    {
        QVERIFY(recorder.gui && recorder.mouse && recorder.frame);
        QCOMPARE(ask<int>("callCount", QString("initialize")), 1);
        QCOMPARE(view()->viewport()->size(), QSize(800, 500));
    }

    void dialogsFloatAtTheRightAndFollowTheList()
    {
        QGraphicsProxyWidget* dialog = session->window()->dialogOf(recorder.gui);
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Recorder"));
        QVERIFY2(QRectF(0, 0, 800, 500).contains(dialog->sceneBoundingRect()), "the dialog lies within the view");
        // Dialogs line up from the right edge and do not cover each other.
        QRectF covered;
        for (const PluginManager::Plugin& other : session->pluginManager().plugins()) {
            const QRectF rect = session->window()->dialogOf(other.gui)->sceneBoundingRect();
            QVERIFY(!covered.intersects(rect));
            covered |= rect;
        }
        QVERIFY(covered.right() > 800 - 20);

        QTreeWidgetItem* item = recorder.gui->getTreeItem();
        QCOMPARE(item->text(0), QStringLiteral("Recorder"));
        item->setCheckState(0, Qt::Unchecked);
        QVERIFY(!dialog->isVisible());
        item->setCheckState(0, Qt::Checked);
        QVERIFY(dialog->isVisible());
    }

    void frameUpdateOncePerRenderedFrame()
    {
        const int updates = calls("frameUpdate");
        const int rendered = calls("frameRendered");
        for (int i = 0; i < 3; ++i)
            view()->renderFrame();
        QCOMPARE(calls("frameUpdate") - updates, 3);
        QCOMPARE(calls("frameRendered") - rendered, 3);
    }

    void mouseMoveReachesPlugin_data()
    {
        QTest::addColumn<bool>("overDialog");
        QTest::newRow("over the terrain") << false;
        QTest::newRow("over a dialog: inside a GUI dialog") << true;
    }

    void mouseMoveReachesPlugin()
    {
        QFETCH(bool, overDialog);
        const QPoint position = overDialog ? dialogCentre() : QPoint(100, 300);
        const int before = calls("handleMouseMove");
        sendMouse(QEvent::MouseMove, position, Qt::NoButton);
        QCOMPARE(calls("handleMouseMove"), before + 1);
        QCOMPARE(ask<QPoint>("lastMovePosition"), position);
        QCOMPARE(ask<bool>("mouseWithinGuiDialog", position.x(), position.y()), overDialog);
    }

    void dragTurnsTheCameraOnlyOnTheTerrain_data()
    {
        QTest::addColumn<bool>("overDialog");
        QTest::newRow("press over a dialog: camera left alone") << true;
        QTest::newRow("drag on the terrain: camera turns") << false;
    }

    void dragTurnsTheCameraOnlyOnTheTerrain()
    {
        QFETCH(bool, overDialog);
        const osg::Matrixd viewBefore = camera()->getViewMatrix();
        // Far enough to leave the dialog.
        const QPoint start = overDialog ? dialogCentre() : QPoint(200, 350);
        const QPoint end = start + QPoint(-150, 40);
        sendMouse(QEvent::MouseButtonPress, start, Qt::LeftButton);
        view()->renderFrame();
        sendMouse(QEvent::MouseMove, end, Qt::LeftButton);
        view()->renderFrame();
        sendMouse(QEvent::MouseButtonRelease, end, Qt::LeftButton);
        view()->renderFrame();
        QCOMPARE(camera()->getViewMatrix() != viewBefore, !overDialog);
        toStart();
    }

    void dragNeverTipsTheCamera_data()
    {
        QTest::addColumn<int>("dy");
        // Far enough to turn the orbit past straight down...
        QTest::newRow("drag down") << 600;
        // ...or to lift the look above the orbit point, putting the eye underground.
        QTest::newRow("drag up") << -600;
    }

    void dragNeverTipsTheCamera()
    {
        QFETCH(int, dy);
        // Left of the dialogs, which line up from the right edge.
        const QPoint start(150, dy > 0 ? 250 : 480);
        const osg::Matrixd viewBefore = camera()->getViewMatrix();
        sendMouse(QEvent::MouseButtonPress, start, Qt::LeftButton);
        view()->renderFrame();
        for (int step = 1; step <= 6; ++step) {
            sendMouse(QEvent::MouseMove, start + QPoint(5 * step, dy * step / 6), Qt::LeftButton);
            view()->renderFrame();
        }
        sendMouse(QEvent::MouseButtonRelease, start + QPoint(30, dy), Qt::LeftButton);
        view()->renderFrame();

        osg::Vec3d eye, center, up;
        camera()->getViewMatrixAsLookAt(eye, center, up, 1.0);
        QVERIFY2(!(camera()->getViewMatrix() == viewBefore), "the drag turned nothing");
        QVERIFY2(up.z() > 0.0, "the camera is upside down");
        QVERIFY2(center.z() < eye.z(), "the camera looks up from below its orbit point");
        session->application()->warpToStart();
        view()->renderFrame();
    }

    void pickFindsTerrainOrSky_data()
    {
        QTest::addColumn<QPoint>("position");
        QTest::addColumn<bool>("onTerrain");
        QTest::newRow("lower middle: terrain") << QPoint(400, 450) << true;
        QTest::newRow("top left corner: sky") << QPoint(5, 3) << false;
    }

    void pickFindsTerrainOrSky()
    {
        QFETCH(QPoint, position);
        QFETCH(bool, onTerrain);
        toStart();
        const int before = calls("handleMouseClick");
        sendMouse(QEvent::MouseButtonPress, position, Qt::LeftButton);
        sendMouse(QEvent::MouseButtonRelease, position, Qt::LeftButton);
        QCOMPARE(calls("handleMouseClick"), before + 1);
        QCOMPARE(app()->hasTerrainPointUnderMouse(), onTerrain);

        // The plugin sees the picked point already inside its click handler (NaN for sky).
        const QVariantList seen = ask<QVariantList>("terrainPointAtLastClick");
        QCOMPARE(seen.size(), 3);
        const osg::Vec3d atClick(seen[0].toDouble(), seen[1].toDouble(), seen[2].toDouble());
        if (!onTerrain) {
            QVERIFY(std::isnan(atClick.x()) && std::isnan(atClick.y()) && std::isnan(atClick.z()));
            return;
        }
        const osg::Vec3d point = app()->getTerrainPointUnderMouse();
        QVERIFY((atClick - point).length() < positionTolerance);
        // The point lies on the terrain surface...
        QVERIFY2(std::abs(groundHeightAt(point.x(), point.y()) - point.z()) < heightTolerance,
                 qPrintable(QStringLiteral("picked z %1, ground %2").arg(point.z()).arg(groundHeightAt(point.x(), point.y()))));
        // ...and under the cursor: projected back, it lands on the pressed pixel.
        const osg::Vec3d window = point * camera()->getViewMatrix() * camera()->getProjectionMatrix() *
                                  camera()->getViewport()->computeWindowMatrix();
        QVERIFY(std::abs(window.x() - (position.x() + 0.5)) < 1.0);
        QVERIFY(std::abs(window.y() - (500 - position.y() - 0.5)) < 1.0);
    }

    void warpsMoveTheEye()
    {
        toStart();
        const osg::Vec3d lookBefore = lookDirection();
        const osg::Vec3d target(1200.0, -3000.0, 2500.0);
        app()->warpToPosition(target);
        view()->renderFrame();
        view()->renderFrame();
        QVERIFY((eye() - target).length() < positionTolerance);
        QVERIFY2(lookDirection() * lookBefore > 0.9999, "warpToPosition keeps the heading");

        toStart();
        const osg::Vec3d start = app()->getStartPosition();
        QVERIFY((eye() - start).length() < positionTolerance);
        // The start view: above the terrain's south part, looking north and down.
        QVERIFY(start.z() > groundHeightAt(start.x(), start.y() + 1.0));
        QVERIFY(lookDirection().y() > 0.9 && lookDirection().z() < 0.0);
    }

    void keysMoveTheCamera_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<double>("north"); // sign of the eye's change along +y
        QTest::addColumn<double>("up");    // sign of the eye's change along +z
        QTest::newRow("W: forward, north") << int(Qt::Key_W) << 1.0 << 0.0;
        QTest::newRow("Down: back, south") << int(Qt::Key_Down) << -1.0 << 0.0;
        QTest::newRow("PageUp: higher") << int(Qt::Key_PageUp) << 0.0 << 1.0;
        QTest::newRow("minus: lower") << int(Qt::Key_Minus) << 0.0 << -1.0;
    }

    void keysMoveTheCamera()
    {
        QFETCH(int, key);
        toStart();
        const osg::Vec3d before = eye();
        QTest::keyClick(view(), Qt::Key(key));
        view()->renderFrame();
        const osg::Vec3d moved = eye() - before;
        // Steps are metres; anything below a centimetre counts as standing still.
        const auto sign = [](double value) { return std::abs(value) < 0.01 ? 0.0 : (value > 0 ? 1.0 : -1.0); };
        QTEST(sign(moved.y()), "north");
        QTEST(sign(moved.z()), "up");

        QTest::keyClick(view(), Qt::Key_Home);
        view()->renderFrame();
        QVERIFY((eye() - app()->getStartPosition()).length() < positionTolerance);
    }

    void compassPluginJoinsTheWindow()
    {
        if (!ViewerTestPlugins::hasCompassPlugin())
            QSKIP("the compass plugin is not built in this tree");
        const PluginManager::Plugin compass = plugin("Compass");
        QVERIFY(compass.gui && compass.mouse && compass.frame);
        QVERIFY(session->window()->dialogOf(compass.gui));
        QVERIFY2(!session->window()->statusBar()->findChildren<QComboBox*>().isEmpty(),
                 "the coordinate-system choice is in the status bar");
    }

private:
    velmora::viewer::SceneView* view() const { return session->window()->sceneView(); }
    velmora::viewer::ViewerApplication* app() const { return session->application(); }
    osg::Camera* camera() const { return app()->getViewer()->getCamera(); }

    PluginManager::Plugin plugin(const QString& text) const
    {
        for (const PluginManager::Plugin& loaded : session->pluginManager().plugins())
            if (loaded.gui && loaded.gui->getText() == text)
                return loaded;
        return {};
    }
    // Calls one of the recorder's invokable methods.
    template <typename R, typename... Args>
    R ask(const char* method, Args... args) const
    {
        R result{};
        QMetaObject::invokeMethod(recorder.object, method, QReturnArgument<R>(QMetaType::typeName(qMetaTypeId<R>()), result),
                                  QArgument<Args>(QMetaType::typeName(qMetaTypeId<Args>()), args)...);
        return result;
    }
    int calls(const char* name) const { return ask<int>("callCount", QString::fromLatin1(name)); }
    QPoint dialogCentre() const
    {
        return view()->mapFromScene(session->window()->dialogOf(recorder.gui)->sceneBoundingRect().center());
    }
    void sendMouse(QEvent::Type type, const QPoint& pos, Qt::MouseButton button)
    {
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, pos, view()->viewport()->mapToGlobal(pos), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(view()->viewport(), &event);
    }
    void toStart()
    {
        app()->warpToStart();
        view()->renderFrame();
    }
    osg::Vec3d eye() const { return osg::Vec3d() * camera()->getInverseViewMatrix(); }
    osg::Vec3d lookDirection() const
    {
        osg::Vec3d direction = osg::Vec3d(0, 0, -1) * camera()->getInverseViewMatrix() - eye();
        direction.normalize();
        return direction;
    }
    double groundHeightAt(double x, double y) const
    {
        osg::ref_ptr<osgUtil::LineSegmentIntersector> probe =
            new osgUtil::LineSegmentIntersector(osg::Vec3d(x, y, 1e5), osg::Vec3d(x, y, -1e5));
        osgUtil::IntersectionVisitor visitor(probe.get());
        app()->getTerrain()->accept(visitor);
        return probe->containsIntersections() ? probe->getFirstIntersection().getWorldIntersectPoint().z() : std::nan("");
    }

    QTemporaryDir pluginDir;
    std::unique_ptr<ViewerSession> session;
    PluginManager::Plugin recorder;
};

QTEST_MAIN(TestViewerWindow)
#include "tst_viewerwindow.moc"
