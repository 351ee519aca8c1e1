#pragma once

#include <QString>

namespace velmora::plugin::compass_widget {

// Text of a coordinate value as the panel's fields show it: general format
// with at most 8 significant digits, trailing zeros dropped, exponent form
// below 1e-4 and from 1e8 on, and always '.' as the decimal point whatever
// the user's locale. NaN and infinities come out as "nan", "inf" and "-inf".
QString formatDouble(double value);

// The number at the start of a field's text, read the way the panel reads
// every coordinate field: leading white space skipped, the longest leading
// part that forms a number in the C locale taken, the rest ignored. Text that
// does not start with a number (empty, "-", ".", letters) gives 0; a number
// beyond the double range gives the largest double of its sign.
double textToDouble(const QString& text);

// The whole number at the start of a field's text, read like textToDouble:
// "12abc" gives 12. Text that does not start with a number gives 0, and so
// does a negative number (a count cannot be below zero); numbers beyond the
// range give 4294967295.
unsigned int textToUnsigned(const QString& text);

} // namespace velmora::plugin::compass_widget
