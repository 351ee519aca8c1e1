#include "PanelDialog.h"
#include "PluginManager.h"
#include "SceneView.h"
#include "TerrainCameraManipulator.h"
#include "ViewerApplication.h"
#include "ViewerSession.h"
#include "ViewerWindow.h"
#include "TestRaster.h"

#include "TestVrt.h"

#include <velmora/terrain/TerrainManager.h>
#include <velmora/widget/plugin/WidgetPlugin.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGraphicsProxyWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWheelEvent>

#include <gdal.h>
#include <osg/ComputeBoundsVisitor>
#include <osg/Version>
#include <osgUtil/LineSegmentIntersector>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

using velmora::viewer::PluginManager;
using velmora::viewer::TerrainCameraManipulator;

namespace {
constexpr double positionTolerance = 1e-3; // metres
// A point may land this far from its pixel: rounding to whole pixels along the way.
constexpr double pixelTolerance = 3.0;
// Wide enough that the dialogs, lined up at the right, leave the rose's lower-left corner free.
const QSize viewSize(1200, 800);
// Lower left of the view: terrain, away from the dialogs and the rose.
const QPoint terrainPixel(300, 600);
} // namespace

// One real viewer window in-process with the recording plugin (read through
// the properties it sets) and the Compass plugin. The Compass panel is driven
// as a user drives it: real X pointer and key events (xdotool), typing into
// its fields, the clipboard read back by another program (xclip).
class TestViewerWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        // A second name for the recorder, as a versioned name would be: still one plugin.
        for (const auto& [file, name] : {std::pair{VELMORA_RECORDING_PLUGIN_FILE, ""},
                                         {VELMORA_RECORDING_PLUGIN_FILE, "libvelmora_recording_plugin.so.1"},
                                         {VELMORA_COMPASS_PLUGIN_FILE, ""}}) {
            const QFileInfo info(file);
            QVERIFY(QFile::link(info.absoluteFilePath(), folder.filePath(*name ? name : info.fileName())));
        }
        velmora::viewer::ViewerOptions options;
        options.pluginDir = folder.path();
        options.viewSize = viewSize;
        session = std::make_unique<velmora::viewer::ViewerSession>(options);
        QString error;
        QVERIFY2(session->start(error), qPrintable(error));
        view()->stopFrames();
        QVERIFY(QTest::qWaitForWindowExposed(session->window()));
        for (const PluginManager::Plugin& loaded : plugins()) {
            recorder = loaded.gui->getText() == "Recorder" ? loaded : recorder;
            panel = loaded.gui->getText() == "Compass" ? loaded.gui->getWidget() : panel;
        }
        QVERIFY(recorder.object && panel);
        // Three names in the folder, two libraries, each plugin initialized once.
        QCOMPARE(plugins().size(), std::size_t(2));
        QCOMPARE(calls("initialize"), 1);
        // A large rose (ring radius 88 pixels), so its arrow covers enough pixels to tell its direction.
        panel->findChild<QSpinBox*>("sizeOn3DSpinBox")->setValue(40);
        view()->renderFrame();
        // Without a window manager nothing gives the window the keyboard.
        xdotool({"windowfocus", "--sync", QString::number(session->window()->winId())});
        // An elevation model to open, beside the already loaded plugins.
        GDALAllRegister();
        QVERIFY(velmora::testing::writeGeoTiff(folder.filePath("slope.tif"), velmora::testing::Raster{}));
    }

    void cleanupTestCase() { session.reset(); }
    // Frames started by a test that failed midway would draw on into the next.
    void cleanup() { view()->stopFrames(); }

    void roseTurnsWithTheCamera_data()
    {
        QTest::addColumn<int>("stepsNorth"); // level steps from the start view
        QTest::addColumn<int>("turn");       // pixels of a left drag to the left after them
        QTest::newRow("turned over the terrain") << 0 << 200;
        // The terrain is behind the camera: a rose on the far plane of its projection was culled.
        QTest::newRow("no terrain in view") << 5 << 0;
    }

    void roseTurnsWithTheCamera()
    {
        QFETCH(int, stepsNorth);
        QFETCH(int, turn);
        toStart();
        // A click on the terrain gives the view the keys.
        const QPoint middle = onScreen(app()->getTerrain()->getBound().center()).toPoint();
        drag(Qt::LeftButton, Qt::NoModifier, middle, middle);
        for (int i = 0; i < stepsNorth; ++i)
            QTest::keyClick(view(), Qt::Key_Up);
        drag(Qt::LeftButton, Qt::NoModifier, middle, middle - QPoint(turn, 0));
        // The rose turns counterclockwise by the heading, so the way the camera faces is at its top.
        const double heading = panel->findChild<QLabel*>("orientationLabel")->text().section(": ", 1).toDouble();
        QVERIFY2(turn == 0 || (heading > 5.0 && heading < 355.0), "the drag turned the camera");
        const double difference = std::fmod(arrowDirection() + heading + 540.0, 360.0) - 180.0;
        QVERIFY2(std::abs(difference) < 3.0,
                 qPrintable(QString("arrow %1, heading %2").arg(arrowDirection()).arg(heading)));
    }

    void northUpKeepsTheCentre_data()
    {
        QTest::addColumn<QString>("how");
        // Each way in has its own path to the turn; every row guards a turn about the eye instead of the centre.
        QTest::newRow("click on the HUD rose") << "rose";
        QTest::newRow("N key in the 3D view") << "key";
        QTest::newRow("click on the painted compass") << "compass";
    }

    void northUpKeepsTheCentre()
    {
        QFETCH(QString, how);
        toStart();
        // The terrain's middle to the view's centre (the start view frames it beside the panels), then turned.
        const QPointF centre = QPointF(viewSize.width(), viewSize.height()) / 2.0;
        const QPoint middle = onScreen(app()->getTerrain()->getBound().center()).toPoint();
        drag(Qt::MiddleButton, Qt::NoModifier, middle, centre.toPoint());
        dragTerrainCentre(QPoint(-200, 0));
        const double before = heading();
        QVERIFY(std::abs(before) > 20.0);
        osg::Vec3d ground;
        QVERIFY(app()->intersectTerrain(centre.x(), centre.y(), ground));
        QList<double> drawn;
        QObject recording; // ends the recording however the test ends
        connect(view(), &velmora::viewer::SceneView::frameFinished, &recording, [&] { drawn << heading(); });
        view()->startFrames();
        if (how == "rose") // ring radius 88 pixels at the lower left
            pointer(screenPos(QPoint(88, viewSize.height() - 48)), true);
        else if (how == "key")
            xdotool({"key", "n"});
        else // and away before its tooltip shows, which draws a frame of its own
            click(panel->findChild<QWidget*>("paintedCompass")), pointer(screenPos(field("mgrsTextBox")), false);
        // Its last frames turn by less than the tolerance: the turn must have ended, too.
        QTRY_VERIFY(!app()->isTurning() && !drawn.isEmpty() && std::abs(drawn.last()) < 0.5);
        // Frames are drawn while it turns and then no more; one of them shows the turn under way. The
        // click's own input may still ask for one frame on a loaded machine: let it pass first.
        QTest::qWait(100);
        const int frames = view()->frameCount();
        QTest::qWait(300);
        view()->stopFrames();
        QCOMPARE(view()->frameCount(), frames);
        QVERIFY(std::any_of(drawn.begin(), drawn.end(),
                            [&](double h) { return std::abs(h) < std::abs(before) - 1.0 && std::abs(h) > 0.5; }));
        QVERIFY(QLineF(onScreen(ground), centre).length() < 1.0);
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

    void inputOverADialogStaysThere()
    {
        toStart();
        const QPoint centre = view()->mapFromScene(dialogOf(recorder)->sceneBoundingRect().center());
        // Plugins ask the host whether the pointer is over a dialog.
        sendMouse(QEvent::MouseMove, QPoint(30, 300), Qt::NoButton);
        QVERIFY(!noted("moveOverDialog").toBool());
        sendMouse(QEvent::MouseMove, centre, Qt::NoButton);
        QVERIFY(noted("moveOverDialog").toBool());
        // The panel's label is at the dialog's centre: a field there would select its word on a double-click.
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                        QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease})
            sendMouse(type, centre, Qt::LeftButton);
        QCOMPARE(calls("labelDoubleClicked"), 1);
        // A drag on a dialog leaves the camera alone.
        const osg::Matrixd viewBefore = camera()->getViewMatrix();
        drag(Qt::LeftButton, Qt::NoModifier, centre, centre + QPoint(-150, 40));
        QVERIFY(camera()->getViewMatrix() == viewBefore);
    }

    void navigationKeepsTheCameraAboveTheTerrain_data()
    {
        // Keys as Qt names them, times a count; left drags "L dx dy" from a point left of the dialogs.
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("firstMove"); // axis and sign of the eye's first move ("+y": north); empty: any
        QTest::addColumn<bool>("back");         // the last step undoes the first
        QTest::newRow("W: north, S: back") << QStringList{"W*1", "S*1"} << "+y" << true;
        QTest::newRow("PageUp: higher, PageDown: back") << QStringList{"PgUp*1", "PgDown*1"} << "+z" << true;
        QTest::newRow("Home: back to the start view") << QStringList{"PgDown*3", "Home*1"} << "-z" << true;
        QTest::newRow("low and forward over the mountain") << QStringList{"PgDown*20", "W*80", "A*20"} << "" << false;
        QTest::newRow("wheel in until the ground") << QStringList{"wheel*80"} << "-z" << false;
        QTest::newRow("tilt down past straight down") << QStringList{"L 0 900"} << "" << false;
        QTest::newRow("low, then tilt up past the horizon") << QStringList{"PgDown*30", "L 200 -900"} << "" << false;
    }

    void navigationKeepsTheCameraAboveTheTerrain()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, firstMove);
        toStart();
        const QPoint centre(400, 400);
        // Keys go to the camera after a click on the terrain.
        drag(Qt::LeftButton, Qt::NoModifier, centre, centre);
        const osg::Vec3d start = eye();
        for (const QString& step : steps) {
            const QStringList dragged = step.split(' ');
            if (dragged.size() == 3)
                drag(Qt::LeftButton, Qt::NoModifier, centre, centre + QPoint(dragged[1].toInt(), dragged[2].toInt()));
            for (int i = step.section('*', 1).toInt(); i > 0; --i) {
                if (step.startsWith("wheel"))
                    wheel(centre);
                else
                    QTest::keySequence(view(), QKeySequence::fromString(step.section('*', 0, 0)));
                view()->renderFrame();
            }
            // Metres: a move under a centimetre counts as none.
            const double moved = (eye() - start)[firstMove.isEmpty() ? 0 : firstMove[1].toLatin1() - 'x'];
            QVERIFY2(step != steps.first() || firstMove.isEmpty() || (firstMove[0] == '+' ? moved : -moved) > 0.01,
                     qPrintable(QString::number(moved)));
            // Above the ground under the eye, right side up, looking level or down.
            QVERIFY2(eye().z() > groundHeightAt(eye().x(), eye().y()) + 10.0, qPrintable(step));
            QVERIFY2((osg::Vec3d(0, 0, -1) * camera()->getInverseViewMatrix() - eye()).z() < 1e-9, qPrintable(step));
            QVERIFY2((osg::Vec3d(0, 1, 0) * camera()->getInverseViewMatrix() - eye()).z() > 0.0, qPrintable(step));
        }
        QTEST((eye() - start).length() < 0.01, "back");
    }

    void grabbedPointFollowsTheGesture_data()
    {
        QTest::addColumn<int>("button"); // Qt::NoButton: five wheel notches forward at the start
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QPoint>("offset");
        QTest::addColumn<bool>("followsCursor"); // otherwise it stays where it was grabbed
        QTest::newRow("middle drag pans") << int(Qt::MiddleButton) << 0 << QPoint(-120, -90) << true;
        QTest::newRow("shift+left drag pans") << int(Qt::LeftButton) << int(Qt::ShiftModifier) << QPoint(150, 40)
                                              << true;
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
        // The middle of the terrain, wherever the start view frames it.
        const QPoint from = onScreen(app()->getTerrain()->getBound().center()).toPoint();
        osg::Vec3d grabbed;
        const QPointF window = view()->pixelMapping().toGlWindow(from);
        QVERIFY2(app()->intersectTerrain(window.x(), window.y(), grabbed), "the drag starts on the terrain");
        for (int notch = button == Qt::NoButton ? 5 : 0; notch > 0; --notch)
            wheel(from);
        view()->renderFrame();
        if (button != Qt::NoButton)
            drag(Qt::MouseButton(button), Qt::KeyboardModifiers(modifiers), from, from + offset);
        const QPointF expected = QPointF(followsCursor ? from + offset : from) + QPointF(0.5, 0.5);
        QVERIFY(QLineF(onScreen(grabbed), expected).length() < pixelTolerance);
    }

    // With the real pointer: a pick on the sky, Escape, then a pick on the terrain.
    void pickFindsTerrainOrSky()
    {
        toStart();
        auto* combo = session->window()->statusBar()->findChild<QComboBox*>();
        combo->setCurrentIndex(combo->findText("Terrain Local"));
        auto* pick = panel->findChild<QAbstractButton*>("pickCoordButton");
        click(pick);
        QTRY_VERIFY(!pick->isEnabled());
        // A cross-hair over the terrain; then the cursor crosses a dialog.
        pointer(screenPos(terrainPixel), false);
        QTRY_COMPARE(cursorShape(), Qt::CrossCursor);
        pointer(screenPos(field("localXTextBox")), false);
        // A press on the sky finds no point: the pick stays armed and the keys go to the 3D view.
        const int clicks = calls("handleMouseClick");
        pointer(screenPos(QPoint(5, 3)), true);
        QTRY_COMPARE(calls("handleMouseClick"), clicks + 1);
        QVERIFY(!app()->hasTerrainPointUnderMouse() && !pick->isEnabled());
        // Plugins see the picked point already inside their click handler: none for the sky.
        QVERIFY(std::isnan(clickPoint().x()) && std::isnan(clickPoint().z()));
        // Escape there cancels, and the cross-hair goes although the cursor crossed a dialog.
        xdotool({"key", "Escape"});
        QTRY_VERIFY(pick->isEnabled());
        pointer(screenPos(terrainPixel), false);
        QTRY_COMPARE(cursorShape(), Qt::ArrowCursor);

        click(pick);
        QTRY_VERIFY(!pick->isEnabled());
        pointer(screenPos(terrainPixel), true);
        QTRY_VERIFY(pick->isEnabled());
        // On the ground under the cursor: projected back, it lands on the pressed pixel.
        const osg::Vec3d picked = app()->getTerrainPointUnderMouse();
        QVERIFY((clickPoint() - picked).length() < positionTolerance);
        QVERIFY(QLineF(onScreen(picked), QPointF(terrainPixel) + QPointF(0.5, 0.5)).length() < 1.0);
        QVERIFY(std::abs(groundHeightAt(picked.x(), picked.y()) - picked.z()) < 0.5);
        // The panel shows it to eight significant digits.
        QVERIFY2((local() - picked).length() < 0.01, qPrintable(field("localZTextBox")->text()));
        // The status text finds its cursor point on its own; it must be the same point, to the two decimals printed.
        view()->renderFrame();
        QString status;
        for (const QLabel* label : session->window()->statusBar()->findChildren<QLabel*>())
            status = label->text().startsWith("Camera: (") ? label->text() : status;
        const QStringList cursor = status.section("Cursor: (", 1).section(')', 0, 0).split(',');
        QCOMPARE(cursor.size(), 3);
        for (int i = 0; i < 3; ++i)
            QVERIFY2(std::abs(cursor.at(i).toDouble() - picked[i]) < 0.01, qPrintable(status));
        combo->setCurrentIndex(0);
    }

    void warpMovesTheEyeToTheTypedPlace_data()
    {
        QTest::addColumn<QStringList>("typed"); // local X, Y, Z
        QTest::addColumn<QString>("outcome");   // the camera goes "there", is "lifted" above the ground or "stays"
        QTest::newRow("above the ground") << QStringList{"1234.5", "-2500", "3100.25"} << "there";
        // Far under the mountain the view was an empty blue.
        QTest::newRow("under the ground") << QStringList{"1234.5", "-2500", "-4000"} << "lifted";
        // The panel refuses the place, which sent the camera 1e12 m away all the same.
        QTest::newRow("no place on the earth") << QStringList{"1e12", "-2500", "100"} << "stays";
    }

    void warpMovesTheEyeToTheTypedPlace()
    {
        QFETCH(QStringList, typed);
        QFETCH(QString, outcome);
        toStart();
        const osg::Vec3d start = eye();
        for (int i = 0; i < 3; ++i) {
            QLineEdit* edit = field(qPrintable(QString("local%1TextBox").arg("XYZ"[i])));
            edit->selectAll();
            QTest::keyClicks(edit, typed[i]);
            QTest::keyClick(edit, Qt::Key_Return);
        }
        const osg::Quat direction = camera()->getViewMatrix().getRotate();
        click(panel->findChild<QAbstractButton*>("warpButton"));
        const osg::Vec3d target(typed[0].toDouble(), typed[1].toDouble(), typed[2].toDouble());
        const double lifted = groundHeightAt(target.x(), target.y()) + TerrainCameraManipulator::minimumClearance;
        const osg::Vec3d expected = outcome == "stays"    ? start
                                    : outcome == "lifted" ? osg::Vec3d(target.x(), target.y(), lifted)
                                                          : target;
        // The message line says why the camera is not where the panel says.
        const QLabel* message = panel->findChild<QLabel*>("locationStatus");
        const QString why = outcome == "there" ? "" : outcome;
        QTRY_VERIFY2((eye() - expected).length() < positionTolerance && message->text().contains(why) &&
                         message->text().isEmpty() == why.isEmpty(),
                     qPrintable(message->text()));
        view()->renderFrame();
        // There, still looking the same way; the panel keeps the typed place.
        QVERIFY((eye() - expected).length() < positionTolerance);
        QVERIFY2((camera()->getViewMatrix().getRotate() - direction).length() < 1e-9, "the camera turned");
        QVERIFY((local() - target).length() < positionTolerance);
    }

    void followModeTracksADraggedCamera()
    {
        // From the start view, which overlooks the terrain under terrainPixel.
        click(panel->findChild<QAbstractButton*>("warpToStartButton"));
        auto* follow = panel->findChild<QAbstractButton*>("toggleSyncButton");
        click(follow);
        QTRY_VERIFY(follow->isChecked());
        const osg::Vec3d before = eye();
        // A middle drag pans the camera; every frame refills the panel from the new eye.
        drag(Qt::MiddleButton, Qt::NoModifier, terrainPixel, terrainPixel + QPoint(100, -50));
        QVERIFY((eye() - before).length() > 10.0);
        // Eight significant digits of a few thousand metres.
        QVERIFY2((local() - eye()).length() < 0.01, qPrintable(field("localXTextBox")->text()));
        click(follow);
        QTRY_VERIFY(!follow->isChecked());
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
        // Line feeds only, and UTF-8: read back as such, it is the panel's report.
        QVERIFY(!report.contains('\r'));
        QVERIFY(QString::fromUtf8(report).contains(QString::fromUtf8("MGRS:10T é\n")));
        QCOMPARE(QString::fromUtf8(report), QApplication::clipboard()->text());
    }

    void windowLeavesTheTerrainInView_data()
    {
        QTest::addColumn<QSize>("window");
        // How the Compass dialog is rolled up to its title bar first, if at all; "list": the plugin list hidden.
        QTest::addColumn<QString>("change");
        QTest::newRow("1600x1000") << QSize(1600, 1000) << "";
        QTest::newRow("1024x700") << QSize(1024, 700) << "";
        QTest::newRow("1024x700, plugin list hidden from the View menu") << QSize(1024, 700) << "list";
        // The Compass dialog covers most of this view; rolled up, it leaves the view to the terrain.
        QTest::newRow("800x500, rolled up by its title bar button") << QSize(800, 500) << "button";
        // Too narrow for the whole status text: it loses its beginning.
        QTest::newRow("640x480, rolled up by a double-click on its title") << QSize(640, 480) << "double-click";
    }
    void windowLeavesTheTerrainInView()
    {
        QFETCH(QSize, window);
        QFETCH(QString, change);
        session->window()->resize(window);
        QTRY_COMPARE(session->window()->size(), window);
        auto* compass = qobject_cast<velmora::viewer::PanelDialog*>(panel->window()->graphicsProxyWidget());
        QVERIFY(compass);
        const QSizeF unrolled = compass->size();
        // Lined up at the right edge, it stays there as the window grows or shrinks.
        QVERIFY(std::abs(compass->windowFrameGeometry().right() - view()->viewport()->width()) < 20.0);
        const auto roll = [&] {
            // In front of the recorder's dialog, which a small view piles onto it, as a click on it would bring it.
            compass->scene()->setActiveWindow(compass);
            const QPointF onTitle = change == "button" ? compass->rollButtonRect().center() : QPointF(30, -8);
            const QPoint at = view()->mapFromScene(compass->mapToScene(onTitle));
            for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                            QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease})
                if (change == "double-click" || type != QEvent::MouseButtonDblClick)
                    sendMouse(type, at, Qt::LeftButton);
        };
        const auto toggleList = [this] {
            for (const QAction* menu : session->window()->menuBar()->actions())
                for (QAction* action : menu->menu()->actions())
                    if (action->text() == "&Plugins list")
                        action->trigger();
        };
        if (change == "list")
            toggleList();
        QCOMPARE(session->window()->pluginList()->isVisible(), change != "list");
        if (change == "button" || change == "double-click")
            roll();
        QCOMPARE(compass->size().height() < 1.0, change == "button" || change == "double-click");
        // Two entries need about 100 pixels; the list once kept 255.
        QVERIFY2(session->window()->pluginList()->width() < 160, "the plugin list is no wider than its entries");
        // Home: every corner of the terrain's box in the view, none behind a dialog.
        toStart();
        osg::ComputeBoundsVisitor bounds;
        app()->getTerrain()->accept(bounds);
        QRectF shown;
        for (unsigned i = 0; i < 8; ++i)
            shown |= QRectF(onScreen(bounds.getBoundingBox().corner(i)), QSizeF(1, 1));
        QVERIFY(QRectF(QPointF(), view()->viewport()->size()).contains(shown));
        for (const PluginManager::Plugin& p : plugins())
            QVERIFY2(!dialogOf(p)->windowFrameGeometry().intersects(shown), qPrintable(p.gui->getText()));
        // The status text ends in its heading: shown whole, or cut at the left, never at the right.
        for (QLabel* label : session->window()->statusBar()->findChildren<QLabel*>())
            if (label->text().startsWith("Camera: ("))
                QVERIFY2(label->contentsRect().width() >= label->fontMetrics().horizontalAdvance(label->text()) ||
                             endsAtRightEdge(label, label->text().section(", ", -1)),
                         qPrintable(label->text()));
        // And back, as it was.
        if (change == "list")
            toggleList();
        else if (!change.isEmpty())
            roll();
        QCOMPARE(compass->size(), unrolled);
        session->window()->fitViewTo(viewSize);
        QTRY_COMPARE(view()->viewport()->size(), viewSize);
    }

    void aboutNamesTheLibrariesItRunsWith_data()
    {
        QTest::addColumn<QString>("library");
        QTest::addColumn<QString>("version"); // as the library reports it now, not as it was at the build
        QTest::newRow("Qt") << "Qt" << QString(qVersion());
        QTest::newRow("OpenSceneGraph") << "OpenSceneGraph" << QString(osgGetVersion());
        QTest::newRow("GDAL") << "GDAL" << QString(GDALVersionInfo("RELEASE_NAME"));
    }
    void aboutNamesTheLibrariesItRunsWith()
    {
        QFETCH(QString, library);
        QFETCH(QString, version);
        for (const QAction* menu : session->window()->menuBar()->actions())
            for (QAction* action : menu->menu()->actions())
                if (action->text().contains("About"))
                    action->trigger();
        auto* box = session->window()->findChild<QMessageBox*>("aboutBox");
        QVERIFY2(box && box->isVisible(), "Help > About shows a box");
        const QString about = box->text();
        QVERIFY(about.contains(library + "</b></td><td>" + version) && about.contains("License"));
        box->close();
    }

    // Late: it leaves the dialogs where the shrunk view put them.
    // Off the terrain's edge the earth goes on: sixty arrow presses north showed only sky before.
    void arrowsNorthStillShowTheEarth()
    {
        toStart();
        drag(Qt::LeftButton, Qt::NoModifier, QPoint(400, 400), QPoint(400, 400));
        for (int i = 0; i < 60; ++i) {
            QTest::keyClick(view(), Qt::Key_Up);
            view()->renderFrame();
        }
        const QImage image = view()->grabViewport();
        for (int y = image.height() / 2; y < image.height(); y += 20)
            for (int x = 0; x < image.width() / 2; x += 20)
                QVERIFY2(!isSky(image.pixel(x, y)), qPrintable(QString("sky at %1, %2").arg(x).arg(y)));
    }

    void opensElevationModels()
    {
        const osg::Node* builtIn = app()->getTerrain();
        QString error;
        QVERIFY2(session->openElevationModel(folder.filePath("slope.tif"), error), qPrintable(error));
        QVERIFY(app()->getTerrain() != builtIn && session->window()->windowTitle().contains("slope.tif"));
        // The camera goes to the new terrain's start view, and the Compass panel shows it in the new frame.
        QVERIFY((eye() - app()->getStartPosition()).length() < positionTolerance);
        view()->renderFrame();
        QVERIFY2((local() - eye()).length() < 0.01, qPrintable(field("localXTextBox")->text()));
    }

    void refusedElevationModelsKeepTheTerrain_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("not a raster") << QCoreApplication::applicationFilePath();
        // A row buffer of 8 GB: std::bad_alloc aborted the viewer.
        QVERIFY(velmora::testing::writeVrt(folder.filePath("wide.vrt"), 1000000000, 47.0));
        QTest::newRow("absurd width") << folder.filePath("wide.vrt");
        // Opened silently with every vertex NaN: sky, and a title naming the file.
        QVERIFY(velmora::testing::writeVrt(folder.filePath("polar.vrt"), 10, 95.0));
        QTest::newRow("beyond the pole") << folder.filePath("polar.vrt");
        // Four million pixels a side take a while to read: Cancel, clicked as soon as it shows, stops the read.
        QVERIFY(velmora::testing::writeVrt(folder.filePath("huge.vrt"), 4000000, 47.0));
        QTest::newRow("cancelled while loading") << folder.filePath("huge.vrt");
    }

    // A refusal says why and leaves the terrain, its title and its georeference as they were; so does Cancel,
    // which needs no message.
    void refusedElevationModelsKeepTheTerrain()
    {
        QFETCH(QString, file);
        const bool cancel = file.endsWith("huge.vrt");
        const osg::Node* shown = app()->getTerrain();
        const QString title = session->window()->windowTitle();
        const double originLatitude = velmora::terrain::TerrainManager::instance()->getOriginLatitude();
        // The window answers while the file is read: this timer fires, and the click reaches the dialog.
        QTimer canceller;
        int clicks = 0;
        connect(&canceller, &QTimer::timeout, this, [&] {
            for (QWidget* window : QApplication::topLevelWidgets())
                if (auto* progress = qobject_cast<QProgressDialog*>(window); progress && progress->isVisible()) {
                    QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
                    ++clicks;
                }
        });
        if (cancel)
            canceller.start(5);
        QString error;
        QVERIFY(!session->openElevationModel(file, error));
        QCOMPARE(clicks > 0, cancel);
        // Named once in a refusal.
        QVERIFY2(cancel ? error.isEmpty() : error.count(QFileInfo(file).fileName()) == 1, qPrintable(error));
        QVERIFY(app()->getTerrain() == shown && session->window()->windowTitle() == title);
        QCOMPARE(velmora::terrain::TerrainManager::instance()->getOriginLatitude(), originLatitude);
    }

    // A DEM wider than the 1024 vertices a side it is drawn with, with relief at
    // every other pixel that the drawn mesh skips: a pick names the DEM's own
    // height there (bilinear), within 5 cm, as seen from afar and close up.
    void largeDemPicksAreItsOwnHeights_data()
    {
        QTest::addColumn<double>("closeUp"); // metres from the eye to the ground looked at; 0: the start view
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<int>("scan"); // pixels down from pixel, every one picked until the terrain ends
        // Picks on the mesh were up to 40 m off the DEM between its vertices.
        QTest::newRow("start view, west") << 0.0 << QPoint(350, 430) << 0;
        // A curtain hung below the DEM's own edge was picked as ground kilometres below it.
        QTest::newRow("start view, down past the near edge") << 0.0 << QPoint(600, 405) << 150;
        QTest::newRow("close up, centre") << 3000.0 << QPoint(600, 400) << 0;
        QTest::newRow("close up, off centre") << 3000.0 << QPoint(420, 520) << 0;
    }

    void largeDemPicksAreItsOwnHeights()
    {
        QFETCH(double, closeUp);
        QFETCH(QPoint, pixel);
        const velmora::testing::Raster raster{4326, QSize(1030, 64), true, {}, {}, velmora::testing::nodataValue, true};
        const QString path = folder.filePath("rough.tif");
        QString error;
        if (!session->window()->windowTitle().contains("rough.tif"))
            QVERIFY(velmora::testing::writeGeoTiff(path, raster) && session->openElevationModel(path, error));
        // Framed in the whole view, where the rows' pixels were chosen: a pick does not mind the panels over it.
        app()->setFramingArea(QRectF());
        toStart();
        osg::Vec3d picked;
        if (closeUp > 0.0) {
            // Along the start view's line of sight to closeUp metres from the ground at its centre.
            QVERIFY(pick(view()->viewport()->rect().center(), picked));
            const osg::Vec3d start = eye();
            app()->warpToPosition(start + (picked - start) * (1.0 - closeUp / (picked - start).length()));
            view()->renderFrame();
        }
        QFETCH(int, scan);
        QVERIFY(pick(pixel, picked));
        for (int down = 0; down <= scan && pick(pixel + QPoint(0, down), picked); ++down) {
            gmtl::Vec<double, 3> lonLatHeight;
            velmora::terrain::TerrainManager::instance()->convertTerrainLocalToGdc(
                gmtl::Vec<double, 3>(picked.x(), picked.y(), picked.z()), lonLatHeight);
            const double expected = bilinearHeight(raster, lonLatHeight[1], lonLatHeight[0]);
            QVERIFY2(std::abs(lonLatHeight[2] - expected) < 0.05,
                     qPrintable(QString("%1 m, the DEM %2 m, %3 pixels down")
                                    .arg(lonLatHeight[2], 0, 'f', 3)
                                    .arg(expected, 0, 'f', 3)
                                    .arg(down)));
        }
    }

    // The far edge of a DEM ten degrees on a side, 1800 km from the start view, is drawn:
    // a far plane fixed at 1000 km cut all of it off.
    void wideDemShowsItsFarEdge()
    {
        const QString path = folder.filePath("wide.tif");
        QVERIFY(velmora::testing::writeGeoTiff(path, {4326, QSize(100, 100), true, {}, {}, 0.0f, false, 10.0}));
        QString error;
        QVERIFY2(session->openElevationModel(path, error), qPrintable(error));
        toStart();
        // The middle of the first row, 0.1 degree pixels from 46.9 N, -121.8 E.
        gmtl::Vec<double, 3> edge;
        velmora::terrain::TerrainManager::instance()->convertGdcToTerrainLocal(
            gmtl::Vec<double, 3>(46.85, -116.75, velmora::testing::knownHeight(50, 0)), edge);
        const QImage image = view()->grabViewport();
        const QPointF onImage = onScreen(osg::Vec3d(edge[0], edge[1], edge[2])) * view()->viewport()->devicePixelRatioF();
        // A few pixels nearer, the terrain; a few beyond, the earth: not the same colour.
        const QRgb inside = image.pixel(int(onImage.x()), int(onImage.y()) + 4);
        const QRgb beyond = image.pixel(int(onImage.x()), int(onImage.y()) - 6);
        QVERIFY2(!isSky(inside) && std::abs(qGreen(inside) - qGreen(beyond)) + std::abs(qRed(inside) - qRed(beyond)) > 20,
                 qPrintable(QString("%1 against %2").arg(inside, 0, 16).arg(beyond, 0, 16)));
    }

    void dialogsStayWithinReach()
    {
        // Shrunk below the size of the panels, then the recorder's title bar dragged past the bottom right corner.
        session->window()->resize(session->window()->size() - viewSize + QSize(300, 200));
        QTRY_COMPARE(view()->viewport()->size(), QSize(300, 200));
        const QPoint title = view()->mapFromScene(dialogOf(recorder)->windowFrameGeometry().topLeft()) + QPoint(30, 6);
        sendMouse(QEvent::MouseButtonPress, title, Qt::LeftButton);
        sendMouse(QEvent::MouseMove, title + QPoint(400, 300), Qt::LeftButton);
        sendMouse(QEvent::MouseButtonRelease, title + QPoint(400, 300), Qt::LeftButton);
        // Each keeps at least its title bar in view; the small one fits whole.
        const QRectF inView(0, 0, 300, 200);
        for (const PluginManager::Plugin& p : plugins())
            QVERIFY2(inView.contains(dialogOf(p)->windowFrameGeometry().topLeft() + QPointF(20, 5)),
                     qPrintable(p.gui->getText()));
        QVERIFY(inView.contains(dialogOf(recorder)->windowFrameGeometry()));
    }

