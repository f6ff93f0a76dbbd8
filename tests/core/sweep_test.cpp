// Sweeps: the values of the swept parameter, the points run side by side
// and handed over in order, failed points, cancel, and the table's text.
#include <atomic>
#include <cmath>
#include <complex>
#include <functional>
#include <memory>
#include <numbers>
#include <optional>
#include <utility>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/core.h"

namespace kalvor {
namespace {

PartValue part(double value)
{
    return PartValue::fromText(shortestText(value));
}

// An N x N system with every part given as a number text.
SweepParts numericParts(const std::vector<std::vector<std::complex<double>>>& a,
                        const std::vector<std::complex<double>>& b)
{
    const std::size_t n = b.size();
    SweepParts p{PartMatrix(n, PartVector(n, PartValue::fromInteger(0))),
                 PartMatrix(n, PartVector(n, PartValue::fromInteger(0))),
                 PartVector(n, PartValue::fromInteger(0)),
                 PartVector(n, PartValue::fromInteger(0)),
                 {}};
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            p.coefRe[i][j] = part(a[i][j].real());
            p.coefIm[i][j] = part(a[i][j].imag());
        }
        p.constRe[i] = part(b[i].real());
        p.constIm[i] = part(b[i].imag());
    }
    return p;
}

// A SweepPartsAt that makes its tables afresh at every point.
SweepPartsAt fresh(std::function<SweepParts(double)> make)
{
    return [make = std::move(make)](double value, SweepParts& parts) { parts = make(value); };
}

TEST(SweepValues, SpaceThePointsAndEndExactlyAtFromAndTo)
{
    const auto lin = SweepSpacing::Linear;
    const auto log = SweepSpacing::Logarithmic;
    const struct {
        double from, to;
        std::size_t points;
        SweepSpacing spacing;
        std::vector<double> values;  // exact; empty: only the ends and the order are checked
    } cases[] = {
        {0, 1, 5, lin, {0, 0.25, 0.5, 0.75, 1}}, {2, -2, 3, lin, {2, 0, -2}},  {3, 3, 2, lin, {3, 3}},
        {1, 16, 5, log, {1, 2, 4, 8, 16}},       {0.1, 0.7, 7, lin, {}},       {0.3, 1e5, 1001, log, {}},
        {-1.7e308, 1.7e308, 9, lin, {}},         {1e-300, 1e300, 11, log, {}}, {1e300, 1e-300, 11, log, {}},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(sweepRangeProblem(c.from, c.to, c.points, c.spacing), "") << c.from << ' ' << c.to;
        std::vector<double> v;
        for (std::size_t k = 0; k < c.points; ++k)
            v.push_back(sweepValue(c.from, c.to, c.points, c.spacing, k));
        EXPECT_EQ(v.front(), c.from);
        EXPECT_EQ(v.back(), c.to);
        if (!c.values.empty())
            EXPECT_EQ(v, c.values) << c.from << ' ' << c.to;
        for (std::size_t k = 1; k < v.size(); ++k) {
            ASSERT_TRUE(std::isfinite(v[k])) << c.from << ' ' << c.to << ' ' << k;
            ASSERT_TRUE(c.to >= c.from ? v[k] >= v[k - 1] : v[k] <= v[k - 1]) << c.from << ' ' << c.to << ' ' << k;
        }
    }
    // The middle of a log sweep is the geometric mean.
    EXPECT_NEAR(sweepValue(10, 1000, 3, log, 1), 100, 1e-12);
    EXPECT_THROW(sweepValue(0, 1, 4, lin, 4), std::invalid_argument);
}

TEST(SweepValues, RefuseWhatNoSweepCanBe)
{
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double from, to;
        std::size_t points;
        SweepSpacing spacing;
        std::string problem;
    } cases[] = {
        {0, 1, 1, SweepSpacing::Linear, "the number of points must be 2 to 100000"},
        {0, 1, 100001, SweepSpacing::Linear, "the number of points must be 2 to 100000"},
        {0, 1, 100000, SweepSpacing::Linear, ""},
        {0, inf, 10, SweepSpacing::Linear, "the ends of the sweep must be finite numbers"},
        {std::nan(""), 1, 10, SweepSpacing::Linear, "the ends of the sweep must be finite numbers"},
        {0, 10, 10, SweepSpacing::Logarithmic, "a logarithmic sweep needs both ends above zero"},
        {-1, 10, 10, SweepSpacing::Logarithmic, "a logarithmic sweep needs both ends above zero"},
        {-1, 10, 10, SweepSpacing::Linear, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sweepRangeProblem(c.from, c.to, c.points, c.spacing), c.problem) << c.from << ' ' << c.points;
    // The whole table of the window: at most ten million values.
    EXPECT_EQ(sweepSizeProblem(100000, 100), "");
    EXPECT_EQ(sweepSizeProblem(20000, 500), "");
    EXPECT_EQ(sweepSizeProblem(20001, 500),
              "a sweep of 20001 points over 500 unknowns would keep 20001 x 500 values; "
              "at most 10000000 fit (about 160 MB): use fewer points");
}

