#include "Heading.h"

#include <velmora/terrain/TerrainManager.h>

#include <osg/Vec3d>

#include <algorithm>
#include <cmath>

namespace velmora::plugin::compass_widget {

namespace {
constexpr double twoPi = 6.283185307179586;
constexpr double degreesPerRadian = 57.29577951308232;
// Below this, a unit viewing direction counts as vertical: its horizontal
// part is rounding noise, not a direction.
constexpr double negligibleHorizontal = 1e-9;
} // namespace

Heading headingOfView(const osg::Matrixd& view)
{
    osg::Vec3d eye, center, up;
    // With look distance 1, center - eye is the unit viewing direction.
    view.getLookAt(eye, center, up, 1.0);
    const osg::Vec3d direction = center - eye;
    osg::Vec3d horizontal(direction.x(), direction.y(), 0.0);
    if (horizontal.length() < negligibleHorizontal) {
        // Tilting towards level moves the view towards the top of the screen
        // from above and towards its bottom from below.
        horizontal.set(up.x(), up.y(), 0.0);
        if (direction.z() > 0.0)
            horizontal = -horizontal;
    }
    const double length = horizontal.length();
    if (length > 0.0)
        horizontal /= length;

    // Rounding may push the cosine a hair past 1, where acos has no value.
    double angle = std::acos(std::clamp(horizontal.y(), -1.0, 1.0));
    if (horizontal.x() < 0.0)
        angle = twoPi - angle;
    // A west component of pure noise on a north heading would give 2*pi, which is north again.
    if (angle >= twoPi)
        angle = 0.0;
    if (!std::isfinite(angle))
        return {};
    return {angle, angle * degreesPerRadian};
}

Heading trueHeadingOfView(const osg::Matrixd& view)
{
    osg::Vec3d eye, center, up;
    view.getLookAt(eye, center, up, 1.0);
    const osg::ref_ptr<terrain::TerrainManager> terrain = terrain::TerrainManager::instance();
    const auto atEye = [&](const osg::Vec3d& direction) {
        gmtl::Vec3d enu;
        terrain->convertTerrainLocalDirectionToEnu({eye.x(), eye.y(), eye.z()},
                                                   {direction.x(), direction.y(), direction.z()}, enu);
        return osg::Vec3d(enu[0], enu[1], enu[2]);
    };
    // The same camera at the origin of the frame at its eye, where the scene's +y is true north.
    return headingOfView(osg::Matrixd::lookAt(osg::Vec3d(), atEye(center - eye), atEye(up)));
}

double roundedHeading(double degrees, int decimals)
{
    if (!std::isfinite(degrees))
        return degrees;
    const double scale = std::pow(10.0, std::clamp(decimals, 0, 9));
    const double rounded = std::round(degrees * scale) / scale;
    // Adding 0.0 turns -0 into 0, which prints without a sign.
    return (rounded >= 360.0 ? rounded - 360.0 : rounded) + 0.0;
}

} // namespace velmora::plugin::compass_widget
