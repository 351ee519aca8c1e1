#pragma once

#include <QByteArray>
#include <QFile>
#include <QRect>
#include <QSize>
#include <QString>

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <array>
#include <cmath>
#include <vector>

namespace velmora::testing {

// Small GeoTIFFs with known heights, for the tests of DEM loading.

// Known heights, distinct per pixel so a mix-up of rows and columns shows.
inline double knownHeight(int column, int row) { return 1000.0 + 100.0 * column + 7.0 * row; }

// Near Mount Rainier: pixels of 0.01 degree in WGS84 (EPSG 4326), or of 30 m in UTM zone 10 north (32610).
inline std::array<double, 6> geoTransform(int epsg)
{
    return epsg == 4326 ? std::array{-121.80, 0.01, 0.0, 46.90, 0.0, -0.01}
                        : std::array{594000.0, 30.0, 0.0, 5190000.0, 0.0, -30.0};
}

struct Raster
{
    int epsg = 4326;
    QSize size{5, 4}; // columns and rows
    bool georeferenced = true; // false: neither a geotransform nor a spatial reference
    QByteArray crs;            // empty: the EPSG code; "none": no spatial reference written
    QRect hole;                // pixels written as holeValue, else each has its known height
    float holeValue = -32768.0f; // declared as the band's nodata value unless it is not finite
    bool rough = false;          // odd columns and rows raised, so a mesh of every other pixel misses them
    double pixelScale = 1.0;     // times the pixel size of geoTransform()
    bool overviews = false;      // overviews of 2 and 4 times coarser, averaging the pixels they cover
};

// The nodata value written into holes.
constexpr float nodataValue = -32768.0f;

// The height written at a pixel outside the hole.
inline double heightOf(const Raster& raster, int column, int row)
{
    return knownHeight(column, row) + (raster.rough ? 40.0 * (column % 2) + 25.0 * (row % 2) : 0.0);
}

// Writes raster as a one-band GeoTIFF at path (after GDALAllRegister); false when GDAL cannot.
inline bool writeGeoTiff(const QString& path, const Raster& raster)
{
    const QSize& size = raster.size;
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
    GDALDataset* dataset = driver ? driver->Create(QFile::encodeName(path).constData(), size.width(), size.height(),
                                                   1, GDT_Float32, nullptr)
                                  : nullptr;
    if (!dataset)
        return false;
    OGRSpatialReference reference;
    reference.SetFromUserInput(raster.crs.isEmpty() ? qPrintable(QStringLiteral("EPSG:%1").arg(raster.epsg))
                                                    : raster.crs.constData());
    std::array<double, 6> transform = geoTransform(raster.epsg);
    transform[1] *= raster.pixelScale;
    transform[5] *= raster.pixelScale;
    if (raster.georeferenced)
        dataset->SetGeoTransform(transform.data());
    if (raster.georeferenced && raster.crs != "none")
        dataset->SetSpatialRef(&reference);
    std::vector<float> values;
    for (int row = 0; row < size.height(); ++row)
        for (int column = 0; column < size.width(); ++column)
            values.push_back(raster.hole.contains(column, row) ? raster.holeValue : float(heightOf(raster, column, row)));
    GDALRasterBand* band = dataset->GetRasterBand(1);
    if (!raster.hole.isEmpty() && std::isfinite(raster.holeValue))
        band->SetNoDataValue(raster.holeValue);
    const CPLErr written = band->RasterIO(GF_Write, 0, 0, size.width(), size.height(), values.data(), size.width(),
                                          size.height(), GDT_Float32, 0, 0, nullptr);
    const int factors[] = {2, 4};
    const bool summarised = !raster.overviews || dataset->BuildOverviews("AVERAGE", 2, factors, 0, nullptr, nullptr,
                                                                         nullptr) == CE_None;
    GDALClose(GDALDataset::ToHandle(dataset));
    return written == CE_None && summarised;
}

} // namespace velmora::testing
