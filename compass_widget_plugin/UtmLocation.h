#pragma once

namespace velmora::plugin::compass_widget {

// One UTM (or, with zone 0, UPS) position, built for one conversion and not
// kept. The host's UTM operations take the easting before the northing.
struct UtmLocation
{
    unsigned int zone = 0; // 1..60, 0 for UPS
    char band = '\0';      // latitude band letter, upper case; '\0' when there is no position
    double northing = 0.0; // metres
    double easting = 0.0;  // metres
};

} // namespace velmora::plugin::compass_widget
