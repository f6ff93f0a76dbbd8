#pragma once

#include <cmath>
#include <cstddef>

namespace kalvor {

// One elimination step as the update kernels see it. Every element update is
//     x = x - (u * m) / d
// with u the pivot-row value of the column, m the row's multiplier and d the
// pivot: product, then quotient, then difference, each rounded once.
//
// The quotient may come from the rounded reciprocal rh = 1/d instead:
//     q0 = P * rh           within 1.5 units in the last place of P / d
//     e  = fma(-q0, d, P)   the remainder P - q0 * d, rounded once
//     q  = fma(e, rh, q0)   equal to the rounded P / d
// Why the last value is exactly the IEEE quotient, with a and b the
// significands of P and d in [1, 2) and nothing near the ends of the double
// range (ReciprocalRange makes sure of that):
//  - rh = (1/b)(1 + r) with |r| < 2^-53, so T = q0 + e * rh lies within
//    |a/b - q0| * |r| of a/b, plus the rounding of e when e is not exact;
//  - a/b is never halfway between two doubles, and its distance to a
//    halfway point is an integer multiple of 2^-106 / b (2^-105 / b when
//    a >= b). q is wrong only if T reaches across such a halfway point.
//    Counting that distance and |T - a/b| in these units, every case (q0
//    within one unit or not, e exact or rounded, q0 above or below a/b)
//    ends with an integer strictly between bounds less than one apart, or
//    with a bound on a * |rh - 1/b| that contradicts how q0 was rounded.
//    q0 leaves the binade of a/b only by rounding up onto the power of two
//    above it, where the remainder is exact and the same counting applies,
//    or, when a = b, down to just below 1, where T rounds back to 1. Below
//    the binade otherwise would need |rh - 1/b| beyond half a unit.
// The tests check the same three lines exhaustively, every pair of
// significands, in precisions of 6 to 12 bits (it passes up to 16 bits too,
// too slow for every run), and the kernels against true division on tens of
// millions of random and hard operands, quotients next to powers of two
// included.
struct StepDivisor {
    double d = 1;   // the pivot
    double rh = 1;  // 1/d rounded
    double lo = 0;  // smallest non-zero |u| over the columns updated
    double hi = 0;  // largest |u| over the columns updated
    bool fast = false; // d lies in the range where the reciprocal is used
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
inline StepDivisor makeStepDivisor(double d, const double* pivotRow,
                                   std::size_t colBegin, std::size_t colEnd)
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
