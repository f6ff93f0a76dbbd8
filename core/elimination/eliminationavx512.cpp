#include "core/elimination/eliminationkernel.h"

#if KALVOR_X86_64

#include <immintrin.h>

#include <cstddef>

// Compiled for AVX-512 whatever the build flags; only called after the
// processor was found to support it.
#define KALVOR_SIMD_TARGET __attribute__((target("avx512f,avx512dq,avx2,fma")))

namespace kalvor {
namespace {

struct Simd {
    using V = __m512d;
    using Mask = __mmask8;
    static constexpr std::size_t W = 8;
    KALVOR_SIMD_TARGET static V load(const double* p) { return _mm512_loadu_pd(p); }
    KALVOR_SIMD_TARGET static void store(double* p, V v) { _mm512_storeu_pd(p, v); }
    KALVOR_SIMD_TARGET static V maskLoad(const double* p, Mask m) { return _mm512_maskz_loadu_pd(m, p); }
    KALVOR_SIMD_TARGET static void maskStore(double* p, Mask m, V v) { _mm512_mask_storeu_pd(p, m, v); }
    KALVOR_SIMD_TARGET static Mask tailMask(std::size_t n) { return Mask((1u << n) - 1u); }
    KALVOR_SIMD_TARGET static V set1(double x) { return _mm512_set1_pd(x); }
    KALVOR_SIMD_TARGET static V zero() { return _mm512_setzero_pd(); }
    KALVOR_SIMD_TARGET static V mul(V a, V b) { return _mm512_mul_pd(a, b); }
    KALVOR_SIMD_TARGET static V div(V a, V b) { return _mm512_div_pd(a, b); }
    KALVOR_SIMD_TARGET static V sub(V a, V b) { return _mm512_sub_pd(a, b); }
    KALVOR_SIMD_TARGET static V add(V a, V b) { return _mm512_add_pd(a, b); }
    KALVOR_SIMD_TARGET static V fmadd(V a, V b, V c) { return _mm512_fmadd_pd(a, b, c); }
    KALVOR_SIMD_TARGET static V fnmadd(V a, V b, V c) { return _mm512_fnmadd_pd(a, b, c); }
    KALVOR_SIMD_TARGET static bool anyNaN(V v) { return _mm512_cmp_pd_mask(v, v, _CMP_UNORD_Q) != 0; }
};

constexpr int TileRows = 4;
constexpr std::size_t ColumnChunk = 32;

#include "core/elimination/eliminationsimd.h"

}  // namespace

KALVOR_SIMD_TARGET bool updateAvx512(const UpdateRange& range)
{
    return updateSimd(range);
}

KALVOR_SIMD_TARGET void quotientsAvx512(const StepDivisor& s, const double* p, std::size_t n, double* out)
{
    quotientsSimd(s, p, n, out);
}

}  // namespace kalvor

#undef KALVOR_SIMD_TARGET

#endif  // KALVOR_X86_64
