#include "core/formula/compiledsystem.h"

#include <variant>

#include "core/formula/formula.h"
#include "core/numberreading.h"
#include "core/partcell.h"

namespace kalvor {

std::optional<std::complex<double>> CompiledSystem::valueOf(const FormulaCell& cell, const ParameterValues& values,
                                                           std::string& reason)
{
    std::vector<std::complex<double>> args;
    args.reserve(cell.uses.size());
    for (const std::size_t k : cell.uses) {
        if (!values.errors[k].empty()) {
            reason = values.names[k] + ": " + values.errors[k];
            return std::nullopt;
        }
        args.push_back(values.values[k]);
    }
    auto result = cell.formula->evaluate(args);
    if (const auto* error = std::get_if<FormulaError>(&result)) {
        reason = error->reason;
        return std::nullopt;
    }
    return std::get<std::complex<double>>(result);
}

CompiledSystem CompiledSystem::compile(const std::vector<std::vector<std::string>>& rows,
                                       const std::vector<Parameter>& parameters)
{
    CompiledSystem system;
    system.table_ = ParameterTable(parameters);
    const std::size_t n = rows.size();
    system.unknowns_ = n;
    Parts& parts = system.base_;
    parts.coefRe.assign(n, PartVector(n, PartValue::fromInteger(0)));
    parts.coefIm = parts.coefRe;
    parts.constRe.assign(n, PartValue::fromInteger(0));
    parts.constIm = parts.constRe;
    const ParameterValues values = system.table_.evaluate(std::nullopt, {});

    const auto take = [&](std::size_t row, std::size_t column, PartValue& re, PartValue& im) {
        const std::string& text = rows[row][column];
        CellParts split = partcell(text);
        re = std::move(split.re);
        im = std::move(split.im);
        if (readNumber(re) && readNumber(im))
            return;
        if (!isFormula(text)) {
            if (const std::optional<std::complex<double>> value = readEngineeringNumber(text)) {
                re = PartValue::fromNumber(value->real());
                im = PartValue::fromNumber(value->imag());
            }
            return;
        }
        FormulaCell cell;
        cell.row = row;
        cell.column = column;
        cell.refusedRe = re;
        cell.refusedIm = im;
        auto compiled = compileFormula(text);
        if (const auto* error = std::get_if<FormulaError>(&compiled)) {
            cell.fixedProblem = error->reason;
        } else {
            cell.formula = std::get<CompiledFormula>(std::move(compiled));
            for (const std::string& name : cell.formula->names()) {
                const std::optional<std::size_t> k = system.table_.indexOf(name);
                if (!k) {
                    cell.fixedProblem = "unknown name " + name;
                    break;
                }
                cell.uses.push_back(*k);
            }
        }
        if (cell.fixedProblem.empty()) {
            if (const std::optional<std::complex<double>> value = valueOf(cell, values, cell.baseProblem)) {
                re = PartValue::fromNumber(value->real());
                im = PartValue::fromNumber(value->imag());
            }
        }
        const std::string& problem = cell.fixedProblem.empty() ? cell.baseProblem : cell.fixedProblem;
        if (!problem.empty())
            parts.problems.push_back({row, column, problem});
        system.cells_.push_back(std::move(cell));
    };
    for (std::size_t column = 0; column < n; ++column)
        for (std::size_t row = 0; row < n; ++row)
            take(row, column, parts.coefRe[row][column], parts.coefIm[row][column]);
    for (std::size_t row = 0; row < n; ++row)
        take(row, n, parts.constRe[row], parts.constIm[row]);
    return system;
}

CompiledSystem::Parts CompiledSystem::evaluate(std::string_view name, std::complex<double> value) const
{
    Parts parts = base_;
    evaluateInto(parts, name, value);
    return parts;
}

void CompiledSystem::evaluateInto(Parts& parts, std::string_view name, std::complex<double> value) const
{
    const std::optional<std::size_t> swept = table_.indexOf(name);
    if (!swept) {
        parts.problems = base_.problems;
        return;
    }
    const ParameterValues values = table_.evaluate(swept, value);
    const std::vector<bool> changed = table_.dependsOn(*swept);
    parts.problems.clear();
    const std::size_t n = unknowns_;
    std::string reason;
    for (const FormulaCell& cell : cells_) {
        if (!cell.fixedProblem.empty()) {
            parts.problems.push_back({cell.row, cell.column, cell.fixedProblem});
            continue;
        }
        bool depends = false;
        for (const std::size_t k : cell.uses)
            depends = depends || changed[k];
        if (!depends) {
            if (!cell.baseProblem.empty())
                parts.problems.push_back({cell.row, cell.column, cell.baseProblem});
            continue;
        }
        PartValue& re = cell.column == n ? parts.constRe[cell.row] : parts.coefRe[cell.row][cell.column];
        PartValue& im = cell.column == n ? parts.constIm[cell.row] : parts.coefIm[cell.row][cell.column];
        if (const std::optional<std::complex<double>> v = valueOf(cell, values, reason)) {
            re = PartValue::fromNumber(v->real());
            im = PartValue::fromNumber(v->imag());
        } else {
            // The defined data error for the solver: the cell as refused.
            re = cell.refusedRe;
            im = cell.refusedIm;
            parts.problems.push_back({cell.row, cell.column, reason});
        }
    }
}

}  // namespace kalvor
