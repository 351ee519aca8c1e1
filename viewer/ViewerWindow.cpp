#include "ViewerWindow.h"

#include "PluginManager.h"
#include "SceneView.h"

#include <velmora/widget/plugin/WidgetPlugin.h>

#include <QCoreApplication>
#include <QDockWidget>
#include <QFileDialog>
#include <QGraphicsProxyWidget>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <QWindow>

namespace velmora::viewer {

namespace {
constexpr int pluginListWidth = 180;
}

ViewerWindow::ViewerWindow(ViewerApplication& application, PluginManager& plugins, const QString& terrainDescription,
                           QWidget* parent)
    : QMainWindow(parent), plugins(plugins)
{
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

    terrainText = new QLabel;
    terrainText->setObjectName(QStringLiteral("terrainLabel"));
    statusBar()->addWidget(terrainText);
    setTerrainDescription(terrainDescription);
    createMenus();
}

void ViewerWindow::setTerrainDescription(const QString& description)
{
    setWindowTitle(QStringLiteral("Velmora Viewer \u2014 %1").arg(description));
    terrainText->setText(description);
}

void ViewerWindow::createMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction* open = file->addAction(QStringLiteral("&Open elevation model..."), this, [this] {
        const QString path = QFileDialog::getOpenFileName(
            this, QStringLiteral("Open elevation model"), QString(),
            QStringLiteral("Elevation models (*.tif *.tiff *.hgt *.dem *.asc *.img *.vrt);;All files (*)"));
        if (!path.isEmpty())
            emit elevationModelChosen(path);
    });
    open->setShortcut(QKeySequence::Open);
    file->addSeparator();
    QAction* quit = file->addAction(QStringLiteral("&Quit"), this, &QWidget::close);
    quit->setShortcut(QKeySequence::Quit);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    QAction* controls = help->addAction(QStringLiteral("&Controls"), this, &ViewerWindow::showControls);
    controls->setShortcut(QKeySequence::HelpContents);
    // F1 works wherever the focus is, the 3D view and the dialogs included.
    controls->setShortcutContext(Qt::ApplicationShortcut);
}

QString ViewerWindow::controlsText()
{
    return QStringLiteral(
        "<table cellspacing=4>"
        "<tr><td><b>Left drag</b></td><td>turn about the grabbed point: sideways turns, up and down tilts</td></tr>"
        "<tr><td><b>Middle drag, Shift+left drag</b></td><td>pan: the ground follows the cursor</td></tr>"
        "<tr><td><b>Wheel</b></td><td>zoom towards the point under the cursor</td></tr>"
        "<tr><td><b>Right drag</b></td><td>zoom: up nearer, down farther</td></tr>"
        "<tr><td><b>Arrows, W A S D</b></td><td>move forward, left, back, right at the same height above the "
        "ground</td></tr>"
        "<tr><td><b>Page Up / Page Down, + / -</b></td><td>higher / lower above the ground</td></tr>"
        "<tr><td><b>Home</b></td><td>back to the start view</td></tr>"
        "<tr><td><b>N</b>, a click on a compass</td><td>turn to face north about the centre of the view</td></tr>"
        "<tr><td><b>F1</b></td><td>this list</td></tr>"
        "</table><p>Keys move the camera after a click on the terrain; after a click in a panel they go to "
        "the panel. Tick a plugin in the Plugins list to show its panel.</p>");
}

void ViewerWindow::showControls()
{
    auto* box = findChild<QMessageBox*>(QStringLiteral("controlsBox"));
    if (!box) {
        box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Controls"), controlsText(), QMessageBox::Close,
                              this);
        box->setObjectName(QStringLiteral("controlsBox"));
        box->setModal(false);
    }
    box->show();
    box->raise();
}

ViewerWindow::~ViewerWindow()
{
    // Plugin tree items belong to their plugins; take them out before the tree deletes them.
    disconnect(pluginTree, nullptr, this, nullptr);
    // Dialogs outlive this window's maps: the scene deletes them after this body.
    for (const auto& [plugin, dialog] : pluginDialogs)
        disconnect(dialog, nullptr, this, nullptr);
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

QSize ViewerWindow::viewSizeOnScreen(const QSize& wanted) const
{
    const QScreen* screen = windowHandle() ? windowHandle()->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return wanted;
    // Everything around the view: dock, menu and status bar, and the window manager's frame.
    const QSize around = size() - view->viewport()->size() + (frameGeometry().size() - geometry().size());
    return wanted.boundedTo(screen->availableGeometry().size() - around).expandedTo(view->minimumSize());
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
