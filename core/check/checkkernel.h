#pragma once

#include <complex>
#include <cstddef>
#include <vector>

#include "core/check/checkfactorization.h"
#include "core/check/solutioncheck.h"
#include "core/solverpaths.h"

namespace kalvor {

// The heavy parts of the solution check, compiled once per instruction set:
// checkkernelportable.cpp everywhere, checkkernelavx2.cpp and
// checkkernelavx512.cpp on x86-64. Each variant holds its own copy of the
// linear algebra library in a namespace of its own, and only plain pointers,
// sizes and CheckFactorization cross between the variants, so no inline
// function compiled for one instruction set can stand in for another's at
// link time (tests/core/checkkernel_symbols.sh verifies the objects).
struct CheckKernel {
    // Factors the n x n column-major matrix `a` in place; `a` must outlive
    // the result, which the caller owns.
    CheckFactorization* (*factor)(std::complex<double>* a, std::size_t n);
    // The same with a pivoted QR factorisation, for the deep refinement: no
    // element growth; its condition number comes from the inverse (n^3).
    CheckFactorization* (*factorStable)(std::complex<double>* a, std::size_t n);
    // r = b - a (xHi + xLo) for the row-major n x n matrix `a`, every entry
    // summed as in twice the working precision and rounded once. `scratch`
    // holds 8n doubles. Products must neither overflow nor underflow.
    void (*residual)(const std::complex<double>* a, const std::complex<double>* b, const std::complex<double>* xHi,
                     const std::complex<double>* xLo, std::size_t n, std::complex<double>* r, double* scratch);
};

CheckKernel checkKernelPortable();
#if defined(__x86_64__)
CheckKernel checkKernelAvx2();
CheckKernel checkKernelAvx512();
#endif

// The kernel of `path` when this processor can run it, the portable one
// otherwise (core/solverpaths.cpp, where each path's kernels are chosen).
CheckKernel checkKernelFor(SolverPath path);

// How far a check went beyond the double-double refinement: an exact
// residual of candidate solutions, the exact rational solve, the deep
// refinement.
enum class CheckEscalation { None, Candidate, Rational, Deep };

// What one check did, for tests and benchmarks.
struct CheckStatistics {
    int corrections = 0;               // LU solves, the first (the initial solution) included
    double normwiseBound = 0;          // relative error bound of the scaled solution
    bool componentwiseUsable = false;  // whether per-part relative bounds were used
    bool exact = false;                // whether the refined solution solves the system exactly
    CheckEscalation escalation = CheckEscalation::None;  // the last way tried
    int deepSteps = 0;                                   // corrections of the deep refinement
};

// checkSolution() on the given kernel path (Portable when this processor
// lacks it), reporting what it did into `statistics` when not null.
SolutionCheck checkSolutionOnPath(const NumericSystem& system, const std::vector<double>& shownRe,
                                  const std::vector<double>& shownIm, SolverPath path,
                                  CheckStatistics* statistics = nullptr);

}  // namespace kalvor
