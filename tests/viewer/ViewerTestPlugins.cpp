#include "ViewerTestPlugins.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace velmora::testing {

bool ViewerTestPlugins::hasCompassPlugin()
{
    const QString compass = QStringLiteral(VELMORA_COMPASS_PLUGIN_FILE);
    return !compass.isEmpty() && QFileInfo::exists(compass);
}

bool ViewerTestPlugins::populate(const QTemporaryDir& dir, QString& error)
{
    QStringList files{QStringLiteral(VELMORA_RECORDING_PLUGIN_FILE)};
    if (hasCompassPlugin())
        files << QStringLiteral(VELMORA_COMPASS_PLUGIN_FILE);
    for (const QString& file : files) {
        const QFileInfo info(file);
        if (!QFile::link(info.absoluteFilePath(), dir.filePath(info.fileName()))) {
            error = QStringLiteral("cannot link %1 into %2").arg(file, dir.path());
            return false;
        }
    }
    return true;
}

} // namespace velmora::testing
