#include "velmora/widget/plugin/WidgetPlugin.h"

#include "velmora/qtapplication/GuiDialogs.h"
#include "velmora/qtapplication/QtApplication.h"
#include "velmora/qtapplication/QtApplicationController.h"
#include "velmora/widget/plugin/WidgetPluginVisitor.h"

#include <QPoint>
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
    const qtapplication::QtApplication* app = qtapplication::QtApplicationController::instance()->getQtApplication();
    return app && qtapplication::isOverGuiDialog(app->getGraphicsView(), QPoint(x, y), widget);
}

} // namespace velmora::widget::plugin
