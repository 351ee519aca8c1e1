#pragma once

#include <QString>

#include <memory>
#include <optional>

class GDALDataset;
class GDALRasterBand;
class OGRCoordinateTransformation;
class OGRSpatialReference;

namespace velmora::viewer {

// One open elevation raster with its georeferencing checked: band 1 holds the
// heights, and every pixel centre can be placed on WGS84 and back through the
// raster's own geotransform and spatial reference (OGR does the projection
// maths). Not safe to share between threads: open one per thread.
class DemDataset
{
public:
    // The most pixels on either side of a raster the viewer accepts: beyond
    // that (an absurd header, say) no sampling of it could be meaningful.
    static constexpr int maxRasterSide = 1 << 22;

    // Opens path. Returns std::nullopt with a readable reason in error when
    // the file is missing, is not a raster GDAL reads, is smaller than 2 x 2
    // or larger than maxRasterSide pixels on a side, lacks a geotransform or
    // spatial reference, or uses a CRS that cannot be transformed to WGS84.
    static std::optional<DemDataset> open(const QString& path, QString& error);

    DemDataset(DemDataset&&) noexcept;
    DemDataset& operator=(DemDataset&&) noexcept;
    ~DemDataset();

    int width() const { return columns; }
    int height() const { return rows; }
    QString fileName() const { return name; }
    GDALRasterBand* band() const;
    // value (as read from band 1) as a height in metres, or NaN where it
    // stands for none: the band's nodata value, NaN or an infinity.
    double elevationOf(double value) const;

    // Turns count pixel positions (column, row; pixel centres at + 0.5) into
    // longitudes (x, degrees) and latitudes (y, degrees) in place. False when
    // any of them has no place on WGS84.
    bool pixelsToWgs84(int count, double* x, double* y) const;
    // Turns a WGS84 latitude and longitude (degrees) into a fractional pixel
    // position (column, row; pixel centres at + 0.5). False when the
    // projection cannot map it.
    bool wgs84ToPixel(double latitude, double longitude, double& column, double& row) const;

    // GDAL's last message on this thread, or an empty text.
    static QString lastGdalMessage();

private:
    struct Handles;
    DemDataset();
    bool createTransformations(const OGRSpatialReference& reference, QString& error);

    std::unique_ptr<Handles> handles;
    QString name;
    int columns = 0;
    int rows = 0;
    double geoTransform[6] = {0.0, 1.0, 0.0, 0.0, 0.0, 1.0};
    double inverseTransform[6] = {0.0, 1.0, 0.0, 0.0, 0.0, 1.0};
    bool hasNodata = false;
    double nodata = 0.0;
};

} // namespace velmora::viewer
