#include <velmora/utility/CoordConverter.h>

#include <benchmark/benchmark.h>

#include <string>

using velmora::utility::CoordConverter;

namespace {

// The panel following the camera: each frame the camera's position becomes a
// UTM position and a 1 m MGRS reference. The position drifts a little per
// iteration so no result can be cached.
void gdcToUtmToMgrs(benchmark::State& state)
{
    double latitude = 58.97;
    double longitude = 5.73;
    for (auto _ : state) {
        unsigned int zone = 0;
        char band = '\0';
        double easting = 0;
        double northing = 0;
        CoordConverter::convertGdcToUtm(latitude, longitude, zone, band, easting, northing);
        std::string mgrs = CoordConverter::convertUtmToMgrs(easting, northing, zone, band, 5);
        benchmark::DoNotOptimize(mgrs);
        latitude += 1e-7;
        longitude += 1e-7;
    }
}
BENCHMARK(gdcToUtmToMgrs);

// A reference typed into the panel, with spaces and without its zone.
void mgrsToUtm(benchmark::State& state)
{
    const std::string reference = "wn 84683 12345";
    for (auto _ : state) {
        unsigned int zone = 0;
        double easting = 0;
        double northing = 0;
        std::string error;
        const bool ok = CoordConverter::convertMgrsToUtm(33, 'T', reference, zone, easting, northing, error);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(easting);
        benchmark::DoNotOptimize(northing);
    }
}
BENCHMARK(mgrsToUtm);

} // namespace
