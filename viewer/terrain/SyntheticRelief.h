#pragma once

#include <cstdint>

namespace velmora::viewer {

// A deterministic, made-up mountain landscape: one dominant volcano-like
// peak, a few lesser summits, two ridges and smooth value noise, seeded so
// that the same seed always gives the same relief on every machine.
//
// Designed for the square of +-10 km around its centre, where heights stay
// roughly within 500..4300 m; outside it the relief flattens out towards the
// lowland level.
class SyntheticRelief
{
public:
    explicit SyntheticRelief(std::uint32_t seed = 1);

    // Height in metres above the ellipsoid at a point given in metres east
    // and north of the relief's centre.
    double heightAt(double east, double north) const;

private:
    // Smooth value noise in [-1, 1] at a point in lattice units.
    double valueNoise(double x, double y) const;
    // Pseudo-random value in [-1, 1] for a lattice corner.
    double latticeValue(std::int32_t i, std::int32_t j) const;

    std::uint32_t seed = 1;
};

} // namespace velmora::viewer
