#include "core/check/checkrefinement.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>
#include <cmath>
#include <complex>
#include <cstddef>
#include <vector>

#include "core/check/doubledouble.h"
#include "core/check/exactsum.h"

namespace kalvor {

namespace {

// A correction below this share of the solution leaves it known to 72 bits,
// 19 beyond a double and far more than any text needs (the nearest double is
// 53 bits; the rest only decides values next to a rounding midpoint): the
// refinement has converged. Waiting for the double-double's own 2^-104, or
// for the largest relative correction of a part to get there, would cost one
// or two more residuals and solves on most systems.
constexpr double KnownEnough = 0x1p-72;
// A correction that shrank by less than half has stopped making progress:
// it is the residual's rounding noise (the rule of Demmel et al., below).
constexpr double StallRatio = 0.5;
// Each correction gains about -log2(condition * eps) bits; from the
// condition numbers the check accepts, ten reach the double-double floor.
constexpr int MaxCorrections = 10;
// Per-part bounds are used only when every part's last correction is below
// this share of the part.
constexpr double ComponentwiseUsableBelow = 0.25;
// A product a * x is exact as two doubles while it is at least this large
// (its rounding error stays a normal number); no sum of 4n products
// overflows while they stay below the second, and Dekker's split of a
// factor needs it below 2^995.
constexpr double MinExactProduct = 0x1p-968;
constexpr double MaxMagnitude = 0x1p+980;

double abs1(std::complex<double> z)
{
    return std::max(std::fabs(z.real()), std::fabs(z.imag()));
}

enum class Progress { Working, Converged, Stalled };

// One measure of the corrections over the refinement (normwise or per part,
// relative to the solution), and the error bound it gives: the last measure
// over (1 - the worst ratio by which it shrank while still working), as in
// Demmel, Hida, Kahan, Li, Mukherjee and Riedy, "Error bounds from
// extra-precise iterative refinement" (2006), which LAPACK's xGERFSX follows.
class ConvergenceTracker {
public:
    void note(double measure, bool first)
    {
        if (state_ != Progress::Working)
            return;
        if (measure <= KnownEnough)
            state_ = Progress::Converged;
        else if (!first && measure > StallRatio * last_)
            state_ = Progress::Stalled;
        else if (!first)
            worstRatio_ = std::max(worstRatio_, measure / last_);
        last_ = measure;
    }
    bool working() const { return state_ == Progress::Working; }
    double last() const { return last_; }
    double bound() const { return last_ / (1 - worstRatio_); }

private:
    Progress state_ = Progress::Working;
    double last_ = INFINITY;
    double worstRatio_ = 0;
};

// |d| / |x| for one part; an exact zero that a correction moves counts as
// infinitely far off.
double partRatio(double d, double x)
{
    if (x == 0)
        return d == 0 ? 0 : INFINITY;
    return std::fabs(d) / std::fabs(x);
}

void addPart(double& hi, double& lo, double d)
{
    const DoubleDouble v = add(DoubleDouble{hi, lo}, d);
    hi = v.hi;
    lo = v.lo;
}

// The exact sum of the doubles, rounded: Shewchuk's growing expansion keeps
// every partial sum exactly, as non-overlapping components in increasing
// magnitude with the zeros dropped; 0 exactly when the sum is 0.
double exactSum(const std::vector<double>& terms, std::vector<double>& expansion)
{
    expansion.clear();
    for (const double t : terms) {
        double q = t;
        std::size_t kept = 0;
        for (const double e : expansion) {
            const DoubleDouble s = twoSum(q, e);
            q = s.hi;
            if (s.lo != 0)
                expansion[kept++] = s.lo;
        }
        expansion.resize(kept);
        if (q != 0)
            expansion.push_back(q);
    }
    double sum = 0;
    for (const double e : expansion)
        sum += e;
    return sum;
}

// Appends sign * a * x exactly as two doubles; false when that cannot be
// exact (the product's error would underflow, or it overflows).
bool appendProduct(std::vector<double>& terms, double sign, double a, double x)
{
    const DoubleDouble p = twoProd(a, x);
    if (!std::isfinite(p.hi) || (p.hi != 0 && std::fabs(p.hi) < MinExactProduct))
        return false;
    terms.push_back(sign * p.hi);
    terms.push_back(sign * p.lo);
    return true;
}

// r = b - A (hi + lo) with every sum taken exactly, then rounded; false when
// a product cannot be exact. Far slower than the kernel's residual, so used
// only once that rounds to zero in every row: the error left is then below
// what a double-double sum resolves, and only an exact sum shows it (or that
// the solution is exact).
bool exactResidual(const NumericSystem& s, const RefinedSolution& x, std::vector<std::complex<double>>& r)
{
    const std::size_t n = s.n;
    std::vector<double> re, im, expansion;
    for (std::size_t i = 0; i < n; ++i) {
        re.assign(1, s.b[i].real());
        im.assign(1, s.b[i].imag());
        for (std::size_t j = 0; j < n; ++j) {
            const std::complex<double> a = s.a[i * n + j];
            for (const std::complex<double> v : {x.hi[j], x.lo[j]}) {
                // b - a v: real part b - ar vr + ai vi, imaginary b - ar vi - ai vr.
                if (!appendProduct(re, -1, a.real(), v.real()) || !appendProduct(re, 1, a.imag(), v.imag())
                    || !appendProduct(im, -1, a.real(), v.imag()) || !appendProduct(im, -1, a.imag(), v.real()))
                    return false;
            }
        }
        r[i] = {exactSum(re, expansion), exactSum(im, expansion)};
    }
    return true;
}

// Whether every product of the residual is exact as two doubles and no sum
// overflows, for the largest and smallest parts of A, x and b.
bool productsInRange(const NumericSystem& s, const RefinedSolution& x)
{
    const auto range = [](const std::vector<std::complex<double>>& v, double& smallest, double& largest) {
        for (const std::complex<double> z : v)
            for (const double part : {z.real(), z.imag()}) {
                const double m = std::fabs(part);
                largest = std::max(largest, m);
                if (m != 0)
                    smallest = std::min(smallest, m);
            }
    };
    double minA = INFINITY, maxA = 0, minX = INFINITY, maxX = 0, minB = INFINITY, maxB = 0;
    range(s.a, minA, maxA);
    range(x.hi, minX, maxX);
    range(s.b, minB, maxB);
    const double terms = 4.0 * static_cast<double>(s.n);
    return minA * minX >= MinExactProduct && maxA * maxX * terms <= MaxMagnitude && maxB <= MaxMagnitude
        && maxA <= MaxMagnitude && maxX <= MaxMagnitude;
}

}  // namespace

Equilibration equilibrate(const NumericSystem& s, bool columnsFirst)
{
    // In binary exponents, so no scaled entry can overflow or underflow on
    // the way. Rows, then columns; or columns, then rows, then columns
    // again, for where a single zero moves a row's largest entry to another
    // column (with columns 1E+168 apart, a condition estimate of 1E+84
    // instead of 20).
    const std::size_t n = s.n;
    constexpr int None = INT_MIN / 2;
    std::vector<int> exponent(n * n, None), row(n, 0), col(n, 0);
    for (std::size_t k = 0; k < n * n; ++k)
        if (const double m = abs1(s.a[k]); m != 0)
            exponent[k] = std::ilogb(m);
    // The power of two that brings the largest scaled entry into [0.5, 1).
    const auto scale = [](int largest) { return largest == None ? 0 : -std::clamp(largest + 1, -1000, 1000); };
    const auto columns = [&] {
        for (std::size_t j = 0; j < n; ++j) {
            int largest = None;
            for (std::size_t i = 0; i < n; ++i)
                if (exponent[i * n + j] != None)
                    largest = std::max(largest, exponent[i * n + j] + row[i]);
            col[j] = scale(largest);
        }
    };
    if (columnsFirst)
        columns();
    for (std::size_t i = 0; i < n; ++i) {
        int largest = None;
        for (std::size_t j = 0; j < n; ++j)
            if (exponent[i * n + j] != None)
                largest = std::max(largest, exponent[i * n + j] + col[j]);
        row[i] = scale(largest);
    }
    columns();
    Equilibration e{std::vector<double>(n), std::vector<double>(n)};
    for (std::size_t i = 0; i < n; ++i) {
        e.row[i] = std::ldexp(1.0, row[i]);
        e.col[i] = std::ldexp(1.0, col[i]);
    }
    return e;
}

std::vector<std::complex<double>> scaledColumnMajor(const NumericSystem& s, const Equilibration& e)
{
    const std::size_t n = s.n;
    std::vector<std::complex<double>> m(n * n);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j)
            m[j * n + i] = s.a[i * n + j] * (e.row[i] * e.col[j]);
    return m;
}

