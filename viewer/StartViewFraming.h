#pragma once

#include <QRectF>

#include <osg/BoundingBox>
#include <osg/Vec3d>

#include <vector>

namespace velmora::viewer {

// The largest rectangle of view (any coordinates with y down) that overlaps
// none of covers, such as the view's part that floating panels leave free.
// Covers may reach beyond the view. When no free rectangle is at least a
// quarter of the view's width and a quarter of its height, there is no part
// worth framing a scene in and the whole view is the answer.
QRectF largestFreeRect(const QRectF& view, const std::vector<QRectF>& covers);

// Where a camera must stand to show all of bounds (metres, z up) inside
// area, a part of its view given as fractions (0..1) of the view's width
// and height from the top left corner, with a little margin. The camera looks
// along forward (a unit vector, not vertical) with the world's +z up, through
// a symmetric perspective of fovyDegrees and aspect (width / height); target,
// a point of bounds, shows at area's centre. A degenerate area counts as the
// whole view.
osg::Vec3d framingEye(const osg::BoundingBox& bounds, const osg::Vec3d& target, const osg::Vec3d& forward,
                      double fovyDegrees, double aspect, QRectF area);

} // namespace velmora::viewer
