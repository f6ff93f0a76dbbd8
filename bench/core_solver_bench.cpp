// Speed of the solver on dense random systems: N complex unknowns, a real
// 2N x 2N elimination. Arguments: N, worker threads, kernel path. The CPU
// column is the CPU time of the whole process, both threads when two run;
// on a shared machine the real time can be far longer than that.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

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

// Heap bytes in use and the most since the last reset, for the memory a
// solve needs beyond its inputs.
std::atomic<long long> heapInUse{0}, heapPeak{0};

void noteAllocation(void* p)
{
    const long long now = heapInUse += static_cast<long long>(malloc_usable_size(p));
    long long peak = heapPeak.load();
    while (now > peak && !heapPeak.compare_exchange_weak(peak, now)) {
    }
}

} // namespace

void* operator new(std::size_t size)
{
    void* p = std::malloc(size == 0 ? 1 : size);
    if (!p)
        throw std::bad_alloc();
    noteAllocation(p);
    return p;
}

void operator delete(void* p) noexcept
{
    if (p) {
        heapInUse -= static_cast<long long>(malloc_usable_size(p));
        std::free(p);
    }
}

void operator delete(void* p, std::size_t) noexcept
{
    operator delete(p);
}

namespace {

struct System {
    kalvor::PartMatrix coefRe, coefIm;
    kalvor::PartVector constRe, constIm;
};

// A number as a person types it: up to four decimals, below 100 in size;
// or, with fullDigits, the shortest text that reads back as a random double
// (17 significant digits, the most a number reading ever has to handle here).
kalvor::PartValue randomText(std::mt19937_64& random, bool fullDigits)
{
    std::uniform_real_distribution<double> value(-99.0, 99.0);
    char buffer[64];
    const auto end = fullDigits ? std::to_chars(buffer, buffer + sizeof buffer, value(random)).ptr
                                : std::to_chars(buffer, buffer + sizeof buffer, value(random), std::chars_format::fixed, 4).ptr;
    return kalvor::PartValue::fromText(std::string(buffer, end));
}

// Every part a Text holding a random number.
System denseSystem(std::size_t n, bool fullDigits)
{
    std::mt19937_64 random(20261207 + n);
    System s;
    s.coefRe.assign(n, {});
    s.coefIm.assign(n, {});
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            s.coefRe[i].push_back(randomText(random, fullDigits));
            s.coefIm[i].push_back(randomText(random, fullDigits));
        }
        s.constRe.push_back(randomText(random, fullDigits));
        s.constIm.push_back(randomText(random, fullDigits));
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
    const System s = denseSystem(static_cast<std::size_t>(state.range(0)), state.range(3) != 0);
    for (auto _ : state) {
        const kalvor::SolveResult r = kalvor::solveWithOptions(s.coefRe, s.coefIm, s.constRe, s.constIm, *options);
        if (r.outcome != kalvor::SolveOutcome::Solved)
            state.SkipWithError("random system not solved");
        benchmark::DoNotOptimize(r.re.data());
    }
}

void BM_SolvePublic(benchmark::State& state)
{
    const System s = denseSystem(static_cast<std::size_t>(state.range(0)), false);
    long long extra = 0;
    for (auto _ : state) {
        const long long before = heapInUse.load();
        heapPeak = before;
        const kalvor::SolveResult r = kalvor::solve(s.coefRe, s.coefIm, s.constRe, s.constIm);
        benchmark::DoNotOptimize(r.re.data());
        extra = std::max(extra, heapPeak.load() - before);
    }
    // The most heap one solve held at once beyond what existed before it.
    state.counters["solveHeapMiB"] = static_cast<double>(extra) / (1024.0 * 1024.0);
}

void BM_ReadNumbers(benchmark::State& state)
{
    // Reading alone: what every solve pays before any arithmetic.
    const System s = denseSystem(static_cast<std::size_t>(state.range(0)), state.range(1) != 0);
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
// Arguments: N, threads, path, whether the coefficients have imaginary parts.
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
            const double re = value(random), im = state.range(3) != 0 ? value(random) : 0.0;
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

const int paths[] = {static_cast<int>(kalvor::SolverPath::Avx512), static_cast<int>(kalvor::SolverPath::Avx2),
                     static_cast<int>(kalvor::SolverPath::Portable)};

void solveArguments(benchmark::internal::Benchmark* b)
{
    for (int path : paths)
        for (int threads : {1, 2})
            for (int n : {100, 250, 500})
                b->Args({n, threads, path, 0});
    b->ArgNames({"N", "threads", "path", "fullDigits"});
}

void eliminateArguments(benchmark::internal::Benchmark* b)
{
    for (int path : paths)
        for (int threads : {1, 2})
            for (int n : {100, 250, 500})
                b->Args({n, threads, path, 1});
    // Real coefficients only: the two off-diagonal blocks are zero.
    for (int threads : {1, 2})
        b->Args({500, threads, paths[0], 0});
    b->ArgNames({"N", "threads", "path", "complex"});
}

} // namespace

BENCHMARK(BM_Solve)->Apply(solveArguments)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
// The same with every part a 17-digit text, on the fastest path.
BENCHMARK(BM_Solve)
    ->ArgsProduct({{100, 250, 500}, {1, 2}, {static_cast<int>(kalvor::SolverPath::Avx512)}, {1}})
    ->ArgNames({"N", "threads", "path", "fullDigits"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_Eliminate)->Apply(eliminateArguments)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_SolvePublic)->Arg(100)->Arg(250)->Arg(500)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_ReadNumbers)->Args({500, 0})->Args({500, 1})->ArgNames({"N", "fullDigits"})->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
