#pragma once

#include "UtmLocation.h"

#include <QString>

#include <limits>

namespace velmora::plugin::compass_widget {

// The kinds of text the paste reader recognises; None when a text names no place.
enum class PlaceTextForm
{
    None,
    DecimalDegrees,
    DegreesMinutes,
    DegreesMinutesSeconds,
    Utm,
    Mgrs,
    GeoUri,
    GeoJson,
    Kml,
    Wkt
};

// A place read from a text, or the reason the text names none.
struct PastedPlace
{
    PlaceTextForm form = PlaceTextForm::None;
    double latitude = std::numeric_limits<double>::quiet_NaN();  // degrees, -90..90
    double longitude = std::numeric_limits<double>::quiet_NaN(); // degrees, -180..180
    // Metres above the ellipsoid; NaN when the text gives no height.
    double height = std::numeric_limits<double>::quiet_NaN();
    // For UTM and MGRS texts the grid position exactly as written (MGRS: the
    // south-west corner of its cell), with the band of the place's latitude;
    // band '\0' for every other form.
    UtmLocation grid;
    // How the text was read ("Read as MGRS 10TES9450789496: the south-west
    // corner of its 1 m square"), or, for None, why it names no place.
    QString note;
};

// Reads a text that a user pastes or drops as one place. Accepted, with
// blanks around and between the parts:
// - latitude and longitude in decimal degrees, degrees and decimal minutes or
//   degrees, minutes and seconds; separated by a comma, semicolon, slash or
//   blank; marked with °, ', ", ′, ″, d/m/s or joined by colons; signed or
//   with N/S/E/W before or after each angle, or labelled "lat"/"lon".
//   Hemisphere letters and labels decide which angle is the latitude; bare
//   numbers are latitude first unless the first is beyond ±90 and the second
//   is not. Four or six bare numbers are two degrees-minutes(-seconds) angles;
// - UTM: zone 1..60, a band letter or N/S for the hemisphere, easting and
//   northing in metres, optionally suffixed E/mE and N/mN ("10T 594835
//   5189196", "10 n 594835E 5189196N"); UPS as a band A, B, Y or Z without
//   zone (or zone 0). A letter S that is no band of the place reads as the
//   southern hemisphere;
// - MGRS references with a grid zone designation, any case and spacing, 0 to
//   11 digit pairs (polar references with at least one pair);
// - geo: URIs (latitude, longitude, optional altitude, parameters; only the
//   WGS84 crs), GeoJSON Points (also as a Feature's geometry), the first
//   coordinates of a KML text, WKT POINT / POINT Z (optionally SRID=4326;).
// Latitudes beyond ±90, longitudes beyond ±180, minutes or seconds outside
// 0..60, grid positions no place has, other coordinate systems, texts longer
// than 4096 characters and everything else give form None and a reason.
// Never throws; the grid conversions go through the host's CoordConverter.
PastedPlace readPastedPlace(const QString& text);

} // namespace velmora::plugin::compass_widget
