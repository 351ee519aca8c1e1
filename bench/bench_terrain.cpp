// A recorded run, not a Google Benchmark: opens a DEM in the real viewer
// window (under Xvfb), with no plugins, and prints the figures of
// bench/README.md's terrain section:
//   - wall time from the start of loading to the first frame, and to the
//     frame after which no tile is still loading (full detail);
//   - the resident set size then, and after the flight;
//   - the height error of picks at 1000 random pixels of the start view and
//     of a close-up (3 km from the ground at the view's centre), against the
//     DEM's bilinear value at the picked latitude and longitude, read
//     through GDAL here (max and 99th percentile; misses are not counted);
//   - frame times while flying 200 m a frame for flightSeconds (60 unless
//     given), 50 frames north and 50 back, so each run draws the same;
//   - the resident set size after a crossing of the whole DEM.
//
//     xvfb-run -a -s "-screen 0 1600x1000x24" bench_terrain DEM [flightSeconds [PICTURES]]
//
// With PICTURES, the window at full detail in the start view and in the
// close-up is saved as PICTURES-start.png and PICTURES-close.png.
//
// The DEM must be in WGS84 degrees (as make_test_dem writes them).

#include "SceneView.h"
#include "ViewerApplication.h"
#include "ViewerSession.h"
#include "ViewerWindow.h"

#include <velmora/terrain/TerrainManager.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>

#include <gdal_priv.h>
#include <osgDB/DatabasePager>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include <unistd.h>

using velmora::viewer::ViewerApplication;
using velmora::viewer::ViewerSession;

