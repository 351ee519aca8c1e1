#pragma once

#include <osg/Vec3d>

#include <functional>
#include <optional>

namespace velmora::viewer {

// Signed height of a point above a surface, metres (negative below it); NaN
// where the surface is unknown.
using HeightAbove = std::function<double(const osg::Vec3d& point)>;

// Where the line of sight from eye through meshHit meets the surface that
// heightAbove describes, when the mesh drawn only approximates it: walks
// along the line from meshHit in steps of step metres (towards the eye while
// meshHit lies below the surface, away from it while above), at most
// maxSteps, then bisects the step that crosses the surface down to a
// millimetre. Returns std::nullopt when no crossing lies within reach, the
// surface is unknown on the way, step is not positive or eye and meshHit
// coincide.
std::optional<osg::Vec3d> refineRayHit(const osg::Vec3d& eye, const osg::Vec3d& meshHit, double step,
                                       const HeightAbove& heightAbove, int maxSteps = 512);

} // namespace velmora::viewer
