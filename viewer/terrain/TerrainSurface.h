#pragma once

#include <osg/Vec3d>

#include <memory>

namespace velmora::viewer {

class DemHeightField;

// The ground of a DEM terrain in the host's terrain-local frame (the
// TerrainManager's current origin): the DEM's own heights at full
// resolution, so every point named on it agrees with the DEM whatever level
// of detail the mesh drawn has.
class TerrainSurface
{
public:
    explicit TerrainSurface(std::shared_ptr<const DemHeightField> heights);

    // Height of point (terrain-local, metres) above the DEM along the
    // ellipsoid's normal, metres, negative below; NaN where the DEM says nothing.
    double heightAbove(const osg::Vec3d& point) const;
    // Moves point along the ellipsoid's normal onto the DEM. False, point
    // unchanged, where the DEM says nothing (off its edge, all nodata).
    bool snap(osg::Vec3d& point) const;
    // The point where the line of sight from eye through meshHit (a hit on
    // the drawn mesh) meets the DEM; where the line cannot be followed to it,
    // meshHit snapped onto the DEM; meshHit itself where the DEM says nothing.
    osg::Vec3d hitOnSurface(const osg::Vec3d& eye, const osg::Vec3d& meshHit) const;

private:
    std::shared_ptr<const DemHeightField> heights;
};

} // namespace velmora::viewer
