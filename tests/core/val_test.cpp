#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

#include "core/core.h"

namespace kalvor {
namespace {

struct Case {
    std::string text;
    double expected;
};

std::ostream& operator<<(std::ostream& os, const Case& c)
{
    return os << "\"" << c.text << "\"";
}

class ValTest : public ::testing::TestWithParam<Case> {};

TEST_P(ValTest, ReadsTheLeadingNumber)
{
    const Case& c = GetParam();
    const double got = val(c.text);
    EXPECT_EQ(got, c.expected) << "\"" << c.text << "\"";
    EXPECT_EQ(std::signbit(got), std::signbit(c.expected)) << "sign of \"" << c.text << "\"";
}

const double kInf = std::numeric_limits<double>::infinity();

// What the unknown-count dialog and the previous-cell boxes meet.
INSTANTIATE_TEST_SUITE_P(CountTexts, ValTest,
                         ::testing::Values(Case{"  7", 7.0}, Case{"0.5", 0.5}, Case{"1e2", 100.0}, Case{"&H10", 16.0},
                                           Case{"3abc", 3.0}, Case{"abc3", 0.0}, Case{"-3", -3.0}, Case{"Text7", 0.0},
                                           Case{"", 0.0}, Case{"12", 12.0}, Case{"500", 500.0}, Case{"0", 0.0}));

// Spaces, tabs and line feeds are skipped wherever they stand; other
// characters end the number.
INSTANTIATE_TEST_SUITE_P(Skipping, ValTest,
                         ::testing::Values(Case{"1 2", 12.0}, Case{"- 3", -3.0}, Case{"\t\n 4", 4.0},
                                           Case{"3\n4", 34.0}, Case{"1 . 5", 1.5}, Case{"1 e 3", 1000.0},
                                           Case{"& h 1 f", 31.0}, Case{"2\r3", 2.0}, Case{"2,5", 2.0},
                                           Case{"2.5.3", 2.5}, Case{"1_000", 1.0}, Case{"+-3", 0.0}, Case{"--3", 0.0},
                                           Case{"\u22123", 0.0}, Case{"\uff13", 0.0}));

INSTANTIATE_TEST_SUITE_P(Decimal, ValTest,
                         ::testing::Values(Case{"+4", 4.0}, Case{".5", 0.5}, Case{"-.5", -0.5}, Case{"5.", 5.0},
                                           Case{"-0", -0.0}, Case{"-", 0.0}, Case{"+", 0.0}, Case{".", 0.0},
                                           Case{"-abc", 0.0}, Case{"1.5000E+00", 1.5}, Case{"-1.2346E+05", -123460.0},
                                           Case{"6.6667E-01", 0.66667}, Case{"1D2", 100.0}, Case{"1d-2", 0.01},
                                           Case{"2E+3", 2000.0}, Case{"1e", 1.0}, Case{"1e+", 1.0}, Case{"1e-", 1.0},
                                           Case{"1ex", 1.0}, Case{"1e5x", 1e5}, Case{"e5", 0.0}, Case{"0.1", 0.1},
                                           Case{"0." + std::string(1'000'000, '3') + "99", 1.0 / 3.0}));

// Beyond the double range gives an infinity of the number's sign; below it
// the nearest double, down to a zero of that sign.
INSTANTIATE_TEST_SUITE_P(
    Range, ValTest,
    ::testing::Values(Case{"1e400", kInf}, Case{"-1e400", -kInf}, Case{"1" + std::string(400, '0'), kInf},
                      Case{"1.7976931348623157E+308", std::numeric_limits<double>::max()},
                      Case{"1.7976931348623159E+308", kInf}, Case{"1e-400", 0.0}, Case{"-1e-400", -0.0},
                      Case{"3e-324", std::numeric_limits<double>::denorm_min()},
                      Case{"1e99999999999999999999999", kInf}, Case{"1e-99999999999999999999999", 0.0}));

// &H and &O give non-negative whole numbers, rounded to the nearest double
// (ties to even) when they have more than 53 significant bits.
INSTANTIATE_TEST_SUITE_P(
    Prefixed, ValTest,
    ::testing::Values(Case{"&h1F", 31.0}, Case{"&HfF", 255.0}, Case{"&O17", 15.0}, Case{"&o777", 511.0},
                      Case{"&O8", 0.0}, Case{"&O78", 7.0}, Case{"&HG", 0.0}, Case{"&H", 0.0}, Case{"&", 0.0},
                      Case{"&X1", 0.0}, Case{"-&H10", 0.0}, Case{"&H10.5", 16.0}, Case{"&HFFFFFFFF", 4294967295.0},
                      Case{"&HFFFFFFFFFFFFFFFF", 18446744073709551616.0}, Case{"&H20000000000001", 9007199254740992.0},
                      Case{"&H20000000000003", 9007199254740996.0}, Case{"&H200000000000011", 144115188075855904.0},
                      Case{"&H0000000000000000000000000000000000000000000001", 1.0},
                      Case{"&O1000000000000000000001", 9223372036854775808.0},
                      Case{"&H1" + std::string(255, '0'), std::ldexp(1.0, 1020)},
                      Case{"&H1" + std::string(256, '0'), kInf}, Case{"&H" + std::string(300, 'F'), kInf}));

TEST(ValLocale, FullStopUnderADecimalCommaLocale)
{
    const std::string before = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed (scripts/install-deps.sh generates it)";
    const double point = val("2.5");
    const double comma = val("2,5");
    const double exponent = val("1.5D1");
    std::setlocale(LC_ALL, before.c_str());
    EXPECT_EQ(point, 2.5);
    EXPECT_EQ(comma, 2.0);
    EXPECT_EQ(exponent, 15.0);
}

}  // namespace
}  // namespace kalvor
