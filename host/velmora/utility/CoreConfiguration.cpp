#include "velmora/utility/CoreConfiguration.h"

#include <dlfcn.h>

#include <cstdlib>

namespace velmora::utility {

namespace {

std::string withSeparator(std::string path)
{
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path;
}

std::string& imageOverride()
{
    static std::string path;
    return path;
}

std::string& iconOverride()
{
    static std::string path;
    return path;
}

// <prefix>/share/velmora/ of the tree (<prefix>/lib/velmora) that this
// library was loaded from.
std::string dataPathBesideLibrary()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&dataPathBesideLibrary), &info) == 0 || !info.dli_fname)
        return "share/velmora/";
    const std::string library = info.dli_fname;
    const auto libDir = library.rfind('/');
    const std::string dir = libDir == std::string::npos ? "." : library.substr(0, libDir);
    return dir + "/" VELMORA_DATA_FROM_LIBRARY;
}

} // namespace

std::string CoreConfiguration::getDataPath()
{
    if (const char* env = std::getenv("VELMORA_DATA_DIR"); env && *env)
        return withSeparator(env);
    return dataPathBesideLibrary();
}

const std::string& CoreConfiguration::getImagePath()
{
    static std::string path;
    path = imageOverride().empty() ? getDataPath() + "images/" : imageOverride();
    return path;
}

const std::string& CoreConfiguration::getIconPath()
{
    static std::string path;
    path = iconOverride().empty() ? getDataPath() + "icons/" : iconOverride();
    return path;
}

void CoreConfiguration::setImagePath(const std::string& path)
{
    imageOverride() = withSeparator(path);
}

void CoreConfiguration::setIconPath(const std::string& path)
{
    iconOverride() = withSeparator(path);
}

} // namespace velmora::utility
