#pragma once

#include <QLocale>

class QDoubleValidator;
class QIntValidator;
class QObject;
class QRegularExpressionValidator;

namespace velmora::plugin::compass_widget {

// Validators for the panel's coordinate fields. The fields are written with
// '.' as the decimal point and read back in the C locale, so every numeric
// validator works in the C locale as well, whatever the user's locale: it
// then lets through exactly the texts the readers understand. Group
// separators are refused ("1,5" and "1.000,5" alike), because the readers
// would stop at the first one. Each validator is a child of parent.

// The locale every field validator works in: C, group separators refused.
QLocale fieldLocale();

// Any double, in plain or exponent notation, without range or decimal limit.
// Where the user's locale writes a decimal comma, a typed ',' becomes '.'.
QDoubleValidator* createDoubleValidator(QObject* parent);

// Seconds of arc: decimals from 0 up to, not including, 60, without exponent.
// Where the user's locale writes a decimal comma, a typed ',' becomes '.'.
QDoubleValidator* createSecondsValidator(QObject* parent);

// Whole numbers from bottom to top (inclusive). A sign, or digits beyond the
// range, stay in the field as unfinished input, never taken: "-5" for
// bottom >= 0 is shown as typed rather than read as 5.
QIntValidator* createIntValidator(int bottom, int top, QObject* parent);

// One UTM latitude band letter from C to X in either case. I and O pass here
// and are refused by the UTM check with its own message.
QRegularExpressionValidator* createBandValidator(QObject* parent);

} // namespace velmora::plugin::compass_widget
