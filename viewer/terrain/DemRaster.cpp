#include "DemRaster.h"

#include "DemDataset.h"
#include "GridSampling.h"
#include "NodataFill.h"

#include <gdal_priv.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <functional>
#include <limits>
#include <mutex>
#include <new>
#include <thread>

namespace velmora::viewer {

namespace {

// Where the samples are read from: the raster's own band, or where the file
// has overviews, the coarsest overview that still has a pixel for every
// sample, whose pixel under a sample's pixel centre stands for it. Far from
// the eye an overview's summary of the pixels around is as good, reading it
// touches a fraction of a large file, and nearer the eye the tiles read the
// raster's own pixels.
struct SampleSource
{
    SampleSource(const DemDataset& dem, const GridSampling& sampling) : band(dem.band()), sampling(sampling)
    {
        for (int k = 0; k < dem.band()->GetOverviewCount(); ++k) {
            GDALRasterBand* overview = dem.band()->GetOverview(k);
            if (!overview || overview->GetXSize() < 2 || overview->GetYSize() < 2)
                continue;
            const double scaleX = double(overview->GetXSize()) / dem.width();
            const double scaleY = double(overview->GetYSize()) / dem.height();
            if (1.0 / scaleX <= sampling.stride() && 1.0 / scaleY <= sampling.stride() && scaleX < columnScale) {
                band = overview;
                columnScale = scaleX;
                rowScale = scaleY;
            }
        }
    }

    // The source pixel column of sample column i, and the pixel row of sample row j.
    int column(int i) const
    {
        return std::min(int((sampling.pixelColumn(i) + 0.5) * columnScale), band->GetXSize() - 1);
    }
    int row(int j) const { return std::min(int((sampling.pixelRow(j) + 0.5) * rowScale), band->GetYSize() - 1); }

