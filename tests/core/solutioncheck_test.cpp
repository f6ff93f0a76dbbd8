// The solution check against exact rational arithmetic: systems typed as
// decimal texts go the real way (partcell, the defined solve, the check), and
// every unknown the check calls correct must show the text of the exact
// solution of the system of doubles, rounded correctly to the nearest
// doubles; every unknown it calls wrong must not.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <algorithm>
#include <charconv>
#include <random>
#include <string>
#include <vector>

#if defined(KALVOR_EXACT_RATIONALS)
#include <gmpxx.h>
#endif

#include "core/check/checkkernel.h"
#include "core/check/exactsolve.h"
#include "core/core.h"
#include "core/check/solutioncheck.h"
#include "core/solverpaths.h"

namespace {

using kalvor::CheckVerdict;
using kalvor::NumericSystem;
using kalvor::SolutionCheck;
using kalvor::SolverPath;

struct Typed {
    std::vector<std::vector<std::string>> cells;  // [equation][unknown]
    std::vector<std::string> constants;
};

struct Solved {
    kalvor::SolveResult result;
    NumericSystem read;
};

Solved solveTyped(const Typed& t)
{
    kalvor::PartMatrix coefRe, coefIm;
    kalvor::PartVector constRe, constIm;
    for (const auto& row : t.cells) {
        coefRe.emplace_back();
        coefIm.emplace_back();
        for (const std::string& cell : row) {
            const kalvor::CellParts p = kalvor::partcell(cell);
            coefRe.back().push_back(p.re);
            coefIm.back().push_back(p.im);
        }
    }
    for (const std::string& cell : t.constants) {
        const kalvor::CellParts p = kalvor::partcell(cell);
        constRe.push_back(p.re);
        constIm.push_back(p.im);
    }
    Solved s;
    s.result = kalvor::solve(coefRe, coefIm, constRe, constIm, &s.read);
    return s;
}

std::vector<SolverPath> availablePaths()
{
    std::vector<SolverPath> paths;
    for (SolverPath p : {SolverPath::Portable, SolverPath::Avx2, SolverPath::Avx512})
        if (kalvor::solverPathAvailable(p))
            paths.push_back(p);
    return paths;
}

const char* verdictName(CheckVerdict v)
{
    return v == CheckVerdict::Correct ? "correct" : v == CheckVerdict::Inaccurate ? "inaccurate" : "unreliable";
}

// ---- the adversarial cases, whose verdicts follow from their arithmetic --

struct Adversarial {
    const char* name;
    Typed system;
    CheckVerdict verdict;
    std::vector<bool> correct;  // per unknown, when not Unreliable
};

// 40 zeros after the point, then 1: 1E-40 typed without an exponent sign,
// which inside a complex cell would end its real part.
const std::string tiny40 = "0." + std::string(39, '0') + "1";

const Adversarial adversarialCases[] = {
    // The first non-zero pivot 1E-20 loses X1 entirely (shown 0.0000, exactly
    // 1/(1 - 1E-20) in truth); X2 = 1.0000 survives.
    {"tiny first pivot", {{{"1E-20", "1"}, {"1", "1"}}, {"1", "2"}}, CheckVerdict::Inaccurate, {false, true}},
    // Singular in exact decimals; only rounding leaves a pivot of 1E-16.
    {"rows 0.1 0.3 and 0.3 0.9", {{{"0.1", "0.3"}, {"0.3", "0.9"}}, {"1", "2"}}, CheckVerdict::Unreliable, {}},
    // Exactly 1.00005 and 1.99995: both on a five-digit rounding boundary,
    // both shown from the same 15-digit form as the exact solution.
    {"solution on rounding boundaries",
     {{{"20000", "0"}, {"1", "1"}}, {"20001", "3"}},
     CheckVerdict::Correct,
     {true, true}},
    {"solution exactly 2.50005E-07", {{{"200000000000"}}, {"50001"}}, CheckVerdict::Correct, {true}},
    // X2 = 1/1E40 beside X1 = 1 - 1E-40: once the double-double residual
    // rounds to zero, exact residuals refine X2 on.
    {"a part of 1E-40 beside parts of 1",
     {{{"1", "1"}, {"0", "10000000000000000000000000000000000000000"}}, {"1", "1"}},
     CheckVerdict::Correct,
     {true, true}},
    {"an imaginary part of 1E-40", {{{"1"}}, {"1+" + tiny40 + "i"}}, CheckVerdict::Correct, {true}},
    // A real system: every imaginary part is exactly zero by structure.
    {"real system, exact zeros", {{{"2", "1"}, {"1", "3"}}, {"3", "4"}}, CheckVerdict::Correct, {true, true}},
    // X = (-1 + 3i, i): Re X2 is exactly 0, shown 0.0000, left at a noise
    // of 1E-33 by the refinement; Cramer's rule with Hadamard's bound proves
    // it zero.
    {"an exact zero shown exactly",
     {{{"-1-3i", "-3+2i"}, {"-2+2i", "2-2i"}}, {"8-3i", "-2-6i"}},
     CheckVerdict::Correct,
     {true, true}},
    // X = (2 - 2i, -3i), Re X2 exactly 0 as in a balanced bridge; the defined
    // solve shows 7.1054E-16 there.
    {"an exact zero shown as rounding noise",
     {{{"1-3i", "-3-3i"}, {"-2-3i", "1+1i"}}, {"-13+1i", "-7-5i"}},
     CheckVerdict::Inaccurate,
     {true, false}},
    // With A = iB and real constants the real parts are exactly zero.
    {"imaginary matrix, exact zeros", {{{"2i", "i"}, {"i", "3i"}}, {"3", "4"}}, CheckVerdict::Correct, {true, true}},
};

void PrintTo(const Adversarial& c, std::ostream* os)
{
    *os << c.name;
}

class AdversarialCase : public testing::TestWithParam<Adversarial> {};

TEST_P(AdversarialCase, GivesItsVerdictOnEveryPath)
{
    const Adversarial& c = GetParam();
    const Solved s = solveTyped(c.system);
    ASSERT_EQ(s.result.outcome, kalvor::SolveOutcome::Solved) << c.name;
    for (SolverPath path : availablePaths()) {
        const SolutionCheck check = kalvor::checkSolutionOnPath(s.read, s.result.re, s.result.im, path);
        const std::string what = std::string(c.name) + " on path " + std::to_string(static_cast<int>(path));
        EXPECT_STREQ(verdictName(c.verdict), verdictName(check.verdict)) << what;
        ASSERT_EQ(check.unknowns.size(), s.read.n) << what;
        for (std::size_t k = 0; k < s.read.n; ++k) {
            if (c.verdict == CheckVerdict::Unreliable)
                EXPECT_FALSE(check.unknowns[k].correct.has_value()) << what << " X" << k + 1;
            else
                EXPECT_EQ(check.unknowns[k].correct, std::optional<bool>(c.correct[k])) << what << " X" << k + 1;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, AdversarialCase, testing::ValuesIn(adversarialCases),
                         [](const testing::TestParamInfo<Adversarial>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

TEST(SolutionCheck, TinyPivotGivesTheAccurateValues)
{
    const Solved s = solveTyped({{{"1E-20", "1"}, {"1", "1"}}, {"1", "2"}});
    const SolutionCheck check = kalvor::checkSolution(s.read, s.result.re, s.result.im);
    ASSERT_EQ(check.unknowns.size(), 2u);
    // X1 = 1/(1 - 1E-20) and X2 = (1 - 2E-20)/(1 - 1E-20), both 1 to the
    // nearest double; the condition of [[1E-20, 1], [1, 1]] is about 4.
    EXPECT_EQ(check.unknowns[0].re, 1.0);
    EXPECT_EQ(check.unknowns[1].re, 1.0);
    EXPECT_EQ(check.unknowns[0].im, 0.0);
    EXPECT_GT(check.condition, 1.0);
    EXPECT_LT(check.condition, 10.0);
}

TEST(SolutionCheck, SingularFactorisationIsUnreliableWithInfiniteCondition)
{
    // Row 2 is exactly twice row 1 in doubles too; the defined elimination
    // still finds a pivot of -5.6E-17, the pivoted LU an exact zero.
    const Solved s = solveTyped({{{"0.1", "0.2"}, {"0.2", "0.4"}}, {"1", "2"}});
    ASSERT_EQ(s.result.outcome, kalvor::SolveOutcome::Solved);
    const SolutionCheck check = kalvor::checkSolution(s.read, s.result.re, s.result.im);
    EXPECT_EQ(check.verdict, CheckVerdict::Unreliable);
    EXPECT_TRUE(std::isinf(check.condition));
    EXPECT_EQ(check.unknowns[0].re, s.result.re[0]) << "no accurate value: the shown one";
}

TEST(SolutionCheck, ExactSolveRoundsToNearestTiesToEven)
{
    const long long two53 = 1LL << 53;
    const struct {
        long long p, q;
        double expected;
    } cases[] = {
        {1, 3, 1.0 / 3.0},
        {-2, 3, -2.0 / 3.0},
        {1, 10, 0.1},
        {two53 + 1, two53, 1.0},                 // a tie goes to the even 1
        {two53 + 3, two53, 1 + 0x1p-51},         // a tie goes up to the even neighbour
        {2 * two53 + 3, 2 * two53, 1 + 0x1p-52}, // three quarters of an ulp
        {0, 7, 0.0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(kalvor::nearestDoubleOf(c.p, c.q), c.expected) << c.p << " / " << c.q;
}

TEST(SolutionCheck, RefusesWhatNoSolveReads)
{
    NumericSystem s{2, std::vector<std::complex<double>>(4, 1.0), std::vector<std::complex<double>>(2, 1.0)};
    const std::vector<double> two(2, 0.0);
    EXPECT_THROW(kalvor::checkSolution(NumericSystem{}, {}, {}), std::invalid_argument);
    EXPECT_THROW(kalvor::checkSolution(s, two, std::vector<double>(3, 0.0)), std::invalid_argument);
    s.a[3] = {NAN, 0};
    EXPECT_THROW(kalvor::checkSolution(s, two, two), std::invalid_argument);
}

// Every path must reach the same verdicts and the same accurate values on a
// system large enough for the residual's full lane groups and its tail.
TEST(SolutionCheck, EveryPathAgrees)
{
    const std::size_t n = 37;
    std::mt19937_64 random(37);
    std::uniform_real_distribution<double> value(-9, 9);
    NumericSystem s{n, std::vector<std::complex<double>>(n * n), std::vector<std::complex<double>>(n)};
    for (auto& z : s.a)
        z = {value(random), value(random)};
    for (auto& z : s.b)
        z = {value(random), value(random)};
    std::vector<double> re(n), im(n);
    const SolutionCheck reference = kalvor::checkSolutionOnPath(s, re, im, SolverPath::Portable);
    for (std::size_t k = 0; k < n; ++k) {
        re[k] = reference.unknowns[k].re;
        im[k] = k % 2 ? reference.unknowns[k].im : 1.0;  // odd unknowns shown right, even ones wrong
    }
    for (SolverPath path : availablePaths()) {
        kalvor::CheckStatistics statistics;
        const SolutionCheck check = kalvor::checkSolutionOnPath(s, re, im, path, &statistics);
        const std::string what = "path " + std::to_string(static_cast<int>(path));
        EXPECT_EQ(check.verdict, CheckVerdict::Inaccurate) << what;
        EXPECT_LE(statistics.corrections, 4) << what << ": a well-conditioned system converges at once";
        EXPECT_NEAR(check.condition, reference.condition, 1e-6 * reference.condition) << what;
        for (std::size_t k = 0; k < n; ++k) {
            EXPECT_EQ(check.unknowns[k].correct, std::optional<bool>(k % 2 == 1)) << what << " X" << k + 1;
            EXPECT_EQ(check.unknowns[k].re, re[k]) << what << " X" << k + 1;
        }
    }
}

#if defined(KALVOR_EXACT_RATIONALS)

// ---- exact rationals -----------------------------------------------------

// The double nearest to q, ties to even, subnormals included. GMP's own
// mpq_get_d truncates, so it is used only to find the binary exponent
// (truncation never crosses the power of two below q).
double nearestDouble(const mpq_class& q)
{
    if (sgn(q) == 0)
        return 0.0;
    const mpq_class m = abs(q);
    const double truncated = m.get_d();
    int exponent = -1075;
    if (truncated != 0) {
        std::frexp(truncated, &exponent);
        --exponent;  // 2^exponent <= m < 2^(exponent + 1)
    }
    exponent = std::max(exponent, -1022);
    // m / 2^(exponent - 52) = whole + fraction, whole < 2^53.
    mpq_class scaled;
    if (exponent <= 52)
        mpq_mul_2exp(scaled.get_mpq_t(), m.get_mpq_t(), static_cast<unsigned long>(52 - exponent));
    else
        mpq_div_2exp(scaled.get_mpq_t(), m.get_mpq_t(), static_cast<unsigned long>(exponent - 52));
    mpz_class whole = scaled.get_num() / scaled.get_den();
    const int half = cmp(mpq_class(scaled - whole), mpq_class(1, 2));
    if (half > 0 || (half == 0 && mpz_odd_p(whole.get_mpz_t())))
        ++whole;
    const double magnitude = std::ldexp(whole.get_d(), exponent - 52);
    return sgn(q) < 0 ? -magnitude : magnitude;
}

mpq_class exact(double x)
{
    return mpq_class(x);  // mpq_set_d: exact
}

mpq_class power2(int e)
{
    mpq_class p(1);
    if (e >= 0)
        mpq_mul_2exp(p.get_mpq_t(), p.get_mpq_t(), static_cast<unsigned long>(e));
    else
        mpq_div_2exp(p.get_mpq_t(), p.get_mpq_t(), static_cast<unsigned long>(-e));
    return p;
}

TEST(NearestDouble, RoundsToNearestTiesToEven)
{
    const struct {
        const char* name;
        mpq_class q;
        double expected;
    } cases[] = {
        {"a double is itself", exact(0.1), 0.1},
        {"midpoint above 1 goes down to even", 1 + power2(-53), 1.0},
        {"midpoint above 1 + ulp goes up to even", 1 + 3 * power2(-53), 1 + 0x1p-51},
        {"just above a midpoint goes up", 1 + power2(-53) + power2(-200), 1 + 0x1p-52},
        // Truncation (mpq_get_d) would give 1 here.
        {"three quarters of an ulp goes up", 1 + 3 * power2(-54), 1 + 0x1p-52},
        {"decimal 1.00005", mpq_class(100005, 100000), 1.00005},
        {"negative two thirds", mpq_class(-2, 3), -2.0 / 3.0},
        {"decimal 1E-320, subnormal", mpq_class(1) / mpq_class("1" + std::string(320, '0')), 1e-320},
        {"three quarters of the least subnormal", 3 * power2(-1076), 0x1p-1074},
        {"a quarter of the least subnormal", power2(-1076), 0.0},
        {"largest double", exact(0x1.fffffffffffffp+1023), 0x1.fffffffffffffp+1023},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nearestDouble(c.q), c.expected) << c.name;
}

struct ExactComplex {
    mpq_class re, im;
};

ExactComplex operator-(const ExactComplex& a, const ExactComplex& b)
{
    return {a.re - b.re, a.im - b.im};
}

ExactComplex operator*(const ExactComplex& a, const ExactComplex& b)
{
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}

ExactComplex operator/(const ExactComplex& a, const ExactComplex& b)
{
    const mpq_class d = b.re * b.re + b.im * b.im;
    return {(a.re * b.re + a.im * b.im) / d, (a.im * b.re - a.re * b.im) / d};
}

// The exact solution of the system of doubles; empty when it is singular.
std::vector<ExactComplex> exactSolution(const NumericSystem& s)
{
    const std::size_t n = s.n;
    std::vector<std::vector<ExactComplex>> m(n, std::vector<ExactComplex>(n + 1));
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j)
            m[i][j] = {exact(s.a[i * n + j].real()), exact(s.a[i * n + j].imag())};
        m[i][n] = {exact(s.b[i].real()), exact(s.b[i].imag())};
    }
    const auto isZero = [](const ExactComplex& z) { return sgn(z.re) == 0 && sgn(z.im) == 0; };
    for (std::size_t k = 0; k < n; ++k) {
        std::size_t p = k;
        while (p < n && isZero(m[p][k]))
            ++p;
        if (p == n)
            return {};
        std::swap(m[k], m[p]);
        for (std::size_t i = k + 1; i < n; ++i) {
            const ExactComplex f = m[i][k] / m[k][k];
            for (std::size_t j = k; j <= n; ++j)
                m[i][j] = m[i][j] - f * m[k][j];
        }
    }
    std::vector<ExactComplex> x(n);
    for (std::size_t k = n; k-- > 0;) {
        ExactComplex sum = m[k][n];
        for (std::size_t j = k + 1; j < n; ++j)
            sum = sum - m[k][j] * x[j];
        x[k] = sum / m[k][k];
    }
    return x;
}

// ---- random systems typed as decimal texts -------------------------------

// The decimal digits `digits` times 10^exponent, as plain decimal text
// without an exponent (whose sign would split a complex cell).
std::string decimalText(std::string digits, bool negative, int exponent)
{
    if (exponent >= 0)
        digits.append(static_cast<std::size_t>(exponent), '0');
    else {
        const auto places = static_cast<std::size_t>(-exponent);
        if (digits.size() <= places)
            digits.insert(0, places - digits.size() + 1, '0');
        digits.insert(digits.size() - places, ".");
    }
    return (negative ? "-" : "") + digits;
}

enum class Kind {
    WellConditioned,
    TinyPivot,
    NearlyDependent,
    ScaledRows,
    SmallIntegers,
    TextBoundary,
    TinyParts,
    ExactZeros,
    ExtremeMagnitudes,
    WidelySpread,
    Growth
};

const char* kindName(Kind k)
{
    static const char* const names[] = {"well-conditioned",     "tiny first pivot",    "nearly dependent rows",
                                        "rows scaled by 1E+-8", "small integers",      "text boundaries",
                                        "tiny parts",           "exact zeros",         "extreme magnitudes",
                                        "widely spread",        "perturbed growth matrix"};
    return names[static_cast<int>(k)];
}

// A part as typed: the digits of a whole number, its sign and a power of ten.
struct TypedPart {
    std::string digits = "0";
    bool negative = false;
    int exponent = 0;
};

TypedPart typedPart(long long mantissa, int exponent)
{
    return {std::to_string(std::llabs(mantissa)), mantissa < 0, exponent};
}

std::string cellText(const TypedPart& re, const TypedPart& im)
{
    const std::string real = decimalText(re.digits, re.negative, re.exponent);
    if (im.digits == "0")
        return real;
    return real + (im.negative ? "-" : "+") + decimalText(im.digits, false, im.exponent) + "i";
}

// The decimal digits of a whole number.
std::string digitsOf(__int128 v)
{
    std::string d;
    for (; v != 0; v /= 10)
        d.insert(d.begin(), static_cast<char>('0' + static_cast<int>(v % 10)));
    return d.empty() ? "0" : d;
}

// Small whole coefficients with a dominant diagonal, and a solution whose
// parts lie within a few units in the last place of the point where their
// 15-digit form, and so their text, rounds the other way (X.XXXX49999999999|5);
// the constants A x typed exactly, in 20 decimals, so that only their
// reading rounds.
Typed textBoundarySystem(std::size_t n, std::mt19937_64& random)
{
    const auto integer
        = [&](long long lo, long long hi) { return std::uniform_int_distribution<long long>(lo, hi)(random); };
    std::vector<__int128> xRe(n), xIm(n);
    for (std::size_t j = 0; j < n; ++j)
        for (auto* x : {&xRe[j], &xIm[j]}) {
            // In units of 1E-20.
            const __int128 boundary
                = static_cast<__int128>(integer(10000, 99999)) * 10000000000000000 + 5000000000000000;
            *x = (boundary - 500000 + integer(-400000, 400000)) * (integer(0, 1) ? 1 : -1);
        }
    Typed t;
    std::vector<__int128> bRe(n, 0), bIm(n, 0);
    for (std::size_t i = 0; i < n; ++i) {
        t.cells.emplace_back();
        for (std::size_t j = 0; j < n; ++j) {
            long long re = integer(-3, 3), im = integer(-3, 3);
            if (i == j)
                re += re < 0 ? -20 : 20;
            t.cells.back().push_back(cellText(typedPart(re, 0), typedPart(im, 0)));
            bRe[i] += re * xRe[j] - im * xIm[j];
            bIm[i] += re * xIm[j] + im * xRe[j];
        }
        const auto part = [](__int128 v) { return TypedPart{digitsOf(v < 0 ? -v : v), v < 0, -20}; };
        t.constants.push_back(cellText(part(bRe[i]), part(bIm[i])));
    }
    return t;
}

// A double as typed: its shortest round-trip digits as plain decimal text,
// which reads back as the same double.
TypedPart typedDouble(double v)
{
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(v), std::chars_format::scientific).ptr;
    const std::string text(buffer, end);  // d.dddde+XX
    const std::size_t e = text.find('e');
    std::string digits = text.substr(0, e);
    digits.erase(std::remove(digits.begin(), digits.end(), '.'), digits.end());
    const int exponent = std::stoi(text.substr(e + 1)) - static_cast<int>(digits.size() - 1);
    return {digits, v < 0, exponent};
}

// An unknown with an imaginary part of a few 2^-105 beside a real part near
// 0.05: U upper triangular with a real diagonal, the last constant's
// imaginary part (its diagonal) times that, then rows mixed by a unit lower
// triangular L. Every constant stays a double: real parts in 64ths, the only
// tiny parts whole multiples of 2^-105.
Typed tinyPartSystem(std::size_t n, std::mt19937_64& random)
{
    const auto integer
        = [&](long long lo, long long hi) { return std::uniform_int_distribution<long long>(lo, hi)(random); };
    using C = std::complex<long long>;
    std::vector<std::vector<C>> u(n, std::vector<C>(n)), l = u, a = u;
    for (std::size_t i = 0; i < n; ++i) {
        u[i][i] = {integer(2, 5) * (integer(0, 1) ? 1 : -1), 0};
        for (std::size_t j = i + 1; j < n; ++j)
            u[i][j] = {integer(-3, 3), integer(-3, 3)};
        l[i][i] = 1;
        for (std::size_t j = 0; j < i; ++j)
            l[i][j] = {integer(-2, 2), 0};
    }
    std::vector<long long> bRe(n);  // in 64ths
    for (auto& v : bRe)
        v = integer(-400, 400);
    const long long tiny = integer(1, 9) * u[n - 1][n - 1].real();  // in units of 2^-105
    Typed t;
    for (std::size_t i = 0; i < n; ++i) {
        t.cells.emplace_back();
        long long re = 0, im = 0;
        for (std::size_t k = 0; k <= i; ++k) {
            re += l[i][k].real() * bRe[k];
            if (k == n - 1)
                im += l[i][k].real() * tiny;
        }
        for (std::size_t j = 0; j < n; ++j) {
            C sum = 0;
            for (std::size_t k = 0; k < n; ++k)
                sum += l[i][k] * u[k][j];
            t.cells.back().push_back(cellText(typedPart(sum.real(), 0), typedPart(sum.imag(), 0)));
        }
        const TypedPart imPart = im == 0 ? TypedPart{} : typedDouble(std::ldexp(static_cast<double>(im), -105));
        t.constants.push_back(cellText(typedDouble(static_cast<double>(re) / 64), imPart));
    }
    return t;
}

// A real matrix of two-decimal numbers and complex constants whose exact
// solution has one unknown +-1, one +-i and the rest 0: each constant part
// is a coefficient, so the doubles solve exactly, yet no part is zero by
// structure. The first is the system that once called a condition of 3
// unreliable.
Typed exactZeroSystem(std::size_t n, std::mt19937_64& random, bool first)
{
    if (first)
        return {{{"-28.49", "-6.8", "7.73"}, {"-7.1", "-21.6", "-5.1"}, {"7.27", "0.8", "21.3"}},
                {"-28.49+7.73i", "-7.1-5.1i", "7.27+21.3i"}};
    const auto integer
        = [&](long long lo, long long hi) { return std::uniform_int_distribution<long long>(lo, hi)(random); };
    const std::size_t realAt = static_cast<std::size_t>(integer(0, static_cast<long long>(n) - 1));
    const std::size_t imagAt = (realAt + 1 + static_cast<std::size_t>(integer(0, static_cast<long long>(n) - 2))) % n;
    const bool realNegative = integer(0, 1), imagNegative = integer(0, 1);
    Typed t;
    for (std::size_t i = 0; i < n; ++i) {
        std::vector<long long> row(n);
        for (std::size_t j = 0; j < n; ++j)
            row[j] = integer(-999, 999) + (i == j ? (integer(0, 1) ? 2500 : -2500) : 0);
        t.cells.emplace_back();
        for (const long long v : row)
            t.cells.back().push_back(cellText(typedPart(v, -2), {}));
        TypedPart re = typedPart(row[realAt], -2), im = typedPart(row[imagAt], -2);
        re.negative = re.negative != realNegative;
        im.negative = im.negative != imagNegative;
        if (re.digits == "0")
            re.negative = false;
        t.constants.push_back(cellText(re, im));
    }
    return t;
}

// Real cells "d.dddE+-XXX": row i times 10^r_i, the solution near 10^s,
// every number from 1E-295 to 1E+295. The first two are 1 | 1E-292 and
// 1 | 1E295.
Typed extremeSystem(std::size_t n, std::mt19937_64& random, int index)
{
    if (index < 2)
        return {{{"1"}}, {index == 0 ? "1E-292" : "1E295"}};
    const auto integer = [&](long long lo, long long hi) { return std::uniform_int_distribution<long long>(lo, hi)(random); };
    const auto text = [&](long long mantissa, long long exponent) {
        return std::string(mantissa < 0 ? "-" : "") + std::to_string(std::llabs(mantissa) / 1000) + "."
            + std::to_string(1000 + std::llabs(mantissa) % 1000).substr(1) + "E" + (exponent < 0 ? "-" : "+")
            + std::to_string(std::llabs(exponent));
    };
    const long long s = integer(-290, 290);
    Typed t;
    for (std::size_t i = 0; i < n; ++i) {
        const long long r = std::clamp(integer(-290, 290), -295 - std::min(s, 0LL), 295 - std::max(s, 0LL));
        t.cells.emplace_back();
        for (std::size_t j = 0; j < n; ++j) {
            long long m = integer(1000, 9999) * (integer(0, 1) ? 1 : -1);
            t.cells.back().push_back(text(m, r - (i == j ? 0 : 1)));
        }
        t.constants.push_back(text(integer(1000, 9999) * (integer(0, 1) ? 1 : -1), r + s));
    }
    return t;
}

// A real matrix whose column j is scaled by 10^c_j, c_j from -84 to 84 and
// typed without an exponent, with complex constants: the unknowns' sizes
// differ by up to 1E+168.
Typed widelySpreadSystem(std::size_t n, std::mt19937_64& random)
{
    const auto integer
        = [&](long long lo, long long hi) { return std::uniform_int_distribution<long long>(lo, hi)(random); };
    std::vector<int> column(n);
    for (std::size_t j = 0; j < n; ++j)
        column[j] = j == 0 ? 0 : static_cast<int>(84 * integer(-1, 1));
    Typed t;
    for (std::size_t i = 0; i < n; ++i) {
        t.cells.emplace_back();
        for (std::size_t j = 0; j < n; ++j) {
            long long v = integer(-999, 999) + (i == j ? 3000 : 0);
            t.cells.back().push_back(cellText(typedPart(v, column[j] - 3), {}));
        }
        t.constants.push_back(cellText(typedPart(integer(-9999, 9999), -3), typedPart(integer(-9999, 9999), -3)));
    }
    return t;
}

// 1 on the diagonal, -1 below, 1 in the last column, each entry moved by a
// few 1024ths towards the diagonal's favour, and complex constants: partial pivoting grows the last column
// to 2^(n-1), the defined solve loses digits, and a refinement on such an LU
// does not converge, yet the condition is about n.
Typed growthSystem(std::size_t n, std::mt19937_64& random)
{
    const auto integer
        = [&](long long lo, long long hi) { return std::uniform_int_distribution<long long>(lo, hi)(random); };
    Typed t;
    for (std::size_t i = 0; i < n; ++i) {
        t.cells.emplace_back();
        for (std::size_t j = 0; j < n; ++j) {
            // The diagonal stays the largest of its column: no row exchange.
            const double nudge = static_cast<double>(integer(0, 3)) / 1024;
            const double v = j == n - 1 ? 1 + nudge : i == j ? 1 + nudge : i > j ? nudge - 1 : 0.0;
            t.cells.back().push_back(cellText(typedDouble(v), {}));
        }
        t.constants.push_back(cellText(typedPart(integer(-99, 99), -1), typedPart(integer(-99, 99), -1)));
    }
    return t;
}

Typed randomSystem(Kind kind, std::size_t n, std::mt19937_64& random)
{
    if (kind == Kind::TextBoundary)
        return textBoundarySystem(n, random);
    if (kind == Kind::TinyParts)
        return tinyPartSystem(n, random);
    if (kind == Kind::WidelySpread)
        return widelySpreadSystem(n, random);
    if (kind == Kind::Growth)
        return growthSystem(n, random);
    const auto integer
        = [&](long long lo, long long hi) { return std::uniform_int_distribution<long long>(lo, hi)(random); };
    // Parts of four decimals below 10 in size with a dominant diagonal, or
    // whole numbers from -3 to 3; column n is the constant.
    const bool integers = kind == Kind::SmallIntegers;
    const long long range = integers ? 3 : 99999;
    const int exponent = integers ? 0 : -4;
    std::vector<std::vector<TypedPart>> re(n, std::vector<TypedPart>(n + 1)), im = re;
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j <= n; ++j) {
            long long r = integer(-range, range);
            if (i == j && (kind == Kind::WellConditioned || kind == Kind::ScaledRows))
                r += r < 0 ? -300000 : 300000;
            re[i][j] = typedPart(r, exponent);
            im[i][j] = typedPart(integer(-range, range), exponent);
        }
    if (kind == Kind::NearlyDependent && n >= 2) {
        // The last row is the first with one more digit 10^-k further down.
        const int k = static_cast<int>(integer(6, 17));
        for (std::size_t j = 0; j <= n; ++j)
            for (auto* part : {&re, &im}) {
                TypedPart p = (*part)[0][j];
                p.digits += std::string(static_cast<std::size_t>(k - 1), '0') + std::to_string(integer(1, 9));
                p.exponent -= k;
                (*part)[n - 1][j] = p;
            }
    }
    if (kind == Kind::ScaledRows)
        for (std::size_t i = 0; i < n; ++i) {
            const int shift = static_cast<int>(8 * integer(-1, 1));
            for (std::size_t j = 0; j <= n; ++j) {
                re[i][j].exponent += shift;
                im[i][j].exponent += shift;
            }
        }
    if (kind == Kind::TinyPivot) {
        // A real first pivot from 1E-20 to 1E-5.
        re[0][0] = typedPart(integer(1, 9), -static_cast<int>(integer(5, 20)));
        im[0][0] = typedPart(0, 0);
    }
    Typed t;
    for (std::size_t i = 0; i < n; ++i) {
        t.cells.emplace_back();
        for (std::size_t j = 0; j < n; ++j)
            t.cells.back().push_back(cellText(re[i][j], im[i][j]));
        t.constants.push_back(cellText(re[i][n], im[i][n]));
    }
    return t;
}

struct Tally {
    std::map<CheckVerdict, int> verdicts;
    int systems = 0, zeroPartSystems = 0;

    int share(CheckVerdict v) const  // in percent of the systems
    {
        return systems == 0 || !verdicts.count(v) ? 0 : 100 * verdicts.at(v) / systems;
    }
};

// What each kind must give besides soundness, in percent of its systems:
// at least `correct` and `inaccurate` Correct and Inaccurate verdicts, at most
// `unreliable` Unreliable ones (-1: each verdict at least once).
struct Expected {
    Kind kind;
    int correct, inaccurate, unreliable;
};

const Expected expectations[] = {
    {Kind::WellConditioned, 95, 0, 0},
    // The defined elimination loses digits to the tiny pivot in most systems;
    // the condition itself is moderate.
    {Kind::TinyPivot, 10, 40, 0},
    {Kind::NearlyDependent, -1, -1, -1},
    // Row scaling changes neither the defined results nor, after the check's
    // own scaling, its condition estimate.
    {Kind::ScaledRows, 95, 0, 0},
    // Exact zeros (a balanced bridge) are proved zero, never left open.
    {Kind::SmallIntegers, 80, 0, 0},
    {Kind::TextBoundary, 50, 10, 0},
    // Never unreliable, whatever the magnitudes, zeros and spread of the
    // solution, once the condition is moderate.
    {Kind::TinyParts, 0, 50, 0},
    {Kind::ExactZeros, 50, 20, 0},
    {Kind::ExtremeMagnitudes, 50, 0, 0},
    {Kind::WidelySpread, 50, 0, 0},
    {Kind::Growth, 0, 50, 0},
};

// The families that once found open parts or false alarms, a few systems
// each (their exact solutions are slow for GMP at the growth matrix's size),
// more in a longer run.
int systemsPerKind();
int familySystems()
{
    return std::max(8, systemsPerKind() / 8);
}
constexpr std::size_t GrowthSizes[] = {48, 56};

// Systems per kind; KALVOR_CHECK_SYSTEMS asks for a longer run.
int systemsPerKind()
{
    const char* count = std::getenv("KALVOR_CHECK_SYSTEMS");
    return count ? std::atoi(count) : 60;
}

TEST(SolutionCheckExact, NeverCallsAWrongTextCorrect)
{
    const std::vector<SolverPath> paths = availablePaths();
    std::size_t run = 0;
    for (const Expected& expected : expectations) {
        const Kind kind = expected.kind;
        std::mt19937_64 random(2024 + static_cast<int>(kind));
        Tally tally;
        for (int i = 0; i < systemsPerKind(); ++i) {
            // One unknown cannot suffer from the order of elimination.
            std::size_t n
                = kind == Kind::TinyPivot ? 2 + static_cast<std::size_t>(i % 3) : 1 + static_cast<std::size_t>(i % 4);
            if (kind == Kind::TinyParts || kind == Kind::ExactZeros)
                n = i == 0 && kind == Kind::ExactZeros ? 3 : n + (n == 1);
            if (kind == Kind::ExtremeMagnitudes && i < 2)
                n = 1;
            if (kind == Kind::Growth)
                n = GrowthSizes[static_cast<std::size_t>(i) % std::size(GrowthSizes)];
            if (kind >= Kind::TinyParts && i >= familySystems())
                break;
            const Solved s = solveTyped(kind == Kind::ExactZeros ? exactZeroSystem(n, random, i == 0)
                                            : kind == Kind::ExtremeMagnitudes ? extremeSystem(n, random, i)
                                                                              : randomSystem(kind, n, random));
            const std::vector<ExactComplex> x = s.result.outcome == kalvor::SolveOutcome::Solved
                ? exactSolution(s.read)
                : std::vector<ExactComplex>{};
            if (x.empty())
                continue;
            kalvor::CheckStatistics statistics;
            const SolutionCheck check = kalvor::checkSolutionOnPath(s.read, s.result.re, s.result.im,
                                                                    paths[run++ % paths.size()], &statistics);
            ++tally.systems;
            ++tally.verdicts[check.verdict];
            bool zeroPart = false;
            for (std::size_t k = 0; k < n; ++k) {
                const std::string exactText = kalvor::resultText(nearestDouble(x[k].re), nearestDouble(x[k].im));
                const std::string shownText = kalvor::resultText(s.result.re[k], s.result.im[k]);
                const std::string what = std::string(kindName(kind)) + " system " + std::to_string(i) + " X"
                    + std::to_string(k + 1) + ": shown" + shownText + ", exact" + exactText + " (escalation "
                    + std::to_string(static_cast<int>(statistics.escalation)) + ")";
                zeroPart = zeroPart || sgn(x[k].re) == 0 || sgn(x[k].im) == 0;
                if (check.verdict == CheckVerdict::Unreliable) {
                    EXPECT_FALSE(check.unknowns[k].correct.has_value()) << what;
                    continue;
                }
                ASSERT_TRUE(check.unknowns[k].correct.has_value()) << what;
                EXPECT_EQ(*check.unknowns[k].correct, shownText == exactText) << what;
                EXPECT_EQ(kalvor::resultText(check.unknowns[k].re, check.unknowns[k].im), exactText)
                    << what << ": the accurate value";
            }
            tally.zeroPartSystems += zeroPart;
        }
        const std::string counts = std::string(kindName(kind)) + ": " + std::to_string(tally.systems)
            + " systems, correct " + std::to_string(tally.share(CheckVerdict::Correct)) + "%, inaccurate "
            + std::to_string(tally.share(CheckVerdict::Inaccurate)) + "%, unreliable "
            + std::to_string(tally.share(CheckVerdict::Unreliable)) + "%";
        EXPECT_GE(tally.systems, std::min(systemsPerKind(), kind >= Kind::TinyParts ? familySystems() : 1 << 30) * 2 / 3)
            << counts;
        if (expected.unreliable < 0) {
            for (CheckVerdict v : {CheckVerdict::Correct, CheckVerdict::Inaccurate, CheckVerdict::Unreliable})
                EXPECT_GT(tally.share(v), 0) << counts;
            continue;
        }
        EXPECT_GE(tally.share(CheckVerdict::Correct), expected.correct) << counts;
        EXPECT_GE(tally.share(CheckVerdict::Inaccurate), expected.inaccurate) << counts;
        EXPECT_LE(tally.share(CheckVerdict::Unreliable), expected.unreliable) << counts;
        // None at all, not just under one percent.
        if (expected.unreliable == 0)
            EXPECT_EQ(tally.verdicts[CheckVerdict::Unreliable], 0) << counts;
        if (kind == Kind::SmallIntegers)
            EXPECT_GT(tally.zeroPartSystems, 0) << counts << ": no exact zero was met";
    }
}

#else

TEST(SolutionCheckExact, NeverCallsAWrongTextCorrect)
{
    GTEST_SKIP() << "built without GMP's rationals";
}

#endif

}  // namespace
