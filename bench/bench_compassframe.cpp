#include "GridTerrain.h"
#include "LoadedCompassPlugin.h"
#include "TestHost.h"

#include <velmora/application/plugin/FrameUpdatePlugin.h>
#include <velmora/application/plugin/MouseHandlerPlugin.h>

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include <memory>

using velmora::application::plugin::FrameUpdatePlugin;
using velmora::application::plugin::MouseHandlerPlugin;
using velmora::testing::LoadedCompassPlugin;
using velmora::testing::TestHost;

namespace {

// Vertices per side of the benchmark terrain: 2 * 707 * 707 is about one million triangles.
constexpr int terrainSide = 708;
constexpr float terrainSpacing = 30.0f; // metres

osg::ref_ptr<osg::Geode> makeTerrain(bool withKdTree)
{
    return velmora::testing::makeGridTerrain(terrainSide, terrainSpacing, withKdTree);
}

// The plugin in the test host with its panel shown, so the painted compass
// really paints, after the first frame's status refresh.
struct CompassInHost
{
    CompassInHost()
    {
        plugin.panel()->show();
        // Until the window is exposed, repaint() paints nothing.
        for (int i = 0; i < 10 && !plugin.panel()->testAttribute(Qt::WA_Mapped); ++i)
            QApplication::processEvents();
        frame = static_cast<FrameUpdatePlugin*>(
            plugin.object()->qt_metacast("velmora::application::plugin::FrameUpdatePlugin"));
        mouse = static_cast<MouseHandlerPlugin*>(
            plugin.object()->qt_metacast("velmora::application::plugin::MouseHandlerPlugin"));
        frame->frameUpdate();
    }

    // A cursor move over the terrain below the horizon: the next frame refreshes the status text.
    void moveCursor(int x)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, 600), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        mouse->handleMouseMove(&move, &host.scene());
    }

    TestHost host;
    LoadedCompassPlugin plugin;
    FrameUpdatePlugin* frame = nullptr;
    MouseHandlerPlugin* mouse = nullptr;
};

// Camera and mouse still: label, painted compass, HUD rotation and projection, no status refresh.
void idleFrame(benchmark::State& state)
{
    CompassInHost compass;
    compass.host.application().getSceneData()->addChild(makeTerrain(true));
    for (auto _ : state)
        compass.frame->frameUpdate();
}
BENCHMARK(idleFrame)->Unit(benchmark::kMicrosecond);

// The cursor moves one pixel every frame: a status refresh with one intersection under it.
void statusRefreshFrame(benchmark::State& state)
{
    CompassInHost compass;
    compass.host.application().getSceneData()->addChild(makeTerrain(state.range(0) != 0));
    int x = 640;
    for (auto _ : state) {
        compass.moveCursor(x);
        compass.frame->frameUpdate();
        x = x == 640 ? 641 : 640;
    }
}
BENCHMARK(statusRefreshFrame)->ArgName("kdTree")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// Follow mode on, camera still: the panel is refilled from the camera every frame.
void followFrame(benchmark::State& state)
{
    CompassInHost compass;
    compass.host.application().getSceneData()->addChild(makeTerrain(true));
    compass.plugin.find<QPushButton>("toggleSyncButton")->click();
    // Follow mode locks the coordinate fields.
    if (compass.plugin.find<QLineEdit>("localXTextBox")->isEnabled()) {
        state.SkipWithError("the follow button did not switch follow mode on");
        return;
    }
    for (auto _ : state)
        compass.frame->frameUpdate();
}
BENCHMARK(followFrame)->Unit(benchmark::kMicrosecond);

} // namespace
