#include "core/sweep/sweepspacing.h"

#include <cmath>
#include <stdexcept>

namespace kalvor {

std::string sweepRangeProblem(double from, double to, std::size_t points, SweepSpacing spacing)
{
    if (points < MinSweepPoints || points > MaxSweepPoints)
        return "the number of points must be 2 to 100000";
    if (!std::isfinite(from) || !std::isfinite(to))
        return "the ends of the sweep must be finite numbers";
    if (spacing == SweepSpacing::Logarithmic && (from <= 0 || to <= 0))
        return "a logarithmic sweep needs both ends above zero";
    return {};
}

std::string sweepSizeProblem(std::size_t points, std::size_t unknowns)
{
    if (unknowns == 0 || points <= MaxSweepTableValues / unknowns)
        return {};
    return "a sweep of " + std::to_string(points) + " points over " + std::to_string(unknowns) + " unknowns would keep "
        + std::to_string(points) + " x " + std::to_string(unknowns)
        + " values; at most 10000000 fit (about 160 MB): use fewer points";
}

double sweepValue(double from, double to, std::size_t points, SweepSpacing spacing, std::size_t k)
{
    if (points < 2 || k >= points)
        throw std::invalid_argument("sweepValue: k must be below points, points at least 2");
    if (k == 0)
        return from;
    if (k == points - 1)
        return to;
    const auto last = static_cast<double>(points - 1);
    const auto step = static_cast<double>(k);
    if (spacing == SweepSpacing::Linear) {
        const double value = from + step * (to - from) / last;
        if (std::isfinite(value))
            return value;
        const double t = step / last;
        return from * (1 - t) + to * t;
    }
    const double ratio = to / from;
    if (std::isfinite(ratio) && ratio > 0)
        return from * std::pow(ratio, step / last);
    return std::exp(std::log(from) + step / last * (std::log(to) - std::log(from)));
}

}  // namespace kalvor
