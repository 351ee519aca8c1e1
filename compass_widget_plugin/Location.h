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
// From a UTM (or UPS) position: MGRS, latitude and longitude at elevation 0
// (a grid position has no height), then local and geocentric.
Location locationFromUtm(const UtmLocation& utm);

// Why the location cannot be shown, in words for the panel, or the empty text
// when every form has a value. Out-of-domain input reaches the host unchanged
// and comes back as NaN, a band of '\0' or an empty MGRS text; none of that
// may ever be shown as a position. Nor is a position more than 1e10 m from the
// earth's centre.
QString locationProblem(const Location& location);

} // namespace velmora::plugin::compass_widget