// A series RLC circuit driven by 1 V: X1 the current, X2 the capacitor's
// voltage. (R + jwL) X1 + X2 = 1 and X1 - jwC X2 = 0, so
// X1 = 1 / (R + jwL + 1 / (jwC)), largest (1/R) at resonance.
TEST(Sweep, SeriesRlcCurrentFollowsTheClosedForm)
{
    const double R = 10, L = 0.1, C = 1e-6;
    const SweepPartsAt rlc = fresh([&](double f) {
        const double w = 2 * std::numbers::pi * f;
        return numericParts({{{R, w * L}, {1, 0}}, {{1, 0}, {0, -w * C}}}, {{1, 0}, {0, 0}});
    });
    // The same circuit typed with formulas and parameters.
    const auto typed = std::make_shared<const CompiledSystem>(
        CompiledSystem::compile({{"=R + j*w*L", "1", "1"}, {"1", "=-j*w*C", "0"}},
                                {{"R", "10"}, {"L", "100m"}, {"C", "1u"}, {"f", "50"}, {"w", "2*pi*f"}}));
    const double f0 = 1 / (2 * std::numbers::pi * std::sqrt(L * C));
    const SweepRequest request{f0 / 2, 1.5 * f0, 201, SweepSpacing::Linear};
    for (const auto& [threads, parts] :
         {std::pair{1u, rlc}, std::pair{2u, rlc}, std::pair{2u, compiledSweepParts(typed, "f", 2)}}) {
        const auto table = sweepTable("f", 2, request, parts, SweepSettings{threads, true, nullptr});
        ASSERT_TRUE(table);
        ASSERT_EQ(table->points.size(), 201u);
        std::size_t peak = 0;
        for (std::size_t k = 0; k < table->points.size(); ++k) {
            const SweepPoint& p = table->points[k];
            EXPECT_EQ(p.value, sweepValue(f0 / 2, 1.5 * f0, 201, SweepSpacing::Linear, k));
            ASSERT_EQ(p.outcome, SolveOutcome::Solved) << k;
            // At resonance the current's imaginary part is a rounding error
            // whose sign the check may find wrong.
            ASSERT_TRUE(p.verdict) << k;
            if (k != 100)
                EXPECT_EQ(p.verdict, CheckVerdict::Correct) << k;
            const double w = 2 * std::numbers::pi * p.value;
            const std::complex<double> exact = 1.0 / std::complex<double>(R, w * L - 1 / (w * C));
            EXPECT_LT(std::abs(std::complex<double>(p.re[0], p.im[0]) - exact), 1e-12 * std::abs(exact)) << p.value;
            if (std::hypot(p.re[0], p.im[0]) > std::hypot(table->points[peak].re[0], table->points[peak].im[0]))
                peak = k;
        }
        // The middle point is resonance: there the current peaks at 1/R, in
        // phase with the source.
        EXPECT_EQ(peak, 100u);
        EXPECT_NEAR(table->points[peak].re[0], 1 / R, 1e-9);
        EXPECT_NEAR(table->points[peak].im[0], 0, 1e-9);
    }
}

