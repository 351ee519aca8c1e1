#pragma once

#include "velmora/Export.h"

#include <QIcon>
#include <QString>

#include <vector>

class QTreeWidgetItem;
class QWidget;

namespace velmora::widget::plugin {

class WidgetPluginVisitor;

// Base class of GUI plugins. It owns the panel widget that the derived
// plugin fills and that the host shows as the plugin's dialog, and a tree
// item with the plugin's name and icon for the host's plugin list.
class VELMORA_EXPORT WidgetPlugin
{
public:
    WidgetPlugin(QString name, const QIcon& icon);
    // Deletes the panel widget (and the dialog the host wrapped around it) and the tree item.
    virtual ~WidgetPlugin();

    virtual QWidget* getWidget() const;
    virtual QTreeWidgetItem* getTreeItem() const;
    // Called once by the host after construction, when the plugin is in place.
    virtual void initialize() = 0;
    virtual QString getText();
    virtual void accept(WidgetPluginVisitor& visitor);
    virtual const std::vector<WidgetPlugin*>& getChildWidgets() const;
    // Adds the child plugins' tree items below this plugin's item.
    virtual void addPlugins() const;
    virtual const QIcon& getIcon();

private:
    // Brings the tree item's text and icon in line with the plugin.
    virtual void synchronize();

protected:
    // True when (x, y), in the 3D view's widget coordinates, lies over one of
    // the host's GUI dialogs floating over that view: over any of them when
    // widget is null, else over the dialog holding widget. False when the host
    // has no 3D view.
    virtual bool isMouseWithinGuiDialog(int x, int y, QWidget* widget) const;

    QWidget* panelWidget;
    std::vector<WidgetPlugin*> childWidgets;

private:
    QString name;
    QIcon icon;
    QTreeWidgetItem* treeItem;
};

} // namespace velmora::widget::plugin
