#include "PluginManager.h"
#include "SceneView.h"
#include "ViewerApplication.h"
#include "ViewerSession.h"
#include "ViewerTestPlugins.h"
#include "ViewerWindow.h"

#include <velmora/widget/plugin/WidgetPlugin.h>

#include <QApplication>
#include <QGraphicsProxyWidget>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QTest>
#include <QTreeWidgetItem>
#include <QWheelEvent>

#include <osg/ComputeBoundsVisitor>
#include <osgUtil/LineSegmentIntersector>

#include <cmath>
#include <limits>
#include <memory>

using velmora::testing::ViewerTestPlugins;
using velmora::viewer::PluginManager;
using velmora::viewer::ViewerOptions;
using velmora::viewer::ViewerSession;

namespace {
constexpr double positionTolerance = 1e-3; // metres
// A point may land this far from its pixel: rounding to whole pixels along the way.
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
        for (const PluginManager::Plugin& loaded : plugins())
            recorder = loaded.gui && loaded.gui->getText() == "Recorder" ? loaded : recorder;
        QVERIFY2(recorder.object, "the recording plugin is loaded");
        view()->renderFrame();
    }

    void cleanupTestCase() { session.reset(); }

    void pluginsJoinTheWindowOnceEach()
    {
        QVERIFY(recorder.gui && recorder.mouse && recorder.frame);
        QCOMPARE(calls("initialize"), 1);
        QCOMPARE(view()->viewport()->size(), viewSize);
        // Dialogs line up from the right edge and do not cover each other.
        QRectF covered;
        int recorders = 0;
        for (const PluginManager::Plugin& other : plugins()) {
            recorders += other.gui->getText() == "Recorder" ? 1 : 0;
            const QRectF rect = dialogOf(other)->sceneBoundingRect();
            QVERIFY(!covered.intersects(rect));
            covered |= rect;
        }
        QVERIFY(covered.right() > viewSize.width() - 20);
        QCOMPARE(recorders, 1);
        QCOMPARE(dialogOf(recorder)->windowTitle(), QStringLiteral("Recorder"));
    }

    void restsWhenIdleAndDrawsOnInput()
    {
        view()->startFrames();
        QTest::qWait(300);
        const int updates = calls("frameUpdate");
        const int rendered = calls("frameRendered");
        QTest::qWait(500);
        QCOMPARE(calls("frameUpdate"), updates);
        sendMouse(QEvent::MouseMove, QPoint(30, 300), Qt::NoButton);
        QTRY_VERIFY(calls("frameUpdate") > updates);
        QTest::qWait(200);
        view()->stopFrames();
        // One move, one frame; each frame calls frameUpdate and frameRendered once.
        QCOMPARE(calls("frameUpdate"), updates + 1);
        QCOMPARE(calls("frameRendered"), rendered + 1);
    }

    void inputOverDialogOrTerrain_data()
    {
        QTest::addColumn<bool>("overDialog");
        QTest::newRow("over the terrain: the camera turns") << false;
        QTest::newRow("over a dialog: the camera is left alone, a double-click stays one") << true;
    }

    void inputOverDialogOrTerrain()
    {
        QFETCH(bool, overDialog);
        toStart();
        const QPoint position = overDialog ? dialogCentre() : QPoint(30, 300);
        const int moves = calls("handleMouseMove");
        sendMouse(QEvent::MouseMove, position, Qt::NoButton);
        QCOMPARE(calls("handleMouseMove"), moves + 1);
        QCOMPARE(ask<QPoint>("lastMovePosition"), position);
        QCOMPARE(ask<bool>("mouseWithinGuiDialog", position.x(), position.y()), overDialog);
        // The panel's label is at the dialog's centre: a field there would select its word on a double-click.
        struct DoubleClicks : QObject
        {
            int count = 0;
            bool eventFilter(QObject*, QEvent* event) override
            {
                count += event->type() == QEvent::MouseButtonDblClick ? 1 : 0;
                return false;
            }
        } doubleClicks;
        recorder.gui->getWidget()->findChild<QLabel*>()->installEventFilter(&doubleClicks);
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                        QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease})
            sendMouse(type, position, Qt::LeftButton);
        QCOMPARE(doubleClicks.count, overDialog ? 1 : 0);
        const osg::Matrixd viewBefore = camera()->getViewMatrix();
        drag(Qt::LeftButton, Qt::NoModifier, position, position + QPoint(-150, 40));
        QCOMPARE(camera()->getViewMatrix() != viewBefore, !overDialog);
    }

    void navigationKeepsTheCameraAboveTheTerrain_data()
    {
        // Keys as Qt names them, times a count; drags "<button> dx dy" from the view's centre.
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("firstMove"); // axis and sign of the eye's first move ("+y": north); empty: any
        QTest::addColumn<bool>("back");         // the last step undoes the first
        QTest::newRow("W: north, S: back") << QStringList{"W*1", "S*1"} << "+y" << true;
        QTest::newRow("Down: south, Up: back") << QStringList{"Down*1", "Up*1"} << "-y" << true;
        QTest::newRow("PageUp: higher, PageDown: back") << QStringList{"PgUp*1", "PgDown*1"} << "+z" << true;
        QTest::newRow("minus: lower, plus: back") << QStringList{"-*1", "+*1"} << "-z" << true;
        QTest::newRow("low and forward over the mountain") << QStringList{"PgDown*20", "W*80", "A*20"} << "" << false;
        QTest::newRow("back off the edge, then down") << QStringList{"S*30", "-*60"} << "-y" << false;
        QTest::newRow("wheel in until the ground") << QStringList{"wheel*80"} << "-z" << false;
        QTest::newRow("tilt down past straight down") << QStringList{"L 0 900"} << "" << false;
        QTest::newRow("low, then tilt up past the horizon") << QStringList{"PgDown*30", "L 200 -900"} << "" << false;
        QTest::newRow("pan and zoom in hard") << QStringList{"M 0 200", "SL 100 0", "R 0 -900"} << "" << false;
    }

    void navigationKeepsTheCameraAboveTheTerrain()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, firstMove);
        toStart();
        setDialogsVisible(false);
        const QPoint centre(viewSize.width() / 2, viewSize.height() / 2);
        // Keys go to the camera after a click on the terrain.
        drag(Qt::LeftButton, Qt::NoModifier, centre, centre);
        const osg::Vec3d start = eye();
        const QMap<QString, Qt::MouseButton> buttons{
            {"L", Qt::LeftButton}, {"SL", Qt::LeftButton}, {"M", Qt::MiddleButton}, {"R", Qt::RightButton}};
        for (const QString& step : steps) {
            const QStringList drag = step.split(' ');
            if (drag.size() == 3)
                this->drag(buttons[drag[0]], drag[0] == "SL" ? Qt::ShiftModifier : Qt::NoModifier, centre,
                           centre + QPoint(drag[1].toInt(), drag[2].toInt()));
            for (int i = step.section('*', 1).toInt(); i > 0; --i) {
                if (step.startsWith("wheel"))
                    wheel(centre, 120);
                else
                    QTest::keyClick(view(), Qt::Key(QKeySequence::fromString(step.section('*', 0, 0))[0]));
                view()->renderFrame();
            }
            // Metres: a move under a centimetre counts as none.
            const double moved = (eye() - start)[firstMove.isEmpty() ? 0 : firstMove[1].toLatin1() - 'x'];
            QVERIFY2(step != steps.first() || firstMove.isEmpty() || (firstMove[0] == '+' ? moved : -moved) > 0.01,
                     qPrintable(QString::number(moved)));
            // Above the ground under the eye, right side up, looking level or down.
            QVERIFY2(eye().z() > groundHeightAt(eye().x(), eye().y()) + 10.0, qPrintable(step));
            QVERIFY2(lookDirection().z() < 1e-9, qPrintable(step));
            QVERIFY2((osg::Vec3d(0, 1, 0) * camera()->getInverseViewMatrix() - eye()).z() > 0.0, qPrintable(step));
        }
        QTEST((eye() - start).length() < 0.01, "back");
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
        for (int notch = button == Qt::NoButton ? 5 : 0; notch > 0; --notch)
            wheel(from, 120);
        view()->renderFrame();
        if (button != Qt::NoButton)
            drag(Qt::MouseButton(button), Qt::KeyboardModifiers(modifiers), from, from + offset);
        setDialogsVisible(true);
        const QPointF expected = QPointF(followsCursor ? from + offset : from) + QPointF(0.5, 0.5);
        QVERIFY(QLineF(onScreen(grabbed), expected).length() < pixelTolerance);
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
        // The plugin sees the picked point already inside its click handler (NaN for sky)...
        const QVariantList seen = ask<QVariantList>("terrainPointAtLastClick");
        const osg::Vec3d atClick(seen.value(0).toDouble(), seen.value(1).toDouble(), seen.value(2).toDouble());
        QCOMPARE(std::isnan(atClick.x()) && std::isnan(atClick.y()) && std::isnan(atClick.z()), !onTerrain);
        if (!onTerrain)
            return;
        // ...under the cursor: projected back, it lands on the pressed pixel.
        QVERIFY((atClick - app()->getTerrainPointUnderMouse()).length() < positionTolerance);
        QVERIFY(QLineF(onScreen(atClick), QPointF(position) + QPointF(0.5, 0.5)).length() < 1.0);
    }

    void homeOverlooksTheTerrain()
    {
        app()->warpToPosition(osg::Vec3d(1200.0, -3000.0, 2500.0));
        QTest::keyClick(view(), Qt::Key_Home);
        view()->renderFrame();
        QVERIFY((eye() - app()->getStartPosition()).length() < positionTolerance);
        // North and down on the whole terrain: every corner (just inside, where a probe meets the mesh) is in view.
        QVERIFY(lookDirection().y() > 0.5 && lookDirection().z() < -0.3);
        osg::ComputeBoundsVisitor bounds;
        app()->getTerrain()->accept(bounds);
        for (const double x : {bounds.getBoundingBox().xMin() + 1.0, bounds.getBoundingBox().xMax() - 1.0})
            for (const double y : {bounds.getBoundingBox().yMin() + 1.0, bounds.getBoundingBox().yMax() - 1.0})
                QVERIFY(QRectF(QPointF(), QSizeF(viewSize)).contains(onScreen({x, y, groundHeightAt(x, y)})));
    }

    // Last: it leaves the dialogs where the shrunk view put them.
    void dialogsStayWithinReach()
    {
        const QSize full = session->window()->size();
        // Shrunk below the size of the panels: each keeps at least its title bar in view.
        session->window()->resize(full - viewSize + QSize(300, 200));
        QTRY_COMPARE(view()->viewport()->size(), QSize(300, 200));
        verifyTitleBarsInView();
        // The title bar dragged past the bottom right corner.
        const QPoint title = view()->mapFromScene(dialogOf(recorder)->windowFrameGeometry().topLeft()) + QPoint(30, 6);
        sendMouse(QEvent::MouseButtonPress, title, Qt::LeftButton);
        sendMouse(QEvent::MouseMove, title + QPoint(400, 300), Qt::LeftButton);
        sendMouse(QEvent::MouseButtonRelease, title + QPoint(400, 300), Qt::LeftButton);
        verifyTitleBarsInView();
        QVERIFY2(QRectF(0, 0, 300, 200).contains(dialogOf(recorder)->windowFrameGeometry()), "the small panel fits");
        // Unticked in the plugin list, then ticked again: it shows, in view.
        recorder.gui->getTreeItem()->setCheckState(0, Qt::Unchecked);
        QVERIFY(!dialogOf(recorder)->isVisible());
        dialogOf(recorder)->setPos(900, 700);
        recorder.gui->getTreeItem()->setCheckState(0, Qt::Checked);
        QVERIFY(QRectF(0, 0, 300, 200).contains(dialogOf(recorder)->windowFrameGeometry()));
    }

