// Worked cases of the solver: known answers, which outcome wins when several
// could apply, and the shapes it refuses. Every case runs on every kernel
// path this processor has, one and two threads.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <complex>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/core.h"
#include "core/solverpaths.h"

namespace {

using kalvor::PartMatrix;
using kalvor::PartValue;
using kalvor::PartVector;
using kalvor::SolveOutcome;
using kalvor::SolveResult;
using kalvor::SolverOptions;
using kalvor::SolverPath;

// A part written as in the tables below: "#0", "#1", "#-1" are Integer parts
// (what the parser makes of a missing part or a bare i), anything else a Text.
PartValue part(const std::string& s)
{
    if (s == "#0")
        return PartValue::fromInteger(0);
    if (s == "#1")
        return PartValue::fromInteger(1);
    if (s == "#-1")
        return PartValue::fromInteger(-1);
    return PartValue::fromText(s);
}

struct Cell {
    std::string re, im;
};

struct Case {
    const char* name;
    std::vector<std::vector<Cell>> coefficients;  // [equation][unknown]
    std::vector<Cell> constants;
    SolveOutcome outcome;
    std::vector<double> re, im;  // expected when solved
    double relativeTolerance;    // 0: exactly equal
};

struct Tables {
    PartMatrix coefRe, coefIm;
    PartVector constRe, constIm;
};

Tables tablesOf(const Case& c)
{
    Tables t;
    for (const auto& row : c.coefficients) {
        t.coefRe.emplace_back();
        t.coefIm.emplace_back();
        for (const Cell& cell : row) {
            t.coefRe.back().push_back(part(cell.re));
            t.coefIm.back().push_back(part(cell.im));
        }
    }
    for (const Cell& cell : c.constants) {
        t.constRe.push_back(part(cell.re));
        t.constIm.push_back(part(cell.im));
    }
    return t;
}

std::vector<SolverOptions> everyAvailableOption()
{
    std::vector<SolverOptions> all;
    for (SolverPath path : {SolverPath::Portable, SolverPath::Avx2, SolverPath::Avx512}) {
        if (!kalvor::solverPathAvailable(path))
            continue;
        for (unsigned threads : {1u, 2u}) {
            SolverOptions o;
            o.path = path;
            o.threads = threads;
            o.minParallelWork = 0;
            all.push_back(o);
        }
    }
    return all;
}

const char* outcomeName(SolveOutcome o)
{
    return o == SolveOutcome::Solved          ? "Solved"
        : o == SolveOutcome::NoUniqueSolution ? "NoUniqueSolution"
                                              : "DataError";
}

void expectValues(const std::vector<double>& expected, const std::vector<double>& actual, double tolerance,
                  const std::string& what)
{
    ASSERT_EQ(expected.size(), actual.size()) << what;
    for (std::size_t k = 0; k < expected.size(); ++k) {
        if (tolerance == 0)
            EXPECT_EQ(expected[k], actual[k]) << what << " [" << k << "]";
        else
            EXPECT_NEAR(expected[k], actual[k], tolerance * std::fabs(expected[k])) << what << " [" << k << "]";
    }
}

class SolverCase : public testing::TestWithParam<Case> {};

TEST_P(SolverCase, GivesTheExpectedOutcome)
{
    const Case& c = GetParam();
    const Tables t = tablesOf(c);
    const std::vector<SolverOptions> options = everyAvailableOption();
    for (const SolverOptions& o : options) {
        const std::string what = std::string(c.name) + " path " + std::to_string(static_cast<int>(o.path)) + " threads "
            + std::to_string(o.threads);
        const SolveResult r = kalvor::solveWithOptions(t.coefRe, t.coefIm, t.constRe, t.constIm, o);
        ASSERT_STREQ(outcomeName(c.outcome), outcomeName(r.outcome)) << what;
        if (c.outcome == SolveOutcome::Solved) {
            expectValues(c.re, r.re, c.relativeTolerance, what + " re");
            expectValues(c.im, r.im, c.relativeTolerance, what + " im");
        } else {
            EXPECT_TRUE(r.re.empty() && r.im.empty()) << what << ": a failure carries no result";
        }
    }
    // The public entry point gives the same as the explicit options.
    const SolveResult pub = kalvor::solve(t.coefRe, t.coefIm, t.constRe, t.constIm);
    EXPECT_STREQ(outcomeName(c.outcome), outcomeName(pub.outcome)) << c.name;
    // Asked for the numbers it read, it gives the same results and, when
    // solved, every part as readNumber reads it; otherwise nothing.
    kalvor::NumericSystem read{7, {1.0}, {2.0}};
    const SolveResult withRead = kalvor::solve(t.coefRe, t.coefIm, t.constRe, t.constIm, &read);
    EXPECT_STREQ(outcomeName(pub.outcome), outcomeName(withRead.outcome)) << c.name;
    EXPECT_EQ(pub.re, withRead.re) << c.name;
    EXPECT_EQ(pub.im, withRead.im) << c.name;
    if (pub.outcome != SolveOutcome::Solved) {
        EXPECT_TRUE(read.n == 0 && read.a.empty() && read.b.empty()) << c.name;
        return;
    }
    const std::size_t n = t.constRe.size();
    ASSERT_EQ(read.n, n) << c.name;
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j)
            EXPECT_EQ(read.a[i * n + j],
                      std::complex<double>(*kalvor::readNumber(t.coefRe[i][j]), *kalvor::readNumber(t.coefIm[i][j])))
                << c.name << " a[" << i << "][" << j << "]";
        EXPECT_EQ(read.b[i], std::complex<double>(*kalvor::readNumber(t.constRe[i]), *kalvor::readNumber(t.constIm[i])))
            << c.name << " b[" << i << "]";
    }
}

