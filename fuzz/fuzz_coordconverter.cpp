// The host's conversions with any numbers, including NaN, infinities,
// subnormals and values far outside the earth: each gives its "no value"
// result or finite values in range, and what it writes as MGRS reads back.
//
// Input: zone, band and precision bytes, then raw doubles (missing bytes
// read as zero).

#include "FuzzCheck.h"

#include <velmora/utility/CoordConverter.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

using velmora::utility::CoordConverter;

namespace {

bool isLatitude(double value)
{
    return std::fabs(value) <= 90.0;
}

bool isLongitude(double value)
{
    return std::fabs(value) <= 180.0;
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

    double latitude = 0.0;
    double longitude = 0.0;
    double height = 0.0;
    CoordConverter::convertGccToGdc(a, b, c, latitude, longitude, height);
    if (!std::isnan(latitude))
        FUZZ_CHECK(isLatitude(latitude) && isLongitude(longitude) && std::isfinite(height), "%.17g %.17g %.17g", a, b,
                   c);

    // (a, b) as latitude and longitude: UTM/UPS and back to the same place.
    unsigned int gridZone = 99;
    char gridBand = '?';
    double easting = 0.0;
    double northing = 0.0;
    CoordConverter::convertGdcToUtm(a, b, gridZone, gridBand, easting, northing);
    if (gridBand == '\0') {
        FUZZ_CHECK(gridZone == 0 && std::isnan(easting) && std::isnan(northing), "%.17g %.17g", a, b);
    } else {
        FUZZ_CHECK(gridZone <= 60 && std::isfinite(easting) && std::isfinite(northing), "%.17g %.17g", a, b);
        CoordConverter::convertUtmToGdc(gridZone, gridBand, easting, northing, latitude, longitude);
        // 1e-7 degrees is about a centimetre; longitude means nothing at a pole.
        FUZZ_CHECK(std::fabs(latitude - a) <= 1e-7, "%.17g %.17g back as %.17g", a, b, latitude);
        if (std::fabs(a) < 89.9)
            FUZZ_CHECK(std::fabs(std::remainder(longitude - std::remainder(b, 360.0), 360.0)) <= 1e-7, "%.17g %.17g back as %.17g", a, b,
                       longitude);
    }

    // (a, b) as easting and northing in the fuzzed zone and band.
    CoordConverter::convertUtmToGdc(zone, band, a, b, latitude, longitude);
    FUZZ_CHECK(std::isnan(latitude) == std::isnan(longitude), "%.17g %.17g", latitude, longitude);
    if (!std::isnan(latitude))
        FUZZ_CHECK(isLatitude(latitude) && isLongitude(longitude), "%u %c %.17g %.17g", zone, band, a, b);

    const std::string mgrs = CoordConverter::convertUtmToMgrs(a, b, zone, band, precision);
    if (!mgrs.empty()) {
        unsigned int zoneOut = zone;
        std::string error;
        FUZZ_CHECK(CoordConverter::convertMgrsToUtm(zone, band, mgrs, zoneOut, easting, northing, error),
                   "'%s' from %u %c %.17g %.17g does not read: %s", mgrs.c_str(), zone, band, a, b, error.c_str());
        FUZZ_CHECK(std::isfinite(easting) && std::isfinite(northing), "'%s'", mgrs.c_str());
    }
    return 0;
}