private:
    velmora::viewer::SceneView* view() const { return session->window()->sceneView(); }
    velmora::viewer::ViewerApplication* app() const { return session->application(); }
    osg::Camera* camera() const { return app()->getViewer()->getCamera(); }
    const std::vector<PluginManager::Plugin>& plugins() const { return session->pluginManager().plugins(); }
    QGraphicsProxyWidget* dialogOf(const PluginManager::Plugin& p) const { return session->window()->dialogOf(p.gui); }
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
    void verifyTitleBarsInView() const
    {
        for (const PluginManager::Plugin& p : plugins())
            QVERIFY2(QRectF(QPointF(), view()->viewport()->size())
                         .contains(dialogOf(p)->windowFrameGeometry().topLeft() + QPointF(20, 5)),
                     qPrintable(p.gui->getText()));
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
        for (int step = 1; step <= 6; ++step) {
            view()->renderFrame();
            sendMouse(QEvent::MouseMove, from + (to - from) * step / 6, button, modifiers);
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
    void toStart() { app()->warpToStart(), view()->renderFrame(); }
    osg::Vec3d eye() const { return osg::Vec3d() * camera()->getInverseViewMatrix(); }
    osg::Vec3d lookDirection() const
    {
        osg::Vec3d direction = osg::Vec3d(0, 0, -1) * camera()->getInverseViewMatrix() - eye();
        direction.normalize();
        return direction;
    }
    // Where the camera shows point, in the view's logical coordinates.
    QPointF onScreen(const osg::Vec3d& point) const
    {
        const osg::Vec3d at = point * camera()->getViewMatrix() * camera()->getProjectionMatrix() *
                              camera()->getViewport()->computeWindowMatrix();
        return QPointF(at.x(), viewSize.height() - at.y());
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

    QTemporaryDir pluginDir;
    std::unique_ptr<ViewerSession> session;
    PluginManager::Plugin recorder;
};

QTEST_MAIN(TestViewerWindow)
#include "tst_viewerwindow.moc"
