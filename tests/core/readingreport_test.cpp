// What the reading of a cell drops: every rule of the split, blanks, long
// cells and cells that do not read.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/readingreport.h"

namespace kalvor {
namespace {

struct Case {
    std::string cell;
    bool drops = false;                  // dropsText: text outside the pieces
    std::optional<std::string> dropped;  // empty: not reported
    double re = 0;
    double im = 0;
};

TEST(DroppedText, ListsTheTypedTextTheReadingLeavesOut)
{
    const Case cases[] = {
        // Between the first and the last sign, the first sign included.
        {"2+1E-3j", true, "+1E", 2, -3},
        {"3-4-5i", true, "-4", 3, -5},
        {"1+2+3i", true, "+2", 1, 3},
        {"3 - 4 - 5i", true, "-4", 3, -5},
        {"2+\u20ac-3i", true, "+\u20ac", 2, -3},
        // After the unit of a 1 or -1 imaginary part; the first sign when
        // the last one gives the sign.
        {"3+i4", true, "4", 3, 1},
        {"3-i+5", true, "- 5", 3, 1},
        // A further unit only marks where the real part begins.
        {"4i5i+3", true, "5i", 3, 4},
        {"ii3", true, "i", 3, 1},
        {"+i7i2", true, "7i", 2, 1},
        // The final character is taken to be the unit, whatever it is.
        {"3+4i-5x", true, "+4i x", 3, -5},
        // Beyond the 101 characters of a real number, and beyond the 100
        // characters searched from the end.
        {std::string(150, '7'), true, std::string(49, '7'), 7.7777777777777777777777e100, 0},
        {"i" + std::string(150, '3'), true, std::string(50, '3'), 3.3333333333333333333333e99, 1},
        {"3-i" + std::string(120, '5'), true, std::string(120, '5'), 3, -1},
        {"3+4i" + std::string(120, '5'), true, "+4i" + std::string(19, '5') + " 5", 3, 5.5555555555555555555555e99},
        // Nothing but blanks left out, or nothing at all.
        {"3+4i", false, std::nullopt},
        {"3 + 4i", false, std::nullopt},
        {"4 i", false, std::nullopt},
        {"\t3 -i", false, std::nullopt},
        {"", false, std::nullopt},
        {"-j", false, std::nullopt},
        {"+i3", false, std::nullopt},
        {"-i+3", false, std::nullopt},
        {"4i-3", false, std::nullopt},
        {"-3-i", false, std::nullopt},
        {"3+i", false, std::nullopt},
        {std::string(101, '7'), false, std::nullopt},
        // A part that does not read: a data error, not dropped text.
        {"1e-3+4i", true, std::nullopt},
        {"3+4i+2", true, std::nullopt},
        {"3+4i ", false, std::nullopt},
        {"i+3i", true, std::nullopt},
        {std::string(100, '1') + "i", false, std::nullopt},
    };
    for (const Case& c : cases) {
        bool drops = !c.drops;
        const CellParts parts = splitCell(c.cell, drops);
        EXPECT_EQ(drops, c.drops) << c.cell;
        const CellParts defined = partcell(c.cell);
        EXPECT_TRUE(parts.re == defined.re && parts.im == defined.im) << c.cell;
        const std::optional<DroppedText> got = droppedText(c.cell);
        ASSERT_EQ(got.has_value(), c.dropped.has_value()) << c.cell;
        if (!got)
            continue;
        EXPECT_EQ(got->dropped, *c.dropped) << c.cell;
        EXPECT_EQ(got->re, c.re) << c.cell;
        EXPECT_EQ(got->im, c.im) << c.cell;
    }
}

}  // namespace
}  // namespace kalvor
