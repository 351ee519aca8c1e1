#include "PluginManager.h"
#include "SceneView.h"
#include "ViewerSession.h"
#include "ViewerWindow.h"

#include <velmora/widget/plugin/WidgetPlugin.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>

using velmora::viewer::ViewerOptions;
using velmora::viewer::ViewerSession;

namespace {
// A large rose, so its arrow covers enough pixels to tell its direction.
constexpr int roseSize = 40;
// The rose's centre sits one ring radius from the left and bottom edges.
constexpr int roseCentre = 88; // logical pixels
constexpr double angleTolerance = 3.0; // degrees
} // namespace

// The compass plugin in the real viewer window, drawn by OpenGL.
class TestViewerCompass : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        const QString plugin = QFileInfo(VELMORA_COMPASS_PLUGIN_FILE).absoluteFilePath();
        QVERIFY(QFile::link(plugin, pluginDir.filePath(QFileInfo(plugin).fileName())));
        ViewerOptions options;
        options.pluginDir = pluginDir.path();
        // Wide enough that the panel, lined up at the right, leaves the lower-left corner free.
        options.viewSize = QSize(1200, 800);
        session = std::make_unique<ViewerSession>(options);
        QString error;
        QVERIFY2(session->start(error), qPrintable(error));
        view()->stopFrames();
        QVERIFY(QTest::qWaitForWindowExposed(session->window()));
        panel()->findChild<QSpinBox*>("sizeOn3DSpinBox")->setValue(roseSize);
        view()->renderFrame();
    }

    void cleanupTestCase() { session.reset(); }

    void statusBarShowsTheCameraThenTheCursor()
    {
        QLabel* status = nullptr;
        for (QLabel* label : session->window()->statusBar()->findChildren<QLabel*>())
            if (label->text().startsWith("Camera: ("))
                status = label;
        QVERIFY2(status, "the status text shows the camera");
        QVERIFY2(!status->text().contains("Cursor"), qPrintable(status->text()));
        sendMouse(QEvent::MouseMove, QPoint(300, 700), Qt::NoButton);
        view()->renderFrame();
        QVERIFY2(status->text().contains(", Cursor: ("), qPrintable(status->text()));
    }

    void roseInTheLowerLeftCornerTurnsWithTheCamera()
    {
        QVERIFY2(std::abs(arrowDirection()) < angleTolerance, "a red arrow in the corner points up, to the camera's north");

        const QPoint start(500, 500);
        sendMouse(QEvent::MouseButtonPress, start, Qt::LeftButton);
        view()->renderFrame();
        sendMouse(QEvent::MouseMove, start + QPoint(-200, 0), Qt::LeftButton);
        view()->renderFrame();
        sendMouse(QEvent::MouseButtonRelease, start + QPoint(-200, 0), Qt::LeftButton);
        view()->renderFrame();

        // The rose turns counterclockwise by the heading, keeping the camera's direction at its top.
        const double heading = orientation();
        QVERIFY2(heading > 5.0 && heading < 355.0, "the drag turned the camera");
        const double difference = std::fmod(arrowDirection() + heading + 540.0, 360.0) - 180.0;
        QVERIFY2(std::abs(difference) < angleTolerance,
                 qPrintable(QString("arrow %1, heading %2").arg(arrowDirection()).arg(heading)));
    }

private:
    velmora::viewer::SceneView* view() const { return session->window()->sceneView(); }

    void sendMouse(QEvent::Type type, const QPoint& pos, Qt::MouseButton button)
    {
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, pos, view()->viewport()->mapToGlobal(pos), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(view()->viewport(), &event);
    }

    QWidget* panel() const { return session->pluginManager().plugins().at(0).gui->getWidget(); }
    double orientation() const
    {
        return panel()->findChild<QLabel*>("orientationLabel")->text().section(": ", 1).toDouble();
    }

    // Where the red half of the rose's arrow in the lower-left corner points
    // on the drawn picture, in degrees clockwise from up; NaN when there is none.
    double arrowDirection()
    {
        const QImage image = view()->grabViewport();
        const double ratio = view()->viewport()->devicePixelRatioF();
        const QPointF centre(roseCentre * ratio, image.height() - roseCentre * ratio);
        QPointF sum;
        int count = 0;
        for (int y = int(centre.y() - roseCentre * ratio); y < image.height(); ++y)
            for (int x = 0; x < int(centre.x() + roseCentre * ratio); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.red() > 150 && c.green() < 60 && c.blue() < 60) {
                    sum += QPointF(x + 0.5, y + 0.5) - centre;
                    ++count;
                }
            }
        if (count < 10)
            return std::nan("");
        return std::atan2(sum.x(), -sum.y()) * 180.0 / M_PI;
    }

    QTemporaryDir pluginDir;
    std::unique_ptr<ViewerSession> session;
};

QTEST_MAIN(TestViewerCompass)
#include "tst_viewercompass.moc"
