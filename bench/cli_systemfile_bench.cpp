// Speed of kalvor1-solve's work in process, on a system file of N = 500
// (250,500 fields, about 5 MB): reading the file alone, and the whole path
// from the file's bytes to the last line of output (read, split every cell,
// solve, format). The process itself adds reading the file from disk and one
// write; time it with /usr/bin/time on a file this program can write
// (KALVOR_BENCH_WRITE=path writes it before the benchmarks run).
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

#include "cli/resultwriter.h"
#include "cli/systemrun.h"
#include "core/systemfile.h"

namespace {

// A number with twelve decimals (no exponent: its sign would split a
// complex cell).
std::string fullNumber(std::mt19937_64& random)
{
    std::uniform_real_distribution<double> value(-9.0, 9.0);
    char buffer[64];
    return std::string(buffer,
                       std::to_chars(buffer, buffer + sizeof buffer, value(random), std::chars_format::fixed, 12).ptr);
}

// N lines of N + 1 tab-separated cells: real, imaginary (j) and complex
// texts with twelve decimals, and a strong diagonal so that it is solved.
std::string systemFile(std::size_t n)
{
    std::mt19937_64 random(20261207);
    std::string out;
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j <= n; ++j) {
            if (j > 0)
                out += '\t';
            if (i == j) {
                out += "50" + fullNumber(random).substr(1) + "+1i";
                continue;
            }
            switch (random() % 3) {
            case 0:
                out += fullNumber(random);
                break;
            case 1:
                out += fullNumber(random) + "j";
                break;
            default: {
                const std::string im = fullNumber(random);
                out += fullNumber(random) + (im[0] == '-' ? "" : "+") + im + "i";
            }
            }
        }
        out += '\n';
    }
    return out;
}

const std::string& file500()
{
    static const std::string file = systemFile(500);
    return file;
}

void BM_ReadSystemFile(benchmark::State& state)
{
    const std::string& bytes = file500();
    for (auto _ : state) {
        const kalvor::SystemFile file = kalvor::readSystemFile(bytes);
        if (file.unknowns() != 500)
            state.SkipWithError("file not read");
        benchmark::DoNotOptimize(file.rows.data());
    }
    state.counters["MB"] = static_cast<double>(bytes.size()) / 1e6;
}

void BM_FileToOutput(benchmark::State& state)
{
    const std::string& bytes = file500();
    for (auto _ : state) {
        const kalvor::SystemRun run = kalvor::runSystem(bytes);
        if (run.outcome != kalvor::SolveOutcome::Solved)
            state.SkipWithError("system not solved");
        const std::string out = kalvor::writeResult(run, kalvor::Options::Output::Texts);
        benchmark::DoNotOptimize(out.data());
    }
}

}  // namespace

BENCHMARK(BM_ReadSystemFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FileToOutput)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    // The same file for timing the program itself.
    if (const char* path = std::getenv("KALVOR_BENCH_WRITE"))
        std::ofstream(path, std::ios::binary) << file500();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
