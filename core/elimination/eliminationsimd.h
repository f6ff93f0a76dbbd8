#pragma once

// The vector update kernel, written once for any lane width. A kernel file
// includes this inside an anonymous namespace within namespace kalvor, after
// defining KALVOR_SIMD_TARGET (the target attribute every function here
// carries, so that only these functions use the wider instructions) and:
//   struct Simd   - the vector type V, the mask type Mask, the lane count W,
//                   and load/store/maskLoad/maskStore/tailMask/set1/zero,
//                   mul/div/sub/add/fmadd/fnmadd and anyNaN;
//   TileRows      - the rows a register tile holds;
//   ColumnChunk   - columns of the pivot block kept hot while rows stream by
//                   (a multiple of 2 * W).
// Every element goes through the steps in increasing k, one at a time, with
// the product, quotient and difference each rounded once, so the tiling
// changes only the order between different elements.

// The correctly rounded p / d from the step's rounded reciprocal (see
// StepDivisor for why this is exact inside ReciprocalRange).
KALVOR_SIMD_TARGET inline Simd::V reciprocalQuotient(Simd::V p, Simd::V d, Simd::V rh)
{
    const Simd::V q0 = Simd::mul(p, rh);
    const Simd::V e = Simd::fnmadd(q0, d, p);
    return Simd::fmadd(e, rh, q0);
}

// Rows i..i+R-1, columns j..j+2W-1 held in registers for all steps, or with
// Masked only the lanes of `mask` of the W columns from j.
template <int R, bool Fast, bool Masked>
KALVOR_SIMD_TARGET inline void updateTile(double* a, std::size_t ld, std::size_t kBegin, std::size_t kEnd,
                                          const StepDivisor* steps, std::size_t i, std::size_t j, Simd::Mask mask,
                                          Simd::V& check)
{
    constexpr int Vecs = Masked ? 1 : 2;
    Simd::V acc[R][Vecs];
#pragma GCC unroll 8
    for (int r = 0; r < R; ++r) {
        double* row = a + (i + r) * ld + j;
        if constexpr (Masked)
            acc[r][0] = Simd::maskLoad(row, mask);
        else
            for (int v = 0; v < Vecs; ++v)
                acc[r][v] = Simd::load(row + v * Simd::W);
    }
    for (std::size_t k = kBegin; k < kEnd; ++k) {
        // Rows whose multipliers are all zero change by nothing but the
        // sign of a zero; real-only systems have half their rows so.
        double m[R];
        bool anyNonZero = false;
#pragma GCC unroll 8
        for (int r = 0; r < R; ++r) {
            m[r] = a[(i + r) * ld + k];
            anyNonZero = anyNonZero || m[r] != 0;
        }
        if (!anyNonZero)
            continue;
        const StepDivisor& s = steps[k - kBegin];
        const double* pivot = a + k * ld + j;
        Simd::V u[Vecs];
        if constexpr (Masked)
            u[0] = Simd::maskLoad(pivot, mask);
        else
            for (int v = 0; v < Vecs; ++v)
                u[v] = Simd::load(pivot + v * Simd::W);
        const Simd::V d = Simd::set1(s.d);
        const Simd::V rh = Simd::set1(s.rh);
#pragma GCC unroll 8
        for (int r = 0; r < R; ++r) {
            const Simd::V mr = Simd::set1(m[r]);
#pragma GCC unroll 2
            for (int v = 0; v < Vecs; ++v) {
                const Simd::V p = Simd::mul(u[v], mr);
                const Simd::V q = Fast ? reciprocalQuotient(p, d, rh) : Simd::div(p, d);
                acc[r][v] = Simd::sub(acc[r][v], q);
            }
        }
    }
#pragma GCC unroll 8
    for (int r = 0; r < R; ++r) {
        double* row = a + (i + r) * ld + j;
        for (int v = 0; v < Vecs; ++v) {
            if constexpr (Masked)
                Simd::maskStore(row, mask, acc[r][v]);
            else
                Simd::store(row + v * Simd::W, acc[r][v]);
            // x - x is NaN exactly when x is an infinity or NaN.
            check = Simd::add(check, Simd::sub(acc[r][v], acc[r][v]));
        }
    }
}

