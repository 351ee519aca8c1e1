#include "DemRaster.h"

#include "DemDataset.h"
#include "GridSampling.h"
#include "NodataFill.h"

#include <gdal_priv.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <new>

namespace velmora::viewer {

namespace {

// Reads sampled row j of the raster into elevations (NaN for nodata), pixel by
// pixel when thinned, so the work and memory follow the samples, not the
// raster's width.
bool readSampleRow(const DemDataset& dem, const GridSampling& sampling, int j, double* elevations)
{
    const int pixelRow = sampling.pixelRow(j);
    GDALRasterBand* band = dem.band();
    if (sampling.stride() == 1) {
        if (band->RasterIO(GF_Read, 0, pixelRow, dem.width(), 1, elevations, dem.width(), 1, GDT_Float64, 0, 0,
                           nullptr) != CE_None)
            return false;
    } else {
        for (int i = 0; i < sampling.columns(); ++i)
            if (band->RasterIO(GF_Read, sampling.pixelColumn(i), pixelRow, 1, 1, elevations + i, 1, 1, GDT_Float64, 0,
                               0, nullptr) != CE_None)
                return false;
    }
    for (int i = 0; i < sampling.columns(); ++i)
        if (dem.isNodata(elevations[i]))
            elevations[i] = std::numeric_limits<double>::quiet_NaN();
    return true;
}

bool placeSampleRow(const DemDataset& dem, const GridSampling& sampling, int j, double* latitudes, double* longitudes)
{
    // Pixel centres: GDAL's geotransform addresses pixel corners.
    for (int i = 0; i < sampling.columns(); ++i) {
        longitudes[i] = sampling.pixelColumn(i) + 0.5;
        latitudes[i] = sampling.pixelRow(j) + 0.5;
    }
    return dem.pixelsToWgs84(sampling.columns(), longitudes, latitudes);
}

std::optional<DemSamples> readSamples(const DemDataset& dem, int maxVerticesPerSide, QString& error,
                                      const DemProgress& progress)
{
    const GridSampling sampling(dem.width(), dem.height(), maxVerticesPerSide);
    DemSamples samples;
    samples.columns = sampling.columns();
    samples.rows = sampling.rows();
    samples.stride = sampling.stride();
    samples.rasterColumns = dem.width();
    samples.rasterRows = dem.height();
    const std::size_t count = static_cast<std::size_t>(samples.columns) * static_cast<std::size_t>(samples.rows);
    samples.latitudes.resize(count);
    samples.longitudes.resize(count);
    samples.elevations.resize(count);
    double westmost = std::numeric_limits<double>::infinity();
    double eastmost = -westmost;
    for (int j = 0; j < samples.rows; ++j) {
        const std::size_t rowStart = static_cast<std::size_t>(j) * static_cast<std::size_t>(samples.columns);
        if (!readSampleRow(dem, sampling, j, samples.elevations.data() + rowStart)) {
            const QString detail = DemDataset::lastGdalMessage();
            error = QStringLiteral("Could not read row %1 of %2").arg(sampling.pixelRow(j)).arg(dem.fileName());
            if (!detail.isEmpty())
                error += QStringLiteral(" (%1)").arg(detail);
            return std::nullopt;
        }
        if (!placeSampleRow(dem, sampling, j, samples.latitudes.data() + rowStart,
                            samples.longitudes.data() + rowStart)) {
            error = QStringLiteral("Some pixels of %1 lie outside the Earth: beyond the poles, or outside the area its "
                                   "projection can map to WGS84")
                        .arg(dem.fileName());
            return std::nullopt;
        }
        const auto [west, east] = std::minmax_element(samples.longitudes.begin() + static_cast<std::ptrdiff_t>(rowStart),
                                                      samples.longitudes.begin() +
                                                          static_cast<std::ptrdiff_t>(rowStart) + samples.columns);
        westmost = std::min(westmost, *west);
        eastmost = std::max(eastmost, *east);
        if (progress && !progress(double(j + 1) / samples.rows)) {
            error = QStringLiteral("Loading %1 was cancelled").arg(dem.fileName());
            return std::nullopt;
        }
    }
    if (eastmost - westmost > 360.0) {
        error = QStringLiteral("%1 spans %2 degrees of longitude: more than the whole Earth")
                    .arg(dem.fileName())
                    .arg(eastmost - westmost, 0, 'g', 4);
        return std::nullopt;
    }
    return samples;
}

} // namespace

std::optional<DemSamples> readDemSamples(const QString& path, int maxVerticesPerSide, QString& error,
                                         const DemProgress& progress)
{
    try {
        const std::optional<DemDataset> dem = DemDataset::open(path, error);
        if (!dem)
            return std::nullopt;
        std::optional<DemSamples> samples = readSamples(*dem, maxVerticesPerSide, error, progress);
        if (!samples)
            return std::nullopt;
        const int filled = fillNodata(samples->elevations, samples->columns, samples->rows);
        if (filled < 0) {
            error = QStringLiteral("%1 holds no valid elevation: every sampled pixel is nodata or not a finite number")
                        .arg(dem->fileName());
            return std::nullopt;
        }
        samples->filledSamples = filled;
        return samples;
    } catch (const std::bad_alloc&) {
        error = QStringLiteral("Not enough memory to read %1").arg(path);
        return std::nullopt;
    }
}

} // namespace velmora::viewer
