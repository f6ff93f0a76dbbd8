#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/cellcheck.h"
#include "core/check/solutioncheck.h"
#include "core/solver.h"
#include "core/sweep/sweepspacing.h"

namespace kalvor {

// A cell that could not be given a value at a point, and what to report
// when it is the cell a data error comes from ("EQ.2, X3: unknown name Lx").
struct SweepCellProblem {
    CellPosition cell;
    std::string text;
};

// The four part tables of a system at one value of the swept parameter, and
// the cells that could not be given a value there (left so that they do not
// read as numbers, so that the solve reports a data error).
struct SweepParts {
    PartMatrix coefRe, coefIm;
    PartVector constRe, constIm;
    std::vector<SweepCellProblem> problems;
};

// Writes the part tables at a value of the swept parameter into `parts`.
// Each thread passes its own `parts`, the same object at every call: empty
// at the first, then as the call before left it, so only what changes with
// the value need be written. Called from several threads at once, so it
// must be safe to call concurrently.
using SweepPartsAt = std::function<void(double value, SweepParts& parts)>;

// The outcome at one point of a sweep.
struct SweepPoint {
    double value = 0;
    SolveOutcome outcome = SolveOutcome::DataError;
    std::vector<double> re, im;  // Solved: X1..XN, as solve() gives them
    // Solved and checked: checkSolution's verdict on the solution's texts.
    std::optional<CheckVerdict> verdict;
    // DataError: the cell at fault (firstUnreadableCell) and the reason: the
    // text of its SweepCellProblem when SweepParts lists it, else
    // "EQ.2, X3: not a number" or "C 1: not a number" as the equation window
    // names it; "a value left the number range" when no cell is at fault.
    std::string problem;
};

struct SweepRequest {
    double from = 0, to = 1;
    std::size_t points = MinSweepPoints;
    SweepSpacing spacing = SweepSpacing::Linear;
};

struct SweepSettings {
    // Points solved at once, each on its own thread with a one-thread solve;
    // 0: one per core.
    unsigned threads = 0;
    bool check = true;  // check each solved point (checkSolution)
    // Set from any thread to stop the sweep: no point starts after it is
    // seen, and the sweep returns as soon as the running points are done.
    const std::atomic<bool>* cancel = nullptr;
};

// Solves the system at every value of `request` (sweepValue), each point an
// independent solve(), and checks each solved point as Solve does. Calls
// onPoint(k, point) on the calling thread for k = 0, 1, ... in order, each as
// soon as it and every point before it are done; points are worked on at
// most a few per thread ahead of the last one handed over, so memory does
// not grow with the number of points. A failed point does not stop the
// sweep. Returns true when every point was handed over, false when
// cancelled. Throws std::invalid_argument when sweepRangeProblem finds a
// problem; an exception from partsAt or onPoint ends the sweep (after every
// thread has stopped) and is rethrown.
bool runSweep(const SweepRequest& request, const SweepPartsAt& partsAt, const SweepSettings& settings,
              const std::function<void(std::size_t k, SweepPoint&& point)>& onPoint);

// The outcome of one point: partsAt(value, parts), a one-thread solve, the
// check when `check`. What runSweep does at each point; `parts` is the
// calling thread's (SweepPartsAt), empty when none is kept.
SweepPoint solveSweepPoint(double value, const SweepPartsAt& partsAt, bool check, SweepParts& parts);
SweepPoint solveSweepPoint(double value, const SweepPartsAt& partsAt, bool check);

// A sweep kept whole, as the window draws it and saves it.
struct SweepTable {
    std::string parameter;
    SweepSpacing spacing = SweepSpacing::Linear;
    std::size_t unknowns = 0;
    std::vector<SweepPoint> points;
};

// runSweep into a table: `progress(done, total)` (if set) after each point
// handed over, on the calling thread. Empty when cancelled (nullopt).
std::optional<SweepTable> sweepTable(const std::string& parameter, std::size_t unknowns, const SweepRequest& request,
                                     const SweepPartsAt& partsAt, const SweepSettings& settings,
                                     const std::function<void(std::size_t done, std::size_t total)>& progress = {});

// The table's text, as kalvor1-solve writes it and the window saves and
// copies it: a header line "NAME<TAB>X1 re<TAB>X1 im<TAB>...<TAB>XN re<TAB>
// XN im<TAB>check", then per point the value and each part as shortest
// round-trip numbers and the verdict (correct, inaccurate, unreliable, empty
// when unchecked), or for a failed point empty parts and "no unique solution"
// or "data error: " and its problem. Each line ends in "\n".
std::string sweepHeaderLine(const std::string& parameter, std::size_t unknowns);
std::string sweepRowLine(const SweepPoint& point, std::size_t unknowns);

}  // namespace kalvor
