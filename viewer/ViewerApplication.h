#pragma once

#include "terrain/Terrain.h"

#include <velmora/application/Application.h>

#include <QRectF>

#include <osg/BoundingBox>
#include <osg/Node>
#include <osg/ref_ptr>

#include <functional>
#include <memory>

namespace velmora::viewer {

class TerrainCameraManipulator;

// The viewer's application: the terrain in the scene, a sun, the sky and a
// terrain manipulator that the warps and keyboard moves go through, so the
// mouse navigation continues from wherever the camera was sent.
class ViewerApplication : public application::Application
{
public:
    ViewerApplication(int width, int height);
    ~ViewerApplication() override;

    // Puts terrain's mesh (local ENU frame, metres; the TerrainManager's
    // origin must already be terrain's) into the scene on the earth's
    // ellipsoid, in place of any earlier one, lets the mouse navigate over it
    // and starts the camera south of it, looking north and down on the whole
    // of its bounds, framed in the framing area.
    void setTerrain(const Terrain& terrain);
    // The part of the view that the start view frames the terrain in, as
    // fractions (0..1) of the view's width and height from its top left
    // corner: what the panels floating over the view leave free. Taken by the
    // next warpToStart or setTerrain; the camera stays where it is. An empty
    // area stands for the whole view.
    void setFramingArea(const QRectF& area);
    osg::Node* getTerrain() const { return terrainNode.get(); }
    TerrainCameraManipulator* getManipulator() const { return manipulator.get(); }

    // Called after every warp, so the view can draw the new camera.
    void setViewChangedCallback(std::function<void()> callback) { viewChanged = std::move(callback); }
    // Below the terrain's clearance, the eye goes up to it.
    void warpToPosition(const osg::Vec3d& position) override;
    // Frames the terrain anew for the view as it is now, and moves the camera there.
    void warpToStart() override;
    // Turns to face north about the terrain point at the centre of the view,
    // smoothly over the next frames (see TerrainCameraManipulator::turnToNorth);
    // without terrain, at once about the eye.
    void turnToNorth() override;
    // Whether a turn is still under way: each frame then asks for the next.
    bool isTurning() const;

    // The first terrain point on the line of sight through the OpenGL window
    // position (x, y) (physical pixels, origin bottom left), in the scene's
    // world frame. Only the terrain counts, not overlays such as a HUD; on a
    // DEM the point lies on the DEM's own surface, whatever mesh is drawn.
    // False when the line meets no terrain (sky, or the earth around it).
    bool intersectTerrain(double x, double y, osg::Vec3d& point) const;

    // Keyboard navigation. forward/right: metres along the camera's heading
    // and to its right, at the same height above the terrain; steps: height
    // steps up (negative: down), see TerrainCameraManipulator::changeHeight.
    void moveLevel(double forward, double right);
    void changeHeight(int steps);
    // A step length that suits the current view: a fifth of the height above
    // the terrain, at least 5 m.
    double navigationStep() const;
    // Sets the camera's near and far planes for where the eye is now (see
    // depthRangeFor): every part of the terrain and the earth's horizon in
    // view, close terrain kept apart in depth. Called before each frame is drawn.
    void fitDepthRange();
    // Whether terrain tiles are still being read or wait to enter the scene:
    // each needs a frame to be seen.
    bool terrainLoading() const;

private:
    // Sets the start view that shows the whole terrain in the framing area; the camera goes there.
    void frameStartView();
    // The camera's eye in the world frame.
    osg::Vec3d eyePosition() const;

    osg::ref_ptr<osg::Node> terrainNode;
    osg::ref_ptr<osg::Node> earthNode;
    osg::BoundingBox terrainBounds;
    osg::Vec3d startTarget;
    QRectF framingArea{0.0, 0.0, 1.0, 1.0};
    std::shared_ptr<const TerrainSurface> surface;
    osg::ref_ptr<TerrainCameraManipulator> manipulator;
    std::function<void()> viewChanged;
};

} // namespace velmora::viewer
