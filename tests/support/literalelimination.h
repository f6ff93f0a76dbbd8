#pragma once

// The plain, literal elimination the solver is checked against: every
// operation in its defined order, every part read with readNumber each time
// it is used, every product, quotient and difference checked for leaving the
// double range as it is formed. Core only, so the fuzz targets use it too.
#include <optional>
#include <vector>

#include "core/core.h"

namespace kalvor::literal {

// Why a run ended, so a test can show its systems reach every ending.
enum class Ending { Solved, NoPivotFirstColumn, NoPivotLater, NotANumber, OverflowInElimination, OverflowAfter };
inline bool noPivot(Ending e)
{
    return e == Ending::NoPivotFirstColumn || e == Ending::NoPivotLater;
}

// An entry of the working storage: a part unread until used, or a number.
struct Entry {
    std::optional<PartValue> part;
    double number = 0;
};
inline Entry unread(const PartValue& p)
{
    return Entry{p, 0};
}
inline Entry computed(double x)
{
    return Entry{std::nullopt, x};
}

// n rows of n + 1 entries: the matrix and, last, the right-hand side.
using Rows = std::vector<std::vector<Entry>>;

// Forward elimination in place. Step k takes the first row from k down with
// a non-zero entry in column k as pivot row (whole rows exchanged); every row
// i below it gets x - (u * m) / d in columns k+1..n and 0 in column k.
// Returns the ending when the run stops early, nothing after the last step.
std::optional<Ending> eliminate(Rows& rows);

// The N complex equations as the real 2N system [Re -Im; Im Re], eliminated,
// substituted back on the right-hand side alone, each unknown that over its
// diagonal entry.
struct Result {
    SolveResult result;
    Ending ending;
};
Result solve(const PartMatrix& coefRe, const PartMatrix& coefIm, const PartVector& constRe, const PartVector& constIm);

}  // namespace kalvor::literal
