#include "core/solverpaths.h"

#include <thread>

#include "core/check/checkkernel.h"
#include "core/elimination/eliminationkernel.h"

// The processor's instruction sets, the options the solver runs with by
// default, and the kernels each path runs, for the elimination and for the
// check of its solution: one place, so that a path is never chosen without
// the processor's support.

namespace kalvor {

bool solverPathAvailable(SolverPath path)
{
    switch (path) {
    case SolverPath::Portable:
        return true;
#if KALVOR_X86_64
    case SolverPath::Avx2:
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    case SolverPath::Avx512:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx2")
            && __builtin_cpu_supports("fma");
#else
    case SolverPath::Avx2:
    case SolverPath::Avx512:
        return false;
#endif
    }
    return false;
}

SolverOptions defaultSolverOptions()
{
    SolverOptions options;
    options.path = solverPathAvailable(SolverPath::Avx512) ? SolverPath::Avx512
        : solverPathAvailable(SolverPath::Avx2)            ? SolverPath::Avx2
                                                           : SolverPath::Portable;
    options.threads = std::thread::hardware_concurrency() >= 2 ? 2 : 1;
    return options;
}

UpdateKernel* updateKernelFor(SolverPath path)
{
    switch (path) {
    case SolverPath::Avx512:
        return updateAvx512;
    case SolverPath::Avx2:
        return updateAvx2;
    case SolverPath::Portable:
        break;
    }
    return updatePortable;
}

CheckKernel checkKernelFor(SolverPath path)
{
#if KALVOR_X86_64
    if (solverPathAvailable(path)) {
        if (path == SolverPath::Avx512)
            return checkKernelAvx512();
        if (path == SolverPath::Avx2)
            return checkKernelAvx2();
    }
#else
    (void)path;
#endif
    return checkKernelPortable();
}

}  // namespace kalvor
