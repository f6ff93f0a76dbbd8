#include "core/solver.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <stdexcept>
#include <vector>

#include "core/elimination/elimination.h"
#include "core/elimination/solverthreads.h"
#include "core/numberreading.h"
#include "core/check/solutioncheck.h"
#include "core/solverpaths.h"
#include "core/systemlimits.h"

namespace kalvor {

namespace {

// Equations from this many unknowns on are read by two threads.
constexpr std::size_t ParallelReadFrom = 64;

void checkShapes(const PartMatrix& coefRe, const PartMatrix& coefIm, const PartVector& constRe,
                 const PartVector& constIm)
{
    const std::size_t n = constRe.size();
    if (n < 1 || n > MaxUnknowns)
        throw std::invalid_argument("solve: the number of unknowns must be from 1 to 500");
    const auto square = [n](const PartMatrix& m) {
        return m.size() == n && std::all_of(m.begin(), m.end(), [n](const auto& row) { return row.size() == n; });
    };
    if (!square(coefRe) || !square(coefIm) || constIm.size() != n)
        throw std::invalid_argument("solve: the tables must be N x N, N x N, N and N");
}

// NaN stands for "not a number" from here on; every number read is finite.
double numberOrNaN(const PartValue& part)
{
    const std::optional<double> value = readNumber(part);
    return value && std::isfinite(*value) ? *value : NAN;
}

// The real 2N system of N complex equations, right-hand side in column 2N.
struct RealSystem {
    std::size_t unknowns = 0;  // N
    std::size_t n = 0;         // 2N
    std::size_t ld = 0;        // row stride
    std::vector<double> a;
    bool imaginaryNotNumber = false;
    bool otherNotNumber = false;

