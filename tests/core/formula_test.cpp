// Formulas: the grammar's forms and errors, parameters, and the second chance
// a refused cell gets.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/core.h"

namespace kalvor {
namespace {

using Complex = std::complex<double>;

const double kPi = 3.141592653589793;

// Every form of the grammar once, and every error with where it is. Formulas
// use a = 3 and b = 4i (args in order of first use).
TEST(Formula, FormsAndErrors)
{
    struct Case {
        const char* text;
        Complex value;          // when reason is empty
        std::string reason;     // the error
        std::size_t position;   // of the error
    };
    const double x = 2.0 * kPi * 50.0 * 10e-6;  // the capacitor below, left to right
    const Case cases[] = {
        // Numbers: exponent, SI prefix rounded once with the digits.
        {"=2.2k", {2200, 0}, "", 0},
        {"=10m", {0.01, 0}, "", 0},
        {"=4.7u", {4.7e-6, 0}, "", 0},
        {"=4.7p", {4.7e-12, 0}, "", 0},
        {"=8.2M", {8.2e6, 0}, "", 0},
        {"=3.3n", {3.3e-9, 0}, "", 0},
        {"=1.5G", {1.5e9, 0}, "", 0},
        {"=2T", {2e12, 0}, "", 0},
        {"=2.5\u00b5", {2.5e-6, 0}, "", 0},
        {"=.5E+2", {50, 0}, "", 0},
        {"  =  7 ", {7, 0}, "", 0},
        // The imaginary unit after, before or alone.
        {"=1E-3j", {0, 1e-3}, "", 0},
        {"=5i", {0, 5}, "", 0},
        {"=j5", {0, 5}, "", 0},
        {"=-j5", {0, -5}, "", 0},
        {"=3kj", {0, 3000}, "", 0},
        {"=j*2", {0, 2}, "", 0},
        {"=j^2", {-1, 0}, "", 0},
        // Operators and how tightly they bind.
        {"=1+2*3", {7, 0}, "", 0},
        {"=(1+2)*3", {9, 0}, "", 0},
        {"=7-2-1", {4, 0}, "", 0},
        {"=8/2/2", {2, 0}, "", 0},
        {"=2^3^2", {512, 0}, "", 0},
        {"=-2^2", {-4, 0}, "", 0},
        {"=2^-1", {0.5, 0}, "", 0},
        {"=(1+2j)*(3-j)", {5, 5}, "", 0},
        {"=(1+3j)/(1+j)", {2, 1}, "", 0},
        {"=10||10", {5, 0}, "", 0},
        {"=1+10||10", {6, 0}, "", 0},
        {"=2*3||6", {3, 0}, "", 0},
        {"=0||5", {0, 0}, "", 0},
        // Phasors: degrees unless told, the axes exact.
        {"=10\u222090", {0, 10}, "", 0},
        {"=10<-90", {0, -10}, "", 0},
        {"=10@180", {-10, 0}, "", 0},
        {"=2*5\u222090\u00b0", {0, 10}, "", 0},
        {"=2\u2220 270 deg", {0, -2}, "", 0},
        {"=1\u22200rad", {1, 0}, "", 0},
        // Constants and functions.
        {"=pi", {kPi, 0}, "", 0},
        {"=e", {2.718281828459045, 0}, "", 0},
        {"=sqrt(-4)", {0, 2}, "", 0},
        {"=sqrt(2j)", {1, 1}, "", 0},
        {"=abs(3+4j)", {5, 0}, "", 0},
        {"=arg(-j)", {-90, 0}, "", 0},
        {"=conj(1+2j)", {1, -2}, "", 0},
        {"=re(3+4j)+im(3+4j)", {7, 0}, "", 0},
        {"=exp(0)+ln(1)+log10(1000)", {4, 0}, "", 0},
        {"=sin(0)+cos(0)+tan(0)", {1, 0}, "", 0},
        {"=ln(-1)", {0, kPi}, "", 0},
        // Parameters.
        {"=a*b+a", {3, 12}, "", 0},
        {"=1/(j*2*pi*50*10e-6)", {0, -1 / x}, "", 0},
        // Errors.
        {"=", {}, "empty formula", 1},
        {"=2pi", {}, "no implicit multiplication: write 2*pi", 2},
        {"=2 a", {}, "no implicit multiplication: write 2*a", 3},
        {"=(1)(2)", {}, "no implicit multiplication: write (1)*(", 4},
        {"=5meg", {}, "no implicit multiplication: write 5*meg", 2},
        {"=j5j", {}, "no implicit multiplication: write j5*j", 3},
        {"=(1+2", {}, "missing )", 5},
        {"=sqrt(4", {}, "missing )", 7},
        {"=3)", {}, "unexpected )", 2},
        {"=1+", {}, "unexpected end", 3},
        {"=1#", {}, "unexpected #", 2},
        {"=1*\u20ac", {}, "unexpected \u20ac", 3},
        {"=sqrt 4", {}, "sqrt needs ( )", 6},
        {"=a(2)", {}, "a is not a function", 1},
        {"=1E999", {}, "number too large", 1},
        {"=1/0", {}, "division by zero", 2},
        {"=1/(a-3)", {}, "division by zero", 2},
        {"=0^-1", {}, "division by zero", 2},
        {"=5||-5", {}, "division by zero", 2},
        {"=1E300*1E300", {}, "result is not finite", 6},
        {"=exp(1000)", {}, "result is not finite", 1},
        {"=ln(0)", {}, "result is not finite", 1},
        {"=1\u2220j", {}, "the angle is not real", 2},
        {"=1\u22205E9rad", {}, "the angle is too large", 2},
        {"=((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((("
         "((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((1",
         {},
         "too deeply nested",
         201},
    };
    // Each formula compiled afresh, and compiled into one program after
    // the other, errors between them, whose room is used again.
    CompiledFormula reused;
    for (std::size_t k = 0; k < 2 * std::size(cases); ++k) {
        const Case& c = cases[k % std::size(cases)];
        const bool reuse = k >= std::size(cases);
        SCOPED_TRACE(std::string(c.text) + (reuse ? ", compiled into the one before" : ""));
        std::variant<Complex, FormulaError> result = FormulaError{};
        std::variant<CompiledFormula, FormulaError> compiled = FormulaError{};
        if (!reuse)
            compiled = compileFormula(c.text);
        else if (std::optional<FormulaError> error = compileFormula(c.text, reused))
            compiled = *error;
        else
            compiled = reused;
        if (const auto* formula = std::get_if<CompiledFormula>(&compiled)) {
            std::vector<Complex> args;
            for (const std::string& name : formula->names())
                args.push_back(name == "a" ? Complex(3, 0) : Complex(0, 4));
            result = formula->evaluate(args);
        } else {
            result = std::get<FormulaError>(compiled);
        }
        if (c.reason.empty()) {
            ASSERT_TRUE(std::holds_alternative<Complex>(result)) << std::get<FormulaError>(result).reason;
            EXPECT_EQ(std::get<Complex>(result).real(), c.value.real());
            EXPECT_EQ(std::get<Complex>(result).imag(), c.value.imag());
        } else {
            ASSERT_TRUE(std::holds_alternative<FormulaError>(result));
            EXPECT_EQ(std::get<FormulaError>(result).reason, c.reason);
            EXPECT_EQ(std::get<FormulaError>(result).position, c.position);
        }
    }
}

TEST(Formula, NamesEachParameterOnceInOrderOfFirstUse)
{
    // A million signs: an error, not a recursion as deep.
    const auto signs = compileFormula("=" + std::string(1000000, '-') + "1");
    ASSERT_TRUE(std::holds_alternative<FormulaError>(signs));
    EXPECT_EQ(std::get<FormulaError>(signs).reason, "too deeply nested");

    const auto compiled = compileFormula("=R + j*w*L - j/(w*C) + R");
    ASSERT_TRUE(std::holds_alternative<CompiledFormula>(compiled));
    EXPECT_EQ(std::get<CompiledFormula>(compiled).names(), (std::vector<std::string>{"R", "w", "L", "C"}));
    // Compiled into a program that held other names: only its own.
    CompiledFormula into;
    ASSERT_FALSE(compileFormula("=x*y*z*R", into));
    ASSERT_FALSE(compileFormula("=R + j*w*L - j/(w*C) + R", into));
    EXPECT_EQ(into.names(), (std::vector<std::string>{"R", "w", "L", "C"}));
    EXPECT_TRUE(isFormula(" \t=1"));
    EXPECT_FALSE(isFormula("1=1"));
}

TEST(Parameters, DependencyOrderCyclesAndUnknownNames)
{
    const std::vector<Parameter> table{
        {"XL", "w*L"},  {"w", "2*pi*f"}, {"f", "50"},   {"L", "10m"}, {"a", "b+1"}, {"b", "c*a"},
        {"c", "2"},     {"x", "y+1"},    {"z", "x*2"},  {"pi", "3"},  {"f", "60"},  {"d", "1/(c-2)"},
    };
    const ParameterValues v = evaluateParameters(table);
    const std::vector<std::string> errors{"",
                                          "",
                                          "",
                                          "",
                                          "cycle: a, b",
                                          "cycle: a, b",
                                          "",
                                          "unknown name y",
                                          "uses x, which has an error",
                                          "pi is a constant",
                                          "f is named twice",
                                          "at 1: division by zero"};
    EXPECT_EQ(v.errors, errors);
    EXPECT_EQ(v.find("w"), Complex(2 * kPi * 50, 0));
    EXPECT_EQ(v.find("XL"), Complex(2 * kPi * 50 * 0.01, 0));
    EXPECT_EQ(v.find("f"), Complex(50, 0));
    EXPECT_FALSE(v.find("a"));
    EXPECT_FALSE(v.find("nothing"));
    EXPECT_TRUE(std::isnan(v.values[4].real()));

    // A sweep's point: f replaced, what depends on it follows.
    const ParameterValues swept = evaluateParameters(table, "f", Complex(60, 0));
    EXPECT_EQ(swept.find("w"), Complex(2 * kPi * 60, 0));
    EXPECT_EQ(swept.find("XL"), Complex(2 * kPi * 60 * 0.01, 0));
}

TEST(Parameters, NameProblems)
{
    const std::pair<const char*, const char*> cases[] = {
        {"R1", ""},
        {"w_0", ""},
        {"m", ""},
        {"1R", "a name starts with a letter and holds only letters, digits and _"},
        {"", "a name starts with a letter and holds only letters, digits and _"},
        {"a-b", "a name starts with a letter and holds only letters, digits and _"},
        {"j", "j is the imaginary unit"},
        {"e", "e is a constant"},
        {"sqrt", "sqrt is a function"},
        {"j5", "j5 is read as 5j"},
    };
    for (const auto& [name, problem] : cases)
        EXPECT_EQ(parameterNameProblem(name), problem) << name;
}

TEST(EngineeringNumber, ReadsOnlyWhatTheReadingRefuses)
{
    struct Case {
        const char* text;
        std::optional<Complex> value;
    };
    const Case cases[] = {
        {"2.2k", Complex(2200, 0)},
        {"10m", Complex(0.01, 0)},
        {"-4.7u", Complex(-4.7e-6, 0)},
        {"1k-j5", Complex(1000, -5)},
        {"1k - 5j", std::nullopt},
        {"3+4i ", std::nullopt},
        {"j5k+3", Complex(3, 5000)},
        {"1E-3j", Complex(0, 1e-3)},
        {"2+j", Complex(2, 1)},
        {"5<90", Complex(0, 5)},
        {"5 \u2220 -90\u00b0", Complex(0, -5)},
        {"1k@180d", Complex(-1000, 0)},
        {"3+4", std::nullopt},
        {"3j+4j", std::nullopt},
        {"abc", std::nullopt},
        {"2pi", std::nullopt},
        {"=2", std::nullopt},
        {"2.2 k", std::nullopt},
        {"-5<90", std::nullopt},
        {"1E400", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(readEngineeringNumber(c.text), c.value) << c.text;
}

TEST(UnitBeforeNumber, FlagsAcceptedCellsOnly)
{
    const std::pair<const char*, bool> cases[] = {
        {"j5", true},  {"-j5", true}, {"+i3", true}, {"3+j4", true},
        {"5j", false}, {"3+4i", false}, {"j", false}, {"=j5", false}, {"ij5x", false}, {"2+1E-3j5", false},
    };
    for (const auto& [cell, flagged] : cases)
        EXPECT_EQ(unitBeforeNumber(cell), flagged) << cell;
}

// Rows as typed, split as the window splits them.
struct Split {
    PartMatrix coefRe, coefIm;
    PartVector constRe, constIm;
    explicit Split(const std::vector<std::vector<std::string>>& rows)
    {
        const std::size_t n = rows.size();
        coefRe.assign(n, PartVector(n, PartValue::fromInteger(0)));
        coefIm = coefRe;
        constRe.assign(n, PartValue::fromInteger(0));
        constIm = constRe;
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t j = 0; j < n; ++j) {
                CellParts p = partcell(rows[i][j]);
                coefRe[i][j] = p.re;
                coefIm[i][j] = p.im;
            }
            CellParts p = partcell(rows[i][n]);
            constRe[i] = p.re;
            constIm[i] = p.im;
        }
    }
};

TEST(CellFallback, FormulasAndEngineeringNumbersInRefusedCellsOnly)
{
    const std::vector<std::vector<std::string>> rows{
        {"=2*a", "j5", "3+4", "=a"},
        {"=1/0", "2.2k", "=q", "1E-3j"},
        {"0", "0", "=a\u22200", "=(1"},
    };
    const ParameterValues parameters = evaluateParameters({{"a", "3"}});
    Split s(rows);
    const std::vector<CellProblem> problems
        = applyFallbacks(rows, parameters, s.coefRe, s.coefIm, s.constRe, s.constIm);
    EXPECT_EQ(s.coefRe[0][0], PartValue::fromNumber(6));
    EXPECT_EQ(s.coefIm[0][0], PartValue::fromNumber(0));
    EXPECT_EQ(s.coefRe[1][1], PartValue::fromNumber(2200));
    EXPECT_EQ(s.constIm[1], PartValue::fromNumber(1e-3));
    EXPECT_EQ(s.constRe[0], PartValue::fromNumber(3));
    EXPECT_EQ(s.coefRe[2][2], PartValue::fromNumber(3));
    // Accepted by the defined reading: untouched ("j5" is 5+1i there).
    EXPECT_EQ(s.coefRe[0][1], partcell("j5").re);
    EXPECT_EQ(s.coefIm[0][1], partcell("j5").im);
    // Refused and neither a formula nor an engineering number: left as is.
    EXPECT_EQ(s.coefRe[0][2], partcell("3+4").re);
    EXPECT_EQ(s.coefRe[1][0], partcell("=1/0").re);

    std::vector<std::string> described;
    for (const CellProblem& p : problems)
        described.push_back(describeCellProblem(p, 3));
    EXPECT_EQ(described, (std::vector<std::string>{"EQ.2, X1: division by zero", "EQ.2, X3: unknown name q",
                                                   "C 3: missing )"}));

    // The Number parts are what the solver reads: 6x = 3 gives 0.5.
    const std::vector<std::vector<std::string>> one{{"=2*a", "=a"}};
    Split t(one);
    EXPECT_TRUE(applyFallbacks(one, parameters, t.coefRe, t.coefIm, t.constRe, t.constIm).empty());
    const SolveResult r = solve(t.coefRe, t.coefIm, t.constRe, t.constIm);
    ASSERT_EQ(r.outcome, SolveOutcome::Solved);
    EXPECT_EQ(r.re[0], 0.5);
    EXPECT_EQ(r.im[0], 0.0);
}

TEST(CompiledSystem, ReevaluatesTheCellsThatDependOnTheSweptParameter)
{
    const std::vector<std::vector<std::string>> rows{
        {"=w*L", "=1/(f-60)", "=f"},
        {"2.2k", "5", "=a"},
    };
    const std::vector<Parameter> parameters{{"f", "50"}, {"w", "2*f"}, {"L", "3"}};
    const CompiledSystem system = CompiledSystem::compile(rows, parameters);
    EXPECT_TRUE(system.hasParameter("w"));
    EXPECT_FALSE(system.hasParameter("a"));

    const CompiledSystem::Parts at60 = system.evaluate("f", Complex(60, 0));
    EXPECT_EQ(at60.coefRe[0][0], PartValue::fromNumber(360));
    EXPECT_EQ(at60.constRe[0], PartValue::fromNumber(60));
    EXPECT_EQ(at60.coefRe[1][0], PartValue::fromNumber(2200));
    EXPECT_EQ(at60.coefRe[1][1], partcell("5").re);
    ASSERT_EQ(at60.problems.size(), 2u);
    EXPECT_EQ(describeCellProblem(at60.problems[0], 2), "EQ.1, X2: division by zero");
    EXPECT_EQ(describeCellProblem(at60.problems[1], 2), "C 2: unknown name a");

    const CompiledSystem::Parts at70 = system.evaluate("f", Complex(70, 0));
    EXPECT_EQ(at70.coefRe[0][1], PartValue::fromNumber(0.1));
    EXPECT_EQ(at70.coefRe[0][0], PartValue::fromNumber(420));
    EXPECT_EQ(at70.problems.size(), 1u);
    // Only L changes: f's cells keep their compile-time values.
    const CompiledSystem::Parts withL = system.evaluate("L", Complex(0, 1));
    EXPECT_EQ(withL.coefIm[0][0], PartValue::fromNumber(100));
    EXPECT_EQ(withL.coefRe[0][1], PartValue::fromNumber(-0.1));
}

}  // namespace
}  // namespace kalvor
