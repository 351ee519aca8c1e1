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
#include <QLocale>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTreeWidgetItem>
#include <QTest>

#include <osgUtil/LineSegmentIntersector>

#include <cmath>
#include <memory>

using velmora::viewer::PluginManager;
using velmora::viewer::ViewerOptions;
using velmora::viewer::ViewerSession;
using velmora::testing::ViewerTestPlugins;

namespace {
constexpr double positionTolerance = 1e-3; // metres
// The terrain is a mesh of flat triangles; a pick and a vertical probe through
// the same point agree to well within this.
constexpr double heightTolerance = 0.5; // metres
} // namespace

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
        for (const PluginManager::Plugin& plugin : session->pluginManager().plugins())
            if (plugin.gui && plugin.gui->getText() == QStringLiteral("Recorder"))
                recorder = plugin;
        QVERIFY2(recorder.object, "the recording plugin is loaded");
        view()->renderFrame();
    }

    void cleanupTestCase() { session.reset(); }

    void findsAllInterfaces()
    {
        QVERIFY(recorder.gui);
        QVERIFY(recorder.mouse);
        QVERIFY(recorder.frame);
        QCOMPARE(calls("initialize"), 1);
    }

    void viewHasRequestedSize() { QCOMPARE(view()->viewport()->size(), QSize(800, 500)); }

    void sceneRectMatchesView()
    {
        QCOMPARE(view()->sceneRect(), QRectF(QPointF(0, 0), QSizeF(800, 500)));
    }

    void panelFloatsAsDialogAtTheRight()
    {
        QGraphicsProxyWidget* dialog = session->window()->dialogOf(recorder.gui);
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Recorder"));
        QVERIFY2(QRectF(0, 0, 800, 500).contains(dialog->sceneBoundingRect()), "the dialog lies within the view");
        // Dialogs line up from the right edge and do not cover each other.
        QRectF covered;
        for (const PluginManager::Plugin& plugin : session->pluginManager().plugins()) {
            QGraphicsProxyWidget* other = plugin.gui ? session->window()->dialogOf(plugin.gui) : nullptr;
            if (!other)
                continue;
            QVERIFY(!covered.intersects(other->sceneBoundingRect()));
            covered |= other->sceneBoundingRect();
        }
        QVERIFY(covered.right() > 800 - 20);
    }

    void pluginListTogglesDialog()
    {
        QGraphicsProxyWidget* dialog = session->window()->dialogOf(recorder.gui);
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
        const int frames = view()->frameCount();
        for (int i = 0; i < 3; ++i)
            view()->renderFrame();
        QCOMPARE(view()->frameCount() - frames, 3);
        QCOMPARE(calls("frameUpdate") - updates, 3);
        QCOMPARE(calls("frameRendered") - rendered, 3);
    }

    void mouseMoveOverViewReachesPlugin()
    {
        const int before = calls("handleMouseMove");
        sendMouse(QEvent::MouseMove, QPoint(100, 300), Qt::NoButton);
        QCOMPARE(calls("handleMouseMove"), before + 1);
        QCOMPARE(lastMove(), QPoint(100, 300));
        QVERIFY(!withinDialog(QPoint(100, 300)));
    }

    void mouseOverDialogIsWithinGuiDialog()
    {
        const QPoint centre = dialogCentre();
        const int before = calls("handleMouseMove");
        sendMouse(QEvent::MouseMove, centre, Qt::NoButton);
        QCOMPARE(calls("handleMouseMove"), before + 1);
        QVERIFY(withinDialog(centre));
    }

    void pressOverDialogLeavesCameraAlone()
    {
        view()->renderFrame();
        const osg::Matrixd viewBefore = camera()->getViewMatrix();
        const QPoint centre = dialogCentre();
        sendMouse(QEvent::MouseButtonPress, centre, Qt::LeftButton);
        sendMouse(QEvent::MouseMove, centre + QPoint(-200, 80), Qt::LeftButton);
        sendMouse(QEvent::MouseButtonRelease, centre + QPoint(-200, 80), Qt::LeftButton);
        view()->renderFrame();
        QVERIFY2(camera()->getViewMatrix() == viewBefore, "the camera did not move");
        session->application()->warpToStart();
    }

    void dragOverTerrainMovesCamera()
    {
        view()->renderFrame();
        const osg::Matrixd viewBefore = camera()->getViewMatrix();
        sendMouse(QEvent::MouseButtonPress, QPoint(200, 350), Qt::LeftButton);
        view()->renderFrame();
        sendMouse(QEvent::MouseMove, QPoint(300, 330), Qt::LeftButton);
        view()->renderFrame();
        sendMouse(QEvent::MouseButtonRelease, QPoint(300, 330), Qt::LeftButton);
        view()->renderFrame();
        QVERIFY2(!(camera()->getViewMatrix() == viewBefore), "the camera turned");
        session->application()->warpToStart();
        view()->renderFrame();
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
        session->application()->warpToStart();
        view()->renderFrame();
        const int before = calls("handleMouseClick");
        sendMouse(QEvent::MouseButtonPress, position, Qt::LeftButton);
        sendMouse(QEvent::MouseButtonRelease, position, Qt::LeftButton);
        QCOMPARE(calls("handleMouseClick"), before + 1);
        QCOMPARE(session->application()->hasTerrainPointUnderMouse(), onTerrain);

        const QVariantList seen = terrainPointAtClick();
        QCOMPARE(seen.size(), 3);
        const osg::Vec3d point = session->application()->getTerrainPointUnderMouse();
        if (!onTerrain) {
            QVERIFY(std::isnan(seen[0].toDouble()) && std::isnan(seen[1].toDouble()) && std::isnan(seen[2].toDouble()));
            return;
        }
        QVERIFY(std::abs(seen[0].toDouble() - point.x()) < positionTolerance);
        QVERIFY(std::abs(seen[2].toDouble() - point.z()) < positionTolerance);
        // The point lies on the terrain surface...
        QVERIFY2(std::abs(groundHeightAt(point.x(), point.y()) - point.z()) < heightTolerance,
                 qPrintable(QStringLiteral("picked z %1, ground %2").arg(point.z()).arg(groundHeightAt(point.x(), point.y()))));
        // ...and under the cursor: projected back, it lands on the pressed pixel.
        const osg::Matrixd toWindow = camera()->getViewMatrix() * camera()->getProjectionMatrix() *
                                      camera()->getViewport()->computeWindowMatrix();
        const osg::Vec3d window = point * toWindow;
        QVERIFY(std::abs(window.x() - (position.x() + 0.5)) < 1.0);
        QVERIFY(std::abs(window.y() - (500 - position.y() - 0.5)) < 1.0);
    }

    void warpToPositionKeepsHeading()
    {
        session->application()->warpToStart();
        view()->renderFrame();
        const osg::Vec3d lookBefore = lookDirection();
        const osg::Vec3d target(1200.0, -3000.0, 2500.0);
        session->application()->warpToPosition(target);
        view()->renderFrame();
        view()->renderFrame();
        QVERIFY((eye() - target).length() < positionTolerance);
        QVERIFY2(lookDirection() * lookBefore > 0.9999, "still looking the same way");
    }

    void warpToStartReturnsToStartPosition()
    {
        session->application()->warpToPosition(osg::Vec3d(-2000.0, 1000.0, 3000.0));
        view()->renderFrame();
        session->application()->warpToStart();
        view()->renderFrame();
        const osg::Vec3d start = session->application()->getStartPosition();
        QVERIFY((eye() - start).length() < positionTolerance);
        // The start view: above the terrain's south part, looking north and down.
        QVERIFY(start.z() > groundHeightAt(start.x(), start.y() + 1.0));
        QVERIFY(lookDirection().y() > 0.9);
        QVERIFY(lookDirection().z() < 0.0);
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
        QFETCH(double, north);
        QFETCH(double, up);
        session->application()->warpToStart();
        view()->renderFrame();
        const osg::Vec3d before = eye();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(view(), &press);
        view()->renderFrame();
        const osg::Vec3d moved = eye() - before;
        // Steps are metres; anything below a centimetre counts as standing still.
        const auto sign = [](double value) { return std::abs(value) < 0.01 ? 0.0 : (value > 0 ? 1.0 : -1.0); };
        QCOMPARE(sign(moved.y()), north);
        QCOMPARE(sign(moved.z()), up);

        QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier);
        QApplication::sendEvent(view(), &home);
        view()->renderFrame();
        QVERIFY((eye() - session->application()->getStartPosition()).length() < positionTolerance);
    }

    void compassPluginJoinsTheWindow()
    {
        if (!ViewerTestPlugins::hasCompassPlugin())
            QSKIP("the compass plugin is not built in this tree");
        bool compassFound = false;
        for (const PluginManager::Plugin& plugin : session->pluginManager().plugins())
            if (plugin.gui && plugin.gui->getText() == QStringLiteral("Compass")) {
                compassFound = true;
                QVERIFY(plugin.mouse);
                QVERIFY(plugin.frame);
                QVERIFY(session->window()->dialogOf(plugin.gui));
            }
        QVERIFY(compassFound);
        QVERIFY2(!session->window()->statusBar()->findChildren<QComboBox*>().isEmpty(),
                 "the coordinate-system choice is in the status bar");
    }

