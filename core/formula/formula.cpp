#include "core/formula/formula.h"

#include <array>
#include <cmath>
#include <limits>
#include <utility>

#include "core/formula/complexmath.h"
#include "core/numberreading.h"
#include "core/partvalue.h"
#include "core/polar.h"

namespace kalvor {

namespace {

using Complex = std::complex<double>;
using Code = FormulaOp::Code;

constexpr std::string_view kAngleSign = "\xE2\x88\xA0";  // U+2220
constexpr std::string_view kDegreeSign = "\xC2\xB0";     // U+00B0
constexpr std::string_view kMicroSign = "\xC2\xB5";      // U+00B5
constexpr std::string_view kGreekMu = "\xCE\xBC";        // U+03BC

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isNameChar(char c)
{
    return isLetter(c) || isDigit(c) || c == '_';
}

struct Function {
    std::string_view name;
    Code code;
};

constexpr std::array<Function, 12> kFunctions{{
    {"sqrt", Code::Sqrt}, {"exp", Code::Exp}, {"ln", Code::Ln}, {"log10", Code::Log10},
    {"abs", Code::Abs}, {"arg", Code::Arg}, {"conj", Code::Conj}, {"re", Code::Re},
    {"im", Code::Im}, {"sin", Code::Sin}, {"cos", Code::Cos}, {"tan", Code::Tan},
}};

const Function* findFunction(std::string_view name)
{
    for (const Function& f : kFunctions)
        if (f.name == name)
            return &f;
    return nullptr;
}

// The power of ten an SI prefix stands for at the start of `run`, and how
// many bytes it takes; {0, 0} when `run` starts with none.
std::pair<int, std::size_t> prefixAt(std::string_view run)
{
    if (run.starts_with(kMicroSign) || run.starts_with(kGreekMu))
        return {-6, 2};
    if (run.empty())
        return {0, 0};
    switch (run.front()) {
    case 'p': return {-12, 1};
    case 'n': return {-9, 1};
    case 'u': return {-6, 1};
    case 'm': return {-3, 1};
    case 'k': return {3, 1};
    case 'M': return {6, 1};
    case 'G': return {9, 1};
    case 'T': return {12, 1};
    default: return {0, 0};
    }
}

// A number literal as scanned: its value and where it ends.
struct Literal {
    double value = 0.0;
    bool imaginary = false;  // an i or j right after the digits (or prefix)
    std::size_t end = 0;
};

enum class LiteralProblem { None, NotANumber, TooLarge, Trailing };

// Scans digits with at most one point, an optional exponent and an optional
// SI prefix from `pos`. The prefix goes into the decimal exponent, so the
// value is rounded once, exactly. `trailing` is the run of name characters
// after the literal that is neither a prefix nor a unit (the caller decides);
// an imaginary unit is taken when `unitAllowed`.
LiteralProblem scanLiteral(std::string_view s, std::size_t pos, bool unitAllowed, Literal& out,
                           std::string_view& trailing)
{
    std::size_t p = pos;
    std::size_t digits = 0;
    while (p < s.size() && isDigit(s[p]))
        ++p, ++digits;
    if (p < s.size() && s[p] == '.') {
        ++p;
        while (p < s.size() && isDigit(s[p]))
            ++p, ++digits;
    }
    if (digits == 0)
        return LiteralProblem::NotANumber;
    std::string text(s.substr(pos, p - pos));
    long long exponent = 0;
    if (p < s.size() && (s[p] == 'e' || s[p] == 'E')) {
        std::size_t q = p + 1;
        bool negative = false;
        if (q < s.size() && (s[q] == '+' || s[q] == '-'))
            negative = s[q++] == '-';
        if (q < s.size() && isDigit(s[q])) {
            for (; q < s.size() && isDigit(s[q]); ++q)
                if (exponent < 1'000'000'000)
                    exponent = exponent * 10 + (s[q] - '0');
            if (negative)
                exponent = -exponent;
            p = q;
        }
    }
    // The run of name characters right after the number: an SI prefix, an
    // imaginary unit, both, or an angle unit the phasor takes; anything else
    // (a constant "pi", a name) is left as `trailing`.
    std::size_t runEnd = p;
    while (runEnd < s.size()) {
        const std::string_view rest = s.substr(runEnd);
        if (isNameChar(s[runEnd]))
            ++runEnd;
        else if (rest.starts_with(kMicroSign) || rest.starts_with(kGreekMu))
            runEnd += 2;
        else
            break;
    }
    const std::string_view run = s.substr(p, runEnd - p);
    const auto isUnit = [unitAllowed](std::string_view r) { return unitAllowed && (r == "i" || r == "j"); };
    const auto isAngleUnit = [](std::string_view r) { return r == "deg" || r == "rad"; };
    const auto [power, size] = prefixAt(run);
    const std::string_view afterPrefix = run.substr(size);
    std::size_t used = 0;
    if (run == "pi" || run.empty() || isAngleUnit(run)) {
        used = 0;
    } else if (isUnit(run)) {
        out.imaginary = true;
        used = 1;
    } else if (size != 0 && (afterPrefix.empty() || isUnit(afterPrefix) || isAngleUnit(afterPrefix))) {
        exponent += power;
        out.imaginary = isUnit(afterPrefix);
        used = size + (out.imaginary ? 1 : 0);
    }
    trailing = run.substr(used);
    out.end = p + used;
    text += 'e';
    text += std::to_string(exponent);
    const std::optional<double> value = readNumber(PartValue::fromText(std::move(text)));
    if (!value)
        return LiteralProblem::TooLarge;
    out.value = *value;
    return trailing.empty() || trailing == "deg" || trailing == "rad" ? LiteralProblem::None : LiteralProblem::Trailing;
}

}  // namespace

// The recursive-descent compiler: one method per level of the grammar, each
// appending its postfix operations to the formula being built.
class FormulaCompiler {
public:
    // Compiles into `into`, whose earlier program is dropped and whose room
    // is used again.
    FormulaCompiler(std::string_view text, CompiledFormula& into) : s_(text), f_(into)
    {
        f_.program_.clear();
        f_.constants_.clear();
        f_.names_.clear();
        f_.depth_ = 0;
        // Room for a typical cell's program at once, rather than growing.
        f_.program_.reserve(text.size() / 2 + 4);
        f_.constants_.reserve(text.size() / 4 + 2);
    }

