#pragma once

#include <QString>

namespace velmora::plugin::compass_widget {

// An angle as the deg:min:sec fields show it. Only the degrees carry the
// sign, and they carry it even when they are zero, so -0.5 degrees is
// "-0" 30' 0" rather than the same texts as +0.5.
struct DegreeParts
{
    bool negative = false;
    int degrees = 0;  // whole degrees, >= 0
    int minutes = 0;  // 0..59
    float seconds = 0; // [0, 60)
};

// Splits an angle in degrees. The minutes are taken in single precision and
// the seconds from them, so 33.123456789 gives 33, 7 and 24.444437. Minutes
// or seconds that single-precision rounding brings to 60 are carried into the
// next unit: 10.99999999 gives 11 0 0, never 10 59 60. A value of -0.0 is not
// negative. Needs a finite value below 2^31 in magnitude, as every latitude
// and longitude the panel shows is.
DegreeParts splitDegrees(double value);

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
