#pragma once

namespace velmora::viewer {

// Which pixels of a raster become mesh vertices: every stride-th pixel in
// both directions (one stride keeps pixels square), plus the last column and
// row so the mesh always covers the raster's full extent.
class GridSampling
{
public:
    // rasterColumns, rasterRows: the raster's size in pixels (>= 1).
    // maxVerticesPerSide: the most vertices wanted along either side (>= 2);
    // the stride is the smallest that keeps both sides within it.
    GridSampling(int rasterColumns, int rasterRows, int maxVerticesPerSide = 1024);

    int stride() const { return step; }
    // Number of sampled columns and rows, i.e. vertices per mesh row/column.
    int columns() const { return sampledColumns; }
    int rows() const { return sampledRows; }

    // The raster pixel column of sampled column i in [0, columns()).
    int pixelColumn(int i) const;
    // The raster pixel row of sampled row j in [0, rows()).
    int pixelRow(int j) const;

private:
    int rasterColumns = 0;
    int rasterRows = 0;
    int step = 1;
    int sampledColumns = 0;
    int sampledRows = 0;
};

} // namespace velmora::viewer
