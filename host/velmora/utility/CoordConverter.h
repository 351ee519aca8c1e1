#pragma once

#include "velmora/Export.h"

#include <string>

namespace velmora::utility {

// Conversions between geodetic (GDC), geocentric (GCC), UTM and MGRS
// coordinates on the WGS84 ellipsoid, on GeographicLib.
//
// Units: degrees for latitude and longitude, metres for everything else.
// No operation throws. Input outside an operation's domain gives the
// documented "no value" result: NaN for doubles, zone 0 and band '\0' for
// UTM, an empty string for MGRS.
//
// UTM zones are 1..60; zone 0 stands for UPS (the polar stereographic grids
// MGRS uses beyond UTM). Band letters are the MGRS latitude bands C..X
// (without I and O) for UTM, and A/B (south pole, west/east of the 0/180
// meridian) or Y/Z (north pole, west/east) for UPS. Band letters are read
// case-insensitively and always written in upper case.
class VELMORA_EXPORT CoordConverter
{
public:
    // Geocentric (earth-centred, earth-fixed; metres) to latitude, longitude
    // (degrees, longitude in [-180, 180]) and height above the ellipsoid
    // (metres), accurate to a few nanometres anywhere, including inside the
    // earth. The earth's centre (0, 0, 0) has no single answer; it gives
    // latitude 90, longitude 0, height -6356752.314245 (minus the semi-minor
    // axis), the north pole's direction. Any NaN or infinite input, or a
    // point so far out that a result would overflow, gives NaN for all three
    // outputs.
    static void convertGccToGdc(double x, double y, double z, double& latitude, double& longitude,
                                double& elevation);

    // Latitude, longitude (degrees) to UTM/UPS. `zone` and `band` are outputs
    // only; what they hold on entry is ignored.
    //
    // For latitudes in [-80, 84) the result is UTM in the standard zone,
    // including the Norway (32V) and Svalbard (31X, 33X, 35X, 37X)
    // exceptions; the band letter follows the latitude (8-degree bands from
    // C at 80S, X stretched to cover 72N..84N). Longitude may be any finite
    // value (taken modulo 360); 180 and -180 are the same meridian and both
    // fall in zone 1, whose western edge it is.
    //
    // Beyond UTM (latitude >= 84 or < -80) the result is UPS: zone 0, band
    // 'Y'/'Z' in the north or 'A'/'B' in the south (west/east of the 0/180
    // meridian, i.e. easting below/from 2,000,000 m), with UPS easting and
    // northing, so every reachable latitude gets a grid position.
    //
    // Out of domain (|latitude| > 90, a NaN input or an infinite longitude):
    // zone 0, band '\0', NaN easting and northing. Easting and northing are
    // in metres and not rounded.
    static void convertGdcToUtm(double latitude, double longitude, unsigned int& zone, char& band,
                                double& easting, double& northing);

    // UTM/UPS (metres) to latitude, longitude (degrees). The band only picks
    // the hemisphere: N..X north, C..M south; for zone 0, Y/Z north pole and
    // A/B south pole UPS. It is not checked against the position.
    //
    // Northings continued across the equator are accepted, so a point may be
    // given in either hemisphere's convention: UTM northings in
    // [-9,100,000, 9,600,000] with a northern band and [900,000, 19,600,000]
    // with a southern band; eastings in [0, 1,000,000]. UPS eastings and
    // northings in [1,200,000, 2,800,000] (north) or [700,000, 3,300,000]
    // (south). These are GeographicLib's limits, 100 km wider than MGRS's.
    //
    // A zone above 60, a band that is no letter of the zone's kind, a NaN
    // input or coordinates outside those ranges give NaN for both outputs.
    static void convertUtmToGdc(unsigned int zone, char band, double easting, double northing,
                                double& latitude, double& longitude);

    // UTM/UPS (metres) to an MGRS reference without spaces, e.g.
    // "33TWN8468312345". `precision` is the number of digits for each of
    // easting and northing: 0 gives the 100 km square ("33TWN"), 5 one metre,
    // larger values are clamped to 11 (one micrometre), GeographicLib's
    // maximum. Digits are truncated, not rounded, as MGRS requires: the
    // reference names the cell that contains the point.
    //
    // The band only picks the hemisphere for the given northing (see
    // convertUtmToGdc, both conventions are accepted); the band letter in the
    // result is the one of the actual position, except within about a metre
    // (1e-5 degrees) of an edge of the given band, where it is the given
    // band's: a point that convertGdcToUtm puts in band P at exactly 8N keeps
    // P here too, although its latitude recomputed from easting and northing
    // may fall a hair short.
    // Points MGRS cannot represent
    // (outside its ranges, an invalid zone or band, NaN) give an empty string.
    static std::string convertUtmToMgrs(double easting, double northing, unsigned int zone, char band,
                                        unsigned int precision);

    // Reads an MGRS reference and gives its UTM/UPS position (metres).
    //
    // Accepted: upper or lower case; ASCII whitespace between the groups
    // (zone, band, 100 km square letters, easting digits, northing digits);
    // full references ("33TWN8468312345", "ZGC1234") and UTM references
    // without the grid zone designation ("WN8468312345", "wn 84683 12345"),
    // which are completed with the incoming `zone` (1..60) and `band`. 0 to 11
    // digits each for easting and northing.
    //
    // The position returned is the south-west (lower-left) corner of the
    // referenced cell, i.e. the point as written: "33TWN8468312345" gives
    // easting 584683, northing 5212345. A panel showing it reproduces the
    // digits the user typed.
    //
    // Hemisphere: the caller converts the result with its own remembered
    // band. When `band` is a valid UTM band letter of the other hemisphere
    // than the reference's, the northing is given in `band`'s convention
    // (northern: southern northing - 10,000,000; southern: northern northing
    // + 10,000,000), so convertUtmToGdc(zoneOut, band, easting, northing)
    // lands on the referenced point. Otherwise (including '\0' or ' ') the
    // reference's own hemisphere convention is used. UPS references are never
    // adjusted.
    //
    // On success returns true, sets zoneOut (0 for UPS), easting and northing
    // and clears `error`. On failure returns false, leaves zoneOut, easting
    // and northing unchanged and puts a short English reason in `error`.
    static bool convertMgrsToUtm(unsigned int zone, char band, const std::string& mgrs,
                                 unsigned int& zoneOut, double& easting, double& northing,
                                 std::string& error);
};

} // namespace velmora::utility
