#pragma once

#include <complex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalvor {

// One row of a system's parameter table: "name = formula".
struct Parameter {
    std::string name;
    std::string formula;
};

// Empty when `name` may name a parameter: a letter (A-Z, a-z), then letters,
// digits or "_", and not a word the formulas already use. Else the reason:
// "i is the imaginary unit", "pi is a constant", "sqrt is a function",
// "j5 is read as 5j", "a name starts with a letter and holds only letters,
// digits and _".
std::string parameterNameProblem(std::string_view name);

// The values of a parameter table.
struct ParameterValues {
    std::vector<std::string> names;            // the table's names, in table order
    std::vector<std::complex<double>> values;  // NaN+NaN i where errors[k] is not empty
    std::vector<std::string> errors;           // "" or the reason: "unknown name x", "cycle: a, b", bad name, formula error
    // The value of a name; nullopt when unknown or in error. The first row of
    // that name when it is named twice (the later rows are errors).
    std::optional<std::complex<double>> find(std::string_view name) const;
    // The row of a name; nullopt when no row has it.
    std::optional<std::size_t> indexOf(std::string_view name) const;
};

// Evaluates every parameter in dependency order (a parameter may use any
// other; a cycle is an error naming its members in table order, and a
// parameter that uses one in error is in error too: "uses w, which has an
// error"). A formula error reads "at k: reason" with the byte offset k.
// Never throws.
ParameterValues evaluateParameters(const std::vector<Parameter>& parameters);

// The same with the value of one parameter replaced (what a sweep does at
// each point): `name`'s formula is ignored and `value` used; the others are
// evaluated again where they depend on it. When no parameter is named
// `name`, the same as the overload above.
ParameterValues evaluateParameters(const std::vector<Parameter>& parameters, std::string_view name,
                                   std::complex<double> value);

}  // namespace kalvor
