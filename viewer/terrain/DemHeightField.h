#pragma once

#include "DemDataset.h"

#include <QString>

#include <cstddef>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace velmora::viewer {

// The heights of a DEM at its full resolution, whatever the mesh drawn: the
// height at a latitude and longitude is bilinear between the four nearest
// pixel centres (exactly the pixel's value on a pixel centre). Windows of
// tileSide x tileSide pixels are read from the file when first needed and at
// most maxCachedTiles stay in memory, so memory is bounded however large the
// raster. Safe to query from any thread (queries take turns).
class DemHeightField
{
public:
    static constexpr int tileSide = 256;               // pixels
    static constexpr std::size_t maxCachedTiles = 64;  // 16 MiB of heights

    // Opens path as DemDataset::open does; nullptr with the reason in error.
    static std::shared_ptr<DemHeightField> open(const QString& path, QString& error);

    // Metres, at latitude and longitude in degrees (WGS84). Nodata pixels
    // among the four are left out and the others weighted anew. NaN outside
    // the outermost pixel centres (more than a thousandth of a pixel beyond),
    // where all four pixels are nodata, or when the file cannot be read.
    double heightAt(double latitude, double longitude) const;
    // The ground size of one pixel near the raster's centre, metres (> 0).
    double pixelSize() const { return pixelMetres; }

    explicit DemHeightField(DemDataset dataset);

private:
    using TileKey = std::pair<int, int>; // tile column, tile row
    const std::vector<float>& tile(const TileKey& key) const;
    double pixel(int column, int row) const;
    double measurePixelSize() const;

    DemDataset dem;
    double pixelMetres = 1.0;
    mutable std::mutex reading;
    mutable std::map<TileKey, std::vector<float>> tiles;
    mutable std::list<TileKey> leastRecentFirst;
};

} // namespace velmora::viewer