// A failed point is kept with its outcome and cell and does not stop the
// sweep; the table's text names each.
TEST(Sweep, KeepsFailedPointsAndWritesTheTable)
{
    const SweepPartsAt parts = fresh([](double v) {
        SweepParts p = numericParts({{{1, 0}, {0, 0}}, {{0, 0}, {v, 0}}}, {{v, 1}, {1, 0}});
        if (v == 1)
            p.coefRe[0][1] = PartValue::fromText("x");
        if (v == 2) {
            p.constIm[1] = PartValue::fromText("=1/0");
            p.problems.push_back({{CellPosition::Table::Constants, 2, 1}, "C 2: division by zero"});
        }
        if (v == 3)
            p.constRe[0] = PartValue::fromText("1E+308"), p.coefRe[0][0] = PartValue::fromText("1E-308");
        return p;
    });
    const auto table = sweepTable("v", 2, SweepRequest{0, 4, 5, SweepSpacing::Linear}, parts, SweepSettings{});
    ASSERT_TRUE(table);
    std::string text = sweepHeaderLine(table->parameter, table->unknowns);
    for (const SweepPoint& p : table->points)
        text += sweepRowLine(p, table->unknowns);
    EXPECT_EQ(text,
              "v\tX1 re\tX1 im\tX2 re\tX2 im\tcheck\n"
              "0\t\t\t\t\tno unique solution\n"
              "1\t\t\t\t\tdata error: EQ.1, X2: not a number\n"
              "2\t\t\t\t\tdata error: C 2: division by zero\n"
              "3\t\t\t\t\tdata error: a value left the number range\n"
              "4\t4\t1\t0.25\t0\tcorrect\n");
    // Unchecked points leave the check empty.
    EXPECT_EQ(sweepRowLine(solveSweepPoint(4, parts, false), 2), "4\t4\t1\t0.25\t0\t\n");
}

// A formula without a value at a point names its cell and reason there.
TEST(Sweep, CompiledSystemNamesTheCellOfAFormulaWithoutValue)
{
    const auto system = std::make_shared<const CompiledSystem>(
        CompiledSystem::compile({{"=1/(v-2)", "0", "1"}, {"0", "1", "=v"}}, {{"v", "0"}}));
    const auto table = sweepTable("v", 2, SweepRequest{1, 3, 3, SweepSpacing::Linear},
                                  compiledSweepParts(system, "v", 2), SweepSettings{});
    ASSERT_TRUE(table);
    std::string text;
    for (const SweepPoint& p : table->points)
        text += sweepRowLine(p, 2);
    // At v = 1, X1 = 1 / (-1 + 0i) = conj(-1 + 0i) / 1 = -1 - 0i.
    EXPECT_EQ(text,
              "1\t-1\t-0\t1\t0\tcorrect\n"
              "2\t\t\t\t\tdata error: EQ.1, X1: division by zero\n"
              "3\t1\t0\t3\t0\tcorrect\n");
}

TEST(SweepValues, EndsAreFormulas)
{
    const ParameterValues values = evaluateParameters({{"f0", "50"}, {"bad", "=1/0"}});
    const struct {
        std::string text;
        std::optional<double> value;
        std::string problem;
    } cases[] = {
        {"100k", 100000, ""},
        {"=2*f0", 100, ""},
        {"10m", 0.01, ""},
        {"x", std::nullopt, "unknown name x"},
        {"bad*2", std::nullopt, "bad has an error"},
        {"1+j", std::nullopt, "not a real number"},
        {"2pi", std::nullopt, "no implicit multiplication: write 2*pi"},
    };
    for (const auto& c : cases) {
        std::string problem;
        EXPECT_EQ(sweepEndValue(c.text, values, problem), c.value) << c.text;
        EXPECT_EQ(problem, c.problem) << c.text;
    }
}

TEST(Sweep, StopsWhenCancelledAndHandsOverInOrder)
{
    for (const unsigned threads : {1u, 2u}) {
        std::atomic<bool> cancel{false};
        std::atomic<double> furthest{0};
        const SweepPartsAt parts = fresh([&](double v) {
            double seen = furthest.load();
            while (v > seen && !furthest.compare_exchange_weak(seen, v)) {}
            return numericParts({{{1, 0}}}, {{v, 0}});
        });
        std::vector<double> handed;
        const bool complete = runSweep(SweepRequest{0, 99999, 100000, SweepSpacing::Linear}, parts,
                                       SweepSettings{threads, false, &cancel}, [&](std::size_t k, SweepPoint&& p) {
                                           EXPECT_EQ(p.value, static_cast<double>(k));
                                           // Never far ahead of the point handed over.
                                           EXPECT_LE(furthest.load(), static_cast<double>(k + 5 * threads));
                                           handed.push_back(p.re.at(0));
                                           if (k == 40)
                                               cancel = true;
                                       });
        EXPECT_FALSE(complete);
        ASSERT_EQ(handed.size(), 41u) << threads;
        for (std::size_t k = 0; k < handed.size(); ++k)
            EXPECT_EQ(handed[k], static_cast<double>(k));
        EXPECT_LE(furthest.load(), 41.0 + 5 * threads);
    }
    // A cancel before the start hands over nothing.
    std::atomic<bool> cancel{true};
    EXPECT_FALSE(sweepTable(
        "v", 1, SweepRequest{},
        fresh([](double v) { return numericParts({{{1, 0}}}, {{v, 0}}); }), SweepSettings{2, true, &cancel}));
}