    double& at(std::size_t row, std::size_t col) { return a[row * ld + col]; }
};

struct ReadFlags {
    bool imaginary = false;
    bool other = false;
};

// Reads equations [i0, i1) into their four blocks, and with Copy also into
// `read` as complex numbers; each equation touches only its own two rows, so
// ranges can be read in parallel.
template <bool Copy>
ReadFlags readEquations(RealSystem& s, const PartMatrix& coefRe, const PartMatrix& coefIm, const PartVector& constRe,
                        const PartVector& constIm, std::size_t i0, std::size_t i1, NumericSystem* read)
{
    ReadFlags flags;
    const std::size_t N = s.unknowns;
    for (std::size_t i = i0; i < i1; ++i) {
        for (std::size_t j = 0; j < N; ++j) {
            const double re = numberOrNaN(coefRe[i][j]);
            const double im = numberOrNaN(coefIm[i][j]);
            flags.other = flags.other || std::isnan(re);
            flags.imaginary = flags.imaginary || std::isnan(im);
            s.at(i, j) = re;
            s.at(i, N + j) = -im;
            s.at(N + i, j) = im;
            s.at(N + i, N + j) = re;
            if constexpr (Copy)
                read->a[i * N + j] = {re, im};
        }
        const double cre = numberOrNaN(constRe[i]);
        const double cim = numberOrNaN(constIm[i]);
        flags.other = flags.other || std::isnan(cre) || std::isnan(cim);
        s.at(i, s.n) = cre;
        s.at(N + i, s.n) = cim;
        if constexpr (Copy)
            read->b[i] = {cre, cim};
    }
    return flags;
}

ReadFlags readEquations(RealSystem& s, const PartMatrix& coefRe, const PartMatrix& coefIm, const PartVector& constRe,
                        const PartVector& constIm, std::size_t i0, std::size_t i1, NumericSystem* read)
{
    return read ? readEquations<true>(s, coefRe, coefIm, constRe, constIm, i0, i1, read)
                : readEquations<false>(s, coefRe, coefIm, constRe, constIm, i0, i1, read);
}

RealSystem readSystem(const PartMatrix& coefRe, const PartMatrix& coefIm, const PartVector& constRe,
                      const PartVector& constIm, unsigned threads, NumericSystem* read)
{
    RealSystem s;
    s.unknowns = constRe.size();
    s.n = 2 * s.unknowns;
    s.ld = (s.n + 1 + 7) / 8 * 8;
    s.a.assign(s.n * s.ld, 0.0);
    const std::size_t N = s.unknowns;
    if (read) {
        read->n = N;
        read->a.assign(N * N, {});
        read->b.assign(N, {});
    }
    ReadFlags first, second;
    if (threads >= 2 && N >= ParallelReadFrom) {
        runSideBySide([&] { first = readEquations(s, coefRe, coefIm, constRe, constIm, 0, N / 2, read); },
                      [&] { second = readEquations(s, coefRe, coefIm, constRe, constIm, N / 2, N, read); });
    } else {
        first = readEquations(s, coefRe, coefIm, constRe, constIm, 0, N, read);
    }
    s.imaginaryNotNumber = first.imaginary || second.imaginary;
    s.otherNotNumber = first.other || second.other;
    return s;
}

// The outcome the literal run reaches before its first update, if any: a
// non-number imaginary part fails while the upper-right block is negated;
// the first pivot search fails on a non-number real part met before a
// non-zero value, and finds no pivot in an all-zero first column; the first
// update then reads every remaining entry.
std::optional<SolveOutcome> outcomeBeforeUpdates(RealSystem& s)
{
    if (s.imaginaryNotNumber)
        return SolveOutcome::DataError;
    bool pivotFound = false;
    for (std::size_t i = 0; i < s.n && !pivotFound; ++i) {
        const double v = s.at(i, 0);
        if (std::isnan(v))
            return SolveOutcome::DataError;
        pivotFound = v != 0;
    }
    if (!pivotFound)
        return SolveOutcome::NoUniqueSolution;
    if (s.otherNotNumber)
        return SolveOutcome::DataError;
    return std::nullopt;
}

// Back substitution on the right-hand side only, then the final quotients.
// Each value gets its updates in the literal order (k from 2N down), as row
// k's value is final before any row above it needs it.
SolveResult substituteBack(RealSystem& s)
{
    const std::size_t n = s.n, N = s.unknowns;
    std::vector<double> rhs(n);
    for (std::size_t i = 0; i < n; ++i)
        rhs[i] = s.at(i, n);
    bool finite = true;
    for (std::size_t i = n - 1; i-- > 0;) {
        const double* row = &s.at(i, 0);
        double x = rhs[i];
        for (std::size_t k = n - 1; k > i; --k) {
            const double product = rhs[k] * row[k];
            const double quotient = product / s.at(k, k);
            x = x - quotient;
        }
        rhs[i] = x;
        finite = finite && std::isfinite(x);
    }
    SolveResult result{SolveOutcome::Solved, std::vector<double>(N), std::vector<double>(N)};
    for (std::size_t k = 0; k < N; ++k) {
        result.re[k] = rhs[k] / s.at(k, k);
        result.im[k] = rhs[N + k] / s.at(N + k, N + k);
        finite = finite && std::isfinite(result.re[k]) && std::isfinite(result.im[k]);
    }
    if (!finite)
        return SolveResult{SolveOutcome::DataError, {}, {}};
    return result;
}

// Everything after the reading: the outcomes decided before any update,
// the elimination and the back substitution.
SolveResult eliminateAndSubstitute(RealSystem& s, const SolverOptions& options)
{
    if (const auto early = outcomeBeforeUpdates(s))
        return SolveResult{*early, {}, {}};
    switch (eliminate(s.a.data(), s.n, s.ld, options)) {
    case EliminationOutcome::NoUniqueSolution:
        return SolveResult{SolveOutcome::NoUniqueSolution, {}, {}};
    case EliminationOutcome::DataError:
        return SolveResult{SolveOutcome::DataError, {}, {}};
    case EliminationOutcome::Eliminated:
        break;
    }
    return substituteBack(s);
}

}  // namespace

SolveResult solveWithOptions(const PartMatrix& coefRe, const PartMatrix& coefIm, const PartVector& constRe,
                             const PartVector& constIm, const SolverOptions& options, NumericSystem* read)
{
    checkShapes(coefRe, coefIm, constRe, constIm);
    SolverOptions effective = options;
    if (!solverPathAvailable(effective.path))
        effective.path = SolverPath::Portable;
    RealSystem s = readSystem(coefRe, coefIm, constRe, constIm, effective.threads, read);
    SolveResult result = eliminateAndSubstitute(s, effective);
    if (read && result.outcome != SolveOutcome::Solved)
        *read = NumericSystem{};
    return result;
}

SolveResult solve(const PartMatrix& coefRe, const PartMatrix& coefIm, const PartVector& constRe,
                  const PartVector& constIm)
{
    return solve(coefRe, coefIm, constRe, constIm, nullptr);
}

SolveResult solve(const PartMatrix& coefRe, const PartMatrix& coefIm, const PartVector& constRe,
                  const PartVector& constIm, NumericSystem* read)
{
    static const SolverOptions options = defaultSolverOptions();
    return solveWithOptions(coefRe, coefIm, constRe, constIm, options, read);
}

}  // namespace kalvor
