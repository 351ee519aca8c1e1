#pragma once

#include <QJsonObject>
#include <QString>

namespace velmora::viewer {

// Decides from a library's Qt plugin metadata (QPluginLoader::metaData)
// whether it is a Velmora GUI plugin, before the library is loaded.
class PluginMetadata
{
public:
    static const QString widgetPluginIid;

    explicit PluginMetadata(QJsonObject metaData);

    // True when the library declares the Velmora GUI plugin interface id.
    bool isWidgetPlugin() const;
    // The declared interface id; empty for a library that is no Qt plugin.
    QString iid() const;
    // Why isWidgetPlugin is false, in one sentence for the user; empty when it is true.
    QString rejectionReason() const;

private:
    QJsonObject metaData;
};

} // namespace velmora::viewer
