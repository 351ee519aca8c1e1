#include "PluginManager.h"
#include "SceneView.h"
#include "ViewerApplication.h"
#include "ViewerSession.h"
#include "ViewerWindow.h"
#include "TestRaster.h"

#include <velmora/widget/plugin/WidgetPlugin.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGraphicsProxyWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProcess>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <osgUtil/LineSegmentIntersector>

#include <cmath>
#include <limits>
#include <memory>

using velmora::viewer::PluginManager;

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

    void roseTurnsWithTheCamera()
    {
        drag(Qt::LeftButton, Qt::NoModifier, QPoint(500, 500), QPoint(300, 500));
        // The rose turns counterclockwise by the heading, so the way the camera faces is at its top.
        const double heading = panel->findChild<QLabel*>("orientationLabel")->text().section(": ", 1).toDouble();
        QVERIFY2(heading > 5.0 && heading < 355.0, "the drag turned the camera");
        const double difference = std::fmod(arrowDirection() + heading + 540.0, 360.0) - 180.0;
        QVERIFY2(std::abs(difference) < 3.0,
                 qPrintable(QString("arrow %1, heading %2").arg(arrowDirection()).arg(heading)));
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
        const QPoint from(360, 330);
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

    void warpMovesTheEyeToTheTypedPlace()
    {
        for (const auto& [name, text] : {std::pair{"localXTextBox", "1234.5"}, {"localYTextBox", "-2500"},
                                         {"localZTextBox", "3100.25"}}) {
            field(name)->selectAll();
            QTest::keyClicks(field(name), text);
            QTest::keyClick(field(name), Qt::Key_Return);
        }
        const osg::Quat direction = camera()->getViewMatrix().getRotate();
        click(panel->findChild<QAbstractButton*>("warpButton"));
        const osg::Vec3d typed(1234.5, -2500, 3100.25);
        QTRY_VERIFY((eye() - typed).length() < positionTolerance);
        view()->renderFrame();
        // There, still looking the same way.
        QVERIFY((eye() - typed).length() < positionTolerance);
        QVERIFY2((camera()->getViewMatrix().getRotate() - direction).length() < 1e-9, "the camera turned");
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

    // Late: it leaves the dialogs where the shrunk view put them.
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
        // A refusal says why and leaves the terrain shown before.
        const osg::Node* slope = app()->getTerrain();
        const QString notRaster = QCoreApplication::applicationFilePath();
        QVERIFY(!session->openElevationModel(notRaster, error) && error.contains(notRaster));
        QVERIFY(app()->getTerrain() == slope && session->window()->windowTitle().contains("slope.tif"));
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
        QStringList arguments{"mousemove", "--sync", QString::number(screen.x()), QString::number(screen.y())};
        xdotool(click ? arguments << "click" << "1" : arguments);
    }
    void click(const QWidget* widget) { pointer(screenPos(widget), true); }
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
    osg::Vec3d eye() const { return osg::Vec3d() * camera()->getInverseViewMatrix(); }
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

    QTemporaryDir folder;
    std::unique_ptr<velmora::viewer::ViewerSession> session;
    PluginManager::Plugin recorder;
    QWidget* panel = nullptr;
};

QTEST_MAIN(TestViewerWindow)
#include "tst_viewerwindow.moc"
