#pragma once

#include "UtmLocation.h"

#include <gmtl/Vec.h>

#include <QString>

#include <string>

namespace velmora::plugin::compass_widget {

// One place in every form the panel shows, derived through the host's terrain
// manager and coordinate converter from the form the user edited. Nothing
// here is rounded: the panel rounds when it writes the texts.
struct Location
{
    gmtl::Vec<double, 3> gdc;   // latitude, longitude (degrees), elevation (metres)
    gmtl::Vec<double, 3> gcc;   // geocentric x, y, z (metres)
    gmtl::Vec<double, 3> local; // terrain-local x, y, z (metres)
    UtmLocation utm;
    std::string mgrs;           // 1 m precision
};

// From latitude, longitude and elevation: local, then geocentric from local,
// then UTM and MGRS from latitude and longitude. Any finite longitude is
// taken modulo 360 and kept in [-180, 180]; values within that range stay
// exactly as given.
Location locationFromGdc(const gmtl::Vec<double, 3>& gdc);
// From geocentric x, y, z: geodetic, local, UTM and MGRS.
Location locationFromGcc(const gmtl::Vec<double, 3>& gcc);
// From terrain-local x, y, z: geocentric, geodetic from it, UTM and MGRS.
Location locationFromLocal(const gmtl::Vec<double, 3>& local);
// From a UTM (or UPS) position and an elevation in metres (a grid position
// has no height of its own, so the caller keeps the one it showed): MGRS,
// latitude and longitude, then local and geocentric. The band of utm only
// picks the hemisphere; the result's band is the one the place lies in, as
// its MGRS reference names it (a band's 100 km rows run past its edges, so
// the two can differ). Without a reference the band stays as given.
Location locationFromUtm(const UtmLocation& utm, double elevation);

// Why the location cannot be shown, in words for the panel, or the empty text
// when every form has a value. Out-of-domain input reaches the host unchanged
// and comes back as NaN, a band of '\0' or an empty MGRS text; none of that
// may ever be shown as a position. Nor is a position more than 1e10 m from the
// earth's centre.
QString locationProblem(const Location& location);

} // namespace velmora::plugin::compass_widget
