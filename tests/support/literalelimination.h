#pragma once

// The plain, literal elimination the solver is checked against, written for
// clarity alone: every operation in its defined order, every part read with
// readNumber each time it is used, every product, quotient and difference
// checked for leaving the double range as it is formed. Core only, no test
// framework, so the fuzz targets use it as well as the tests.
#include <optional>
#include <vector>

#include "core/core.h"

namespace kalvor::literal {

// Why a run ended, so a test can show its systems reach every ending.
enum class Ending { Solved, NoPivotFirstColumn, NoPivotLater, NotANumber, OverflowInElimination, OverflowAfter };

// Whether the run ended for want of a pivot (no unique solution) rather than
// by a data error.
inline bool noPivot(Ending e) { return e == Ending::NoPivotFirstColumn || e == Ending::NoPivotLater; }

// One entry of the working storage: a part kept unread until it is used, or
// a computed number.
struct Entry {
    std::optional<PartValue> part;
    double number = 0;
};

inline Entry unread(const PartValue& p) { return Entry{p, 0}; }
inline Entry computed(double x) { return Entry{std::nullopt, x}; }

// n rows of n + 1 entries: the matrix and, last, the right-hand side.
using Rows = std::vector<std::vector<Entry>>;

// Forward elimination in place. Step k takes the first row from k down with
// a non-zero entry in column k as pivot row (whole rows exchanged); every row
// i below it gets x - (u * m) / d in columns k+1..n and 0 in column k.
// Returns the ending when the run stops early, nothing after the last step.
std::optional<Ending> eliminate(Rows& rows);

struct Result {
    SolveResult result;
    Ending ending;
};

// The N complex equations as the real 2N system [Re -Im; Im Re], eliminated,
// substituted back on the right-hand side alone, each unknown the final
// right-hand side over its diagonal entry.
Result solve(const PartMatrix& coefRe, const PartMatrix& coefIm, const PartVector& constRe,
             const PartVector& constIm);

} // namespace kalvor::literal
