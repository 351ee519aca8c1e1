#pragma once

#include "DevicePixelMapping.h"

#include <QGraphicsView>
#include <QImage>
#include <QTimer>

class QGraphicsProxyWidget;
class QGraphicsScene;

namespace velmora::viewer {

class GlViewport;
class PluginManager;
class ViewerApplication;

// The 3D view: a graphics view over an OpenGL viewport. OSG draws the scene
// as the view's background; the plugins' dialogs float above it as window
// items of the graphics scene. Frames are driven from a timer on the GUI
// thread: OSG's event and update traversals, the plugins' frameUpdate, then
// a repaint that renders and calls the plugins' frameRendered.
class SceneView : public QGraphicsView
{
    Q_OBJECT

public:
    SceneView(ViewerApplication& application, PluginManager& plugins, QWidget* parent = nullptr);
    ~SceneView() override;

    // Frames per second the timer asks for.
    static constexpr int framesPerSecond = 60;

    void startFrames();
    void stopFrames();
    // Runs one whole frame now, the repaint included. Does nothing while the view is hidden.
    void renderFrame();
    // Frames rendered by renderFrame so far (repaints for exposure are not counted).
    int frameCount() const { return frames; }

    // Shows panel as a movable dialog with title over the 3D view, at its right edge.
    QGraphicsProxyWidget* addDialog(QWidget* panel, const QString& title);
    // Whether pos (view coordinates) lies over a dialog, or a dialog holds the mouse (a drag of its title bar).
    bool isOverDialog(const QPoint& pos) const;

    // The viewport as drawn, dialogs included, read back from OpenGL.
    QImage grabViewport();
    DevicePixelMapping pixelMapping() const;

signals:
    void frameFinished(int frameCount);

protected:
    void drawBackground(QPainter* painter, const QRectF& rect) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void renderScene();
    void updateTerrainPointUnderMouse(const QPoint& pos);
    bool handleNavigationKey(int key);

    ViewerApplication& application;
    PluginManager& plugins;
    QGraphicsScene* graphicsScene = nullptr;
    GlViewport* glWidget = nullptr;
    QTimer frameTimer;
    int frames = 0;
    bool framePending = false;
    bool realized = false;
    bool cameraDrag = false;
    bool keysForCamera = true;
    bool captureRequested = false;
    QImage captured;
};

} // namespace velmora::viewer
