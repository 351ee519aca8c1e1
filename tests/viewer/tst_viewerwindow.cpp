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
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidgetItem>
#include <QWheelEvent>

#include <osg/ComputeBoundsVisitor>
#include <osgUtil/LineSegmentIntersector>

#include <algorithm>
#include <cmath>
#include <limits>
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
// A grabbed point may land this far from where it belongs: rounding to whole pixels along the way.
constexpr double pixelTolerance = 3.0;
const QSize viewSize(800, 500);
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
        // A second name for the same library, as a versioned name would be: still one plugin.
        QVERIFY(QFile::link(VELMORA_RECORDING_PLUGIN_FILE, pluginDir.filePath("libvelmora_recording_plugin.so.1")));
        ViewerOptions options;
        options.pluginDir = pluginDir.path();
        options.viewSize = viewSize;
        session = std::make_unique<ViewerSession>(options);
        QVERIFY2(session->start(error), qPrintable(error));
        view()->stopFrames();
        QVERIFY(QTest::qWaitForWindowExposed(session->window()));
        recorder = plugin("Recorder");
        QVERIFY2(recorder.object, "the recording plugin is loaded");
        view()->renderFrame();
    }

    void cleanupTestCase() { session.reset(); }

    void findsAllInterfacesAndLoadsEachLibraryOnce()
    {
        QVERIFY(recorder.gui && recorder.mouse && recorder.frame);
        QCOMPARE(ask<int>("callCount", QString("initialize")), 1);
        QCOMPARE(std::count_if(plugins().begin(), plugins().end(),
                               [](const PluginManager::Plugin& p) { return p.gui && p.gui->getText() == "Recorder"; }),
                 1);
        QCOMPARE(view()->viewport()->size(), viewSize);
    }

    void dialogsFloatAtTheRightAndFollowTheList()
    {
        QGraphicsProxyWidget* dialog = dialogOf(recorder);
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Recorder"));
        // Dialogs line up from the right edge and do not cover each other.
        QRectF covered;
        for (const PluginManager::Plugin& other : plugins()) {
            const QRectF rect = dialogOf(other)->sceneBoundingRect();
            QVERIFY(!covered.intersects(rect));
            covered |= rect;
        }
        QVERIFY(covered.right() > viewSize.width() - 20);

        QTreeWidgetItem* item = recorder.gui->getTreeItem();
        QCOMPARE(item->text(0), QStringLiteral("Recorder"));
        item->setCheckState(0, Qt::Unchecked);
        QVERIFY(!dialog->isVisible());
        item->setCheckState(0, Qt::Checked);
        QVERIFY(dialog->isVisible());
    }

    void dialogsStayWithinReach()
    {
        QMainWindow* window = session->window();
        const QSize full = window->size();
        std::map<QGraphicsProxyWidget*, QPointF> placed;
        for (const PluginManager::Plugin& p : plugins())
            placed[dialogOf(p)] = dialogOf(p)->pos();
        // Shrunk below the size of the panels: each keeps at least its title bar in view.
        window->resize(full - viewSize + QSize(300, 200));
        QTRY_COMPARE(view()->viewport()->size(), QSize(300, 200));
        verifyDialogsInView();
        // The title bar dragged past the bottom right corner.
        QGraphicsProxyWidget* dialog = dialogOf(recorder);
        const QPoint title = view()->mapFromScene(dialog->windowFrameGeometry().topLeft()) + QPoint(30, 6);
        sendMouse(QEvent::MouseButtonPress, title, Qt::LeftButton);
        sendMouse(QEvent::MouseMove, title + QPoint(400, 300), Qt::LeftButton);
        sendMouse(QEvent::MouseButtonRelease, title + QPoint(400, 300), Qt::LeftButton);
        verifyDialogsInView();
        QVERIFY2(QRectF(QPointF(), QSizeF(300, 200)).contains(dialog->windowFrameGeometry()), "the small panel fits");
        window->resize(full);
        QTRY_COMPARE(view()->viewport()->size(), viewSize);
        for (const auto& [dialog, pos] : placed)
            dialog->setPos(pos);
    }

    void restsWhenIdleAndDrawsOnInput()
    {
        view()->startFrames();
        QTest::qWait(300);
        const int updates = calls("frameUpdate");
        const int rendered = calls("frameRendered");
        QTest::qWait(500);
        QCOMPARE(calls("frameUpdate"), updates);
        sendMouse(QEvent::MouseMove, QPoint(100, 300), Qt::NoButton);
        QTRY_VERIFY(calls("frameUpdate") > updates);
        QTest::qWait(200);
        view()->stopFrames();
        // One move, one frame; each frame calls frameUpdate and frameRendered once.
        QCOMPARE(calls("frameUpdate"), updates + 1);
        QCOMPARE(calls("frameRendered"), rendered + 1);
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

    void doubleClickInADialogStaysADoubleClick()
    {
        // What the panel's label receives: a field selects its word on a double-click only.
        struct DoubleClicks : QObject
        {
            int count = 0;
            bool eventFilter(QObject*, QEvent* event) override
            {
                count += event->type() == QEvent::MouseButtonDblClick ? 1 : 0;
                return false;
            }
        } doubleClicks;
        auto* label = recorder.gui->getWidget()->findChild<QLabel*>();
        label->installEventFilter(&doubleClicks);
        const QPoint at = view()->mapFromScene(
            dialogOf(recorder)->mapToScene(label->mapTo(recorder.gui->getWidget(), label->rect().center())));
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                        QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease})
            sendMouse(type, at, Qt::LeftButton);
        QCOMPARE(doubleClicks.count, 1);
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
        toStart();
        const osg::Matrixd viewBefore = camera()->getViewMatrix();
        // Far enough to leave the dialog.
        const QPoint start = overDialog ? dialogCentre() : QPoint(30, 300);
        drag(Qt::LeftButton, Qt::NoModifier, start, start + QPoint(-150, 40));
        QCOMPARE(camera()->getViewMatrix() != viewBefore, !overDialog);
    }

    void navigationKeepsTheCameraAboveTheTerrain_data()
    {
        // Keys as Qt names them, with a repeat count; drags as "drag <button> dx dy" from the view's centre.
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("lowering held down stops above the ground") << QStringList{"PgDown*60"};
        QTest::newRow("low and forward over the mountain") << QStringList{"PgDown*20", "W*80", "A*20"};
        QTest::newRow("back off the edge, then down") << QStringList{"S*30", "-*60"};
        QTest::newRow("wheel in until the ground") << QStringList{"wheel+*80"};
        QTest::newRow("tilt up past the horizon") << QStringList{"drag L 0 -900", "drag L 0 -900"};
        QTest::newRow("tilt down past straight down") << QStringList{"drag L 0 900"};
        QTest::newRow("low, then tilt up") << QStringList{"PgDown*30", "drag L 200 -900"};
        QTest::newRow("pan and zoom in hard") << QStringList{"drag M 0 200", "drag SL 100 0", "drag R 0 -900"};
    }

    void navigationKeepsTheCameraAboveTheTerrain()
    {
        QFETCH(QStringList, steps);
        toStart();
        setDialogsVisible(false);
        const QPoint centre(viewSize.width() / 2, viewSize.height() / 2);
        for (const QString& step : steps) {
            const QStringList parts = step.split(' ');
            if (parts.first() == "drag") {
                const QMap<QString, QPair<Qt::MouseButton, Qt::KeyboardModifiers>> buttons{
                    {"L", {Qt::LeftButton, Qt::NoModifier}},
                    {"SL", {Qt::LeftButton, Qt::ShiftModifier}},
                    {"M", {Qt::MiddleButton, Qt::NoModifier}},
                    {"R", {Qt::RightButton, Qt::NoModifier}}};
                drag(buttons[parts[1]].first, buttons[parts[1]].second, centre,
                     centre + QPoint(parts[2].toInt(), parts[3].toInt()));
            } else {
                const QString name = step.section('*', 0, 0);
                for (int i = step.section('*', 1).toInt(); i > 0; --i) {
                    if (name.startsWith("wheel"))
                        wheel(centre, name.endsWith('+') ? 120 : -120);
                    else
                        QTest::keyClick(view(), Qt::Key(QKeySequence::fromString(name)[0]));
                    view()->renderFrame();
                }
            }
            // Above the ground under the eye, right side up, looking level or down.
            QVERIFY2(eye().z() > groundHeightAt(eye().x(), eye().y()) + 10.0,
                     qPrintable(QStringLiteral("after %1: eye at %2, ground %3")
                                    .arg(step)
                                    .arg(eye().z())
                                    .arg(groundHeightAt(eye().x(), eye().y()))));
            QVERIFY2(lookDirection().z() < 1e-9, qPrintable(step));
            QVERIFY2((osg::Vec3d(0, 1, 0) * camera()->getInverseViewMatrix() - eye()).z() > 0.0, qPrintable(step));
        }
        setDialogsVisible(true);
    }

    void grabbedPointFollowsTheGesture_data()
    {
        QTest::addColumn<int>("button"); // Qt::NoButton: five wheel notches forward at the start
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QPoint>("offset");
        QTest::addColumn<bool>("followsCursor"); // otherwise it stays where it was grabbed
        QTest::newRow("middle drag pans") << int(Qt::MiddleButton) << 0 << QPoint(-120, -90) << true;
        QTest::newRow("shift+left drag pans") << int(Qt::LeftButton) << int(Qt::ShiftModifier) << QPoint(150, 40) << true;
        QTest::newRow("left drag turns about it") << int(Qt::LeftButton) << 0 << QPoint(-150, -60) << false;
        QTest::newRow("right drag zooms towards it") << int(Qt::RightButton) << 0 << QPoint(0, -120) << false;
        QTest::newRow("wheel zooms towards it") << int(Qt::NoButton) << 0 << QPoint() << false;
    }

    void grabbedPointFollowsTheGesture()
    {
        QFETCH(int, button);
        QFETCH(int, modifiers);
        QFETCH(QPoint, offset);
        QFETCH(bool, followsCursor);
        toStart();
        setDialogsVisible(false);
        const QPoint from(360, 330);
        osg::Vec3d grabbed;
        const QPointF window = view()->pixelMapping().toGlWindow(from);
        QVERIFY2(app()->intersectTerrain(window.x(), window.y(), grabbed), "the drag starts on the terrain");
        if (button == Qt::NoButton) {
            for (int notch = 0; notch < 5; ++notch)
                wheel(from, 120);
            view()->renderFrame();
        } else {
            drag(Qt::MouseButton(button), Qt::KeyboardModifiers(modifiers), from, from + offset);
        }
        setDialogsVisible(true);
        const QPointF expected = QPointF(followsCursor ? from + offset : from) + QPointF(0.5, 0.5);
        const osg::Vec3d at = grabbed * camera()->getViewMatrix() * camera()->getProjectionMatrix() *
                              camera()->getViewport()->computeWindowMatrix();
        const QPointF seen(at.x(), viewSize.height() - at.y());
        QVERIFY2(QLineF(seen, expected).length() < pixelTolerance,
                 qPrintable(QStringLiteral("seen at %1,%2").arg(seen.x()).arg(seen.y())));
    }

    void pickFindsTerrainOrSky_data()
    {
        QTest::addColumn<QPoint>("position");
        QTest::addColumn<bool>("onTerrain");
        QTest::newRow("lower middle: terrain") << QPoint(400, 400) << true;
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
        QVERIFY(std::abs(groundHeightAt(point.x(), point.y()) - point.z()) < heightTolerance);
        // ...and under the cursor: projected back, it lands on the pressed pixel.
        const osg::Vec3d window = point * camera()->getViewMatrix() * camera()->getProjectionMatrix() *
                                  camera()->getViewport()->computeWindowMatrix();
        QVERIFY(std::abs(window.x() - (position.x() + 0.5)) < 1.0);
        QVERIFY(std::abs(window.y() - (viewSize.height() - position.y() - 0.5)) < 1.0);
    }

    void warpsMoveTheEye()
    {
        toStart();
        const osg::Vec3d lookBefore = lookDirection();
        const osg::Vec3d target(1200.0, -3000.0, 2500.0);
        app()->warpToPosition(target);
        view()->renderFrame();
        QVERIFY((eye() - target).length() < positionTolerance);
        QVERIFY2(lookDirection() * lookBefore > 0.9999, "warpToPosition keeps the heading");

        QTest::keyClick(view(), Qt::Key_Home);
        view()->renderFrame();
        QVERIFY((eye() - app()->getStartPosition()).length() < positionTolerance);
        // The start view looks north and down on the whole terrain: every corner is in view.
        QVERIFY(lookDirection().y() > 0.5 && lookDirection().z() < -0.3);
        const osg::BoundingBox bounds = terrainBounds();
        // Just inside the corners, where the probe meets the mesh.
        for (const double x : {bounds.xMin() + 1.0, bounds.xMax() - 1.0})
            for (const double y : {bounds.yMin() + 1.0, bounds.yMax() - 1.0}) {
                const osg::Vec3d corner = osg::Vec3d(x, y, groundHeightAt(x, y)) * camera()->getViewMatrix() *
                                          camera()->getProjectionMatrix() *
                                          camera()->getViewport()->computeWindowMatrix();
                QVERIFY2(QRectF(QPointF(), QSizeF(viewSize)).contains(corner.x(), corner.y()),
                         qPrintable(QStringLiteral("corner %1,%2 at %3,%4").arg(x).arg(y).arg(corner.x()).arg(corner.y())));
            }
    }

    void keysMoveTheCameraAndBack_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("back");
        QTest::addColumn<double>("north"); // sign of the eye's change along +y
        QTest::addColumn<double>("up");    // sign of the eye's change along +z
        QTest::newRow("W: forward, north") << int(Qt::Key_W) << int(Qt::Key_S) << 1.0 << 0.0;
        QTest::newRow("Down: back, south") << int(Qt::Key_Down) << int(Qt::Key_Up) << -1.0 << 0.0;
        QTest::newRow("PageUp: higher") << int(Qt::Key_PageUp) << int(Qt::Key_PageDown) << 0.0 << 1.0;
        QTest::newRow("minus: lower") << int(Qt::Key_Minus) << int(Qt::Key_Plus) << 0.0 << -1.0;
    }

    void keysMoveTheCameraAndBack()
    {
        QFETCH(int, key);
        QFETCH(int, back);
        toStart();
        const osg::Vec3d before = eye();
        QTest::keyClick(view(), Qt::Key(key));
        view()->renderFrame();
        const osg::Vec3d moved = eye() - before;
        // Steps are metres; anything below a centimetre counts as standing still.
        const auto sign = [](double value) { return std::abs(value) < 0.01 ? 0.0 : (value > 0 ? 1.0 : -1.0); };
        QTEST(sign(moved.y()), "north");
        QTEST(sign(moved.z()), "up");
        // The opposite key undoes it.
        QTest::keyClick(view(), Qt::Key(back));
        view()->renderFrame();
        QVERIFY2((eye() - before).length() < 0.01, qPrintable(QString::number((eye() - before).length())));
    }

    void compassPluginJoinsTheWindow()
    {
        if (!ViewerTestPlugins::hasCompassPlugin())
            QSKIP("the compass plugin is not built in this tree");
        const PluginManager::Plugin compass = plugin("Compass");
        QVERIFY(compass.gui && compass.mouse && compass.frame);
        QVERIFY(dialogOf(compass));
        QVERIFY2(!session->window()->statusBar()->findChildren<QComboBox*>().isEmpty(),
                 "the coordinate-system choice is in the status bar");
    }

