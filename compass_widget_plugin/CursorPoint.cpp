#include "CursorPoint.h"

#include <osg/Camera>
#include <osgUtil/IntersectionVisitor>
#include <osgUtil/LineSegmentIntersector>

#include <algorithm>

namespace velmora::plugin::compass_widget {

osg::Vec2d cursorWindowPosition(int x, int y, int sceneHeight, double devicePixelRatio)
{
    const double ratio = devicePixelRatio > 0.0 ? devicePixelRatio : 1.0;
    return osg::Vec2d((x + 0.5) * ratio, (sceneHeight - y - 0.5) * ratio);
}

bool scenePointUnder(osg::Camera& camera, const osg::Vec2d& window, const osg::Node* overlay,
                     osg::Vec3d& point)
{
    osg::ref_ptr<osgUtil::LineSegmentIntersector> picker =
        new osgUtil::LineSegmentIntersector(osgUtil::Intersector::WINDOW, window.x(), window.y());
    osgUtil::IntersectionVisitor visitor(picker.get());
    camera.accept(visitor);
    // Hits come sorted by distance; an overlay's may be among them, and it names no place.
    for (const osgUtil::LineSegmentIntersector::Intersection& hit : picker->getIntersections()) {
        if (overlay && std::find(hit.nodePath.begin(), hit.nodePath.end(), overlay) != hit.nodePath.end())
            continue;
        point = hit.getWorldIntersectPoint();
        return true;
    }
    return false;
}

} // namespace velmora::plugin::compass_widget
