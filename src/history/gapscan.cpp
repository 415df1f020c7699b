#include "gapscan.h"

namespace kd::history {

std::vector<AxisBreak> scanGaps(std::span<const double> x, double threshold) {
    std::vector<AxisBreak> breaks;
    for (std::size_t i = 1; i < x.size(); ++i) {
        if (x[i] - x[i - 1] > threshold)
            breaks.push_back({x[i - 1], x[i]});
    }
    return breaks;
}

int gapPixels(std::size_t breaks, int former) {
    return breaks == 0 ? former : static_cast<int>(breaks) * kGapPixelsPerBreak;
}

}  // namespace kd::history
