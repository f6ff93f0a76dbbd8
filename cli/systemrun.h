#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/readingreport.h"
#include "core/solutioncheck.h"
#include "core/solver.h"
#include "core/systemfile.h"

namespace kalvor {

// A cell of the file whose reading drops typed text (core/readingreport.h).
struct DroppedField {
    std::size_t line = 0;   // the 1-based line of the file its equation starts on
    std::size_t field = 0;  // 1..N a coefficient, N + 1 the constant
    std::string text;       // the cell text (never one converted from polar form)
    DroppedText reading;
};

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
    // That cell holds a number beyond the double range, not other text.
    bool cellBeyondRange = false;
    // Every cell whose reading drops text, in the order the window reads its
    // tables. Filled for every outcome once the file is accepted: every cell
    // is then split and read; a cell with a part that does not read is not
    // among them.
    std::vector<DroppedField> dropped;
    // Solved: whether each shown text is the exact solution's (checkSolution
    // on the numbers the solve read). Empty for the other outcomes.
    std::optional<SolutionCheck> check;

    bool fileOk() const { return file.problem == SystemFileProblem::None; }
    // Whether --strict turns a solved run into exit status 4: text was
    // dropped, or the check did not find every shown digit right.
    bool failsStrict() const { return !dropped.empty() || (check && check->verdict != CheckVerdict::Correct); }
};

// Reads a system file's bytes and solves the system exactly as the equation
// window does with the same cell texts: in a semicolon-separated file, every
// field written with a decimal comma given its full stop
// (convertDecimalCommaFields); every field in polar form replaced by
// its rectangular text first (convertPolarFields, as the window takes a
// pasted block or an opened file), then every field through partcell, the
// coefficients as table 1 (field j of line i is the cell at row i, column j),
// the last field as the constant, then solve(). On DataError the first cell
// that does not read as a number, in the order the window reads its tables,
// is named. The cells whose reading drops text are listed for every outcome.
// A solved system is checked (checkSolution) against the numbers it read.
// Never throws for any input except on memory exhaustion.
SystemRun runSystem(std::string_view bytes);

}  // namespace kalvor
