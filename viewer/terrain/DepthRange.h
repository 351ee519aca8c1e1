#pragma once

namespace velmora::viewer {

// The near and far clipping distances of a perspective camera, metres.
struct DepthRange
{
    double zNear = 1.0;
    double zFar = 1.0e6;
};

// The depth range that shows everything a camera over the terrain can see:
// far enough for the farthest point of the terrain and for the earth's
// horizon, near enough that the ground under the eye is never clipped, and
// no nearer than needed, so the depth buffer keeps close terrain apart.
//
// aboveGround: the eye's height above the terrain below it (metres, >= 0);
// aboveEllipsoid: the eye's height above the WGS84 ellipsoid (metres);
// farthestTerrain: the distance from the eye to the terrain's farthest
// point (metres). Input that is NaN or negative counts as 0; the result is
// always finite with 0 < zNear < zFar.
DepthRange depthRangeFor(double aboveGround, double aboveEllipsoid, double farthestTerrain);

} // namespace velmora::viewer
