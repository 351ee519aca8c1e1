// The host's conversions with any numbers, including NaN, infinities,
// subnormals and values far outside the earth: each gives its "no value"
// result or finite values in range, and what it writes as MGRS reads back.
// Then MGRS text as a user types it into the panel, with the panel's
// remembered zone and band, through the conversions the panel feeds it to.
//
// Input: zone (0..63, past the valid 1..60), band and precision bytes, three
// raw doubles (missing bytes read as zero), then the rest as MGRS text.

#include "FuzzCheck.h"

#include <velmora/utility/CoordConverter.h>

#include <algorithm>
#include <cmath>
#include <string>

using velmora::utility::CoordConverter;

namespace {

bool isPlace(double latitude, double longitude)
{
    return std::fabs(latitude) <= 90.0 && std::fabs(longitude) <= 180.0;
}

// (easting, northing) as the panel goes on with them: a place or none, and
// the reference written for them reads back; for a position read from a
// reference, as the same 1 m cell.
void checkGrid(unsigned int zone, char band, double easting, double northing, unsigned int precision, bool read)
{
    double latitude = 0.0, longitude = 0.0;
    CoordConverter::convertUtmToGdc(zone, band, easting, northing, latitude, longitude);
    FUZZ_CHECK(std::isnan(latitude) == std::isnan(longitude), "%.17g %.17g", latitude, longitude);
    FUZZ_CHECK(std::isnan(latitude) || isPlace(latitude, longitude), "%u %c %.17g %.17g", zone, band, easting,
               northing);

    const std::string mgrs = CoordConverter::convertUtmToMgrs(easting, northing, zone, band, precision);
    if (mgrs.empty())
        return;
    unsigned int zoneOut = zone;
    double eastingOut = 0.0, northingOut = 0.0;
    std::string error;
    FUZZ_CHECK(CoordConverter::convertMgrsToUtm(zone, band, mgrs, zoneOut, eastingOut, northingOut, error),
               "'%s' from %u %c %.17g %.17g does not read: %s", mgrs.c_str(), zone, band, easting, northing,
               error.c_str());
    FUZZ_CHECK(std::isfinite(eastingOut) && std::isfinite(northingOut), "'%s'", mgrs.c_str());
    if (read)
        FUZZ_CHECK(zoneOut == zone && std::fabs(eastingOut - easting) <= 1.0 &&
                       std::fabs(northingOut - northing) <= 1.0,
                   "'%s' reads as %u %.17g %.17g, written from %u %.17g %.17g", mgrs.c_str(), zoneOut, eastingOut,
                   northingOut, zone, easting, northing);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const unsigned int zone = input.byte() % 64;
    const char band = static_cast<char>(input.byte());
    const unsigned int precision = input.byte() % 16;
    const double a = input.number();
    const double b = input.number();
    const double c = input.number();

    double latitude = 0.0, longitude = 0.0, height = 0.0;
    CoordConverter::convertGccToGdc(a, b, c, latitude, longitude, height);
    if (!std::isnan(latitude))
        FUZZ_CHECK(isPlace(latitude, longitude) && std::isfinite(height), "%.17g %.17g %.17g", a, b, c);

    // (a, b) as latitude and longitude: UTM/UPS and back to the same place.
    unsigned int gridZone = 99;
    char gridBand = '?';
    double easting = 0.0, northing = 0.0;
    CoordConverter::convertGdcToUtm(a, b, gridZone, gridBand, easting, northing);
    if (gridBand == '\0') {
        FUZZ_CHECK(gridZone == 0 && std::isnan(easting) && std::isnan(northing), "%.17g %.17g", a, b);
    } else {
        FUZZ_CHECK(gridZone <= 60 && std::isfinite(easting) && std::isfinite(northing), "%.17g %.17g", a, b);
        CoordConverter::convertUtmToGdc(gridZone, gridBand, easting, northing, latitude, longitude);
        // 1e-7 degrees is about a centimetre; longitude means nothing at a pole.
        FUZZ_CHECK(std::fabs(latitude - a) <= 1e-7, "%.17g %.17g back as %.17g", a, b, latitude);
        if (std::fabs(a) < 89.9)
            FUZZ_CHECK(std::fabs(std::remainder(longitude - std::remainder(b, 360.0), 360.0)) <= 1e-7,
                       "%.17g %.17g back as %.17g", a, b, longitude);
    }

    // (a, b) as easting and northing in the fuzzed zone and band.
    checkGrid(zone, band, a, b, precision, false);

    // The typed reference; the reason for a refusal is shown beside the
    // field, and an empty one leaves the user guessing.
    const char* bytes = reinterpret_cast<const char*>(data);
    const std::string text(bytes + std::min(size, 3 + 3 * sizeof(double)), bytes + size);
    unsigned int typedZone = zone;
    std::string error;
    if (!CoordConverter::convertMgrsToUtm(zone, band, text, typedZone, easting, northing, error)) {
        FUZZ_CHECK(!error.empty(), "text '%s'", text.c_str());
        return 0;
    }
    FUZZ_CHECK(error.empty() && typedZone <= 60 && std::isfinite(easting) && std::isfinite(northing),
               "'%s' reads as zone %u, %.17g, %.17g (error '%s')", text.c_str(), typedZone, easting, northing,
               error.c_str());
    // The panel goes on with its remembered band.
    checkGrid(typedZone, band, easting, northing, 5, true);
    return 0;
}
