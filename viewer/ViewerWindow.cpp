#include "ViewerWindow.h"

#include "AboutText.h"
#include "PluginManager.h"
#include "SceneView.h"
#include "StatusBarFit.h"

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
#include <QStyle>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <QWindow>

namespace velmora::viewer {

ViewerWindow::ViewerWindow(ViewerApplication& application, PluginManager& plugins, const QString& terrainDescription,
                           QWidget* parent)
    : QMainWindow(parent), plugins(plugins)
{
    view = new SceneView(application, plugins, this);
    setCentralWidget(view);

    pluginTree = new QTreeWidget;
    pluginTree->setHeaderHidden(true);
    pluginTree->setRootIsDecorated(false);
    // The list is as wide as its entries (fitPluginList): the one column fills it, with nothing to scroll to.
    pluginTree->header()->setMinimumSectionSize(0);
    pluginTree->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    pluginDock = new QDockWidget(QStringLiteral("Plugins"), this);
    pluginDock->setObjectName(QStringLiteral("pluginDock"));
    // View > Plugins brings a closed list back.
    pluginDock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable |
                            QDockWidget::DockWidgetClosable);
    pluginDock->setWidget(pluginTree);
    addDockWidget(Qt::LeftDockWidgetArea, pluginDock);
    connect(pluginTree, &QTreeWidget::itemChanged, this, &ViewerWindow::pluginItemChanged);

    terrainText = new QLabel;
    terrainText->setObjectName(QStringLiteral("terrainLabel"));
    // The name takes whatever room the plugins' readouts at the right leave.
    statusBar()->addWidget(terrainText, 1);
    new StatusBarFit(statusBar(), terrainText);
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

    QMenu* viewMenu = menuBar()->addMenu(QStringLiteral("&View"));
    QAction* showList = pluginDock->toggleViewAction();
    showList->setText(QStringLiteral("&Plugins list"));
    viewMenu->addAction(showList);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    QAction* controls = help->addAction(QStringLiteral("&Controls"), this, &ViewerWindow::showControls);
    controls->setShortcut(QKeySequence::HelpContents);
    // F1 works wherever the focus is, the 3D view and the dialogs included.
    controls->setShortcutContext(Qt::ApplicationShortcut);
    help->addAction(QStringLiteral("&About Velmora Viewer"), this, [this] {
        showTextBox(QStringLiteral("aboutBox"), QStringLiteral("About Velmora Viewer"), aboutText());
    });
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
    showTextBox(QStringLiteral("controlsBox"), QStringLiteral("Controls"), controlsText());
}

void ViewerWindow::showTextBox(const QString& name, const QString& title, const QString& text)
{
    // One box of each kind, left open beside the view while the user works.
    auto* box = findChild<QMessageBox*>(name);
    if (!box) {
        box = new QMessageBox(QMessageBox::NoIcon, title, text, QMessageBox::Close, this);
        box->setObjectName(name);
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
    fitPluginList();
}

void ViewerWindow::fitPluginList()
{
    // The list is as wide as its widest entry, ticks and icons included, and
    // leaves the rest of the window to the 3D view; the dock's frame and title
    // bar set its least width.
    const QAbstractItemView* list = pluginTree; // QTreeView hides the public sizeHintForColumn
    const int entries = list->sizeHintForColumn(0) + 2 * pluginTree->frameWidth();
    const int aroundList = pluginDock->width() - pluginTree->width();
    // The title and its float and close buttons stay whole too.
    const int buttons = 2 * (style()->pixelMetric(QStyle::PM_SmallIconSize) +
                             2 * style()->pixelMetric(QStyle::PM_DockWidgetTitleBarButtonMargin));
    const int title = pluginDock->fontMetrics().horizontalAdvance(pluginDock->windowTitle()) + buttons +
                      4 * style()->pixelMetric(QStyle::PM_DockWidgetTitleMargin);
    resizeDocks({pluginDock}, {std::max(entries + aroundList, title)}, Qt::Horizontal);
    // Laid out now, so the room the view gains is known when the window is fitted to the screen.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
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
