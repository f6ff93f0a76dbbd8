#include "core/formula/complexmath.h"

#include <cmath>
#include <limits>

#include "core/polar.h"

namespace kalvor::complexmath {

namespace {

using Complex = std::complex<double>;
using Code = FormulaOp::Code;

constexpr double kLn10 = 2.302585092994045684;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The principal angle in radians; a real number has the angle of +0i (so
// ln(-1) is +pi i, whatever sign a negation left on the zero).
double angle(Complex a)
{
    return std::atan2(a.imag() == 0.0 ? 0.0 : a.imag(), a.real());
}

bool isZero(Complex a)
{
    return a.real() == 0.0 && a.imag() == 0.0;
}

Complex power(Complex a, Complex b)
{
    // A whole exponent of moderate size: repeated squaring, exact where the
    // products are (2^10, j^2).
    if (b.imag() == 0.0 && b.real() == std::trunc(b.real()) && std::fabs(b.real()) <= 1024.0) {
        auto n = static_cast<long>(std::fabs(b.real()));
        Complex result(1.0, 0.0);
        Complex base = a;
        while (n != 0) {
            if (n & 1)
                result = multiply(result, base);
            n >>= 1;
            if (n != 0)
                base = multiply(base, base);
        }
        return b.real() < 0.0 ? divide(Complex(1.0, 0.0), result) : result;
    }
    if (a.imag() == 0.0 && a.real() > 0.0 && b.imag() == 0.0)
        return {std::pow(a.real(), b.real()), 0.0};
    if (isZero(a))
        return b.real() > 0.0 ? Complex(0.0, 0.0) : Complex(kNaN, kNaN);
    const Complex logA(std::log(std::hypot(a.real(), a.imag())), angle(a));
    return function(Code::Exp, multiply(b, logA));
}

std::optional<Complex> phasor(Complex m, Complex angle, bool radians)
{
    if (angle.imag() != 0.0)
        return std::nullopt;
    if (m.imag() == 0.0)
        return phasorValue(m.real(), angle.real(), radians);
    const std::optional<Complex> unit = phasorValue(1.0, angle.real(), radians);
    if (!unit)
        return std::nullopt;
    return multiply(m, *unit);
}

}  // namespace

Complex multiply(Complex a, Complex b)
{
    return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

Complex divide(Complex a, Complex b)
{
    if (std::fabs(b.real()) >= std::fabs(b.imag())) {
        const double r = b.imag() / b.real();
        const double d = b.real() + b.imag() * r;
        return {(a.real() + a.imag() * r) / d, (a.imag() - a.real() * r) / d};
    }
    const double r = b.real() / b.imag();
    const double d = b.imag() + b.real() * r;
    return {(a.real() * r + a.imag()) / d, (a.imag() * r - a.real()) / d};
}

std::optional<Complex> binary(Code code, Complex a, Complex b)
{
    switch (code) {
    case Code::Add:
        return a + b;
    case Code::Sub:
        return a - b;
    case Code::Mul:
        return multiply(a, b);
    case Code::Div:
        if (isZero(b))
            return std::nullopt;
        return divide(a, b);
    case Code::Pow:
        if (isZero(a) && (b.real() < 0.0 || (b.real() == 0.0 && b.imag() != 0.0)))
            return std::nullopt;
        return power(a, b);
    case Code::Parallel: {
        if (isZero(a) || isZero(b))
            return Complex(0.0, 0.0);
        const Complex sum = a + b;
        if (isZero(sum))
            return std::nullopt;
        return divide(multiply(a, b), sum);
    }
    case Code::PhasorDegrees:
        return phasor(a, b, false);
    case Code::PhasorRadians:
        return phasor(a, b, true);
    default:
        return std::nullopt;
    }
}

std::string binaryProblem(Code code, Complex a, Complex b)
{
    if (code == Code::PhasorDegrees || code == Code::PhasorRadians)
        return b.imag() != 0.0 ? "the angle is not real" : "the angle is too large";
    (void)a;
    return "division by zero";
}

Complex function(Code code, Complex a)
{
    const double x = a.real();
    const double y = a.imag();
    const bool real = y == 0.0;
    switch (code) {
    case Code::Sqrt: {
        if (real)
            return x >= 0.0 ? Complex(std::sqrt(x), 0.0) : Complex(0.0, std::sqrt(-x));
        const double m = std::hypot(x, y);
        if (x >= 0.0) {
            const double t = std::sqrt((m + x) / 2.0);
            return {t, y / (2.0 * t)};
        }
        const double t = std::sqrt((m - x) / 2.0);
        return {std::fabs(y) / (2.0 * t), std::copysign(t, y)};
    }
    case Code::Exp: {
        const double m = std::exp(x);
        if (real)
            return {m, 0.0};
        return {m * std::cos(y), m * std::sin(y)};
    }
    case Code::Ln:
        if (real && x > 0.0)
            return {std::log(x), 0.0};
        if (real && x == 0.0)
            return {-std::numeric_limits<double>::infinity(), 0.0};
        return {std::log(std::hypot(x, y)), angle(a)};
    case Code::Log10:
        if (real && x > 0.0)
            return {std::log10(x), 0.0};
        if (real && x == 0.0)
            return {-std::numeric_limits<double>::infinity(), 0.0};
        return {std::log(std::hypot(x, y)) / kLn10, angle(a) / kLn10};
    case Code::Abs:
        if (real)
            return {std::fabs(x), 0.0};
        if (x == 0.0)
            return {std::fabs(y), 0.0};
        return {std::hypot(x, y), 0.0};
    case Code::Arg:
        return {polarOf(x, y).degrees, 0.0};
    case Code::Conj:
        return {x, -y};
    case Code::Re:
        return {x, 0.0};
    case Code::Im:
        return {y, 0.0};
    case Code::Sin:
        if (real)
            return {std::sin(x), 0.0};
        return {std::sin(x) * std::cosh(y), std::cos(x) * std::sinh(y)};
    case Code::Cos:
        if (real)
            return {std::cos(x), 0.0};
        return {std::cos(x) * std::cosh(y), -(std::sin(x) * std::sinh(y))};
    case Code::Tan: {
        if (real)
            return {std::tan(x), 0.0};
        const Complex c = function(Code::Cos, a);
        if (isZero(c))
            return {kNaN, kNaN};
        return divide(function(Code::Sin, a), c);
    }
    default:
        return {kNaN, kNaN};
    }
}

}  // namespace kalvor::complexmath
