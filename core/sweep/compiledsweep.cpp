#include "core/sweep/compiledsweep.h"

#include <utility>
#include <variant>
#include <vector>

#include "core/formula/formula.h"

namespace kalvor {

SweepPartsAt compiledSweepParts(std::shared_ptr<const CompiledSystem> system, std::string name, std::size_t unknowns)
{
    return [system = std::move(system), name = std::move(name), unknowns](double value) {
        CompiledSystem::Parts parts = system->evaluate(name, {value, 0.0});
        SweepParts out{
            std::move(parts.coefRe), std::move(parts.coefIm), std::move(parts.constRe), std::move(parts.constIm), {}};
        out.problems.reserve(parts.problems.size());
        for (const CellProblem& p : parts.problems) {
            CellPosition cell;
            cell.row = p.row + 1;
            if (p.column >= unknowns) {
                cell.table = CellPosition::Table::Constants;
                cell.column = 1;
            } else {
                cell.column = p.column + 1;
            }
            out.problems.push_back({cell, describeCellProblem(p, unknowns)});
        }
        return out;
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
