#include "DemRaster.h"

#include "GridSampling.h"

#include <QFile>
#include <QFileInfo>

#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <memory>
#include <mutex>

namespace velmora::viewer {

namespace {

// Keeps GDAL's own error printing off the console while we read, and hands
// its last message to our error text instead.
class QuietGdalErrors
{
public:
    QuietGdalErrors()
    {
        CPLPushErrorHandler(CPLQuietErrorHandler);
        CPLErrorReset();
    }
    ~QuietGdalErrors() { CPLPopErrorHandler(); }
    QuietGdalErrors(const QuietGdalErrors&) = delete;
    QuietGdalErrors& operator=(const QuietGdalErrors&) = delete;

    static QString lastMessage()
    {
        const char* message = CPLGetLastErrorMsg();
        return message && *message ? QString::fromUtf8(message) : QString();
    }
};

struct DatasetCloser
{
    void operator()(GDALDataset* dataset) const { GDALClose(GDALDataset::ToHandle(dataset)); }
};

struct TransformDeleter
{
    void operator()(OGRCoordinateTransformation* transform) const
    {
        OGRCoordinateTransformation::DestroyCT(transform);
    }
};

QString withDetail(const QString& reason, const QString& detail)
{
    return detail.isEmpty() ? reason : QStringLiteral("%1 (%2)").arg(reason, detail);
}

// Replaces NaN samples with the mean of their valid 8-neighbours, growing
// inwards from the edge of each hole ring by ring, so a wide hole takes the
// heights around it instead of becoming a pit with walls. Returns how many
// were filled; -1 when no sample is valid.
int fillNodata(std::vector<double>& elevations, int columns, int rows)
{
    const auto index = [columns](int c, int r) {
        return static_cast<std::size_t>(r) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(c);
    };
    const auto forNeighbours = [columns, rows](int c, int r, auto visit) {
        for (int nr = std::max(r - 1, 0); nr <= std::min(r + 1, rows - 1); ++nr)
            for (int nc = std::max(c - 1, 0); nc <= std::min(c + 1, columns - 1); ++nc)
                if (nc != c || nr != r)
                    visit(nc, nr);
    };
    if (std::all_of(elevations.begin(), elevations.end(), [](double e) { return std::isnan(e); }))
        return -1;

    // The first ring: holes next to a valid sample.
    std::vector<std::pair<int, int>> ring;
    std::vector<bool> queued(elevations.size(), false);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            if (!std::isnan(elevations[index(c, r)]))
                continue;
            bool nextToValid = false;
            forNeighbours(c, r, [&](int nc, int nr) { nextToValid |= !std::isnan(elevations[index(nc, nr)]); });
            if (nextToValid) {
                ring.emplace_back(c, r);
                queued[index(c, r)] = true;
            }
        }
    }
    int filled = 0;
    while (!ring.empty()) {
        // A ring's means come from outside it only, so the order of visits does not matter.
        std::vector<double> means;
        means.reserve(ring.size());
        for (const auto& [c, r] : ring) {
            double sum = 0.0;
            int valid = 0;
            forNeighbours(c, r, [&](int nc, int nr) {
                const double e = elevations[index(nc, nr)];
                if (!std::isnan(e)) {
                    sum += e;
                    ++valid;
                }
            });
            means.push_back(sum / valid);
        }
        std::vector<std::pair<int, int>> next;
        for (std::size_t k = 0; k < ring.size(); ++k) {
            const auto [c, r] = ring[k];
            elevations[index(c, r)] = means[k];
            ++filled;
            forNeighbours(c, r, [&](int nc, int nr) {
                if (std::isnan(elevations[index(nc, nr)]) && !queued[index(nc, nr)]) {
                    queued[index(nc, nr)] = true;
                    next.emplace_back(nc, nr);
                }
            });
        }
        ring = std::move(next);
    }
    return filled;
}

} // namespace

