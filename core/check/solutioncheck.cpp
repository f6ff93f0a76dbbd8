#include "core/check/solutioncheck.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <complex>
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/check/checkkernel.h"
#include "core/check/checkrefinement.h"
#include "core/check/doubledouble.h"
#include "core/numberformat.h"
#include "core/solverpaths.h"

namespace kalvor {

CheckFactorization::~CheckFactorization() = default;

namespace {

// Double precision resolves the solution only while the condition number
// stays well below 1/eps. The refinement's error bounds are trusted while
// rcond >= max(10, sqrt(n)) * eps: the threshold of Demmel, Hida, Kahan, Li,
// Mukherjee and Riedy's extra-precise refinement (2006), which LAPACK's
// expert drivers and their tests use. For n <= 100 that is a condition
// number up to about 4.5E+14; [[0.1, 0.3], [0.3, 0.9]] is near 1E+17.
double reliableReciprocalCondition(std::size_t n)
{
    return std::max(10.0, std::sqrt(static_cast<double>(n))) * DBL_EPSILON;
}

// The refined solution must be known better than a double is, by three
// bits at least, to be vouched for at all.
constexpr double ConvergedBeyondDouble = 0x1p-56;
// The error bounds are estimates from the last corrections, found reliable
// by Demmel et al.; the texts need only five digits, so widening them a
// thousandfold costs next to nothing and buys a wide margin.
constexpr double BoundSafety = 1024;
// What a double-double holding a part resolves, relative to the part.
constexpr double RepresentationFloor = 0x1p-100;

// The pieces of resultText that one part decides: the shown real part
// (resultPartText), and the sign with the imaginary part and the "i".
std::string imaginaryPiece(double v)
{
    constexpr std::string_view zeroHead = " 0.0000";
    return resultText(0.0, v).substr(zeroHead.size());
}

// One part of the exact solution: within `radius` of the double-double x.
struct PartEstimate {
    DoubleDouble x;
    double radius = 0;
};

enum class PartCall { Same, Different, Open };

// Whether a shown part has the text of the exact part.
PartCall callPart(double shown, const PartEstimate& exact, std::string (*piece)(double))
{
    const double lo = add(exact.x, -exact.radius).hi, hi = add(exact.x, exact.radius).hi;
    if (!std::isfinite(lo) || !std::isfinite(hi))
        return PartCall::Open;
    // Every real of the interval has its nearest double in [lo, hi]. Both
    // patterns are monotone in the value, so when the ends share their fixed
    // and their scientific text, every double between them does, and the
    // exact part's text is known.
    if (lo == hi || (formatFixed(lo) == formatFixed(hi) && formatScientific(lo) == formatScientific(hi))) {
        if (shown == lo)
            return PartCall::Same;
        return piece(shown) == piece(lo) ? PartCall::Same : PartCall::Different;
    }
    // A piece fixes its part's scientific value; the exact one lies between
    // those of the ends, so a shown value outside them is certainly wrong.
    const std::string scientific = formatScientific(shown);
    if ((shown < lo && scientific != formatScientific(lo)) || (shown > hi && scientific != formatScientific(hi)))
        return PartCall::Different;
    return PartCall::Open;
}

// Part `imaginary` of unknown j: its error radius is the smaller of its
// per-part and its normwise bound, widened, plus what a double-double
// resolves; zero for an exact solution and for parts exactly zero by
// structure, or by being closer to zero than any other value the exact
// solution's parts can have.
PartEstimate estimateOf(const RefinedSolution& x, const Equilibration& e, KnownZeros zeros, double nonZeroFloor,
                        std::size_t j, bool imaginary)
{
    const DoubleDouble v
        = imaginary ? DoubleDouble{x.hi[j].imag(), x.lo[j].imag()} : DoubleDouble{x.hi[j].real(), x.lo[j].real()};
    if ((imaginary ? zeros.im : zeros.re) || x.exact)
        return {v, 0};
    const double size = std::fabs(v.hi);
    const double componentwise = std::isfinite(x.componentwise) ? x.componentwise * size : INFINITY;
    const double normwise = x.normwise * x.scaledNorm * e.col[j];
    const double radius = BoundSafety * std::min(componentwise, normwise) + RepresentationFloor * size;
    if (size + std::fabs(v.lo) + radius < nonZeroFloor)
        return {{0, 0}, 0};
    return {v, radius};
}

// The accurate value of a part: the refined one, or zero when that is no
// larger than its error radius (then it is noise, and an exact zero its
// likeliest cause).
double accurateValue(const PartEstimate& p)
{
    return std::fabs(p.x.hi) <= p.radius ? 0.0 : p.x.hi;
}

void requireShapes(const NumericSystem& s, const std::vector<double>& shownRe, const std::vector<double>& shownIm)
{
    const std::size_t n = s.n;
    if (n == 0 || s.a.size() != n * n || s.b.size() != n || shownRe.size() != n || shownIm.size() != n)
        throw std::invalid_argument("checkSolution: the sizes do not fit n");
    const auto finite = [](std::complex<double> z) { return std::isfinite(z.real()) && std::isfinite(z.imag()); };
    const auto finiteReal = [](double v) { return std::isfinite(v); };
    if (!std::all_of(s.a.begin(), s.a.end(), finite) || !std::all_of(s.b.begin(), s.b.end(), finite)
        || !std::all_of(shownRe.begin(), shownRe.end(), finiteReal)
        || !std::all_of(shownIm.begin(), shownIm.end(), finiteReal))
        throw std::invalid_argument("checkSolution: a number is not finite");
}

}  // namespace

SolutionCheck checkSolutionOnPath(const NumericSystem& system, const std::vector<double>& shownRe,
                                  const std::vector<double>& shownIm, SolverPath path, CheckStatistics* statistics)
{
    requireShapes(system, shownRe, shownIm);
    const std::size_t n = system.n;
    SolutionCheck check;
    check.unknowns.resize(n);
    for (std::size_t k = 0; k < n; ++k)
        check.unknowns[k] = {std::nullopt, shownRe[k], shownIm[k]};

    const CheckKernel kernel = checkKernelFor(path);
    const Equilibration e = equilibrate(system);
    std::vector<std::complex<double>> factors = scaledColumnMajor(system, e);
    const std::unique_ptr<CheckFactorization> lu(kernel.factor(factors.data(), n));
    if (lu->singular()) {
        check.condition = INFINITY;
        return check;
    }
    const double rcond = lu->reciprocalCondition();
    check.condition = rcond > 0 ? 1 / rcond : INFINITY;

    const KnownZeros zeros = knownZeros(system);
    const RefinedSolution x = refine(system, *lu, e, kernel, zeros);
    if (statistics)
        *statistics = {x.corrections, x.normwise, std::isfinite(x.componentwise), x.exact};
    if (!x.finite)
        return check;
    const double nonZeroFloor = smallestNonZeroPart(system);
    std::vector<PartEstimate> re(n), im(n);
    for (std::size_t k = 0; k < n; ++k) {
        re[k] = estimateOf(x, e, zeros, nonZeroFloor, k, false);
        im[k] = estimateOf(x, e, zeros, nonZeroFloor, k, true);
        check.unknowns[k].re = accurateValue(re[k]);
        check.unknowns[k].im = accurateValue(im[k]);
    }
    if (!(rcond >= reliableReciprocalCondition(n)) || !x.productsExact
        || !(x.exact || x.normwise <= ConvergedBeyondDouble))
        return check;

    bool anyWrong = false;
    for (std::size_t k = 0; k < n; ++k) {
        const PartCall callRe = callPart(shownRe[k], re[k], resultPartText);
        const PartCall callIm = callPart(shownIm[k], im[k], imaginaryPiece);
        if (callRe == PartCall::Different || callIm == PartCall::Different)
            check.unknowns[k].correct = false;
        else if (callRe == PartCall::Same && callIm == PartCall::Same)
            check.unknowns[k].correct = true;
        else {
            // One open part leaves the whole verdict open.
            for (UnknownCheck& u : check.unknowns)
                u.correct.reset();
            return check;
        }
        anyWrong = anyWrong || !*check.unknowns[k].correct;
    }
    check.verdict = anyWrong ? CheckVerdict::Inaccurate : CheckVerdict::Correct;
    return check;
}

SolutionCheck checkSolution(const NumericSystem& system, const std::vector<double>& shownRe,
                            const std::vector<double>& shownIm)
{
    static const SolverPath path = defaultSolverOptions().path;
    return checkSolutionOnPath(system, shownRe, shownIm, path);
}

}  // namespace kalvor
