#pragma once

#include <osg/BoundingBox>
#include <osg/Matrixd>
#include <osg/Node>
#include <osg/observer_ptr>
#include <osgGA/CameraManipulator>

#include <memory>
#include <optional>

namespace osg {
class Camera;
}

namespace velmora::viewer {

class TerrainSurface;

// Navigation that grabs the ground. The camera is an eye position with a
// heading (degrees clockwise from north, +y) and a pitch (degrees, negative
// looking down); it never rolls.
//
// - Left drag turns the camera about the terrain point grabbed at the press:
//   sideways turns the heading, up and down tilts, and the grabbed point
//   stays on the pixel where it was grabbed.
// - Middle drag or Shift+left drag pans: the grabbed point follows the cursor.
// - Right drag zooms towards the grabbed point; the wheel zooms towards the
//   point under the cursor, which stays under it.
// - A turn to north (turnToNorth) swings the camera about the terrain point
//   at the centre of the view, which stays there, over turnDuration seconds.
// Every move keeps the eye at least minimumClearance above the terrain and
// the view level or looking down, so the terrain is never seen from below.
// Positions of mouse events are read through OSG's normalised coordinates,
// so either y orientation of the event queue works.
class TerrainCameraManipulator : public osgGA::CameraManipulator
{
public:
    // Metres the eye keeps above the terrain surface under it.
    static constexpr double minimumClearance = 20.0;
    // The steepest and the shallowest look a drag may give, degrees.
    static constexpr double steepestPitch = -89.0;
    static constexpr double shallowestPitch = -1.0;

    TerrainCameraManipulator();

    const char* className() const override { return "TerrainCameraManipulator"; }

    // The terrain to grab and keep above; the manipulator holds no reference.
    void setNode(osg::Node* node) override;
    const osg::Node* getNode() const override { return terrain.get(); }
    osg::Node* getNode() override { return terrain.get(); }
    // The DEM's own ground, which the eye keeps above instead of the drawn
    // mesh; null keeps above the mesh.
    void setSurface(std::shared_ptr<const TerrainSurface> ground) { surface = std::move(ground); }

    // A view given as a matrix is kept exactly, except that any roll is dropped.
    void setByMatrix(const osg::Matrixd& matrix) override;
    void setByInverseMatrix(const osg::Matrixd& matrix) override { setByMatrix(osg::Matrixd::inverse(matrix)); }
    osg::Matrixd getMatrix() const override;
    osg::Matrixd getInverseMatrix() const override;

    bool handle(const osgGA::GUIEventAdapter& event, osgGA::GUIActionAdapter& actions) override;

    // Moves forward and right (metres, negative for back and left) along the
    // heading, keeping the height above the terrain.
    void moveLevel(double forward, double right);
    // Multiplies the height above the terrain by heightStepFactor per step
    // (negative steps lower the camera); the look direction stays. A step up
    // and a step down cancel unless the clearance or the reach stopped one.
    void changeHeight(int steps);
    // Height of the eye above the terrain under it, metres.
    double heightAboveTerrain() const;
    // Starts turning the camera to face north (heading 0) the shorter way
    // round, about the terrain point at the centre of camera's view (about
    // the eye when the centre shows sky); the pitch stays. The turn runs on
    // the frame events from the next one on and ends turnDuration seconds
    // later; a drag, the wheel, a key move or a new view ends it where it is.
    void turnToNorth(const osg::Camera& camera);
    bool isTurning() const { return turn.has_value(); }

    static constexpr double heightStepFactor = 1.25;
    static constexpr double turnDuration = 1.0 / 3.0; // seconds

protected:
    ~TerrainCameraManipulator() override = default;

private:
    enum class Drag { None, Turn, Pan, Zoom };

    struct Pose
    {
        osg::Vec3d eye;
        double heading = 0.0; // degrees
        double pitch = 0.0;   // degrees
    };

    struct Turn
    {
        Pose from;
        osg::Vec3d pivot;
        double startTime = -1.0; // seconds of frame time; negative until the first frame of the turn
    };

    // Camera-to-world rotation of a pose.
    static osg::Matrixd orientation(double heading, double pitch);
    static osg::Matrixd viewMatrix(const Pose& pose);
    // from turned, camera and eye alike, about pivot to heading and pitch, so
    // that pivot stays on its pixel.
    static Pose turnedAbout(const Pose& from, const osg::Vec3d& pivot, double heading, double pitch);
    // The line of sight through window position (x, y) of camera, seen from pose.
    static bool lineOfSight(const osg::Camera& camera, const Pose& pose, double x, double y, osg::Vec3d& from,
                            osg::Vec3d& to);

    bool intersect(const osg::Vec3d& from, const osg::Vec3d& to, osg::Vec3d& hit) const;
    // The terrain's height at (x, y); outside the terrain, that of its nearest edge.
    double groundHeight(double x, double y) const;
    // Keeps candidate's eye within reach() of the terrain's bounds and raises
    // it to the clearance when it is lower; false when it had to raise it.
    bool keepInReach(Pose& candidate) const;
    // How far the eye may go beyond the terrain's bounds, sideways or up, metres.
    double reach() const;

    void press(Drag drag, const osg::Camera& camera, double x, double y);
    void drag(const osg::Camera& camera, double x, double y);
    void zoomAt(const osg::Camera& camera, double x, double y, double factor);
    void advanceTurn(double time);
    static bool windowPosition(const osgGA::GUIEventAdapter& event, const osg::Camera& camera, double& x, double& y);

    osg::observer_ptr<osg::Node> terrain;
    std::shared_ptr<const TerrainSurface> surface;
    osg::BoundingBox bounds;
    Pose pose;
    Drag dragging = Drag::None;
    Pose pressPose;
    osg::Vec3d grabbed;
    double pressX = 0.0;
    double pressY = 0.0;
    std::optional<Turn> turn;
};

} // namespace velmora::viewer
