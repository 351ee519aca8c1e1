#pragma once

#include "velmora/Export.h"

#include <osg/Group>
#include <osg/Vec3d>
#include <osg/ref_ptr>
#include <osgViewer/GraphicsWindow>
#include <osgViewer/Viewer>

namespace velmora::application {

// The host application: one single-threaded OSG viewer drawing into an
// embedded graphics window, the scene root, and the camera positions that
// plugins exchange with it. Every position is a terrain-local point in
// metres, which is also the scene's world frame.
//
// Exactly one Application is current at a time: the one constructed last
// and not yet destroyed.
class VELMORA_EXPORT Application
{
public:
    // The current application, or null when none exists.
    static Application* instance();

    // Sets up the viewer, a window of width x height pixels, a perspective
    // camera looking along +y from the origin and an empty scene root.
    Application(int width = 800, int height = 600);
    virtual ~Application();

    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    osgViewer::Viewer* getViewer() const;
    osg::ref_ptr<osgViewer::GraphicsWindowEmbedded> getGraphicsWindow() const;
    osg::ref_ptr<osg::Group> getSceneData() const;

    // The camera's start position (its eye).
    virtual osg::Vec3d getStartPosition();
    // Moves the camera eye to position, keeping the direction it looks in. A
    // host with terrain may put the eye higher to keep it above the ground:
    // the camera's view matrix tells where it is once this returns.
    virtual void warpToPosition(const osg::Vec3d& position);
    // Moves the camera back to its start view.
    virtual void warpToStart();
    // Turns the camera to face north (heading 0), keeping its pitch and the
    // point at the centre of the view. This base knows no ground, so it
    // turns at once about the eye; a host with terrain turns about the ground
    // point at the view centre and may take a moment to do so. Looking
    // straight down, north goes to the top of the view.
    virtual void turnToNorth();
    // Whether the last mouse press hit the terrain.
    virtual bool hasTerrainPointUnderMouse() const;
    // The terrain point under the mouse at the last press; all three
    // elements are NaN when that press hit nothing.
    virtual osg::Vec3d& getTerrainPointUnderMouse();

    // The start view: the camera goes there now and on every warpToStart.
    void setStartView(const osg::Vec3d& eye, const osg::Vec3d& center, const osg::Vec3d& up);
    // Records the terrain point under the mouse for the press being handled.
    void setTerrainPointUnderMouse(const osg::Vec3d& point);
    void clearTerrainPointUnderMouse();
    // Resizes the window, the camera's viewport and its projection.
    void resize(int width, int height);

protected:
    // Shows the view from eye towards center now and hands it to the camera
    // manipulator, when the host uses one, so the next frame keeps it.
    void lookAt(const osg::Vec3d& eye, const osg::Vec3d& center, const osg::Vec3d& up);

private:
    osg::ref_ptr<osgViewer::Viewer> viewer;
    osg::ref_ptr<osgViewer::GraphicsWindowEmbedded> window;
    osg::ref_ptr<osg::Group> sceneRoot;
    osg::Vec3d startEye, startCenter, startUp;
    osg::Vec3d terrainPointUnderMouse;
};

} // namespace velmora::application
