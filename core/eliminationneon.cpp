#include "core/eliminationkernel.h"

#if KALVOR_AARCH64

#include <arm_neon.h>

#include <cstddef>

// Advanced SIMD (NEON) is part of every 64-bit ARM processor: no target
// attribute and no run-time check are needed.
#define KALVOR_SIMD_TARGET

namespace kalvor {
namespace {

struct Simd {
    using V = float64x2_t;
    // NEON has no masked loads or stores: a mask is the count of leading
    // lanes in use, and with two lanes a tail is a single column.
    using Mask = std::size_t;
    static constexpr std::size_t W = 2;
    static V load(const double* p) { return vld1q_f64(p); }
    static void store(double* p, V v) { vst1q_f64(p, v); }
    static V maskLoad(const double* p, Mask m)
    {
        return m >= W ? vld1q_f64(p) : m == 1 ? vld1q_lane_f64(p, vdupq_n_f64(0), 0) : vdupq_n_f64(0);
    }
    static void maskStore(double* p, Mask m, V v)
    {
        if (m >= W)
            vst1q_f64(p, v);
        else if (m == 1)
            vst1q_lane_f64(p, v, 0);
    }
    static Mask tailMask(std::size_t n) { return n; }
    static V set1(double x) { return vdupq_n_f64(x); }
    static V zero() { return vdupq_n_f64(0); }
    static V mul(V a, V b) { return vmulq_f64(a, b); }
    static V div(V a, V b) { return vdivq_f64(a, b); }
    static V sub(V a, V b) { return vsubq_f64(a, b); }
    static V add(V a, V b) { return vaddq_f64(a, b); }
    // a * b + c and c - a * b, each rounded once.
    static V fmadd(V a, V b, V c) { return vfmaq_f64(c, a, b); }
    static V fnmadd(V a, V b, V c) { return vfmsq_f64(c, a, b); }
    static bool anyNaN(V v)
    {
        // A lane compares equal to itself unless it is NaN.
        return vminvq_u32(vreinterpretq_u32_u64(vceqq_f64(v, v))) == 0;
    }
};

constexpr int TileRows = 4;
constexpr std::size_t ColumnChunk = 32;

#include "core/eliminationsimd.h"

}  // namespace

bool updateNeon(const UpdateRange& range)
{
    return updateSimd(range);
}

void quotientsNeon(const StepDivisor& s, const double* p, std::size_t n, double* out)
{
    quotientsSimd(s, p, n, out);
}

}  // namespace kalvor

#undef KALVOR_SIMD_TARGET

#endif  // KALVOR_AARCH64
