#pragma once

#include <cstddef>

#include "core/solver.h"

namespace kalvor {

// The instruction-set variants of the elimination kernels. Portable uses
// plain multiplication and true division only, on any processor; the two
// x86-64 vector paths use a rounded reciprocal with an exact correction
// where that provably equals the true quotient, and vector division
// elsewhere.
enum class SolverPath { Portable, Avx2, Avx512 };

// Internal knobs of the solver, for tests and benchmarks. The public solve()
// uses defaultSolverOptions().
struct SolverOptions {
    SolverPath path = SolverPath::Portable;
    // Worker threads for the large updates (1 or 2).
    unsigned threads = 1;
    // Columns eliminated per block before the trailing rows are updated.
    std::size_t blockSize = 64;
    // Columns of a block eliminated step by step before the rest of the
    // block is updated with them as a batch.
    std::size_t panelBlockSize = 8;
    // Element updates a block must have before a second thread is started.
    std::size_t minParallelWork = std::size_t{1} << 20;
};

// True when this processor can run `path`: Portable always, the vector
// paths on an x86-64 processor with their instructions.
bool solverPathAvailable(SolverPath path);

// The fastest available path, both threads when the machine has two cores.
SolverOptions defaultSolverOptions();

// solve() with explicit options; same contract, same results on every path,
// thread count and block sizes (all of them at least 1). `read` as for the
// solve() that fills it.
SolveResult solveWithOptions(const PartMatrix& coefRe, const PartMatrix& coefIm, const PartVector& constRe,
                             const PartVector& constIm, const SolverOptions& options, NumericSystem* read = nullptr);

}  // namespace kalvor