private:
    velmora::viewer::SceneView* view() const { return session->window()->sceneView(); }
    velmora::viewer::ViewerApplication* app() const { return session->application(); }
    osg::Camera* camera() const { return app()->getViewer()->getCamera(); }

    const std::vector<PluginManager::Plugin>& plugins() const { return session->pluginManager().plugins(); }
    QGraphicsProxyWidget* dialogOf(const PluginManager::Plugin& p) const { return session->window()->dialogOf(p.gui); }
    PluginManager::Plugin plugin(const QString& text) const
    {
        for (const PluginManager::Plugin& loaded : plugins())
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
    QPoint dialogCentre() const { return view()->mapFromScene(dialogOf(recorder)->sceneBoundingRect().center()); }
    void setDialogsVisible(bool visible)
    {
        for (const PluginManager::Plugin& p : plugins())
            dialogOf(p)->setVisible(visible);
    }
    void verifyDialogsInView() const
    {
        for (const PluginManager::Plugin& p : plugins()) {
            const QRectF title = dialogOf(p)->windowFrameGeometry().adjusted(0, 0, 0, -dialogOf(p)->size().height());
            QVERIFY2(QRectF(QPointF(), view()->viewport()->size()).contains(title.topLeft() + QPointF(20, 5)),
                     qPrintable(p.gui->getText()));
        }
    }
    void sendMouse(QEvent::Type type, const QPoint& pos, Qt::MouseButton button,
                   Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, pos, view()->viewport()->mapToGlobal(pos), button, buttons, modifiers);
        QApplication::sendEvent(view()->viewport(), &event);
    }
    // A drag in six steps, a frame after each, as a user's hand gives it.
    void drag(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint& from, const QPoint& to)
    {
        sendMouse(QEvent::MouseButtonPress, from, button, modifiers);
        view()->renderFrame();
        for (int step = 1; step <= 6; ++step) {
            sendMouse(QEvent::MouseMove, from + (to - from) * step / 6, button, modifiers);
            view()->renderFrame();
        }
        sendMouse(QEvent::MouseButtonRelease, to, button, modifiers);
        view()->renderFrame();
    }
    void wheel(const QPoint& pos, int delta)
    {
        QWheelEvent event(pos, view()->viewport()->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
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
        // Beyond the terrain's edge there is no ground to be below.
        return probe->containsIntersections() ? probe->getFirstIntersection().getWorldIntersectPoint().z()
                                              : -std::numeric_limits<double>::infinity();
    }
    osg::BoundingBox terrainBounds() const
    {
        osg::ComputeBoundsVisitor visitor;
        app()->getTerrain()->accept(visitor);
        return visitor.getBoundingBox();
    }

    QTemporaryDir pluginDir;
    std::unique_ptr<ViewerSession> session;
    PluginManager::Plugin recorder;
};

QTEST_MAIN(TestViewerWindow)
#include "tst_viewerwindow.moc"
