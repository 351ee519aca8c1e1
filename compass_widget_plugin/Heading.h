#pragma once

#include <osg/Matrixd>

namespace velmora::plugin::compass_widget {

// A camera heading: clockwise seen from +z, from the scene's +y axis (north)
// towards +x (east). The same angle in both units.
struct Heading
{
    double radians = 0.0; // [0, 2*pi)
    double degrees = 0.0; // [0, 360)
};

// The heading of a camera with the given view matrix (world to eye), taken
// from the horizontal part of its viewing direction, so pitch does not
// change it: looking along +y gives 0, +x 90, -y 180, -x 270.
//
// When the camera looks straight down or up, the viewing direction has no
// horizontal part to speak of (zero or rounding noise). The heading is then
// the limit of the headings of the same camera tilted a hair towards level:
// the direction of the top of the screen when looking down, and the opposite
// one when looking up. A matrix with NaN or infinite elements gives 0.
Heading headingOfView(const osg::Matrixd& view);

} // namespace velmora::plugin::compass_widget