private:
    velmora::viewer::SceneView* view() const { return session->window()->sceneView(); }
    velmora::viewer::ViewerApplication* app() const { return session->application(); }
    osg::Camera* camera() const { return app()->getViewer()->getCamera(); }
    const std::vector<PluginManager::Plugin>& plugins() const { return session->pluginManager().plugins(); }
    QGraphicsProxyWidget* dialogOf(const PluginManager::Plugin& p) const { return session->window()->dialogOf(p.gui); }
    // What the recorder noted: a call's count, whether the last move was over a dialog,
    // the point seen inside its click handler.
    QVariant noted(const char* name) const { return recorder.object->property(name); }
    int calls(const char* name) const { return noted(name).toInt(); }
    osg::Vec3d clickPoint() const
    {
        const QVariantList seen = noted("clickPoint").toList();
        return {seen.value(0).toDouble(), seen.value(1).toDouble(), seen.value(2).toDouble()};
    }
    // Events sent straight to the 3D view.
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
    // One notch forward.
    void wheel(const QPoint& pos)
    {
        QWheelEvent event(pos, view()->viewport()->mapToGlobal(pos), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view()->viewport(), &event);
    }

    // Real X input through xdotool, at screen positions.
    void xdotool(const QStringList& arguments)
    {
        QCOMPARE(QProcess::execute("xdotool", arguments), 0);
        QCoreApplication::processEvents();
    }
    void pointer(const QPoint& screen, bool click)
    {
        // A synchronous move to where the pointer already is waits in vain for the move.
        if (QCursor::pos() != screen)
            xdotool({"mousemove", "--sync", QString::number(screen.x()), QString::number(screen.y())});
        if (click)
            xdotool({"click", "1"});
    }
    // Laid out first: a message shown a moment ago may still move the widget.
    void click(const QWidget* widget) { QCoreApplication::sendPostedEvents(), pointer(screenPos(widget), true); }
    // Screen position of a view pixel, or of the centre of a widget in the Compass panel's dialog.
    QPoint screenPos(const QPoint& viewPixel) const { return view()->viewport()->mapToGlobal(viewPixel); }
    QPoint screenPos(const QWidget* widget) const
    {
        // The panel sits in its dialog's scroll area; the dialog is that area's proxy.
        QWidget* dialog = panel->window();
        const QPointF inDialog = widget->mapTo(dialog, widget->rect().center());
        return screenPos(view()->mapFromScene(dialog->graphicsProxyWidget()->mapToScene(inDialog)));
    }
    Qt::CursorShape cursorShape() const { return view()->viewport()->cursor().shape(); }
    QLineEdit* field(const char* name) const { return panel->findChild<QLineEdit*>(name); }
    osg::Vec3d local() const
    {
        return {field("localXTextBox")->text().toDouble(), field("localYTextBox")->text().toDouble(),
                field("localZTextBox")->text().toDouble()};
    }

    void toStart() { app()->warpToStart(), view()->renderFrame(); }
    // The terrain point the viewer names under a view pixel (logical coordinates).
    bool pick(const QPoint& pixel, osg::Vec3d& point) const
    {
        const double ratio = view()->viewport()->devicePixelRatioF();
        return app()->intersectTerrain((pixel.x() + 0.5) * ratio, (view()->viewport()->height() - pixel.y() - 0.5) * ratio,
                                       point);
    }
    // The DEM's own height at a latitude and longitude: bilinear between the four nearest pixel centres.
    static double bilinearHeight(const velmora::testing::Raster& raster, double latitude, double longitude)
    {
        const std::array<double, 6> t = velmora::testing::geoTransform(raster.epsg);
        const double column = (longitude - t[0]) / (t[1] * raster.pixelScale) - 0.5;
        const double row = (latitude - t[3]) / (t[5] * raster.pixelScale) - 0.5;
        const int c = int(std::floor(column)), r = int(std::floor(row));
        const double fc = column - c, fr = row - r;
        const auto h = [&raster](int cc, int rr) { return velmora::testing::heightOf(raster, cc, rr); };
        return (1 - fr) * ((1 - fc) * h(c, r) + fc * h(c + 1, r)) + fr * ((1 - fc) * h(c, r + 1) + fc * h(c + 1, r + 1));
    }
    // Sky blue as the viewer clears to.
    static bool isSky(QRgb pixel)
    {
        return std::abs(qRed(pixel) - 135) <= 8 && std::abs(qGreen(pixel) - 186) <= 8 && std::abs(qBlue(pixel) - 235) <= 8;
    }
    osg::Vec3d eye() const { return osg::Vec3d() * camera()->getInverseViewMatrix(); }
    // The heading the panel shows, from -180 to 180 degrees.
    double heading() const
    {
        return std::remainder(panel->findChild<QLabel*>("orientationLabel")->text().section(": ", 1).toDouble(), 360.0);
    }
    // A left drag from the middle of the terrain, wherever the view shows it: turns the camera.
    void dragTerrainCentre(const QPoint& offset)
    {
        const QPoint from = onScreen(app()->getTerrain()->getBound().center()).toPoint();
        drag(Qt::LeftButton, Qt::NoModifier, from, from + offset);
    }
    // Where the camera shows point, in the view's logical coordinates.
    QPointF onScreen(const osg::Vec3d& point) const
    {
        const osg::Vec3d at = point * camera()->getViewMatrix() * camera()->getProjectionMatrix() *
                              camera()->getViewport()->computeWindowMatrix();
        return QPointF(at.x(), view()->viewport()->height() - at.y());
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
    // Where the red half of the rose's arrow points on the drawn picture, in
    // degrees clockwise from up; NaN when the lower-left corner shows none.
    double arrowDirection()
    {
        const QImage image = view()->grabViewport();
        const double centre = 88 * view()->viewport()->devicePixelRatioF();
        QPointF sum;
        int count = 0;
        for (int y = int(image.height() - 2 * centre); y < image.height(); ++y)
            for (int x = 0; x < int(2 * centre); ++x)
                if (const QColor c = image.pixelColor(x, y); c.red() > 150 && c.green() < 60 && c.blue() < 60) {
                    sum += QPointF(x + 0.5 - centre, y + 0.5 - (image.height() - centre));
                    ++count;
                }
        return count < 10 ? std::nan("") : std::atan2(sum.x(), -sum.y()) * 180.0 / M_PI;
    }

    // Whether label shows tail at its right edge, the same pixels as when tail is all its text.
    static bool endsAtRightEdge(QLabel* label, const QString& tail)
    {
        const QString text = label->text();
        const QImage shown = label->grab().toImage();
        label->setText(tail);
        const QImage alone = label->grab().toImage();
        label->setText(text);
        const int width = label->fontMetrics().horizontalAdvance(tail);
        const QRect end(label->contentsRect().right() - width, 0, width, label->height());
        return shown.copy(end) == alone.copy(end);
    }

    QTemporaryDir folder;
    std::unique_ptr<velmora::viewer::ViewerSession> session;
    PluginManager::Plugin recorder;
    QWidget* panel = nullptr;
};

QTEST_MAIN(TestViewerWindow)
#include "tst_viewerwindow.moc"