private:
    velmora::viewer::SceneView* view() const { return session->window()->sceneView(); }
    osg::Camera* camera() const { return session->application()->getViewer()->getCamera(); }

    int calls(const char* name) const
    {
        int count = -1;
        QMetaObject::invokeMethod(recorder.object, "callCount", Q_RETURN_ARG(int, count),
                                  Q_ARG(QString, QString::fromLatin1(name)));
        return count;
    }
    QPoint lastMove() const
    {
        QPoint pos;
        QMetaObject::invokeMethod(recorder.object, "lastMovePosition", Q_RETURN_ARG(QPoint, pos));
        return pos;
    }
    QVariantList terrainPointAtClick() const
    {
        QVariantList point;
        QMetaObject::invokeMethod(recorder.object, "terrainPointAtLastClick", Q_RETURN_ARG(QVariantList, point));
        return point;
    }
    bool withinDialog(const QPoint& pos) const
    {
        bool within = false;
        QMetaObject::invokeMethod(recorder.object, "mouseWithinGuiDialog", Q_RETURN_ARG(bool, within),
                                  Q_ARG(int, pos.x()), Q_ARG(int, pos.y()));
        return within;
    }
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
    osg::Vec3d eye() const
    {
        osg::Vec3d eyePos, centre, up;
        camera()->getViewMatrixAsLookAt(eyePos, centre, up);
        return eyePos;
    }
    osg::Vec3d lookDirection() const
    {
        osg::Vec3d eyePos, centre, up;
        camera()->getViewMatrixAsLookAt(eyePos, centre, up);
        osg::Vec3d direction = centre - eyePos;
        direction.normalize();
        return direction;
    }
    double groundHeightAt(double x, double y) const
    {
        osg::ref_ptr<osgUtil::LineSegmentIntersector> probe =
            new osgUtil::LineSegmentIntersector(osg::Vec3d(x, y, 1e5), osg::Vec3d(x, y, -1e5));
        osgUtil::IntersectionVisitor visitor(probe.get());
        session->application()->getTerrain()->accept(visitor);
        return probe->containsIntersections() ? probe->getFirstIntersection().getWorldIntersectPoint().z() : std::nan("");
    }

    QTemporaryDir pluginDir;
    std::unique_ptr<ViewerSession> session;
    PluginManager::Plugin recorder;
};


QTEST_MAIN(TestViewerWindow)
#include "tst_viewerwindow.moc"
