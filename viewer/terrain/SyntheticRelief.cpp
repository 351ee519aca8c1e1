#include "SyntheticRelief.h"

#include <array>
#include <cmath>

namespace velmora::viewer {

namespace {

struct Peak
{
    double east, north; // metres from the centre
    double height;      // metres above the lowland level
    double radius;      // metres, the Gaussian's standard deviation
};

// A tall, broad central cone with satellite summits, loosely like a large
// stratovolcano among lower mountains.
const std::array<Peak, 5> peaks{{
    {0.0, 0.0, 3050.0, 2600.0},
    {-5200.0, 3800.0, 1100.0, 1800.0},
    {4800.0, -4300.0, 1200.0, 2000.0},
    {6200.0, 5600.0, 800.0, 1500.0},
    {-6400.0, -5800.0, 900.0, 2200.0},
}};

struct Ridge
{
    double east0, north0, east1, north1; // end points, metres
    double height;                       // metres above the lowland level
    double width;                        // metres, the Gaussian's standard deviation
};

const std::array<Ridge, 2> ridges{{
    {-9000.0, -2000.0, -1500.0, 1000.0, 650.0, 900.0},
    {1500.0, 2500.0, 9500.0, 7500.0, 550.0, 800.0},
}};

constexpr double lowland = 760.0; // metres

double gaussian(double squaredDistance, double sigma)
{
    return std::exp(-squaredDistance / (2.0 * sigma * sigma));
}

double squaredDistanceToSegment(double x, double y, const Ridge& r)
{
    const double dx = r.east1 - r.east0;
    const double dy = r.north1 - r.north0;
    double t = ((x - r.east0) * dx + (y - r.north0) * dy) / (dx * dx + dy * dy);
    t = t < 0.0 ? 0.0 : (t > 1.0 ? 1.0 : t);
    const double px = r.east0 + t * dx - x;
    const double py = r.north0 + t * dy - y;
    return px * px + py * py;
}

double smoothstep(double t)
{
    return t * t * (3.0 - 2.0 * t);
}

} // namespace

SyntheticRelief::SyntheticRelief(std::uint32_t seedValue) : seed(seedValue) {}

double SyntheticRelief::latticeValue(std::int32_t i, std::int32_t j) const
{
    // An integer hash rather than std:: random engines: their distributions
    // are not specified to give the same numbers on every standard library.
    std::uint32_t h = seed * 0x9E3779B1u;
    h ^= static_cast<std::uint32_t>(i) * 0x85EBCA77u;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<std::uint32_t>(j) * 0xC2B2AE3Du;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return static_cast<double>(h) / 4294967295.0 * 2.0 - 1.0;
}

double SyntheticRelief::valueNoise(double x, double y) const
{
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const auto i = static_cast<std::int32_t>(fx);
    const auto j = static_cast<std::int32_t>(fy);
    const double u = smoothstep(x - fx);
    const double v = smoothstep(y - fy);
    const double a = latticeValue(i, j);
    const double b = latticeValue(i + 1, j);
    const double c = latticeValue(i, j + 1);
    const double d = latticeValue(i + 1, j + 1);
    return (a * (1.0 - u) + b * u) * (1.0 - v) + (c * (1.0 - u) + d * u) * v;
}

double SyntheticRelief::heightAt(double east, double north) const
{
    double height = lowland;
    for (const Peak& p : peaks) {
        const double dx = east - p.east;
        const double dy = north - p.north;
        height += p.height * gaussian(dx * dx + dy * dy, p.radius);
    }
    for (const Ridge& r : ridges) {
        height += r.height * gaussian(squaredDistanceToSegment(east, north, r), r.width);
    }

    // Five octaves of noise, from valley-sized undulations down to gullies
    // a few hundred metres wide; stronger where the land is already high so
    // lowlands stay gentle and the mountains get rugged flanks.
    double noise = 0.0;
    double amplitude = 1.0;
    double wavelength = 3000.0; // metres
    for (int octave = 0; octave < 5; ++octave) {
        noise += amplitude * valueNoise(east / wavelength + 17.3 * octave, north / wavelength - 5.1 * octave);
        amplitude *= 0.5;
        wavelength *= 0.45;
    }
    const double roughness = 110.0 + 0.17 * (height - lowland);
    return height + roughness * noise;
}

} // namespace velmora::viewer
