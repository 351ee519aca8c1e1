#include "ViewerApplication.h"

#include "StartViewFraming.h"
#include "TerrainCameraManipulator.h"
#include "terrain/DepthRange.h"
#include "terrain/EarthEllipsoid.h"
#include "terrain/TerrainSurface.h"

#include <velmora/terrain/TerrainManager.h>

#include <osg/Light>
#include <osgDB/DatabasePager>
#include <osgUtil/LineSegmentIntersector>

#include <algorithm>
#include <cmath>

namespace velmora::viewer {

namespace {
const osg::Vec4 skyBlue(0.53f, 0.73f, 0.92f, 1.0f);
// Direction towards the sun: south-west and 40 degrees above the horizon,
// so slopes facing the viewer from the south are lit and the relief reads.
const osg::Vec4 sunDirection(-0.54f, -0.54f, 0.64f, 0.0f);
// The start view looks north at the terrain from this far down.
constexpr double startPitch = -40.0; // degrees
constexpr double minimumStep = 5.0;
constexpr double stepPerHeight = 0.2;
constexpr unsigned maximumTiles = 150;
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
    // Bounds the tiles a large DEM keeps in memory: a few megabytes each, drawn and pickable.
    // Tiles are read below the frames' priority, so flying stays smooth while they load.
    if (osgDB::DatabasePager* pager = viewer->getDatabasePager()) {
        pager->setTargetMaximumNumberOfPageLOD(maximumTiles);
        pager->setSchedulePriority(OpenThreads::Thread::THREAD_PRIORITY_LOW);
    }
}

ViewerApplication::~ViewerApplication()
{
    getViewer()->setCameraManipulator(nullptr, false);
}

void ViewerApplication::setTerrain(const Terrain& terrain)
{
    if (terrainNode.valid())
        getSceneData()->removeChild(terrainNode.get());
    if (earthNode.valid())
        getSceneData()->removeChild(earthNode.get());
    terrainNode = terrain.node;
    terrainBounds = terrain.bounds;
    surface = terrain.surface;
    earthNode = buildEarthEllipsoid(terrain.originLatitude, terrain.originLongitude, terrain.originHeight);
    getSceneData()->addChild(earthNode.get());
    getSceneData()->addChild(terrainNode.get());
    // Tiles still on their way belong to the old terrain; the new one's own
    // pyramid must be known to the pager, or the tiles it pages in below its
    // coarsest level would never be dropped again.
    if (osgDB::DatabasePager* pager = getViewer()->getDatabasePager()) {
        pager->clear();
        pager->registerPagedLODs(terrainNode.get(), getViewer()->getFrameStamp()->getFrameNumber());
    }

    // The manipulator grabs and keeps above the terrain alone, never overlays.
    manipulator->setNode(terrainNode.get());
    manipulator->setSurface(surface);
    getViewer()->setCameraManipulator(manipulator.get(), false);

    const osg::BoundingBox& bounds = terrain.bounds;
    const osg::Vec3d centre = bounds.center();
    const osg::Vec3d top(centre.x(), centre.y(), bounds.zMax() + 1000.0);
    osg::ref_ptr<osgUtil::LineSegmentIntersector> down =
        new osgUtil::LineSegmentIntersector(top, osg::Vec3d(top.x(), top.y(), bounds.zMin() - 1000.0));
    osgUtil::IntersectionVisitor visitor(down.get());
    terrainNode->accept(visitor);
    // The ground at the centre, or mid height where the centre has none.
    startTarget.set(centre.x(), centre.y(),
                    down->containsIntersections() ? down->getFirstIntersection().getWorldIntersectPoint().z()
                                                  : centre.z());
    if (surface && down->containsIntersections())
        surface->snap(startTarget);
    frameStartView();
}

void ViewerApplication::setFramingArea(const QRectF& area)
{
    framingArea = area;
}

void ViewerApplication::frameStartView()
{
    const double pitch = osg::DegreesToRadians(startPitch);
    const osg::Vec3d forward(0.0, std::cos(pitch), std::sin(pitch));
    double fovy = 0.0, aspect = 0.0, zNear = 0.0, zFar = 0.0;
    getViewer()->getCamera()->getProjectionMatrixAsPerspective(fovy, aspect, zNear, zFar);
    const osg::Vec3d eye = framingEye(terrainBounds, startTarget, forward, fovy, aspect, framingArea);
    setStartView(eye, eye + forward, osg::Vec3d(0.0, 0.0, 1.0));
}

void ViewerApplication::warpToPosition(const osg::Vec3d& position)
{
    Application::warpToPosition(position);
    // A warp keeps the rule of every other move: the eye stays the clearance above the ground under it.
    const double lift = TerrainCameraManipulator::minimumClearance - manipulator->heightAboveTerrain();
    if (terrainNode.valid() && lift > 0.0)
        Application::warpToPosition(position + osg::Vec3d(0.0, 0.0, lift));
    if (viewChanged)
        viewChanged();
}

void ViewerApplication::warpToStart()
{
    // The view's size and the panels over it may have changed since the terrain came.
    if (terrainNode.valid())
        frameStartView();
    else
        Application::warpToStart();
    if (viewChanged)
        viewChanged();
}

void ViewerApplication::turnToNorth()
{
    // The manipulator drives the camera only once it has terrain to grab.
    if (getViewer()->getCameraManipulator() == manipulator.get())
        manipulator->turnToNorth(*getViewer()->getCamera());
    else
        Application::turnToNorth();
    if (viewChanged)
        viewChanged();
}

bool ViewerApplication::isTurning() const
{
    return manipulator->isTurning();
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
            if (surface)
                point = surface->hitOnSurface(eyePosition(), point);
            return true;
        }
    }
    return false;
}

void ViewerApplication::moveLevel(double forward, double right)
{
    manipulator->moveLevel(forward, right);
}

void ViewerApplication::changeHeight(int steps)
{
    manipulator->changeHeight(steps);
}

double ViewerApplication::navigationStep() const
{
    return std::max(minimumStep, stepPerHeight * manipulator->heightAboveTerrain());
}

osg::Vec3d ViewerApplication::eyePosition() const
{
    return osg::Matrixd::inverse(getViewer()->getCamera()->getViewMatrix()).getTrans();
}

bool ViewerApplication::terrainLoading() const
{
    const osgDB::DatabasePager* pager = getViewer()->getDatabasePager();
    return pager && pager->getRequestsInProgress();
}

void ViewerApplication::fitDepthRange()
{
    osg::Camera* camera = getViewer()->getCamera();
    const osg::Vec3d eye = eyePosition();
    double farthest = 0.0;
    if (terrainBounds.valid())
        for (unsigned corner = 0; corner < 8; ++corner)
            farthest = std::max(farthest, (osg::Vec3d(terrainBounds.corner(corner)) - eye).length());
    gmtl::Vec<double, 3> lonLatHeight;
    terrain::TerrainManager::instance()->convertTerrainLocalToGdc(gmtl::Vec<double, 3>(eye.x(), eye.y(), eye.z()),
                                                                  lonLatHeight);
    const DepthRange range = depthRangeFor(manipulator->heightAboveTerrain(), lonLatHeight[2], farthest);
    double fovy = 0.0, aspect = 0.0, zNear = 0.0, zFar = 0.0;
    if (camera->getProjectionMatrixAsPerspective(fovy, aspect, zNear, zFar))
        camera->setProjectionMatrixAsPerspective(fovy, aspect, range.zNear, range.zFar);
}

} // namespace velmora::viewer
