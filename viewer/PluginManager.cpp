#include "PluginManager.h"

#include "PluginMetadata.h"

#include <velmora/application/plugin/FrameUpdatePlugin.h>
#include <velmora/application/plugin/MouseHandlerPlugin.h>
#include <velmora/widget/plugin/WidgetPlugin.h>

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QPluginLoader>

#include <algorithm>
#include <cstdio>

namespace velmora::viewer {

namespace {
void warn(const QString& text)
{
    std::fprintf(stderr, "velmora_viewer: %s\n", qPrintable(text));
}
} // namespace

PluginManager::PluginManager() = default;

PluginManager::~PluginManager()
{
    deleteObjects();
    unloadLibraries();
}

QString PluginManager::defaultPluginDir()
{
    return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../lib/velmora/plugins"));
}

int PluginManager::loadFrom(const QString& dir)
{
    const QDir folder(dir);
    if (!folder.exists()) {
        warn(QStringLiteral("plugin folder %1 does not exist; no plugins loaded").arg(QDir::toNativeSeparators(dir)));
        return 0;
    }

    int added = 0;
    int libraries = 0;
    for (const QFileInfo& file : folder.entryInfoList(QDir::Files, QDir::Name)) {
        if (!QLibrary::isLibrary(file.fileName()))
            continue;
        ++libraries;
        // Links and versioned names reach one library, which holds one plugin object: load it once.
        const QString path = file.canonicalFilePath();
        if (std::any_of(loaded.begin(), loaded.end(), [&path](const Plugin& plugin) { return plugin.path == path; }))
            continue;
        auto loader = std::make_unique<QPluginLoader>(path);
        const PluginMetadata metadata(loader->metaData());
        if (!metadata.isWidgetPlugin()) {
            warn(QStringLiteral("skipping %1: %2").arg(file.fileName(), metadata.rejectionReason()));
            continue;
        }
        QObject* object = loader->instance();
        if (!object) {
            warn(QStringLiteral("skipping %1: %2").arg(file.fileName(), loader->errorString()));
            continue;
        }

        Plugin plugin;
        plugin.path = path;
        plugin.loader = loader.get();
        plugin.object = object;
        // The plugin's interfaces are found by name, so the viewer needs none of its headers.
        plugin.gui = static_cast<widget::plugin::WidgetPlugin*>(
            object->qt_metacast("velmora::widget::plugin::WidgetPlugin"));
        plugin.mouse = static_cast<application::plugin::MouseHandlerPlugin*>(
            object->qt_metacast("velmora::application::plugin::MouseHandlerPlugin"));
        plugin.frame = static_cast<application::plugin::FrameUpdatePlugin*>(
            object->qt_metacast("velmora::application::plugin::FrameUpdatePlugin"));
        if (!plugin.gui && !plugin.mouse && !plugin.frame) {
            warn(QStringLiteral("skipping %1: offers none of the host interfaces").arg(file.fileName()));
            delete object;
            loader->unload();
            continue;
        }
        loaded.push_back(plugin);
        loaders.push_back(std::move(loader));
        ++added;
    }
    if (libraries == 0)
        warn(QStringLiteral("no plugin libraries in %1").arg(QDir::toNativeSeparators(dir)));
    return added;
}

void PluginManager::initializeAll()
{
    for (const Plugin& plugin : loaded) {
        if (!plugin.gui || std::find(initialized.begin(), initialized.end(), plugin.gui) != initialized.end())
            continue;
        initialized.push_back(plugin.gui);
        plugin.gui->initialize();
    }
}

void PluginManager::deleteObjects()
{
    // Newest first, so a plugin never outlives one loaded before it that it may know of.
    for (auto it = loaded.rbegin(); it != loaded.rend(); ++it)
        delete it->object;
    loaded.clear();
    initialized.clear();
}

void PluginManager::unloadLibraries()
{
    for (auto it = loaders.rbegin(); it != loaders.rend(); ++it)
        (*it)->unload();
    loaders.clear();
}

} // namespace velmora::viewer
