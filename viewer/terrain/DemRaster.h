#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace velmora::viewer {

// Elevations sampled from a DEM at the centres of a regular subset of its
// pixels, each with its WGS84 position.
struct DemSamples
{
    int columns = 0; // samples per row
    int rows = 0;    // number of rows, in the raster's row order
    int stride = 1;  // raster pixels between neighbouring samples
    int rasterColumns = 0; // the raster's size in pixels
    int rasterRows = 0;
    // Row-major, columns * rows each: degrees, degrees, metres.
    std::vector<double> latitudes;
    std::vector<double> longitudes;
    std::vector<double> elevations;
    // How many samples were nodata and got filled in.
    int filledSamples = 0;

    // The raster pixel column of sample column i, and the pixel row of sample row j.
    int pixelColumn(int i) const { return i * stride < rasterColumns ? i * stride : rasterColumns - 1; }
    int pixelRow(int j) const { return j * stride < rasterRows ? j * stride : rasterRows - 1; }
};

// Told the fraction of the samples read so far (0..1) from the reading
// thread; returning false cancels the read.
using DemProgress = std::function<bool(double fraction)>;

// Reads band 1 of any raster GDAL opens (GeoTIFF, SRTM .hgt, ...), keeping
// every stride-th pixel so neither side exceeds maxVerticesPerSide samples,
// and places each kept pixel centre on WGS84 through the raster's own
// geotransform and spatial reference (see DemDataset). Memory follows the
// samples, not the raster's size. Thinned, where the file has overviews, a
// sample's height is that of the coarsest overview with a pixel for every
// sample, at the sample's pixel centre: a summary of the pixels around it.
//
// Elevations are taken as metres above the ellipsoid: a DEM referred to the
// geoid is therefore off by the local geoid undulation (tens of metres),
// which keeps the terrain self-consistent but not survey-exact.
//
// Nodata (the band's nodata value, NaN or an infinity) is filled with the
// mean of the valid neighbouring samples, from the edge of each hole inwards,
// so the mesh has no holes for picking to fall through and no pits with walls.
//
// Returns std::nullopt with a readable reason in error when DemDataset::open
// refuses the file, a pixel lies beyond the poles or cannot be mapped to
// WGS84, the raster spans more than 360 degrees of longitude, no sample holds
// a valid elevation, memory runs out, or progress cancelled the read.
std::optional<DemSamples> readDemSamples(const QString& path, int maxVerticesPerSide, QString& error,
                                         const DemProgress& progress = {});

} // namespace velmora::viewer
