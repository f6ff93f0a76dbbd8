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
#include "core/check/exactsolve.h"
#include "core/check/exactsum.h"
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
// The rounding of a double-double residual, relative to its terms, with a
// wide margin: 2^-106 is what it resolves.
constexpr double ResidualNoise = 0x1p-98;
// The exact rational solve settles systems up to this size, while their
// whole numbers stay below this many bits (n times the widest row, each row
// scaled by a power of two to whole numbers): about 0.1 s at most.
constexpr std::size_t ExactSolveLimit = 12;
constexpr std::size_t ExactSolveBits = 12 * 1200;
// Corrections of the deep refinement: each gains at least one bit (else it
// stops); on a well-conditioned system each gains 30 or more.
constexpr int DeepSteps = 40;

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

// What the check knows of one part: whether its exact text is settled, and
// then whether the shown part has it.
struct PartCall {
    bool settled = false;
    bool same = false;
};

// Whether a shown part has the text of the exact part.
PartCall callPart(double shown, const PartEstimate& exact, std::string (*piece)(double))
{
    const double lo = add(exact.x, -exact.radius).hi, hi = add(exact.x, exact.radius).hi;
    if (!std::isfinite(lo) || !std::isfinite(hi))
        return {};
    // Every real of the interval has its nearest double in [lo, hi]. Both
    // patterns are monotone in the value, so when the ends share their fixed
    // and their scientific text, every double between them does, and the
    // exact part's text is known.
    if (lo == hi || (formatFixed(lo) == formatFixed(hi) && formatScientific(lo) == formatScientific(hi)))
        return {true, shown == lo || piece(shown) == piece(lo)};
    return {};
}

// Part `imaginary` of unknown j: its error radius is the smaller of its
// per-part and its normwise bound, widened, plus what a double-double
// resolves, plus what the residuals' rounding leaves in any part: a few
// units of 2^-106 of |R A C| |y| (at most n times the largest scaled part),
// carried through the inverse (at most the condition number). Far below
// the other terms for parts of ordinary size, that last one alone keeps a
// part far smaller than the others (2^-105 beside 0.05) from looking known
// when its corrections are that rounding's noise. Zero for an exact solution and for parts exactly zero by
// structure, or by being closer to zero than any other value the exact
// solution's parts can have.
PartEstimate estimateOf(const RefinedSolution& x, const Equilibration& e, KnownZeros zeros, double nonZeroFloor,
                        double condition, std::size_t j, bool imaginary)
{
    const DoubleDouble v
        = imaginary ? DoubleDouble{x.hi[j].imag(), x.lo[j].imag()} : DoubleDouble{x.hi[j].real(), x.lo[j].real()};
    if ((imaginary ? zeros.im : zeros.re) || x.exact)
        return {v, 0};
    const double size = std::fabs(v.hi);
    const double componentwise = std::isfinite(x.componentwise) ? x.componentwise * size : INFINITY;
    const double normwise = x.normwise * x.scaledNorm * e.col[j];
    const double noise
        = ResidualNoise * condition * static_cast<double>(x.hi.size()) * x.scaledNorm * e.col[j];
    const double radius = BoundSafety * std::min(componentwise, normwise) + RepresentationFloor * size + noise;
    if (size + std::fabs(v.lo) + radius < nonZeroFloor)
        return {{0, 0}, 0};
    return {v, radius};
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


// The parts of every unknown, real parts first, for one way of knowing them.
using Estimates = std::vector<PartEstimate>;

// Calls every part; false when some part's text is still open. On success
// the unknowns carry the verdicts and, as accurate values, the estimates'
// values (whose texts are the exact ones).
bool settle(const Estimates& parts, const std::vector<double>& shownRe, const std::vector<double>& shownIm,
            SolutionCheck& check)
{
    const std::size_t n = shownRe.size();
    std::vector<PartCall> calls(2 * n);
    for (std::size_t k = 0; k < n; ++k) {
        calls[k] = callPart(shownRe[k], parts[k], resultPartText);
        calls[n + k] = callPart(shownIm[k], parts[n + k], imaginaryPiece);
        if (!calls[k].settled || !calls[n + k].settled)
            return false;
    }
    bool anyWrong = false;
    for (std::size_t k = 0; k < n; ++k) {
        UnknownCheck& u = check.unknowns[k];
        u.correct = calls[k].same && calls[n + k].same;
        u.re = parts[k].x.hi;
        u.im = parts[n + k].x.hi;
        anyWrong = anyWrong || !*u.correct;
    }
    check.verdict = anyWrong ? CheckVerdict::Inaccurate : CheckVerdict::Correct;
    return true;
}

// The exact solution as estimates without error.
Estimates exactly(const std::vector<std::complex<double>>& x)
{
    const std::size_t n = x.size();
    Estimates parts(2 * n);
    for (std::size_t k = 0; k < n; ++k) {
        parts[k] = {{x[k].real(), 0}, 0};
        parts[n + k] = {{x[k].imag(), 0}, 0};
    }
    return parts;
}

// The candidate for an exact solution: each part rounded to a double, or
// zero where it lies within its radius of zero.
std::vector<std::complex<double>> candidateOf(const Estimates& parts, bool snapToZero)
{
    const std::size_t n = parts.size() / 2;
    const auto value = [snapToZero](const PartEstimate& p) {
        return snapToZero && std::fabs(p.x.hi) <= p.radius ? 0.0 : p.x.hi;
    };
    std::vector<std::complex<double>> x(n);
    for (std::size_t k = 0; k < n; ++k)
        x[k] = {value(parts[k]), value(parts[n + k])};
    return x;
}

bool allFinite(const std::vector<std::complex<double>>& x)
{
    return std::all_of(x.begin(), x.end(),
                       [](std::complex<double> z) { return std::isfinite(z.real()) && std::isfinite(z.imag()); });
}

// Tries the candidates of `parts` with an exact residual; true when one
// solves the system exactly and settled every part.
bool settleByCandidates(const NumericSystem& system, const Estimates& parts, const std::vector<double>& shownRe,
                        const std::vector<double>& shownIm, SolutionCheck& check)
{
    std::vector<std::complex<double>> tried;
    for (const bool snap : {true, false}) {
        const std::vector<std::complex<double>> x = candidateOf(parts, snap);
        if (x == tried || !allFinite(x))
            continue;
        tried = x;
        if (solvesExactly(system, x))
            return settle(exactly(x), shownRe, shownIm, check);
    }
    return false;
}

}  // namespace

