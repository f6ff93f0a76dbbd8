#pragma once

// Double-double arithmetic: a value held as hi + lo, two doubles with
// |lo| <= ulp(hi) / 2, about 106 significant bits on every processor (long
// double is 80-bit on x86-64 only). The solution check needs it for its
// residuals and its refined solution, and neither the linear algebra library
// nor the standard library offers it.
//
// Every operation relies on each + - * being rounded once, as
// -ffp-contract=off guarantees; std::fma is exact whatever the flags.

#include <cmath>

namespace kalvor {
// Internal linkage on purpose: the check's instruction-set variants each
// compile their own copy, and one inline function with external linkage
// compiled for AVX-512 could otherwise be picked by the linker for all.
namespace {

struct DoubleDouble {
    double hi = 0;
    double lo = 0;
};

// a + b exactly, as the rounded sum and its error (Knuth's TwoSum).
inline DoubleDouble twoSum(double a, double b)
{
    const double s = a + b;
    const double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

// a + b exactly when |a| >= |b| or a is zero (Dekker's FastTwoSum).
inline DoubleDouble quickTwoSum(double a, double b)
{
    const double s = a + b;
    return {s, b - (s - a)};
}

// a * b exactly, as the rounded product and its error, while no part
// underflows. With a hardware fused multiply-add that is one fma; without
// one (portable x86-64) Dekker's splitting is far faster than the library's
// software fma, and is exact while |a|, |b| < 2^995.
inline DoubleDouble twoProd(double a, double b)
{
    const double p = a * b;
#if defined(FP_FAST_FMA) || defined(__FMA__)
    return {p, std::fma(a, b, -p)};
#else
    constexpr double split = 134217729.0;  // 2^27 + 1
    const double ta = split * a, tb = split * b;
    const double ah = ta - (ta - a), bh = tb - (tb - b);
    const double al = a - ah, bl = b - bh;
    return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
#endif
}

// x + y, with a relative error of a few units of 2^-106.
inline DoubleDouble add(DoubleDouble x, double y)
{
    const DoubleDouble s = twoSum(x.hi, y);
    return quickTwoSum(s.hi, s.lo + x.lo);
}

}  // namespace
}  // namespace kalvor
