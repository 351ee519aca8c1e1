#pragma once

#include <QString>

#include <memory>
#include <vector>

class QObject;
class QPluginLoader;

namespace velmora::widget::plugin {
class WidgetPlugin;
}
namespace velmora::application::plugin {
class MouseHandlerPlugin;
class FrameUpdatePlugin;
} // namespace velmora::application::plugin

namespace velmora::viewer {

// Loads the plugin libraries, finds the host interfaces each plugin object
// offers and ends them in the order the host needs: objects first (while
// the window and scene they reach into still exist), libraries last (after
// everything that may run plugin code, like scene callbacks, is gone).
class PluginManager
{
public:
    struct Plugin
    {
        QString path;
        QPluginLoader* loader = nullptr;
        QObject* object = nullptr;
        widget::plugin::WidgetPlugin* gui = nullptr;
        application::plugin::MouseHandlerPlugin* mouse = nullptr;
        application::plugin::FrameUpdatePlugin* frame = nullptr;
    };

    PluginManager();
    ~PluginManager();

    PluginManager(const PluginManager&) = delete;
    PluginManager& operator=(const PluginManager&) = delete;

    // The plugin folder of an installed (or build) tree: <exe dir>/../lib/velmora/plugins.
    static QString defaultPluginDir();

    // Loads every library in dir, in file-name order, each once however many
    // names (links, versioned names) reach it. Libraries that are not Velmora
    // GUI plugins, fail to load or offer none of the host interfaces are
    // skipped with one line on stderr each. A missing folder, or one without
    // libraries, loads nothing and says so. Returns the number of plugins added.
    int loadFrom(const QString& dir);
    // Calls initialize once on every GUI plugin that has not had it yet.
    void initializeAll();

    const std::vector<Plugin>& plugins() const { return loaded; }

    // Deletes every plugin object; its panel and tree item go with it.
    void deleteObjects();
    // Unloads the libraries; call after deleteObjects and after the scene is gone.
    void unloadLibraries();

private:
    std::vector<Plugin> loaded;
    std::vector<std::unique_ptr<QPluginLoader>> loaders;
    std::vector<widget::plugin::WidgetPlugin*> initialized;
};

} // namespace velmora::viewer
