// Formula cells at Solve: an N = 500 system whose every cell is a formula of
// about 20 characters using 3 parameters, split, given its second chance
// (applyFallbacks) and solved, against the same values typed as plain
// numbers, split and solved. Both start from the cell texts, as the window's
// Solve does. Also the compile-once path a sweep takes (CompiledSystem).
#include <benchmark/benchmark.h>

#include <complex>
#include <cstddef>
#include <random>
#include <string>
#include <vector>

#include "core/core.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

const std::vector<kalvor::Parameter> kParameters{{"a", "2.2k"}, {"b", "4.7"}, {"c", "1/3"}};

std::string digits(std::mt19937_64& random)
{
    std::uniform_int_distribution<int> d(1000, 9999);
    return "0." + std::to_string(d(random));
}

// Every cell "=a*0.1234+j*b*0.5678-c" (21 characters), with N added on the
// diagonal so the system is well conditioned; `plain` gets each cell's value
// as "re+imi" with the shortest digits.
void makeSystem(std::size_t n, Rows& formulas, Rows& plain)
{
    std::mt19937_64 random(20261208);
    const kalvor::ParameterValues values = kalvor::evaluateParameters(kParameters);
    formulas.assign(n, std::vector<std::string>(n + 1));
    plain = formulas;
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j <= n; ++j) {
            std::string text = "=a*" + digits(random) + "+j*b*" + digits(random) + "-c";
            if (i == j)
                text += "+" + std::to_string(n) + "k";
            std::string reason;
            const std::optional<std::complex<double>> v = kalvor::fallbackValue(text, values, reason);
            plain[i][j] = kalvor::shortestText(v->real()) + "+" + kalvor::shortestText(v->imag()) + "i";
            formulas[i][j] = std::move(text);
        }
    }
}

struct Tables {
    kalvor::PartMatrix coefRe, coefIm;
    kalvor::PartVector constRe, constIm;
};

Tables split(const Rows& rows)
{
    const std::size_t n = rows.size();
    Tables t;
    t.coefRe.assign(n, kalvor::PartVector(n, kalvor::PartValue::fromInteger(0)));
    t.coefIm = t.coefRe;
    t.constRe.assign(n, kalvor::PartValue::fromInteger(0));
    t.constIm = t.constRe;
    for (std::size_t j = 0; j < n; ++j)
        for (std::size_t i = 0; i < n; ++i) {
            kalvor::CellParts p = kalvor::partcell(rows[i][j]);
            t.coefRe[i][j] = std::move(p.re);
            t.coefIm[i][j] = std::move(p.im);
        }
    for (std::size_t i = 0; i < n; ++i) {
        kalvor::CellParts p = kalvor::partcell(rows[i][n]);
        t.constRe[i] = std::move(p.re);
        t.constIm[i] = std::move(p.im);
    }
    return t;
}

void solveOrFail(benchmark::State& state, const Tables& t)
{
    const kalvor::SolveResult r = kalvor::solve(t.coefRe, t.coefIm, t.constRe, t.constIm);
    if (r.outcome != kalvor::SolveOutcome::Solved)
        state.SkipWithError("not solved");
    benchmark::DoNotOptimize(r.re.data());
}

void BM_SolvePlainCells(benchmark::State& state)
{
    Rows formulas, plain;
    makeSystem(static_cast<std::size_t>(state.range(0)), formulas, plain);
    for (auto _ : state)
        solveOrFail(state, split(plain));
}

void BM_SolveFormulaCells(benchmark::State& state)
{
    Rows formulas, plain;
    makeSystem(static_cast<std::size_t>(state.range(0)), formulas, plain);
    for (auto _ : state) {
        Tables t = split(formulas);
        const kalvor::ParameterValues values = kalvor::evaluateParameters(kParameters);
        if (!kalvor::applyFallbacks(formulas, values, t.coefRe, t.coefIm, t.constRe, t.constIm).empty())
            state.SkipWithError("a formula without a value");
        solveOrFail(state, t);
    }
}

// A sweep's point: compiled once outside the loop, one parameter changed.
void BM_SolveCompiledSystemPoint(benchmark::State& state)
{
    Rows formulas, plain;
    makeSystem(static_cast<std::size_t>(state.range(0)), formulas, plain);
    const kalvor::CompiledSystem system = kalvor::CompiledSystem::compile(formulas, kParameters);
    double b = 4.7;
    for (auto _ : state) {
        b += 0.001;
        const kalvor::CompiledSystem::Parts p = system.evaluate("b", {b, 0.0});
        const kalvor::SolveResult r = kalvor::solve(p.coefRe, p.coefIm, p.constRe, p.constIm);
        benchmark::DoNotOptimize(r.re.data());
    }
}

}  // namespace

BENCHMARK(BM_SolvePlainCells)->Arg(500)->ArgName("N")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SolveFormulaCells)->Arg(500)->ArgName("N")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SolveCompiledSystemPoint)->Arg(500)->ArgName("N")->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
