#pragma once

#include <vector>

namespace velmora::viewer {

// Replaces the NaN elevations of a grid (columns x rows, row-major) with the
// mean of their valid 8-neighbours, growing inwards from the edge of each
// hole ring by ring, so a wide hole takes the heights around it instead of
// becoming a pit with walls. Returns how many were filled; -1, leaving the
// grid as it was, when no elevation is valid.
int fillNodata(std::vector<double>& elevations, int columns, int rows);

} // namespace velmora::viewer
