#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/formula/parameters.h"
#include "core/solver.h"

namespace kalvor {

// A cell whose formula has no value, and why. 0-based; column N (the number
// of unknowns) is the constant.
struct CellProblem {
    std::size_t row = 0, column = 0;
    std::string reason;
};

// The cells of a system (rows: N rows of N + 1 texts, as typed) that the
// defined reading refuses (a part of partcell's split that readNumber does
// not read) get a second chance: a formula is evaluated with `parameters`, a
// plain engineering number (readEngineeringNumber) is read; either way both
// parts in the tables become Number parts. A formula that fails is left as it
// was (the solver then reports the defined data error) and listed in the
// result with its reason, in the order the window reads cells (column by
// column for the coefficients, then the constants). Cells the defined reading
// accepts are never touched. The tables must have the shapes solve() takes,
// split from `rows`.
std::vector<CellProblem> applyFallbacks(const std::vector<std::vector<std::string>>& rows,
                                        const ParameterValues& parameters, PartMatrix& coefRe, PartMatrix& coefIm,
                                        PartVector& constRe, PartVector& constIm);
// The same, with each cell's text asked for only when the defined reading
// refuses the cell: cellText(row, column), 0-based, column N the constant,
// a text that must stay valid until the next call.
std::vector<CellProblem> applyFallbacks(const std::function<std::string_view(std::size_t, std::size_t)>& cellText,
                                        const ParameterValues& parameters, PartMatrix& coefRe, PartMatrix& coefIm,
                                        PartVector& constRe, PartVector& constIm);

// The value of one cell text by the fallback alone (formula or engineering
// number): nullopt with `reason` set when it is a formula without a value,
// nullopt with `reason` empty when it is neither.
std::optional<std::complex<double>> fallbackValue(const std::string& cellText, const ParameterValues& parameters,
                                                  std::string& reason);

// The text a cell problem is reported with, naming cells as the equation
// window does: "EQ.2, X3: unknown name Lx", the constant "C 2: missing )".
std::string describeCellProblem(const CellProblem& problem, std::size_t unknowns);

}  // namespace kalvor
