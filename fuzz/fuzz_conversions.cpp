// Every conversion and reader a position typed into the panel goes through,
// with any input: the host's conversions give their "no value" result or
// finite values in range for any numbers (NaN, infinities, subnormals, far
// outside the earth), and what they write as MGRS reads back; typed MGRS text
// reads with the panel's remembered zone and band or is refused with a
// reason; the field readers, the UTM check, the MGRS band letter and the
// deg:min:sec split and join keep the promises stated at each check below.
//
// Input: zone, band and precision bytes, three raw doubles, four texts for
// the UTM fields (each a length byte and UTF-8 bytes), then a typed text.
// An input that starts with 'P' is instead a pasted text (UTF-8 after the
// 'P') for the paste reader, whose places every copy format writes and
// reads back.

#include "FuzzCheck.h"

#include "DegreeSplit.h"
#include "GridInput.h"
#include "NumberText.h"
#include "PastedPlace.h"
#include "PlaceFormats.h"

#include <velmora/utility/CoordConverter.h>

#include <QString>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <string>

using namespace velmora::plugin::compass_widget;
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

// Latitudes and longitudes reach the deg:min:sec fields within these degrees.
constexpr double largestShownAngle = 360.0;

// A finite number as a field shows it: never "nan", "inf" or an exponent, and it reads back within its 8
// digits and its decimals.
void checkFormat(double value)
{
    if (!std::isfinite(value))
        return;
    const QString text = formatDouble(value, metreDecimals);
    FUZZ_CHECK(!text.contains("nan", Qt::CaseInsensitive) && !text.contains("inf", Qt::CaseInsensitive) &&
                   !text.contains('e', Qt::CaseInsensitive),
               "%.17g shown as '%s'", value, qPrintable(text));
    const double back = textToDouble(text);
    // Rounding to 8 significant digits moves a value by at most half a unit
    // of the 8th digit, 5e-8 of it, and the decimals by half their last one.
    const double tolerance = 5e-8 * std::fabs(value) + 0.5 * std::pow(10.0, -metreDecimals) * (1.0 + 1e-9);
    FUZZ_CHECK(std::fabs(back - value) <= tolerance, "%.17g shown as '%s' reads back as %.17g", value,
               qPrintable(text), back);
}

// An angle split into degrees, minutes 0..59 and seconds [0, 60), and joined again from the texts.
void checkSplitJoin(double value)
{
    if (!std::isfinite(value) || std::fabs(value) > largestShownAngle)
        return;
    const DegreeParts parts = splitDegrees(value);
    FUZZ_CHECK(parts.degrees >= 0 && parts.minutes >= 0 && parts.minutes <= 59 && parts.seconds >= 0.0 &&
                   parts.seconds < 60.0,
               "%.17g splits into %d %d %.9g", value, parts.degrees, parts.minutes, parts.seconds);
    // Read back as the panel reads its fields: the seconds as it writes them.
    const QString shownSeconds = secondsText(parts);
    FUZZ_CHECK(!shownSeconds.contains('e', Qt::CaseInsensitive), "%.17g has seconds '%s'", value,
               qPrintable(shownSeconds));
    const double seconds = textToDouble(shownSeconds);
    const double joined = joinDegrees(textToDouble(degreesText(parts)), parts.minutes, seconds);
    // Half the last decimal of the seconds, and the rounding of the sum.
    const double tolerance = 0.5 * std::pow(10.0, -secondsDecimals) / 3600.0 * (1.0 + 1e-6) + 1e-13;
    FUZZ_CHECK(std::fabs(joined - value) <= tolerance, "%.17g splits into %s %d %.9g, which joins to %.17g", value,
               qPrintable(degreesText(parts)), parts.minutes, parts.seconds, joined);
}

// The UTM check accepts only a position it can convert; otherwise one of its messages, the position untouched.
void checkUtm(const UtmTexts& texts)
{
    UtmLocation utm{99, '?'};
    UtmField faulty = UtmField::Easting;
    const QString problem = validateUtmTexts(texts, utm, faulty);
    if (!problem.isEmpty()) {
        FUZZ_CHECK(problem == QLatin1String("There is a blank field") ||
                       problem == QLatin1String("The zone number must be from 1 to 60") ||
                       problem == QLatin1String("UTM Band cannot be an I or an O"),
                   "unknown message '%s'", qPrintable(problem));
        FUZZ_CHECK(utm.zone == 99 && utm.band == '?', "a refused check wrote zone %u band %c", utm.zone, utm.band);
        return;
    }
    FUZZ_CHECK(utm.zone >= 1 && utm.zone <= 60 && utm.band != 'I' && utm.band != 'O' &&
                   !std::islower(static_cast<unsigned char>(utm.band)) && std::isfinite(utm.easting) &&
                   std::isfinite(utm.northing),
               "accepted zone %u band %c easting %g northing %g", utm.zone, utm.band, utm.easting, utm.northing);
}

