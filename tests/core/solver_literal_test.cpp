// The solver against the plain, literal elimination of tests/support on
// random systems: it must agree in outcome and, when solved, in every value
// (==, so up to the sign of a zero), on every kernel path, thread count and
// block size.
#include <gtest/gtest.h>

#include <charconv>
#include <cstdio>
#include <cmath>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/core.h"
#include "core/solverpaths.h"
#include "tests/support/literalelimination.h"

namespace {

using kalvor::PartMatrix;
using kalvor::PartValue;
using kalvor::PartVector;
using kalvor::SolveOutcome;
using kalvor::SolveResult;
using kalvor::SolverOptions;
using kalvor::SolverPath;
using kalvor::literal::Ending;

// ---- random systems ------------------------------------------------------

std::string shortest(double x)
{
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, x).ptr;
    return std::string(buffer, end);
}

enum class Kind { Moderate, Wide, Scaled, Sparse, Singular, NonNumber, Small, Overflowing, LargeSolution };

struct Generator {
    std::mt19937_64 random;
    Kind kind = Kind::Moderate;
    int scale = 0;  // binary exponent shared by a Scaled system

    double uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); }
    int integer(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); }
    bool chance(double p) { return uniform(0, 1) < p; }

    double magnitude()
    {
        switch (kind) {
        case Kind::Wide:
            return std::ldexp(uniform(1, 2), integer(-1074, 1000));
        case Kind::Scaled:
            return std::ldexp(uniform(1, 2), scale + integer(-8, 8));
        case Kind::LargeSolution:
            // Coefficients at most 1, so the unknowns come out near the
            // top of the range or beyond it.
            return std::ldexp(uniform(1, 2), integer(-8, -2));
        case Kind::Overflowing:
            return chance(0.1) ? std::ldexp(uniform(1, 2), integer(500, 1020)) : uniform(0.5, 4);
        default:
            return std::ldexp(uniform(1, 2), integer(-6, 6));
        }
    }

    // A part holding a zero in one of its spellings, or an Integer.
    PartValue zero()
    {
        static const char* const texts[] = {"0", "0.0", " -0 ", "+0", "0e5", "0.000"};
        if (chance(0.4))
            return PartValue::fromInteger(0);
        return PartValue::fromText(texts[integer(0, 5)]);
    }

    PartValue part()
    {
        const double zeros = kind == Kind::Sparse ? 0.7 : 0.08;
        if (chance(zeros))
            return zero();
        if (kind == Kind::Small || chance(0.08)) {
            const int v = integer(-1, 1);
            if (chance(0.5))
                return PartValue::fromInteger(v);
            static const char* const texts[] = {"-1", "+1", "1", "2", "- 3", "0.5", " 4 "};
            return PartValue::fromText(texts[integer(0, 6)]);
        }
        const double x = (chance(0.5) ? -1 : 1) * magnitude();
        std::string text = shortest(x);
        if (chance(0.1))
            text = " " + text + "\t";
        return PartValue::fromText(text);
    }
};

struct System {
    PartMatrix coefRe, coefIm;
    PartVector constRe, constIm;
    std::string label;
};

// N x N coefficient parts and N constant parts, each drawn from g.
System randomParts(Generator& g, std::size_t N)
{
    System s;
    s.coefRe.assign(N, PartVector());
    s.coefIm.assign(N, PartVector());
    for (std::size_t i = 0; i < N; ++i) {
        for (std::size_t j = 0; j < N; ++j) {
            s.coefRe[i].push_back(g.part());
            s.coefIm[i].push_back(g.part());
        }
        s.constRe.push_back(g.part());
        s.constIm.push_back(g.part());
    }
    return s;
}

