#include "PluginManager.h"
#include "SceneView.h"
#include "ViewerApplication.h"
#include "ViewerSession.h"
#include "ViewerTestPlugins.h"
#include "ViewerWindow.h"

#include <velmora/widget/plugin/WidgetPlugin.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGraphicsProxyWidget>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QStatusBar>
#include <QTest>

#include <osgUtil/LineSegmentIntersector>

#include <cmath>
#include <memory>

using velmora::testing::ViewerTestPlugins;
using velmora::viewer::ViewerSession;

// The Compass panel in the real viewer window, driven as a user drives it:
// real X pointer and key events (xdotool) and typing into its fields; the
// clipboard is read back by another program (xclip).
class TestViewerPanel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!ViewerTestPlugins::hasCompassPlugin())
            QSKIP("the compass plugin is not built in this tree");
        QLocale::setDefault(QLocale::c());
        QString error;
        QVERIFY2(ViewerTestPlugins::populate(pluginDir, error), qPrintable(error));
        velmora::viewer::ViewerOptions options;
        options.pluginDir = pluginDir.path();
        session = std::make_unique<ViewerSession>(options);
        QVERIFY2(session->start(error), qPrintable(error));
        session->window()->sceneView()->stopFrames();
        QVERIFY(QTest::qWaitForWindowExposed(session->window()));
        for (const auto& plugin : session->pluginManager().plugins())
            if (plugin.gui && plugin.gui->getText() == "Compass")
                panel = plugin.gui->getWidget();
        QVERIFY(panel && panel->window()->graphicsProxyWidget());
        session->window()->sceneView()->renderFrame();
        // Without a window manager nothing gives the window the keyboard.
        xdotool({"windowfocus", "--sync", QString::number(session->window()->winId())});
    }

    void cleanupTestCase() { session.reset(); }

    void pickShowsAPointOnTheTerrain()
    {
        auto* pick = panel->findChild<QAbstractButton*>("pickCoordButton");
        click(pick);
        QTRY_VERIFY(!pick->isEnabled());
        // A cross-hair over the terrain; a dialog keeps its own cursor.
        pointer(screenPos(terrainPixel), false);
        QTRY_COMPARE(cursorShape(), Qt::CrossCursor);
        pointer(screenPos(field("localXTextBox")), false);
        QTRY_COMPARE(cursorShape(), Qt::IBeamCursor);
        // A press on the sky finds no point: the pick stays armed and the keys go to the 3D view.
        const QString before = field("localXTextBox")->text();
        pointer(screenPos(QPoint(5, 3)), true);
        QTRY_VERIFY(!session->application()->hasTerrainPointUnderMouse());
        QCoreApplication::processEvents();
        QVERIFY(!pick->isEnabled());
        QCOMPARE(field("localXTextBox")->text(), before);
        // Escape there cancels, and the cross-hair goes although the cursor crossed a dialog.
        xdotool({"key", "Escape"});
        QTRY_VERIFY(pick->isEnabled());
        pointer(screenPos(terrainPixel), false);
        QTRY_COMPARE(cursorShape(), Qt::ArrowCursor);

        click(pick);
        QTRY_VERIFY(!pick->isEnabled());
        pointer(screenPos(terrainPixel), true);
        QTRY_VERIFY(pick->isEnabled());
        const osg::Vec3d shown = local();
        // Eight digits of a few thousand metres, and flat triangles under the probe.
        QVERIFY2(std::abs(groundHeightAt(shown.x(), shown.y()) - shown.z()) < 0.5, qPrintable(field("localZTextBox")->text()));
    }

    void statusCursorIsThePickedPoint()
    {
        // The status text finds its cursor point on its own; it must be the point the viewer picks there.
        auto* combo = session->window()->statusBar()->findChild<QComboBox*>();
        combo->setCurrentIndex(combo->findText("Terrain Local"));
        pointer(screenPos(terrainPixel), true);
        view()->renderFrame();
        QVERIFY(session->application()->hasTerrainPointUnderMouse());
        const osg::Vec3d picked = session->application()->getTerrainPointUnderMouse();
        QString status;
        for (const QLabel* label : session->window()->statusBar()->findChildren<QLabel*>())
            if (label->text().startsWith("Camera: ("))
                status = label->text();
        const QStringList cursor = status.section("Cursor: (", 1).section(')', 0, 0).split(',');
        QCOMPARE(cursor.size(), 3);
        // Two decimals printed.
        for (int i = 0; i < 3; ++i)
            QVERIFY2(std::abs(cursor.at(i).toDouble() - picked[i]) < 0.01,
                     qPrintable(status + QString(" picked %1 %2 %3").arg(picked.x()).arg(picked.y()).arg(picked.z())));
        combo->setCurrentIndex(0);
    }

    void warpMovesTheEyeToTheTypedPlace()
    {
        for (const auto& [name, text] : {std::pair{"localXTextBox", "1234.5"}, {"localYTextBox", "-2500"},
                                         {"localZTextBox", "3100.25"}}) {
            field(name)->selectAll();
            QTest::keyClicks(field(name), text);
            QTest::keyClick(field(name), Qt::Key_Return);
        }
        click(panel->findChild<QAbstractButton*>("warpButton"));
        const osg::Vec3d typed(1234.5, -2500, 3100.25);
        QTRY_VERIFY((eye() - typed).length() < 1e-3);
        session->window()->sceneView()->renderFrame();
        QVERIFY((eye() - typed).length() < 1e-3);
    }

    void followModeTracksADraggedCamera()
    {
        // From the start view, which overlooks the terrain under terrainPixel.
        click(panel->findChild<QAbstractButton*>("warpToStartButton"));
        auto* follow = panel->findChild<QAbstractButton*>("toggleSyncButton");
        click(follow);
        QTRY_VERIFY(follow->isChecked());
        QVERIFY(!field("gdcLatitudeTextBox")->isEnabled());
        const osg::Vec3d before = eye();
        // A middle drag pans the camera; every frame refills the panel from the new eye.
        const QPoint from = screenPos(terrainPixel);
        // Frames are drawn by hand here, as the test stopped the viewer's own.
        xdotool({"mousemove", "--sync", QString::number(from.x()), QString::number(from.y()), "mousedown", "2"});
        view()->renderFrame();
        for (int step = 1; step <= 5; ++step) {
            pointer(from + QPoint(20 * step, -10 * step), false);
            view()->renderFrame();
        }
        xdotool({"mouseup", "2"});
        view()->renderFrame();
        QVERIFY((eye() - before).length() > 10.0);
        // Eight significant digits of a few thousand metres.
        QVERIFY2((local() - eye()).length() < 0.01, qPrintable(field("localXTextBox")->text()));
        click(follow);
        QTRY_VERIFY(field("gdcLatitudeTextBox")->isEnabled());
    }

    void copyReachesOtherPrograms()
    {
        field("mgrsTextBox")->setText(QString::fromUtf8("10T é"));
        click(panel->findChild<QAbstractButton*>("copyToClipboardButton"));
        QTRY_VERIFY(QApplication::clipboard()->text().contains("MGRS:10T"));
        // The clipboard is served by this process's event loop, so wait without blocking it.
        QProcess xclip;
        xclip.start("xclip", {"-o", "-selection", "clipboard"});
        QTRY_COMPARE(xclip.state(), QProcess::NotRunning);
        const QByteArray report = xclip.readAllStandardOutput();
        QVERIFY(!report.contains('\r'));
        const QStringList lines = QString::fromUtf8(report).split('\n');
        QCOMPARE(lines.size(), 15);
        QCOMPARE(lines.last(), QString());
        QCOMPARE(lines.at(9), "    X: " + field("localXTextBox")->text());
        QCOMPARE(lines.at(12), QString::fromUtf8("    MGRS:10T é"));
        QCOMPARE(QString::fromUtf8(report), QApplication::clipboard()->text());
    }