std::optional<DemSamples> readDemSamples(const QString& path, int maxVerticesPerSide, QString& error)
{
    static std::once_flag registered;
    std::call_once(registered, [] { GDALAllRegister(); });

    const QFileInfo info(path);
    if (!info.exists()) {
        error = QStringLiteral("File not found: %1").arg(path);
        return std::nullopt;
    }
    if (!info.isFile()) {
        error = QStringLiteral("Not a file: %1").arg(path);
        return std::nullopt;
    }

    const QuietGdalErrors quiet;
    const QByteArray nativePath = QFile::encodeName(path);
    std::unique_ptr<GDALDataset, DatasetCloser> dataset(GDALDataset::FromHandle(
        GDALOpenEx(nativePath.constData(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
    if (!dataset || dataset->GetRasterCount() < 1) {
        error = withDetail(QStringLiteral("Not an elevation raster that GDAL can read: %1").arg(info.fileName()),
                           QuietGdalErrors::lastMessage());
        return std::nullopt;
    }

    const int width = dataset->GetRasterXSize();
    const int height = dataset->GetRasterYSize();
    if (width < 2 || height < 2) {
        error = QStringLiteral("%1 is %2 x %3 pixels; a terrain needs at least 2 x 2")
                    .arg(info.fileName())
                    .arg(width)
                    .arg(height);
        return std::nullopt;
    }

    double geoTransform[6] = {0.0, 1.0, 0.0, 0.0, 0.0, 1.0};
    if (dataset->GetGeoTransform(geoTransform) != CE_None) {
        error = QStringLiteral("%1 has no georeferencing (no geotransform)").arg(info.fileName());
        return std::nullopt;
    }
    const OGRSpatialReference* sourceReference = dataset->GetSpatialRef();
    if (!sourceReference || sourceReference->IsEmpty()) {
        error = QStringLiteral("%1 has no spatial reference, so its coordinates cannot be placed on the Earth")
                    .arg(info.fileName());
        return std::nullopt;
    }

    // The geotransform is always (x = easting or longitude, y = northing or
    // latitude); traditional GIS order keeps both ends of the transformation
    // that way, whatever the authority's axis order says.
    OGRSpatialReference source(*sourceReference);
    source.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    OGRSpatialReference wgs84;
    wgs84.SetWellKnownGeogCS("WGS84");
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRCoordinateTransformation, TransformDeleter> toWgs84(
        OGRCreateCoordinateTransformation(&source, &wgs84));
    if (!toWgs84) {
        const char* name = source.GetName();
        error = withDetail(QStringLiteral("%1 uses a projection that cannot be transformed to WGS84: %2")
                               .arg(info.fileName(), QString::fromUtf8(name ? name : "unnamed")),
                           QuietGdalErrors::lastMessage());
        return std::nullopt;
    }

    GDALRasterBand* band = dataset->GetRasterBand(1);
    int hasNodata = 0;
    const double nodata = band->GetNoDataValue(&hasNodata);

    const GridSampling sampling(width, height, maxVerticesPerSide);
    DemSamples samples;
    samples.columns = sampling.columns();
    samples.rows = sampling.rows();
    samples.stride = sampling.stride();
    const std::size_t count = static_cast<std::size_t>(samples.columns) * static_cast<std::size_t>(samples.rows);
    samples.latitudes.resize(count);
    samples.longitudes.resize(count);
    samples.elevations.resize(count);

    // Whole raster rows are read, but only the sampled ones: memory stays at
    // one row however large the file.
    std::vector<double> rasterRow(static_cast<std::size_t>(width));
    std::vector<double> xs(static_cast<std::size_t>(samples.columns));
    std::vector<double> ys(static_cast<std::size_t>(samples.columns));
    std::vector<int> succeeded(static_cast<std::size_t>(samples.columns));
    for (int j = 0; j < samples.rows; ++j) {
        const int pixelRow = sampling.pixelRow(j);
        if (band->RasterIO(GF_Read, 0, pixelRow, width, 1, rasterRow.data(), width, 1, GDT_Float64, 0, 0, nullptr) !=
            CE_None) {
            error = withDetail(QStringLiteral("Could not read row %1 of %2").arg(pixelRow).arg(info.fileName()),
                               QuietGdalErrors::lastMessage());
            return std::nullopt;
        }
        for (int i = 0; i < samples.columns; ++i) {
            // Pixel centres: GDAL's geotransform addresses pixel corners.
            const double px = sampling.pixelColumn(i) + 0.5;
            const double py = pixelRow + 0.5;
            const auto k = static_cast<std::size_t>(i);
            xs[k] = geoTransform[0] + px * geoTransform[1] + py * geoTransform[2];
            ys[k] = geoTransform[3] + px * geoTransform[4] + py * geoTransform[5];
            double value = rasterRow[static_cast<std::size_t>(sampling.pixelColumn(i))];
            if (hasNodata && (value == nodata || (std::isnan(nodata) && std::isnan(value)))) {
                value = std::numeric_limits<double>::quiet_NaN();
            }
            samples.elevations[static_cast<std::size_t>(j) * static_cast<std::size_t>(samples.columns) + k] = value;
        }
        if (!toWgs84->Transform(samples.columns, xs.data(), ys.data(), nullptr, succeeded.data()) ||
            std::find(succeeded.begin(), succeeded.end(), FALSE) != succeeded.end()) {
            error = withDetail(
                QStringLiteral("Some pixels of %1 lie outside the area its projection can map to WGS84")
                    .arg(info.fileName()),
                QuietGdalErrors::lastMessage());
            return std::nullopt;
        }
        const std::size_t rowStart = static_cast<std::size_t>(j) * static_cast<std::size_t>(samples.columns);
        std::copy(xs.begin(), xs.end(), samples.longitudes.begin() + static_cast<std::ptrdiff_t>(rowStart));
        std::copy(ys.begin(), ys.end(), samples.latitudes.begin() + static_cast<std::ptrdiff_t>(rowStart));
    }

    const int filled = fillNodata(samples.elevations, samples.columns, samples.rows);
    if (filled < 0) {
        error = QStringLiteral("%1 holds no valid elevation: every sampled pixel is nodata").arg(info.fileName());
        return std::nullopt;
    }
    samples.filledSamples = filled;
    return samples;
}

} // namespace velmora::viewer
