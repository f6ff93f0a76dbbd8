// The reciprocal quotient of the vector kernels against true division. Inside
// the guarded range it must give the IEEE quotient bit for bit; these runs
// cover many millions of random operands and the classic hard ones (divisors
// whose mantissa is all ones or a power of two, dividends at the ends of the
// range, every sign).
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "core/elimination/eliminationkernel.h"
#include "core/solverpaths.h"

namespace {

using kalvor::ReciprocalRange;
using kalvor::SolverPath;
using kalvor::StepDivisor;

using Quotients = void (*)(const StepDivisor&, const double*, std::size_t, double*);

struct Path {
    const char* name;
    SolverPath path;
    Quotients quotients;
};

const Path paths[] = {
    {"avx2", SolverPath::Avx2, kalvor::quotientsAvx2},
    {"avx512", SolverPath::Avx512, kalvor::quotientsAvx512},
};

StepDivisor stepFor(double d)
{
    const double row[] = {1.0};
    return kalvor::makeStepDivisor(d, row, 0, 1);
}

double withBits(int exponent, std::uint64_t mantissa, bool negative)
{
    const std::uint64_t bits = (std::uint64_t(negative) << 63) | (std::uint64_t(exponent + 1023) << 52)
        | (mantissa & ((std::uint64_t{1} << 52) - 1));
    return std::bit_cast<double>(bits);
}

std::string hex(double x)
{
    char buffer[64];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::hex).ptr);
}

// Counts the operands whose reciprocal quotient differs from p / d in any bit.
std::size_t mismatches(const Path& path, double d, const std::vector<double>& p, std::string& first)
{
    const StepDivisor s = stepFor(d);
    std::vector<double> q(p.size());
    path.quotients(s, p.data(), p.size(), q.data());
    std::size_t bad = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const double expected = p[i] / d;
        if (std::bit_cast<std::uint64_t>(expected) != std::bit_cast<std::uint64_t>(q[i])) {
            if (bad++ == 0)
                first = hex(p[i]) + " / " + hex(d);
        }
    }
    return bad;
}

std::uint64_t allOnes()
{
    return (std::uint64_t{1} << 52) - 1;
}

// Divisors: random, all-ones mantissas, powers of two, one bit above a power
// of two, at both ends of the guarded range.
std::vector<double> divisors(std::mt19937_64& random)
{
    std::vector<double> d;
    std::uniform_int_distribution<int> exponent(-300, 299);
    for (int e : {-300, -299, -1, 0, 1, 52, 299}) {
        for (bool negative : {false, true}) {
            d.push_back(withBits(e, 0, negative));
            d.push_back(withBits(e, 1, negative));
            d.push_back(withBits(e, allOnes(), negative));
            d.push_back(withBits(e, allOnes() - 1, negative));
            d.push_back(withBits(e, std::uint64_t{1} << 51, negative));
            d.push_back(withBits(e, 0x5555555555555, negative));
        }
    }
    d.push_back(0x1p300);
    d.push_back(-0x1p300);
    for (int i = 0; i < 60; ++i)
        d.push_back(withBits(exponent(random), random(), random() & 1));
    return d;
}

// Dividends: random mantissas over the whole guarded range of products, plus
// all-ones and power-of-two mantissas and the exact ends of the range.
std::vector<double> dividends(std::mt19937_64& random, std::size_t count)
{
    std::vector<double> p;
    std::uniform_int_distribution<int> exponent(-600, 599);
    for (int e : {-600, -599, -1, 0, 599})
        for (bool negative : {false, true})
            for (std::uint64_t m : {std::uint64_t{0}, std::uint64_t{1}, allOnes(), allOnes() - 1})
                p.push_back(withBits(e, m, negative));
    p.push_back(0x1p600);
    p.push_back(-0x1p600);
    while (p.size() < count) {
        const std::uint64_t r = random();
        // A quarter with mantissas of many trailing ones or zeros, which
        // give quotients close to halfway cases.
        const std::uint64_t m = (r & 3) == 0 ? (random() | (allOnes() >> (r >> 58)))
            : (r & 3) == 1                   ? (random() << (r >> 58))
                                             : random();
        p.push_back(withBits(exponent(random), m, (r >> 2) & 1));
    }
    return p;
}

