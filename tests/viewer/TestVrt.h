#pragma once

#include <QFile>
#include <QString>

namespace velmora::testing {

// Writes at path a VRT of side x side pixels of 1e-7 degrees in WGS84 with no
// data (GDAL reads zeros), its north-west corner at latitude north and
// longitude -122: a file of a few hundred bytes that claims any size or place.
inline bool writeVrt(const QString& path, int side, double north)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(QStringLiteral("<VRTDataset rasterXSize=\"%1\" rasterYSize=\"%1\"><SRS>EPSG:4326</SRS>"
                                     "<GeoTransform>-122, 1e-7, 0, %2, 0, -1e-7</GeoTransform>"
                                     "<VRTRasterBand dataType=\"Float32\" band=\"1\"/></VRTDataset>")
                          .arg(side)
                          .arg(north)
                          .toUtf8()) > 0;
}

} // namespace velmora::testing
