#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "core/core.h"

namespace kalvor {

void PrintTo(const PartValue& p, std::ostream* os)
{
    if (p.isText())
        *os << "text \"" << p.text() << "\"";
    else
        *os << p.integer();
}

namespace {

PartValue T(std::string s)
{
    return PartValue::fromText(std::move(s));
}

PartValue I(int v)
{
    return PartValue::fromInteger(v);
}

std::string times(int n, const std::string& piece)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += piece;
    return out;
}

struct Case {
    std::string name;
    std::string cell;
    PartValue re;
    PartValue im;
};

std::ostream& operator<<(std::ostream& os, const Case& c)
{
    return os << c.name;
}

class PartcellTest : public ::testing::TestWithParam<Case> {};

TEST_P(PartcellTest, SplitsIntoRealAndImaginary)
{
    const Case& c = GetParam();
    const CellParts parts = partcell(c.cell);
    EXPECT_EQ(parts.re, c.re) << "cell \"" << c.cell << "\"";
    EXPECT_EQ(parts.im, c.im) << "cell \"" << c.cell << "\"";
}

// The worked results of the parser, one row per cell text.
INSTANTIATE_TEST_SUITE_P(
    WorkedTable, PartcellTest,
    ::testing::Values(
        Case{"empty", "", T("0"), I(0)}, Case{"lone_i", "i", I(0), I(1)}, Case{"plus_i", "+i", I(0), I(1)},
        Case{"lone_j", "j", I(0), I(1)}, Case{"plus_j", "+j", I(0), I(1)}, Case{"minus_i", "-i", I(0), I(-1)},
        Case{"minus_j", "-j", I(0), I(-1)}, Case{"real", "5", T("5"), I(0)},
        Case{"negative_real", "-2.5", T("-2.5"), I(0)}, Case{"exponent", "1e-3", T("1e-3"), I(0)},
        Case{"upper_I", "I", T("I"), I(0)}, Case{"two_reals", "3+4", T("3+4"), I(0)},
        Case{"unit_first", "i3", T("3"), T("1")}, Case{"unit_first_plus", "i+3", T("+3"), T("1")},
        Case{"j_first_minus", "j-2", T("-2"), T("1")}, Case{"plus_unit_real", "+i3", T("3"), T("+1")},
        Case{"minus_unit_real", "-i+3", T("+3"), T("-1")}, Case{"imaginary", "4i", I(0), T("4")},
        Case{"imaginary_two_digits", "25i", I(0), T("25")}, Case{"negative_imaginary", "-25i", I(0), T("-25")},
        Case{"imaginary_j", "2.5j", I(0), T("2.5")}, Case{"zero_imaginary", "0i", I(0), T("0")},
        Case{"imaginary_then_real", "4i+3", T("+3"), T("4")},
        Case{"imaginary_then_minus_real", "4i-3", T("-3"), T("4")}, Case{"complex", "3+4i", T("3"), T("+4")},
        Case{"complex_minus", "3-4i", T("3"), T("-4")}, Case{"complex_leading_minus", "-3+4i", T("-3"), T("+4")},
        Case{"complex_j", "-3-4j", T("-3"), T("-4")}, Case{"zero_real", "0+4i", T("0"), T("+4")},
        Case{"plus_unit", "3+i", T("3"), I(1)}, Case{"minus_unit", "-3-i", T("-3"), I(-1)},
        Case{"two_signs", "3-4-5i", T("3"), T("-5")}, Case{"exponent_sign_splits", "1e-3+4i", T("1e"), T("+4")},
        Case{"unit_then_digit", "3+i4", T("3"), I(1)}));

// Texts outside the forms, blanks and the rule that the last unit starts the
// real part.
INSTANTIATE_TEST_SUITE_P(
    EdgeCases, PartcellTest,
    ::testing::Values(
        Case{"blanks_stay", "3 + 4i", T("3 "), T("+ 4")}, Case{"blank_before_unit", "4 i", I(0), T("4 ")},
        Case{"blank_after_unit", "3+4i ", T("3"), T("+4i")}, Case{"blank_defeats_shortcut", " i", I(0), T(" ")},
        Case{"blank_after_lone_unit", "i ", T(" "), T("1")}, Case{"last_unit_starts_real", "i5", T("5"), T("1")},
        Case{"double_unit", "ii", T(""), T("1")}, Case{"trailing_real", "3+4i+2", T("3"), T("+")},
        Case{"plus_unit_unit", "+ii", T(""), T("+1")}, Case{"letters", "abc", T("abc"), I(0)},
        Case{"upper_unit", "3+4I", T("3+4I"), I(0)}, Case{"middle_dropped", "1+2+3i", T("1"), T("+3")},
        Case{"minus_unit_with_later_plus", "3-i+5", T("3"), I(1)},
        Case{"unit_after_real_with_units", "2i3i4", T("4"), T("2")},
        Case{"unit_at_window_end", times(99, "1") + "i", I(0), T(times(99, "1"))},
        Case{"unit_past_window", times(100, "1") + "i", T(times(100, "1") + "i"), I(0)},
        Case{"no_unit_long", times(150, "7"), T(times(101, "7")), I(0)},
        Case{"unit_at_100_with_tail", times(99, "1") + "i" + times(50, "2"), T(times(50, "2")), T(times(99, "1"))},
        Case{"real_after_unit_capped", "i" + times(150, "3"), T(times(100, "3")), T("1")},
        Case{"unit_99_from_end_found", "i" + times(98, "3") + "i" + times(99, "4"), T(times(99, "4")), T("1")},
        Case{"imaginary_capped", "3+4i" + times(120, "5"), T("3"), T(times(100, "5"))},
        Case{"sign_100_from_end", "3+" + times(5, "4") + "i" + "+" + times(99, "6"), T("3"), T("+" + times(98, "6"))},
        Case{"unit_after_sign_no_last_sign", "3-i" + times(120, "5"), T("3"), I(-1)},
        Case{"real_101_chars_exactly", "i" + times(100, "3"), T(times(100, "3")), T("1")},
        Case{"imaginary_first_long_real", "4i" + times(150, "3"), T(times(100, "3")), T("4")},
        Case{"plus_unit_long_real", "+i" + times(150, "3"), T(times(100, "3")), T("+1")}));

// Positions and the window count characters, never bytes, and a piece never
// ends inside a character; broken bytes count one character each.
INSTANTIATE_TEST_SUITE_P(
    Characters, PartcellTest,
    ::testing::Values(
        Case{"two_byte_unit_at_100", times(99, "\u00e9") + "i", I(0), T(times(99, "\u00e9"))},
        Case{"three_byte_unit_at_101", times(100, "\u20ac") + "i", T(times(100, "\u20ac") + "i"), I(0)},
        Case{"four_byte_no_unit", times(150, "\U0001F600"), T(times(101, "\U0001F600")), I(0)},
        Case{"three_byte_tail", "i" + times(150, "\u20ac"), T(times(100, "\u20ac")), T("1")},
        Case{"multibyte_imaginary", "3+" + times(3, "\u00b2") + "i", T("3"), T("+" + times(3, "\u00b2"))},
        Case{"multibyte_final_dropped_whole", "3+4i\u00e9", T("3"), T("+4i")},
        Case{"minus_look_alike", "3\u22124i", I(0), T("3\u22124")},
        Case{"invalid_bytes_count_one_each", times(150, "\xff"), T(times(101, "\xff")), I(0)},
        Case{"invalid_unit_at_100", times(99, "\x80") + "i", I(0), T(times(99, "\x80"))},
        Case{"truncated_sequence", "\xe2\x82i", I(0), T("\xe2\x82")},
        Case{"truncated_then_whole", "i" + times(99, "\u20ac") + "\xe2\x82", T(times(98, "\u20ac") + "\xe2\x82"),
             T("1")},
        Case{"truncated_tail_counts_bytes", "i" + times(150, "\xe2\x82"), T(times(50, "\xe2\x82")), T("1")},
        Case{"overlong_is_bytes", "i" + times(60, "\xc0\xaf"), T(times(50, "\xc0\xaf")), T("1")},
        Case{"surrogate_is_bytes", "3+" + times(40, "\xed\xa0\x80") + "i", T("3+" + times(33, "\xed\xa0\x80")), I(0)}));

TEST(PartcellLongText, MillionCharacterCellYieldsWindowedPieces)
{
    struct Long {
        const char* name;
        std::string cell;
        std::size_t reBytes;
        std::size_t imBytes;
    };
    const std::string million(1'000'000, '8');
    const Long cases[] = {
        {"no unit", million, 101, 0},
        {"unit first", "i" + million, 100, 1},
        {"complex", "3+4i" + million, 1, 100},
        {"multibyte", times(1'000'000, "\u20ac"), 303, 0},
    };
    for (const Long& c : cases) {
        const CellParts parts = partcell(c.cell);
        EXPECT_EQ(parts.re.text().size(), c.reBytes) << c.name;
        EXPECT_EQ(parts.im.text().size(), c.imBytes) << c.name;
    }
}

}  // namespace
}  // namespace kalvor
