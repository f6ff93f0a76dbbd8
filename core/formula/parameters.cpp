#include "core/formula/parameters.h"

#include <array>
#include <limits>
#include <utility>
#include <variant>

#include "core/formula/formula.h"
#include "core/formula/parametertable.h"

namespace kalvor {

namespace {

constexpr std::array<std::string_view, 12> kFunctionNames{"sqrt", "exp", "ln",  "log10", "abs", "arg",
                                                          "conj", "re",  "im",  "sin",   "cos", "tan"};

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

std::string parameterNameProblem(std::string_view name)
{
    bool wellFormed = !name.empty() && isLetter(name.front());
    for (const char c : name)
        wellFormed = wellFormed && (isLetter(c) || isDigit(c) || c == '_');
    if (!wellFormed)
        return "a name starts with a letter and holds only letters, digits and _";
    if (name == "i" || name == "j")
        return std::string(name) + " is the imaginary unit";
    if (name == "pi" || name == "e")
        return std::string(name) + " is a constant";
    for (const std::string_view f : kFunctionNames)
        if (name == f)
            return std::string(name) + " is a function";
    // In a formula "j5" is the number 5j, never a name.
    if ((name[0] == 'i' || name[0] == 'j') && name.size() > 1 && isDigit(name[1]))
        return std::string(name) + " is read as " + std::string(name.substr(1)) + name[0];
    return {};
}

std::optional<std::size_t> ParameterValues::indexOf(std::string_view name) const
{
    for (std::size_t k = 0; k < names.size(); ++k)
        if (names[k] == name)
            return k;
    return std::nullopt;
}

std::optional<std::complex<double>> ParameterValues::find(std::string_view name) const
{
    const std::optional<std::size_t> k = indexOf(name);
    if (!k || !errors[*k].empty())
        return std::nullopt;
    return values[*k];
}

ParameterTable::ParameterTable(const std::vector<Parameter>& parameters)
{
    const std::size_t n = parameters.size();
    rows_.resize(n);
    for (std::size_t k = 0; k < n; ++k) {
        Row& row = rows_[k];
        row.name = parameters[k].name;
        row.problem = parameterNameProblem(row.name);
        for (std::size_t other = 0; other < k && row.problem.empty(); ++other)
            if (rows_[other].name == row.name)
                row.problem = row.name + " is named twice";
        if (!row.problem.empty())
            continue;
        auto compiled = compileFormula(parameters[k].formula);
        if (auto* error = std::get_if<FormulaError>(&compiled)) {
            row.problem = "at " + std::to_string(error->position) + ": " + error->reason;
            continue;
        }
        row.formula = std::get<CompiledFormula>(std::move(compiled));
    }
    // Each name a formula uses becomes the row it names.
    for (Row& row : rows_) {
        if (!row.problem.empty())
            continue;
        for (const std::string& used : row.formula.names()) {
            std::size_t found = n;
            for (std::size_t k = 0; k < n && found == n; ++k)
                if (rows_[k].name == used && parameterNameProblem(used).empty())
                    found = k;
            if (found == n) {
                row.problem = "unknown name " + used;
                break;
            }
            row.uses.push_back(found);
        }
    }
    order();
}

// Depth-first over the uses: a row is placed after every row it uses; a row
// met again while its own uses are being placed closes a cycle.
void ParameterTable::order()
{
    const std::size_t n = rows_.size();
    enum class Mark : unsigned char { New, Open, Done };
    std::vector<Mark> mark(n, Mark::New);
    std::vector<std::size_t> path;
    // Iterative, so a long chain of parameters cannot exhaust the stack.
    struct Frame {
        std::size_t row;
        std::size_t next;
    };
    for (std::size_t start = 0; start < n; ++start) {
        if (mark[start] != Mark::New)
            continue;
        std::vector<Frame> stack{{start, 0}};
        mark[start] = Mark::Open;
        while (!stack.empty()) {
            Frame& top = stack.back();
            Row& row = rows_[top.row];
            if (top.next < row.uses.size()) {
                const std::size_t used = row.uses[top.next++];
                if (mark[used] == Mark::New) {
                    mark[used] = Mark::Open;
                    stack.push_back({used, 0});
                } else if (mark[used] == Mark::Open) {
                    // The rows on the stack from `used` up form the cycle.
                    std::vector<bool> member(n, false);
                    bool inCycle = false;
                    for (const Frame& f : stack) {
                        inCycle = inCycle || f.row == used;
                        if (inCycle)
                            member[f.row] = true;
                    }
                    std::string reason = "cycle:";
                    const char* separator = " ";
                    for (std::size_t k = 0; k < n; ++k) {
                        if (member[k]) {
                            reason += separator + rows_[k].name;
                            separator = ", ";
                        }
                    }
                    for (std::size_t k = 0; k < n; ++k)
                        if (member[k] && rows_[k].problem.empty())
                            rows_[k].problem = reason;
                }
                continue;
            }
            mark[top.row] = Mark::Done;
            order_.push_back(top.row);
            stack.pop_back();
        }
    }
}

ParameterValues ParameterTable::evaluate(std::optional<std::size_t> replaced, std::complex<double> value) const
{
    const std::size_t n = rows_.size();
    ParameterValues out;
    out.names.reserve(n);
    for (const Row& row : rows_)
        out.names.push_back(row.name);
    out.values.assign(n, {kNaN, kNaN});
    out.errors.assign(n, {});
    std::vector<std::complex<double>> args;
    for (const std::size_t k : order_) {
        const Row& row = rows_[k];
        if (replaced == k) {
            out.values[k] = value;
            continue;
        }
        if (!row.problem.empty()) {
            out.errors[k] = row.problem;
            continue;
        }
        args.clear();
        for (const std::size_t used : row.uses) {
            if (!out.errors[used].empty()) {
                out.errors[k] = "uses " + rows_[used].name + ", which has an error";
                break;
            }
            args.push_back(out.values[used]);
        }
        if (!out.errors[k].empty())
            continue;
        auto result = row.formula.evaluate(args);
        if (auto* error = std::get_if<FormulaError>(&result))
            out.errors[k] = "at " + std::to_string(error->position) + ": " + error->reason;
        else
            out.values[k] = std::get<std::complex<double>>(result);
    }
    return out;
}

std::optional<std::size_t> ParameterTable::indexOf(std::string_view name) const
{
    for (std::size_t k = 0; k < rows_.size(); ++k)
        if (rows_[k].name == name)
            return k;
    return std::nullopt;
}

std::vector<bool> ParameterTable::dependsOn(std::size_t row) const
{
    std::vector<bool> depends(rows_.size(), false);
    depends[row] = true;
    // order_ places every row after the rows it uses.
    for (const std::size_t k : order_)
        for (const std::size_t used : rows_[k].uses)
            if (depends[used])
                depends[k] = true;
    return depends;
}

ParameterValues evaluateParameters(const std::vector<Parameter>& parameters)
{
    return ParameterTable(parameters).evaluate(std::nullopt, {});
}

ParameterValues evaluateParameters(const std::vector<Parameter>& parameters, std::string_view name,
                                   std::complex<double> value)
{
    const ParameterTable table(parameters);
    return table.evaluate(table.indexOf(name), value);
}

}  // namespace kalvor
