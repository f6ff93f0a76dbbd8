#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "core/core.h"

namespace kalvor {
namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows fieldsOf(const TableText& t)
{
    Rows rows;
    for (const TableRow& r : t.rows)
        rows.push_back(r.fields);
    return rows;
}

struct ReadCase {
    const char* name;
    std::string text;
    char separator;
    Rows expected;
};

TEST(TableText, SplitsRowsAndFieldsAsSpreadsheetsWriteThem)
{
    const std::vector<ReadCase> cases = {
        {"empty text", "", '\t', {}},
        {"one field", "3+4i", '\t', {{"3+4i"}}},
        {"one trailing break adds no row", "a\tb\n", '\t', {{"a", "b"}}},
        {"a second trailing break is an empty row", "a\tb\n\n", '\t', {{"a", "b"}, {""}}},
        {"CR LF rows", "1\t2\r\n3\t4\r\n", '\t', {{"1", "2"}, {"3", "4"}}},
        {"lone CR rows", "1\t2\r3\t4", '\t', {{"1", "2"}, {"3", "4"}}},
        {"empty fields kept", "\t\t\n", '\t', {{"", "", ""}}},
        {"no trimming", " 1 \t 2i", '\t', {{" 1 ", " 2i"}}},
        {"quoted tab, break and quote", "\"a\tb\"\t\"c\nd\"\t\"e\"\"f\"\n", '\t', {{"a\tb", "c\nd", "e\"f"}}},
        {"quote inside a plain field stays", "3\"4\t5", '\t', {{"3\"4", "5"}}},
        {"text after a closing quote is kept", "\"ab\"c\td", '\t', {{"abc", "d"}}},
        {"commas", "1,2i,\"3,4\"\n", ',', {{"1", "2i", "3,4"}}},
        {"tabs are plain text in comma files", "1\t2,3", ',', {{"1\t2", "3"}}},
        {"semicolons, quoted ones kept", "1,5;\"2;i\";\"a\"\"b\"\n", ';', {{"1,5", "2;i", "a\"b"}}},
    };
    for (const ReadCase& c : cases) {
        const TableText t = readTableText(c.text, c.separator);
        EXPECT_EQ(fieldsOf(t), c.expected) << c.name;
        EXPECT_FALSE(t.unterminatedQuote) << c.name;
    }
}

TEST(TableText, CountsLinesOfRowsThatHoldBreaksInQuotes)
{
    const TableText t = readTableText("a\t\"x\r\ny\nz\"\r\nb\n\"c\"", '\t');
    ASSERT_EQ(t.rows.size(), 3u);
    EXPECT_EQ(t.rows[0].line, 1u);
    EXPECT_EQ(t.rows[1].line, 4u);
    EXPECT_EQ(t.rows[2].line, 5u);
}

TEST(TableText, KeepsAnUnterminatedQuoteAsItStandsAndSaysWhere)
{
    const TableText t = readTableText("1\t2\n3\t\"4\t5\n6\n", '\t');
    EXPECT_TRUE(t.unterminatedQuote);
    EXPECT_EQ(t.unterminatedLine, 2u);
    EXPECT_EQ(t.unterminatedField, 2u);
    EXPECT_EQ(fieldsOf(t), (Rows{{"1", "2"}, {"3", "\"4", "5"}, {"6"}}));
}

TEST(TableText, WritingThenReadingGivesTheSameRows)
{
    const Rows rows = {{"3+4i", "", "a\tb", "q\"uote"}, {"\"lead", "line\nbreak", "cr\r", "x,y"}};
    for (const char sep : {'\t', ',', ';'}) {
        const std::string text = writeTableText(rows, sep);
        const TableText back = readTableText(text, sep);
        EXPECT_EQ(fieldsOf(back), rows) << "separator " << int(sep);
        EXPECT_FALSE(back.unterminatedQuote);
    }
    EXPECT_EQ(writeTableText({{"1", "2i"}, {"x,y", ""}}, '\t'), "1\t2i\nx,y\t\n");
    EXPECT_EQ(writeTableText({{"x,y"}}, ','), "\"x,y\"\n");
}

TEST(TableText, FileSeparatorIsATabWhenThereIsOne)
{
    EXPECT_EQ(fileSeparator("1,2\t3"), '\t');
    EXPECT_EQ(fileSeparator("1,2,3"), ',');
}

// Tab anywhere first, then a semicolon outside quotes on the first row, then
// the fallback: a comma for files, a tab (no split within a line) for pastes.
TEST(TableText, SemicolonSeparatesWhenTheFirstRowHasOneOutsideQuotes)
{
    struct Case {
        const char* name;
        std::string text;
        char file;
        char paste;
    };
    const std::vector<Case> cases = {
        {"semicolons", "1;2,5;3\n", ';', ';'},
        {"a tab on a later line wins", "1;2\n3\t4\n", '\t', '\t'},
        {"quoted semicolon only", "\"1;2\",3\n", ',', '\t'},
        {"doubled quote, then a semicolon in the quotes", "\"a\"\";b\",c\n", ',', '\t'},
        {"semicolon after a closing quote", "\"a\";b\n", ';', ';'},
        {"quoted line break, semicolon on the row's second line", "\"x\ny\";1\n", ';', ';'},
        {"semicolon on the second line only", "1,2\n3;4\n", ',', '\t'},
        {"an unclosed quote is plain text", "\"1;2\n", ';', ';'},
        {"nothing", "", ',', '\t'},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fileSeparator(c.text), c.file) << c.name;
        EXPECT_EQ(pasteSeparator(c.text), c.paste) << c.name;
    }
}

