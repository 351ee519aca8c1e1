#include "velmora/qtapplication/GuiDialogs.h"

#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QGraphicsWidget>
#include <QWidget>

namespace velmora::qtapplication {

bool isOverGuiDialog(const QGraphicsView* view, const QPoint& pos, const QWidget* dialogContent)
{
    if (!view || !view->scene())
        return false;
    const QGraphicsProxyWidget* wanted = dialogContent ? dialogContent->window()->graphicsProxyWidget() : nullptr;
    if (dialogContent && !wanted)
        return false;
    const QPointF scenePos = view->mapToScene(pos);
    for (QGraphicsItem* item : view->scene()->items()) {
        if (item->parentItem() || !item->isVisible() || !item->isWidget())
            continue;
        // A window's frame lies outside its item's shape, so items() at the
        // point would miss a press on a title bar.
        auto* dialog = static_cast<QGraphicsWidget*>(item);
        if (dialog->isWindow() && (!wanted || dialog == wanted) && dialog->windowFrameGeometry().contains(scenePos))
            return true;
    }
    return false;
}

} // namespace velmora::qtapplication
