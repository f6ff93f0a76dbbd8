#include "core/elimination/eliminationkernel.h"

#if KALVOR_X86_64

#include <immintrin.h>

#include <cstddef>

// Compiled for AVX2 with FMA whatever the build flags; only called after the
// processor was found to support both.
#define KALVOR_SIMD_TARGET __attribute__((target("avx2,fma")))

namespace kalvor {
namespace {

struct Simd {
    using V = __m256d;
    using Mask = __m256i;
    static constexpr std::size_t W = 4;
    KALVOR_SIMD_TARGET static V load(const double* p) { return _mm256_loadu_pd(p); }
    KALVOR_SIMD_TARGET static void store(double* p, V v) { _mm256_storeu_pd(p, v); }
    KALVOR_SIMD_TARGET static V maskLoad(const double* p, Mask m) { return _mm256_maskload_pd(p, m); }
    KALVOR_SIMD_TARGET static void maskStore(double* p, Mask m, V v) { _mm256_maskstore_pd(p, m, v); }
    KALVOR_SIMD_TARGET static Mask tailMask(std::size_t n)
    {
        const long long on = -1;
        return _mm256_setr_epi64x(n > 0 ? on : 0, n > 1 ? on : 0, n > 2 ? on : 0, n > 3 ? on : 0);
    }
    KALVOR_SIMD_TARGET static V set1(double x) { return _mm256_set1_pd(x); }
    KALVOR_SIMD_TARGET static V zero() { return _mm256_setzero_pd(); }
    KALVOR_SIMD_TARGET static V mul(V a, V b) { return _mm256_mul_pd(a, b); }
    KALVOR_SIMD_TARGET static V div(V a, V b) { return _mm256_div_pd(a, b); }
    KALVOR_SIMD_TARGET static V sub(V a, V b) { return _mm256_sub_pd(a, b); }
    KALVOR_SIMD_TARGET static V add(V a, V b) { return _mm256_add_pd(a, b); }
    KALVOR_SIMD_TARGET static V fmadd(V a, V b, V c) { return _mm256_fmadd_pd(a, b, c); }
    KALVOR_SIMD_TARGET static V fnmadd(V a, V b, V c) { return _mm256_fnmadd_pd(a, b, c); }
    KALVOR_SIMD_TARGET static bool anyNaN(V v) { return _mm256_movemask_pd(_mm256_cmp_pd(v, v, _CMP_UNORD_Q)) != 0; }
};

constexpr int TileRows = 3;
constexpr std::size_t ColumnChunk = 32;

#include "core/elimination/eliminationsimd.h"

}  // namespace

KALVOR_SIMD_TARGET bool updateAvx2(const UpdateRange& range)
{
    return updateSimd(range);
}

KALVOR_SIMD_TARGET void quotientsAvx2(const StepDivisor& s, const double* p, std::size_t n, double* out)
{
    quotientsSimd(s, p, n, out);
}

}  // namespace kalvor

#undef KALVOR_SIMD_TARGET

#endif  // KALVOR_X86_64
