#pragma once

#include "CoordinateSystem.h"

#include <QString>

#include <osg/Vec3d>

#include <optional>

namespace velmora::plugin::compass_widget {

// Number formats of the status-bar text.
inline constexpr int gdcDecimals = 6;              // latitude and longitude, degrees
inline constexpr int elevationDecimals = 2;        // elevation in both geodetic forms, metres
inline constexpr int dmsSecondsDecimals = 2;       // seconds of degrees-minutes-seconds
inline constexpr int gccDecimals = 2;              // geocentric x, y, z, metres
inline constexpr unsigned int mgrsPrecision = 5;   // MGRS digits per axis: one metre
inline constexpr int localDecimals = 2;            // terrain-local x, y, z, metres

// Shown in place of a number that has no value (NaN or infinite).
inline constexpr char noValueText[] = "n/a";

// value in fixed notation with `decimals` decimals and '.' as the decimal
// point whatever the locale, right-aligned in intDigits + 1 + decimals
// characters; longer numbers are not cut. A value that rounds to zero at
// that precision has no sign. NaN and infinities give noValueText in the
// same width.
QString fixedText(double value, int intDigits, int decimals);

// value in decimal, right-aligned in width characters (not cut).
QString integerText(int value, int width);

// An angle in degrees as degrees, minutes and seconds, padded with spaces:
// the degrees with their sign in 4 characters, U+00BA, the minutes in 2, an
// apostrophe, the seconds with dmsSecondsDecimals decimals in
// dmsSecondsDecimals + 3, a double quote: 45.123456 gives 45º 7'24.44"
// after two spaces. The angle is rounded at the printed precision before it
// is split, so 10.9999999 gives 11º 0' 0.00", never 59'60.00"; an angle
// between -1 and 0 keeps its sign (-0.5 gives -0º30' 0.00"). NaN, infinities
// and angles beyond 1e9 degrees give noValueText.
QString dmsText(double degrees);

// A heading in degrees for the status text: 2 decimals in 6 characters (90
// gives " 90.00"). A heading that rounds to 360.00 is north and prints as
// 0.00. NaN and infinities give noValueText.
QString headingText(double degrees);

// A heading in degrees for the panel's orientation text: rounded as
// roundedHeading does for the status bar, trailing zeros dropped
// (45.00000000000001 gives "45", 359.999 gives "0"). NaN and infinities
// give noValueText.
QString orientationText(double degrees);

// The terrain-local point (metres) in system, as the status text writes it,
// through the terrain manager's frame and the host's UTM and MGRS
// conversions: GDC as latitude, longitude (gdcDecimals) and elevation, or
// the same in dmsText; GCC and terrain-local x, y, z; UTM zone, band,
// easting and northing truncated to the metre; MGRS to mgrsPrecision. A
// point without a value in that system (NaN elements) gives noValueText in
// place of the numbers; an unknown system gives "".
QString locationText(CoordinateSystem system, const osg::Vec3d& point);

// The whole status text in system: "Camera: (<eye>)", then ", Cursor:
// (<cursor>)" when there is a cursor point, then ", Heading (deg): " and
// headingText. eye and cursor are terrain-local points in metres.
QString statusText(CoordinateSystem system, const osg::Vec3d& eye, const std::optional<osg::Vec3d>& cursor,
                   double headingDegrees);

} // namespace velmora::plugin::compass_widget
