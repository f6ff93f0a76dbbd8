#include "core/sweep/compiledsweep.h"

#include <utility>
#include <variant>
#include <vector>

#include "core/formula/formula.h"

namespace kalvor {

SweepPartsAt compiledSweepParts(std::shared_ptr<const CompiledSystem> system, std::string name, std::size_t unknowns)
{
    return [system = std::move(system), name = std::move(name), unknowns](double value, SweepParts& parts) {
        // The thread's tables, filled once, then only the cells that follow
        // the parameter are written again.
        CompiledSystem::Parts tables;
        if (parts.coefRe.empty()) {
            tables = system->parts();
        } else {
            tables.coefRe = std::move(parts.coefRe);
            tables.coefIm = std::move(parts.coefIm);
            tables.constRe = std::move(parts.constRe);
            tables.constIm = std::move(parts.constIm);
        }
        system->evaluateInto(tables, name, {value, 0.0});
        parts.coefRe = std::move(tables.coefRe);
        parts.coefIm = std::move(tables.coefIm);
        parts.constRe = std::move(tables.constRe);
        parts.constIm = std::move(tables.constIm);
        parts.problems.clear();
        for (const CellProblem& p : tables.problems) {
            CellPosition cell;
            cell.row = p.row + 1;
            if (p.column >= unknowns) {
                cell.table = CellPosition::Table::Constants;
                cell.column = 1;
            } else {
                cell.column = p.column + 1;
            }
            parts.problems.push_back({cell, describeCellProblem(p, unknowns)});
        }
    };
}

std::optional<double> sweepEndValue(std::string_view text, const ParameterValues& parameters, std::string& problem)
{
    auto compiled = compileFormula(text);
    if (const auto* error = std::get_if<FormulaError>(&compiled)) {
        problem = error->reason;
        return std::nullopt;
    }
    const CompiledFormula& formula = std::get<CompiledFormula>(compiled);
    std::vector<std::complex<double>> args;
    for (const std::string& name : formula.names()) {
        const auto value = parameters.find(name);
        if (!value) {
            problem = parameters.indexOf(name) ? name + " has an error" : "unknown name " + name;
            return std::nullopt;
        }
        args.push_back(*value);
    }
    const auto result = formula.evaluate(args);
    if (const auto* error = std::get_if<FormulaError>(&result)) {
        problem = error->reason;
        return std::nullopt;
    }
    const std::complex<double> value = std::get<std::complex<double>>(result);
    if (value.imag() != 0) {
        problem = "not a real number";
        return std::nullopt;
    }
    return value.real();
}

}  // namespace kalvor
