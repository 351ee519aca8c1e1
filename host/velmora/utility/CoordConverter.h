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
class VELMORA_EXPORT CoordConverter
{
public:
    static void convertGccToGdc(double x, double y, double z, double& latitude, double& longitude,
                                double& elevation);
    static void convertGdcToUtm(double latitude, double longitude, unsigned int& zone, char& band,
                                double& easting, double& northing);
    static void convertUtmToGdc(unsigned int zone, char band, double easting, double northing,
                                double& latitude, double& longitude);
    static std::string convertUtmToMgrs(double easting, double northing, unsigned int zone, char band,
                                        unsigned int precision);
    static bool convertMgrsToUtm(unsigned int zone, char band, const std::string& mgrs,
                                 unsigned int& zoneOut, double& easting, double& northing,
                                 std::string& error);
};

} // namespace velmora::utility