private:
    velmora::viewer::SceneView* view() const { return session->window()->sceneView(); }
    Qt::CursorShape cursorShape() const { return view()->viewport()->cursor().shape(); }
    QLineEdit* field(const char* name) const { return panel->findChild<QLineEdit*>(name); }
    osg::Vec3d local() const
    {
        return {field("localXTextBox")->text().toDouble(), field("localYTextBox")->text().toDouble(),
                field("localZTextBox")->text().toDouble()};
    }
    osg::Vec3d eye() const
    {
        return session->application()->getViewer()->getCamera()->getInverseViewMatrix().getTrans();
    }
    // Screen position of a view pixel, or of the centre of a widget in the panel's dialog.
    QPoint screenPos(const QPoint& viewPixel) const { return view()->viewport()->mapToGlobal(viewPixel); }
    QPoint screenPos(const QWidget* widget) const
    {
        // The panel sits in its dialog's scroll area; the dialog is that area's proxy.
        QWidget* dialog = panel->window();
        const QPointF inDialog = widget->mapTo(dialog, widget->rect().center());
        return screenPos(view()->mapFromScene(dialog->graphicsProxyWidget()->mapToScene(inDialog)));
    }
    void pointer(const QPoint& screen, bool click)
    {
        QStringList arguments{"mousemove", "--sync", QString::number(screen.x()), QString::number(screen.y())};
        xdotool(click ? arguments << "click" << "1" : arguments);
    }
    void click(const QWidget* widget) { pointer(screenPos(widget), true); }
    void xdotool(const QStringList& arguments)
    {
        QCOMPARE(QProcess::execute("xdotool", arguments), 0);
        QCoreApplication::processEvents();
    }
    double groundHeightAt(double x, double y) const
    {
        osg::ref_ptr<osgUtil::LineSegmentIntersector> probe =
            new osgUtil::LineSegmentIntersector(osg::Vec3d(x, y, 1e5), osg::Vec3d(x, y, -1e5));
        osgUtil::IntersectionVisitor visitor(probe.get());
        session->application()->getTerrain()->accept(visitor);
        return probe->containsIntersections() ? probe->getFirstIntersection().getWorldIntersectPoint().z() : std::nan("");
    }

    // Lower left of the view: terrain, away from the dialogs at the top right.
    const QPoint terrainPixel{300, 600};
    QTemporaryDir pluginDir;
    std::unique_ptr<ViewerSession> session;
    QWidget* panel = nullptr;
};

QTEST_MAIN(TestViewerPanel)
#include "tst_viewerpanel.moc"
