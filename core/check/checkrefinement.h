#pragma once

#include <complex>
#include <cstddef>
#include <vector>

#include "core/check/checkfactorization.h"
#include "core/check/checkkernel.h"
#include "core/check/solutioncheck.h"

namespace kalvor {

// Row and column scales by powers of two, so that the largest entry of every
// row and column of the scaled matrix R A C is about 1: rows scaled by 1E+8
// no longer look ill-conditioned, and each unknown is measured in its own
// scale (y = C^-1 x). Only a preconditioner: R A C is factored, but every
// residual is taken on the numbers as read.
struct Equilibration {
    std::vector<double> row, col;
};

// Rows first, then columns; with `columnsFirst`, columns, rows, columns.
Equilibration equilibrate(const NumericSystem& s, bool columnsFirst = false);

// R A C in column-major order, as the factorisation takes it.
std::vector<std::complex<double>> scaledColumnMajor(const NumericSystem& s, const Equilibration& e);

// Parts of the solution that are exactly zero by the system's structure:
// with A real, Re x = A^-1 Re b and Im x = A^-1 Im b; with A = iB, B real,
// Re x = B^-1 Im b and Im x = -B^-1 Re b. Refinement alone would leave them
// a tiny noise, and their text open.
struct KnownZeros {
    bool re = false, im = false;
};

KnownZeros knownZeros(const NumericSystem& s);

// A bound below which no part of the exact solution is but zero: every part
// of it is either exactly 0 or at least this large in magnitude. Useful for
// small systems of numbers with few binary digits (whole numbers, halves),
// where an exact zero, as in a balanced bridge, is common; 0 where the bound
// says nothing.
double smallestNonZeroPart(const NumericSystem& s);

// The refined solution x = hi + lo and what is known of its error.
struct RefinedSolution {
    std::vector<std::complex<double>> hi, lo;
    // Relative error bound of the scaled unknowns, normwise (relative to the
    // largest part), from the last corrections: the refinement's own error.
    double normwise = INFINITY;
    // Relative error bound of every part, from the last corrections;
    // infinity when some part's corrections did not settle.
    double componentwise = INFINITY;
    double scaledNorm = 0;  // the largest part of the scaled unknowns
    int corrections = 0;    // LU solves, the initial solution included
    // False when a correction left the double range, or an exact residual
    // was needed but a product could not be exact.
    bool finite = true;
    // A X = b holds exactly for X = hi + lo, as an exact sum showed: X is the
    // exact solution.
    bool exact = false;
    // Every product a_ij x_j was exact as two doubles and no sum overflowed;
    // otherwise the residuals, and so the bounds, mean nothing.
    bool productsExact = false;
};

// Iterative refinement of A x = b from x = 0 with the factors of R A C:
// x += C (LU \ (R (b - A x))), the residual summed as in double-double (and
// exactly once that rounds to zero) and x kept as a double-double, until the
// corrections no longer matter, stop shrinking, or ten were made. Parts in
// `zeros` stay exactly zero.
RefinedSolution refine(const NumericSystem& s, const CheckFactorization& lu, const Equilibration& e,
                       const CheckKernel& kernel, KnownZeros zeros);

// The deep refinement, for what the double-double one leaves open: x kept
// as an expansion (a sum of doubles, as long as it needs to be) per part, in
// the units of the scaled unknowns (y = C^-1 x / 2^g, the largest part of y
// about 1), every residual taken exactly (core/check/exactsum.h) and the
// corrections solved with a factorisation of R A C (`f`, the pivoted QR).
// Each step gains what the factorisation's accuracy allows, so the error
// shrinks geometrically without limit: parts far smaller than the others,
// and numbers of any magnitude, come out as accurate as the large ones.
struct DeepSolution {
    // Per part, x = hi + lo within `radius` (absolute); infinite where the
    // part's corrections did not settle.
    std::vector<std::complex<double>> hi, lo, radius;
    // A X = b holds exactly for the expansion X: it is the exact solution,
    // and hi is each part's nearest double (up to a tie's last bit).
    bool exact = false;
    int steps = 0;
};

// Starts from `start` (x as doubles, e.g. the double-double refinement's)
// and takes at most `maxSteps` corrections. `condition` (of R A C) bounds
// how much of the last correction's error reaches any one part.
DeepSolution refineDeeply(const NumericSystem& s, const CheckFactorization& f, const Equilibration& e,
                          const std::vector<std::complex<double>>& start, KnownZeros zeros, int maxSteps,
                          double condition);

}  // namespace kalvor
