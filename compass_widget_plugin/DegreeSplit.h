#pragma once

#include <QString>

namespace velmora::plugin::compass_widget {

// The decimals of the seconds field. A ten-thousandth of an arc-second is
// 3 mm on a meridian and less along a parallel, so rounding moves a place by
// at most 1.5 mm: finer than any position a user works with, and the text
// ("59.9762") stays short enough to be read whole in its field. One more
// decimal would only show the noise of the conversions.
inline constexpr int secondsDecimals = 4;

// An angle as the deg:min:sec fields show it. Only the degrees carry the
// sign, and they carry it even when they are zero, so -0.5 degrees is
// "-0" 30' 0" rather than the same texts as +0.5.
struct DegreeParts
{
    bool negative = false;
    int degrees = 0;      // whole degrees, >= 0
    int minutes = 0;      // 0..59
    double seconds = 0.0; // [0, 60), a whole number of 10^-secondsDecimals
};

// Splits an angle in degrees, in double precision, with the seconds rounded
// to secondsDecimals decimals: 33.123456789 gives 33, 7 and 24.4444,
// -121.76 gives 121, 45 and 36 (negative). Seconds that round to 60 are
// carried into the minutes and degrees: 10.99999999 gives 11 0 0, never
// 10 59 60. A value of -0.0, or one that rounds to zero, is not negative.
// Needs a finite value below 2^31 in magnitude, as every latitude and
// longitude the panel shows is.
DegreeParts splitDegrees(double value);

// The seconds field's text: the seconds in plain decimals with
// secondsDecimals decimals and '.' whatever the locale ("36.0000"), never
// in exponent form, which the field would refuse.
QString secondsText(const DegreeParts& parts);

// The degrees field's text: the whole degrees with a '-' for negative parts,
// "-0" included.
QString degreesText(const DegreeParts& parts);

// The value of a degrees field's text, read like every number field, except
// that a leading '-' always counts: "-" alone (the sign typed, no digit yet)
// and "-0" give -0.0, so joinDegrees keeps the angle in the hemisphere the
// field shows.
double degreesFieldValue(const QString& text);

// The angle in degrees that a degrees, minutes and seconds triple stands for:
// |degrees| + minutes / 60 + seconds / 3600, negated when degrees has its sign
// bit set, so a degrees field of "-0" keeps a small angle negative.
double joinDegrees(double degrees, double minutes, double seconds);

} // namespace velmora::plugin::compass_widget
