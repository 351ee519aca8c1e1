#pragma once

#include <QString>

#include <array>

namespace velmora::plugin::compass_widget {

// The one-line and document forms a place is copied in for other tools.
enum class CopyFormat
{
    DecimalDegrees,
    DegreesMinutesSeconds,
    Utm,
    Mgrs,
    GeoUri,
    GeoJson,
    Kml,
    Wkt
};

// One copy format as the panel offers it: the menu text, the object name of
// its action and the MIME type it goes on the clipboard as beside text/plain
// (null when there is none).
struct CopyFormatChoice
{
    CopyFormat format;
    const char* menuText;
    const char* objectName;
    const char* mimeType;
};

inline constexpr std::array<CopyFormatChoice, 8> copyFormatChoices{{
    {CopyFormat::DecimalDegrees, "Decimal degrees", "copyDecimalDegreesAction", nullptr},
    {CopyFormat::DegreesMinutesSeconds, "Degrees, minutes, seconds", "copyDmsAction", nullptr},
    {CopyFormat::Utm, "UTM", "copyUtmAction", nullptr},
    {CopyFormat::Mgrs, "MGRS", "copyMgrsAction", nullptr},
    {CopyFormat::GeoUri, "geo: URI", "copyGeoUriAction", nullptr},
    {CopyFormat::GeoJson, "GeoJSON Point", "copyGeoJsonAction", "application/geo+json"},
    {CopyFormat::Kml, "KML Placemark", "copyKmlAction", "application/vnd.google-earth.kml+xml"},
    {CopyFormat::Wkt, "WKT POINT Z", "copyWktAction", nullptr},
}};

// A place (latitude -90..90 and longitude in degrees, height in metres above
// the ellipsoid) written in a copy format. Degrees have 6 decimals (about
// 0.1 m), seconds 2, heights 2; UTM eastings and northings are whole metres
// and MGRS has 1 m digits, both truncated: they name the metre the place lies
// in. UTM beyond its latitudes is UPS, written without zone ("Z 2106113
// 1398202"). Examples for 46.8529 N, 121.7604 W, 1500 m:
//   46.852900, -121.760400
//   46°51'10.44"N 121°45'37.44"W
//   10T 594499 5189563
//   10TES9449989563
//   geo:46.852900,-121.760400,1500.00
//   {"type":"Point","coordinates":[-121.760400,46.852900,1500.00]}
//   a KML document with one Placemark, named in decimal degrees
//   POINT Z (-121.760400 46.852900 1500.00)
// Every text reads back through readPastedPlace to the same place within
// 1.5 m. A latitude beyond ±90 or a NaN or infinite input gives an empty text.
QString placeText(CopyFormat format, double latitude, double longitude, double height);

} // namespace velmora::plugin::compass_widget
