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

// The heading of the same camera measured from true north at its eye: from
// the meridian through the eye, with the horizontal plane of the ellipsoid
// there, whose east-north-up frame the terrain manager gives. Above the
// terrain origin that frame is the scene's own and this is headingOfView;
// away from it grid north turns from true north as the meridians converge.
// Straight down and up as in headingOfView; a matrix with NaN or infinite
// elements gives 0.
Heading trueHeadingOfView(const osg::Matrixd& view);

// A heading in degrees rounded to decimals decimal places (0 to 9), kept in
// [0, 360): one that rounds to 360 is north and gives 0, and so does -0.
// The status text rounds its heading here, and so may any other text of it,
// so that all say the same. NaN and infinities come back as they are.
double roundedHeading(double degrees, int decimals);

} // namespace velmora::plugin::compass_widget
