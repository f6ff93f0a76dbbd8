#include "core/check/exactsolve.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <utility>

#include <boost/multiprecision/cpp_int.hpp>

namespace kalvor {

namespace {

using boost::multiprecision::cpp_int;

struct Gaussian {
    cpp_int re, im;
};

bool isZero(const Gaussian& z)
{
    return z.re.is_zero() && z.im.is_zero();
}

Gaussian times(const Gaussian& a, const Gaussian& b)
{
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}

Gaussian minus(const Gaussian& a, const Gaussian& b)
{
    return {a.re - b.re, a.im - b.im};
}

// a / b where the quotient is known to be a Gaussian integer.
Gaussian dividedExactly(const Gaussian& a, const Gaussian& b)
{
    if (b.im.is_zero())
        return {a.re / b.re, a.im / b.re};
    const cpp_int norm = b.re * b.re + b.im * b.im;
    return {(a.re * b.re + a.im * b.im) / norm, (a.im * b.re - a.re * b.im) / norm};
}

// |v| as mantissa * 2^exponent, the mantissa whole and odd (0 for zero).
struct Binary {
    std::uint64_t mantissa = 0;
    int exponent = 0;
};

Binary binary(double v)
{
    if (v == 0)
        return {};
    int exponent = 0;
    auto mantissa = static_cast<std::uint64_t>(std::ldexp(std::frexp(std::fabs(v), &exponent), 53));
    exponent -= 53;
    const int zeros = std::countr_zero(mantissa);
    return {mantissa >> zeros, exponent + zeros};
}

cpp_int wholeOf(double v, int lowestBit)
{
    const Binary b = binary(v);
    cpp_int w = b.mantissa;
    w <<= static_cast<unsigned>(b.exponent - lowestBit);
    return v < 0 ? cpp_int(-w) : w;
}

std::size_t bits(const cpp_int& v)
{
    return v.is_zero() ? 0 : boost::multiprecision::msb(boost::multiprecision::abs(v)) + 1;
}

// The double nearest to p / q, q > 0.
double nearest(cpp_int p, const cpp_int& q)
{
    if (p.is_zero())
        return 0.0;
    const bool negative = p < 0;
    if (negative)
        p = -p;
    // p / q * 2^s lies in [2^53, 2^55) for s = 54 - (msb p - msb q).
    const long s = 54 - (static_cast<long>(msb(p)) - static_cast<long>(msb(q)));
    cpp_int numerator = p, denominator = q;
    if (s >= 0)
        numerator <<= static_cast<unsigned>(s);
    else
        denominator <<= static_cast<unsigned>(-s);
    cpp_int quotient, remainder;
    divide_qr(numerator, denominator, quotient, remainder);
    // Drop k bits to keep 53, or more where the result is subnormal.
    long k = static_cast<long>(msb(quotient)) - 52;
    k = std::max(k, -1074 + s);
    const cpp_int one = 1;
    cpp_int mantissa = quotient >> static_cast<unsigned>(k);
    const cpp_int dropped = quotient - (mantissa << static_cast<unsigned>(k));
    const cpp_int half = one << static_cast<unsigned>(k - 1);
    if (dropped > half || (dropped == half && (!remainder.is_zero() || bit_test(mantissa, 0))))
        ++mantissa;
    const double magnitude
        = mantissa.is_zero() ? 0.0 : std::ldexp(mantissa.convert_to<double>(), static_cast<int>(k - s));
    return negative ? -magnitude : magnitude;
}

}  // namespace

double nearestDoubleOf(long long p, long long q)
{
    return nearest(cpp_int(p), cpp_int(q));
}

std::optional<std::vector<std::complex<double>>> exactNearestSolution(const NumericSystem& s, std::size_t bitBudget)
{
    const std::size_t n = s.n;
    // Row i times 2^-(its lowest bit): Gaussian integers, the solution the same.
    std::vector<std::vector<Gaussian>> m(n, std::vector<Gaussian>(n + 1));
    std::size_t widest = 0;
    for (std::size_t i = 0; i < n; ++i) {
        int lowest = 1 << 20;
        const auto note = [&](double v) {
            if (v != 0)
                lowest = std::min(lowest, binary(v).exponent);
        };
        for (std::size_t j = 0; j < n; ++j) {
            note(s.a[i * n + j].real());
            note(s.a[i * n + j].imag());
        }
        note(s.b[i].real());
        note(s.b[i].imag());
        if (lowest == 1 << 20)
            return std::nullopt;  // a row of zeros
        std::size_t rowBits = 0;
        for (std::size_t j = 0; j <= n; ++j) {
            const std::complex<double> v = j < n ? s.a[i * n + j] : s.b[i];
            m[i][j] = {wholeOf(v.real(), lowest), wholeOf(v.imag(), lowest)};
            rowBits = std::max({rowBits, bits(m[i][j].re), bits(m[i][j].im)});
        }
        widest = std::max(widest, rowBits);
    }
    if (widest * n > bitBudget)
        return std::nullopt;

    Gaussian previous{1, 0};
    for (std::size_t k = 0; k < n; ++k) {
        std::size_t p = k;
        while (p < n && isZero(m[p][k]))
            ++p;
        if (p == n)
            return std::nullopt;
        std::swap(m[k], m[p]);
        for (std::size_t i = k + 1; i < n; ++i) {
            for (std::size_t j = k + 1; j <= n; ++j)
                m[i][j] = dividedExactly(minus(times(m[k][k], m[i][j]), times(m[i][k], m[k][j])), previous);
            m[i][k] = {};
        }
        previous = m[k][k];
    }
    // The last pivot is the determinant d; y = d x is a Gaussian integer.
    const Gaussian d = m[n - 1][n - 1];
    std::vector<Gaussian> y(n);
    for (std::size_t i = n; i-- > 0;) {
        Gaussian sum = times(d, m[i][n]);
        for (std::size_t j = i + 1; j < n; ++j)
            sum = minus(sum, times(m[i][j], y[j]));
        y[i] = dividedExactly(sum, m[i][i]);
    }
    // x = y conj(d) / |d|^2.
    const cpp_int norm = d.re * d.re + d.im * d.im;
    std::vector<std::complex<double>> x(n);
    for (std::size_t j = 0; j < n; ++j)
        x[j] = {nearest(y[j].re * d.re + y[j].im * d.im, norm), nearest(y[j].im * d.re - y[j].re * d.im, norm)};
    return x;
}

}  // namespace kalvor