std::string caseName(const testing::TestParamInfo<Case>& info)
{
    std::string name;
    for (const char* c = info.param.name; *c; ++c)
        name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return name;
}

const Case workedCases[] = {
    {"coefficient 2, constant 4+2i", {{{"2", "#0"}}}, {{"4", "2"}}, SolveOutcome::Solved, {2}, {1}, 0},
    {"coefficient 2i needs a row exchange", {{{"#0", "2"}}}, {{"4", "#0"}}, SolveOutcome::Solved, {0}, {-2}, 0},
    {"a pivot typed as -0 counts as zero", {{{"-0", "2"}}}, {{"4", "#0"}}, SolveOutcome::Solved, {0}, {-2}, 0},
    {"two complex equations",
     {{{"1", "#1"}, {"1", "#0"}}, {{"1", "#0"}, {"-1", "#1"}}},
     {{"2", "3"}, {"#0", "#1"}},
     SolveOutcome::Solved,
     {5.0 / 3, 1},
     {2.0 / 3, 2.0 / 3},
     1e-15},
    {"coefficient 0", {{{"#0", "#0"}}}, {{"7", "1"}}, SolveOutcome::NoUniqueSolution, {}, {}, 0},
    {"coefficient typed 0.0 and 0", {{{"0.0", "0"}}}, {{"7", "1"}}, SolveOutcome::NoUniqueSolution, {}, {}, 0},
    {"rows 1 2 and 2 4",
     {{{"1", "#0"}, {"2", "#0"}}, {{"2", "#0"}, {"4", "#0"}}},
     {{"1", "#0"}, {"5", "#0"}},
     SolveOutcome::NoUniqueSolution,
     {},
     {},
     0},
    {"0.1 0.3 0.3 0.9 is solved through rounding",
     {{{"0.1", "#0"}, {"0.3", "#0"}}, {{"0.3", "#0"}, {"0.9", "#0"}}},
     {{"1", "#0"}, {"2", "#0"}},
     SolveOutcome::Solved,
     {2.7022e16, -9.0072e15},
     {0, 0},
     1e-4},
    {"abc in a coefficient",
     {{{"5", "#0"}, {"1", "#0"}}, {{"1", "#0"}, {"abc", "#0"}}},
     {{"1", "#0"}, {"1", "#0"}},
     SolveOutcome::DataError,
     {},
     {},
     0},
    {"1E200 everywhere",
     {{{"1E200", "#0"}, {"1E200", "#0"}}, {{"1E200", "#0"}, {"1E200", "#0"}}},
     {{"1", "#0"}, {"1", "#0"}},
     SolveOutcome::DataError,
     {},
     {},
     0},
    // An infinity must never be absorbed: 1 + 1e200 * 1e200 / 1 overflows.
    {"coefficient 1+1e200i, constant 0", {{{"1", "1e200"}}}, {{"#0", "#0"}}, SolveOutcome::DataError, {}, {}, 0},
    {"subnormal coefficient", {{{"1e-320", "#0"}}}, {{"1e-320", "#0"}}, SolveOutcome::Solved, {1}, {0}, 0},
    {"the unknown beyond the double range", {{{"1e-300", "#0"}}}, {{"1e10", "#0"}}, SolveOutcome::DataError, {}, {}, 0},
    {"a constant that is not a number", {{{"2", "#0"}}}, {{"4x", "#0"}}, SolveOutcome::DataError, {}, {}, 0},
};

INSTANTIATE_TEST_SUITE_P(Worked, SolverCase, testing::ValuesIn(workedCases), caseName);

