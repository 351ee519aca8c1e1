#include "Terrain.h"

#include "DemHeightField.h"
#include "DemRaster.h"
#include "DemTileReader.h"
#include "ElevationColorRamp.h"
#include "SyntheticRelief.h"
#include "TerrainMesh.h"
#include "TerrainSurface.h"

#include <velmora/terrain/TerrainManager.h>

#include <GeographicLib/Geocentric.hpp>
#include <GeographicLib/LocalCartesian.hpp>

#include <QFileInfo>

#include <osg/Geode>

#include <algorithm>
#include <cstddef>
#include <numeric>

namespace velmora::viewer {

namespace {

constexpr double rainierLatitude = 46.8529;   // degrees
constexpr double rainierLongitude = -121.7604; // degrees
constexpr double builtInSize = 20000.0;       // metres, side of the square
constexpr int builtInVertices = 256;          // per side
constexpr unsigned builtInSeed = 1;

// Finishes a terrain from its grid: mesh, colours spanning the grid's own
// elevation range, and bounds.
Terrain makeTerrain(const TerrainGrid& grid)
{
    const auto [lowest, highest] = std::minmax_element(grid.elevations.begin(), grid.elevations.end());
    const ElevationColorRamp ramp(*lowest, *highest);
    Terrain terrain;
    terrain.node = buildTerrainMesh(grid, ramp);
    for (const osg::Vec3& p : grid.positions) {
        terrain.bounds.expandBy(p);
    }
    return terrain;
}

} // namespace

Terrain makeBuiltInTerrain()
{
    const SyntheticRelief relief(builtInSeed);
    TerrainGrid grid;
    grid.columns = builtInVertices;
    grid.rows = builtInVertices;
    const std::size_t count = static_cast<std::size_t>(builtInVertices) * builtInVertices;
    grid.elevations.reserve(count);
    const double spacing = builtInSize / (builtInVertices - 1);
    const auto east = [spacing](int i) { return -0.5 * builtInSize + i * spacing; };
    for (int r = 0; r < builtInVertices; ++r) {
        for (int c = 0; c < builtInVertices; ++c) {
            grid.elevations.push_back(relief.heightAt(east(c), east(r)));
        }
    }
    const double meanHeight = std::accumulate(grid.elevations.begin(), grid.elevations.end(), 0.0) /
                              static_cast<double>(count);

    osg::ref_ptr<terrain::TerrainManager> manager = terrain::TerrainManager::instance();
    manager->setOrigin(rainierLatitude, rainierLongitude, meanHeight);

    // The relief is laid out on the tangent plane, but each vertex is placed
    // at its geodetic position and height, so picking a vertex and asking the
    // TerrainManager for its elevation gives back the relief's height.
    grid.positions.reserve(count);
    for (int r = 0; r < builtInVertices; ++r) {
        for (int c = 0; c < builtInVertices; ++c) {
            const gmtl::Vec<double, 3> onPlane(east(c), east(r), 0.0);
            gmtl::Vec<double, 3> lonLatHeight;
            manager->convertTerrainLocalToGdc(onPlane, lonLatHeight);
            const gmtl::Vec<double, 3> gdc(lonLatHeight[1], lonLatHeight[0],
                                           grid.elevations[static_cast<std::size_t>(r) * builtInVertices +
                                                           static_cast<std::size_t>(c)]);
            gmtl::Vec<double, 3> local;
            manager->convertGdcToTerrainLocal(gdc, local);
            grid.positions.emplace_back(local[0], local[1], local[2]);
        }
    }

    Terrain terrain = makeTerrain(grid);
    terrain.originLatitude = rainierLatitude;
    terrain.originLongitude = rainierLongitude;
    terrain.originHeight = meanHeight;
    terrain.description = QStringLiteral("Synthetic terrain near Mount Rainier, Washington");
    terrain.synthetic = true;
    return terrain;
}

std::optional<Terrain> loadDemTerrain(const QString& path, QString& error, int maxVerticesPerSide)
{
    std::optional<Terrain> terrain = buildDemTerrain(path, error, {}, maxVerticesPerSide);
    if (terrain)
        useOrigin(*terrain);
    return terrain;
}

namespace {

std::optional<Terrain> buildDemMesh(const QString& path, QString& error, const DemProgress& progress,
                                    int maxVerticesPerSide)
{
    const std::optional<DemSamples> samples = readDemSamples(path, maxVerticesPerSide, error, progress);
    if (!samples)
        return std::nullopt;
    std::shared_ptr<const DemHeightField> heights = DemHeightField::open(path, error);
    if (!heights)
        return std::nullopt;

    const std::size_t centre = static_cast<std::size_t>(samples->rows / 2) * static_cast<std::size_t>(samples->columns) +
                               static_cast<std::size_t>(samples->columns / 2);
    Terrain terrain;
    terrain.originLatitude = samples->latitudes[centre];
    terrain.originLongitude = samples->longitudes[centre];
    terrain.originHeight = samples->elevations[centre];

    // The same east-north-up frame the TerrainManager keeps, built here so
    // that this thread never touches the manager the scene is using.
    const GeographicLib::LocalCartesian frame(terrain.originLatitude, terrain.originLongitude, terrain.originHeight,
                                              GeographicLib::Geocentric::WGS84());
    TerrainGrid grid;
    grid.columns = samples->columns;
    grid.rows = samples->rows;
    grid.elevations = samples->elevations;
    grid.positions.reserve(grid.elevations.size());
    for (std::size_t k = 0; k < grid.elevations.size(); ++k) {
        double x = 0.0;
        double y = 0.0;
        double z = 0.0;
        frame.Forward(samples->latitudes[k], samples->longitudes[k], samples->elevations[k], x, y, z);
        grid.positions.emplace_back(x, y, z);
    }

    for (const osg::Vec3& p : grid.positions)
        terrain.bounds.expandBy(p);
    // Thinned, the samples are only the coarsest level: nearer the eye the raster's own pixels are drawn.
    if (samples->stride > 1) {
        const auto [lowest, highest] = std::minmax_element(samples->elevations.begin(), samples->elevations.end());
        terrain.node = DemTileReader::buildPyramid(path, *samples, frame, *lowest, *highest);
    } else {
        terrain.node = makeTerrain(grid).node;
    }
    terrain.description = QStringLiteral("DEM: %1").arg(QFileInfo(path).fileName());
    // Far away a large DEM is drawn thinned; saying its size tells the user near views show every pixel.
    if (samples->stride > 1)
        terrain.description +=
            QStringLiteral(" (%1 x %2 pixels, full detail near the eye)").arg(samples->rasterColumns).arg(samples->rasterRows);
    terrain.surface = std::make_shared<const TerrainSurface>(std::move(heights));
    return terrain;
}

} // namespace

std::optional<Terrain> buildDemTerrain(const QString& path, QString& error, const DemProgress& progress,
                                       int maxVerticesPerSide)
{
    try {
        return buildDemMesh(path, error, progress, maxVerticesPerSide);
    } catch (const std::bad_alloc&) {
        error = QStringLiteral("Not enough memory to show %1").arg(QFileInfo(path).fileName());
        return std::nullopt;
    }
}

void useOrigin(const Terrain& terrain)
{
    terrain::TerrainManager::instance()->setOrigin(terrain.originLatitude, terrain.originLongitude,
                                                   terrain.originHeight);
}

} // namespace velmora::viewer