double smallestNonZeroPart(const NumericSystem& s)
{
    // Scale every equation by the power of two that makes all its numbers
    // whole (each double is a whole number times a power of two): A and b
    // become Gaussian integers and the solution stays. By Cramer's rule
    // x_j = det(A_j) / det(A), so Re x_j = Re(det(A_j) conj(det A)) / |det A|^2
    // with a whole numerator, and likewise Im x_j: a part that is not zero is
    // at least 1 / |det A|^2, and Hadamard's bound gives |det A| <= H, the
    // product of the scaled rows' lengths. Worked in base-2 logarithms.
    const std::size_t n = s.n;
    double log2H = 1;  // a factor of two to spare for the rounding of the lengths
    for (std::size_t i = 0; i < n; ++i) {
        int lowestBit = INT_MAX;
        double largest = 0;
        const auto note = [&](double v) {
            if (v == 0)
                return;
            int exponent = 0;
            auto mantissa = static_cast<std::uint64_t>(std::ldexp(std::frexp(std::fabs(v), &exponent), 53));
            exponent -= 53;
            exponent += std::countr_zero(mantissa);
            lowestBit = std::min(lowestBit, exponent);
            largest = std::max(largest, std::fabs(v));
        };
        for (std::size_t j = 0; j < n; ++j) {
            note(s.a[i * n + j].real());
            note(s.a[i * n + j].imag());
        }
        note(s.b[i].real());
        note(s.b[i].imag());
        if (largest == 0)
            return 0;
        double sumOfSquares = 0;
        for (std::size_t j = 0; j < n; ++j) {
            const std::complex<double> a = s.a[i * n + j] / largest;
            sumOfSquares += a.real() * a.real() + a.imag() * a.imag();
        }
        if (sumOfSquares == 0)
            return 0;
        log2H += std::log2(largest * std::sqrt(sumOfSquares)) - lowestBit;
    }
    const double bound = -2 * log2H;
    return bound < -1074 ? 0 : std::exp2(bound);
}