// What the plot draws: failed points (and a zero in dB) as gaps, the
// points whose check is not correct marked.
TEST(SweepPlotData, DrawsRunsBetweenGapsAndMarksDoubtfulPoints)
{
    const auto solved = [](double v, double re, double im, CheckVerdict verdict) {
        return SweepPoint{v, SolveOutcome::Solved, {re}, {im}, verdict, ""};
    };
    SweepTable table{"f", SweepSpacing::Linear, 1, {}};
    table.points = {solved(1, 3, 4, CheckVerdict::Correct),
                    SweepPoint{2, SolveOutcome::NoUniqueSolution, {}, {}, std::nullopt, ""},
                    solved(3, 0, 0, CheckVerdict::Inaccurate), solved(4, -10, 0, CheckVerdict::Unreliable),
                    solved(5, 0, -2, CheckVerdict::Correct)};
    using Runs = std::vector<PlotRun>;
    EXPECT_EQ(plotRuns(table, 0, PlotQuantity::Magnitude), (Runs{{{1, 5}}, {{3, 0}, {4, 10}, {5, 2}}}));
    const Runs db = plotRuns(table, 0, PlotQuantity::MagnitudeDb);
    ASSERT_EQ(db.size(), 2u);
    ASSERT_EQ(db[0].size(), 1u);
    EXPECT_NEAR(db[0][0].second, 13.979400086720377, 1e-12);
    ASSERT_EQ(db[1].size(), 2u);
    EXPECT_EQ(db[1][0], (std::pair<double, double>{4, 20}));
    EXPECT_NEAR(db[1][1].second, 6.020599913279624, 1e-12);
    const Runs phase = plotRuns(table, 0, PlotQuantity::Phase);
    ASSERT_EQ(phase.size(), 2u);
    EXPECT_NEAR(phase[0][0].second, 53.13010235415598, 1e-12);
    EXPECT_EQ(phase[1], (PlotRun{{3, 0}, {4, 180}, {5, -90}}));
    EXPECT_EQ(doubtfulPoints(table, 0, PlotQuantity::Magnitude), (PlotRun{{3, 0}, {4, 10}}));
    EXPECT_EQ(doubtfulPoints(table, 0, PlotQuantity::MagnitudeDb), (PlotRun{{4, 20}}));
    EXPECT_EQ(nearestPoint(table, 2.4), 1u);
    EXPECT_EQ(nearestPoint(table, -7), 0u);
    // On a log sweep, nearest by ratio: 30 is nearer 100 than 1 by ratio.
    SweepTable log{"f",
                   SweepSpacing::Logarithmic,
                   1,
                   {solved(1, 1, 0, CheckVerdict::Correct), solved(100, 1, 0, CheckVerdict::Correct)}};
    EXPECT_EQ(nearestPoint(log, 30), 1u);
    EXPECT_EQ(nearestPoint(log, 5), 0u);
}

TEST(Sweep, RethrowsWhatThePartsThrowAndRefusesABadRange)
{
    const SweepPartsAt parts = fresh([](double v) {
        if (v == 7)
            throw std::runtime_error("seven");
        return numericParts({{{1, 0}}}, {{v, 0}});
    });
    EXPECT_THROW(runSweep(SweepRequest{0, 9, 10, SweepSpacing::Linear}, parts, SweepSettings{2, true, nullptr},
                          [](std::size_t, SweepPoint&&) {}),
                 std::runtime_error);
    EXPECT_THROW(
        runSweep(SweepRequest{0, 9, 1, SweepSpacing::Linear}, parts, SweepSettings{}, [](std::size_t, SweepPoint&&) {}),
        std::invalid_argument);
}

}  // namespace
}  // namespace kalvor
