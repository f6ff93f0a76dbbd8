#include "core/sweep/sweepplotdata.h"

#include <algorithm>
#include <cmath>

#include "core/polar.h"

namespace kalvor {

std::optional<double> plotValue(const SweepPoint& point, std::size_t unknown, PlotQuantity quantity)
{
    if (point.outcome != SolveOutcome::Solved || unknown >= point.re.size())
        return std::nullopt;
    const Polar p = polarOf(point.re[unknown], point.im[unknown]);
    switch (quantity) {
    case PlotQuantity::Magnitude:
        break;
    case PlotQuantity::MagnitudeDb:
        if (p.magnitude == 0 || std::isinf(p.magnitude))
            return std::nullopt;
        return 20 * std::log10(p.magnitude);
    case PlotQuantity::Phase:
        return p.degrees;
    }
    if (std::isinf(p.magnitude))
        return std::nullopt;
    return p.magnitude;
}

std::vector<PlotRun> plotRuns(const SweepTable& table, std::size_t unknown, PlotQuantity quantity)
{
    std::vector<PlotRun> runs;
    bool open = false;
    for (const SweepPoint& point : table.points) {
        const auto y = plotValue(point, unknown, quantity);
        if (!y) {
            open = false;
            continue;
        }
        if (!open)
            runs.emplace_back();
        open = true;
        runs.back().emplace_back(point.value, *y);
    }
    return runs;
}

PlotRun doubtfulPoints(const SweepTable& table, std::size_t unknown, PlotQuantity quantity)
{
    PlotRun marks;
    for (const SweepPoint& point : table.points) {
        if (!point.verdict || *point.verdict == CheckVerdict::Correct)
            continue;
        if (const auto y = plotValue(point, unknown, quantity))
            marks.emplace_back(point.value, *y);
    }
    return marks;
}

std::size_t nearestPoint(const SweepTable& table, double value)
{
    const bool log = table.spacing == SweepSpacing::Logarithmic && value > 0;
    const auto distance
        = [&](const SweepPoint& p) { return log ? std::abs(std::log(p.value / value)) : std::abs(p.value - value); };
    const auto nearest
        = std::min_element(table.points.begin(), table.points.end(),
                           [&](const SweepPoint& a, const SweepPoint& b) { return distance(a) < distance(b); });
    return static_cast<std::size_t>(nearest - table.points.begin());
}

}  // namespace kalvor
