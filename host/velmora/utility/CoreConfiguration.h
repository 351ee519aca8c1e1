#pragma once

#include "velmora/Export.h"

#include <string>

namespace velmora::utility {

// Where the host keeps its images and icons. Both directories end with a
// path separator, so a file name can be appended directly.
//
// By default they are <prefix>/share/velmora/images/ and .../icons/, where
// the host libraries are in <prefix>/lib/velmora; the build tree is laid out
// like an installed tree, so this holds in both. The
// environment variable VELMORA_DATA_DIR, when set, replaces
// <prefix>/share/velmora.
class VELMORA_EXPORT CoreConfiguration
{
public:
    static const std::string& getImagePath();
    static const std::string& getIconPath();

    // Overrides (a missing trailing separator is added). An empty path
    // restores the default.
    static void setImagePath(const std::string& path);
    static void setIconPath(const std::string& path);

    // The data directory (ends with a separator) that the defaults derive from.
    static std::string getDataPath();
};

} // namespace velmora::utility
