// Writes a test elevation model with relief at every scale and a closed form:
//
//   h(x, y) = 1000 + sum over k = 0..9 of A_k sin(2 pi (x cos t_k + y sin t_k) / L_k + p_k)
//
// with x, y the metres east and north of the raster's north-west corner
// (degrees times the metres per degree at its latitude), wavelengths L_k from
// 30 km down to 59 m (halving), amplitudes A_k = 800 m (L_k / 30 km)^0.7 and
// fixed directions t_k and phases p_k. One-arc-second pixels in WGS84
// (EPSG 4326) near Mount Rainier, as a tiled Float32 GeoTIFF (BigTIFF where
// large). Large sides make large files: write them to /tmp.
//
//   make_test_dem SIDE FILE [--overviews]     e.g. make_test_dem 4096 /tmp/dem4096.tif
//
// With --overviews the file also gets averaged overviews, each half the size
// of the last, down to 256 pixels, as large mosaics usually come.

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr double west = -122.2;  // degrees, the raster's west edge
constexpr double north = 47.0;   // degrees, its north edge
constexpr double pixelDegrees = 1.0 / 3600.0;
constexpr int octaves = 10;
constexpr int rowsPerWrite = 256;

struct Octave
{
    double amplitude, east, northward, phase; // metres, radians per metre twice, radians
};

std::array<Octave, octaves> makeOctaves()
{
    std::array<Octave, octaves> result{};
    for (int k = 0; k < octaves; ++k) {
        const double wavelength = 30000.0 / std::pow(2.0, k);
        const double direction = 0.7 + 2.4 * k; // radians: no two octaves run alike
        const double wavenumber = 2.0 * M_PI / wavelength;
        result[k] = {800.0 * std::pow(wavelength / 30000.0, 0.7), wavenumber * std::cos(direction),
                     wavenumber * std::sin(direction), 1.3 * k};
    }
    return result;
}

// Writes the closed form into band, side x side pixels, a strip of rows at a time.
bool writeHeights(GDALRasterBand& band, int side)
{
    // The sum is separable per octave: sin(a + b) = sin a cos b + cos a sin b.
    const std::array<Octave, octaves> waves = makeOctaves();
    const double metresEast = 111320.0 * std::cos(north * M_PI / 180.0) * pixelDegrees;
    const double metresNorth = 110574.0 * pixelDegrees;
    std::vector<double> sinX(std::size_t(side) * octaves), cosX(sinX.size());
    for (int c = 0; c < side; ++c)
        for (int k = 0; k < octaves; ++k) {
            const double a = waves[k].east * (c + 0.5) * metresEast + waves[k].phase;
            sinX[std::size_t(c) * octaves + k] = waves[k].amplitude * std::sin(a);
            cosX[std::size_t(c) * octaves + k] = waves[k].amplitude * std::cos(a);
        }
    std::vector<float> rows(std::size_t(side) * rowsPerWrite);
    for (int top = 0; top < side; top += rowsPerWrite) {
        const int count = std::min(rowsPerWrite, side - top);
        for (int r = 0; r < count; ++r) {
            std::array<double, octaves> sinY{}, cosY{};
            for (int k = 0; k < octaves; ++k) {
                const double b = -waves[k].northward * (top + r + 0.5) * metresNorth;
                sinY[k] = std::sin(b);
                cosY[k] = std::cos(b);
            }
            for (int c = 0; c < side; ++c) {
                double h = 1000.0;
                for (int k = 0; k < octaves; ++k)
                    h += sinX[std::size_t(c) * octaves + k] * cosY[k] + cosX[std::size_t(c) * octaves + k] * sinY[k];
                rows[std::size_t(r) * side + c] = float(h);
            }
        }
        if (band.RasterIO(GF_Write, 0, top, side, count, rows.data(), side, count, GDT_Float32, 0, 0, nullptr) !=
            CE_None)
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const bool overviews = argc == 4 && std::string(argv[3]) == "--overviews";
    const int side = argc == 3 || overviews ? std::atoi(argv[1]) : 0;
    if (side < 2) {
        std::fputs("usage: make_test_dem SIDE FILE [--overviews] (SIDE >= 2 pixels)\n", stderr);
        return 2;
    }
    GDALAllRegister();
    char** options = nullptr;
    options = CSLSetNameValue(options, "TILED", "YES");
    options = CSLSetNameValue(options, "BIGTIFF", "IF_SAFER");
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
    GDALDataset* dataset = driver ? driver->Create(argv[2], side, side, 1, GDT_Float32, options) : nullptr;
    CSLDestroy(options);
    if (!dataset) {
        std::fprintf(stderr, "make_test_dem: cannot create %s\n", argv[2]);
        return 1;
    }
    double transform[6] = {west, pixelDegrees, 0.0, north, 0.0, -pixelDegrees};
    dataset->SetGeoTransform(transform);
    OGRSpatialReference wgs84;
    wgs84.importFromEPSG(4326);
    dataset->SetSpatialRef(&wgs84);

    bool written = writeHeights(*dataset->GetRasterBand(1), side);
    // Overviews as large mosaics and cloud-optimised GeoTIFFs carry them: each half the last, down to 256 pixels.
    std::vector<int> factors;
    for (int factor = 2; overviews && side / factor >= 256; factor *= 2)
        factors.push_back(factor);
    if (written && !factors.empty())
        written = dataset->BuildOverviews("AVERAGE", int(factors.size()), factors.data(), 0, nullptr, nullptr,
                                          nullptr) == CE_None;
    GDALClose(GDALDataset::ToHandle(dataset));
    if (!written) {
        std::fprintf(stderr, "make_test_dem: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
