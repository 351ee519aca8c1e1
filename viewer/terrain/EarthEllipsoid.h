#pragma once

#include <osg/Node>
#include <osg/ref_ptr>

namespace velmora::viewer {

// The WGS84 ellipsoid in a neutral colour, in the east-north-up frame tangent
// at (originLatitude, originLongitude, originHeight) (degrees, metres), so the
// terrain sits on the earth instead of floating in the sky. Rings of
// vertices around the origin get wider with distance, so facets are a few
// metres across under the terrain and hundreds of kilometres on the far side.
//
// Drawn before everything else and without depth: the terrain, always at
// least as near as the ground beneath it, covers it whatever its heights
// (below the ellipsoid too), and the far earth never fights it for depth.
// Only faces turned to the eye are drawn, so the earth's far side stays hidden.
osg::ref_ptr<osg::Node> buildEarthEllipsoid(double originLatitude, double originLongitude, double originHeight);

} // namespace velmora::viewer
