#pragma once

#include <array>

namespace velmora::plugin::compass_widget {

// The coordinate system the status-bar text is written in. The values are
// stored as item data in the status-bar combo box, so the formatting depends
// on the value and never on the entry's position.
enum class CoordinateSystem
{
    GdcDegrees = 0,
    GdcDms = 1,
    Utm = 2,
    Mgrs = 3,
    Gcc = 4,
    TerrainLocal = 5
};

// One entry of the status-bar choice: the text shown and the system it selects.
struct CoordinateSystemChoice
{
    const char* text;
    CoordinateSystem system;
};

// The entries of the status-bar choice in the order the user sees them; the
// first is current after construction.
inline constexpr std::array<CoordinateSystemChoice, 6> coordinateSystemChoices{{
    {"GDC degrees", CoordinateSystem::GdcDegrees},
    {"GDC deg:min:sec", CoordinateSystem::GdcDms},
    {"GCC", CoordinateSystem::Gcc},
    {"UTM", CoordinateSystem::Utm},
    {"MGRS", CoordinateSystem::Mgrs},
    {"Terrain Local", CoordinateSystem::TerrainLocal},
}};

} // namespace velmora::plugin::compass_widget
