// MGRS text as a user types it into the panel, with the panel's remembered
// zone and band, through the conversions the panel feeds it to.
//
// Input: one byte for the remembered zone (0..63, past the valid 1..60), one
// for the remembered band, the rest is the text.

#include "FuzzCheck.h"

#include <velmora/utility/CoordConverter.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

using velmora::utility::CoordConverter;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const unsigned int zone = data[0] % 64;
    const char band = static_cast<char>(data[1]);
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);

    unsigned int zoneOut = zone;
    double easting = 0.0;
    double northing = 0.0;
    std::string error;
    if (!CoordConverter::convertMgrsToUtm(zone, band, text, zoneOut, easting, northing, error)) {
        // The reason is shown beside the field; an empty one leaves the user guessing.
        FUZZ_CHECK(!error.empty(), "text '%s'", text.c_str());
        return 0;
    }
    FUZZ_CHECK(error.empty(), "error '%s' after success", error.c_str());
    FUZZ_CHECK(zoneOut <= 60 && std::isfinite(easting) && std::isfinite(northing), "zone %u, %.17g, %.17g", zoneOut,
               easting, northing);

    // The panel goes on with its remembered band.
    double latitude = 0.0;
    double longitude = 0.0;
    CoordConverter::convertUtmToGdc(zoneOut, band, easting, northing, latitude, longitude);
    FUZZ_CHECK(std::isnan(latitude) == std::isnan(longitude), "%.17g, %.17g", latitude, longitude);
    FUZZ_CHECK(std::isnan(latitude) || (std::fabs(latitude) <= 90.0 && std::fabs(longitude) <= 180.0),
               "%.17g, %.17g", latitude, longitude);

    // What the panel writes back must read again as the same 1 m cell.
    const std::string written = CoordConverter::convertUtmToMgrs(easting, northing, zoneOut, band, 5);
    if (written.empty())
        return 0;
    unsigned int zoneAgain = zoneOut;
    double eastingAgain = 0.0;
    double northingAgain = 0.0;
    FUZZ_CHECK(CoordConverter::convertMgrsToUtm(zoneOut, band, written, zoneAgain, eastingAgain, northingAgain, error),
               "'%s' written for '%s' does not read: %s", written.c_str(), text.c_str(), error.c_str());
    FUZZ_CHECK(zoneAgain == zoneOut && std::fabs(eastingAgain - easting) <= 1.0 &&
                   std::fabs(northingAgain - northing) <= 1.0,
               "'%s' reads as %u %.17g %.17g, written from %u %.17g %.17g", written.c_str(), zoneAgain, eastingAgain,
               northingAgain, zoneOut, easting, northing);
    return 0;
}
