#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <optional>
#include <random>
#include <string>

#include "core/core.h"

namespace kalvor {
namespace {

std::optional<double> readText(const std::string& s)
{
    return readNumber(PartValue::fromText(s));
}

struct Accept {
    std::string text;
    double expected;
};

class ReadNumberAccepts : public ::testing::TestWithParam<Accept> {};

TEST_P(ReadNumberAccepts, ReadsTheNearestDouble)
{
    const Accept& c = GetParam();
    const std::optional<double> got = readText(c.text);
    ASSERT_TRUE(got.has_value()) << "\"" << c.text << "\"";
    EXPECT_EQ(*got, c.expected) << "\"" << c.text << "\"";
    EXPECT_EQ(std::signbit(*got), std::signbit(c.expected)) << "sign of zero, \"" << c.text << "\"";
}

const double kMin = std::numeric_limits<double>::denorm_min();
const double kMax = std::numeric_limits<double>::max();

INSTANTIATE_TEST_SUITE_P(
    Forms, ReadNumberAccepts,
    ::testing::Values(Accept{"5", 5.0}, Accept{"-2.5", -2.5}, Accept{"1e-3", 1e-3}, Accept{"1", 1.0}, Accept{"+1", 1.0},
                      Accept{"-1", -1.0}, Accept{"0", 0.0}, Accept{"-0", -0.0}, Accept{"  2.5  ", 2.5},
                      Accept{"\t-3\t", -3.0}, Accept{"- 3", -3.0}, Accept{"+ \t4", 4.0}, Accept{"4 ", 4.0},
                      Accept{"3 ", 3.0}, Accept{"5.", 5.0}, Accept{".5", 0.5}, Accept{"-.25", -0.25},
                      Accept{"007", 7.0}, Accept{"1E5", 1e5}, Accept{"1e+5", 1e5}, Accept{"2.5e-3", 2.5e-3},
                      Accept{"0.1", 0.1}, Accept{"123456789012345678901234567890", 123456789012345678901234567890.0},
                      Accept{"1e0000000000000000000000000005", 1e5}, Accept{"0e99999999999999999999", 0.0}));

// The edges of the double range: too small reads as the nearest double, down
// to a zero of the right sign; the largest double still reads.
INSTANTIATE_TEST_SUITE_P(
    Range, ReadNumberAccepts,
    ::testing::Values(Accept{"1e-400", 0.0}, Accept{"-1e-400", -0.0}, Accept{"1e-99999999999999999999", 0.0},
                      Accept{"2.4e-324", 0.0}, Accept{"-2.4e-324", -0.0}, Accept{"2.5e-324", kMin},
                      Accept{"-3e-324", -kMin}, Accept{"4.9406564584124654e-324", kMin}, Accept{"3e-320", 3e-320},
                      Accept{"2.2250738585072011e-308", 2.2250738585072011e-308},
                      Accept{"1.7976931348623157e308", kMax}, Accept{"1.7976931348623158e308", kMax},
                      Accept{"-1.7976931348623157E+308", -kMax}));

// Long digit strings, rounded correctly however long they are.
INSTANTIATE_TEST_SUITE_P(
    LongDigits, ReadNumberAccepts,
    ::testing::Values(Accept{"0." + std::string(1'000'000, '3'), 1.0 / 3.0},
                      Accept{std::string(1'000'000, '0') + "1.5", 1.5},
                      Accept{"0." + std::string(1000, '0') + "1e1001", 1.0}, Accept{"1" + std::string(300, '0'), 1e300},
                      // Exactly halfway between 1 and the next double: ties go to even.
                      Accept{"1.00000000000000011102230246251565404236316680908203125", 1.0},
                      // Just above that halfway point, by a digit a million places on.
                      Accept{"1.00000000000000011102230246251565404236316680908203125" + std::string(1'000'000, '0')
                                 + "1",
                             1.0000000000000002},
                      // Just below the next halfway point, by the same far digit.
                      Accept{"1.00000000000000033306690738754696212708950042724609374" + std::string(1'000'000, '9'),
                             1.0000000000000002}));

class ReadNumberRejects : public ::testing::TestWithParam<std::string> {};

TEST_P(ReadNumberRejects, IsNotANumber)
{
    const std::optional<double> got = readText(GetParam());
    EXPECT_FALSE(got.has_value()) << "\"" << GetParam() << "\" read as " << got.value_or(0);
}

INSTANTIATE_TEST_SUITE_P(NotNumbers, ReadNumberRejects,
                         ::testing::Values("", " ", "\t", "+", "-", "+ ", ".", "-.", "e5", "1e", "1e+", "1E-", "1 e5",
                                           "1e 5", "1 2", "1.2.3", "..5", "+-3", "--3", "- -3", "3-", "3+", "+4i", "4i",
                                           "3+4", "3+4I", "abc", "1e", "inf", "-inf", "nan", "Infinity", "0x10", "&H10",
                                           "1,000", "2,5", "1_000", "1.5f", "1d5", "(3)", "$3", "\n3", "3\n", "3\r",
                                           "\u22123", "\uff13", "3\u00a0", "1e400", "-1e400", "1.7976931348623159e308",
                                           "1e99999999999999999999", std::string(400, '9'), std::string("3\0", 2)));

TEST(ReadNumberIntegerParts, AreTheirOwnValue)
{
    for (int v : {0, 1, -1}) {
        const std::optional<double> got = readNumber(PartValue::fromInteger(v));
        ASSERT_TRUE(got.has_value()) << v;
        EXPECT_EQ(*got, static_cast<double>(v)) << v;
    }
}

// The cell texts a user types, through the parser and the reading together.
TEST(ReadNumberOfCells, GivesTheComplexValueOrFails)
{
    struct Cell {
        const char* text;
        std::optional<double> re;
        std::optional<double> im;
    };
    const Cell cells[] = {
        {"3 + 4i", 3.0, 4.0},
        {"3 - 4i", 3.0, -4.0},
        {"4 i", 0.0, 4.0},
        {"-i+3", 3.0, -1.0},
        {"2.5j", 0.0, 2.5},
        {"", 0.0, 0.0},
        {"1e-3+4i", std::nullopt, 4.0},
        {"3+4i ", 3.0, std::nullopt},
        {"3+4i+2", 3.0, std::nullopt},
        {"ii", std::nullopt, 1.0},
        {"3+4I", std::nullopt, 0.0},
    };
    for (const Cell& c : cells) {
        const CellParts parts = partcell(c.text);
        EXPECT_EQ(readNumber(parts.re), c.re) << "real part of \"" << c.text << "\"";
        EXPECT_EQ(readNumber(parts.im), c.im) << "imaginary part of \"" << c.text << "\"";
    }
}

TEST(ReadNumberLocale, FullStopUnderADecimalCommaLocale)
{
    const std::string before = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed (scripts/install-deps.sh generates it)";
    const std::optional<double> point = readText("2.5");
    const std::optional<double> comma = readText("2,5");
    const std::optional<double> exponent = readText("-1.25e1");
    std::setlocale(LC_ALL, before.c_str());
    EXPECT_EQ(point, std::optional<double>(2.5));
    EXPECT_FALSE(comma.has_value());
    EXPECT_EQ(exponent, std::optional<double>(-12.5));
}

}  // namespace
}  // namespace kalvor