KnownZeros knownZeros(const NumericSystem& s)
{
    const auto all = [](const auto& v, auto test) { return std::all_of(v.begin(), v.end(), test); };
    const bool aReal = all(s.a, [](std::complex<double> z) { return z.imag() == 0; });
    const bool aImaginary = all(s.a, [](std::complex<double> z) { return z.real() == 0; });
    const bool bReZero = all(s.b, [](std::complex<double> z) { return z.real() == 0; });
    const bool bImZero = all(s.b, [](std::complex<double> z) { return z.imag() == 0; });
    return {(aReal && bReZero) || (aImaginary && bImZero), (aReal && bImZero) || (aImaginary && bReZero)};
}

RefinedSolution refine(const NumericSystem& s, const CheckFactorization& lu, const Equilibration& e,
                       const CheckKernel& kernel, KnownZeros zeros)
{
    const std::size_t n = s.n;
    RefinedSolution x{std::vector<std::complex<double>>(n), std::vector<std::complex<double>>(n)};
    std::vector<std::complex<double>> r(s.b), z(n);
    std::vector<double> scratch(8 * n);
    ConvergenceTracker normwise, componentwise;
    const auto isZero = [](std::complex<double> v) { return v.real() == 0 && v.imag() == 0; };
    bool exactSums = false;
    for (int step = 0; step < MaxCorrections; ++step) {
        if (step > 0 && !exactSums)
            kernel.residual(s.a.data(), s.b.data(), x.hi.data(), x.lo.data(), n, r.data(), scratch.data());
        if (step > 0 && (exactSums || std::all_of(r.begin(), r.end(), isZero))) {
            exactSums = true;
            if (!exactResidual(s, x, r)) {
                x.finite = false;
                return x;
            }
        }
        if (std::all_of(r.begin(), r.end(), isZero)) {
            // An exact residual of zero (b itself at the start): A x = b.
            x.exact = true;
            break;
        }
        for (std::size_t i = 0; i < n; ++i)
            z[i] = r[i] * e.row[i];
        lu.solveInPlace(z.data());
        ++x.corrections;
        double normY = 0, normDy = 0, dz = 0;
        for (std::size_t j = 0; j < n; ++j) {
            const std::complex<double> d = z[j] * e.col[j];
            if (!std::isfinite(d.real()) || !std::isfinite(d.imag())) {
                x.finite = false;
                return x;
            }
            normY = std::max(normY, abs1(x.hi[j]) / e.col[j]);
            normDy = std::max(normDy, abs1(z[j]));
            double re = x.hi[j].real(), reLow = x.lo[j].real(), im = x.hi[j].imag(), imLow = x.lo[j].imag();
            if (!zeros.re) {
                dz = std::max(dz, partRatio(d.real(), re));
                addPart(re, reLow, d.real());
            }
            if (!zeros.im) {
                dz = std::max(dz, partRatio(d.imag(), im));
                addPart(im, imLow, d.imag());
            }
            x.hi[j] = {re, im};
            x.lo[j] = {reLow, imLow};
        }
        // The first correction, from x = 0, is the plain LU solution.
        if (step == 0)
            continue;
        normwise.note(normY > 0 ? normDy / normY : INFINITY, step == 1);
        componentwise.note(dz, step == 1);
        if (!normwise.working() && !componentwise.working())
            break;
    }
    for (std::size_t j = 0; j < n; ++j)
        x.scaledNorm = std::max(x.scaledNorm, abs1(x.hi[j]) / e.col[j]);
    x.normwise = normwise.bound();
    x.componentwise = componentwise.last() <= ComponentwiseUsableBelow ? componentwise.bound() : INFINITY;
    x.productsExact = productsInRange(s, x);
    return x;
}

}  // namespace kalvor