TEST(ShortestText, ReadsBackToTheSameDoubleWithAFullStopAndCapitalE)
{
    const std::vector<std::pair<double, std::string>> known
        = {{0.1, "0.1"}, {-2.5e-7, "-2.5E-07"}, {1e300, "1E+300"}, {0.0, "0"}, {-0.0, "-0"}, {12345.5, "12345.5"}};
    for (const auto& [value, text] : known)
        EXPECT_EQ(shortestText(value), text);

    std::mt19937_64 random(7);
    for (int n = 0; n < 20000; ++n) {
        // Every bit pattern: subnormals and the extremes included.
        const double value = std::bit_cast<double>(random());
        if (!std::isfinite(value))
            continue;
        const std::string text = shortestText(value);
        ASSERT_EQ(text.find_first_of("e,"), std::string::npos) << text;
        const std::optional<double> back = readNumber(PartValue::fromText(text));
        ASSERT_TRUE(back.has_value()) << text;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(*back), std::bit_cast<std::uint64_t>(value)) << text;
    }
}

// The four part tables of an N x N system given as cell texts.
struct Parts {
    PartMatrix coefRe, coefIm;
    PartVector constRe, constIm;
};

Parts partsOf(const Rows& coefficients, const std::vector<std::string>& constants)
{
    Parts p;
    for (const auto& row : coefficients) {
        p.coefRe.emplace_back();
        p.coefIm.emplace_back();
        for (const std::string& cell : row) {
            const CellParts c = partcell(cell);
            p.coefRe.back().push_back(c.re);
            p.coefIm.back().push_back(c.im);
        }
    }
    for (const std::string& cell : constants) {
        const CellParts c = partcell(cell);
        p.constRe.push_back(c.re);
        p.constIm.push_back(c.im);
    }
    return p;
}

struct CellCase {
    const char* name;
    Rows coefficients;
    std::vector<std::string> constants;
    std::optional<CellPosition> expected;
};

TEST(FirstUnreadableCell, FollowsTheReadingOrderColumnsFirstThenConstants)
{
    using T = CellPosition::Table;
    const std::vector<CellCase> cases = {
        {"all numbers", {{"1", "2i"}, {"3+4i", "-j"}}, {"1", "2"}, std::nullopt},
        {"empty cells read as zero", {{"", "1"}, {"1", ""}}, {"", ""}, std::nullopt},
        {"bad real part", {{"1", "2"}, {"3", "abc"}}, {"1", "2"}, CellPosition{T::Coefficients, 2, 2}},
        {"bad imaginary part", {{"1", "xi"}, {"3", "4"}}, {"1", "2"}, CellPosition{T::Coefficients, 1, 2}},
        {"column before row", {{"1", "bad"}, {"bad", "4"}}, {"1", "2"}, CellPosition{T::Coefficients, 2, 1}},
        {"coefficients before constants", {{"1", "2"}, {"3", "x"}}, {"y", "2"}, CellPosition{T::Coefficients, 2, 2}},
        {"a constant", {{"1", "2"}, {"3", "4"}}, {"1", "2+zi"}, CellPosition{T::Constants, 2, 1}},
        {"beyond the double range is not a number", {{"1e999"}}, {"1"}, CellPosition{T::Coefficients, 1, 1, true}},
        {"both parts beyond the range",
         {{"1", "2"}, {"3", "-1e400-2E+309i"}},
         {"1", "2"},
         CellPosition{T::Coefficients, 2, 2, true}},
        {"one part beyond, one not a number",
         {{"1", "2"}, {"3", "1e400+xi"}},
         {"1", "2"},
         CellPosition{T::Coefficients, 2, 2, false}},
        {"a constant beyond", {{"1", "2"}, {"3", "4"}}, {"1", "1+1e999i"}, CellPosition{T::Constants, 2, 1, true}},
    };
    for (const CellCase& c : cases) {
        const Parts p = partsOf(c.coefficients, c.constants);
        const auto got = firstUnreadableCell(p.coefRe, p.coefIm, p.constRe, p.constIm);
        ASSERT_EQ(got.has_value(), c.expected.has_value()) << c.name;
        if (got) {
            EXPECT_EQ(got->table, c.expected->table) << c.name;
            EXPECT_EQ(got->row, c.expected->row) << c.name;
            EXPECT_EQ(got->column, c.expected->column) << c.name;
            EXPECT_EQ(got->beyondRange, c.expected->beyondRange) << c.name;
        }
    }
}

TEST(FirstUnreadableCell, FindsNothingWhenTheDataErrorIsAnOverflow)
{
    const Parts p = partsOf({{"1E200", "1E200"}, {"1E200", "1E200"}}, {"1", "1"});
    EXPECT_EQ(solve(p.coefRe, p.coefIm, p.constRe, p.constIm).outcome, SolveOutcome::DataError);
    EXPECT_FALSE(firstUnreadableCell(p.coefRe, p.coefIm, p.constRe, p.constIm).has_value());
}

}  // namespace
}  // namespace kalvor
