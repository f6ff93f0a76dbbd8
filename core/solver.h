#pragma once

#include <vector>

#include "core/partvalue.h"

namespace kalvor {

struct NumericSystem;

// Indexed [equation][unknown] from 0, N x N.
using PartMatrix = std::vector<std::vector<PartValue>>;
// N entries, indexed by equation from 0.
using PartVector = std::vector<PartValue>;

enum class SolveOutcome { Solved, NoUniqueSolution, DataError };

struct SolveResult {
    SolveOutcome outcome;
    // re[k-1] and im[k-1] are the real and imaginary part of unknown Xk;
    // both are empty unless the outcome is Solved.
    std::vector<double> re, im;
};

// Solves the N complex equations given by the four part tables, through the
// equivalent real 2N system, eliminated with the first non-zero pivot (exact
// zero test, no tolerance) and substituted back. Every result equals (==,
// so up to the sign of a zero) the one of the literal element-by-element
// algorithm (product, then quotient, then difference), and so does the
// outcome, including which failure wins when several could
// apply: NoUniqueSolution when a column has no non-zero pivot; DataError when
// a part that is used does not read as a number (readNumber) or a result
// leaves the double range, so every part of a Solved result is finite. N is constRe.size(); any other shape than N x N,
// N and N with 1 <= N <= 500 throws std::invalid_argument.
SolveResult solve(const PartMatrix& coefRe, const PartMatrix& coefIm, const PartVector& constRe,
                  const PartVector& constIm);

// solve(), the same results, and the numbers it read: when the outcome is
// Solved and `read` is not null, *read holds the N complex equations as read
// (core/check/solutioncheck.h), taken before the elimination; otherwise *read is
// left empty (n = 0). The reading is done once for both.
SolveResult solve(const PartMatrix& coefRe, const PartMatrix& coefIm, const PartVector& constRe,
                  const PartVector& constIm, NumericSystem* read);

}  // namespace kalvor
