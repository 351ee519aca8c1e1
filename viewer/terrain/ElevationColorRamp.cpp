#include "ElevationColorRamp.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace velmora::viewer {

namespace {

struct Stop
{
    double position; // fraction of the range, 0 = lowest
    osg::Vec4 color;
};

// Stops chosen so that most of the range stays in vegetation and earth
// tones and only the top fifth turns to snow, as on a physical map.
const std::array<Stop, 7> stops{{
    {0.00, osg::Vec4(0.20f, 0.45f, 0.18f, 1.0f)}, // lowland green
    {0.25, osg::Vec4(0.45f, 0.60f, 0.25f, 1.0f)}, // upland green
    {0.50, osg::Vec4(0.55f, 0.42f, 0.25f, 1.0f)}, // brown
    {0.72, osg::Vec4(0.50f, 0.48f, 0.46f, 1.0f)}, // grey rock
    {0.82, osg::Vec4(0.72f, 0.72f, 0.73f, 1.0f)}, // light rock
    {0.90, osg::Vec4(0.97f, 0.97f, 0.98f, 1.0f)}, // snow line
    {1.00, osg::Vec4(1.00f, 1.00f, 1.00f, 1.0f)}, // snow
}};

} // namespace

ElevationColorRamp::ElevationColorRamp(double lowest, double highest) : low(lowest), high(highest) {}

osg::Vec4 ElevationColorRamp::colorAt(double elevation) const
{
    if (!(high > low)) {
        return stops.front().color;
    }
    const double t = std::clamp((elevation - low) / (high - low), 0.0, 1.0);
    for (std::size_t i = 1; i < stops.size(); ++i) {
        if (t <= stops[i].position) {
            const Stop& a = stops[i - 1];
            const Stop& b = stops[i];
            const auto f = static_cast<float>((t - a.position) / (b.position - a.position));
            return a.color * (1.0f - f) + b.color * f;
        }
    }
    return stops.back().color;
}

} // namespace velmora::viewer
