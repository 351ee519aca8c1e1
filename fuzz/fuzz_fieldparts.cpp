// The panel's number texts, UTM check, MGRS band letter and deg:min:sec
// split and join with any input: any text reads as a finite number, and a
// finite number's text never says "nan" or "inf" and reads back within the
// 8 significant digits it shows; the UTM check accepts only a position it can
// convert and otherwise leaves the position alone with one of its messages;
// the band letter is an upper-case letter of the reference or none; an angle
// split into degrees, minutes 0..59 and seconds [0, 60) and joined again
// from the texts comes back within the seconds' single precision.
//
// Input: a raw double (8 bytes), then four texts for zone, band, easting
// and northing, each a length byte and UTF-8 bytes; the rest is both a typed
// number and an MGRS reference.

#include "FuzzCheck.h"

#include "DegreeSplit.h"
#include "GridInput.h"
#include "NumberText.h"

#include <QString>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <string>

using namespace velmora::plugin::compass_widget;

namespace {

// Latitudes and longitudes reach the deg:min:sec fields within these degrees.
constexpr double largestShownAngle = 360.0;

void checkFormat(double value)
{
    if (!std::isfinite(value))
        return;
    const QString text = formatDouble(value);
    FUZZ_CHECK(!text.contains("nan", Qt::CaseInsensitive) && !text.contains("inf", Qt::CaseInsensitive),
               "%.17g shown as '%s'", value, qPrintable(text));
    const double back = textToDouble(text);
    // Rounding to 8 significant digits moves a value by at most half a unit
    // of the 8th digit, 5e-8 of it; subnormals add their own spacing.
    const double tolerance = 5e-8 * std::fabs(value) + std::numeric_limits<double>::denorm_min();
    FUZZ_CHECK(std::fabs(back - value) <= tolerance, "%.17g shown as '%s' reads back as %.17g", value,
               qPrintable(text), back);
}

void checkSplitJoin(double value)
{
    if (!std::isfinite(value) || std::fabs(value) > largestShownAngle)
        return;
    const DegreeParts parts = splitDegrees(value);
    FUZZ_CHECK(parts.degrees >= 0 && parts.minutes >= 0 && parts.minutes <= 59 && parts.seconds >= 0.0f &&
                   parts.seconds < 60.0f,
               "%.17g splits into %d %d %.9g", value, parts.degrees, parts.minutes, parts.seconds);
    // Read back as the panel reads its fields: the seconds as it writes them.
    const double seconds = textToDouble(formatDouble(parts.seconds));
    const double joined = joinDegrees(textToDouble(degreesText(parts)), parts.minutes, seconds);
    // Half a single-precision step of the minutes, one of the seconds and
    // the 8 digits the seconds field shows.
    const double tolerance = std::ldexp(1.0, -19) / 60.0 + std::ldexp(1.0, -18) / 3600.0 + 5e-7 / 3600.0;
    FUZZ_CHECK(std::fabs(joined - value) <= tolerance, "%.17g splits into %s %d %.9g, which joins to %.17g", value,
               qPrintable(degreesText(parts)), parts.minutes, parts.seconds, joined);
}

void checkUtm(const UtmTexts& texts)
{
    UtmLocation utm{99, '?'};
    const QString problem = validateUtmTexts(texts, utm);
    if (!problem.isEmpty()) {
        FUZZ_CHECK(problem == QLatin1String("There is a blank field") ||
                       problem == QLatin1String("Zone needs to from 1 to 60") ||
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const double angle = input.number();
    checkSplitJoin(angle);
    checkFormat(angle);

    std::size_t position = std::min(size, sizeof angle);
    auto nextText = [&] {
        const std::size_t length = position < size ? data[position++] % 16 : 0;
        const std::size_t available = std::min(length, size - position);
        const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + position), int(available));
        position += available;
        return text;
    };
    // Braces read the four texts in order: zone, band, easting, northing.
    checkUtm(UtmTexts{nextText(), nextText(), nextText(), nextText()});

    const std::string rest(reinterpret_cast<const char*>(data) + position, reinterpret_cast<const char*>(data) + size);
    const char band = mgrsBandLetter(rest);
    FUZZ_CHECK(band == '\0' || (std::isupper(static_cast<unsigned char>(band)) &&
                                rest.find_first_of(std::string{band, char(std::tolower(band))}) != std::string::npos),
               "'%s' gives band '%c'", rest.c_str(), band);
    const double number = textToDouble(QString::fromStdString(rest));
    FUZZ_CHECK(std::isfinite(number), "'%s' reads as %.17g", rest.c_str(), number);
    checkFormat(number);
    return 0;
}
