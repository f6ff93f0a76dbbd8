#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/core.h"

namespace kalvor {
namespace {

struct CountCase {
    std::string text;
    std::optional<int> count;
};

std::ostream& operator<<(std::ostream& os, const CountCase& c)
{
    return os << "\"" << c.text << "\"";
}

class UnknownCountTest : public ::testing::TestWithParam<CountCase> {};

TEST_P(UnknownCountTest, ConvertsTheWholeText)
{
    const CountCase& c = GetParam();
    EXPECT_EQ(unknownCount(c.text), c.count) << "\"" << c.text << "\"";
}

// Texts whose leading number is positive, so the dialog offers OK for all of
// them: the whole-text conversion decides which give a count.
INSTANTIATE_TEST_SUITE_P(
    Counts, UnknownCountTest,
    ::testing::Values(CountCase{"3", 3}, CountCase{"  4  ", 4}, CountCase{"\t7\t", 7}, CountCase{"+5", 5},
                      CountCase{"2.5", 2}, CountCase{"3.5", 4}, CountCase{"1.5", 2}, CountCase{"499.5", 500},
                      CountCase{"500.5", 500}, CountCase{"1e2", 100}, CountCase{"&H10", 16}, CountCase{"&h10", 16},
                      CountCase{" &H1f4 ", 500}, CountCase{"&O20", 16}, CountCase{"&o20", 16}, CountCase{"&H0010", 16},
                      CountCase{"1d1", 10}, CountCase{"1D1", 10}, CountCase{"2.5d0", 2}, CountCase{"5D+1", 50},
                      CountCase{"1000d-1", 100}, CountCase{"0.5", std::nullopt}, CountCase{"0.4", std::nullopt},
                      CountCase{"3abc", std::nullopt}, CountCase{"501", std::nullopt}, CountCase{"500.6", std::nullopt},
                      CountCase{"&H1F5", std::nullopt}, CountCase{"&HFFFF", std::nullopt},
                      CountCase{"&H" + std::string(300, 'F'), std::nullopt}, CountCase{"40000", std::nullopt},
                      CountCase{"1e400", std::nullopt}, CountCase{"0", std::nullopt}, CountCase{"-3", std::nullopt},
                      CountCase{"", std::nullopt}, CountCase{"&H", std::nullopt}, CountCase{"&O", std::nullopt},
                      CountCase{"&O8", std::nullopt}, CountCase{"&H1G", std::nullopt},
                      CountCase{"&H10abc!", std::nullopt}, CountCase{"& H10", std::nullopt},
                      CountCase{"-&H10", std::nullopt}, CountCase{"&H1.5", std::nullopt},
                      CountCase{"&X10", std::nullopt}, CountCase{"1d", std::nullopt}, CountCase{"d1", std::nullopt},
                      CountCase{"1dd1", std::nullopt}, CountCase{"1d1d1", std::nullopt}, CountCase{"4 4", std::nullopt},
                      CountCase{"4\n", std::nullopt}));

TEST(ReadWholeNumber, PrefixedFormsAreNonNegativeWholeNumbers)
{
    EXPECT_EQ(readWholeNumber("&HFFFF"), 65535.0);
    EXPECT_EQ(readWholeNumber("&o777"), 511.0);
    EXPECT_EQ(readWholeNumber(" 2.5D-1 "), 0.25);
    EXPECT_EQ(readWholeNumber("-4d0"), -4.0);
}

}  // namespace
}  // namespace kalvor