template <int R, bool Fast>
KALVOR_SIMD_TARGET inline void updateRowTile(double* a, std::size_t ld, std::size_t kBegin, std::size_t kEnd,
                                             const StepDivisor* steps, std::size_t i, std::size_t colBegin,
                                             std::size_t colEnd, Simd::V& check)
{
    std::size_t j = colBegin;
    for (; j + 2 * Simd::W <= colEnd; j += 2 * Simd::W)
        updateTile<R, Fast, false>(a, ld, kBegin, kEnd, steps, i, j, Simd::tailMask(Simd::W), check);
    for (; j < colEnd; j += Simd::W) {
        const std::size_t left = colEnd - j < Simd::W ? colEnd - j : Simd::W;
        updateTile<R, Fast, true>(a, ld, kBegin, kEnd, steps, i, j, Simd::tailMask(left), check);
    }
}

template <int R>
KALVOR_SIMD_TARGET inline void updateRows(int rows, bool fast, double* a, std::size_t ld, std::size_t kBegin,
                                          std::size_t kEnd, const StepDivisor* steps, std::size_t i,
                                          std::size_t colBegin, std::size_t colEnd, Simd::V& check)
{
    if (rows == R) {
        if (fast)
            updateRowTile<R, true>(a, ld, kBegin, kEnd, steps, i, colBegin, colEnd, check);
        else
            updateRowTile<R, false>(a, ld, kBegin, kEnd, steps, i, colBegin, colEnd, check);
    } else if constexpr (R > 1) {
        updateRows<R - 1>(rows, fast, a, ld, kBegin, kEnd, steps, i, colBegin, colEnd, check);
    }
}

KALVOR_SIMD_TARGET inline bool updateSimd(const UpdateRange& range)
{
    double* const a = range.a;
    const std::size_t ld = range.ld, kBegin = range.kBegin, kEnd = range.kEnd;
    const StepDivisor* const steps = range.steps;
    const std::size_t rowBegin = range.rowBegin, rowEnd = range.rowEnd;
    const std::size_t colBegin = range.colBegin, colEnd = range.colEnd;
    const unsigned char* const fast = range.rowFast;
    if (kBegin >= kEnd || rowBegin >= rowEnd || colBegin >= colEnd)
        return true;
    Simd::V check = Simd::zero();
    for (std::size_t jc = colBegin; jc < colEnd; jc += ColumnChunk) {
        const std::size_t jcEnd = colEnd - jc < ColumnChunk ? colEnd : jc + ColumnChunk;
        for (std::size_t i = rowBegin; i < rowEnd; i += TileRows) {
            const int rows = rowEnd - i < std::size_t{TileRows} ? int(rowEnd - i) : TileRows;
            bool tileFast = true;
            for (int r = 0; r < rows; ++r)
                tileFast = tileFast && fast[i + r - rowBegin];
            updateRows<TileRows>(rows, tileFast, a, ld, kBegin, kEnd, steps, i, jc, jcEnd, check);
        }
    }
    return !Simd::anyNaN(check);
}

KALVOR_SIMD_TARGET inline void quotientsSimd(const StepDivisor& s, const double* p, std::size_t n, double* out)
{
    const Simd::V d = Simd::set1(s.d), rh = Simd::set1(s.rh);
    for (std::size_t i = 0; i < n; i += Simd::W) {
        const Simd::Mask mask = Simd::tailMask(n - i < Simd::W ? n - i : Simd::W);
        Simd::maskStore(out + i, mask, reciprocalQuotient(Simd::maskLoad(p + i, mask), d, rh));
    }
}
