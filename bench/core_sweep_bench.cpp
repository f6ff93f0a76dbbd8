// Speed of sweeps: points per second over an AC network whose cells are
// formulas of the frequency f, with and without the check, on one thread
// and on every core; and what share of a point the formulas take.
// Arguments: N, points, check (0/1), threads (0: one per core).
#include <benchmark/benchmark.h>

#include <atomic>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/core.h"

namespace {

// N meshes: each cell an impedance whose reactance follows f, so every cell
// is re-evaluated at every point (the hardest case for the formulas); the
// diagonal dominates, so every point solves.
//   diagonal  "=R + j*(w*L*a - b/(w*C))"; elsewhere "=c + j*w*L*d"
std::vector<std::vector<std::string>> network(std::size_t n, bool everyCell)
{
    std::mt19937_64 random(n);
    std::uniform_real_distribution<double> unit(0.1, 1.0);
    const auto number = [&] { return kalvor::shortestText(unit(random)); };
    std::vector<std::vector<std::string>> rows(n, std::vector<std::string>(n + 1));
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            if (i == j)
                rows[i][j] = "=" + std::to_string(n) + "*R + j*(w*L*" + number() + " - " + number() + "/(w*C))";
            else if (everyCell)
                rows[i][j] = "=" + number() + " + j*w*L*" + number();
            else
                rows[i][j] = number() + "+" + number() + "i";
        }
        rows[i][n] = number();
    }
    return rows;
}

const std::vector<kalvor::Parameter> Parameters
    = {{"R", "10"}, {"L", "10m"}, {"C", "1u"}, {"f", "1k"}, {"w", "2*pi*f"}};

kalvor::SweepPartsAt partsOf(std::size_t n, bool everyCell)
{
    auto system = std::make_shared<const kalvor::CompiledSystem>(
        kalvor::CompiledSystem::compile(network(n, everyCell), Parameters));
    return kalvor::compiledSweepParts(std::move(system), "f", n);
}

void BM_Sweep(benchmark::State& state)
{
    const auto n = static_cast<std::size_t>(state.range(0));
    const auto points = static_cast<std::size_t>(state.range(1));
    const kalvor::SweepSettings settings{static_cast<unsigned>(state.range(3)), state.range(2) != 0, nullptr};
    const kalvor::SweepPartsAt parts = partsOf(n, true);
    std::size_t solved = 0;
    for (auto _ : state) {
        kalvor::runSweep(kalvor::SweepRequest{100, 100000, points, kalvor::SweepSpacing::Logarithmic}, parts, settings,
                         [&](std::size_t, kalvor::SweepPoint&& p) {
                             solved += p.outcome == kalvor::SolveOutcome::Solved;
                         });
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * points));
    state.counters["solved"] = static_cast<double>(solved) / static_cast<double>(state.iterations());
}
// N = 100, 1,000 points, and N = 500, 100 points; without and with the
// check; one thread, then every core.
BENCHMARK(BM_Sweep)
    ->ArgNames({"n", "points", "check", "threads"})
    ->Args({100, 1000, 0, 1})
    ->Args({100, 1000, 0, 0})
    ->Args({100, 1000, 1, 1})
    ->Args({100, 1000, 1, 0})
    ->Args({500, 100, 0, 1})
    ->Args({500, 100, 0, 0})
    ->Args({500, 100, 1, 1})
    ->Args({500, 100, 1, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

// One point's part of the formulas (every cell, or the diagonal only) and
// one whole point (formulas, one-thread solve, check), at N = 100.
void BM_PointFormulas(benchmark::State& state)
{
    const kalvor::SweepPartsAt parts = partsOf(static_cast<std::size_t>(state.range(0)), state.range(1) != 0);
    double f = 100;
    kalvor::SweepParts tables;
    for (auto _ : state) {
        parts(f, tables);
        benchmark::DoNotOptimize(tables);
        f += 1;
    }
}
BENCHMARK(BM_PointFormulas)->ArgNames({"n", "everycell"})->Args({100, 1})->Args({100, 0})->Unit(benchmark::kMicrosecond);

void BM_PointWhole(benchmark::State& state)
{
    const kalvor::SweepPartsAt parts = partsOf(static_cast<std::size_t>(state.range(0)), state.range(1) != 0);
    double f = 100;
    kalvor::SweepParts tables;
    for (auto _ : state) {
        benchmark::DoNotOptimize(kalvor::solveSweepPoint(f, parts, state.range(2) != 0, tables));
        f += 1;
    }
}
BENCHMARK(BM_PointWhole)
    ->ArgNames({"n", "everycell", "check"})
    ->Args({100, 1, 1})
    ->Args({100, 1, 0})
    ->Args({100, 0, 1})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
