#pragma once

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include "core/sweep/sweep.h"

namespace kalvor {

// What a sweep's plot draws of an unknown.
enum class PlotQuantity {
    Magnitude,    // |X|
    MagnitudeDb,  // 20 log10 |X|
    Phase,        // the angle of X in degrees, in (-180, 180]
};

// The quantity of unknown `unknown` (from 0) at a point; nullopt when the
// point failed, or the value has none that can be drawn (a magnitude of 0
// in dB, a magnitude beyond the largest double).
std::optional<double> plotValue(const SweepPoint& point, std::size_t unknown, PlotQuantity quantity);

// A run of consecutive drawable points: (parameter value, quantity).
using PlotRun = std::vector<std::pair<double, double>>;

// The curve of one unknown as runs: a point without a value (plotValue)
// ends a run, so failed points are gaps. Runs are never empty.
std::vector<PlotRun> plotRuns(const SweepTable& table, std::size_t unknown, PlotQuantity quantity);

// The solved points whose check is not "correct" (inaccurate or unreliable),
// as (parameter value, quantity) of `unknown`: the points the plot marks.
PlotRun doubtfulPoints(const SweepTable& table, std::size_t unknown, PlotQuantity quantity);

// The index of the point whose value is nearest `value` (on a log scale for
// a logarithmic sweep); the table's points must be in sweep order and not
// empty.
std::size_t nearestPoint(const SweepTable& table, double value);

}  // namespace kalvor
