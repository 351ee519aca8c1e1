#pragma once

#include <QString>

namespace velmora::plugin::compass_widget {

// The finest digit a field shows: a tenth of a millimetre for metres, and
// 1e-8 degree (about a millimetre on the ground) for angles. Digits below
// these are noise of the conversions or of single-precision input.
inline constexpr int metreDecimals = 4;
inline constexpr int degreeDecimals = 8;

// The decimals every heading text shows; finer differences mean nothing
// to a user turning the camera.
inline constexpr int headingDecimals = 2;

// Text of a coordinate value as the panel's fields show it: at most 8
// significant digits and at most maxDecimals decimals (metreDecimals or
// degreeDecimals), trailing zeros dropped, always in plain decimal notation
// (never an exponent) and always with '.' as the decimal point whatever the
// user's locale. A value that rounds to zero shows as "0", without sign. NaN
// and infinities come out as "nan", "inf" and "-inf".
QString formatDouble(double value, int maxDecimals);

// The number at the start of a field's text, read the way the panel reads
// every coordinate field: leading white space skipped, the longest leading
// part that forms a number in the C locale taken, the rest ignored, so an
// unfinished exponent is left out ("12e" and "1.5e+" give 12 and 1.5). Text
// that does not start with a number (empty, "-", ".", letters, "nan", "inf")
// gives 0; a number beyond the double range gives the largest double of its
// sign.
double textToDouble(const QString& text);

// The whole number at the start of a field's text, read like textToDouble:
// "12abc" gives 12. Text that does not start with a number gives 0, and so
// does a negative number (a count cannot be below zero); numbers beyond the
// range give 4294967295.
unsigned int textToUnsigned(const QString& text);


} // namespace velmora::plugin::compass_widget