    std::optional<FormulaError> run()
    {
        skipBlanks();
        if (pos_ < s_.size() && s_[pos_] == '=') {
            ++pos_;
            skipBlanks();
        }
        if (pos_ == s_.size())
            return FormulaError{pos_, "empty formula"};
        if (!additive())
            return error_;
        skipBlanks();
        if (pos_ != s_.size())
            return unexpected();
        return std::nullopt;
    }

private:
    std::string_view s_;
    std::size_t pos_ = 0;
    CompiledFormula& f_;
    FormulaError error_;
    std::size_t depth_ = 0;
    std::size_t nesting_ = 0;
    static constexpr std::size_t kMaxNesting = 200;

    void skipBlanks()
    {
        while (pos_ < s_.size() && isBlank(s_[pos_]))
            ++pos_;
    }

    bool fail(std::size_t at, std::string reason)
    {
        error_ = FormulaError{at, std::move(reason)};
        return false;
    }

    FormulaError unexpected()
    {
        fail(pos_, "");
        if (pos_ == s_.size())
            error_.reason = "unexpected end";
        else if (s_[pos_] == ')')
            error_.reason = "unexpected )";
        else
            error_.reason = "unexpected " + std::string(s_.substr(pos_, nameLength(pos_)));
        return error_;
    }

    // Bytes of the name (or single character) starting at `at`.
    std::size_t nameLength(std::size_t at) const
    {
        std::size_t e = at;
        while (e < s_.size() && isNameChar(s_[e]))
            ++e;
        if (e == at) {
            // One character, whole in UTF-8.
            ++e;
            while (e < s_.size() && (static_cast<unsigned char>(s_[e]) & 0xC0) == 0x80)
                ++e;
        }
        return e - at;
    }

    void emit(Code code, std::uint32_t index, std::size_t at, int stackChange)
    {
        f_.program_.push_back({code, index, static_cast<std::uint32_t>(at)});
        depth_ = static_cast<std::size_t>(static_cast<long long>(depth_) + stackChange);
        if (depth_ > f_.depth_)
            f_.depth_ = depth_;
    }

    void push(Complex value)
    {
        emit(Code::Push, static_cast<std::uint32_t>(f_.constants_.size()), pos_, 1);
        f_.constants_.push_back(value);
    }

    bool take(std::string_view token)
    {
        skipBlanks();
        if (s_.substr(pos_).starts_with(token)) {
            pos_ += token.size();
            return true;
        }
        return false;
    }

