#include "velmora/widget/plugin/WidgetPlugin.h"

#include "velmora/qtapplication/QtApplication.h"
#include "velmora/qtapplication/QtApplicationController.h"
#include "velmora/widget/plugin/WidgetPluginVisitor.h"

#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QGraphicsWidget>
#include <QTreeWidgetItem>
#include <QWidget>

namespace velmora::widget::plugin {

WidgetPluginVisitor::~WidgetPluginVisitor() = default;

WidgetPlugin::WidgetPlugin(QString name, const QIcon& icon)
    : panelWidget(new QWidget), name(std::move(name)), icon(icon), treeItem(new QTreeWidgetItem)
{
    synchronize();
}

WidgetPlugin::~WidgetPlugin()
{
    // A graphics proxy that shows the panel as a dialog goes with it.
    delete panelWidget;
    delete treeItem;
}

QWidget* WidgetPlugin::getWidget() const
{
    return panelWidget;
}

QTreeWidgetItem* WidgetPlugin::getTreeItem() const
{
    return treeItem;
}

QString WidgetPlugin::getText()
{
    return name;
}

void WidgetPlugin::accept(WidgetPluginVisitor& visitor)
{
    visitor.visit(*this);
    for (WidgetPlugin* child : childWidgets)
        child->accept(visitor);
}

const std::vector<WidgetPlugin*>& WidgetPlugin::getChildWidgets() const
{
    return childWidgets;
}

void WidgetPlugin::addPlugins() const
{
    for (WidgetPlugin* child : childWidgets)
        if (child->getTreeItem()->parent() != treeItem)
            treeItem->addChild(child->getTreeItem());
}

const QIcon& WidgetPlugin::getIcon()
{
    return icon;
}

void WidgetPlugin::synchronize()
{
    treeItem->setText(0, name);
    treeItem->setIcon(0, icon);
}

bool WidgetPlugin::isMouseWithinGuiDialog(int x, int y, QWidget* widget) const
{
    auto* controller = qtapplication::QtApplicationController::instance();
    QGraphicsView* view = controller->getQtApplication() ? controller->getQtApplication()->getGraphicsView() : nullptr;
    if (!view || !view->scene())
        return false;

    // Dialogs float over the 3D view as window items of its graphics scene;
    // their frame (title bar included) counts as part of them.
    const QPointF scenePos = view->mapToScene(QPoint(x, y));
    const QGraphicsProxyWidget* wanted = widget ? widget->window()->graphicsProxyWidget() : nullptr;
    if (widget && !wanted)
        return false;
    for (QGraphicsItem* item : view->scene()->items()) {
        if (item->parentItem() || !item->isVisible() || !item->isWidget())
            continue;
        auto* dialog = static_cast<QGraphicsWidget*>(item);
        if (dialog->isWindow() && (!wanted || dialog == wanted) && dialog->windowFrameGeometry().contains(scenePos))
            return true;
    }
    return false;
}

} // namespace velmora::widget::plugin
