#pragma once

#include <complex>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kalvor {

// Why a formula could not be compiled or evaluated, and where.
struct FormulaError {
    std::size_t position = 0;  // byte offset in the text that was compiled
    std::string reason;        // short English: "unknown name Lx", "missing )", "division by zero",
                               // "result is not finite", "no implicit multiplication: write 2*pi"
};

// True when the first non-blank (space, tab) character of a cell text is "=".
// The defined cell reading refuses every such text.
bool isFormula(std::string_view cellText);

// One operation of a compiled formula's postfix program.
struct FormulaOp {
    enum class Code : std::uint8_t {
        Push,  // push constants[index]
        Load,  // push args[index]
        Neg, Add, Sub, Mul, Div, Pow, Parallel,
        PhasorDegrees, PhasorRadians,
        Sqrt, Exp, Ln, Log10, Abs, Arg, Conj, Re, Im, Sin, Cos, Tan,
    };
    Code code = Code::Push;
    std::uint32_t index = 0;
    std::uint32_t position = 0;  // where the operator stands, for evaluation errors
};

// A formula compiled once into a postfix program on complex doubles, with its
// parameter names resolved to argument slots; evaluated any number of times.
// Evaluation is pure and may run on several threads at once.
class CompiledFormula {
public:
    // The parameter names the formula uses, each once, in order of first use.
    const std::vector<std::string>& names() const { return names_; }
    // Evaluates with args[k] the value of names()[k]; errors: division by
    // zero, a result (or a step on the way) that is not finite, an angle that
    // is not real, too few arguments.
    std::variant<std::complex<double>, FormulaError> evaluate(std::span<const std::complex<double>> args) const;

private:
    friend class FormulaCompiler;
    std::vector<FormulaOp> program_;
    std::vector<std::complex<double>> constants_;
    std::vector<std::string> names_;
    std::size_t depth_ = 0;  // the deepest the evaluation stack gets
};

// Compiles a formula; the text may start with blanks and "=" (skipped).
// Grammar, loosest binding first: + and - (left to right); "||" (a||b is
// a*b/(a+b)); * and /; the phasor M∠A (also M<A and M@A) with an optional
// "°", "deg" or "rad" after the angle (degrees without a unit); unary + and
// -; ^ (right to left, so -2^2 is -4 and 2^3^2 is 512); then numbers, names,
// function calls and parentheses. A number is digits with at most one point,
// an optional E exponent, then optionally an SI prefix (p n u µ m k M G T)
// and an imaginary unit (i or j); "j5" is 5j too. Numbers are read exactly
// rounded: the prefix shifts the decimal exponent before the one rounding.
// Constants pi and e; i and j alone are the imaginary unit; functions sqrt
// exp ln log10 abs arg (degrees) conj re im sin cos tan (radians). Any other
// name is a parameter. No implicit multiplication. Never throws.
std::variant<CompiledFormula, FormulaError> compileFormula(std::string_view text);
// The same into `into`, which is replaced and whose storage is used again, so
// that formulas compiled one after another need not allocate each time;
// after an error `into` holds no usable program.
std::optional<FormulaError> compileFormula(std::string_view text, CompiledFormula& into);

// A plain engineering number that the defined reading refuses: a real or an
// imaginary number, or re +- im, each with an optional E exponent and SI
// prefix and the unit (i or j) after the digits or before them, or a phasor
// "M<A" as the polar conversion reads it, blanks around M and A allowed
// ("2.2k", "10m", "1k-j5", "1E-3j", "5<90"). The rectangular forms hold no
// blank: the defined reading takes blanks between the pieces, and a text it
// refuses for a blank ("3+4i ") stays refused. nullopt when the text is not
// one (two real terms "3+4", a name "abc", a formula, a result beyond the
// double range).
std::optional<std::complex<double>> readEngineeringNumber(std::string_view text);

}  // namespace kalvor
