#include "TerrainCameraManipulator.h"

#include "terrain/TerrainSurface.h"

#include <osg/Camera>
#include <osg/ComputeBoundsVisitor>
#include <osgUtil/LineSegmentIntersector>

#include <algorithm>
#include <cmath>

namespace velmora::viewer {

namespace {
// A drag across the whole view turns the heading half round and tilts by a quarter.
constexpr double headingPerViewWidth = 180.0; // degrees
constexpr double pitchPerViewHeight = 90.0;   // degrees
// Zoom steps of the wheel, and the closest the eye comes to the point it zooms towards.
constexpr double wheelZoomFactor = 0.8;
constexpr double closestZoomDistance = 5.0; // metres
// A pan whose line of sight meets the grabbed height further than this many
// times the grabbed distance is near the horizon: it would throw the camera away.
constexpr double farthestPanRatio = 30.0;

osg::Vec3d direction(double heading, double pitch)
{
    const double h = osg::DegreesToRadians(heading);
    const double p = osg::DegreesToRadians(pitch);
    return osg::Vec3d(std::sin(h) * std::cos(p), std::cos(h) * std::cos(p), std::sin(p));
}
} // namespace

TerrainCameraManipulator::TerrainCameraManipulator() = default;

void TerrainCameraManipulator::setNode(osg::Node* node)
{
    terrain = node;
    bounds.init();
    if (node) {
        osg::ComputeBoundsVisitor visitor;
        node->accept(visitor);
        bounds = visitor.getBoundingBox();
    }
}

osg::Matrixd TerrainCameraManipulator::orientation(double heading, double pitch)
{
    // Rows are the camera's right, up and backward axes in the world: OSG multiplies row vectors.
    const osg::Vec3d forward = direction(heading, pitch);
    const double h = osg::DegreesToRadians(heading);
    const osg::Vec3d right(std::cos(h), -std::sin(h), 0.0);
    const osg::Vec3d up = right ^ forward;
    return osg::Matrixd(right.x(), right.y(), right.z(), 0.0, up.x(), up.y(), up.z(), 0.0, -forward.x(), -forward.y(),
                        -forward.z(), 0.0, 0.0, 0.0, 0.0, 1.0);
}

osg::Matrixd TerrainCameraManipulator::viewMatrix(const Pose& pose)
{
    return osg::Matrixd::inverse(orientation(pose.heading, pose.pitch) * osg::Matrixd::translate(pose.eye));
}

TerrainCameraManipulator::Pose TerrainCameraManipulator::turnedAbout(const Pose& from, const osg::Vec3d& pivot,
                                                                     double heading, double pitch)
{
    Pose turned = from;
    turned.heading = heading;
    turned.pitch = pitch;
    const osg::Matrixd rotation =
        osg::Matrixd::inverse(orientation(from.heading, from.pitch)) * orientation(heading, pitch);
    turned.eye = pivot + osg::Matrixd::transform3x3(from.eye - pivot, rotation);
    return turned;
}

void TerrainCameraManipulator::setByMatrix(const osg::Matrixd& matrix)
{
    pose.eye = matrix.getTrans();
    osg::Vec3d forward = osg::Matrixd::transform3x3(osg::Vec3d(0.0, 0.0, -1.0), matrix);
    const osg::Vec3d up = osg::Matrixd::transform3x3(osg::Vec3d(0.0, 1.0, 0.0), matrix);
    forward.normalize();
    pose.pitch = osg::RadiansToDegrees(std::asin(std::clamp(forward.z(), -1.0, 1.0)));
    // Looking straight down or up, the heading is where the top of the view points.
    if (std::hypot(forward.x(), forward.y()) > 1e-9)
        pose.heading = osg::RadiansToDegrees(std::atan2(forward.x(), forward.y()));
    else if (forward.z() < 0.0)
        pose.heading = osg::RadiansToDegrees(std::atan2(up.x(), up.y()));
    else
        pose.heading = osg::RadiansToDegrees(std::atan2(-up.x(), -up.y()));
    dragging = Drag::None;
}

osg::Matrixd TerrainCameraManipulator::getMatrix() const
{
    return orientation(pose.heading, pose.pitch) * osg::Matrixd::translate(pose.eye);
}

osg::Matrixd TerrainCameraManipulator::getInverseMatrix() const
{
    return viewMatrix(pose);
}

bool TerrainCameraManipulator::lineOfSight(const osg::Camera& camera, const Pose& pose, double x, double y,
                                           osg::Vec3d& from, osg::Vec3d& to)
{
    if (!camera.getViewport())
        return false;
    const osg::Matrixd toWindow =
        viewMatrix(pose) * camera.getProjectionMatrix() * camera.getViewport()->computeWindowMatrix();
    osg::Matrixd fromWindow;
    if (!fromWindow.invert(toWindow))
        return false;
    from = osg::Vec3d(x, y, 0.0) * fromWindow;
    to = osg::Vec3d(x, y, 1.0) * fromWindow;
    return true;
}

bool TerrainCameraManipulator::intersect(const osg::Vec3d& from, const osg::Vec3d& to, osg::Vec3d& hit) const
{
    osg::ref_ptr<osg::Node> node;
    if (!terrain.lock(node))
        return false;
    osg::ref_ptr<osgUtil::LineSegmentIntersector> line = new osgUtil::LineSegmentIntersector(from, to);
    osgUtil::IntersectionVisitor visitor(line.get());
    node->accept(visitor);
    if (!line->containsIntersections())
        return false;
    hit = line->getFirstIntersection().getWorldIntersectPoint();
    return true;
}

double TerrainCameraManipulator::groundHeight(double x, double y) const
{
    if (!bounds.valid())
        return 0.0;
    // Just inside the edge, so the probe cannot slip past the last triangle.
    const double inset = 1e-3 * std::max(bounds.xMax() - bounds.xMin(), bounds.yMax() - bounds.yMin());
    x = std::clamp(x, bounds.xMin() + inset, bounds.xMax() - inset);
    y = std::clamp(y, bounds.yMin() + inset, bounds.yMax() - inset);
    osg::Vec3d hit;
    if (intersect(osg::Vec3d(x, y, bounds.zMax() + 1000.0), osg::Vec3d(x, y, bounds.zMin() - 1000.0), hit)) {
        // The mesh drawn may cut below a peak between its vertices; the DEM does not.
        if (surface)
            surface->snap(hit);
        return hit.z();
    }
    return bounds.zMin();
}

double TerrainCameraManipulator::heightAboveTerrain() const
{
    return pose.eye.z() - groundHeight(pose.eye.x(), pose.eye.y());
}

double TerrainCameraManipulator::reach() const
{
    if (!bounds.valid())
        return 1e5;
    const double extent = std::max(bounds.xMax() - bounds.xMin(), bounds.yMax() - bounds.yMin());
    return std::max(3.0 * extent, 10000.0);
}

bool TerrainCameraManipulator::keepInReach(Pose& candidate) const
{
    if (bounds.valid()) {
        candidate.eye.x() = std::clamp<double>(candidate.eye.x(), bounds.xMin() - reach(), bounds.xMax() + reach());
        candidate.eye.y() = std::clamp<double>(candidate.eye.y(), bounds.yMin() - reach(), bounds.yMax() + reach());
        candidate.eye.z() = std::min<double>(candidate.eye.z(), bounds.zMax() + reach());
    }
    const double lowest = groundHeight(candidate.eye.x(), candidate.eye.y()) + minimumClearance;
    if (candidate.eye.z() >= lowest)
        return true;
    candidate.eye.z() = lowest;
    return false;
}

bool TerrainCameraManipulator::windowPosition(const osgGA::GUIEventAdapter& event, const osg::Camera& camera,
                                              double& x, double& y)
{
    const osg::Viewport* viewport = camera.getViewport();
    if (!viewport)
        return false;
    // Normalised coordinates take the queue's y orientation into account; window ones are y-up like GL.
    x = viewport->x() + 0.5 * (event.getXnormalized() + 1.0) * viewport->width();
    y = viewport->y() + 0.5 * (event.getYnormalized() + 1.0) * viewport->height();
    return true;
}

bool TerrainCameraManipulator::handle(const osgGA::GUIEventAdapter& event, osgGA::GUIActionAdapter& actions)
{
    const osg::View* view = actions.asView();
    const osg::Camera* camera = view ? view->getCamera() : nullptr;
    double x = 0.0;
    double y = 0.0;
    if (!camera || !windowPosition(event, *camera, x, y))
        return false;

    switch (event.getEventType()) {
    case osgGA::GUIEventAdapter::PUSH: {
        if (dragging != Drag::None)
            return true; // a second button during a drag changes nothing
        const bool shift = (event.getModKeyMask() & osgGA::GUIEventAdapter::MODKEY_SHIFT) != 0;
        switch (event.getButton()) {
        case osgGA::GUIEventAdapter::LEFT_MOUSE_BUTTON: press(shift ? Drag::Pan : Drag::Turn, *camera, x, y); break;
        case osgGA::GUIEventAdapter::MIDDLE_MOUSE_BUTTON: press(Drag::Pan, *camera, x, y); break;
        case osgGA::GUIEventAdapter::RIGHT_MOUSE_BUTTON: press(Drag::Zoom, *camera, x, y); break;
        default: return false;
        }
        return true;
    }
    case osgGA::GUIEventAdapter::DRAG:
        if (dragging == Drag::None)
            return false;
        // The drag takes over from wherever a turn had got to, as if pressed there now.
        if (turn) {
            turn.reset();
            press(dragging, *camera, x, y);
        }
        drag(*camera, x, y);
        actions.requestRedraw();
        return true;
    case osgGA::GUIEventAdapter::RELEASE:
        if (event.getButtonMask() == 0)
            dragging = Drag::None;
        return true;
    case osgGA::GUIEventAdapter::SCROLL:
        if (event.getScrollingMotion() == osgGA::GUIEventAdapter::SCROLL_UP)
            zoomAt(*camera, x, y, wheelZoomFactor);
        else if (event.getScrollingMotion() == osgGA::GUIEventAdapter::SCROLL_DOWN)
            zoomAt(*camera, x, y, 1.0 / wheelZoomFactor);
        else
            return false;
        actions.requestRedraw();
        return true;
    case osgGA::GUIEventAdapter::FRAME:
        if (!turn)
            return false;
        advanceTurn(event.getTime());
        actions.requestRedraw();
        return false;
    default: return false;
    }
}

void TerrainCameraManipulator::press(Drag drag, const osg::Camera& camera, double x, double y)
{
    pressPose = pose;
    pressX = x;
    pressY = y;
    dragging = drag;
    osg::Vec3d from, to;
    if (lineOfSight(camera, pose, x, y, from, to) && intersect(from, to, grabbed))
        return;
    // Sky under the cursor: turning looks around from where the camera is; there is no ground to pan.
    grabbed = pose.eye;
    if (drag == Drag::Pan)
        dragging = Drag::None;
}

void TerrainCameraManipulator::drag(const osg::Camera& camera, double x, double y)
{
    const osg::Viewport* viewport = camera.getViewport();
    switch (dragging) {
    case Drag::Turn: {
        const auto turned = [this](double heading, double pitch) {
            return turnedAbout(pressPose, grabbed, heading, pitch);
        };
        const double heading = pressPose.heading + (x - pressX) / viewport->width() * headingPerViewWidth;
        const double pitch = std::clamp(pressPose.pitch + (y - pressY) / viewport->height() * pitchPerViewHeight,
                                        steepestPitch, shallowestPitch);
        // A tilt that would take the eye into the ground keeps the turn and the last good tilt;
        // an eye that was already too low (after a warp) is lifted.
        Pose candidate = turned(heading, pitch);
        if (!keepInReach(candidate)) {
            candidate = turned(heading, pose.pitch);
            keepInReach(candidate);
        }
        pose = candidate;
        return;
    }
    case Drag::Pan: {
        // Move level so the line of sight through the cursor passes the grabbed point again.
        osg::Vec3d from, to;
        if (!lineOfSight(camera, pressPose, x, y, from, to))
            return;
        osg::Vec3d sight = to - from;
        sight.normalize();
        if (std::abs(sight.z()) < 1e-6)
            return;
        const double along = (grabbed.z() - pressPose.eye.z()) / sight.z();
        if (along <= 0.0 || along > farthestPanRatio * (grabbed - pressPose.eye).length())
            return;
        Pose candidate = pressPose;
        candidate.eye = grabbed - sight * along;
        keepInReach(candidate);
        pose = candidate;
        return;
    }
    case Drag::Zoom: {
        // Up the view zooms in; a drag over the whole height changes the distance e-fold twice.
        const double factor = std::exp(-2.0 * (y - pressY) / viewport->height());
        const osg::Vec3d offset = pressPose.eye - grabbed;
        const double distance = std::max(offset.length() * factor, closestZoomDistance);
        Pose candidate = pressPose;
        candidate.eye = grabbed + offset * (distance / std::max(offset.length(), 1e-9));
        keepInReach(candidate);
        pose = candidate;
        return;
    }
    case Drag::None: return;
    }
}

void TerrainCameraManipulator::zoomAt(const osg::Camera& camera, double x, double y, double factor)
{
    osg::Vec3d from, to, target;
    if (!lineOfSight(camera, pose, x, y, from, to))
        return;
    if (!intersect(from, to, target)) {
        // Over the sky, zoom along the line of sight as if the ground were a few heights away.
        osg::Vec3d sight = to - from;
        sight.normalize();
        target = pose.eye + sight * (4.0 * std::max(heightAboveTerrain(), minimumClearance));
    }
    const osg::Vec3d offset = pose.eye - target;
    if (offset.length() * factor < closestZoomDistance)
        return;
    turn.reset();
    Pose candidate = pose;
    candidate.eye = target + offset * factor;
    keepInReach(candidate);
    pose = candidate;
}

void TerrainCameraManipulator::moveLevel(double forward, double right)
{
    const double height = std::max(heightAboveTerrain(), minimumClearance);
    const double h = osg::DegreesToRadians(pose.heading);
    pose.eye += osg::Vec3d(std::sin(h), std::cos(h), 0.0) * forward + osg::Vec3d(std::cos(h), -std::sin(h), 0.0) * right;
    // Level means at the same height above the ground, so a mountain ahead lifts the camera over it.
    pose.eye.z() = groundHeight(pose.eye.x(), pose.eye.y()) + height;
    keepInReach(pose);
    dragging = Drag::None;
    turn.reset();
}

void TerrainCameraManipulator::changeHeight(int steps)
{
    const double ground = groundHeight(pose.eye.x(), pose.eye.y());
    const double height = std::max(pose.eye.z() - ground, minimumClearance) * std::pow(heightStepFactor, steps);
    pose.eye.z() = ground + std::max(height, minimumClearance);
    keepInReach(pose);
    dragging = Drag::None;
    turn.reset();
}

void TerrainCameraManipulator::turnToNorth(const osg::Camera& camera)
{
    Turn next{pose, pose.eye};
    const osg::Viewport* viewport = camera.getViewport();
    osg::Vec3d from, to;
    // Over the sky at the centre the pivot stays the eye: the camera turns where it is.
    if (viewport && lineOfSight(camera, pose, viewport->x() + 0.5 * viewport->width(),
                                viewport->y() + 0.5 * viewport->height(), from, to))
        intersect(from, to, next.pivot);
    turn = next;
}

void TerrainCameraManipulator::advanceTurn(double time)
{
    // The turn starts at its first frame, so a slow first frame does not eat into it.
    if (turn->startTime < 0.0)
        turn->startTime = time;
    const double t = std::clamp((time - turn->startTime) / turnDuration, 0.0, 1.0);
    // Eased in and out: the view neither jerks into the turn nor stops with a jolt.
    const double eased = t * t * (3.0 - 2.0 * t);
    const double toNorth = std::remainder(-turn->from.heading, 360.0);
    pose = turnedAbout(turn->from, turn->pivot, turn->from.heading + eased * toNorth, turn->from.pitch);
    keepInReach(pose);
    if (t >= 1.0) {
        pose.heading = 0.0;
        turn.reset();
    }
}

} // namespace velmora::viewer
