#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/solver.h"
#include "core/systemfile.h"

namespace kalvor {

// Everything one system file leads to: the file's problem, or the solver's
// outcome with the unknowns' values and window texts, or the cell at fault.
struct SystemRun {
    SystemFile file;  // its rows are released once split into parts; problem and lines stay
    std::size_t unknowns = 0;
    SolveOutcome outcome = SolveOutcome::DataError;  // meaningful when file.problem is None
    std::vector<double> re, im;                      // Solved: X1..XN
    std::vector<std::string> texts;                  // Solved: the solution table's texts
    // DataError caused by a cell: its 1-based line in the file and its field
    // (1..N a coefficient, N + 1 the constant). 0 when no cell is the cause
    // (a value left the double range).
    std::size_t cellLine = 0;
    std::size_t cellField = 0;

    bool fileOk() const { return file.problem == SystemFileProblem::None; }
};

// Reads a system file's bytes and solves the system exactly as the equation
// window does with the same cell texts: every field through partcell, the
// coefficients as table 1 (field j of line i is the cell at row i, column j),
// the last field as the constant, then solve(). On DataError the first cell
// that does not read as a number, in the order the window reads its tables,
// is named. Never throws for any input except on memory exhaustion.
SystemRun runSystem(std::string_view bytes);

}  // namespace kalvor
