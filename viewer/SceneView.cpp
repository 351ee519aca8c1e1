#include "SceneView.h"

#include "GlViewport.h"
#include "PanelDialog.h"
#include "PluginManager.h"
#include "StartViewFraming.h"
#include "ViewerApplication.h"

#include <velmora/application/plugin/FrameUpdatePlugin.h>
#include <velmora/qtapplication/GuiDialogs.h>
#include <velmora/application/plugin/MouseHandlerPlugin.h>

#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QCoreApplication>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QStyle>
#include <QWheelEvent>
#include <QWindow>

#include <osg/BufferObject>
#include <osg/GLExtensions>
#include <osg/State>
#include <osgGA/EventQueue>

namespace velmora::viewer {

namespace {
constexpr int dialogMargin = 12;

void useNoProgram(osg::State& state)
{
    if (const osg::GLExtensions* extensions = state.get<osg::GLExtensions>(); extensions && extensions->isGlslSupported)
        extensions->glUseProgram(0);
    state.setLastAppliedProgramObject(nullptr);
}

// Where a mouse event happened in the view, in logical pixels with the
// fraction a finer screen gives; Qt 6 renamed the accessor.
QPointF eventPosition(const QMouseEvent* event)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return event->position();
#else
    return event->localPos();
#endif
}

int osgButton(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::MiddleButton: return 2;
    case Qt::RightButton: return 3;
    default: return 0;
    }
}
} // namespace

SceneView::SceneView(ViewerApplication& application, PluginManager& plugins, QWidget* parent)
    : QGraphicsView(parent), application(application), plugins(plugins)
{
    glWidget = new GlViewport;
    setViewport(glWidget);
    viewport()->setMouseTracking(true);
    // Every frame redraws the terrain under the dialogs, so partial updates gain nothing.
    setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(64, 64);

    graphicsScene = new QGraphicsScene(this);
    setScene(graphicsScene);

    frameTimer.setSingleShot(true);
    connect(&frameTimer, &QTimer::timeout, this, &SceneView::renderFrame);
    application.setViewChangedCallback([this] { requestFrame(); });
    // A button held in a dialog may change a plugin's scene without further input (a spin box's auto-repeat).
    connect(graphicsScene, &QGraphicsScene::changed, this, [this] {
        if (dialogButtonHeld)
            requestFrame();
    });
}

SceneView::~SceneView()
{
    stopFrames();
    application.setViewChangedCallback(nullptr);
    if (realized) {
        // OSG frees its GL objects while the context they live in still exists.
        glWidget->makeCurrent();
        glDeleteTextures(1, &lastFrame);
        application.getGraphicsWindow()->close(true);
        glWidget->doneCurrent();
    }
}

void SceneView::startFrames()
{
    framesOn = true;
    if (QWindow* handle = window()->windowHandle())
        handle->installEventFilter(this);
    requestFrame();
}

bool SceneView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Expose)
        requestFrame();
    return QGraphicsView::eventFilter(watched, event);
}

void SceneView::stopFrames()
{
    framesOn = false;
    frameTimer.stop();
}

void SceneView::requestFrame()
{
    if (!framesOn || frameTimer.isActive())
        return;
    // A burst of input waits for the rest of the frame interval, then gets one frame.
    const qint64 interval = 1000 / framesPerSecond;
    const qint64 elapsed = sinceFrame.isValid() ? sinceFrame.elapsed() : interval;
    frameTimer.start(int(std::max<qint64>(0, interval - elapsed)));
}

DevicePixelMapping SceneView::pixelMapping() const
{
    return DevicePixelMapping(viewport()->devicePixelRatioF(), viewport()->size());
}

void SceneView::renderFrame()
{
    // A frame that cannot be drawn is not run at all, so plugins see exactly one update per drawn frame.
    const QWindow* window = this->window()->windowHandle();
    if (!isVisible() || !window || !window->isExposed())
        return;
    sinceFrame.restart();
    osgViewer::Viewer* viewer = application.getViewer();
    viewer->advance();
    viewer->eventTraversal();
    viewer->updateTraversal();
    for (const PluginManager::Plugin& plugin : plugins.plugins())
        if (plugin.frame)
            plugin.frame->frameUpdate();
    // A turn under way asks for its next step; the last step asks for nothing more.
    if (application.isTurning())
        requestFrame();
    framePending = true;
    viewport()->repaint();
    // Until Qt has composed the OpenGL widget once, a repaint only asks the window for an update.
    if (framePending)
        QCoreApplication::sendPostedEvents(this->window(), QEvent::UpdateRequest);
    if (!framePending)
        emit frameFinished(frames);
    framePending = false;
    // Tiles read meanwhile enter the scene in a frame's update: keep drawing until all have.
    if (application.terrainLoading())
        requestFrame();
}