SolutionCheck checkSolutionOnPath(const NumericSystem& system, const std::vector<double>& shownRe,
                                  const std::vector<double>& shownIm, SolverPath path, CheckStatistics* statistics)
{
    requireShapes(system, shownRe, shownIm);
    const std::size_t n = system.n;
    SolutionCheck check;
    // Until every part is settled the accurate values are the shown ones:
    // nothing the check does not know is ever given as its value.
    check.unknowns.resize(n);
    const auto unsettled = [&] {
        check.verdict = CheckVerdict::Unreliable;
        for (std::size_t k = 0; k < n; ++k)
            check.unknowns[k] = {std::nullopt, shownRe[k], shownIm[k]};
        return check;
    };
    unsettled();

    const CheckKernel kernel = checkKernelFor(path);
    Equilibration e = equilibrate(system);
    std::vector<std::complex<double>> factors = scaledColumnMajor(system, e);
    std::unique_ptr<CheckFactorization> lu(kernel.factor(factors.data(), n));
    double rcond = lu->singular() ? 0.0 : lu->reciprocalCondition();
    if (!(rcond >= reliableReciprocalCondition(n))) {
        // The scaling may be what looks ill-conditioned: try the other order.
        Equilibration other = equilibrate(system, true);
        std::vector<std::complex<double>> otherFactors = scaledColumnMajor(system, other);
        std::unique_ptr<CheckFactorization> otherLu(kernel.factor(otherFactors.data(), n));
        const double otherRcond = otherLu->singular() ? 0.0 : otherLu->reciprocalCondition();
        if (otherRcond > rcond) {
            // The factors live in the buffer they were made in.
            lu = std::move(otherLu);
            factors = std::move(otherFactors);
            e = std::move(other);
            rcond = otherRcond;
        }
    }
    // Partial pivoting's element growth (2^(n-1) on the growth matrix) can
    // spoil the LU's estimate itself: the pivoted QR's has no such growth.
    std::vector<std::complex<double>> stableFactors;
    std::unique_ptr<CheckFactorization> qr;
    if (!(rcond >= reliableReciprocalCondition(n))) {
        stableFactors = scaledColumnMajor(system, e);
        qr.reset(kernel.factorStable(stableFactors.data(), n));
        if (!qr->singular())
            rcond = std::max(rcond, qr->reciprocalCondition());
    }
    if (lu->singular() && !(rcond >= reliableReciprocalCondition(n))) {
        check.condition = INFINITY;
        return check;
    }
    check.condition = rcond > 0 ? 1 / rcond : INFINITY;
    // Beyond this the digits cannot be known from double precision work,
    // and no further effort is spent on them.
    if (!(rcond >= reliableReciprocalCondition(n)))
        return check;

    const KnownZeros zeros = knownZeros(system);
    const RefinedSolution x = refine(system, *lu, e, kernel, zeros);
    CheckStatistics done{x.corrections, x.normwise, std::isfinite(x.componentwise), x.exact};
    const auto finish = [&] {
        if (statistics)
            *statistics = done;
        return check;
    };
    const double nonZeroFloor = smallestNonZeroPart(system);
    Estimates parts(2 * n);
    if (x.finite) {
        for (std::size_t k = 0; k < n; ++k) {
            parts[k] = estimateOf(x, e, zeros, nonZeroFloor, check.condition, k, false);
            parts[n + k] = estimateOf(x, e, zeros, nonZeroFloor, check.condition, k, true);
        }
        // The usual case: the double-double refinement settles every part.
        if (x.productsExact && (x.exact || x.normwise <= ConvergedBeyondDouble)
            && settle(parts, shownRe, shownIm, check))
            return finish();
        // A part near a rounding boundary or near zero: the solution may be
        // a vector of doubles, which an exact residual proves.
        done.escalation = CheckEscalation::Candidate;
        if (settleByCandidates(system, parts, shownRe, shownIm, check))
            return finish();
    }
    // Small systems: the exact rational solution.
    if (n <= ExactSolveLimit) {
        done.escalation = CheckEscalation::Rational;
        if (const auto exact = exactNearestSolution(system, ExactSolveBits)) {
            if (allFinite(*exact) && settle(exactly(*exact), shownRe, shownIm, check))
                return finish();
            unsettled();
            return finish();
        }
    }
    // Otherwise refine on with exact residuals and unbounded precision.
    done.escalation = CheckEscalation::Deep;
    if (!qr) {
        stableFactors = scaledColumnMajor(system, e);
        qr.reset(kernel.factorStable(stableFactors.data(), n));
    }
    if (qr->singular())
        return finish();
    // From the refined solution when the refinement converged; otherwise
    // (an LU spoilt by growth) from the QR's own solution x = C (QR \ R b).
    std::vector<std::complex<double>> start(n);
    if (x.finite && x.normwise <= ConvergedBeyondDouble) {
        start = x.hi;
    } else {
        for (std::size_t i = 0; i < n; ++i)
            start[i] = system.b[i] * e.row[i];
        qr->solveInPlace(start.data());
        for (std::size_t j = 0; j < n; ++j)
            start[j] *= e.col[j];
        if (!allFinite(start))
            start.assign(n, {0, 0});
    }
    const DeepSolution deep = refineDeeply(system, *qr, e, start, zeros, DeepSteps, check.condition);
    done.deepSteps = deep.steps;
    if (deep.hi.size() != n)
        return finish();
    for (std::size_t k = 0; k < n; ++k)
        for (const bool imaginary : {false, true}) {
            const DoubleDouble v = imaginary ? DoubleDouble{deep.hi[k].imag(), deep.lo[k].imag()}
                                             : DoubleDouble{deep.hi[k].real(), deep.lo[k].real()};
            const double own = imaginary ? deep.radius[k].imag() : deep.radius[k].real();
            const double radius = BoundSafety * own + RepresentationFloor * std::fabs(v.hi);
            PartEstimate& p = parts[imaginary ? n + k : k];
            p = {v, radius};
            if (std::fabs(v.hi) + std::fabs(v.lo) + radius < nonZeroFloor)
                p = {{0, 0}, 0};
        }
    if (settle(parts, shownRe, shownIm, check) || settleByCandidates(system, parts, shownRe, shownIm, check))
        return finish();
    unsettled();
    return finish();
}

SolutionCheck checkSolution(const NumericSystem& system, const std::vector<double>& shownRe,
                            const std::vector<double>& shownIm)
{
    static const SolverPath path = defaultSolverOptions().path;
    return checkSolutionOnPath(system, shownRe, shownIm, path);
}

std::string verdictWord(CheckVerdict verdict)
{
    switch (verdict) {
    case CheckVerdict::Correct:
        return "correct";
    case CheckVerdict::Inaccurate:
        return "inaccurate";
    case CheckVerdict::Unreliable:
        return "unreliable";
    }
    return "unreliable";
}

}  // namespace kalvor
