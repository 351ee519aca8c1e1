#include "velmora/application/Application.h"

#include <osgGA/StandardManipulator>

#include <cmath>
#include <limits>

namespace velmora::application {

namespace {
Application* current = nullptr;
constexpr double fieldOfViewDeg = 45.0;
constexpr double zNear = 1.0;
constexpr double zFar = 1.0e6;
} // namespace

Application* Application::instance()
{
    return current;
}

Application::Application(int width, int height)
    : viewer(new osgViewer::Viewer), sceneRoot(new osg::Group)
{
    // Qt drives the frames from its GUI thread; OSG must not start threads of its own.
    viewer->setThreadingModel(osgViewer::Viewer::SingleThreaded);
    window = viewer->setUpViewerAsEmbeddedInWindow(0, 0, width, height);
    viewer->setSceneData(sceneRoot);
    // Keep the far plane where we set it: the HUD and the terrain share one camera.
    viewer->getCamera()->setComputeNearFarMode(osg::CullSettings::DO_NOT_COMPUTE_NEAR_FAR);
    resize(width, height);
    setStartView(osg::Vec3d(0, 0, 0), osg::Vec3d(0, 1, 0), osg::Vec3d(0, 0, 1));
    clearTerrainPointUnderMouse();
    current = this;
}

Application::~Application()
{
    if (current == this)
        current = nullptr;
}

osgViewer::Viewer* Application::getViewer() const
{
    return viewer.get();
}

osg::ref_ptr<osgViewer::GraphicsWindowEmbedded> Application::getGraphicsWindow() const
{
    return window;
}

osg::ref_ptr<osg::Group> Application::getSceneData() const
{
    return sceneRoot;
}

osg::Vec3d Application::getStartPosition()
{
    return startEye;
}

void Application::warpToPosition(const osg::Vec3d& position)
{
    osg::Vec3d eye, center, up;
    viewer->getCamera()->getViewMatrixAsLookAt(eye, center, up, 1.0);
    lookAt(position, position + (center - eye), up);
}

void Application::warpToStart()
{
    lookAt(startEye, startCenter, startUp);
}

void Application::turnToNorth()
{
    osg::Vec3d eye, center, up;
    viewer->getCamera()->getViewMatrixAsLookAt(eye, center, up, 1.0);
    const osg::Vec3d forward = center - eye;
    const double level = std::hypot(forward.x(), forward.y());
    if (level < 1e-9)
        lookAt(eye, center, osg::Vec3d(0.0, 1.0, 0.0));
    else
        lookAt(eye, eye + osg::Vec3d(0.0, level, forward.z()), osg::Vec3d(0.0, 0.0, 1.0));
}

bool Application::hasTerrainPointUnderMouse() const
{
    return terrainPointUnderMouse.valid();
}

osg::Vec3d& Application::getTerrainPointUnderMouse()
{
    return terrainPointUnderMouse;
}

void Application::setStartView(const osg::Vec3d& eye, const osg::Vec3d& center, const osg::Vec3d& up)
{
    startEye = eye;
    startCenter = center;
    startUp = up;
    lookAt(eye, center, up);
}

void Application::setTerrainPointUnderMouse(const osg::Vec3d& point)
{
    terrainPointUnderMouse = point;
}

void Application::clearTerrainPointUnderMouse()
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    terrainPointUnderMouse.set(nan, nan, nan);
}

void Application::resize(int width, int height)
{
    width = std::max(width, 1);
    height = std::max(height, 1);
    window->resized(0, 0, width, height);
    window->getEventQueue()->windowResize(0, 0, width, height);
    osg::Camera* camera = viewer->getCamera();
    camera->setViewport(0, 0, width, height);
    camera->setProjectionMatrixAsPerspective(fieldOfViewDeg, double(width) / height, zNear, zFar);
}

void Application::lookAt(const osg::Vec3d& eye, const osg::Vec3d& center, const osg::Vec3d& up)
{
    osg::Camera* camera = viewer->getCamera();
    osgGA::CameraManipulator* manipulator = viewer->getCameraManipulator();
    if (auto* standard = dynamic_cast<osgGA::StandardManipulator*>(manipulator)) {
        // Given eye, center and up, OSG's manipulators keep the eye and the
        // direction; given a whole matrix, a terrain manipulator re-aims at
        // whatever ground it finds and may turn the camera straight down.
        standard->setTransformation(eye, center, up);
        camera->setViewMatrix(standard->getInverseMatrix());
        return;
    }
    camera->setViewMatrixAsLookAt(eye, center, up);
    if (manipulator)
        manipulator->setByInverseMatrix(camera->getViewMatrix());
}

} // namespace velmora::application