void SceneView::drawBackground(QPainter* painter, const QRectF&)
{
    painter->beginNativePainting();
    if (framePending || lastFrame == 0 || lastFrameSize != pixelMapping().physicalSize())
        renderScene();
    else
        drawLastFrame();
    painter->endNativePainting();

    if (framePending) {
        framePending = false;
        ++frames;
        for (const PluginManager::Plugin& plugin : plugins.plugins())
            if (plugin.frame)
                plugin.frame->frameRendered();
    }
}

void SceneView::renderScene()
{
    osgViewer::Viewer* viewer = application.getViewer();
    osg::State* state = application.getGraphicsWindow()->getState();
    if (!realized) {
        // The embedded window has no context of its own; Qt's is current here.
        viewer->realize();
        realized = true;
    }

    // Hand Qt its state back unchanged: attributes and matrices.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();

    // OSG ends every frame with GL in its default state and assumes it
    // still is; set back the parts that Qt's painter changes in between.
    glEnable(GL_DEPTH_TEST);     // OSG's default state tests depth
    glDepthFunc(GL_LESS);        // and keeps the nearer fragment
    glDepthMask(GL_TRUE);        // and writes depth
    glDisable(GL_BLEND);         // the terrain is opaque
    glDisable(GL_SCISSOR_TEST);  // Qt clips its widgets with the scissor
    glDisable(GL_STENCIL_TEST);  // and with the stencil
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    useNoProgram(*state);        // Qt's shader would replace OSG's fixed-function pipeline
    application.fitDepthRange();
    // Where OSG binds "the window's framebuffer", here it is the widget's.
    application.getGraphicsWindow()->setDefaultFboId(glWidget->defaultFramebufferObject());
    viewer->renderingTraversals();
    keepLastFrame(pixelMapping().physicalSize());

    // Qt's paint engine draws from client memory: no array, buffer object or program may stay
    // in use. Disabling the arrays through OSG keeps its record of them true for the next frame.
    state->lazyDisablingOfVertexAttributes();
    state->applyDisablingOfVertexAttributes();
    state->unbindVertexBufferObject();
    state->unbindElementBufferObject();
    state->unbindPixelBufferObject();
    useNoProgram(*state);

    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();

    // OSG's texture uploads may leave other unpack settings; Qt's glyph uploads assume these.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
}

void SceneView::keepLastFrame(const QSize& size)
{
    if (lastFrame == 0)
        glGenTextures(1, &lastFrame);
    // The binding is part of the attributes renderScene pushed, so OSG finds its own again.
    glBindTexture(GL_TEXTURE_2D, lastFrame);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, 0, 0, size.width(), size.height(), 0);
    lastFrameSize = size;
}

