#include "core/formula/cellfallback.h"

#include <variant>

#include "core/formula/formula.h"
#include "core/numberreading.h"

namespace kalvor {

namespace {

bool reads(const PartValue& re, const PartValue& im)
{
    return readNumber(re).has_value() && readNumber(im).has_value();
}

// Room that fallbackValue uses again from cell to cell, so that a table of
// formulas does not allocate for each.
struct Scratch {
    CompiledFormula formula;
    std::vector<std::complex<double>> args;
};

std::optional<std::complex<double>> valueOf(std::string_view cellText, const ParameterValues& parameters,
                                            Scratch& scratch, std::string& reason)
{
    reason.clear();
    if (!isFormula(cellText))
        return readEngineeringNumber(cellText);
    if (std::optional<FormulaError> error = compileFormula(cellText, scratch.formula)) {
        reason = std::move(error->reason);
        return std::nullopt;
    }
    const CompiledFormula& formula = scratch.formula;
    std::vector<std::complex<double>>& args = scratch.args;
    args.clear();
    for (const std::string& name : formula.names()) {
        const std::optional<std::size_t> k = parameters.indexOf(name);
        if (!k) {
            reason = "unknown name " + name;
            return std::nullopt;
        }
        if (!parameters.errors[*k].empty()) {
            reason = name + ": " + parameters.errors[*k];
            return std::nullopt;
        }
        args.push_back(parameters.values[*k]);
    }
    auto value = formula.evaluate(args);
    if (const auto* error = std::get_if<FormulaError>(&value)) {
        reason = error->reason;
        return std::nullopt;
    }
    return std::get<std::complex<double>>(value);
}

}  // namespace

std::optional<std::complex<double>> fallbackValue(const std::string& cellText, const ParameterValues& parameters,
                                                  std::string& reason)
{
    Scratch scratch;
    return valueOf(cellText, parameters, scratch, reason);
}

std::vector<CellProblem> applyFallbacks(const std::vector<std::vector<std::string>>& rows,
                                        const ParameterValues& parameters, PartMatrix& coefRe, PartMatrix& coefIm,
                                        PartVector& constRe, PartVector& constIm)
{
    return applyFallbacks([&rows](std::size_t row, std::size_t column) { return std::string_view(rows[row][column]); },
                          parameters, coefRe, coefIm, constRe, constIm);
}

std::vector<CellProblem> applyFallbacks(const std::function<std::string_view(std::size_t, std::size_t)>& cellText,
                                        const ParameterValues& parameters, PartMatrix& coefRe, PartMatrix& coefIm,
                                        PartVector& constRe, PartVector& constIm)
{
    std::vector<CellProblem> problems;
    const std::size_t n = constRe.size();
    std::string reason;
    Scratch scratch;
    const auto tryCell = [&](std::size_t row, std::size_t column, PartValue& re, PartValue& im) {
        if (reads(re, im))
            return;
        if (const std::optional<std::complex<double>> value
            = valueOf(cellText(row, column), parameters, scratch, reason)) {
            re = PartValue::fromNumber(value->real());
            im = PartValue::fromNumber(value->imag());
        } else if (!reason.empty()) {
            problems.push_back({row, column, reason});
        }
    };
    for (std::size_t column = 0; column < n; ++column)
        for (std::size_t row = 0; row < n; ++row)
            tryCell(row, column, coefRe[row][column], coefIm[row][column]);
    for (std::size_t row = 0; row < n; ++row)
        tryCell(row, n, constRe[row], constIm[row]);
    return problems;
}

std::string describeCellProblem(const CellProblem& problem, std::size_t unknowns)
{
    const std::string equation = std::to_string(problem.row + 1);
    if (problem.column >= unknowns)
        return "C " + equation + ": " + problem.reason;
    return "EQ." + equation + ", X" + std::to_string(problem.column + 1) + ": " + problem.reason;
}

}  // namespace kalvor
