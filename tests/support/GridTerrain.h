#pragma once

#include <osg/Geode>
#include <osg/ref_ptr>

namespace velmora::testing {

// Rolling hills of side x side vertices, spacing metres apart, centred below the test host's camera (which stands
// 2000 m up looking north), as one geometry of 2 * (side - 1)^2 triangles; with a KdTree when asked, as the viewer
// builds one.
osg::ref_ptr<osg::Geode> makeGridTerrain(int side, float spacing, bool withKdTree);

} // namespace velmora::testing