void SceneView::drawLastFrame()
{
    QOpenGLFunctions* functions = QOpenGLContext::currentContext()->functions();
    GLint unit = GL_TEXTURE0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
    functions->glActiveTexture(GL_TEXTURE0);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    for (const GLenum mode : {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW}) {
        glMatrixMode(mode);
        glPushMatrix();
        glLoadIdentity();
    }
    // One textured square over the whole viewport, nothing tested or blended.
    glViewport(0, 0, lastFrameSize.width(), lastFrameSize.height());
    for (const GLenum capability : {GL_DEPTH_TEST, GL_BLEND, GL_SCISSOR_TEST, GL_STENCIL_TEST, GL_LIGHTING,
                                    GL_CULL_FACE, GL_ALPHA_TEST})
        glDisable(capability);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    functions->glUseProgram(0);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, lastFrame);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBegin(GL_TRIANGLE_STRIP);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(-1.0f, -1.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(1.0f, -1.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(1.0f, 1.0f);
    glEnd();
    for (const GLenum mode : {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW}) {
        glMatrixMode(mode);
        glPopMatrix();
    }
    glPopAttrib();
    // Qt's paint engine keeps its own record of the active unit.
    functions->glActiveTexture(GLenum(unit));
}

QImage SceneView::grabViewport()
{
    // The widget's framebuffer keeps the last frame, dialogs included, until the next paint.
    return glWidget->grabFramebuffer();
}

void SceneView::resizeEvent(QResizeEvent* event)
{
    QGraphicsView::resizeEvent(event);
    // Scene and view coordinates coincide, so plugins can use either.
    graphicsScene->setSceneRect(QRectF(QPointF(0.0, 0.0), viewport()->size()));
    const QSize physical = pixelMapping().physicalSize();
    application.resize(physical.width(), physical.height());
    // Dialogs in the right half keep their distance from the right edge as the view grows, as they were
    // lined up there, so the room gained joins the free part of the view instead of opening a gap.
    const int oldWidth = event->oldSize().width();
    const qreal grown = event->size().width() - oldWidth;
    for (QGraphicsWidget* dialog : dialogs()) {
        if (oldWidth > 0 && grown > 0 && dialog->windowFrameGeometry().center().x() > oldWidth / 2.0)
            dialog->setPos(dialog->pos() + QPointF(grown, 0.0));
        keepInView(dialog);
    }
    updateFramingArea();
}

std::vector<QGraphicsWidget*> SceneView::dialogs() const
{
    std::vector<QGraphicsWidget*> result;
    for (QGraphicsItem* item : graphicsScene->items())
        if (!item->parentItem() && item->isWidget() && static_cast<QGraphicsWidget*>(item)->isWindow())
            result.push_back(static_cast<QGraphicsWidget*>(item));
    return result;
}

void SceneView::updateFramingArea()
{
    std::vector<QRectF> covers;
    for (const QGraphicsWidget* dialog : dialogs())
        if (dialog->isVisible())
            covers.push_back(dialog->windowFrameGeometry());
    const QSizeF size = viewport()->size();
    if (size.isEmpty())
        return;
    const QRectF free = largestFreeRect(QRectF(QPointF(), size), covers);
    application.setFramingArea(QRectF(free.x() / size.width(), free.y() / size.height(), free.width() / size.width(),
                                      free.height() / size.height()));
}

bool SceneView::viewportEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::Resize:
    case QEvent::Show:
        requestFrame();
        break;
    default: break;
    }
    return QGraphicsView::viewportEvent(event);
}

QGraphicsProxyWidget* SceneView::addDialog(QWidget* panel, const QString& title)
{
    // A panel that was never shown has no size of its own yet; give it the one its layout wants.
    panel->adjustSize();
    // The size the panel wants to be shown at, before the scroll area makes anything else of it.
    const QSize wanted = panel->size();
    // A panel larger than the view scrolls inside its dialog instead of being cut off.
    auto* scroller = new QScrollArea;
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidgetResizable(true);
    // Tab goes from the panel's last control back to its first, not through a frame without a name.
    scroller->setFocusPolicy(Qt::NoFocus);
    scroller->setWidget(panel);
    // The dialog goes with its panel, as it would without the scroll area.
    connect(panel, &QObject::destroyed, scroller, &QObject::deleteLater);
    auto* proxy = new PanelDialog(scroller, wanted);
    graphicsScene->addItem(proxy);
    proxy->setWindowTitle(title);
    panel->show();
    proxy->resize(fittedDialogSize(proxy));
    // The frame (title bar above, borders around) lies outside the proxy's own rect.
    const QRectF frame = proxy->windowFrameRect();
    // Dialogs line up from the view's right edge leftwards, so none hides another.
    qreal right = viewport()->width() - dialogMargin;
    for (QGraphicsItem* item : graphicsScene->items())
        if (item != proxy && item->isWidget() && static_cast<QGraphicsWidget*>(item)->isWindow())
            right = std::min(right, item->sceneBoundingRect().left() - dialogMargin);
    const qreal left = std::max<qreal>(dialogMargin, right - frame.width());
    proxy->setPos(left - frame.left(), dialogMargin - frame.top());
    // Painting through a cached image gives the panel Qt's raster engine, which
    // draws text cursors with raster operations the OpenGL engine lacks.
    proxy->setCacheMode(QGraphicsItem::DeviceCoordinateCache);
    // Home frames the terrain in what the dialogs leave free, wherever they are then.
    const auto dialogChanged = [this, proxy] {
        keepInView(proxy);
        updateFramingArea();
    };
    connect(proxy, &QGraphicsWidget::geometryChanged, this, dialogChanged);
    connect(proxy, &QGraphicsWidget::visibleChanged, this, dialogChanged);
    connect(proxy, &PanelDialog::rolledUpChanged, this, dialogChanged);
    keepInView(proxy);
    updateFramingArea();
    return proxy;
}

