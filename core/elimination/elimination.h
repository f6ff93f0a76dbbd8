#pragma once

#include <cstddef>

#include "core/solverpaths.h"

namespace kalvor {

enum class EliminationOutcome { Eliminated, NoUniqueSolution, DataError };

// Forward elimination of the n x n system held row-major in `a` (row stride
// ld >= n + 1) with its right-hand side in column n; every value finite.
// Step k takes the first row p >= k whose column-k value is not exactly
// zero, swaps rows k and p whole, and updates every row below it by
//     a[i][j] = a[i][j] - (a[k][j] * a[i][k]) / a[k][k]
// for every column j > k, the right-hand side included. The results are
// those of doing this literally, step after step; the blocking, the threads
// and the kernel path change only the order between different elements.
// Returns NoUniqueSolution when a column has no non-zero pivot, DataError
// when an update leaves the double range first, as the literal order decides.
// On Eliminated the upper triangle and the diagonal hold the eliminated
// system; below the diagonal a[i][k] keeps the multiplier row i had at step
// k instead of the zero the literal algorithm would write there.
EliminationOutcome eliminate(double* a, std::size_t n, std::size_t ld, const SolverOptions& options);

}  // namespace kalvor
