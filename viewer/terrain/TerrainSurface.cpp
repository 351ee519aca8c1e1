#include "TerrainSurface.h"

#include "DemHeightField.h"
#include "RayRefinement.h"

#include <velmora/terrain/TerrainManager.h>

#include <cmath>
#include <limits>

namespace velmora::viewer {

TerrainSurface::TerrainSurface(std::shared_ptr<const DemHeightField> heights) : heights(std::move(heights)) {}

double TerrainSurface::heightAbove(const osg::Vec3d& point) const
{
    gmtl::Vec<double, 3> lonLatHeight;
    terrain::TerrainManager::instance()->convertTerrainLocalToGdc(gmtl::Vec<double, 3>(point.x(), point.y(), point.z()),
                                                                  lonLatHeight);
    return lonLatHeight[2] - heights->heightAt(lonLatHeight[1], lonLatHeight[0]);
}

bool TerrainSurface::snap(osg::Vec3d& point) const
{
    const osg::ref_ptr<terrain::TerrainManager> manager = terrain::TerrainManager::instance();
    gmtl::Vec<double, 3> lonLatHeight;
    manager->convertTerrainLocalToGdc(gmtl::Vec<double, 3>(point.x(), point.y(), point.z()), lonLatHeight);
    const double ground = heights->heightAt(lonLatHeight[1], lonLatHeight[0]);
    if (std::isnan(ground))
        return false;
    gmtl::Vec<double, 3> local;
    manager->convertGdcToTerrainLocal(gmtl::Vec<double, 3>(lonLatHeight[1], lonLatHeight[0], ground), local);
    point.set(local[0], local[1], local[2]);
    return true;
}

osg::Vec3d TerrainSurface::hitOnSurface(const osg::Vec3d& eye, const osg::Vec3d& meshHit) const
{
    // Steps of half a pixel rarely step over a ridge the DEM resolves.
    const std::optional<osg::Vec3d> refined = refineRayHit(
        eye, meshHit, 0.5 * heights->pixelSize(), [this](const osg::Vec3d& p) { return heightAbove(p); });
    if (refined)
        return *refined;
    osg::Vec3d snapped = meshHit;
    snap(snapped);
    return snapped;
}

} // namespace velmora::viewer