namespace {

double residentMiB()
{
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The DEM's own height at a latitude and longitude: bilinear between the four nearest pixel centres.
class Reference
{
public:
    explicit Reference(const char* path) : dataset(GDALDataset::Open(path, GDAL_OF_RASTER | GDAL_OF_READONLY))
    {
        if (dataset)
            dataset->GetGeoTransform(transform);
    }
    ~Reference() { GDALClose(dataset); }
    bool valid() const { return dataset != nullptr; }
    // The DEM's extent from north to south, metres (degrees of latitude, about 111.2 km each).
    double northSouthMetres() const { return std::abs(transform[5]) * dataset->GetRasterYSize() * 111195.0; }
    double heightAt(double latitude, double longitude) const
    {
        const double column = (longitude - transform[0]) / transform[1] - 0.5;
        const double row = (latitude - transform[3]) / transform[5] - 0.5;
        const int c = std::clamp(int(std::floor(column)), 0, dataset->GetRasterXSize() - 2);
        const int r = std::clamp(int(std::floor(row)), 0, dataset->GetRasterYSize() - 2);
        float h[4] = {};
        if (dataset->GetRasterBand(1)->RasterIO(GF_Read, c, r, 2, 2, h, 2, 2, GDT_Float32, 0, 0, nullptr) != CE_None)
            return NAN;
        const double fc = column - c, fr = row - r;
        return (1 - fr) * ((1 - fc) * h[0] + fc * h[1]) + fr * ((1 - fc) * h[2] + fc * h[3]);
    }

private:
    GDALDataset* dataset = nullptr;
    double transform[6] = {};
};

struct Session
{
    ViewerSession& session;
    ViewerApplication* app() const { return session.application(); }
    velmora::viewer::SceneView* view() const { return session.window()->sceneView(); }
    bool loading() const { return app()->getViewer()->getDatabasePager()->getRequestsInProgress(); }
    // Moves the camera forward metres, level, and draws a frame.
    void flyFrame(double metres) const
    {
        app()->moveLevel(metres, 0.0);
        QApplication::processEvents();
        view()->renderFrame();
    }
    // Frames until no tile is loading, at most limit milliseconds.
    void renderUntilLoaded(int limit) const
    {
        QElapsedTimer clock;
        clock.start();
        do {
            QApplication::processEvents();
            view()->renderFrame();
        } while (loading() && clock.elapsed() < limit);
    }
};

void reportPicks(const char* name, const Session& s, const Reference& reference)
{
    std::mt19937 random(7);
    const QSize size = s.view()->viewport()->size();
    std::vector<double> errors;
    for (int k = 0; k < 1000; ++k) {
        osg::Vec3d point;
        const double x = std::uniform_real_distribution<double>(0, size.width())(random);
        const double y = std::uniform_real_distribution<double>(0, size.height())(random);
        if (!s.app()->intersectTerrain(x, y, point))
            continue;
        gmtl::Vec<double, 3> gdc;
        velmora::terrain::TerrainManager::instance()->convertTerrainLocalToGdc(
            gmtl::Vec<double, 3>(point.x(), point.y(), point.z()), gdc);
        errors.push_back(std::abs(gdc[2] - reference.heightAt(gdc[1], gdc[0])));
    }
    std::sort(errors.begin(), errors.end());
    const auto at = [&errors](double q) { return errors.empty() ? NAN : errors[std::size_t(q * (errors.size() - 1))]; };
    std::printf("%s: %zu of 1000 picks hit; error max %.3f m, p99 %.3f m, median %.3f m\n", name, errors.size(),
                at(1.0), at(0.99), at(0.5));
}

// Flies back and forth along 10 km at 200 m a frame for the given seconds, so every run draws the same
// ground however fast it draws, and prints the frame times and the memory after.
void reportFlight(const Session& s, int seconds)
{
    std::vector<double> frameTimes;
    QElapsedTimer flight;
    flight.start();
    for (int k = 0; flight.elapsed() < seconds * 1000; ++k) {
        QElapsedTimer frame;
        frame.start();
        s.flyFrame((k / 50) % 2 == 0 ? 200.0 : -200.0);
        frameTimes.push_back(double(frame.nsecsElapsed()) / 1e6);
    }
    std::sort(frameTimes.begin(), frameTimes.end());
    double sum = 0.0;
    for (double t : frameTimes)
        sum += t;
    std::printf("flight: %zu frames in %d s, mean %.1f ms, median %.1f ms, p95 %.1f ms; %.1f MiB after\n",
                frameTimes.size(), seconds, sum / double(frameTimes.size()), frameTimes[frameTimes.size() / 2],
                frameTimes[std::size_t(0.95 * double(frameTimes.size() - 1))], residentMiB());
}

// Flies straight ahead across the whole DEM (metres long) in 300 frames, drawing each place once, and
// prints the memory after: tiles left behind must be let go.
void reportCrossing(const Session& s, double metres)
{
    constexpr int frames = 300;
    for (int k = 0; k < frames; ++k)
        s.flyFrame(metres / frames);
    std::printf("crossing: %.0f km in %d frames; %.1f MiB after\n", metres / 1000.0, frames, residentMiB());
}

} // namespace

int main(int argc, char** argv)
{
    QApplication qtApp(argc, argv);
    if (argc < 2) {
        std::fputs("usage: bench_terrain DEM [flightSeconds [PICTURES]]\n", stderr);
        return 2;
    }
    GDALAllRegister();
    const Reference reference(argv[1]);
    const int flightSeconds = std::max(argc > 2 ? std::atoi(argv[2]) : 60, 1);
    velmora::viewer::ViewerOptions options;
    options.demPath = QString::fromLocal8Bit(argv[1]);
    options.pluginDir = QStringLiteral("/nonexistent");
    options.viewSize = QSize(1280, 720);
    std::printf("start: %.1f MiB\n", residentMiB());
    QElapsedTimer clock;
    clock.start();
    ViewerSession session(options);
    QString error;
    if (!reference.valid() || !session.start(error)) {
        std::fprintf(stderr, "bench_terrain: %s\n", qPrintable(error));
        return 1;
    }
    const Session s{session};
    s.view()->stopFrames();
    while (!session.window()->windowHandle()->isExposed())
        QApplication::processEvents();
    s.view()->renderFrame();
    std::printf("first frame: %lld ms, %.1f MiB\n", clock.elapsed(), residentMiB());
    s.renderUntilLoaded(120000);
    std::printf("full detail: %lld ms, %.1f MiB\n", clock.elapsed(), residentMiB());
    reportPicks("start view", s, reference);
    const QString pictures = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    if (!pictures.isEmpty())
        session.window()->screenshot().save(pictures + "-start.png");

    // Close up: along the start view's central line of sight to 3 km from the ground.
    osg::Vec3d centre;
    if (s.app()->intersectTerrain(640, 360, centre)) {
        const osg::Vec3d eye = s.app()->getStartPosition();
        s.app()->warpToPosition(eye + (centre - eye) * (1.0 - 3000.0 / (centre - eye).length()));
    }
    s.renderUntilLoaded(120000);
    reportPicks("close up", s, reference);
    if (!pictures.isEmpty())
        session.window()->screenshot().save(pictures + "-close.png");

    reportFlight(s, flightSeconds);
    reportCrossing(s, reference.northSouthMetres());
    session.shutDown();
    return 0;
}
