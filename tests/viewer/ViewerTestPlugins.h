#pragma once

#include <QString>

class QTemporaryDir;

namespace velmora::testing {

// A plugin folder for one test: the recording plugin and, when the tree
// builds it, the compass plugin, linked into dir.
class ViewerTestPlugins
{
public:
    // Fills dir; returns false (with the reason in error) when the recorder is missing.
    static bool populate(const QTemporaryDir& dir, QString& error);
    static bool hasCompassPlugin();
};

} // namespace velmora::testing
