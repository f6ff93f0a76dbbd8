#pragma once

#include <array>
#include <complex>
#include <cstdint>
#include <vector>

#include "core/check/solutioncheck.h"

namespace kalvor {

// An exact sum of products of doubles times powers of two, over every
// magnitude doubles reach: a fixed-point number of 9,216 bits, its lowest bit
// 2^-4608, in two's complement (a long accumulator). Adding a term is exact
// and costs a few integer operations, so neither underflow nor overflow can
// spoil a residual taken with it, whatever the magnitudes of the numbers.
class ExactAccumulator {
public:
    // Adds a * b * 2^scale, or subtracts it when `negate`. a and b finite;
    // |scale| <= 1200.
    void addProduct(double a, double b, int scale, bool negate);
    // Adds v * 2^scale, or subtracts it.
    void add(double v, int scale, bool negate);
    bool isZero() const;
    // The sum times 2^scale, rounded to a double (within a few units of the
    // last place; 0 only for an exact zero, unless it underflows).
    double value(int scale) const;
    void clear() { limbs_.fill(0); }

private:
    static constexpr int Limbs = 144;
    static constexpr int LowestBit = -4608;
    void addMagnitude(unsigned __int128 magnitude, int exponent, bool negate);
    std::array<std::uint64_t, Limbs> limbs_{};
};

// Whether A x = b holds exactly for the doubles x (complex, n of them).
bool solvesExactly(const NumericSystem& s, const std::vector<std::complex<double>>& x);

// The residual r_i = b_i - sum_j a_ij x_j taken exactly, where
// x_j = 2^colExponent[j] * (sum of terms[j]), then times 2^rowExponent[i]
// and rounded to a double per part: the residual of a scaled system, free of
// underflow while the scaled residual stays in the double range. Returns
// true when every residual is exactly zero.
bool scaledExactResidual(const NumericSystem& s, const std::vector<std::vector<std::complex<double>>>& terms,
                         const std::vector<int>& colExponent, const std::vector<int>& rowExponent,
                         std::vector<std::complex<double>>& r);

}  // namespace kalvor
