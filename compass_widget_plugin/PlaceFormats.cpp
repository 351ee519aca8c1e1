#include "PlaceFormats.h"

#include <velmora/utility/CoordConverter.h>

#include <cmath>

namespace velmora::plugin::compass_widget {

namespace {

using utility::CoordConverter;

QString degrees(double value)
{
    return QString::number(value, 'f', 6);
}

QString metres(double value)
{
    return QString::number(value, 'f', 2);
}

// Counted in hundredths of a second, so rounding carries into the minutes and
// degrees and a text never shows 60 seconds or minutes.
QString dmsAngle(double value, QLatin1Char positive, QLatin1Char negative)
{
    const long long hundredths = std::llround(std::fabs(value) * 360000.0);
    return QStringLiteral("%1\u00B0%2'%3\"%4")
        .arg(hundredths / 360000)
        .arg(hundredths / 6000 % 60, 2, 10, QLatin1Char('0'))
        .arg(static_cast<double>(hundredths % 6000) / 100.0, 5, 'f', 2, QLatin1Char('0'))
        .arg(value < 0.0 ? negative : positive);
}

QString gridText(CopyFormat format, double latitude, double longitude)
{
    unsigned int zone = 0;
    char band = '\0';
    double easting = 0.0;
    double northing = 0.0;
    CoordConverter::convertGdcToUtm(latitude, longitude, zone, band, easting, northing);
    if (band == '\0')
        return {};
    if (format == CopyFormat::Mgrs)
        return QString::fromStdString(CoordConverter::convertUtmToMgrs(easting, northing, zone, band, 5));
    const QString position =
        QStringLiteral("%1 %2").arg(std::floor(easting), 0, 'f', 0).arg(std::floor(northing), 0, 'f', 0);
    // UPS has no zone; its band letter names the pole and the side.
    if (zone == 0)
        return QStringLiteral("%1 %2").arg(QLatin1Char(band)).arg(position);
    return QStringLiteral("%1%2 %3").arg(zone).arg(QLatin1Char(band)).arg(position);
}

QString kmlText(double latitude, double longitude, double height)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n"
                          "  <Placemark>\n"
                          "    <name>%1, %2</name>\n"
                          "    <Point>\n"
                          "      <altitudeMode>absolute</altitudeMode>\n"
                          "      <coordinates>%2,%1,%3</coordinates>\n"
                          "    </Point>\n"
                          "  </Placemark>\n"
                          "</kml>\n")
        .arg(degrees(latitude), degrees(longitude), metres(height));
}

} // namespace

QString placeText(CopyFormat format, double latitude, double longitude, double height)
{
    if (!std::isfinite(latitude) || !std::isfinite(longitude) || !std::isfinite(height) || std::fabs(latitude) > 90.0)
        return {};
    longitude = std::remainder(longitude, 360.0);
    switch (format) {
    case CopyFormat::DecimalDegrees:
        return degrees(latitude) + QLatin1String(", ") + degrees(longitude);
    case CopyFormat::DegreesMinutesSeconds:
        return dmsAngle(latitude, QLatin1Char('N'), QLatin1Char('S')) + QLatin1Char(' ') +
               dmsAngle(longitude, QLatin1Char('E'), QLatin1Char('W'));
    case CopyFormat::Utm:
    case CopyFormat::Mgrs:
        return gridText(format, latitude, longitude);
    case CopyFormat::GeoUri:
        return QStringLiteral("geo:%1,%2,%3").arg(degrees(latitude), degrees(longitude), metres(height));
    case CopyFormat::GeoJson:
        return QStringLiteral("{\"type\":\"Point\",\"coordinates\":[%1,%2,%3]}")
            .arg(degrees(longitude), degrees(latitude), metres(height));
    case CopyFormat::Kml:
        return kmlText(latitude, longitude, height);
    case CopyFormat::Wkt:
        return QStringLiteral("POINT Z (%1 %2 %3)").arg(degrees(longitude), degrees(latitude), metres(height));
    }
    return {};
}

} // namespace velmora::plugin::compass_widget
