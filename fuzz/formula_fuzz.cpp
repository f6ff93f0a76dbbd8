// Fuzz target: any text as a formula and as a plain engineering number.
// Compiling and evaluating never fail in any other way than an error with a
// reason and a place inside the text; values are finite and the same on
// every evaluation; parentheses and a minus around a formula give the same
// value and its negation; an engineering number is the value of the same
// text as a formula.
#include <cmath>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/formula/formula.h"
#include "fuzz/fuzzcheck.h"

namespace kalvor {
namespace {

using Complex = std::complex<double>;
using Result = std::variant<Complex, FormulaError>;

bool finite(Complex z)
{
    return std::isfinite(z.real()) && std::isfinite(z.imag());
}

bool same(Complex a, Complex b)
{
    return a.real() == b.real() && a.imag() == b.imag();
}

// Compiles and evaluates `text`, names given values by their place, and
// checks what must hold of any result.
Result run(std::string_view text, std::string_view input)
{
    auto compiled = compileFormula(text);
    if (const auto* error = std::get_if<FormulaError>(&compiled)) {
        fuzzCheck(!error->reason.empty() && error->position <= text.size(), "a compile error without reason or place",
                  input);
        return *error;
    }
    const CompiledFormula& formula = std::get<CompiledFormula>(compiled);
    std::vector<Complex> args;
    for (std::size_t k = 0; k < formula.names().size(); ++k) {
        const std::string& name = formula.names()[k];
        fuzzCheck(!name.empty() && name.find_first_of(" \t=()+-*/^") == std::string::npos, "a name that is no name",
                  input);
        for (std::size_t other = 0; other < k; ++other)
            fuzzCheck(formula.names()[other] != name, "a name listed twice", input);
        args.emplace_back(0.5 + static_cast<double>(k), -1.0);
    }
    const Result first = formula.evaluate(args);
    const Result again = formula.evaluate(args);
    fuzzCheck(first.index() == again.index(), "two evaluations disagree", input);
    if (const auto* error = std::get_if<FormulaError>(&first)) {
        fuzzCheck(!error->reason.empty() && error->position <= text.size(), "an evaluation error without reason or place",
                  input);
        return first;
    }
    fuzzCheck(finite(std::get<Complex>(first)), "a value that is not finite", input);
    fuzzCheck(same(std::get<Complex>(first), std::get<Complex>(again)), "two evaluations give different bits", input);
    return first;
}

}  // namespace
}  // namespace kalvor

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kalvor;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const Result plain = run(input, input);

    // Wrapped: the same outcome (for balanced parentheses well inside the
    // nesting limit), the same value, and its negation.
    std::size_t open = 0;
    long depth = 0;
    bool balanced = true;
    for (const char c : input) {
        open += c == '(';
        depth += c == '(' ? 1 : c == ')' ? -1 : 0;
        balanced = balanced && depth >= 0;
    }
    balanced = balanced && depth == 0;
    if (!input.empty() && balanced && input.find('=') == std::string_view::npos && open < 190) {
        std::string wrappedText = "-(";
        wrappedText.append(input);
        wrappedText.push_back(')');
        const Result wrapped = run(std::string_view(wrappedText).substr(1), input);
        const Result negated = run(wrappedText, input);
        fuzzCheck(plain.index() == wrapped.index(), "parentheses change whether a formula has a value", input);
        if (const auto* value = std::get_if<Complex>(&plain)) {
            fuzzCheck(same(*value, std::get<Complex>(wrapped)), "parentheses change the value", input);
            fuzzCheck(std::holds_alternative<Complex>(negated) && same(-*value, std::get<Complex>(negated)),
                      "a minus does not negate the value", input);
        }
    }

    // An engineering number without a phasor sign is the formula of its text.
    if (const std::optional<Complex> engineering = readEngineeringNumber(input)) {
        fuzzCheck(finite(*engineering), "an engineering number that is not finite", input);
        const bool phasor = input.find_first_of("<@") != std::string_view::npos
            || input.find("\xE2\x88\xA0") != std::string_view::npos;
        if (!phasor) {
            std::string formulaText = "=";
            formulaText.append(input);
            const Result formula = run(formulaText, input);
            fuzzCheck(std::holds_alternative<Complex>(formula) && same(*engineering, std::get<Complex>(formula)),
                      "an engineering number differs from its formula", input);
        }
    }
    return 0;
}
