#pragma once

#include <complex>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kalvor {

// The numbers a solve read from the four part tables: equation i reads
// a[i*n + 0] X1 + ... + a[i*n + n-1] Xn = b[i].
struct NumericSystem {
    std::size_t n = 0;
    std::vector<std::complex<double>> a;  // a[i*n + j]: equation i, unknown j (from 0)
    std::vector<std::complex<double>> b;  // the constants
};

enum class CheckVerdict { Correct, Inaccurate, Unreliable };

struct UnknownCheck {
    // Whether the shown text is the text of the exact solution; empty exactly
    // when the verdict is Unreliable.
    std::optional<bool> correct;
    // The accurate value: a double pair whose result text is the exact
    // solution's (its nearest doubles, or values the check proved to share
    // their text). The shown value when the verdict is Unreliable: the check
    // gives no value it does not know.
    double re = 0, im = 0;
};

struct SolutionCheck {
    CheckVerdict verdict = CheckVerdict::Unreliable;
    // Estimate of the 1-norm condition number of the matrix after its rows
    // and columns were scaled by powers of two (which leaves the solution's
    // digits as they are); infinity when it is singular in working precision.
    double condition = 0;
    std::vector<UnknownCheck> unknowns;
};

// Checks a shown solution against the exact solution of `system`, whose
// numbers are exact. Unknown k is shown as resultText(shownRe[k], shownIm[k]);
// it is correct when that is the result text of the exact solution's nearest
// doubles. Every part of every unknown must be settled, its exact text
// proved: by a partial-pivot LU of the scaled matrix and iterative
// refinement with double-double residuals and error bounds; where those
// leave a part open, by an exact residual of candidate solutions (exact
// zeros, numbers of any magnitude), by an exact rational solve (n <= 12),
// or by refining on with exact residuals and a pivoted QR until every part
// is known (parts far smaller than the others, the growth matrix).
//
// Verdict: Unreliable when the condition estimate is beyond what double
// precision resolves (rcond below max(10, sqrt(n)) eps), or when some part is
// still open after all that; then no unknown is called correct or wrong.
// Otherwise Inaccurate when some unknown is wrong, else Correct. Never calls
// a shown text correct that is not the exact solution's text (up to the
// error bounds' reliability, which tests/core/solutioncheck_test.cpp measures
// against exact rationals). `unknowns` always has n entries.
//
// Pure and thread-safe: it may run on any thread. Throws
// std::invalid_argument when n is 0, the sizes do not fit n, or a number is
// not finite.
SolutionCheck checkSolution(const NumericSystem& system, const std::vector<double>& shownRe,
                            const std::vector<double>& shownIm);

// The verdict as the command-line program and the sweep table write it:
// "correct", "inaccurate" or "unreliable".
std::string verdictWord(CheckVerdict verdict);

}  // namespace kalvor