// A text typed into a field, read as a number and for an MGRS reference's band letter.
void checkTyped(const std::string& text)
{
    const char band = mgrsBandLetter(text);
    FUZZ_CHECK(band == '\0' || (std::isupper(static_cast<unsigned char>(band)) &&
                                text.find_first_of(std::string{band, char(std::tolower(band))}) != std::string::npos),
               "'%s' gives band '%c'", text.c_str(), band);
    const double number = textToDouble(QString::fromStdString(text));
    FUZZ_CHECK(std::isfinite(number), "'%s' reads as %.17g", text.c_str(), number);
    checkFormat(number);
}

// A pasted text names a place with a note on how it was read, or none with a
// reason; the grid position it names is the same place, and every copy
// format of it reads back within the 1.5 m of a truncated grid metre.
void checkPasted(const QString& text)
{
    const PastedPlace place = readPastedPlace(text);
    FUZZ_CHECK(!place.note.isEmpty(), "'%s' gives no note", qPrintable(text));
    if (place.form == PlaceTextForm::None)
        return;
    FUZZ_CHECK(isPlace(place.latitude, place.longitude) && !std::isinf(place.height), "'%s' reads as %.17g %.17g %g",
               qPrintable(text), place.latitude, place.longitude, place.height);
    if (place.grid.band != '\0') {
        double latitude = 0.0, longitude = 0.0;
        CoordConverter::convertUtmToGdc(place.grid.zone, place.grid.band, place.grid.easting, place.grid.northing,
                                        latitude, longitude);
        FUZZ_CHECK(std::fabs(latitude - place.latitude) <= 1e-9, "'%s': grid %u%c at %.17g", qPrintable(text),
                   place.grid.zone, place.grid.band, latitude);
    }
    const double height = std::isnan(place.height) ? 0.0 : place.height;
    for (const CopyFormatChoice& choice : copyFormatChoices) {
        const QString copied = placeText(choice.format, place.latitude, place.longitude, height);
        const PastedPlace back = readPastedPlace(copied);
        const double north = (back.latitude - place.latitude) * 111320.0;
        const double east = std::remainder(back.longitude - place.longitude, 360.0) * 111320.0 *
                            std::cos(place.latitude * M_PI / 180.0);
        FUZZ_CHECK(
            back.form != PlaceTextForm::None && std::hypot(north, east) < 1.5 &&
                (std::isnan(back.height) || std::fabs(back.height - height) <= 0.005 + 1e-12 * std::fabs(height)),
            "'%s' copied as '%s' reads back as %.17g %.17g %g: %s", qPrintable(text), qPrintable(copied), back.latitude,
            back.longitude, back.height, qPrintable(back.note));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 0 && data[0] == 'P') {
        checkPasted(QString::fromUtf8(reinterpret_cast<const char*>(data) + 1, int(size - 1)));
        return 0;
    }
    FuzzInput input(data, size);
    const unsigned int zone = input.byte() % 64;
    const char band = static_cast<char>(input.byte());
    const unsigned int precision = input.byte() % 16;
    const double a = input.number();
    const double b = input.number();
    const double c = input.number();
    checkSplitJoin(a);
    checkFormat(a);

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
    std::size_t position = std::min(size, 3 + 3 * sizeof(double));
    auto nextText = [&] {
        const std::size_t length = position < size ? data[position++] % 16 : 0;
        const std::size_t available = std::min(length, size - position);
        const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + position), int(available));
        position += available;
        return text;
    };
    // Braces read the four texts in order: zone, band, easting, northing.
    checkUtm(UtmTexts{nextText(), nextText(), nextText(), nextText()});
    const std::string text(reinterpret_cast<const char*>(data) + position, reinterpret_cast<const char*>(data) + size);
    checkTyped(text);
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