    GDALRasterBand* band;
    const GridSampling& sampling;
    double columnScale = 1.0; // source pixels per raster pixel
    double rowScale = 1.0;
};

// Reads the sampled rows [first, last) from their SampleSource into
// elevations (row-major, all the samples' columns; NaN for nodata), one row
// of the source's blocks at a time and within it one block at a time, so
// each block is read from the file once, however wide the raster.
// rowsRead is told each run of rows [top, bottom) once it is read; returning
// false stops the read. False when stopped or GDAL fails, with the pixel row
// that failed in failedRow (else -1).
bool readSampleRows(const DemDataset& dem, const GridSampling& sampling, int first, int last, double* elevations,
                    const std::function<bool(int top, int bottom)>& rowsRead, int& failedRow)
{
    constexpr int maxRowsPerRun = 16;
    failedRow = -1;
    const SampleSource source(dem, sampling);
    int blockWidth = 0;
    int blockHeight = 0;
    source.band->GetBlockSize(&blockWidth, &blockHeight);
    blockWidth = std::max(blockWidth, 1);
    blockHeight = std::max(blockHeight, 1);
    const int columns = sampling.columns();
    std::vector<double> segment;
    for (int top = first; top < last;) {
        // The sampled rows in the same row of blocks as row top, a few at a time so progress is told often.
        int bottom = top + 1;
        while (bottom < last && bottom - top < maxRowsPerRun &&
               source.row(bottom) / blockHeight == source.row(top) / blockHeight)
            ++bottom;
        for (int left = 0; left < columns;) {
            int right = left + 1;
            while (right < columns && source.column(right) / blockWidth == source.column(left) / blockWidth)
                ++right;
            const int x = source.column(left);
            const int width = source.column(right - 1) - x + 1;
            segment.resize(static_cast<std::size_t>(width));
            for (int j = top; j < bottom; ++j) {
                if (source.band->RasterIO(GF_Read, x, source.row(j), width, 1, segment.data(), width, 1, GDT_Float64,
                                          0, 0, nullptr) != CE_None) {
                    failedRow = sampling.pixelRow(j);
                    return false;
                }
                double* row = elevations + static_cast<std::size_t>(j) * static_cast<std::size_t>(columns);
                for (int i = left; i < right; ++i)
                    row[i] = dem.elevationOf(segment[static_cast<std::size_t>(source.column(i) - x)]);
            }
            left = right;
        }
        if (!rowsRead(top, bottom))
            return false;
        top = bottom;
    }
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

// One reading thread's share of the sampled rows and what it found.
struct RowShare
{
    int first = 0;
    int last = 0;
    double westmost = std::numeric_limits<double>::infinity();
    double eastmost = -std::numeric_limits<double>::infinity();
    QString error;
};

// The raster's sampled rows in contiguous shares, one per reading thread:
// reading a large raster is mostly waiting for its blocks, which threads
// with datasets of their own do side by side.
std::vector<RowShare> shareRows(int rows)
{
    constexpr int minRowsPerThread = 128; // fewer are read before a thread would have started
    const int threads = std::clamp(std::min(int(std::thread::hardware_concurrency()), 4), 1,
                                   std::max(rows / minRowsPerThread, 1));
    std::vector<RowShare> shares(static_cast<std::size_t>(threads));
    for (int t = 0; t < threads; ++t) {
        shares[std::size_t(t)].first = rows * t / threads;
        shares[std::size_t(t)].last = rows * (t + 1) / threads;
    }
    return shares;
}

std::optional<DemSamples> readSamples(const QString& path, const DemDataset& dem, int maxVerticesPerSide,
                                      QString& error, const DemProgress& progress)
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

    std::mutex reporting;
    int rowsDone = 0;
    bool stopped = false;
    bool cancelled = false;
    // Counts rows read by any thread and tells progress; false once any thread failed or progress cancelled.
    const auto tell = [&](int rows) {
        const std::lock_guard<std::mutex> lock(reporting);
        rowsDone += rows;
        if (!stopped && progress && !progress(double(rowsDone) / samples.rows))
            stopped = cancelled = true;
        return !stopped;
    };
    const auto fail = [&](RowShare& share, const QString& reason) {
        const std::lock_guard<std::mutex> lock(reporting);
        if (!stopped)
            share.error = reason;
        stopped = true;
    };
    const auto readShare = [&](const DemDataset& dataset, RowShare& share) {
        try {
            const auto placeRows = [&](int top, int bottom) {
                for (int j = top; j < bottom; ++j) {
                    const std::size_t rowStart = std::size_t(j) * std::size_t(samples.columns);
                    double* longitudes = samples.longitudes.data() + rowStart;
                    if (!placeSampleRow(dataset, sampling, j, samples.latitudes.data() + rowStart, longitudes)) {
                        fail(share, QStringLiteral("Some pixels of %1 lie outside the Earth: beyond the poles, or "
                                                   "outside the area its projection can map to WGS84")
                                        .arg(dataset.fileName()));
                        return false;
                    }
                    const auto [west, east] = std::minmax_element(longitudes, longitudes + samples.columns);
                    share.westmost = std::min(share.westmost, *west);
                    share.eastmost = std::max(share.eastmost, *east);
                }
                return tell(bottom - top);
            };
            int failedRow = -1;
            if (!readSampleRows(dataset, sampling, share.first, share.last, samples.elevations.data(), placeRows,
                                failedRow) &&
                failedRow >= 0) {
                QString reason = QStringLiteral("Could not read row %1 of %2").arg(failedRow).arg(dataset.fileName());
                const QString detail = DemDataset::lastGdalMessage();
                if (!detail.isEmpty())
                    reason += QStringLiteral(" (%1)").arg(detail);
                fail(share, reason);
            }
        } catch (const std::bad_alloc&) {
            fail(share, QStringLiteral("Not enough memory to read %1").arg(dataset.fileName()));
        }
    };

    // GDAL datasets serve one thread at a time: the first share is read with dem, each other with its own.
    std::vector<RowShare> shares = shareRows(samples.rows);
    std::vector<std::thread> readers;
    for (std::size_t t = 1; t < shares.size(); ++t)
        readers.emplace_back([&, t] {
            QString openError;
            if (const std::optional<DemDataset> own = DemDataset::open(path, openError))
                readShare(*own, shares[t]);
            else
                fail(shares[t], openError);
        });
    readShare(dem, shares.front());
    for (std::thread& reader : readers)
        reader.join();

    if (cancelled) {
        error = QStringLiteral("Loading %1 was cancelled").arg(dem.fileName());
        return std::nullopt;
    }
    double westmost = std::numeric_limits<double>::infinity();
    double eastmost = -westmost;
    for (const RowShare& share : shares) {
        if (!share.error.isEmpty()) {
            error = share.error;
            return std::nullopt;
        }
        westmost = std::min(westmost, share.westmost);
        eastmost = std::max(eastmost, share.eastmost);
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
        std::optional<DemSamples> samples = readSamples(path, *dem, maxVerticesPerSide, error, progress);
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
