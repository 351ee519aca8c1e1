#include "PluginManager.h"
#include "SceneView.h"
#include "ViewerSession.h"
#include "ViewerWindow.h"

#include <velmora/widget/plugin/WidgetPlugin.h>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>

// The compass plugin alone in the real viewer window, drawn by OpenGL.
class TestViewerCompass : public QObject
{
    Q_OBJECT

private slots:
    void roseAndStatusBarFollowTheCameraAndTheCursor()
    {
        QTemporaryDir pluginDir;
        const QFileInfo plugin(VELMORA_COMPASS_PLUGIN_FILE);
        QVERIFY(QFile::link(plugin.absoluteFilePath(), pluginDir.filePath(plugin.fileName())));
        velmora::viewer::ViewerOptions options;
        options.pluginDir = pluginDir.path();
        // Wide enough that the panel, lined up at the right, leaves the lower-left corner free.
        options.viewSize = QSize(1200, 800);
        velmora::viewer::ViewerSession session(options);
        QString error;
        QVERIFY2(session.start(error), qPrintable(error));
        view = session.window()->sceneView();
        view->stopFrames();
        QVERIFY(QTest::qWaitForWindowExposed(session.window()));
        QWidget* panel = session.pluginManager().plugins().at(0).gui->getWidget();
        // A large rose (ring radius 88 pixels), so its arrow covers enough pixels to tell its direction.
        panel->findChild<QSpinBox*>("sizeOn3DSpinBox")->setValue(40);
        view->renderFrame();

        QLabel* status = session.window()->statusBar()->findChildren<QLabel*>().last();
        QVERIFY2(status->text().startsWith("Camera: (") && !status->text().contains("Cursor"),
                 qPrintable(status->text()));
        sendMouse(QEvent::MouseMove, QPoint(300, 700), Qt::NoButton);
        view->renderFrame();
        QVERIFY2(status->text().contains(", Cursor: ("), qPrintable(status->text()));

        QVERIFY2(std::abs(arrowDirection()) < 3.0, "a red arrow in the lower-left corner points up, to north");
        // A drag to the left turns the camera.
        for (const auto& [type, x] : {std::pair(QEvent::MouseButtonPress, 500), {QEvent::MouseMove, 300},
                                      {QEvent::MouseButtonRelease, 300}}) {
            sendMouse(type, QPoint(x, 500), Qt::LeftButton);
            view->renderFrame();
        }
        // The rose turns counterclockwise by the heading, so the way the camera faces is at its top.
        const double heading = panel->findChild<QLabel*>("orientationLabel")->text().section(": ", 1).toDouble();
        QVERIFY2(heading > 5.0 && heading < 355.0, "the drag turned the camera");
        const double difference = std::fmod(arrowDirection() + heading + 540.0, 360.0) - 180.0;
        QVERIFY2(std::abs(difference) < 3.0,
                 qPrintable(QString("arrow %1, heading %2").arg(arrowDirection()).arg(heading)));
    }

private:
    void sendMouse(QEvent::Type type, const QPoint& pos, Qt::MouseButton button)
    {
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, pos, view->viewport()->mapToGlobal(pos), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &event);
    }

    // Where the red half of the rose's arrow points on the drawn picture, in
    // degrees clockwise from up; NaN when the lower-left corner shows none.
    double arrowDirection() const
    {
        const QImage image = view->grabViewport();
        const double centre = 88 * view->viewport()->devicePixelRatioF();
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

    velmora::viewer::SceneView* view = nullptr;
};

QTEST_MAIN(TestViewerCompass)
#include "tst_viewercompass.moc"
