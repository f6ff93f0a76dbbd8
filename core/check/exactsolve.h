#pragma once

#include <complex>
#include <cstddef>
#include <optional>
#include <vector>

#include "core/check/solutioncheck.h"

namespace kalvor {

// The exact solution of the system of doubles, each part rounded to the
// nearest double (ties to even; beyond the largest double, infinity):
// fraction-free elimination (Bareiss) over the Gaussian integers the rows
// become once each is scaled by a power of two, then Cramer's rule. Empty
// when the matrix is singular, or when the whole numbers would grow beyond
// `bitBudget` bits (n times the widest scaled row): the work grows with the
// cube of n and the square of those bits.
std::optional<std::vector<std::complex<double>>> exactNearestSolution(const NumericSystem& s, std::size_t bitBudget);

// The double nearest to p / q (q > 0), ties to even, subnormals included;
// infinity beyond the largest double: the rounding the solve uses, on
// numbers small enough for tests to state.
double nearestDoubleOf(long long p, long long q);

}  // namespace kalvor
