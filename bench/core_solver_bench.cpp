// Speed of the solver on dense random systems: N complex unknowns, a real
// 2N x 2N elimination. Arguments: N, worker threads, kernel path.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/core.h"
#include "core/elimination.h"
#include "core/solverpaths.h"

namespace {

struct System {
    kalvor::PartMatrix coefRe, coefIm;
    kalvor::PartVector constRe, constIm;
};

kalvor::PartValue randomText(std::mt19937_64& random)
{
    std::uniform_real_distribution<double> value(-10.0, 10.0);
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value(random)).ptr;
    return kalvor::PartValue::fromText(std::string(buffer, end));
}

// Every part a Text holding a random number with up to 17 digits, as typed.
System denseSystem(std::size_t n)
{
    std::mt19937_64 random(20261207 + n);
    System s;
    s.coefRe.assign(n, {});
    s.coefIm.assign(n, {});
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            s.coefRe[i].push_back(randomText(random));
            s.coefIm[i].push_back(randomText(random));
        }
        s.constRe.push_back(randomText(random));
        s.constIm.push_back(randomText(random));
    }
    return s;
}

// The options named by the arguments (N, threads, path); empty when the
// processor lacks the path.
std::optional<kalvor::SolverOptions> optionsFor(benchmark::State& state)
{
    kalvor::SolverOptions options;
    options.threads = static_cast<unsigned>(state.range(1));
    options.path = static_cast<kalvor::SolverPath>(state.range(2));
    if (!kalvor::solverPathAvailable(options.path)) {
        state.SkipWithError("path not available on this processor");
        return std::nullopt;
    }
    return options;
}

void BM_Solve(benchmark::State& state)
{
    const auto options = optionsFor(state);
    if (!options)
        return;
    const System s = denseSystem(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        const kalvor::SolveResult r = kalvor::solveWithOptions(s.coefRe, s.coefIm, s.constRe, s.constIm, *options);
        if (r.outcome != kalvor::SolveOutcome::Solved)
            state.SkipWithError("random system not solved");
        benchmark::DoNotOptimize(r.re.data());
    }
}

void BM_SolvePublic(benchmark::State& state)
{
    const System s = denseSystem(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        const kalvor::SolveResult r = kalvor::solve(s.coefRe, s.coefIm, s.constRe, s.constIm);
        benchmark::DoNotOptimize(r.re.data());
    }
}

void BM_ReadNumbers(benchmark::State& state)
{
    // Reading alone: what every solve pays before any arithmetic.
    const System s = denseSystem(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        double sum = 0;
        for (const auto& row : s.coefRe)
            for (const auto& part : row)
                sum += *kalvor::readNumber(part);
        for (const auto& row : s.coefIm)
            for (const auto& part : row)
                sum += *kalvor::readNumber(part);
        benchmark::DoNotOptimize(sum);
    }
}

// Elimination alone on the real 2N system of a dense random complex one.
void BM_Eliminate(benchmark::State& state)
{
    const auto options = optionsFor(state);
    if (!options)
        return;
    const auto N = static_cast<std::size_t>(state.range(0));
    const std::size_t n = 2 * N, ld = (n + 1 + 7) / 8 * 8;
    std::mt19937_64 random(7 + N);
    std::uniform_real_distribution<double> value(-10.0, 10.0);
    std::vector<double> system(n * ld, 0.0);
    for (std::size_t i = 0; i < N; ++i) {
        for (std::size_t j = 0; j < N; ++j) {
            const double re = value(random), im = value(random);
            system[i * ld + j] = re;
            system[i * ld + N + j] = -im;
            system[(N + i) * ld + j] = im;
            system[(N + i) * ld + N + j] = re;
        }
        system[i * ld + n] = value(random);
        system[(N + i) * ld + n] = value(random);
    }
    std::vector<double> work(system.size());
    for (auto _ : state) {
        state.PauseTiming();
        work = system;
        state.ResumeTiming();
        if (kalvor::eliminate(work.data(), n, ld, *options) != kalvor::EliminationOutcome::Eliminated)
            state.SkipWithError("random system not eliminated");
        benchmark::DoNotOptimize(work.data());
    }
}

void solveArguments(benchmark::internal::Benchmark* b)
{
    const int paths[] = {static_cast<int>(kalvor::SolverPath::Avx512), static_cast<int>(kalvor::SolverPath::Avx2),
                         static_cast<int>(kalvor::SolverPath::Portable)};
    for (int path : paths)
        for (int threads : {1, 2})
            for (int n : {100, 250, 500})
                b->Args({n, threads, path});
    b->ArgNames({"N", "threads", "path"});
}

} // namespace

BENCHMARK(BM_Solve)->Apply(solveArguments)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Eliminate)->Apply(solveArguments)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SolvePublic)->Arg(100)->Arg(250)->Arg(500)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadNumbers)->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
