#pragma once

#include "PastedPlace.h"

#include <QString>

namespace velmora::plugin::compass_widget {

// Reads a latitude and a longitude from a text as readPastedPlace describes
// it, already trimmed, upper case, with typographic marks replaced by ° ' "
// and blanks by spaces. Gives the form (decimal degrees, degrees and minutes,
// or degrees, minutes and seconds: the most parts either angle has), the two
// angles in degrees and a note on the order taken ("Read as decimal degrees,
// latitude first"); or form None and the reason, for minutes or seconds
// outside 0..60, decimals before the last part of an angle, a sign together
// with a hemisphere letter, two latitudes, anything but two angles. The
// angles are not range-checked here.
PastedPlace readLatitudeLongitude(const QString& text);

} // namespace velmora::plugin::compass_widget
