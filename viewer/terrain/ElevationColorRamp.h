#pragma once

#include <osg/Vec4>

namespace velmora::viewer {

// Hypsometric colouring of a terrain: green lowlands, brown slopes, grey rock
// and white snow, stretched over one terrain's own elevation range so that
// relief stays readable whether it spans 50 m or 4000 m.
class ElevationColorRamp
{
public:
    // lowest, highest: the elevation range in metres that the ramp spans.
    // A degenerate range (highest <= lowest) colours everything as lowland.
    ElevationColorRamp(double lowest, double highest);

    // The RGBA colour (components in [0, 1], alpha always 1) for an
    // elevation in metres; elevations outside the range get the colour of
    // the nearer end.
    osg::Vec4 colorAt(double elevation) const;

    double lowest() const { return low; }
    double highest() const { return high; }

private:
    double low = 0.0;
    double high = 0.0;
};

} // namespace velmora::viewer
