#pragma once

#include <velmora/application/Application.h>

#include <QGraphicsScene>
#include <QGraphicsView>
#include <QMainWindow>

#include <memory>
#include <vector>

class QGraphicsProxyWidget;

namespace velmora::qtapplication {
class QtApplication;
}

namespace velmora::testing {

// An Application that records every warp it is asked for, then performs it.
class TestApplication : public application::Application
{
public:
    struct WarpCall
    {
        enum class Kind { ToPosition, ToStart };
        Kind kind;
        osg::Vec3d position; // the target of ToPosition
    };

    using Application::Application;

    void warpToPosition(const osg::Vec3d& position) override;
    void warpToStart() override;

    std::vector<WarpCall> warpCalls;
};

// Everything a plugin needs from its host, without a display: the application with viewer, camera, a window of
// known size and a scene root; a main window with a status bar; a 3D view whose graphics scene holds the GUI
// dialogs; the terrain georeferenced at a known place. Image and icon directories are the build tree's own.
// Construct one per test function (or per test case); it unregisters itself when destroyed.
class TestHost
{
public:
    static constexpr int windowWidth = 1280;
    static constexpr int windowHeight = 720;

    TestHost();
    ~TestHost();

    TestApplication& application() { return *app; }
    QMainWindow& mainWindow() { return window; }
    QGraphicsView& view() { return *view3d; }
    QGraphicsScene& scene() { return graphicsScene; }

    // The camera starts here, looking north (+y), level.
    void setStartPosition(const osg::Vec3d& eye);
    // What the next handleMouseClick will see under the mouse.
    void setTerrainPointUnderMouse(const osg::Vec3d& point);
    // Shows panel as a dialog over the 3D view, its top-left corner at (x, y) in view coordinates, as the viewer does.
    QGraphicsProxyWidget* showAsDialog(QWidget* panel, int x, int y);

private:
    QMainWindow window;
    QGraphicsScene graphicsScene;
    QGraphicsView* view3d;
    std::unique_ptr<TestApplication> app;
    std::unique_ptr<qtapplication::QtApplication> qtApp;
};

} // namespace velmora::testing
