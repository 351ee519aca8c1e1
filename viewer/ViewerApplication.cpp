#include "ViewerApplication.h"

#include "TerrainCameraManipulator.h"

#include <osg/Light>
#include <osgUtil/LineSegmentIntersector>

#include <algorithm>
#include <cmath>

namespace velmora::viewer {

namespace {
const osg::Vec4 skyBlue(0.53f, 0.73f, 0.92f, 1.0f);
// Direction towards the sun: south-west and 40 degrees above the horizon,
// so slopes facing the viewer at the south edge are lit and the relief reads.
const osg::Vec4 sunDirection(-0.54f, -0.54f, 0.64f, 0.0f);
constexpr double startHeightAboveTerrain = 600.0;
constexpr double minimumStep = 5.0;
} // namespace

ViewerApplication::ViewerApplication(int width, int height)
    : Application(width, height), manipulator(new TerrainCameraManipulator)
{
    osgViewer::Viewer* viewer = getViewer();
    viewer->getCamera()->setClearColor(skyBlue);
    // A fixed sun in the world instead of OSG's default head light, so the
    // shading of the relief does not follow the camera.
    viewer->setLightingMode(osg::View::SKY_LIGHT);
    osg::Light* sun = viewer->getLight();
    sun->setPosition(sunDirection);
    sun->setAmbient(osg::Vec4(0.35f, 0.35f, 0.35f, 1.0f));
    sun->setDiffuse(osg::Vec4(0.8f, 0.8f, 0.78f, 1.0f));
    sun->setSpecular(osg::Vec4(0.0f, 0.0f, 0.0f, 1.0f));
    // A released drag should stop the camera, not keep it spinning.
    manipulator->setAllowThrow(false);
}

ViewerApplication::~ViewerApplication()
{
    getViewer()->setCameraManipulator(nullptr, false);
}

void ViewerApplication::setTerrain(osg::Node* terrain, const osg::BoundingBox& bounds)
{
    if (terrainNode.valid())
        getSceneData()->removeChild(terrainNode.get());
    terrainNode = terrain;
    getSceneData()->addChild(terrainNode.get());

    // The manipulator orbits and pans over the terrain alone, never over overlays.
    manipulator->setNode(terrainNode.get());
    getViewer()->setCameraManipulator(manipulator.get(), false);

    const osg::Vec3d centre = bounds.center();
    const double southY = bounds.yMin();
    const double depth = std::max(double(bounds.yMax()) - bounds.yMin(), 1.0);
    // Height above the ground at the south edge, or above the lowest point when the edge has none.
    const osg::Vec3d top(centre.x(), southY + 1.0, bounds.zMax() + 1000.0);
    osg::ref_ptr<osgUtil::LineSegmentIntersector> down =
        new osgUtil::LineSegmentIntersector(top, osg::Vec3d(top.x(), top.y(), bounds.zMin() - 1000.0));
    osgUtil::IntersectionVisitor visitor(down.get());
    terrainNode->accept(visitor);
    const double groundHeight = down->containsIntersections() ? down->getFirstIntersection().getWorldIntersectPoint().z()
                                                              : bounds.zMin();
    const osg::Vec3d eye(centre.x(), southY, groundHeight + startHeightAboveTerrain);
    // Look at a point a third of the way into the terrain at mid height: north and slightly down.
    const osg::Vec3d target(centre.x(), southY + depth / 3.0, 0.5 * (bounds.zMin() + bounds.zMax()));
    osg::Vec3d direction = target - eye;
    // Keep the view from tipping steeply down on deep valleys: at most about 20 degrees.
    const double horizontal = std::hypot(direction.x(), direction.y());
    direction.z() = std::clamp(direction.z(), -0.36 * horizontal, -0.05 * horizontal);

    setStartView(eye, eye + direction, osg::Vec3d(0.0, 0.0, 1.0));
}

bool ViewerApplication::intersectTerrain(double x, double y, osg::Vec3d& point) const
{
    if (!terrainNode.valid())
        return false;
    osgUtil::LineSegmentIntersector::Intersections hits;
    if (!getViewer()->computeIntersections(getViewer()->getCamera(), osgUtil::Intersector::WINDOW, float(x), float(y),
                                           hits))
        return false;
    // Hits are sorted by distance; overlays such as a HUD may come first.
    for (const auto& hit : hits) {
        if (std::find(hit.nodePath.begin(), hit.nodePath.end(), terrainNode.get()) != hit.nodePath.end()) {
            point = hit.getWorldIntersectPoint();
            return true;
        }
    }
    return false;
}

void ViewerApplication::moveLevel(double forward, double right)
{
    osg::Vec3d eye, center, up;
    getViewer()->getCamera()->getViewMatrixAsLookAt(eye, center, up, 1.0);
    osg::Vec3d heading(center.x() - eye.x(), center.y() - eye.y(), 0.0);
    if (heading.normalize() == 0.0)
        heading = osg::Vec3d(up.x(), up.y(), 0.0); // looking straight down: "forward" is the top of the screen
    if (heading.normalize() == 0.0)
        heading = osg::Vec3d(0.0, 1.0, 0.0);
    const osg::Vec3d rightward(heading.y(), -heading.x(), 0.0);
    const osg::Vec3d shift = heading * forward + rightward * right;
    lookAt(eye + shift, center + shift, up);
}

void ViewerApplication::changeHeight(double upMetres)
{
    osg::Vec3d eye, center, up;
    getViewer()->getCamera()->getViewMatrixAsLookAt(eye, center, up, 1.0);
    lookAt(eye + osg::Vec3d(0.0, 0.0, upMetres), center, osg::Vec3d(0.0, 0.0, 1.0));
}

double ViewerApplication::navigationStep() const
{
    return std::max(minimumStep, manipulator->getDistance() / 20.0);
}

} // namespace velmora::viewer
