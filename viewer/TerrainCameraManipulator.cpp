#include "TerrainCameraManipulator.h"

namespace velmora::viewer {

namespace {
// The camera's up vector must keep at least this much of the world's up:
// about 3 degrees short of looking straight down.
constexpr double minimumUpComponent = 0.05;
// The camera orbits a point on the terrain, so looking level or up would put
// the eye at or below the ground: keep at least about 1 degree of downward look.
constexpr double minimumDownComponent = 0.02;
} // namespace

TerrainCameraManipulator::TerrainCameraManipulator()
{
    // OSG zooms out on a forward wheel turn; map viewers zoom in.
    setWheelZoomFactor(-getWheelZoomFactor());
}

bool TerrainCameraManipulator::performMovementLeftMouseButton(double eventTimeDelta, double dx, double dy)
{
    const osg::Quat before = _rotation;
    bool handled = TerrainManipulator::performMovementLeftMouseButton(eventTimeDelta, dx, dy);
    // A drag that would tip the camera keeps its sideways turn only.
    if (outOfBounds()) {
        _rotation = before;
        handled = TerrainManipulator::performMovementLeftMouseButton(eventTimeDelta, dx, 0.0);
        if (outOfBounds())
            _rotation = before;
    }
    return handled;
}

bool TerrainCameraManipulator::outOfBounds() const
{
    // The terrain frame's up is +z.
    const osg::Vec3d cameraUp = _rotation * osg::Vec3d(0.0, 1.0, 0.0);
    const osg::Vec3d lookDirection = _rotation * osg::Vec3d(0.0, 0.0, -1.0);
    return cameraUp.z() < minimumUpComponent || lookDirection.z() > -minimumDownComponent;
}

} // namespace velmora::viewer
