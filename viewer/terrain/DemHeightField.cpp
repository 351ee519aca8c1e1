#include "DemHeightField.h"

#include "QuietGdalErrors.h"

#include <GeographicLib/Geodesic.hpp>

#include <gdal_priv.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace velmora::viewer {

namespace {
constexpr double nan = std::numeric_limits<double>::quiet_NaN();
// How far beyond the outermost pixel centres a query may fall and still be
// answered from them: the mesh's edge, in floats, and the projection round
// trip put a point there by millimetres, not more.
constexpr double edgeSlack = 1e-3; // pixels
} // namespace

std::shared_ptr<DemHeightField> DemHeightField::open(const QString& path, QString& error)
{
    std::optional<DemDataset> dataset = DemDataset::open(path, error);
    if (!dataset)
        return nullptr;
    return std::make_shared<DemHeightField>(std::move(*dataset));
}

DemHeightField::DemHeightField(DemDataset dataset) : dem(std::move(dataset))
{
    pixelMetres = measurePixelSize();
}

double DemHeightField::measurePixelSize() const
{
    const int column = dem.width() / 2;
    const int row = dem.height() / 2;
    std::array<double, 2> x{column + 0.5, column + 1.5};
    std::array<double, 2> y{row + 0.5, row + 0.5};
    if (column + 1 >= dem.width() || !dem.pixelsToWgs84(2, x.data(), y.data()))
        return 1.0;
    double metres = 0.0;
    GeographicLib::Geodesic::WGS84().Inverse(y[0], x[0], y[1], x[1], metres);
    return std::isfinite(metres) && metres > 0.0 ? metres : 1.0;
}

const std::vector<float>& DemHeightField::tile(const TileKey& key) const
{
    const auto found = tiles.find(key);
    if (found != tiles.end()) {
        leastRecentFirst.remove(key);
        leastRecentFirst.push_back(key);
        return found->second;
    }
    if (tiles.size() >= maxCachedTiles) {
        tiles.erase(leastRecentFirst.front());
        leastRecentFirst.pop_front();
    }
    const int left = key.first * tileSide;
    const int top = key.second * tileSide;
    const int columns = std::min(tileSide, dem.width() - left);
    const int rows = std::min(tileSide, dem.height() - top);
    std::vector<float> heights(static_cast<std::size_t>(tileSide) * tileSide, float(nan));
    const QuietGdalErrors quiet;
    // A window that cannot be read stays NaN: heights there are unknown, not zero.
    if (dem.band()->RasterIO(GF_Read, left, top, columns, rows, heights.data(), columns, rows, GDT_Float32, 0,
                             sizeof(float) * tileSide, nullptr) != CE_None)
        std::fill(heights.begin(), heights.end(), float(nan));
    leastRecentFirst.push_back(key);
    return tiles.emplace(key, std::move(heights)).first->second;
}

double DemHeightField::pixel(int column, int row) const
{
    const std::vector<float>& heights = tile({column / tileSide, row / tileSide});
    const double value =
        heights[static_cast<std::size_t>(row % tileSide) * tileSide + static_cast<std::size_t>(column % tileSide)];
    return dem.elevationOf(value);
}

double DemHeightField::heightAt(double latitude, double longitude) const
{
    const std::lock_guard<std::mutex> lock(reading);
    double column = 0.0;
    double row = 0.0;
    if (!dem.wgs84ToPixel(latitude, longitude, column, row))
        return nan;
    // From pixel corners to pixel centres.
    column -= 0.5;
    row -= 0.5;
    const double lastColumn = dem.width() - 1;
    const double lastRow = dem.height() - 1;
    if (!(column >= -edgeSlack && row >= -edgeSlack && column <= lastColumn + edgeSlack && row <= lastRow + edgeSlack))
        return nan;
    column = std::clamp(column, 0.0, lastColumn);
    row = std::clamp(row, 0.0, lastRow);
    // The cell's far corner is the last pixel itself on the last column or row.
    const int left = std::min(int(column), dem.width() - 2);
    const int top = std::min(int(row), dem.height() - 2);
    const double fx = column - left;
    const double fy = row - top;
    const std::array<double, 4> heights{pixel(left, top), pixel(left + 1, top), pixel(left, top + 1),
                                        pixel(left + 1, top + 1)};
    const std::array<double, 4> weights{(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
    double sum = 0.0;
    double weight = 0.0;
    for (std::size_t k = 0; k < heights.size(); ++k) {
        if (std::isnan(heights[k]))
            continue;
        sum += weights[k] * heights[k];
        weight += weights[k];
    }
    // A point on a nodata pixel's centre gets no weight from the others: it takes their plain mean.
    if (weight <= 0.0) {
        int valid = 0;
        for (double h : heights)
            if (!std::isnan(h)) {
                sum += h;
                ++valid;
            }
        return valid > 0 ? sum / valid : nan;
    }
    return sum / weight;
}

} // namespace velmora::viewer