// Which failure wins when a non-number and a missing pivot both apply.
const Case orderCases[] = {
    // The imaginary parts are read while the system is built, before any
    // pivot search.
    {"imaginary non-number beats an all-zero first column",
     {{{"#0", "#0"}, {"1", "x"}}, {{"#0", "#0"}, {"1", "#0"}}},
     {{"1", "#0"}, {"1", "#0"}},
     SolveOutcome::DataError,
     {},
     {},
     0},
    {"first pivot search meets a non-number first",
     {{{"abc", "#0"}, {"1", "#0"}}, {{"1", "#0"}, {"1", "#0"}}},
     {{"1", "#0"}, {"1", "#0"}},
     SolveOutcome::DataError,
     {},
     {},
     0},
    {"first pivot search meets a non-number after a zero",
     {{{"0", "#0"}, {"1", "#0"}}, {{"1,5", "#0"}, {"1", "#0"}}},
     {{"1", "#0"}, {"1", "#0"}},
     SolveOutcome::DataError,
     {},
     {},
     0},
    {"non-number in the first column below the pivot is read by the first update",
     {{{"1", "#0"}, {"1", "#0"}}, {{"1e", "#0"}, {"1", "#0"}}},
     {{"1", "#0"}, {"1", "#0"}},
     SolveOutcome::DataError,
     {},
     {},
     0},
    {"all-zero first column beats a non-number real part elsewhere",
     {{{"#0", "#0"}, {"abc", "#0"}}, {{"0", "#0"}, {"1", "#0"}}},
     {{"1", "#0"}, {"1", "#0"}},
     SolveOutcome::NoUniqueSolution,
     {},
     {},
     0},
    {"all-zero first column beats a non-number constant",
     {{{"#0", "#0"}, {"1", "#0"}}, {{"#0", "#0"}, {"1", "#0"}}},
     {{"abc", "#0"}, {"1", "def"}},
     SolveOutcome::NoUniqueSolution,
     {},
     {},
     0},
    {"a later missing pivot never hides a non-number",
     {{{"1", "#0"}, {"2", "#0"}}, {{"2", "#0"}, {"4", "#0"}}},
     {{"1", "#0"}, {"?", "#0"}},
     SolveOutcome::DataError,
     {},
     {},
     0},
};

INSTANTIATE_TEST_SUITE_P(Order, SolverCase, testing::ValuesIn(orderCases), caseName);

// ---- shapes --------------------------------------------------------------

Tables squareTables(std::size_t n)
{
    Tables t;
    t.coefRe.assign(n, PartVector(n, PartValue::fromInteger(1)));
    t.coefIm.assign(n, PartVector(n, PartValue::fromInteger(0)));
    t.constRe.assign(n, PartValue::fromInteger(1));
    t.constIm.assign(n, PartValue::fromInteger(0));
    return t;
}

struct ShapeCase {
    const char* name;
    void (*spoil)(Tables&);
};

const ShapeCase shapeCases[] = {
    {"no unknowns", [](Tables& t) { t = squareTables(0); }},
    {"501 unknowns", [](Tables& t) { t = squareTables(501); }},
    {"real table one row short", [](Tables& t) { t.coefRe.pop_back(); }},
    {"imaginary table one row long", [](Tables& t) { t.coefIm.push_back(t.coefIm.back()); }},
    {"a real row one entry short", [](Tables& t) { t.coefRe[1].pop_back(); }},
    {"an imaginary row one entry long", [](Tables& t) { t.coefIm[2].push_back(PartValue::fromInteger(0)); }},
    {"imaginary constants one short", [](Tables& t) { t.constIm.pop_back(); }},
};

TEST(SolverShapes, RefusesTablesThatAreNotNByN)
{
    for (const ShapeCase& c : shapeCases) {
        Tables t = squareTables(3);
        c.spoil(t);
        EXPECT_THROW(kalvor::solve(t.coefRe, t.coefIm, t.constRe, t.constIm), std::invalid_argument) << c.name;
    }
}

TEST(SolverShapes, AcceptsOneAndFiveHundredUnknowns)
{
    for (std::size_t n : {std::size_t{1}, std::size_t{500}}) {
        Tables t = squareTables(n);
        // The identity matrix with constants 1: every unknown is 1.
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = 0; j < n; ++j)
                t.coefRe[i][j] = PartValue::fromInteger(i == j ? 1 : 0);
        const SolveResult r = kalvor::solve(t.coefRe, t.coefIm, t.constRe, t.constIm);
        ASSERT_EQ(r.outcome, SolveOutcome::Solved) << n;
        EXPECT_EQ(r.re, std::vector<double>(n, 1.0)) << n;
        EXPECT_EQ(r.im, std::vector<double>(n, 0.0)) << n;
    }
}

}  // namespace