TEST(ReciprocalQuotient, EqualsTrueDivisionInsideTheGuardedRange)
{
    for (const Path& path : paths) {
        if (!kalvor::solverPathAvailable(path.path)) {
            std::printf("%s not supported here, skipped\n", path.name);
            continue;
        }
        std::mt19937_64 random(2026);
        const std::vector<double> d = divisors(random);
        std::size_t total = 0;
        for (double divisor : d) {
            // Every operand pair must be one the kernel would send here.
            ASSERT_TRUE(stepFor(divisor).fast) << divisor;
            const std::vector<double> p = dividends(random, 200'000);
            std::string first;
            EXPECT_EQ(0u, mismatches(path, divisor, p, first)) << path.name << ": first mismatch " << first;
            total += p.size();
        }
        EXPECT_GT(total, 20'000'000u) << "too few operands to mean much";
    }
}

// Dividends a few units in the last place around d * 2^k: quotients just
// below and above powers of two, where the spacing of doubles changes.
std::vector<double> nearPowersOfTwoTimes(double d)
{
    std::vector<double> p;
    for (int k : {-299, -64, -1, 0, 1, 53, 299}) {
        double x = std::ldexp(d, k);
        for (int i = 0; i < 12; ++i)
            x = std::nextafter(x, 0.0);
        for (int i = 0; i < 25; ++i, x = std::nextafter(x, 2 * x)) {
            p.push_back(x);
            p.push_back(-x);
        }
    }
    return p;
}

TEST(ReciprocalQuotient, EqualsTrueDivisionAcrossPowersOfTwo)
{
    for (const Path& path : paths) {
        if (!kalvor::solverPathAvailable(path.path))
            continue;
        std::mt19937_64 random(5);
        std::uniform_int_distribution<int> exponent(-300, 299);
        std::vector<double> d = divisors(random);
        for (int t = 0; t < 20000; ++t)
            d.push_back(withBits(exponent(random), random(), random() & 1));
        for (double divisor : d) {
            std::string first;
            ASSERT_EQ(0u, mismatches(path, divisor, nearPowersOfTwoTimes(divisor), first))
                << path.name << ": first mismatch " << first;
        }
    }
}

TEST(ReciprocalQuotient, EqualsTrueDivisionForRandomDivisors)
{
    for (const Path& path : paths) {
        if (!kalvor::solverPathAvailable(path.path))
            continue;
        std::mt19937_64 random(77);
        std::uniform_int_distribution<int> exponent(-300, 299);
        std::size_t total = 0;
        for (int t = 0; t < 2000; ++t) {
            const double divisor = withBits(exponent(random), random(), random() & 1);
            const std::vector<double> p = dividends(random, 5'000);
            std::string first;
            ASSERT_EQ(0u, mismatches(path, divisor, p, first)) << path.name << ": first mismatch " << first;
            total += p.size();
        }
        EXPECT_GE(total, 10'000'000u);
    }
}

// The three lines of the reciprocal quotient, carried out in a binary
// format of `bits` significant bits (every exact intermediate fits a double
// for bits <= 16, and each step is rounded once to `bits`), against the
// correctly rounded quotient, for every pair of significands.
struct ReducedPrecision {
    int bits;

    double round(double x) const
    {
        if (x == 0)
            return x;
        int exponent = 0;
        std::frexp(x, &exponent);
        const double scale = std::ldexp(1.0, bits - exponent);
        return std::nearbyint(x * scale) / scale;  // ties to even
    }
};

struct ReducedCount {
    long pairs = 0, wrongQuotients = 0, q0OffByAUnitOrMore = 0, q0Wrong = 0;
};

ReducedCount checkAllPairs(int bits)
{
    const ReducedPrecision f{bits};
    const long count = 1L << (bits - 1);
    ReducedCount c;
    for (long ia = 0; ia < count; ++ia) {
        const double a = 1.0 + double(ia) / double(count);
        for (long ib = 0; ib < count; ++ib) {
            const double b = 1.0 + double(ib) / double(count);
            const double rh = f.round(1.0 / b);
            const double q0 = f.round(a * rh);
            const double e = f.round(std::fma(-q0, b, a));
            const double q = f.round(std::fma(e, rh, q0));
            const double exact = f.round(a / b);
            ++c.pairs;
            c.wrongQuotients += q != exact;
            c.q0Wrong += q0 != exact;
            const double unit = std::ldexp(1.0, std::ilogb(exact) - (bits - 1));
            c.q0OffByAUnitOrMore += std::fabs(q0 - a / b) >= unit;
        }
    }
    return c;
}

TEST(ReciprocalQuotient, CorrectForEveryOperandPairInReducedPrecision)
{
    for (int bits = 6; bits <= 12; ++bits) {
        const ReducedCount c = checkAllPairs(bits);
        EXPECT_EQ(c.pairs, 1L << (2 * (bits - 1)));
        EXPECT_EQ(0, c.wrongQuotients) << bits << " bits";
        // The hard cases are there: the first product alone is often wrong
        // and sometimes a whole unit or more away, yet the correction fixes
        // every one of them.
        EXPECT_GT(c.q0Wrong, 0) << bits << " bits";
        EXPECT_GT(c.q0OffByAUnitOrMore, 0) << bits << " bits";
    }
}

// The guard itself: which divisors and which rows may use the reciprocal.
struct GuardCase {
    const char* name;
    double d;
    double lo, hi;  // smallest non-zero and largest |pivot-row value|
    double m;       // the row's multiplier
    bool fast;
};

const GuardCase guardCases[] = {
    {"ordinary", 3, 0.5, 7, 2, true},
    {"zero multiplier needs no guard", 0x1p-1000, 1e-300, 1e300, 0, true},
    {"divisor at the lower end", 0x1p-300, 1, 1, 1, true},
    {"divisor below the lower end", 0x1.fffffffffffffp-301, 1, 1, 1, false},
    {"divisor at the upper end", -0x1p300, 1, 1, 1, true},
    {"divisor above the upper end", 0x1.0000000000001p300, 1, 1, 1, false},
    {"subnormal divisor", 0x1p-1060, 1, 1, 1, false},
    {"smallest product at the lower end", 1, 0x1p-300, 1, 0x1p-300, true},
    {"smallest product below the lower end", 1, 0x1p-300, 1, -0x1.fffffffffffffp-301, false},
    {"largest product at the upper end", 1, 1, 0x1p300, 0x1p300, true},
    {"largest product above the upper end", 1, 1, 0x1p300, 0x1.0000000000001p300, false},
    {"only zeros in the pivot row", 1, INFINITY, 0, 1e300, true},
};

TEST(ReciprocalQuotient, GuardDecidesByTheRange)
{
    for (const GuardCase& c : guardCases) {
        StepDivisor s = stepFor(c.d);
        s.lo = c.lo;
        s.hi = c.hi;
        EXPECT_EQ(c.fast, kalvor::rowMayUseReciprocal(s, c.m)) << c.name;
    }
}

TEST(ReciprocalQuotient, StepDivisorBoundsThePivotRow)
{
    const double row[] = {5, 0, -1e-3, 8e4, -0.0, 2};
    const StepDivisor s = kalvor::makeStepDivisor(4, row, 1, 5);  // columns 1..4
    EXPECT_EQ(1e-3, s.lo);
    EXPECT_EQ(8e4, s.hi);
    EXPECT_TRUE(s.fast);
    EXPECT_EQ(0.25, s.rh);
    EXPECT_EQ(1.0 / 3, stepFor(3).rh);
    EXPECT_FALSE(stepFor(0x1p-400).fast);
}

}  // namespace
