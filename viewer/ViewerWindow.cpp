#include "ViewerWindow.h"

#include "PluginManager.h"
#include "SceneView.h"

#include <velmora/widget/plugin/WidgetPlugin.h>

#include <QCoreApplication>
#include <QDockWidget>
#include <QGraphicsProxyWidget>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QStatusBar>
#include <QTreeWidget>
#include <QTreeWidgetItem>

namespace velmora::viewer {

namespace {
constexpr int pluginListWidth = 180;
}

ViewerWindow::ViewerWindow(ViewerApplication& application, PluginManager& plugins, const QString& terrainDescription,
                           QWidget* parent)
    : QMainWindow(parent), plugins(plugins)
{
    setWindowTitle(QStringLiteral("Velmora Viewer \u2014 %1").arg(terrainDescription));
    view = new SceneView(application, plugins, this);
    setCentralWidget(view);

    pluginTree = new QTreeWidget;
    pluginTree->setHeaderHidden(true);
    pluginTree->setRootIsDecorated(false);
    pluginTree->setMinimumWidth(pluginListWidth);
    auto* dock = new QDockWidget(QStringLiteral("Plugins"), this);
    dock->setObjectName(QStringLiteral("pluginDock"));
    dock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    dock->setWidget(pluginTree);
    addDockWidget(Qt::LeftDockWidgetArea, dock);
    connect(pluginTree, &QTreeWidget::itemChanged, this, &ViewerWindow::pluginItemChanged);

    terrainText = new QLabel(terrainDescription);
    terrainText->setObjectName(QStringLiteral("terrainLabel"));
    statusBar()->addWidget(terrainText);
}

ViewerWindow::~ViewerWindow()
{
    // Plugin tree items belong to their plugins; take them out before the tree deletes them.
    disconnect(pluginTree, nullptr, this, nullptr);
    while (pluginTree->topLevelItemCount() > 0)
        pluginTree->takeTopLevelItem(0);
}

void ViewerWindow::fitViewTo(const QSize& size)
{
    // The frame around the view (dock, status bar) is only known once laid
    // out, so grow the window by whatever the view still lacks.
    for (int attempt = 0; attempt < 3; ++attempt) {
        QCoreApplication::sendPostedEvents();
        const QSize missing = size - view->viewport()->size();
        if (missing.isNull())
            return;
        resize(this->size() + missing);
    }
}

void ViewerWindow::addPluginPanels()
{
    for (const PluginManager::Plugin& plugin : plugins.plugins()) {
        if (!plugin.gui || pluginDialogs.count(plugin.gui) > 0)
            continue;
        QGraphicsProxyWidget* dialog = view->addDialog(plugin.gui->getWidget(), plugin.gui->getText());
        pluginDialogs[plugin.gui] = dialog;

        QTreeWidgetItem* item = plugin.gui->getTreeItem();
        const QSignalBlocker blocker(pluginTree);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Checked);
        pluginTree->addTopLevelItem(item);
        dialogs[item] = dialog;
        // Closing the dialog from its title bar unticks it in the list.
        connect(dialog, &QGraphicsWidget::visibleChanged, this, [this, item, dialog] {
            const QSignalBlocker block(pluginTree);
            item->setCheckState(0, dialog->isVisible() ? Qt::Checked : Qt::Unchecked);
        });
        connect(dialog, &QObject::destroyed, this, [this, item, plugin = plugin.gui] {
            dialogs.erase(item);
            pluginDialogs.erase(plugin);
        });
    }
}

QGraphicsProxyWidget* ViewerWindow::dialogOf(widget::plugin::WidgetPlugin* plugin) const
{
    const auto it = pluginDialogs.find(plugin);
    return it == pluginDialogs.end() ? nullptr : it->second;
}

void ViewerWindow::pluginItemChanged(QTreeWidgetItem* item, int column)
{
    const auto it = dialogs.find(item);
    if (column != 0 || it == dialogs.end())
        return;
    it->second->setVisible(item->checkState(0) == Qt::Checked);
}

QImage ViewerWindow::screenshot()
{
    // grab() does not see what OpenGL drew, so the view is read back from
    // its framebuffer and painted over its place in the window.
    QImage image = grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage viewImage = view->grabViewport();
    if (!viewImage.isNull()) {
        QPainter painter(&image);
        const QPoint topLeft = view->viewport()->mapTo(this, QPoint(0, 0));
        painter.drawImage(QRect(topLeft, view->viewport()->size()), viewImage);
    }
    return image;
}

} // namespace velmora::viewer
