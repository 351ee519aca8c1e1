#pragma once

#include <velmora/widget/plugin/WidgetPlugin.h>

#include <QPluginLoader>
#include <QPointer>
#include <QWidget>

namespace velmora::testing {

// The compass plugin as the host gets it: loaded from the build tree through
// QPluginLoader, reached only through QObject and the host's interfaces.
// Construct a TestHost first: the plugin's constructor uses the main window.
class LoadedCompassPlugin
{
public:
    static QString fileName() { return QStringLiteral(VELMORA_PLUGIN_BUILD_DIR "/libvelmora_compass_widget_plugin.so"); }

    LoadedCompassPlugin() : loader(fileName()), plugin(loader.instance()) {}
    // Deletes the plugin object as the host does; the library stays loaded.
    ~LoadedCompassPlugin() { delete plugin.data(); }

    LoadedCompassPlugin(const LoadedCompassPlugin&) = delete;
    LoadedCompassPlugin& operator=(const LoadedCompassPlugin&) = delete;

    QObject* object() const { return plugin.data(); }
    QString errorString() const { return loader.errorString(); }
    widget::plugin::WidgetPlugin* widgetPlugin() const
    {
        return static_cast<widget::plugin::WidgetPlugin*>(plugin->qt_metacast("velmora::widget::plugin::WidgetPlugin"));
    }
    QWidget* panel() const { return widgetPlugin()->getWidget(); }

    // A form widget by its object name; null when there is none of that class.
    template <typename T>
    T* find(const QString& name) const
    {
        return panel()->findChild<T*>(name);
    }

private:
    QPluginLoader loader;
    QPointer<QObject> plugin;
};

} // namespace velmora::testing
