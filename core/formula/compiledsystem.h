#pragma once

#include <complex>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/formula/cellfallback.h"
#include "core/formula/parametertable.h"
#include "core/formula/parameters.h"
#include "core/partvalue.h"
#include "core/solver.h"

namespace kalvor {

// A system whose cells and parameters are compiled once, for sweeps: each
// evaluation at a new value of one parameter re-evaluates only the formula
// cells that depend on it. The result is what the split of every cell
// (partcell) followed by applyFallbacks gives with the parameters' values.
class CompiledSystem {
public:
    // Compiles every cell (formula cells once) and the parameters. `rows`:
    // N rows of N + 1 cell texts.
    static CompiledSystem compile(const std::vector<std::vector<std::string>>& rows,
                                  const std::vector<Parameter>& parameters);

    // The four part tables ready for solve() with `name` set to `value` (cells
    // not depending on it are evaluated once at compile time), and the cell
    // problems, in the order the window reads cells (empty when none). A name
    // that is no parameter changes nothing.
    struct Parts {
        PartMatrix coefRe, coefIm;
        PartVector constRe, constIm;
        std::vector<CellProblem> problems;
    };
    Parts evaluate(std::string_view name, std::complex<double> value) const;
    // evaluate() into `parts`, which must hold parts() or the result of an
    // earlier evaluate() or evaluateInto() for the same name: only the cells
    // that depend on `name` are written again, and the problems listed anew,
    // so a sweep does not copy the whole tables at every point.
    void evaluateInto(Parts& parts, std::string_view name, std::complex<double> value) const;
    // The tables with every parameter's own formula.
    const Parts& parts() const { return base_; }
    bool hasParameter(std::string_view name) const { return table_.indexOf(name).has_value(); }

private:
    // A formula cell of the system, in the window's reading order.
    struct FormulaCell {
        std::size_t row = 0, column = 0;
        std::optional<CompiledFormula> formula;
        std::vector<std::size_t> uses;  // the parameter row of each of formula->names()
        std::string fixedProblem;       // compile error or unknown name: never a value
        std::string baseProblem;        // the problem with the parameters' own values
        PartValue refusedRe = PartValue::fromInteger(0);  // the split the defined reading refuses
        PartValue refusedIm = PartValue::fromInteger(0);
    };
    static std::optional<std::complex<double>> valueOf(const FormulaCell& cell, const ParameterValues& values,
                                                       std::string& reason);
    ParameterTable table_;
    std::vector<FormulaCell> cells_;
    std::size_t unknowns_ = 0;
    Parts base_;
};

}  // namespace kalvor