// Short texts take a shortcut that never builds a text for the conversion.
// Both routes must give the same double: the same digits padded past fifteen
// significant ones, or moved far out by the exponent, take the full route.
TEST(ReadNumberShortcut, AgreesWithTheFullConversion)
{
    std::mt19937_64 random(20261207);
    for (int n = 0; n < 200000; ++n) {
        const int length = 1 + static_cast<int>(random() % 15);
        std::string digits;
        for (int d = 0; d < length; ++d)
            digits.push_back(static_cast<char>('0' + random() % 10));
        const int point = static_cast<int>(random() % (length + 1));
        const int exponent = static_cast<int>(random() % 61) - 30;
        const std::string mantissa = digits.substr(0, point) + "." + digits.substr(point);
        if (mantissa == ".")
            continue;
        const std::string shortText = mantissa + "e" + std::to_string(exponent);
        // Twenty extra zeros change nothing in the value but force the full route.
        const std::string longText = mantissa + std::string(20, '0') + "e" + std::to_string(exponent);
        const auto viaShortcut = kalvor::readNumber(kalvor::PartValue::fromText(shortText));
        const auto viaFull = kalvor::readNumber(kalvor::PartValue::fromText(longText));
        ASSERT_TRUE(viaShortcut && viaFull) << shortText;
        ASSERT_EQ(*viaShortcut, *viaFull) << shortText;
        ASSERT_EQ(std::signbit(*viaShortcut), std::signbit(*viaFull)) << shortText;
    }
}