System randomSystem(std::uint64_t seed)
{
    Generator g{std::mt19937_64(seed)};
    g.kind = static_cast<Kind>(g.integer(0, 8));
    g.scale = g.integer(-1000, 1000);
    // Mostly small systems, some up to 60 unknowns.
    const std::size_t N = g.chance(0.7) ? g.integer(1, 12) : g.integer(13, 60);
    System s = randomParts(g, N);
    if (g.kind == Kind::LargeSolution) {
        // Nearly diagonal and real, so the elimination leaves the huge
        // constants alone and the overflow comes in the back substitution
        // or the final quotients.
        for (std::size_t i = 0; i < N; ++i) {
            for (std::size_t j = 0; j < N; ++j) {
                s.coefIm[i][j] = g.zero();
                if (i != j && g.chance(0.85))
                    s.coefRe[i][j] = g.zero();
            }
            s.constRe[i] = PartValue::fromText(shortest(std::ldexp(g.uniform(-2, 2), g.integer(1016, 1022))));
            s.constIm[i] = PartValue::fromText(shortest(std::ldexp(g.uniform(-2, 2), g.integer(1016, 1022))));
        }
    }
    if (g.kind == Kind::Singular && N >= 2) {
        // A copy of a row, or a row scaled by an exact power of two.
        const std::size_t from = g.integer(0, int(N) - 1), to = (from + 1 + g.integer(0, int(N) - 2)) % N;
        for (std::size_t j = 0; j < N; ++j) {
            s.coefRe[to][j] = s.coefRe[from][j];
            s.coefIm[to][j] = s.coefIm[from][j];
            if (g.chance(0.5)) {
                for (PartValue* p : {&s.coefRe[to][j], &s.coefIm[to][j]})
                    if (const auto v = kalvor::readNumber(*p))
                        *p = PartValue::fromText(shortest(*v * 2));
            }
        }
    }
    if (g.kind == Kind::NonNumber) {
        static const char* const bad[] = {"abc", "1e", "", "1,5", "inf", "--1", "1e400", "0x10", "nan"};
        const PartValue junk = PartValue::fromText(bad[g.integer(0, 8)]);
        const std::size_t i = g.integer(0, int(N) - 1), j = g.integer(0, int(N) - 1);
        switch (g.integer(0, 4)) {
        case 0:
            s.coefIm[i][j] = junk;
            break;
        case 1:
            // In the first column, sometimes below zeros so the first pivot
            // search meets it, sometimes below a non-zero value.
            for (std::size_t r = 0; r < i; ++r)
                if (g.chance(0.7))
                    s.coefRe[r][0] = g.zero();
            s.coefRe[i][0] = junk;
            break;
        case 2:
            s.coefRe[i][j] = junk;
            break;
        case 3:
            s.constRe[i] = junk;
            break;
        default:
            s.constIm[i] = junk;
            break;
        }
        if (g.chance(0.3))
            for (std::size_t r = 0; r < N; ++r)
                if (r != i || j != 0) {
                    s.coefRe[r][0] = g.zero();
                    s.coefIm[r][0] = g.zero();
                }
    }
    static const char* const names[]
        = {"moderate", "wide", "scaled", "sparse", "singular", "non-number", "small", "overflowing", "large-solution"};
    s.label
        = std::string(names[static_cast<int>(g.kind)]) + " N=" + std::to_string(N) + " seed=" + std::to_string(seed);
    return s;
}

std::string describe(const SolveResult& r)
{
    switch (r.outcome) {
    case SolveOutcome::Solved:
        return "Solved";
    case SolveOutcome::NoUniqueSolution:
        return "NoUniqueSolution";
    case SolveOutcome::DataError:
        return "DataError";
    }
    return "?";
}

void expectSame(const SolveResult& expected, const SolveResult& actual, const std::string& what)
{
    ASSERT_EQ(describe(expected), describe(actual)) << what;
    ASSERT_EQ(expected.re.size(), actual.re.size()) << what;
    ASSERT_EQ(expected.im.size(), actual.im.size()) << what;
    for (std::size_t k = 0; k < expected.re.size(); ++k) {
        // == on doubles: equal values, either sign of zero.
        ASSERT_TRUE(expected.re[k] == actual.re[k])
            << what << " re[" << k << "] " << shortest(expected.re[k]) << " vs " << shortest(actual.re[k]);
        ASSERT_TRUE(expected.im[k] == actual.im[k])
            << what << " im[" << k << "] " << shortest(expected.im[k]) << " vs " << shortest(actual.im[k]);
    }
}

struct Configuration {
    unsigned threads;
    std::size_t blockSize, panelBlockSize;
};

const Configuration configurations[]
    = {{1, 1, 1}, {2, 1, 1}, {1, 5, 2}, {2, 5, 2}, {1, 64, 8}, {2, 64, 8}, {2, 12, 12}};

const char* pathName(SolverPath p)
{
    return p == SolverPath::Portable ? "portable" : p == SolverPath::Avx2 ? "avx2" : "avx512";
}

class SolverAgainstLiteral : public testing::TestWithParam<SolverPath> {};

TEST_P(SolverAgainstLiteral, AgreesBitForBitOnRandomSystems)
{
    const SolverPath path = GetParam();
    if (!kalvor::solverPathAvailable(path))
        GTEST_SKIP() << pathName(path) << " not supported by this processor";
    std::map<Ending, int> endings;
    constexpr int Systems = 1000;
    for (int seed = 1; seed <= Systems; ++seed) {
        const System s = randomSystem(seed);
        const kalvor::literal::Result expected = kalvor::literal::solve(s.coefRe, s.coefIm, s.constRe, s.constIm);
        ++endings[expected.ending];
        for (const Configuration& c : configurations) {
            SolverOptions options;
            options.path = path;
            options.threads = c.threads;
            options.blockSize = c.blockSize;
            options.panelBlockSize = c.panelBlockSize;
            options.minParallelWork = 0;  // start the second thread even for tiny blocks
            const SolveResult actual = kalvor::solveWithOptions(s.coefRe, s.coefIm, s.constRe, s.constIm, options);
            expectSame(expected.result, actual,
                       s.label + " path=" + pathName(path) + " threads=" + std::to_string(c.threads)
                           + " block=" + std::to_string(c.blockSize) + " panel=" + std::to_string(c.panelBlockSize));
            if (HasFatalFailure())
                return;
        }
    }
    // The random systems must reach every way a run can end, or the
    // comparison above proves less than it seems to.
    for (const auto& [e, count] : endings)
        std::printf("ending %d: %d systems\n", static_cast<int>(e), count);
    for (Ending e : {Ending::Solved, Ending::NoPivotFirstColumn, Ending::NoPivotLater, Ending::NotANumber,
                     Ending::OverflowInElimination, Ending::OverflowAfter})
        EXPECT_GE(endings[e], 10) << "ending " << static_cast<int>(e) << " reached too rarely";
}

