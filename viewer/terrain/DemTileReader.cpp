#include "DemTileReader.h"

#include "DemDataset.h"
#include "DemRaster.h"
#include "NodataFill.h"
#include "TerrainMesh.h"

#include <gdal_priv.h>

#include <osg/Geode>
#include <osg/MatrixTransform>
#include <osg/PagedLOD>
#include <osgDB/Options>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <functional>
#include <new>

namespace velmora::viewer {

namespace {

constexpr const char* tileSuffix = ".velmora_dem_tile";

std::string tileName(const DemTileReader::Window& w)
{
    return std::to_string(w.left) + '_' + std::to_string(w.top) + '_' + std::to_string(w.right) + '_' +
           std::to_string(w.bottom) + '_' + std::to_string(w.stride) + tileSuffix;
}

bool parseTileName(const std::string& name, DemTileReader::Window& w)
{
    char suffix[32] = {};
    return std::sscanf(name.c_str(), "%d_%d_%d_%d_%d%31s", &w.left, &w.top, &w.right, &w.bottom, &w.stride,
                       suffix) == 6 &&
           std::string(suffix) == tileSuffix && w.left < w.right && w.top < w.bottom && w.stride >= 1;
}

// The pixel positions along one side of a window: every stride-th and the last.
std::vector<int> samplePositions(int first, int last, int stride)
{
    std::vector<int> positions;
    for (int p = first; p < last; p += stride)
        positions.push_back(p);
    positions.push_back(last);
    return positions;
}

// Adds to a window's sample positions one more on each side where the raster
// goes on (size pixels), counting them in before and after.
std::vector<int> withBorder(std::vector<int> positions, int stride, int size, int& before, int& after)
{
    before = positions.front() - stride >= 0 ? 1 : 0;
    after = positions.back() + stride <= size - 1 ? 1 : 0;
    if (before)
        positions.insert(positions.begin(), positions.front() - stride);
    if (after)
        positions.push_back(positions.back() + stride);
    return positions;
}

// Fills the nodata samples on the edges of a tile's window (rows top and
// bottom, columns left and right of its bordered grid, columns wide) from
// what every tile sharing an edge sees alike, so tiles side by side meet
// inside a hole: a corner takes the mean of its valid neighbours (each tile
// around it has them all); a run of at most maxGap samples along an edge
// between two such heights runs straight between them; the rest take
// coarse(column, row), the coarsest level's filled height there.
void fillWindowEdges(std::vector<double>& heights, int columns, int rows, int left, int top, int right, int bottom,
                     const std::function<double(int column, int row)>& coarse)
{
    constexpr int maxGap = 8;
    const auto index = [&](int c, int r) { return std::size_t(r) * std::size_t(columns) + std::size_t(c); };
    // Heights from the DEM itself (valid, or a corner's mean of valid neighbours), as opposed to filled ones.
    std::vector<bool> fromData(heights.size());
    for (std::size_t k = 0; k < heights.size(); ++k)
        fromData[k] = !std::isnan(heights[k]);
    // All four corners from the data as read, before any of them is filled.
    struct Corner
    {
        std::size_t index;
        double height;
        bool fromData;
    };
    std::vector<Corner> corners;
    for (const int r : {top, bottom})
        for (const int c : {left, right}) {
            if (fromData[index(c, r)])
                continue;
            double sum = 0.0;
            int valid = 0;
            for (int rr = std::max(r - 1, 0); rr <= std::min(r + 1, rows - 1); ++rr)
                for (int cc = std::max(c - 1, 0); cc <= std::min(c + 1, columns - 1); ++cc)
                    if (fromData[index(cc, rr)]) {
                        sum += heights[index(cc, rr)];
                        ++valid;
                    }
            corners.push_back({index(c, r), valid > 0 ? sum / valid : coarse(c, r), valid > 0});
        }
    for (const Corner& corner : corners) {
        heights[corner.index] = corner.height;
        fromData[corner.index] = corner.fromData;
    }
    const auto fillEdge = [&](bool alongRow, int fixed, int first, int last) {
        const auto at = [&](int k) { return alongRow ? index(k, fixed) : index(fixed, k); };
        int known = first; // the corners are known by now
        for (int k = first + 1; k <= last; ++k) {
            if (std::isnan(heights[at(k)]))
                continue;
            const bool straight = k - known - 1 <= maxGap && fromData[at(known)] && fromData[at(k)];
            for (int m = known + 1; m < k; ++m)
                heights[at(m)] = straight ? heights[at(known)] + (heights[at(k)] - heights[at(known)]) *
                                                                    double(m - known) / double(k - known)
                                          : (alongRow ? coarse(m, fixed) : coarse(fixed, m));
            known = k;
        }
    };
    fillEdge(true, top, left, right);
    fillEdge(true, bottom, left, right);
    fillEdge(false, left, top, bottom);
    fillEdge(false, right, top, bottom);
}

// Splits [first, last] in two at a multiple of stride from first, or keeps it whole when too short.
std::vector<int> halves(int first, int last, int stride)
{
    const int middle = first + std::max(1, (last - first) / 2 / stride) * stride;
    return middle < last && middle > first ? std::vector<int>{first, middle, last} : std::vector<int>{first, last};
}

// Skirts on the edges a window shares with other tiles, none on the raster's own edges.
Skirts innerEdges(const DemTileReader::Window& window, int rasterColumns, int rasterRows)
{
    Skirts skirts;
    skirts.firstRow = window.top > 0;
    skirts.lastRow = window.bottom < rasterRows - 1;
    skirts.firstColumn = window.left > 0;
    skirts.lastColumn = window.right < rasterColumns - 1;
    return skirts;
}

} // namespace

DemTileReader::DemTileReader(const QString& path, const DemSamples& samples,
                             const GeographicLib::LocalCartesian& frame, double lowest, double highest)
    : path(path), coarse(samples), frame(frame), ramp(lowest, highest), state(makeTerrainState())
{
}

DemTileReader::~DemTileReader() = default;

osg::ref_ptr<osg::Node> DemTileReader::buildPyramid(const QString& path, const DemSamples& samples,
                                                    const GeographicLib::LocalCartesian& frame, double lowest,
                                                    double highest)
{
    osg::ref_ptr<DemTileReader> reader = new DemTileReader(path, samples, frame, lowest, highest);
    osg::ref_ptr<osgDB::Options> options = new osgDB::Options;
    options->setReadFileCallback(reader.get());
    osg::ref_ptr<osg::Group> root = new osg::Group;
    root->setName("terrain");
    // The samples, cut into tiles of tileCells cells: the coarsest level.
    for (int top = 0; top + 1 < samples.rows; top += tileCells) {
        for (int left = 0; left + 1 < samples.columns; left += tileCells) {
            const int right = std::min(left + tileCells, samples.columns - 1);
            const int bottom = std::min(top + tileCells, samples.rows - 1);
            const Border border{left > 0 ? 1 : 0, top > 0 ? 1 : 0, right + 1 < samples.columns ? 1 : 0,
                                bottom + 1 < samples.rows ? 1 : 0};
            std::vector<double> latitudes, longitudes, elevations;
            for (int r = top - border.top; r <= bottom + border.bottom; ++r)
                for (int c = left - border.left; c <= right + border.right; ++c) {
                    const std::size_t k = std::size_t(r) * std::size_t(samples.columns) + std::size_t(c);
                    latitudes.push_back(samples.latitudes[k]);
                    longitudes.push_back(samples.longitudes[k]);
                    elevations.push_back(samples.elevations[k]);
                }
            const Window window{samples.pixelColumn(left), samples.pixelRow(top), samples.pixelColumn(right),
                                samples.pixelRow(bottom), samples.stride};
            osg::ref_ptr<osg::Node> mesh = reader->tileMesh(
                latitudes, longitudes, elevations, right - left + 1 + border.left + border.right,
                bottom - top + 1 + border.top + border.bottom, border,
                innerEdges(window, samples.rasterColumns, samples.rasterRows));
            root->addChild(pagedTile(window, mesh.get(), options.get()));
        }
    }
    return root;
}

osg::ref_ptr<osg::Node> DemTileReader::pagedTile(const Window& window, osg::Node* mesh, const osgDB::Options* options)
{
    if (window.stride <= 1)
        return mesh;
    osg::ref_ptr<osg::PagedLOD> tile = new osg::PagedLOD;
    const float radius = mesh->getBound().radius();
    tile->setCenterMode(osg::LOD::USER_DEFINED_CENTER);
    tile->setCenter(mesh->getBound().center());
    tile->setRadius(radius);
    tile->addChild(mesh, refineDistancePerRadius * radius, FLT_MAX);
    tile->setFileName(1, tileName(window));
    tile->setRange(1, 0.0f, refineDistancePerRadius * radius);
    tile->setDatabaseOptions(const_cast<osgDB::Options*>(options));
    return tile;
}

osgDB::ReaderWriter::ReadResult DemTileReader::readNode(const std::string& name, const osgDB::Options* options)
{
    Window parent;
    if (!parseTileName(name, parent))
        return osgDB::ReaderWriter::ReadResult::FILE_NOT_HANDLED;
    const int stride = (parent.stride + 1) / 2;
    const std::vector<int> columns = halves(parent.left, parent.right, stride);
    const std::vector<int> rows = halves(parent.top, parent.bottom, stride);
    osg::ref_ptr<osg::Group> quarters = new osg::Group;
    try {
        for (std::size_t r = 0; r + 1 < rows.size(); ++r)
            for (std::size_t c = 0; c + 1 < columns.size(); ++c) {
                const Window window{columns[c], rows[r], columns[c + 1], rows[r + 1], stride};
                const std::optional<osg::ref_ptr<osg::Node>> read = readTile(window);
                // Refining a tile the file cannot give would only fail again, frame after frame.
                quarters->addChild(read ? pagedTile(window, read->get(), options) : coarseTile(window));
            }
    } catch (const std::bad_alloc&) {
        return osgDB::ReaderWriter::ReadResult::INSUFFICIENT_MEMORY_TO_LOAD;
    }
    return quarters.get();
}

std::optional<osg::ref_ptr<osg::Node>> DemTileReader::readTile(const Window& window)
{
    std::unique_ptr<DemDataset> dem = takeDataset();
    if (!dem)
        return std::nullopt;
    Border border;
    const std::vector<int> xs = withBorder(samplePositions(window.left, window.right, window.stride), window.stride,
                                           dem->width(), border.left, border.right);
    const std::vector<int> ys = withBorder(samplePositions(window.top, window.bottom, window.stride), window.stride,
                                           dem->height(), border.top, border.bottom);
    const int width = xs.back() - xs.front() + 1;
    std::vector<double> row(static_cast<std::size_t>(width));
    std::vector<double> latitudes, longitudes, elevations;
    std::vector<double> xRow(xs.size()), yRow(xs.size());
    bool read = true;
    // Whole rows of the window, then every stride-th pixel of them: the pixels' own values, no resampling.
    for (std::size_t j = 0; j < ys.size() && read; ++j) {
        read = dem->band()->RasterIO(GF_Read, xs.front(), ys[j], width, 1, row.data(), width, 1, GDT_Float64, 0, 0,
                                     nullptr) == CE_None;
        for (std::size_t i = 0; i < xs.size(); ++i) {
            elevations.push_back(dem->elevationOf(row[static_cast<std::size_t>(xs[i] - xs.front())]));
            xRow[i] = xs[i] + 0.5;
            yRow[i] = ys[j] + 0.5;
        }
        read = read && dem->pixelsToWgs84(int(xs.size()), xRow.data(), yRow.data());
        longitudes.insert(longitudes.end(), xRow.begin(), xRow.end());
        latitudes.insert(latitudes.end(), yRow.begin(), yRow.end());
    }
    const Skirts skirts = innerEdges(window, dem->width(), dem->height());
    giveBack(std::move(dem));
    if (!read)
        return std::nullopt;
    const int columns = int(xs.size());
    const int rows = int(ys.size());
    const auto coarseHeight = [&](int c, int r) {
        return coarseAt(coarse.elevations, xs[std::size_t(c)], ys[std::size_t(r)]);
    };
    if (std::all_of(elevations.begin(), elevations.end(), [](double h) { return std::isnan(h); })) {
        // A tile of nodata alone has nothing of its own to fill from: it takes the coarsest level's filled heights.
        for (int r = 0, k = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c, ++k)
                elevations[std::size_t(k)] = coarseHeight(c, r);
    } else {
        fillWindowEdges(elevations, columns, rows, border.left, border.top, columns - 1 - border.right,
                        rows - 1 - border.bottom, coarseHeight);
        fillNodata(elevations, columns, rows);
    }
    return tileMesh(latitudes, longitudes, elevations, int(xs.size()), int(ys.size()), border, skirts);
}

osg::ref_ptr<osg::Node> DemTileReader::coarseTile(const Window& window) const
{
    Border border;
    const std::vector<int> xs = withBorder(samplePositions(window.left, window.right, window.stride), window.stride,
                                           coarse.rasterColumns, border.left, border.right);
    const std::vector<int> ys = withBorder(samplePositions(window.top, window.bottom, window.stride), window.stride,
                                           coarse.rasterRows, border.top, border.bottom);
    std::vector<double> latitudes, longitudes, elevations;
    for (const int y : ys)
        for (const int x : xs) {
            latitudes.push_back(coarseAt(coarse.latitudes, x, y));
            longitudes.push_back(coarseAt(coarse.longitudes, x, y, 360.0));
            elevations.push_back(coarseAt(coarse.elevations, x, y));
        }
    return tileMesh(latitudes, longitudes, elevations, int(xs.size()), int(ys.size()), border,
                    innerEdges(window, coarse.rasterColumns, coarse.rasterRows));
}

double DemTileReader::coarseAt(const std::vector<double>& values, int column, int row, double period) const
{
    // The coarse cell holding the pixel (the last sample column and row may be nearer than a stride).
    const int i = std::min(column / coarse.stride, coarse.columns - 2);
    const int j = std::min(row / coarse.stride, coarse.rows - 2);
    const double fx = double(column - coarse.pixelColumn(i)) / (coarse.pixelColumn(i + 1) - coarse.pixelColumn(i));
    const double fy = double(row - coarse.pixelRow(j)) / (coarse.pixelRow(j + 1) - coarse.pixelRow(j));
    const auto at = [&](int c, int r) { return values[std::size_t(r) * std::size_t(coarse.columns) + std::size_t(c)]; };
    const double base = at(i, j);
    const auto offset = [&](int c, int r) {
        const double d = at(c, r) - base;
        return period > 0.0 ? std::remainder(d, period) : d;
    };
    return base + (1 - fx) * fy * offset(i, j + 1) + fx * (1 - fy) * offset(i + 1, j) + fx * fy * offset(i + 1, j + 1);
}

osg::ref_ptr<osg::Node> DemTileReader::tileMesh(const std::vector<double>& latitudes,
                                                const std::vector<double>& longitudes,
                                                const std::vector<double>& elevations, int columns, int rows,
                                                const Border& border, Skirts skirts) const
{
    std::vector<osg::Vec3d> positions(elevations.size());
    osg::Vec3d centre;
    for (std::size_t k = 0; k < elevations.size(); ++k) {
        frame.Forward(latitudes[k], longitudes[k], elevations[k], positions[k].x(), positions[k].y(),
                      positions[k].z());
        centre += positions[k] / double(elevations.size());
    }
    TerrainGrid bordered;
    bordered.columns = columns;
    bordered.rows = rows;
    for (const osg::Vec3d& p : positions)
        bordered.positions.emplace_back(p - centre);
    // Normals from the bordered grid: at the window's edge they see the next tile's samples, as its own do.
    const std::vector<osg::Vec3> normals = computeTerrainNormals(bordered);
    TerrainGrid grid;
    grid.columns = columns - border.left - border.right;
    grid.rows = rows - border.top - border.bottom;
    for (int r = border.top; r < rows - border.bottom; ++r)
        for (int c = border.left; c < columns - border.right; ++c) {
            const std::size_t k = std::size_t(r) * std::size_t(columns) + std::size_t(c);
            grid.positions.push_back(bordered.positions[k]);
            grid.elevations.push_back(elevations[k]);
            grid.normals.push_back(normals[k]);
        }
    const auto [lowest, highest] = std::minmax_element(grid.elevations.begin(), grid.elevations.end());
    // Deep enough to close the gap to a coarser neighbour, which cannot stray beyond the tile's own relief.
    skirts.depth = float(*highest - *lowest) + 10.0f;
    osg::ref_ptr<osg::MatrixTransform> placed = new osg::MatrixTransform(osg::Matrixd::translate(centre));
    placed->addChild(buildTerrainMesh(grid, ramp, skirts, state.get()));
    return placed;
}

std::unique_ptr<DemDataset> DemTileReader::takeDataset()
{
    {
        const std::lock_guard<std::mutex> lock(pool);
        if (!idle.empty()) {
            std::unique_ptr<DemDataset> dataset = std::move(idle.back());
            idle.pop_back();
            return dataset;
        }
    }
    // GDAL datasets serve one thread at a time: each pager thread gets its own.
    QString error;
    std::optional<DemDataset> opened = DemDataset::open(path, error);
    return opened ? std::make_unique<DemDataset>(std::move(*opened)) : nullptr;
}

void DemTileReader::giveBack(std::unique_ptr<DemDataset> dataset)
{
    const std::lock_guard<std::mutex> lock(pool);
    idle.push_back(std::move(dataset));
}

} // namespace velmora::viewer
