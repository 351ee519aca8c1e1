#pragma once

#include <QImage>
#include <QMainWindow>

#include <map>

class QDockWidget;
class QGraphicsProxyWidget;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace velmora::widget::plugin {
class WidgetPlugin;
}

namespace velmora::viewer {

class PluginManager;
class SceneView;
class ViewerApplication;

// The main window: the 3D view in the middle, a dock listing the plugins
// with a check each to show or hide its dialog (the list itself is shown or
// hidden from the View menu), a status bar that says which terrain is shown
// (plugins add their own status widgets to it), a File menu to open an
// elevation model and a Help menu with the controls and About.
class ViewerWindow : public QMainWindow
{
    Q_OBJECT

public:
    // terrainDescription: shown in the title and, permanently, in the status bar.
    ViewerWindow(ViewerApplication& application, PluginManager& plugins, const QString& terrainDescription,
                 QWidget* parent = nullptr);
    ~ViewerWindow() override;

    SceneView* sceneView() const { return view; }
    QTreeWidget* pluginList() const { return pluginTree; }
    QLabel* terrainLabel() const { return terrainText; }
    // Names the shown terrain in the title and the status bar.
    void setTerrainDescription(const QString& description);

    // Sizes the shown window so that the 3D view gets size (logical pixels);
    // the user may resize it freely afterwards.
    void fitViewTo(const QSize& size);
    // The largest view size up to wanted that leaves the whole window,
    // dock and bars included, on the screen the window is on.
    QSize viewSizeOnScreen(const QSize& wanted) const;

    // Puts every GUI plugin into the list, which takes the width of its
    // entries, and floats its panel over the 3D view.
    void addPluginPanels();
    // The dialog that shows plugin's panel, or null.
    QGraphicsProxyWidget* dialogOf(widget::plugin::WidgetPlugin* plugin) const;

    // The whole window as drawn, the OpenGL view with its dialogs included.
    QImage screenshot();

    // The mouse and keyboard controls of the 3D view, as shown by Help > Controls.
    static QString controlsText();

signals:
    // The user chose an elevation model file to show instead of the terrain.
    void elevationModelChosen(const QString& path);

private:
    void pluginItemChanged(QTreeWidgetItem* item, int column);
    void createMenus();
    void fitPluginList();
    void showControls();
    // Shows the modeless message box called name, made with title and text the first time.
    void showTextBox(const QString& name, const QString& title, const QString& text);

    PluginManager& plugins;
    SceneView* view = nullptr;
    QTreeWidget* pluginTree = nullptr;
    QDockWidget* pluginDock = nullptr;
    QLabel* terrainText = nullptr;
    std::map<QTreeWidgetItem*, QGraphicsProxyWidget*> dialogs;
    std::map<widget::plugin::WidgetPlugin*, QGraphicsProxyWidget*> pluginDialogs;
};

} // namespace velmora::viewer
