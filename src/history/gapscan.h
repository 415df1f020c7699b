#pragma once

#include <span>
#include <vector>

namespace kd::history {

/// A span of the time axis to cut out: from the last reading before a stop to
/// the first reading after it (date-time values in days).
struct AxisBreak {
    double start = 0;
    double end = 0;
    bool operator==(const AxisBreak&) const = default;
};

/// Readings further apart than this (0.05 day, 72 minutes) mark a stop.
inline constexpr double kGapThresholdDays = 0.05;
/// Pixels of axis gap added per break.
inline constexpr int kGapPixelsPerBreak = 10;

/// The stops in a run of readings in time order: one break per pair of
/// consecutive x values more than `threshold` days apart. An empty or
/// one-reading run has none. Pure; any thread.
std::vector<AxisBreak> scanGaps(std::span<const double> x, double threshold = kGapThresholdDays);

/// The axis gap for `breaks` breaks: 10 pixels each; without breaks the
/// former gap stays.
int gapPixels(std::size_t breaks, int former);

}  // namespace kd::history
