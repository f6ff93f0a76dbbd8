#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/formula/parameters.h"
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

// A plain cell with a unit written directly before a number ("j5", read as
// 5+1i), and the values read.
struct UnitFirstField {
    std::size_t line = 0;
    std::size_t field = 0;
    std::string text;
    std::size_t unit = 0;  // byte offset of that unit in text
    double re = 0.0;
    double im = 0.0;
};

// A formula cell that has no value, and why ("unknown name Lx").
struct FormulaField {
    std::size_t line = 0;
    std::size_t field = 0;
    std::string reason;
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
    // Every cell whose reading drops text, in the order the window reads its
    // tables. Filled for every outcome once the file is accepted: every cell
    // is then split and read; a cell with a part that does not read is not
    // among them.
    std::vector<DroppedField> dropped;
    // The values of file.parameters (with the --set ones), in their order.
    ParameterValues parameters;
    // Formula cells without a value, in the order the window reads its
    // tables; each stays a cell that does not read, so the run is a data
    // error, and cellReason is the named cell's reason ("" when that cell is
    // simply not a number).
    std::vector<FormulaField> formulaProblems;
    std::string cellReason;
    // Every plain cell with a unit right before a number that does not drop
    // text (that one is in `dropped` already), in the window's order, for
    // every outcome.
    std::vector<UnitFirstField> unitFirst;
    // Solved: whether each shown text is the exact solution's (checkSolution
    // on the numbers the solve read). Empty for the other outcomes.
    std::optional<SolutionCheck> check;

    bool fileOk() const { return file.problem == SystemFileProblem::None; }
    // Whether --strict turns a solved run into exit status 4: text was
    // dropped, a unit stood before a number, or the check did not find every
    // shown digit right.
    bool failsStrict() const
    {
        return !dropped.empty() || !unitFirst.empty() || (check && check->verdict != CheckVerdict::Correct);
    }
};

// Reads a system file's bytes and solves the system exactly as the equation
// window does with the same cell texts: every field in polar form replaced by
// its rectangular text first (convertPolarFields, as the window takes a
// pasted block or an opened file), then every field through partcell, the
// coefficients as table 1 (field j of line i is the cell at row i, column j),
// the last field as the constant; the cells that do not read then get their
// second chance (applyFallbacks: formulas with the file's parameters, where
// `set` adds or replaces parameters by name, and plain engineering numbers);
// then solve(). On DataError the first cell that does not read as a number,
// in the order the window reads its tables, is named. The cells whose reading
// drops text or has a unit before a number are listed for every outcome.
// A solved system is checked (checkSolution) against the numbers it read.
// Never throws for any input except on memory exhaustion.
SystemRun runSystem(std::string_view bytes, const std::vector<Parameter>& set = {});

}  // namespace kalvor
