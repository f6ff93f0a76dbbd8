#include "core/check/exactsum.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace kalvor {

namespace {

// |v| = mantissa * 2^exponent with a whole mantissa below 2^53; v finite.
struct Split {
    std::uint64_t mantissa = 0;
    int exponent = 0;
};

Split split(double v)
{
    const auto bits = std::bit_cast<std::uint64_t>(v);
    const auto biased = static_cast<int>((bits >> 52) & 0x7ff);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    // Subnormals have no hidden bit and the exponent of the least normal.
    if (biased == 0)
        return {fraction, -1074};
    return {fraction | (std::uint64_t{1} << 52), biased - 1075};
}

}  // namespace

void ExactAccumulator::addMagnitude(unsigned __int128 magnitude, int exponent, bool negate)
{
    if (magnitude == 0)
        return;
    const int offset = exponent - LowestBit;
    const int limb = offset / 64, shift = offset % 64;
    const auto low = static_cast<std::uint64_t>(magnitude), high = static_cast<std::uint64_t>(magnitude >> 64);
    std::uint64_t words[3] = {low << shift, shift ? (high << shift) | (low >> (64 - shift)) : high,
                              shift ? high >> (64 - shift) : 0};
    std::uint64_t carry = 0;
    for (int k = limb; k < Limbs; ++k) {
        const std::uint64_t w = k - limb < 3 ? words[k - limb] : 0;
        if (k - limb >= 3 && carry == 0)
            break;
        const std::uint64_t before = limbs_[k];
        if (!negate) {
            const std::uint64_t sum = before + w;
            const std::uint64_t total = sum + carry;
            carry = (sum < before) || (total < sum) ? 1 : 0;
            limbs_[k] = total;
        } else {
            const std::uint64_t difference = before - w;
            const std::uint64_t total = difference - carry;
            carry = (before < w) || (difference < carry) ? 1 : 0;
            limbs_[k] = total;
        }
    }
}

void ExactAccumulator::addProduct(double a, double b, int scale, bool negate)
{
    const Split x = split(a), y = split(b);
    const bool negative = (a < 0) != (b < 0);
    addMagnitude(static_cast<unsigned __int128>(x.mantissa) * y.mantissa, x.exponent + y.exponent + scale,
                 negate != negative);
}

void ExactAccumulator::add(double v, int scale, bool negate)
{
    const Split x = split(v);
    addMagnitude(x.mantissa, x.exponent + scale, negate != (v < 0));
}

bool ExactAccumulator::isZero() const
{
    for (const std::uint64_t w : limbs_)
        if (w != 0)
            return false;
    return true;
}

double ExactAccumulator::value(int scale) const
{
    std::array<std::uint64_t, Limbs> m = limbs_;
    const bool negative = (m[Limbs - 1] >> 63) != 0;
    if (negative) {
        // Two's complement: invert and add one.
        std::uint64_t carry = 1;
        for (std::uint64_t& w : m) {
            w = ~w + carry;
            carry = carry && w == 0 ? 1 : 0;
        }
    }
    int top = Limbs - 1;
    while (top >= 0 && m[top] == 0)
        --top;
    if (top < 0)
        return 0.0;
    // The top 128 bits, the bits below them kept as a sticky bit, are more
    // than a double needs.
    unsigned __int128 head = m[top];
    int exponent = LowestBit + 64 * top;
    if (top > 0) {
        head = (head << 64) | m[top - 1];
        exponent -= 64;
        bool sticky = false;
        for (int k = top - 2; k >= 0 && !sticky; --k)
            sticky = m[k] != 0;
        head |= sticky ? 1 : 0;
    }
    const double v = std::ldexp(static_cast<double>(head), exponent + scale);
    return negative ? -v : v;
}

bool solvesExactly(const NumericSystem& s, const std::vector<std::complex<double>>& x)
{
    const std::size_t n = s.n;
    ExactAccumulator re, im;
    for (std::size_t i = 0; i < n; ++i) {
        re.clear();
        im.clear();
        re.add(s.b[i].real(), 0, false);
        im.add(s.b[i].imag(), 0, false);
        for (std::size_t j = 0; j < n; ++j) {
            const std::complex<double> a = s.a[i * n + j];
            // b - a x: real part b - ar xr + ai xi, imaginary b - ar xi - ai xr.
            re.addProduct(a.real(), x[j].real(), 0, true);
            re.addProduct(a.imag(), x[j].imag(), 0, false);
            im.addProduct(a.real(), x[j].imag(), 0, true);
            im.addProduct(a.imag(), x[j].real(), 0, true);
        }
        if (!re.isZero() || !im.isZero())
            return false;
    }
    return true;
}

bool scaledExactResidual(const NumericSystem& s, const std::vector<std::vector<std::complex<double>>>& terms,
                         const std::vector<int>& colExponent, const std::vector<int>& rowExponent,
                         std::vector<std::complex<double>>& r)
{
    const std::size_t n = s.n;
    ExactAccumulator re, im;
    bool zero = true;
    for (std::size_t i = 0; i < n; ++i) {
        re.clear();
        im.clear();
        re.add(s.b[i].real(), 0, false);
        im.add(s.b[i].imag(), 0, false);
        for (std::size_t j = 0; j < n; ++j) {
            const std::complex<double> a = s.a[i * n + j];
            const int c = colExponent[j];
            for (const std::complex<double> x : terms[j]) {
                re.addProduct(a.real(), x.real(), c, true);
                re.addProduct(a.imag(), x.imag(), c, false);
                im.addProduct(a.real(), x.imag(), c, true);
                im.addProduct(a.imag(), x.real(), c, true);
            }
        }
        zero = zero && re.isZero() && im.isZero();
        r[i] = {re.value(rowExponent[i]), im.value(rowExponent[i])};
    }
    return zero;
}

}  // namespace kalvor
