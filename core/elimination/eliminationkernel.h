#pragma once

#include <cmath>
#include <cstddef>

#include "core/solverpaths.h"

// Whether the core is compiled for x86-64. The vector kernels are compiled
// only there; on other processors their paths are never available.
#if defined(__x86_64__) || defined(_M_X64)
#define KALVOR_X86_64 1
#else
#define KALVOR_X86_64 0
#endif

namespace kalvor {

// One elimination step as the update kernels see it. Every element update is
//     x = x - (u * m) / d
// with u the pivot-row value of the column, m the row's multiplier and d the
// pivot: product, then quotient, then difference, each rounded once.
//
// The quotient of P = u * m may come from rh = 1/d rounded instead: q0 = P * rh,
// e = fma(-q0, d, P), q = fma(e, rh, q0) is exactly the rounded P / d while
// d and P stay inside ReciprocalRange (why: docs/reciprocal-quotient.md).
struct StepDivisor {
    double d = 1;       // the pivot
    double rh = 1;      // 1/d rounded
    double lo = 0;      // smallest non-zero |u| over the columns updated
    double hi = 0;      // largest |u| over the columns updated
    bool fast = false;  // d lies in the range where the reciprocal is used
};

struct ReciprocalRange {
    // |d| within [2^-300, 2^300]; every non-zero product within
    // [2^-600, 2^600]; so the quotient lies within [2^-900, 2^900] and the
    // remainder, of magnitude about |P| * 2^-52 or exactly 0, is a normal
    // number with room to spare.
    static constexpr double minDivisor = 0x1p-300;
    static constexpr double maxDivisor = 0x1p300;
    static constexpr double minProduct = 0x1p-600;
    static constexpr double maxProduct = 0x1p600;
};

// The step for pivot `d` updating the columns [colBegin, colEnd) with pivot
// row `pivotRow` (indexed by column). `d` must be finite and non-zero.
inline StepDivisor makeStepDivisor(double d, const double* pivotRow, std::size_t colBegin, std::size_t colEnd)
{
    StepDivisor s;
    s.d = d;
    const double ad = std::fabs(d);
    s.fast = ad >= ReciprocalRange::minDivisor && ad <= ReciprocalRange::maxDivisor;
    if (s.fast)
        s.rh = 1.0 / d;
    // This runs for every step over every column it updates: four
    // independent branch-free lanes keep it off the critical path.
    double lo[4] = {INFINITY, INFINITY, INFINITY, INFINITY}, hi[4] = {0, 0, 0, 0};
    std::size_t j = colBegin;
    for (; j + 4 <= colEnd; j += 4)
        for (int l = 0; l < 4; ++l) {
            const double u = std::fabs(pivotRow[j + l]);
            const double nonZero = u == 0 ? INFINITY : u;
            lo[l] = nonZero < lo[l] ? nonZero : lo[l];
            hi[l] = u > hi[l] ? u : hi[l];
        }
    for (; j < colEnd; ++j) {
        const double u = std::fabs(pivotRow[j]);
        const double nonZero = u == 0 ? INFINITY : u;
        lo[0] = nonZero < lo[0] ? nonZero : lo[0];
        hi[0] = u > hi[0] ? u : hi[0];
    }
    s.lo = std::fmin(std::fmin(lo[0], lo[1]), std::fmin(lo[2], lo[3]));
    s.hi = std::fmax(std::fmax(hi[0], hi[1]), std::fmax(hi[2], hi[3]));
    return s;
}

// Whether a row with multiplier `m` may use the reciprocal quotient in step
// `s`: a zero multiplier gives exact zero products; otherwise every non-zero
// product must stay inside ReciprocalRange (rounding is monotone, so bounding
// the products of the extreme |u| bounds them all).
inline bool rowMayUseReciprocal(const StepDivisor& s, double m)
{
    if (m == 0)
        return true;
    if (!s.fast)
        return false;
    const double am = std::fabs(m);
    return s.lo * am >= ReciprocalRange::minProduct && s.hi * am <= ReciprocalRange::maxProduct;
}

// The part of the row-major matrix `a` (row stride `ld`) one kernel call
// updates: steps kBegin..kEnd-1, in this order for every element, on rows
// [rowBegin, rowEnd) and columns [colBegin, colEnd). The multiplier of row i
// in step k is a[i][k] and the pivot-row value of column j is a[k][j]; every
// row must lie below every step (i > k) and the columns must not include any
// step column. `steps[k - kBegin]` describes step k over exactly these
// columns, and rowFast[i - rowBegin] tells whether row i passed
// rowMayUseReciprocal for every step (the portable kernel never uses it).
struct UpdateRange {
    double* a;
    std::size_t ld;
    std::size_t kBegin, kEnd;
    const StepDivisor* steps;
    std::size_t rowBegin, rowEnd;
    const unsigned char* rowFast;
    std::size_t colBegin, colEnd;
};

// An update kernel applies `range` and returns true when every value it
// wrote is finite. The paths are declared through this one type so that
// they cannot drift apart. Every path has an entry on every processor
// (eliminationunavailable.cpp); the solver calls only the available ones.
using UpdateKernel = bool(const UpdateRange& range);

UpdateKernel updatePortable;
UpdateKernel updateAvx2;
UpdateKernel updateAvx512;

// The kernel of `path` (core/solverpaths.cpp, where each path's kernels are
// chosen). The vector ones only for a path solverPathAvailable() allows.
UpdateKernel* updateKernelFor(SolverPath path);

// The guarded reciprocal quotient of the vector paths applied to single
// operands, for tests: out[i] = p[i] / s.d as the kernel computes it for a
// row whose products are p (each p[i] must satisfy the guard of `s`).
void quotientsAvx2(const StepDivisor& s, const double* p, std::size_t n, double* out);
void quotientsAvx512(const StepDivisor& s, const double* p, std::size_t n, double* out);

}  // namespace kalvor
