#include "DepthRange.h"

#include <GeographicLib/Constants.hpp>

#include <algorithm>
#include <cmath>

namespace velmora::viewer {

namespace {
// The nearest terrain is rarely closer than a quarter of the eye's height
// above the ground below it: only a cliff steeper than 75 degrees beside the eye.
constexpr double nearPerHeight = 0.25;
constexpr double closestNear = 0.5;    // metres
constexpr double farMargin = 1.1;      // beyond the farthest thing, for the curvature between samples
// At this ratio a 24-bit depth buffer keeps surfaces a few metres apart ten
// kilometres away; a larger far plane pushes the near plane out instead.
constexpr double largestRatio = 1.0e6;

double nonNegative(double value)
{
    return std::isfinite(value) && value > 0.0 ? value : 0.0;
}
} // namespace

DepthRange depthRangeFor(double aboveGround, double aboveEllipsoid, double farthestTerrain)
{
    const double radius = GeographicLib::Constants::WGS84_a();
    const double height = nonNegative(aboveEllipsoid);
    // The tangent line from the eye to a sphere of the equatorial radius, the largest the ellipsoid has.
    const double horizon = std::sqrt(height * (2.0 * radius + height));
    DepthRange range;
    range.zFar = farMargin * std::max({nonNegative(farthestTerrain), horizon, 1000.0});
    range.zNear = std::max({nearPerHeight * nonNegative(aboveGround), closestNear, range.zFar / largestRatio});
    range.zNear = std::min(range.zNear, 0.5 * range.zFar);
    return range;
}

} // namespace velmora::viewer
