#include "tests/support/literalelimination.h"

#include <cmath>
#include <utility>

namespace kalvor::literal {

namespace {

struct NotANumber {};
struct Overflow {};

double use(const Entry& e)
{
    if (!e.part)
        return e.number;
    if (const std::optional<double> v = readNumber(*e.part))
        return *v;
    throw NotANumber{};
}

double inRange(double x)
{
    if (!std::isfinite(x))
        throw Overflow{};
    return x;
}

// x - (u * m) / d, each operation checked as it is formed.
double update(double x, double u, double m, double d)
{
    const double product = inRange(u * m);
    const double quotient = inRange(product / d);
    return inRange(x - quotient);
}

}  // namespace

std::optional<Ending> eliminate(Rows& a)
{
    const std::size_t n = a.size();
    try {
        for (std::size_t k = 0; k < n; ++k) {
            std::size_t p = k;
            while (p < n && use(a[p][k]) == 0)
                ++p;
            if (p == n)
                return k == 0 ? Ending::NoPivotFirstColumn : Ending::NoPivotLater;
            std::swap(a[k], a[p]);
            for (std::size_t i = k + 1; i < n; ++i) {
                for (std::size_t j = k + 1; j <= n; ++j)
                    a[i][j] = computed(update(use(a[i][j]), use(a[k][j]), use(a[i][k]), use(a[k][k])));
                a[i][k] = computed(0);
            }
        }
    } catch (const NotANumber&) {
        return Ending::NotANumber;
    } catch (const Overflow&) {
        return Ending::OverflowInElimination;
    }
    return std::nullopt;
}

Result solve(const PartMatrix& coefRe, const PartMatrix& coefIm, const PartVector& constRe, const PartVector& constIm)
{
    const std::size_t N = constRe.size(), n = 2 * N;
    Rows a(n, std::vector<Entry>(n + 1));
    try {
        // The negation of the upper-right block reads its part at once.
        for (std::size_t i = 0; i < N; ++i) {
            for (std::size_t j = 0; j < N; ++j) {
                a[i][j] = unread(coefRe[i][j]);
                a[i][N + j] = computed(-use(unread(coefIm[i][j])));
                a[N + i][j] = unread(coefIm[i][j]);
                a[N + i][N + j] = unread(coefRe[i][j]);
            }
            a[i][n] = unread(constRe[i]);
            a[N + i][n] = unread(constIm[i]);
        }
        if (const std::optional<Ending> ending = eliminate(a))
            return {{noPivot(*ending) ? SolveOutcome::NoUniqueSolution : SolveOutcome::DataError, {}, {}}, *ending};
        for (std::size_t k = n; k-- > 0;)
            for (std::size_t i = k; i-- > 0;)
                a[i][n] = computed(update(use(a[i][n]), use(a[k][n]), use(a[i][k]), use(a[k][k])));
        SolveResult solved{SolveOutcome::Solved, std::vector<double>(N), std::vector<double>(N)};
        for (std::size_t k = 0; k < N; ++k) {
            solved.re[k] = inRange(use(a[k][n]) / use(a[k][k]));
            solved.im[k] = inRange(use(a[N + k][n]) / use(a[N + k][N + k]));
        }
        return {solved, Ending::Solved};
    } catch (const NotANumber&) {
        return {{SolveOutcome::DataError, {}, {}}, Ending::NotANumber};
    } catch (const Overflow&) {
        // The build cannot overflow, so this is after the elimination.
        return {{SolveOutcome::DataError, {}, {}}, Ending::OverflowAfter};
    }
}

}  // namespace kalvor::literal