    bool additive()
    {
        if (!parallel())
            return false;
        for (;;) {
            skipBlanks();
            const std::size_t at = pos_;
            if (take("+")) {
                if (!parallel())
                    return false;
                emit(Code::Add, 0, at, -1);
            } else if (take("-")) {
                if (!parallel())
                    return false;
                emit(Code::Sub, 0, at, -1);
            } else {
                return true;
            }
        }
    }

    bool parallel()
    {
        if (!term())
            return false;
        for (;;) {
            skipBlanks();
            const std::size_t at = pos_;
            if (!take("||"))
                return true;
            if (!term())
                return false;
            emit(Code::Parallel, 0, at, -1);
        }
    }

    bool term()
    {
        if (!phasor())
            return false;
        for (;;) {
            skipBlanks();
            const std::size_t at = pos_;
            Code code;
            if (take("*"))
                code = Code::Mul;
            else if (take("/"))
                code = Code::Div;
            else
                return true;
            if (!phasor())
                return false;
            emit(code, 0, at, -1);
        }
    }

    bool phasor()
    {
        if (!unary())
            return false;
        skipBlanks();
        const std::size_t at = pos_;
        if (!take(kAngleSign) && !take("<") && !take("@"))
            return true;
        if (!unary())
            return false;
        Code code = Code::PhasorDegrees;
        if (take(kDegreeSign) || takeWord("deg"))
            code = Code::PhasorDegrees;
        else if (takeWord("rad"))
            code = Code::PhasorRadians;
        emit(code, 0, at, -1);
        return true;
    }

    // A whole name `word` (not the start of a longer one).
    bool takeWord(std::string_view word)
    {
        skipBlanks();
        if (!s_.substr(pos_).starts_with(word))
            return false;
        const std::size_t e = pos_ + word.size();
        if (e < s_.size() && isNameChar(s_[e]))
            return false;
        pos_ = e;
        return true;
    }

    // Every way the grammar nests ("(", a sign, "^", a function) passes
    // here, so this bounds the recursion whatever the text.
    bool unary()
    {
        struct Level {
            std::size_t& n;
            explicit Level(std::size_t& count) : n(++count) {}
            ~Level() { --n; }
        } level(nesting_);
        skipBlanks();
        if (nesting_ > kMaxNesting)
            return fail(pos_, "too deeply nested");
        const std::size_t at = pos_;
        if (take("-")) {
            if (!unary())
                return false;
            emit(Code::Neg, 0, at, 0);
            return true;
        }
        if (take("+"))
            return unary();
        return power();
    }

    bool power()
    {
        if (!primary())
            return false;
        skipBlanks();
        const std::size_t at = pos_;
        if (!take("^"))
            return true;
        if (!unary())
            return false;
        emit(Code::Pow, 0, at, -1);
        return true;
    }

    // After a complete operand: a name, a number or "(" right after it would
    // be an implicit multiplication.
    bool noImplicitProduct(std::size_t operandStart)
    {
        skipBlanks();
        if (pos_ >= s_.size())
            return true;
        const char c = s_[pos_];
        if (!(isNameChar(c) || c == '(' || c == '.'))
            return true;
        const std::string_view rest = s_.substr(pos_);
        if (rest.starts_with("deg") || rest.starts_with("rad"))
            return true;  // the phasor takes them, or reports them
        std::string left(s_.substr(operandStart, pos_ - operandStart));
        while (!left.empty() && isBlank(left.back()))
            left.pop_back();
        return fail(pos_, "no implicit multiplication: write " + left + "*" + std::string(s_.substr(pos_, nameLength(pos_))));
    }

    bool number(std::size_t start, bool unitBefore)
    {
        Literal literal;
        std::string_view trailing;
        const std::size_t at = pos_;
        switch (scanLiteral(s_, pos_, !unitBefore, literal, trailing)) {
        case LiteralProblem::NotANumber:
            return fail(at, "a number is missing");
        case LiteralProblem::TooLarge:
            return fail(at, "number too large");
        case LiteralProblem::Trailing:
            return fail(literal.end, "no implicit multiplication: write "
                                         + std::string(s_.substr(start, literal.end - start)) + "*"
                                         + std::string(trailing));
        case LiteralProblem::None:
            break;
        }
        pos_ = literal.end;
        const bool imaginary = unitBefore || literal.imaginary;
        push(imaginary ? Complex(0.0, literal.value) : Complex(literal.value, 0.0));
        return noImplicitProduct(start);
    }