QSizeF SceneView::fittedDialogSize(const QGraphicsWidget* dialog) const
{
    const auto* proxy = qobject_cast<const PanelDialog*>(dialog);
    const auto* scroller = proxy ? qobject_cast<const QScrollArea*>(proxy->widget()) : nullptr;
    if (!scroller)
        return dialog->size();
    // The panel's own size, no more than the view leaves inside the dialog's frame.
    const QSizeF wanted = proxy->panelSize();
    const QRectF frame = dialog->windowFrameRect();
    const QSizeF decoration(frame.width() - dialog->size().width(), frame.height() - dialog->size().height());
    const QSizeF room = QSizeF(viewport()->size()) - decoration;
    QSizeF fitted = wanted.boundedTo(room);
    // A scroll bar takes room of its own beside the panel.
    const qreal bar = scroller->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    if (fitted.height() < wanted.height())
        fitted.setWidth(std::min(wanted.width() + bar, room.width()));
    if (fitted.width() < wanted.width())
        fitted.setHeight(std::min(wanted.height() + bar, room.height()));
    fitted = fitted.expandedTo(QSizeF(64, 64));
    // Rolled up: the title bar alone, as wide as the dialog was.
    return proxy->isRolledUp() ? QSizeF(fitted.width(), 0.0) : fitted;
}

void SceneView::keepInView(QGraphicsWidget* dialog)
{
    // Resizing and moving a dialog come back here through its geometryChanged; once is enough. A proxy
    // may also settle on another size than asked (whole pixels, its widget's least size), which asked
    // again and again would never end.
    if (!dialog->isVisible() || fittingDialog)
        return;
    const QScopedValueRollback<bool> fitting(fittingDialog, true);
    const QSizeF fitted = fittedDialogSize(dialog);
    if (dialog->size() != fitted)
        dialog->resize(fitted);
    const QRectF frame = dialog->windowFrameGeometry();
    const QSizeF view = viewport()->size();
    // Right and bottom edges first, then left and top, so a dialog larger than the view keeps its title bar.
    qreal dx = std::min<qreal>(0.0, view.width() - frame.right());
    qreal dy = std::min<qreal>(0.0, view.height() - frame.bottom());
    dx = std::max(dx, -frame.left());
    dy = std::max(dy, -frame.top());
    if (dx != 0.0 || dy != 0.0)
        dialog->setPos(dialog->pos() + QPointF(dx, dy));
}

bool SceneView::isOverDialog(const QPoint& pos) const
{
    // A dialog that holds the mouse (one being dragged) keeps it over the view too.
    return graphicsScene->mouseGrabberItem() || qtapplication::isOverGuiDialog(this, pos);
}

void SceneView::updateTerrainPointUnderMouse(const QPoint& pos)
{
    const QPointF window = pixelMapping().toGlWindow(pos);
    osg::Vec3d point;
    if (application.intersectTerrain(window.x(), window.y(), point))
        application.setTerrainPointUnderMouse(point);
    else
        application.clearTerrainPointUnderMouse();
}

QPointF SceneView::toEventQueue(const QPointF& pos, Qt::KeyboardModifiers modifiers)
{
    osgGA::GUIEventAdapter* state = application.getGraphicsWindow()->getEventQueue()->getCurrentEventState();
    // The queue's events count y upwards, like GL's window coordinates.
    state->setMouseYOrientation(osgGA::GUIEventAdapter::Y_INCREASING_UPWARDS);
    int keys = 0;
    if (modifiers & Qt::ShiftModifier)
        keys |= osgGA::GUIEventAdapter::MODKEY_SHIFT;
    if (modifiers & Qt::ControlModifier)
        keys |= osgGA::GUIEventAdapter::MODKEY_CTRL;
    if (modifiers & Qt::AltModifier)
        keys |= osgGA::GUIEventAdapter::MODKEY_ALT;
    state->setModKeyMask(keys);
    const QPointF window = pixelMapping().toGlWindow(pos);
    state->setX(float(window.x()));
    state->setY(float(window.y()));
    return window;
}

void SceneView::pressOnView(QMouseEvent* event, bool doubleClick)
{
    const bool overDialog = isOverDialog(event->pos());
    // A dialog's field selects a word on a double-click, as in any Qt window.
    if (doubleClick)
        QGraphicsView::mouseDoubleClickEvent(event);
    else
        QGraphicsView::mousePressEvent(event);
    updateTerrainPointUnderMouse(event->pos());
    for (const PluginManager::Plugin& plugin : plugins.plugins())
        if (plugin.mouse)
            plugin.mouse->handleMouseClick(event, graphicsScene);
    // The keyboard follows the last press: into a dialog, or to the camera.
    keysForCamera = !overDialog;
    dialogButtonHeld = overDialog;
    if (overDialog)
        return;
    setFocus(Qt::MouseFocusReason);
    cameraDrag = true;
    const QPointF p = toEventQueue(eventPosition(event), event->modifiers());
    application.getGraphicsWindow()->getEventQueue()->mouseButtonPress(float(p.x()), float(p.y()),
                                                                       osgButton(event->button()));
}

