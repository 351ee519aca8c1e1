#include "GridSampling.h"

#include <algorithm>

namespace velmora::viewer {

namespace {

// Samples 0, s, 2s, ... and the last pixel n - 1.
int sampleCount(int pixels, int stride)
{
    return pixels <= 1 ? pixels : (pixels - 2) / stride + 2;
}

} // namespace

GridSampling::GridSampling(int columns, int rows, int maxVerticesPerSide)
    : rasterColumns(std::max(columns, 0)), rasterRows(std::max(rows, 0))
{
    const int limit = std::max(maxVerticesPerSide, 2);
    const int longest = std::max(rasterColumns, rasterRows);
    // Start from the estimate and step up: the extra last sample can push an
    // exact division one over the limit.
    step = std::max(1, (longest - 1) / (limit - 1));
    while (sampleCount(longest, step) > limit) {
        ++step;
    }
    sampledColumns = sampleCount(rasterColumns, step);
    sampledRows = sampleCount(rasterRows, step);
}

int GridSampling::pixelColumn(int i) const
{
    return std::min(i * step, rasterColumns - 1);
}

int GridSampling::pixelRow(int j) const
{
    return std::min(j * step, rasterRows - 1);
}

} // namespace velmora::viewer
