#pragma once

#include <velmora/application/Application.h>

#include <osg/BoundingBox>
#include <osg/Node>
#include <osg/ref_ptr>
#include <osgGA/TerrainManipulator>

namespace velmora::viewer {

// The viewer's application: the terrain in the scene, a sun, the sky and a
// terrain manipulator that the warps and keyboard moves go through, so the
// mouse navigation continues from wherever the camera was sent.
class ViewerApplication : public application::Application
{
public:
    ViewerApplication(int width, int height);
    ~ViewerApplication() override;

    // Puts terrain (local ENU frame, metres) into the scene, lets the mouse
    // navigate over it and starts the camera at its south edge, a few hundred
    // metres up, looking north and slightly down over bounds.
    void setTerrain(osg::Node* terrain, const osg::BoundingBox& bounds);
    osg::Node* getTerrain() const { return terrainNode.get(); }
    osgGA::TerrainManipulator* getManipulator() const { return manipulator.get(); }

    // The first terrain point on the line of sight through the OpenGL window
    // position (x, y) (physical pixels, origin bottom left), in the scene's
    // world frame. Only the terrain counts, not overlays such as a HUD.
    // False when the line meets no terrain (sky).
    bool intersectTerrain(double x, double y, osg::Vec3d& point) const;

    // Keyboard navigation. forward/right: metres along the camera's heading
    // and to its right, kept level; up: metres added to the eye height while
    // the look-at point on the terrain stays.
    void moveLevel(double forward, double right);
    void changeHeight(double up);
    // A step length that suits the current view: a twentieth of the distance
    // from the eye to the point it orbits, at least 5 m.
    double navigationStep() const;

private:
    osg::ref_ptr<osg::Node> terrainNode;
    osg::ref_ptr<osgGA::TerrainManipulator> manipulator;
};

} // namespace velmora::viewer
