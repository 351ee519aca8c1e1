#pragma once

#include <osg/Vec2d>
#include <osg/Vec3d>

namespace osg {
class Camera;
class Node;
} // namespace osg

namespace velmora::plugin::compass_widget {

// The OpenGL window position (device pixels, origin at the bottom left) of
// a cursor at (x, y) in the 3D view's widget coordinates (logical pixels,
// origin at the top left) of a view sceneHeight logical pixels high, shown
// at devicePixelRatio device pixels per logical pixel: the centre of the
// pixel under the cursor, ((x + 0.5) * ratio, (sceneHeight - y - 0.5) *
// ratio), the same point the host picks for a press there. A ratio of 0 or
// less is taken as 1.
osg::Vec2d cursorWindowPosition(int x, int y, int sceneHeight, double devicePixelRatio);

// The nearest point of camera's scene on the line of sight through the
// window position (device pixels, origin at the bottom left), in world
// coordinates, leaving out everything below overlay (which may be null).
// False, with point unchanged, when nothing else lies on that line.
bool scenePointUnder(osg::Camera& camera, const osg::Vec2d& window, const osg::Node* overlay,
                     osg::Vec3d& point);

} // namespace velmora::plugin::compass_widget
