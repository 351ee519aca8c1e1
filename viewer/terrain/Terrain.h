#pragma once

#include "DemRaster.h"

#include <QString>

#include <osg/BoundingBox>
#include <osg/Node>
#include <osg/ref_ptr>

#include <memory>
#include <optional>

namespace velmora::viewer {

struct DemSamples;
class DemHeightField;
class TerrainSurface;

// Rasters larger than this on a side are thinned to keep the mesh light.
constexpr int maxDemVerticesPerSide = 1024;

// A terrain ready for the viewer's scene, in the host's terrain-local frame:
// x east, y north, z up, metres, tangent to WGS84 at the origin below.
struct Terrain
{
    // The lit, coloured mesh (a Geode holding one KdTree-equipped Geometry).
    osg::ref_ptr<osg::Node> node;
    // The georeference, in degrees and metres above the ellipsoid; the same
    // values were given to TerrainManager::instance()->setOrigin().
    double originLatitude = 0.0;
    double originLongitude = 0.0;
    double originHeight = 0.0;
    // One line for people, e.g. "DEM: rainier.tif".
    QString description;
    // The mesh's extent in the terrain-local frame, metres.
    osg::BoundingBox bounds;
    // True for made-up relief, so the UI can say the heights are not real.
    bool synthetic = false;
    // The DEM's own ground, at full resolution; null where the mesh is the
    // ground (the built-in terrain, whose vertices carry its exact heights).
    std::shared_ptr<const TerrainSurface> surface;
};

// The terrain the viewer starts with: about 20 km x 20 km of deterministic
// synthetic relief (heights roughly 500..4300 m, 256 x 256 vertices)
// georeferenced at Mount Rainier, Washington (46.8529 N, 121.7604 W), with
// the origin height at the relief's mean. Sets the TerrainManager's origin.
Terrain makeBuiltInTerrain();

// A user's elevation model in any raster format GDAL reads (GeoTIFF, SRTM
// .hgt, ...), placed with its own georeferencing. Band 1 holds the heights,
// taken as metres above the ellipsoid; rasters larger than maxVerticesPerSide
// on a side are drawn thinned to every n-th pixel, while the terrain's
// surface answers with the DEM's own heights; nodata is filled from the
// neighbours. The origin is the sampled pixel nearest the raster's centre, at
// its elevation, so the mesh passes through (0, 0, 0).
//
// On success sets the TerrainManager's origin. On failure returns
// std::nullopt, leaves the origin alone and puts a readable reason in error
// (see readDemSamples and DemDataset::open).
std::optional<Terrain> loadDemTerrain(const QString& path, QString& error, int maxVerticesPerSide = maxDemVerticesPerSide);

// The work of loadDemTerrain that touches nothing shared, so it may run on
// another thread: reads the samples, builds the mesh in the frame of the
// terrain's own origin and opens the DEM's full-resolution heights. The
// TerrainManager is left alone: the caller hands the result to useOrigin.
std::optional<Terrain> buildDemTerrain(const QString& path, QString& error, const DemProgress& progress = {},
                                       int maxVerticesPerSide = maxDemVerticesPerSide);

// Makes terrain's origin the TerrainManager's, on the thread that owns the scene.
void useOrigin(const Terrain& terrain);

} // namespace velmora::viewer
