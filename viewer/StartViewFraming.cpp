#include "StartViewFraming.h"

#include <osg/Math>

#include <algorithm>
#include <cmath>

namespace velmora::viewer {

namespace {
// Of the area's width and height, this much stays free on each side of the scene.
constexpr double framingMargin = 0.04;
// The eye stays at least this far (metres) in front of the nearest part of the scene.
constexpr double minimumDepth = 1.0;

// The edges of view and of every cover inside it, sorted: the sides any largest free rectangle can have.
std::vector<double> edges(double low, double high, const std::vector<QRectF>& covers, bool horizontal)
{
    std::vector<double> result{low, high};
    for (const QRectF& cover : covers) {
        const double pair[] = {horizontal ? cover.left() : cover.top(), horizontal ? cover.right() : cover.bottom()};
        for (const double edge : pair)
            if (edge > low && edge < high)
                result.push_back(edge);
    }
    std::sort(result.begin(), result.end());
    return result;
}

// The least distance from target at which a corner offset (x, y) across and z along the view lies
// between low and high, as the view's normalised device coordinates, when target shows at centre.
double distanceWithin(double x, double z, double tangent, double low, double centre, double high)
{
    return std::max((x / tangent - high * z) / (high - centre), (low * z - x / tangent) / (centre - low));
}
} // namespace

QRectF largestFreeRect(const QRectF& view, const std::vector<QRectF>& covers)
{
    const std::vector<double> xs = edges(view.left(), view.right(), covers, true);
    const std::vector<double> ys = edges(view.top(), view.bottom(), covers, false);
    QRectF best;
    for (std::size_t left = 0; left < xs.size(); ++left)
        for (std::size_t right = left + 1; right < xs.size(); ++right)
            for (std::size_t top = 0; top < ys.size(); ++top)
                for (std::size_t bottom = top + 1; bottom < ys.size(); ++bottom) {
                    const QRectF candidate(QPointF(xs[left], ys[top]), QPointF(xs[right], ys[bottom]));
                    const double area = candidate.width() * candidate.height();
                    if (area <= best.width() * best.height())
                        continue;
                    // intersects() is false for rectangles that only share an edge.
                    if (std::none_of(covers.begin(), covers.end(),
                                     [&candidate](const QRectF& cover) { return cover.intersects(candidate); }))
                        best = candidate;
                }
    if (best.width() < view.width() / 4.0 || best.height() < view.height() / 4.0)
        return view;
    return best;
}

osg::Vec3d framingEye(const osg::BoundingBox& bounds, const osg::Vec3d& target, const osg::Vec3d& forward,
                      double fovyDegrees, double aspect, QRectF area)
{
    if (!(area.width() > 0.0 && area.height() > 0.0))
        area = QRectF(0.0, 0.0, 1.0, 1.0);
    area.adjust(framingMargin * area.width(), framingMargin * area.height(), -framingMargin * area.width(),
                -framingMargin * area.height());
    // The area in normalised device coordinates: x right, y up, -1 to 1 across the view.
    const double left = 2.0 * area.left() - 1.0, right = 2.0 * area.right() - 1.0;
    const double bottom = 1.0 - 2.0 * area.bottom(), top = 1.0 - 2.0 * area.top();
    const double centreX = (left + right) / 2.0, centreY = (bottom + top) / 2.0;
    const double tanY = std::tan(osg::DegreesToRadians(fovyDegrees) / 2.0);
    const double tanX = tanY * aspect;

    osg::Vec3d across = forward ^ osg::Vec3d(0.0, 0.0, 1.0);
    across.normalize();
    const osg::Vec3d up = across ^ forward;
    double distance = minimumDepth;
    for (unsigned i = 0; i < 8; ++i) {
        const osg::Vec3d offset = bounds.corner(i) - target;
        const double x = offset * across, y = offset * up, z = offset * forward;
        distance = std::max({distance, minimumDepth - z, distanceWithin(x, z, tanX, left, centreX, right),
                             distanceWithin(y, z, tanY, bottom, centreY, top)});
    }
    // Moved sideways in the image plane, the camera shows target off centre, at the area's centre.
    return target - forward * distance - across * (centreX * distance * tanX) - up * (centreY * distance * tanY);
}

} // namespace velmora::viewer
