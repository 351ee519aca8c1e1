#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <array>
#include <optional>
#include <vector>

namespace velmora::testing {

// Small GeoTIFFs with known heights, for the tests of DEM loading.

// Known heights, distinct per pixel so a mix-up of rows and columns shows.
inline double knownHeight(int column, int row)
{
    return 1000.0 + 100.0 * column + 7.0 * row;
}

// Near Mount Rainier, in two CRSs: pixels of 0.01 degree, and 30 m UTM
// zone 10 north pixels.
inline const std::array<double, 6> geographicTransform{-121.80, 0.01, 0.0, 46.90, 0.0, -0.01};
inline const std::array<double, 6> utmTransform{594000.0, 30.0, 0.0, 5190000.0, 0.0, -30.0};

struct Raster
{
    explicit Raster(int epsg_ = 4326, int columns_ = 5, int rows_ = 4) : epsg(epsg_), columns(columns_), rows(rows_) {}
    int epsg; // also picks the geotransform above
    int columns;
    int rows;
    bool geoTransform = true;
    QByteArray crs; // empty: the EPSG code; "none": no spatial reference written
    std::vector<float> values; // empty: the known heights
    std::optional<double> nodata;
};

// Writes raster as a one-band GeoTIFF at path (after GDALAllRegister); false when GDAL cannot.
inline bool writeGeoTiff(const QString& path, Raster raster)
{
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
    GDALDataset* dataset = driver ? driver->Create(QFile::encodeName(path).constData(), raster.columns, raster.rows,
                                                   1, GDT_Float32, nullptr)
                                  : nullptr;
    if (!dataset) {
        return false;
    }
    std::array<double, 6> transform = raster.epsg == 4326 ? geographicTransform : utmTransform;
    if (raster.geoTransform) {
        dataset->SetGeoTransform(transform.data());
    }
    if (raster.crs != "none") {
        OGRSpatialReference reference;
        reference.SetFromUserInput(raster.crs.isEmpty() ? qPrintable(QStringLiteral("EPSG:%1").arg(raster.epsg))
                                                        : raster.crs.constData());
        dataset->SetSpatialRef(&reference);
    }
    const bool known = raster.values.empty();
    for (int r = 0; known && r < raster.rows; ++r) {
        for (int c = 0; c < raster.columns; ++c) {
            raster.values.push_back(static_cast<float>(knownHeight(c, r)));
        }
    }
    GDALRasterBand* band = dataset->GetRasterBand(1);
    if (raster.nodata) {
        band->SetNoDataValue(*raster.nodata);
    }
    const CPLErr written = band->RasterIO(GF_Write, 0, 0, raster.columns, raster.rows, raster.values.data(),
                                          raster.columns, raster.rows, GDT_Float32, 0, 0, nullptr);
    GDALClose(GDALDataset::ToHandle(dataset));
    return written == CE_None;
}

} // namespace velmora::testing
