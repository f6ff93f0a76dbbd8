#pragma once

#include <cmath>
#include <cstddef>

namespace kalvor {

// One elimination step as the update kernels see it. Every element update is
//     x = x - (u * m) / d
// with u the pivot-row value of the column, m the row's multiplier and d the
// pivot: product, then quotient, then difference, each rounded once.
//
// The quotient may come from the reciprocal instead of a division:
//     q0 = fma(P, rh, P * rl)   faithful: off by less than one unit in the
//                               last place, since rh + rl is 1/d to ~2^-105
//     e  = fma(-q0, d, P)       the exact remainder (q0 is faithful)
//     q  = fma(e, rh, q0)       the correctly rounded quotient P / d
// The last step is the classic one-correction result: from a faithful
// quotient and the correctly rounded reciprocal, one exact remainder and one
// fused step give the correctly rounded quotient, provided nothing is near
// the edges of the double range. ReciprocalRange keeps every intermediate
// (P, q0, e, e * rh, q, rl and P * rl) far from underflow and overflow.
struct StepDivisor {
    double d = 1;   // the pivot
    double rh = 1;  // 1/d rounded
    double rl = 0;  // (1 - d * rh) * rh rounded: 1/d - rh to about 2^-105
    double lo = 0;  // smallest non-zero |u| over the columns updated
    double hi = 0;  // largest |u| over the columns updated
    bool fast = false; // d lies in the range where the reciprocal is used
};

struct ReciprocalRange {
    // |d| within [2^-300, 2^300]; every non-zero product within
    // [2^-600, 2^600]; so the quotient lies within [2^-900, 2^900] and the
    // remainder, of magnitude about |P| * 2^-53 or exactly 0, is a normal
    // number with room to spare.
    static constexpr double minDivisor = 0x1p-300;
    static constexpr double maxDivisor = 0x1p300;
    static constexpr double minProduct = 0x1p-600;
    static constexpr double maxProduct = 0x1p600;
};

// The step for pivot `d` updating the columns [colBegin, colEnd) with pivot
// row `pivotRow` (indexed by column). `d` must be finite and non-zero.
inline StepDivisor makeStepDivisor(double d, const double* pivotRow,
                                   std::size_t colBegin, std::size_t colEnd)
{
    StepDivisor s;
    s.d = d;
    const double ad = std::fabs(d);
    s.fast = ad >= ReciprocalRange::minDivisor && ad <= ReciprocalRange::maxDivisor;
    if (s.fast) {
        s.rh = 1.0 / d;
        s.rl = std::fma(-s.rh, d, 1.0) * s.rh;
    }
    double lo = INFINITY, hi = 0;
    for (std::size_t j = colBegin; j < colEnd; ++j) {
        const double u = std::fabs(pivotRow[j]);
        if (u != 0 && u < lo)
            lo = u;
        if (u > hi)
            hi = u;
    }
    s.lo = lo;
    s.hi = hi;
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

// Applies steps kBegin..kEnd-1, in this order for every element, to rows
// [rowBegin, rowEnd) and columns [colBegin, colEnd) of the row-major matrix
// `a` with row stride `ld`. The multiplier of row i in step k is a[i][k] and
// the pivot-row value of column j is a[k][j]; every row must lie below every
// step (i > k) and the columns must not include any step column.
// `steps[k - kBegin]` describes step k over exactly these columns, and
// rowFast[i - rowBegin] tells whether row i passed rowMayUseReciprocal for
// every step (the portable kernel never uses it).
// Returns true when every value written is finite.
using UpdateKernel = bool (*)(double* a, std::size_t ld, std::size_t kBegin, std::size_t kEnd,
                              const StepDivisor* steps, std::size_t rowBegin, std::size_t rowEnd,
                              std::size_t colBegin, std::size_t colEnd, const unsigned char* rowFast);

bool updatePortable(double* a, std::size_t ld, std::size_t kBegin, std::size_t kEnd,
                    const StepDivisor* steps, std::size_t rowBegin, std::size_t rowEnd,
                    std::size_t colBegin, std::size_t colEnd, const unsigned char* rowFast);
bool updateAvx2(double* a, std::size_t ld, std::size_t kBegin, std::size_t kEnd,
                const StepDivisor* steps, std::size_t rowBegin, std::size_t rowEnd,
                std::size_t colBegin, std::size_t colEnd, const unsigned char* rowFast);
bool updateAvx512(double* a, std::size_t ld, std::size_t kBegin, std::size_t kEnd,
                  const StepDivisor* steps, std::size_t rowBegin, std::size_t rowEnd,
                  std::size_t colBegin, std::size_t colEnd, const unsigned char* rowFast);

// The guarded reciprocal quotient of the vector paths applied to single
// operands, for tests: out[i] = p[i] / s.d as the kernel computes it for a
// row whose products are p (each p[i] must satisfy the guard of `s`).
void quotientsAvx2(const StepDivisor& s, const double* p, std::size_t n, double* out);
void quotientsAvx512(const StepDivisor& s, const double* p, std::size_t n, double* out);

} // namespace kalvor