void SceneView::mousePressEvent(QMouseEvent* event)
{
    pressOnView(event, false);
}

void SceneView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press is still a press for the camera and the plugins.
    pressOnView(event, true);
}

void SceneView::mouseReleaseEvent(QMouseEvent* event)
{
    QGraphicsView::mouseReleaseEvent(event);
    if (event->buttons() == Qt::NoButton)
        dialogButtonHeld = false;
    if (!cameraDrag)
        return;
    if (event->buttons() == Qt::NoButton)
        cameraDrag = false;
    const QPointF p = toEventQueue(eventPosition(event), event->modifiers());
    application.getGraphicsWindow()->getEventQueue()->mouseButtonRelease(float(p.x()), float(p.y()),
                                                                         osgButton(event->button()));
}

void SceneView::mouseMoveEvent(QMouseEvent* event)
{
    QGraphicsView::mouseMoveEvent(event);
    for (const PluginManager::Plugin& plugin : plugins.plugins())
        if (plugin.mouse)
            plugin.mouse->handleMouseMove(event, graphicsScene);
    // A camera drag continues across dialogs; other moves over them are theirs alone.
    if (!cameraDrag && isOverDialog(event->pos()))
        return;
    const QPointF p = toEventQueue(eventPosition(event), event->modifiers());
    application.getGraphicsWindow()->getEventQueue()->mouseMotion(float(p.x()), float(p.y()));
}

void SceneView::wheelEvent(QWheelEvent* event)
{
    if (isOverDialog(event->position().toPoint())) {
        QGraphicsView::wheelEvent(event);
        return;
    }
    const int delta = event->angleDelta().y();
    if (delta == 0)
        return;
    // The camera zooms towards the point under the cursor. OSG's viewer gives a
    // scroll the position of the pointer event before it, so one goes first.
    const QPointF p = toEventQueue(event->position(), event->modifiers());
    application.getGraphicsWindow()->getEventQueue()->mouseMotion(float(p.x()), float(p.y()));
    application.getGraphicsWindow()->getEventQueue()->mouseScroll(delta > 0 ? osgGA::GUIEventAdapter::SCROLL_UP
                                                                            : osgGA::GUIEventAdapter::SCROLL_DOWN);
    event->accept();
}

void SceneView::keyPressEvent(QKeyEvent* event)
{
    requestFrame();
    // Typing into a dialog's fields must not move the camera.
    if (!keysForCamera) {
        QGraphicsView::keyPressEvent(event);
        return;
    }
    if (handleNavigationKey(event->key()))
        event->accept();
    else
        QGraphicsView::keyPressEvent(event);
}

void SceneView::keyReleaseEvent(QKeyEvent* event)
{
    requestFrame();
    QGraphicsView::keyReleaseEvent(event);
}

bool SceneView::handleNavigationKey(int key)
{
    const double step = application.navigationStep();
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_W: application.moveLevel(step, 0.0); return true;
    case Qt::Key_Down:
    case Qt::Key_S: application.moveLevel(-step, 0.0); return true;
    case Qt::Key_Left:
    case Qt::Key_A: application.moveLevel(0.0, -step); return true;
    case Qt::Key_Right:
    case Qt::Key_D: application.moveLevel(0.0, step); return true;
    case Qt::Key_PageUp:
    case Qt::Key_Plus: application.changeHeight(1); return true;
    case Qt::Key_PageDown:
    case Qt::Key_Minus: application.changeHeight(-1); return true;
    case Qt::Key_Home: application.warpToStart(); return true;
    case Qt::Key_N: application.turnToNorth(); return true;
    default: return false;
    }
}

// Entering and leaving are taken here, as events, because Qt 5 and Qt 6 give
// enterEvent different signatures.
bool SceneView::event(QEvent* event)
{
    const bool handled = QGraphicsView::event(event);
    const bool enter = event->type() == QEvent::Enter;
    if (enter || event->type() == QEvent::Leave)
        for (const PluginManager::Plugin& plugin : plugins.plugins())
            if (plugin.mouse)
                enter ? plugin.mouse->handleMouseEnter() : plugin.mouse->handleMouseLeave();
    return handled;
}

} // namespace velmora::viewer
