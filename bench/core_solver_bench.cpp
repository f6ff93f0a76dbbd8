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

#include "core/check/checkkernel.h"
#include "core/core.h"
#include "core/elimination/elimination.h"
#include "core/solverpaths.h"

// Peers, for comparison only: built where their packages were found.
#if defined(KALVOR_BENCH_EIGEN)
#include <Eigen/Dense>
#endif
#if defined(KALVOR_BENCH_LAPACKE)
#include <complex>
#define lapack_complex_float std::complex<float>
#define lapack_complex_double std::complex<double>
#include <lapacke.h>
extern "C" void openblas_set_num_threads(int threads);
#endif

namespace {

// Heap bytes in use and the most since the last reset, for the memory a
// solve needs beyond its inputs.
std::atomic<long long> heapInUse{0}, heapPeak{0};

void noteAllocation(void* p)
{
    const long long now = heapInUse += static_cast<long long>(malloc_usable_size(p));
    long long peak = heapPeak.load();
    while (now > peak && !heapPeak.compare_exchange_weak(peak, now)) {}
}

}  // namespace

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
    const auto end = fullDigits
        ? std::to_chars(buffer, buffer + sizeof buffer, value(random)).ptr
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

// The public solve asked for the numbers it read too, as the window and the
// command-line program ask for them for the check.
void BM_SolveAndRead(benchmark::State& state)
{
    const System s = denseSystem(static_cast<std::size_t>(state.range(0)), false);
    kalvor::NumericSystem read;
    for (auto _ : state) {
        const kalvor::SolveResult r = kalvor::solve(s.coefRe, s.coefIm, s.constRe, s.constIm, &read);
        benchmark::DoNotOptimize(r.re.data());
        benchmark::DoNotOptimize(read.a.data());
    }
}

// The check of the solve's result on the numbers it read (the solve is not
// timed). Arguments: N, kernel path. Counter: the LU solves it made, the
// initial solution included.
void BM_Check(benchmark::State& state)
{
    const auto path = static_cast<kalvor::SolverPath>(state.range(1));
    if (!kalvor::solverPathAvailable(path)) {
        state.SkipWithError("path not available on this processor");
        return;
    }
    const System s = denseSystem(static_cast<std::size_t>(state.range(0)), false);
    kalvor::NumericSystem read;
    const kalvor::SolveResult r = kalvor::solve(s.coefRe, s.coefIm, s.constRe, s.constIm, &read);
    kalvor::CheckStatistics statistics;
    for (auto _ : state) {
        const kalvor::SolutionCheck c = kalvor::checkSolutionOnPath(read, r.re, r.im, path, &statistics);
        if (c.verdict != kalvor::CheckVerdict::Correct)
            state.SkipWithError("the random system's solution was not checked correct");
        benchmark::DoNotOptimize(c.unknowns.data());
    }
    state.counters["corrections"] = statistics.corrections;
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

// The cell texts of an N x N table as typed: "re+imi" from random numbers,
// every tenth cell a real number and every tenth an imaginary one first
// ("imi+re"), so that each of partcell's main rules is taken.
std::vector<std::string> typedCells(std::size_t n, bool fullDigits)
{
    std::mt19937_64 random(20261207 + n);
    std::vector<std::string> cells;
    cells.reserve(n * n);
    for (std::size_t k = 0; k < n * n; ++k) {
        const std::string re = randomText(random, fullDigits).text();
        const std::string im = randomText(random, fullDigits).text();
        const std::string signedRe = re[0] == '-' ? re : "+" + re;
        if (k % 10 == 3)
            cells.push_back(re);
        else if (k % 10 == 7)
            cells.push_back(im + "i" + signedRe);
        else
            cells.push_back(re + (im[0] == '-' ? "" : "+") + im + "i");
    }
    return cells;
}

// Splitting alone: partcell over every cell of an N = 500 table.
void BM_Partcell(benchmark::State& state)
{
    const std::vector<std::string> cells = typedCells(static_cast<std::size_t>(state.range(0)), state.range(1) != 0);
    for (auto _ : state) {
        std::size_t bytes = 0;
        for (const std::string& cell : cells) {
            const kalvor::CellParts parts = kalvor::partcell(cell);
            bytes += parts.re.text().size() + parts.im.text().size();
        }
        benchmark::DoNotOptimize(bytes);
    }
}

// Reading alone as solve does it, on one or two threads: every part of the
// first unknown is zero, so the solve ends right after reading (no pivot).
// Arguments: N, threads, whether the texts have 17 digits.
void BM_SolveReadingOnly(benchmark::State& state)
{
    System s = denseSystem(static_cast<std::size_t>(state.range(0)), state.range(2) != 0);
    for (std::size_t i = 0; i < s.constRe.size(); ++i) {
        s.coefRe[i][0] = kalvor::PartValue::fromText("0");
        s.coefIm[i][0] = kalvor::PartValue::fromText("0");
    }
    kalvor::SolverOptions options = kalvor::defaultSolverOptions();
    options.threads = static_cast<unsigned>(state.range(1));
    for (auto _ : state) {
        const kalvor::SolveResult r = kalvor::solveWithOptions(s.coefRe, s.coefIm, s.constRe, s.constIm, options);
        if (r.outcome != kalvor::SolveOutcome::NoUniqueSolution)
            state.SkipWithError("the reading-only system went further");
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

#if defined(KALVOR_BENCH_EIGEN) || defined(KALVOR_BENCH_LAPACKE)
// A part of the benchmark systems as a double, read without the locale
// (their texts are plain numbers; an Integer part is its own value).
double peerNumber(const kalvor::PartValue& part)
{
    if (!part.isText())
        return part.integer();
    double value = 0;
    const std::string& t = part.text();
    std::from_chars(t.data(), t.data() + t.size(), value);
    return value;
}
#endif

#if defined(KALVOR_BENCH_EIGEN)
// The same system, from the same texts to the solution, by a partial-pivot
// LU of the complex matrix. Arguments: N, whether the texts have 17 digits.
void BM_SolveEigen(benchmark::State& state)
{
    const auto n = static_cast<Eigen::Index>(state.range(0));
    const System s = denseSystem(static_cast<std::size_t>(n), state.range(1) != 0);
    for (auto _ : state) {
        Eigen::MatrixXcd a(n, n);
        Eigen::VectorXcd b(n);
        for (Eigen::Index i = 0; i < n; ++i) {
            const auto row = static_cast<std::size_t>(i);
            for (Eigen::Index j = 0; j < n; ++j) {
                const auto col = static_cast<std::size_t>(j);
                a(i, j) = {peerNumber(s.coefRe[row][col]), peerNumber(s.coefIm[row][col])};
            }
            b(i) = {peerNumber(s.constRe[row]), peerNumber(s.constIm[row])};
        }
        const Eigen::VectorXcd x = a.partialPivLu().solve(b);
        benchmark::DoNotOptimize(x.data());
    }
}
#endif

#if defined(KALVOR_BENCH_LAPACKE)
// The same with LAPACK's zgesv (OpenBLAS, on one thread).
void BM_SolveZgesv(benchmark::State& state)
{
    openblas_set_num_threads(1);
    const auto n = static_cast<std::size_t>(state.range(0));
    const System s = denseSystem(n, state.range(1) != 0);
    std::vector<lapack_int> pivots(n);
    for (auto _ : state) {
        // Column-major, as LAPACK stores matrices.
        std::vector<std::complex<double>> a(n * n), b(n);
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t j = 0; j < n; ++j)
                a[j * n + i] = {peerNumber(s.coefRe[i][j]), peerNumber(s.coefIm[i][j])};
            b[i] = {peerNumber(s.constRe[i]), peerNumber(s.constIm[i])};
        }
        const auto order = static_cast<lapack_int>(n);
        if (LAPACKE_zgesv(LAPACK_COL_MAJOR, order, 1, a.data(), order, pivots.data(), b.data(), order) != 0)
            state.SkipWithError("zgesv did not solve the random system");
        benchmark::DoNotOptimize(b.data());
    }
}
#endif

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

// N = 100, 250, 500 through the public entry points, in real time.
void publicSizes(benchmark::internal::Benchmark* b)
{
    b->Arg(100)->Arg(250)->Arg(500)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
}

}  // namespace