INSTANTIATE_TEST_SUITE_P(EveryPath, SolverAgainstLiteral,
                         testing::Values(SolverPath::Portable, SolverPath::Avx2, SolverPath::Avx512),
                         [](const testing::TestParamInfo<SolverPath>& info) {
                             return std::string(pathName(info.param));
                         });

}  // namespace

namespace {

// From 64 unknowns on the parts are read by two threads, each taking half
// of the equations. Which failure wins must not depend on that: non-numbers
// are placed in either half, or both, around a zero first column.
TEST(SolverReadOnTwoThreads, NonNumbersInEitherHalfEndAsTheLiteralRun)
{
    constexpr std::size_t N = 80, firstHalf = 10, secondHalf = 60;
    const PartValue junk = PartValue::fromText("abc");
    struct Case {
        const char* name;
        bool zeroFirstColumn;                                             // every part of column 1 zero...
        std::size_t pivotRow;                                             // ...but this row's real part, if below N
        std::vector<std::pair<std::size_t, std::size_t>> junkRe, junkIm;  // (equation, unknown)
        std::vector<std::size_t> junkConst;
        SolveOutcome expected;
    };
    const Case cases[] = {
        {"no pivot wins over a later non-number in the second half",
         true,
         N,
         {{secondHalf, 5}},
         {},
         {},
         SolveOutcome::NoUniqueSolution},
        {"no pivot wins over a non-number constant in the first half",
         true,
         N,
         {},
         {},
         {firstHalf},
         SolveOutcome::NoUniqueSolution},
        {"first-column non-number in the second half met before a pivot",
         true,
         N,
         {{secondHalf, 0}},
         {},
         {},
         SolveOutcome::DataError},
        {"imaginary non-number in the second half beats no pivot",
         true,
         N,
         {},
         {{secondHalf, 7}},
         {},
         SolveOutcome::DataError},
        {"imaginary non-number in the first half", false, N, {}, {{firstHalf, 3}}, {}, SolveOutcome::DataError},
        {"pivot in the second half, non-number in the first",
         true,
         secondHalf,
         {{firstHalf, 4}},
         {},
         {},
         SolveOutcome::DataError},
        {"pivot in the first half, non-number constant in the second",
         true,
         firstHalf,
         {},
         {},
         {secondHalf},
         SolveOutcome::DataError},
        {"first-column non-number after the pivot",
         true,
         firstHalf,
         {{secondHalf, 0}},
         {},
         {},
         SolveOutcome::DataError},
        {"non-numbers in both halves",
         false,
         N,
         {{firstHalf, 1}, {secondHalf, 2}},
         {{secondHalf, 9}},
         {firstHalf},
         SolveOutcome::DataError},
        {"every part a number", false, N, {}, {}, {}, SolveOutcome::Solved},
    };
    for (const Case& c : cases) {
        Generator g{std::mt19937_64(N)};
        System s = randomParts(g, N);
        if (c.zeroFirstColumn)
            for (std::size_t i = 0; i < N; ++i) {
                s.coefRe[i][0] = i == c.pivotRow ? PartValue::fromText("2.5") : g.zero();
                s.coefIm[i][0] = g.zero();
            }
        for (const auto& [i, j] : c.junkRe)
            s.coefRe[i][j] = junk;
        for (const auto& [i, j] : c.junkIm)
            s.coefIm[i][j] = junk;
        for (std::size_t i : c.junkConst)
            s.constRe[i] = junk;

        const kalvor::literal::Result expected = kalvor::literal::solve(s.coefRe, s.coefIm, s.constRe, s.constIm);
        ASSERT_EQ(describe(expected.result), describe(SolveResult{c.expected, {}, {}})) << c.name;
        for (const SolverPath path : {SolverPath::Portable, SolverPath::Avx2, SolverPath::Avx512}) {
            if (!kalvor::solverPathAvailable(path))
                continue;
            for (unsigned threads : {1u, 2u}) {
                SolverOptions options;
                options.path = path;
                options.threads = threads;
                const SolveResult actual = kalvor::solveWithOptions(s.coefRe, s.coefIm, s.constRe, s.constIm, options);
                expectSame(expected.result, actual,
                           std::string(c.name) + " path=" + pathName(path) + " threads=" + std::to_string(threads));
                if (HasFatalFailure())
                    return;
            }
        }
    }
}

}  // namespace
