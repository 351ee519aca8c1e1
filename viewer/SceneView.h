#pragma once

#include "DevicePixelMapping.h"

#include <QElapsedTimer>
#include <QGraphicsView>
#include <QImage>
#include <QTimer>

#include <vector>

class QGraphicsProxyWidget;
class QGraphicsScene;
class QGraphicsWidget;

namespace velmora::viewer {

class GlViewport;
class PluginManager;
class ViewerApplication;

// The 3D view: a graphics view over an OpenGL viewport. OSG draws the scene
// as the view's background; the plugins' dialogs float above it as window
// items of the graphics scene, always kept where they can be reached.
//
// Frames are drawn on demand, never while nothing changes: input to the view
// or its dialogs, a dialog changing while a button is held in it, a resize
// or a warp asks for one, and so does each frame of a camera turn, run from
// a timer on the GUI thread at most framesPerSecond times a second. A frame is OSG's event
// and update traversals, the plugins' frameUpdate, then a repaint that
// renders and calls the plugins' frameRendered. Repaints of a dialog alone
// (a blinking text cursor) show the last frame's picture again.
class SceneView : public QGraphicsView
{
    Q_OBJECT

public:
    SceneView(ViewerApplication& application, PluginManager& plugins, QWidget* parent = nullptr);
    ~SceneView() override;

    // The most frames per second that input can ask for.
    static constexpr int framesPerSecond = 60;

    // Starts answering requests for frames, with one frame now.
    void startFrames();
    // Stops drawing frames until startFrames; renderFrame still works.
    void stopFrames();
    // Asks for a frame soon; many requests before it is drawn give one frame.
    void requestFrame();
    // Runs one whole frame now, the repaint included. Does nothing while the view is hidden.
    void renderFrame();
    // Frames rendered by renderFrame so far (repaints for exposure are not counted).
    int frameCount() const { return frames; }

    // Shows panel as a movable dialog with title over the 3D view, at its right
    // edge. The dialog is kept inside the view whenever it moves, shows or the
    // view shrinks; a panel larger than the view scrolls inside its dialog.
    // The start view frames the terrain in the part the shown dialogs leave free.
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
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    // A window that becomes exposed gets a frame.
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void renderScene();
    // Copies the scene just drawn into lastFrame, in the GL state renderScene sets up.
    void keepLastFrame(const QSize& size);
    void drawLastFrame();
    void updateTerrainPointUnderMouse(const QPoint& pos);
    bool handleNavigationKey(int key);
    void pressOnView(QMouseEvent* event, bool doubleClick);
    // Hands OSG's event queue the modifiers and the position of event, as GL window coordinates (y up).
    QPointF toEventQueue(const QPointF& pos, Qt::KeyboardModifiers modifiers);
    // The size a dialog shows its panel at: the panel's own, but never more than the view holds.
    QSizeF fittedDialogSize(const QGraphicsWidget* dialog) const;
    void keepInView(QGraphicsWidget* dialog);
    // The dialogs floating over the view, shown or not.
    std::vector<QGraphicsWidget*> dialogs() const;
    // Tells the application which part of the view the visible dialogs leave free for the start view.
    void updateFramingArea();

    ViewerApplication& application;
    PluginManager& plugins;
    QGraphicsScene* graphicsScene = nullptr;
    GlViewport* glWidget = nullptr;
    QTimer frameTimer;
    QElapsedTimer sinceFrame;
    bool framesOn = false;
    int frames = 0;
    bool framePending = false;
    bool realized = false;
    bool cameraDrag = false;
    bool dialogButtonHeld = false;
    bool keysForCamera = true;
    bool fittingDialog = false; // inside keepInView
    unsigned lastFrame = 0; // GL texture name; 0: none yet
    QSize lastFrameSize;
};

} // namespace velmora::viewer