BENCHMARK(BM_Solve)->Apply(solveArguments)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
// The same with every part a 17-digit text, on the two vector paths.
BENCHMARK(BM_Solve)
    ->ArgsProduct({{100, 250, 500}, {1, 2}, {paths[0], paths[1]}, {1}})
    ->ArgNames({"N", "threads", "path", "fullDigits"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
BENCHMARK(BM_Eliminate)
    ->Apply(eliminateArguments)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
BENCHMARK(BM_SolvePublic)->Apply(publicSizes);
BENCHMARK(BM_SolveAndRead)->Apply(publicSizes);
BENCHMARK(BM_Check)
    ->ArgsProduct({{100, 250, 500}, {paths[0], paths[1], paths[2]}})
    ->ArgNames({"N", "path"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
BENCHMARK(BM_SolveReadingOnly)
    ->ArgsProduct({{500}, {1, 2}, {0, 1}})
    ->ArgNames({"N", "threads", "fullDigits"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
BENCHMARK(BM_ReadNumbers)->Args({500, 0})->Args({500, 1})->ArgNames({"N", "fullDigits"})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Partcell)->Args({500, 0})->Args({500, 1})->ArgNames({"N", "fullDigits"})->Unit(benchmark::kMillisecond);
#if defined(KALVOR_BENCH_EIGEN)
BENCHMARK(BM_SolveEigen)
    ->ArgsProduct({{100, 250, 500}, {0, 1}})
    ->ArgNames({"N", "fullDigits"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
#endif
#if defined(KALVOR_BENCH_LAPACKE)
BENCHMARK(BM_SolveZgesv)
    ->ArgsProduct({{100, 250, 500}, {0, 1}})
    ->ArgNames({"N", "fullDigits"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
#endif
BENCHMARK_MAIN();
