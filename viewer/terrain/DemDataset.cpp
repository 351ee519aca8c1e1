#include "DemDataset.h"

#include "QuietGdalErrors.h"

#include <QFile>
#include <QFileInfo>

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <cmath>
#include <limits>
#include <mutex>

namespace velmora::viewer {

namespace {

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

constexpr GIntBig gdalBlockCache = 64 << 20; // bytes

QString withDetail(const QString& reason, const QString& detail)
{
    return detail.isEmpty() ? reason : QStringLiteral("%1 (%2)").arg(reason, detail);
}

} // namespace

struct DemDataset::Handles
{
    std::unique_ptr<GDALDataset, DatasetCloser> dataset;
    std::unique_ptr<OGRCoordinateTransformation, TransformDeleter> toWgs84;
    std::unique_ptr<OGRCoordinateTransformation, TransformDeleter> fromWgs84;
};

DemDataset::DemDataset() : handles(std::make_unique<Handles>()) {}
DemDataset::DemDataset(DemDataset&&) noexcept = default;
DemDataset& DemDataset::operator=(DemDataset&&) noexcept = default;
DemDataset::~DemDataset() = default;

std::optional<DemDataset> DemDataset::open(const QString& path, QString& error)
{
    static std::once_flag registered;
    std::call_once(registered, [] {
        GDALAllRegister();
        // GDAL would keep up to 5 % of the machine's memory of blocks read; the
        // viewer reads each block once or twice, so a little is enough.
        GDALSetCacheMax64(gdalBlockCache);
    });

    const QFileInfo info(path);
    if (!info.exists() || !info.isFile()) {
        error = (info.exists() ? QStringLiteral("Not a file: %1") : QStringLiteral("File not found: %1")).arg(path);
        return std::nullopt;
    }
    const QuietGdalErrors quiet;
    DemDataset dem;
    dem.name = info.fileName();
    dem.handles->dataset.reset(GDALDataset::FromHandle(GDALOpenEx(
        QFile::encodeName(path).constData(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
    GDALDataset* dataset = dem.handles->dataset.get();
    if (!dataset || dataset->GetRasterCount() < 1) {
        error = withDetail(QStringLiteral("Not an elevation raster that GDAL can read: %1").arg(dem.name),
                           QuietGdalErrors::lastMessage());
        return std::nullopt;
    }
    dem.columns = dataset->GetRasterXSize();
    dem.rows = dataset->GetRasterYSize();
    if (dem.columns < 2 || dem.rows < 2 || dem.columns > maxRasterSide || dem.rows > maxRasterSide) {
        error = QStringLiteral("%1 is %2 x %3 pixels; a terrain needs at least 2 x 2 and at most %4 on a side")
                    .arg(dem.name)
                    .arg(dem.columns)
                    .arg(dem.rows)
                    .arg(maxRasterSide);
        return std::nullopt;
    }
    if (dataset->GetGeoTransform(dem.geoTransform) != CE_None ||
        !GDALInvGeoTransform(dem.geoTransform, dem.inverseTransform)) {
        error = QStringLiteral("%1 has no georeferencing (no usable geotransform)").arg(dem.name);
        return std::nullopt;
    }
    const OGRSpatialReference* sourceReference = dataset->GetSpatialRef();
    if (!sourceReference || sourceReference->IsEmpty()) {
        error = QStringLiteral("%1 has no spatial reference, so its coordinates cannot be placed on the Earth")
                    .arg(dem.name);
        return std::nullopt;
    }

    if (!dem.createTransformations(*sourceReference, error))
        return std::nullopt;
    int nodataSet = 0;
    dem.nodata = dem.band()->GetNoDataValue(&nodataSet);
    dem.hasNodata = nodataSet != 0;
    return dem;
}

bool DemDataset::createTransformations(const OGRSpatialReference& reference, QString& error)
{
    // The geotransform is always (x = easting or longitude, y = northing or
    // latitude); traditional GIS order keeps both ends of the transformation
    // that way, whatever the authority's axis order says.
    OGRSpatialReference source(reference);
    source.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    OGRSpatialReference wgs84;
    wgs84.SetWellKnownGeogCS("WGS84");
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    handles->toWgs84.reset(OGRCreateCoordinateTransformation(&source, &wgs84));
    handles->fromWgs84.reset(OGRCreateCoordinateTransformation(&wgs84, &source));
    if (handles->toWgs84 && handles->fromWgs84)
        return true;
    const char* crsName = source.GetName();
    error = withDetail(QStringLiteral("%1 uses a projection that cannot be transformed to WGS84: %2")
                           .arg(name, QString::fromUtf8(crsName ? crsName : "unnamed")),
                       QuietGdalErrors::lastMessage());
    return false;
}

GDALRasterBand* DemDataset::band() const
{
    return handles->dataset->GetRasterBand(1);
}

double DemDataset::elevationOf(double value) const
{
    // An infinity is no height: taken as one, it throws the mesh and every named height to infinity.
    return !std::isfinite(value) || (hasNodata && value == nodata) ? std::numeric_limits<double>::quiet_NaN() : value;
}

bool DemDataset::pixelsToWgs84(int count, double* x, double* y) const
{
    for (int k = 0; k < count; ++k) {
        const double px = x[k];
        const double py = y[k];
        x[k] = geoTransform[0] + px * geoTransform[1] + py * geoTransform[2];
        y[k] = geoTransform[3] + px * geoTransform[4] + py * geoTransform[5];
    }
    const QuietGdalErrors quiet;
    // One result for all: OGR's per-point flags would need a buffer per call.
    if (!handles->toWgs84->Transform(count, x, y))
        return false;
    for (int k = 0; k < count; ++k) {
        // A geographic source is handed through unchecked, so its latitudes may lie beyond the poles.
        if (!std::isfinite(x[k]) || !std::isfinite(y[k]) || std::abs(y[k]) > 90.0)
            return false;
    }
    return true;
}

bool DemDataset::wgs84ToPixel(double latitude, double longitude, double& column, double& row) const
{
    double x = longitude;
    double y = latitude;
    const QuietGdalErrors quiet;
    if (!handles->fromWgs84->Transform(1, &x, &y) || !std::isfinite(x) || !std::isfinite(y))
        return false;
    column = inverseTransform[0] + x * inverseTransform[1] + y * inverseTransform[2];
    row = inverseTransform[3] + x * inverseTransform[4] + y * inverseTransform[5];
    return true;
}

QString DemDataset::lastGdalMessage()
{
    return QuietGdalErrors::lastMessage();
}

} // namespace velmora::viewer