    bool primary()
    {
        skipBlanks();
        const std::size_t start = pos_;
        if (pos_ == s_.size())
            return fail(pos_, "unexpected end");
        const char c = s_[pos_];
        if (c == '(') {
            ++pos_;
            if (!additive())
                return false;
            if (!take(")"))
                return fail(pos_, "missing )");
            return noImplicitProduct(start);
        }
        if (isDigit(c) || c == '.')
            return number(start, false);
        if (!isLetter(c)) {
            unexpected();
            return false;
        }
        // A unit right before a number: "j5" is 5j.
        if ((c == 'i' || c == 'j') && pos_ + 1 < s_.size()
            && (isDigit(s_[pos_ + 1]) || (s_[pos_ + 1] == '.' && pos_ + 2 < s_.size() && isDigit(s_[pos_ + 2])))) {
            ++pos_;
            return number(start, true);
        }
        std::size_t e = pos_;
        while (e < s_.size() && isNameChar(s_[e]))
            ++e;
        const std::string name(s_.substr(pos_, e - pos_));
        pos_ = e;
        if (const Function* f = findFunction(name)) {
            if (!take("("))
                return fail(pos_, name + " needs ( )");
            if (!additive())
                return false;
            if (!take(")"))
                return fail(pos_, "missing )");
            emit(f->code, 0, start, 0);
            return noImplicitProduct(start);
        }
        skipBlanks();
        if (pos_ < s_.size() && s_[pos_] == '(')
            return fail(start, name + " is not a function");
        if (name == "i" || name == "j")
            push(Complex(0.0, 1.0));
        else if (name == "pi")
            push(Complex(3.141592653589793, 0.0));
        else if (name == "e")
            push(Complex(2.718281828459045, 0.0));
        else
            emit(Code::Load, slotOf(name), start, 1);
        return noImplicitProduct(start);
    }

