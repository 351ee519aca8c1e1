#include "PluginMetadata.h"

namespace velmora::viewer {

const QString PluginMetadata::widgetPluginIid = QStringLiteral("org.velmora.WidgetPlugin/1.0");

PluginMetadata::PluginMetadata(QJsonObject metaData) : metaData(std::move(metaData)) {}

bool PluginMetadata::isWidgetPlugin() const
{
    return iid() == widgetPluginIid;
}

QString PluginMetadata::iid() const
{
    return metaData.value(QStringLiteral("IID")).toString();
}

QString PluginMetadata::rejectionReason() const
{
    if (isWidgetPlugin())
        return {};
    if (iid().isEmpty())
        return QStringLiteral("not a Qt plugin");
    return QStringLiteral("declares interface \"%1\", not \"%2\"").arg(iid(), widgetPluginIid);
}

} // namespace velmora::viewer
