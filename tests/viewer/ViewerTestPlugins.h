#pragma once

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace velmora::testing {

// A plugin folder for one test: the recording plugin and, when the tree
// builds it, the compass plugin, linked into dir.
struct ViewerTestPlugins
{
    static bool hasCompassPlugin() { return QFileInfo::exists(QStringLiteral(VELMORA_COMPASS_PLUGIN_FILE)); }

    // Fills dir; returns false (with the reason in error) when a link fails.
    static bool populate(const QTemporaryDir& dir, QString& error)
    {
        QStringList files{QStringLiteral(VELMORA_RECORDING_PLUGIN_FILE)};
        if (hasCompassPlugin())
            files << QStringLiteral(VELMORA_COMPASS_PLUGIN_FILE);
        for (const QString& file : files)
            if (!QFile::link(QFileInfo(file).absoluteFilePath(), dir.filePath(QFileInfo(file).fileName()))) {
                error = QStringLiteral("cannot link %1 into %2").arg(file, dir.path());
                return false;
            }
        return true;
    }
};

} // namespace velmora::testing
