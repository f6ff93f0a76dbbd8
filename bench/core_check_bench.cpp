// The check's escalation on the families that the double-double refinement
// alone leaves open or calls unreliable: parts far smaller than their
// neighbours, exact zeros that no structure predicts, numbers near the ends
// of the double range, unknowns whose sizes differ by 1E+168, and the
// perturbed growth matrix. Arguments: N, family. Counters: how far the check
// went (1 candidates, 2 exact rationals, 3 deep refinement), the deep
// refinement's corrections, and the condition estimate. A verdict of
// unreliable is an error: none of these systems is ill-conditioned.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <complex>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "core/check/checkkernel.h"
#include "core/core.h"
#include "core/solverpaths.h"

namespace {

using kalvor::NumericSystem;
using C = std::complex<double>;

enum Family { TinyParts, ExactZeros, Extreme, Spread, Growth };

double decimal(const std::string& text)
{
    double v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

NumericSystem family(std::size_t n, Family f, std::uint64_t seed)
{
    std::mt19937_64 random(seed);
    const auto integer
        = [&](long long lo, long long hi) { return std::uniform_int_distribution<long long>(lo, hi)(random); };
    NumericSystem s{n, std::vector<C>(n * n), std::vector<C>(n)};
    switch (f) {
    case TinyParts: {
        // A = L U, U upper triangular with a real diagonal, L unit lower
        // triangular with entries 0 or +-1 (so that A stays small); the last
        // constant's imaginary part a few 2^-105 times its diagonal.
        std::vector<std::complex<long long>> u(n * n), l(n * n);
        for (std::size_t i = 0; i < n; ++i) {
            // Dominant, so that A stays well-conditioned at every size.
            const auto size = static_cast<long long>(n);
            u[i * n + i] = {integer(5 * size, 6 * size) * (integer(0, 1) ? 1 : -1), 0};
            for (std::size_t j = i + 1; j < n; ++j)
                u[i * n + j] = {integer(-3, 3), integer(-3, 3)};
            l[i * n + i] = 1;
            if (i > 0)
                l[i * n + i - 1] = {integer(-1, 1), 0};
        }
        std::vector<double> b0(n);
        for (double& v : b0)
            v = static_cast<double>(integer(-400, 400)) / 64;
        const long long tiny = integer(1, 9) * u[n * n - 1].real();
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t j = 0; j < n; ++j) {
                std::complex<long long> sum = 0;
                for (std::size_t k = 0; k < n; ++k)
                    sum += l[i * n + k] * u[k * n + j];
                s.a[i * n + j] = {static_cast<double>(sum.real()), static_cast<double>(sum.imag())};
            }
            double re = 0, im = 0;
            for (std::size_t k = 0; k <= i; ++k) {
                re += static_cast<double>(l[i * n + k].real()) * b0[k];
                if (k == n - 1)
                    im += std::ldexp(static_cast<double>(l[i * n + k].real() * tiny), -105);
            }
            s.b[i] = {re, im};
        }
        break;
    }
    case ExactZeros: {
        // Two-decimal real coefficients; the solution +-1 at one unknown,
        // +-i at another, 0 elsewhere.
        const auto realAt = static_cast<std::size_t>(integer(0, static_cast<long long>(n) - 1));
        const std::size_t imagAt = (realAt + 1) % n;
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t j = 0; j < n; ++j)
                s.a[i * n + j] = static_cast<double>(integer(-999, 999) + (i == j ? 2500 * static_cast<long long>(n / 4 + 1) : 0)) / 100;
            s.b[i] = {s.a[i * n + realAt].real(), -s.a[i * n + imagAt].real()};
        }
        break;
    }
    case Extreme: {
        const long long sol = integer(-290, 290);
        for (std::size_t i = 0; i < n; ++i) {
            const long long r = std::clamp(integer(-290, 290), -295 - std::min(sol, 0LL), 295 - std::max(sol, 0LL));
            for (std::size_t j = 0; j < n; ++j)
                s.a[i * n + j] = decimal(std::to_string(integer(1000, 9999) * (i == j ? static_cast<long long>(n) : 1))
                                         + "E" + std::to_string(r - 3));
            s.b[i] = decimal(std::to_string(integer(-9999, 9999)) + "E" + std::to_string(r + sol - 3));
        }
        break;
    }
    case Spread: {
        std::vector<long long> column(n);
        for (std::size_t j = 0; j < n; ++j)
            column[j] = j == 0 ? 0 : 84 * integer(-1, 1);
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t j = 0; j < n; ++j)
                s.a[i * n + j] = decimal(std::to_string(integer(-999, 999) + (i == j ? 1000 * static_cast<long long>(n) : 0))
                                         + "E" + std::to_string(column[j] - 3));
            s.b[i] = {static_cast<double>(integer(-9999, 9999)) / 1000, static_cast<double>(integer(-9999, 9999)) / 1000};
        }
        break;
    }
    case Growth:
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t j = 0; j < n; ++j) {
                const double nudge = static_cast<double>(integer(0, 3)) / 1024;
                s.a[i * n + j] = j == n - 1 || i == j ? 1 + nudge : i > j ? nudge - 1 : 0.0;
            }
            s.b[i] = {static_cast<double>(integer(-99, 99)) / 10, static_cast<double>(integer(-99, 99)) / 10};
        }
        break;
    }
    return s;
}

void BM_CheckFamily(benchmark::State& state)
{
    const auto n = static_cast<std::size_t>(state.range(0));
    const auto f = static_cast<Family>(state.range(1));
    const NumericSystem s = family(n, f, 25 + n);
    // The shown solution decides only which parts are called wrong, not
    // how far the check must go to know them.
    const std::vector<double> shown(n, 0.0);
    const kalvor::SolverPath path = kalvor::defaultSolverOptions().path;
    kalvor::CheckStatistics statistics;
    double condition = 0;
    for (auto _ : state) {
        const kalvor::SolutionCheck c = kalvor::checkSolutionOnPath(s, shown, shown, path, &statistics);
        if (c.verdict == kalvor::CheckVerdict::Unreliable)
            state.SkipWithError("a well-conditioned system was called unreliable");
        condition = c.condition;
        benchmark::DoNotOptimize(c.unknowns.data());
    }
    state.counters["escalation"] = static_cast<double>(statistics.escalation);
    state.counters["deepSteps"] = statistics.deepSteps;
    state.counters["condition"] = condition;
}

}  // namespace

BENCHMARK(BM_CheckFamily)
    ->ArgsProduct({{4, 10, 20, 50, 100, 500}, {TinyParts, ExactZeros, Extreme, Spread, Growth}})
    ->ArgNames({"N", "family"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
BENCHMARK_MAIN();