    std::uint32_t slotOf(const std::string& name)
    {
        for (std::size_t k = 0; k < f_.names_.size(); ++k)
            if (f_.names_[k] == name)
                return static_cast<std::uint32_t>(k);
        f_.names_.push_back(name);
        return static_cast<std::uint32_t>(f_.names_.size() - 1);
    }
};

bool isFormula(std::string_view cellText)
{
    for (const char c : cellText)
        if (!isBlank(c))
            return c == '=';
    return false;
}

std::variant<CompiledFormula, FormulaError> compileFormula(std::string_view text)
{
    CompiledFormula formula;
    if (std::optional<FormulaError> error = FormulaCompiler(text, formula).run())
        return *std::move(error);
    return formula;
}

std::optional<FormulaError> compileFormula(std::string_view text, CompiledFormula& into)
{
    return FormulaCompiler(text, into).run();
}

std::variant<std::complex<double>, FormulaError> CompiledFormula::evaluate(
    std::span<const std::complex<double>> args) const
{
    if (args.size() < names_.size())
        return FormulaError{0, "a value is missing for " + names_[args.size()]};
    // A small stack on the stack frame; the vector only for deep formulas.
    std::array<Complex, 32> small;
    std::vector<Complex> large;
    Complex* stack = small.data();
    if (depth_ > small.size()) {
        large.resize(depth_);
        stack = large.data();
    }
    std::size_t top = 0;
    for (const FormulaOp& op : program_) {
        Complex result;
        switch (op.code) {
        case Code::Push:
            stack[top++] = constants_[op.index];
            continue;
        case Code::Load:
            stack[top++] = args[op.index];
            continue;
        case Code::Neg:
            result = -stack[top - 1];
            break;
        case Code::Add:
        case Code::Sub:
        case Code::Mul:
        case Code::Div:
        case Code::Pow:
        case Code::Parallel:
        case Code::PhasorDegrees:
        case Code::PhasorRadians: {
            const Complex a = stack[top - 2];
            const Complex b = stack[top - 1];
            --top;
            const std::optional<Complex> r = complexmath::binary(op.code, a, b);
            if (!r)
                return FormulaError{op.position, complexmath::binaryProblem(op.code, a, b)};
            result = *r;
            break;
        }
        default:
            result = complexmath::function(op.code, stack[top - 1]);
            break;
        }
        if (!std::isfinite(result.real()) || !std::isfinite(result.imag()))
            return FormulaError{op.position, "result is not finite"};
        stack[top - 1] = result;
    }
    const Complex value = stack[0];
    if (!std::isfinite(value.real()) || !std::isfinite(value.imag()))
        return FormulaError{0, "result is not finite"};
    return value;
}

namespace {

// One term of an engineering number: a real or imaginary literal.
bool engineeringTerm(std::string_view s, std::size_t& pos, Complex& value, bool& imaginary)
{
    bool unitBefore = false;
    std::size_t p = pos;
    if (p < s.size() && (s[p] == 'i' || s[p] == 'j')) {
        ++p;
        unitBefore = true;
        // The unit alone: "1k+j".
        if (p == s.size() || !(isDigit(s[p]) || s[p] == '.')) {
            value = Complex(0.0, 1.0);
            imaginary = true;
            pos = p;
            return true;
        }
    }
    Literal literal;
    std::string_view trailing;
    if (scanLiteral(s, p, !unitBefore, literal, trailing) != LiteralProblem::None || !trailing.empty())
        return false;
    pos = literal.end;
    imaginary = unitBefore || literal.imaginary;
    value = imaginary ? Complex(0.0, literal.value) : Complex(literal.value, 0.0);
    return true;
}

void skipBlanksAt(std::string_view s, std::size_t& pos)
{
    while (pos < s.size() && isBlank(s[pos]))
        ++pos;
}

// A signed term: blanks, an optional sign, blanks, a term.
bool signedTerm(std::string_view s, std::size_t& pos, Complex& value, bool& imaginary, bool signRequired)
{
    skipBlanksAt(s, pos);
    bool negative = false;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
        negative = s[pos] == '-';
        ++pos;
        skipBlanksAt(s, pos);
    } else if (signRequired) {
        return false;
    }
    if (!engineeringTerm(s, pos, value, imaginary))
        return false;
    if (negative)
        value = -value;
    return true;
}

// Written without blanks: the defined reading allows blanks between the
// pieces of a number it reads, and a text it refuses for a blank ("3+4i ")
// stays refused.
std::optional<Complex> rectangularEngineering(std::string_view s)
{
    if (s.find_first_of(" \t") != std::string_view::npos)
        return std::nullopt;
    std::size_t pos = 0;
    Complex first;
    bool firstImaginary = false;
    if (!signedTerm(s, pos, first, firstImaginary, false))
        return std::nullopt;
    skipBlanksAt(s, pos);
    if (pos == s.size())
        return first;
    Complex second;
    bool secondImaginary = false;
    if (!signedTerm(s, pos, second, secondImaginary, true))
        return std::nullopt;
    skipBlanksAt(s, pos);
    // One real and one imaginary term, in either order.
    if (pos != s.size() || firstImaginary == secondImaginary)
        return std::nullopt;
    return first + second;
}

// A real engineering number (a phasor's magnitude or angle): blanks, sign,
// a literal without unit, blanks.
std::optional<double> realEngineering(std::string_view s)
{
    std::size_t pos = 0;
    Complex value;
    bool imaginary = false;
    if (!signedTerm(s, pos, value, imaginary, false) || imaginary)
        return std::nullopt;
    skipBlanksAt(s, pos);
    if (pos != s.size())
        return std::nullopt;
    return value.real();
}

// "M<A" with the polar conversion's signs and angle units, M and A real
// engineering numbers, M not negative.
std::optional<Complex> phasorEngineering(std::string_view s)
{
    std::size_t sign = s.find_first_of("<@");
    std::size_t signSize = 1;
    const std::size_t angleSign = s.find(kAngleSign);
    if (angleSign < sign) {
        sign = angleSign;
        signSize = kAngleSign.size();
    }
    if (sign == std::string_view::npos)
        return std::nullopt;
    std::string_view angle = s.substr(sign + signSize);
    while (!angle.empty() && isBlank(angle.back()))
        angle.remove_suffix(1);
    bool radians = false;
    for (const auto& [suffix, isRadians] : {std::pair<std::string_view, bool>{"deg", false}, {"rad", true},
                                            {kDegreeSign, false}, {"d", false}, {"r", true}}) {
        if (angle.ends_with(suffix)) {
            angle.remove_suffix(suffix.size());
            radians = isRadians;
            break;
        }
    }
    const std::optional<double> m = realEngineering(s.substr(0, sign));
    const std::optional<double> a = realEngineering(angle);
    if (!m || !a || *m < 0.0)
        return std::nullopt;
    return phasorValue(*m, *a, radians);
}

}  // namespace

std::optional<std::complex<double>> readEngineeringNumber(std::string_view text)
{
    std::optional<Complex> value = phasorEngineering(text);
    if (!value)
        value = rectangularEngineering(text);
    if (!value || !std::isfinite(value->real()) || !std::isfinite(value->imag()))
        return std::nullopt;
    return value;
}

}  // namespace kalvor
