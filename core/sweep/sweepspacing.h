#pragma once

#include <cstddef>
#include <string>

namespace kalvor {

enum class SweepSpacing { Linear, Logarithmic };

// The number of points a sweep may have.
inline constexpr std::size_t MinSweepPoints = 2;
inline constexpr std::size_t MaxSweepPoints = 100000;
// The most unknowns' values a sweep that keeps its whole table may hold:
// points times unknowns, 16 bytes each (about 160 MB).
inline constexpr std::size_t MaxSweepTableValues = 10000000;

// What is wrong with a sweep from `from` to `to` in `points` points, or ""
// when nothing is: points outside MinSweepPoints..MaxSweepPoints, an end that
// is not finite, a logarithmic sweep with an end that is not above zero.
std::string sweepRangeProblem(double from, double to, std::size_t points, SweepSpacing spacing);

// Why a sweep of `points` points over `unknowns` unknowns is too large to be
// kept whole (more than MaxSweepTableValues values), or "" when it fits.
std::string sweepSizeProblem(std::size_t points, std::size_t unknowns);

// Value k (0 .. points - 1) of a sweep that sweepRangeProblem accepts.
// Linear: from + k (to - from) / (points - 1); logarithmic:
// from (to / from)^(k / (points - 1)). Value 0 is exactly `from` and value
// points - 1 exactly `to`. Where to - from or to / from is beyond the double
// range, the same values are reached without it (by weights, or through
// logarithms). Throws std::invalid_argument for k >= points or points < 2.
double sweepValue(double from, double to, std::size_t points, SweepSpacing spacing, std::size_t k);

}  // namespace kalvor
