#pragma once

#include <complex>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/formula/formula.h"
#include "core/formula/parameters.h"

namespace kalvor {

// A parameter table compiled once: each formula compiled, its names bound to
// rows, the rows in dependency order. Evaluated as often as a sweep needs.
class ParameterTable {
public:
    ParameterTable() = default;
    explicit ParameterTable(const std::vector<Parameter>& parameters);

    // Every row's value; row `replaced` (if any) takes `value` instead of its
    // formula, and its problem, if it has one, is ignored.
    ParameterValues evaluate(std::optional<std::size_t> replaced, std::complex<double> value) const;
    std::optional<std::size_t> indexOf(std::string_view name) const;
    // Which rows change when `row` does: itself and every row that uses it,
    // directly or not.
    std::vector<bool> dependsOn(std::size_t row) const;
    std::size_t size() const { return rows_.size(); }

private:
    struct Row {
        std::string name;
        CompiledFormula formula;
        std::vector<std::size_t> uses;  // the row of each of formula.names()
        std::string problem;            // a fixed error: name, formula, unknown name, cycle
    };
    void order();
    std::vector<Row> rows_;
    std::vector<std::size_t> order_;  // rows, each after the rows it uses
};

}  // namespace kalvor
