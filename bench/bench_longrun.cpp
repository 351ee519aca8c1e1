// A long run of the compass plugin in the display-free test host: 100,000
// frames in follow mode with the camera moving, then 100,000 status
// refreshes from cursor moves over a terrain with a KdTree, through every
// coordinate system of the status bar. Prints the resident set size at the
// start, after a warm-up and at the end of each phase; exits with 1 when
// either phase grows by more than a small allowance after its warm-up.
//
//     bench_longrun [frames]    (default 100000 per phase)

#include "GridTerrain.h"
#include "LoadedCompassPlugin.h"
#include "TestHost.h"

#include <velmora/application/plugin/FrameUpdatePlugin.h>
#include <velmora/application/plugin/MouseHandlerPlugin.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include <unistd.h>

using velmora::application::plugin::FrameUpdatePlugin;
using velmora::application::plugin::MouseHandlerPlugin;
using velmora::testing::LoadedCompassPlugin;
using velmora::testing::TestHost;

namespace {

// Growth after the warm-up that still counts as flat: allocator pages
// settling, not a leak, which would grow with every frame.
constexpr double allowedGrowthMiB = 1.0;

// Resident set size in MiB, from /proc/self/statm (its second field, in pages).
double residentMiB()
{
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm)
        return -1.0;
    unsigned long size = 0;
    unsigned long resident = 0;
    const int read = std::fscanf(statm, "%lu %lu", &size, &resident);
    std::fclose(statm);
    if (read != 2)
        return -1.0;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// Runs step(i) for i in [0, count), the first tenth as warm-up; prints the
// resident size before, after the warm-up and at the end. True when flat.
bool runPhase(const char* name, int count, const std::function<void(int)>& step)
{
    const int warmUp = count / 10;
    const double start = residentMiB();
    const auto began = std::chrono::steady_clock::now();
    for (int i = 0; i < warmUp; ++i)
        step(i);
    const double warm = residentMiB();
    for (int i = warmUp; i < count; ++i)
        step(i);
    const double end = residentMiB();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    const bool flat = end - warm <= allowedGrowthMiB;
    std::printf("%-16s %7d steps  %6.1f us/step  RSS MiB: start %.1f  after %d warm-up %.1f  end %.1f  "
                "(%+.2f after warm-up: %s)\n",
                name, count, 1e6 * seconds / count, start, warmUp, warm, end, end - warm, flat ? "flat" : "GROWS");
    std::fflush(stdout);
    return flat;
}

} // namespace

int main(int argc, char** argv)
{
    // Painting needs a GUI application, but no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int steps = argc > 1 ? std::atoi(argv[1]) : 100000;
    if (steps < 10) {
        std::fprintf(stderr, "usage: bench_longrun [steps per phase, at least 10]\n");
        return 2;
    }
    std::printf("RSS at start: %.1f MiB\n", residentMiB());

    TestHost host;
    // About 65 thousand triangles.
    host.application().getSceneData()->addChild(velmora::testing::makeGridTerrain(182, 60.0f, true));
    LoadedCompassPlugin plugin;
    // Shown as a dialog as the viewer shows it, so the painted compass and
    // the fields really paint.
    host.showAsDialog(plugin.panel(), 40, 60);
    QApplication::processEvents();
    auto* frame = static_cast<FrameUpdatePlugin*>(
        plugin.object()->qt_metacast("velmora::application::plugin::FrameUpdatePlugin"));
    auto* mouse = static_cast<MouseHandlerPlugin*>(
        plugin.object()->qt_metacast("velmora::application::plugin::MouseHandlerPlugin"));
    auto* combo = host.mainWindow().statusBar()->findChild<QComboBox*>();
    frame->frameUpdate();
    std::printf("RSS with the plugin loaded and shown: %.1f MiB\n", residentMiB());

    osg::Camera* camera = host.application().getViewer()->getCamera();
    plugin.find<QPushButton>("toggleSyncButton")->click();
    if (plugin.find<QLineEdit>("localXTextBox")->isEnabled()) {
        std::fprintf(stderr, "the follow button did not switch follow mode on\n");
        return 2;
    }
    // A slow circle 2 km up, turning with the path; the host's event loop
    // runs between frames.
    const bool followFlat = runPhase("follow frames", steps, [&](int i) {
        const double angle = i * 1e-3;
        const osg::Vec3d eye(1500.0 * std::sin(angle), 1500.0 * std::cos(angle), 2000.0 + 100.0 * std::sin(i * 1e-2));
        const osg::Vec3d direction(std::cos(angle), -std::sin(angle), -0.3);
        camera->setViewMatrixAsLookAt(eye, eye + direction, osg::Vec3d(0.0, 0.0, 1.0));
        frame->frameUpdate();
        QApplication::processEvents();
    });
    plugin.find<QPushButton>("toggleSyncButton")->click();

    // The cursor sweeps the lower right of the view, over the terrain and
    // clear of the panel; the status bar's system changes every thousand
    // refreshes.
    const bool statusFlat = runPhase("status refreshes", steps, [&](int i) {
        if (i % 1000 == 0)
            combo->setCurrentIndex((i / 1000) % combo->count());
        const QPointF at(600 + i % 660, 420 + (i / 660) % 280);
        QMouseEvent move(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        mouse->handleMouseMove(&move, &host.scene());
        frame->frameUpdate();
        QApplication::processEvents();
    });
    std::printf("RSS at the end: %.1f MiB\n", residentMiB());
    const QString status = host.mainWindow().statusBar()->findChild<QLabel*>()->text();
    std::printf("last status text: %s\n", qPrintable(status));
    if (!status.contains(QLatin1String("Cursor"))) {
        std::fprintf(stderr, "the status text names no cursor point: the refreshes missed the terrain\n");
        return 2;
    }
    return followFlat && statusFlat ? 0 : 1;
}
