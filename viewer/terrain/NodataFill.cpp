#include "NodataFill.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

namespace velmora::viewer {

int fillNodata(std::vector<double>& elevations, int columns, int rows)
{
    const auto index = [columns](int c, int r) {
        return static_cast<std::size_t>(r) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(c);
    };
    const auto forNeighbours = [columns, rows](int c, int r, auto visit) {
        for (int nr = std::max(r - 1, 0); nr <= std::min(r + 1, rows - 1); ++nr)
            for (int nc = std::max(c - 1, 0); nc <= std::min(c + 1, columns - 1); ++nc)
                if (nc != c || nr != r)
                    visit(nc, nr);
    };
    if (std::all_of(elevations.begin(), elevations.end(), [](double e) { return std::isnan(e); }))
        return -1;

    // The first ring: holes next to a valid sample.
    std::vector<std::pair<int, int>> ring;
    std::vector<bool> queued(elevations.size(), false);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            if (!std::isnan(elevations[index(c, r)]))
                continue;
            bool nextToValid = false;
            forNeighbours(c, r, [&](int nc, int nr) { nextToValid |= !std::isnan(elevations[index(nc, nr)]); });
            if (nextToValid) {
                ring.emplace_back(c, r);
                queued[index(c, r)] = true;
            }
        }
    }
    int filled = 0;
    while (!ring.empty()) {
        // A ring's means come from outside it only, so the order of visits does not matter.
        std::vector<double> means;
        means.reserve(ring.size());
        for (const auto& [c, r] : ring) {
            double sum = 0.0;
            int valid = 0;
            forNeighbours(c, r, [&](int nc, int nr) {
                const double e = elevations[index(nc, nr)];
                if (!std::isnan(e)) {
                    sum += e;
                    ++valid;
                }
            });
            means.push_back(sum / valid);
        }
        std::vector<std::pair<int, int>> next;
        for (std::size_t k = 0; k < ring.size(); ++k) {
            const auto [c, r] = ring[k];
            elevations[index(c, r)] = means[k];
            ++filled;
            forNeighbours(c, r, [&](int nc, int nr) {
                if (std::isnan(elevations[index(nc, nr)]) && !queued[index(nc, nr)]) {
                    queued[index(nc, nr)] = true;
                    next.emplace_back(nc, nr);
                }
            });
        }
        ring = std::move(next);
    }
    return filled;
}

} // namespace velmora::viewer
