#include "RayRefinement.h"

#include <cmath>

namespace velmora::viewer {

namespace {
constexpr double closeEnough = 1e-3; // metres
}

std::optional<osg::Vec3d> refineRayHit(const osg::Vec3d& eye, const osg::Vec3d& meshHit, double step,
                                       const HeightAbove& heightAbove, int maxSteps)
{
    osg::Vec3d direction = meshHit - eye;
    const double meshDistance = direction.normalize();
    if (!(step > 0.0) || !(meshDistance > 0.0))
        return std::nullopt;
    const auto at = [&](double t) { return eye + direction * t; };
    const double meshHeight = heightAbove(meshHit);
    if (std::isnan(meshHeight))
        return std::nullopt;
    if (std::abs(meshHeight) < closeEnough)
        return meshHit;
    // Bracket the crossing between a distance above the surface and one below it.
    const bool walkAway = meshHeight > 0.0;
    double above = meshDistance;
    double below = meshDistance;
    for (int k = 1;; ++k) {
        // Towards the eye the walk ends at it: the eye is above the ground.
        const double t = walkAway ? meshDistance + k * step : std::max(meshDistance - k * step, 0.0);
        const double height = heightAbove(at(t));
        if (k > maxSteps || std::isnan(height) || (!walkAway && height <= 0.0 && t <= 0.0))
            return std::nullopt;
        (height > 0.0 ? above : below) = t;
        if ((height > 0.0) != walkAway)
            break;
    }
    for (int k = 0; k < 64 && std::abs(below - above) > closeEnough; ++k) {
        const double middle = 0.5 * (above + below);
        const double height = heightAbove(at(middle));
        if (std::isnan(height))
            return std::nullopt;
        (height > 0.0 ? above : below) = middle;
    }
    return at(0.5 * (above + below));
}

} // namespace velmora::viewer