namespace kalvor {

namespace {

// The deep refinement has settled a part when its correction is this far
// below it: 2^-80 leaves 27 bits beyond a double.
constexpr double DeeplyKnown = 0x1p-80;
// ...and stops once the largest correction is this far below the largest
// part, so that parts near zero are known to be near zero to spare.
constexpr double DeepNormwiseFloor = 0x1p-200;

int exponentOf(double powerOfTwo)
{
    return std::ilogb(powerOfTwo);
}

// The expansion's components, smallest first, summed to a double-double.
DoubleDouble expansionValue(const std::vector<double>& components)
{
    DoubleDouble v{0, 0};
    for (const double c : components)
        v = add(v, c);
    return v;
}

// Tracks one part's relative corrections: its bound is the last over (1 -
// the worst ratio by which they shrank), infinite while they do not shrink.
struct PartTracker {
    double last = INFINITY, worst = 0;
    bool settled = false, stalled = false;
    void note(double ratio)
    {
        if (settled || stalled)
            return;
        if (ratio <= DeeplyKnown)
            settled = true;
        else if (std::isfinite(last) && ratio > StallRatio * last)
            stalled = true;
        else if (std::isfinite(last))
            worst = std::max(worst, ratio / last);
        last = ratio;
    }
    double bound() const { return settled ? last / (1 - worst) : INFINITY; }
};

}  // namespace

DeepSolution refineDeeply(const NumericSystem& s, const CheckFactorization& f, const Equilibration& e,
                          const std::vector<std::complex<double>>& start, KnownZeros zeros, int maxSteps,
                          double condition)
{
    const std::size_t n = s.n;
    // x_j = 2^(colExponent j) y_j: the equilibration's column scale and a
    // global power of two g that brings the largest part of y near 1.
    double largest = 0;
    for (std::size_t j = 0; j < n; ++j)
        largest = std::max(largest, abs1(start[j]) / e.col[j]);
    const int g = largest > 0 && std::isfinite(largest) ? std::ilogb(largest) : 0;
    std::vector<int> colExponent(n), rowExponent(n);
    for (std::size_t j = 0; j < n; ++j)
        colExponent[j] = exponentOf(e.col[j]) + g;
    for (std::size_t i = 0; i < n; ++i)
        rowExponent[i] = exponentOf(e.row[i]) - g;

    // Each part's expansion; a complex term pairs the real and imaginary
    // components (a zero where one part has fewer).
    std::vector<std::vector<double>> re(n), im(n);
    for (std::size_t j = 0; j < n; ++j) {
        const double yr = zeros.re ? 0.0 : std::ldexp(start[j].real(), -colExponent[j]);
        const double yi = zeros.im ? 0.0 : std::ldexp(start[j].imag(), -colExponent[j]);
        if (yr != 0 && std::isfinite(yr))
            re[j].push_back(yr);
        if (yi != 0 && std::isfinite(yi))
            im[j].push_back(yi);
    }
    std::vector<std::vector<std::complex<double>>> terms(n);
    const auto pair = [&](std::size_t j) {
        terms[j].assign(std::max(re[j].size(), im[j].size()), {0, 0});
        for (std::size_t k = 0; k < re[j].size(); ++k)
            terms[j][k].real(re[j][k]);
        for (std::size_t k = 0; k < im[j].size(); ++k)
            terms[j][k].imag(im[j][k]);
    };
    for (std::size_t j = 0; j < n; ++j)
        pair(j);

    DeepSolution out;
    std::vector<PartTracker> trackers(2 * n);
    std::vector<std::complex<double>> r(n);
    std::vector<double> scratch, expansion;
    double normwiseLast = INFINITY, normwiseWorst = 0;
    bool normwiseDone = false;
    for (; out.steps < maxSteps; ++out.steps) {
        if (scaledExactResidual(s, terms, colExponent, rowExponent, r)) {
            out.exact = true;
            break;
        }
        f.solveInPlace(r.data());
        double normY = 0, normZ = 0;
        bool settled = true;
        for (std::size_t j = 0; j < n; ++j) {
            for (const bool imaginary : {false, true}) {
                if (imaginary ? zeros.im : zeros.re)
                    continue;
                std::vector<double>& parts = imaginary ? im[j] : re[j];
                const double d = imaginary ? r[j].imag() : r[j].real();
                if (!std::isfinite(d))
                    return out;
                const double before = expansionValue(parts).hi;
                // Grown exactly and compressed: the components stay few.
                scratch = parts;
                scratch.push_back(d);
                exactSum(scratch, expansion);
                parts = expansion;
                normY = std::max(normY, std::fabs(before));
                normZ = std::max(normZ, std::fabs(d));
                PartTracker& t = trackers[2 * j + imaginary];
                t.note(partRatio(d, before));
                // A part whose corrections stopped shrinking relative to it
                // (an exact zero's noise) is as known as it will get.
                settled = settled && (t.settled || t.stalled);
            }
            pair(j);
        }
        const double measure = normY > 0 ? normZ / normY : INFINITY;
        if (std::isfinite(normwiseLast) && measure > StallRatio * normwiseLast)
            break;  // no more progress: the factorisation's accuracy is spent
        if (std::isfinite(normwiseLast))
            normwiseWorst = std::max(normwiseWorst, measure / normwiseLast);
        normwiseLast = measure;
        if (measure <= DeepNormwiseFloor)
            normwiseDone = true;
        if (settled && normwiseDone) {
            ++out.steps;
            break;
        }
    }
    double normY = 0;
    for (std::size_t j = 0; j < n; ++j)
        for (const std::vector<double>* parts : {&re[j], &im[j]})
            normY = std::max(normY, std::fabs(expansionValue(*parts).hi));
    const double normwiseBound = std::isfinite(normwiseLast) && normwiseWorst < 1
        ? normwiseLast / (1 - normwiseWorst) * normY
        : INFINITY;
    // The last correction was solved with a relative error of about the
    // condition times the unit roundoff (normwise), which may all fall on
    // one part, however small: no part is known better than that.
    const double solveNoise = std::isfinite(normwiseLast) ? 4 * condition * 0x1p-53 * normwiseLast * normY : INFINITY;
    out.hi.resize(n);
    out.lo.resize(n);
    out.radius.resize(n);
    for (std::size_t j = 0; j < n; ++j) {
        const DoubleDouble vr = expansionValue(re[j]), vi = expansionValue(im[j]);
        const auto radius = [&](const DoubleDouble& v, const PartTracker& t) {
            if (out.exact)
                return 0.0;
            const double own = t.bound() * std::fabs(v.hi);
            return std::max(std::min(own, normwiseBound), solveNoise);
        };
        const double rr = (zeros.re ? 0.0 : radius(vr, trackers[2 * j])),
                     ri = (zeros.im ? 0.0 : radius(vi, trackers[2 * j + 1]));
        const int c = colExponent[j];
        out.hi[j] = {std::ldexp(vr.hi, c), std::ldexp(vi.hi, c)};
        out.lo[j] = {std::ldexp(vr.lo, c), std::ldexp(vi.lo, c)};
        out.radius[j] = {std::ldexp(rr, c), std::ldexp(ri, c)};
    }
    return out;
}

}  // namespace kalvor
