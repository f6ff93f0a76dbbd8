// System files: what readSystemFile accepts, the rows and lines it gives, and
// each problem with its place and its one line of English.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/systemfile.h"
#include "core/utf8.h"

namespace kalvor {
namespace {

using Rows = std::vector<std::vector<std::string>>;

struct Accepted {
    const char* name;
    std::string bytes;
    Rows rows;
    std::vector<std::size_t> lines;
};

TEST(ReadSystemFile, AcceptedFilesGiveTheirCellTexts)
{
    const Accepted cases[] = {
        {"tabs", "2\t4+2i\n", {{"2", "4+2i"}}, {1}},
        {"no line end", "2\t4+2i", {{"2", "4+2i"}}, {1}},
        {"commas", "1+i,1,2+3i\n1,-1+i,i\n", {{"1+i", "1", "2+3i"}, {"1", "-1+i", "i"}}, {1, 2}},
        {"empty fields", ",,\n,,\n", {{"", "", ""}, {"", "", ""}}, {1, 2}},
        {"CR LF", "1,2\r\n", {{"1", "2"}}, {1}},
        {"byte-order mark",
         "\xEF\xBB\xBF"
         "1\t2\n",
         {{"1", "2"}},
         {1}},
        {"blank lines at the end", "1,2\n\n\r\n\n", {{"1", "2"}}, {1}},
        {"blanks kept", " 1 , 2 \n", {{" 1 ", " 2 "}}, {1}},
        {"a tab wins over commas", "1,5\t2\n", {{"1,5", "2"}}, {1}},
        {"semicolons, quoted", "\"1;5\";\"2,5\"\r\n", {{"1;5", "2,5"}}, {1}},
        {"a quoted semicolon leaves commas", "\"a;b\",2\n", {{"a;b", "2"}}, {1}},
        {"quoted tab and quote", "\"a\tb\"\t\"say \"\"2\"\"\"\n", {{"a\tb", "say \"2\""}}, {1}},
        {"quoted line break", "1,\"x\ny\",1\n0,1,3\n", {{"1", "x\ny", "1"}, {"0", "1", "3"}}, {1, 3}},
        {"UTF-8 text", "\xC3\xA9,\xF0\x9F\x98\x80\n", {{"\xC3\xA9", "\xF0\x9F\x98\x80"}}, {1}},
    };
    for (const Accepted& c : cases) {
        const SystemFile file = readSystemFile(c.bytes);
        EXPECT_EQ(file.problem, SystemFileProblem::None) << c.name << ": " << describeProblem(file);
        EXPECT_EQ(file.rows, c.rows) << c.name;
        EXPECT_EQ(file.lines, c.lines) << c.name;
        EXPECT_EQ(file.unknowns(), c.rows.size()) << c.name;
        EXPECT_EQ(describeProblem(file), "") << c.name;
    }
}

// Parameter lines before the equations and comment lines anywhere; lines
// that only look like them stay what they were.
TEST(ReadSystemFile, ParametersAndComments)
{
    struct Case {
        const char* name;
        std::string bytes;
        Rows rows;
        std::vector<std::size_t> lines;
        std::vector<std::string> parameters;  // "name=formula"
        std::vector<std::size_t> parameterLines;
    };
    const Case cases[] = {
        {"parameters", "f = 50\nw=2*pi*f\n=w,1\n", {{"=w", "1"}}, {3}, {"f=50", "w=2*pi*f"}, {1, 2}},
        {"comments anywhere", "# AC\nR = 1k\n\n# mesh 1\n=R;1\n#\n", {{"=R", "1"}}, {5}, {"R=1k"}, {2}},
        {"comment between equations", "1,0,1\n# x\n0,1,2\n", {{"1", "0", "1"}, {"0", "1", "2"}}, {1, 3}, {}, {}},
        {"a tab in a comment is no separator", "#\t\n1,2\n", {{"1", "2"}}, {2}, {}, {}},
        {"a one-unknown equation with =", "a=1,2\n", {{"a=1", "2"}}, {1}, {}, {}},
        {"after the first equation, an equation", "1,2\n", {{"1", "2"}}, {1}, {}, {}},
        {"a quoted # is a cell", "\"#1\",2\n", {{"#1", "2"}}, {1}, {}, {}},
    };
    for (const Case& c : cases) {
        const SystemFile file = readSystemFile(c.bytes);
        EXPECT_EQ(file.problem, SystemFileProblem::None) << c.name << ": " << describeProblem(file);
        EXPECT_EQ(file.rows, c.rows) << c.name;
        EXPECT_EQ(file.lines, c.lines) << c.name;
        std::vector<std::string> parameters;
        for (const Parameter& p : file.parameters)
            parameters.push_back(p.name + "=" + p.formula);
        EXPECT_EQ(parameters, c.parameters) << c.name;
        EXPECT_EQ(file.parameterLines, c.parameterLines) << c.name;
    }
    const SystemFile late = readSystemFile("1,2\nf = 1\n");
    EXPECT_EQ(describeProblem(late), "line 1 has 2 fields, 3 expected");
    EXPECT_EQ(describeProblem(readSystemFile("f = 1\n")), "the file holds no equation");
    EXPECT_EQ(describeProblem(readSystemFile("\n1,2\n")), "line 1 has 1 field, 3 expected");
}

TEST(WriteSystemFile, ParametersFirstAndCellsQuotedWhereNeeded)
{
    const std::vector<Parameter> parameters{{"f", "50"}, {"w", "2*pi*f\t"}};
    const Rows rows{{"#1", "=w,2", "0"}, {"=sqrt(2)", "1", "2"}};
    const std::string text = writeSystemFile(parameters, rows, ',');
    EXPECT_EQ(text, "f = 50\nw = 2*pi*f \n\"#1\",\"=w,2\",0\n=sqrt(2),1,2\n");
    const SystemFile back = readSystemFile(text);
    EXPECT_EQ(back.rows, rows);
    ASSERT_EQ(back.parameters.size(), 2u);
    EXPECT_EQ(back.parameters[1].formula, "2*pi*f");
}

struct Refused {
    const char* name;
    std::string bytes;
    SystemFileProblem problem;
    std::string description;
};

std::string square(std::size_t n)
{
    std::string out;
    for (std::size_t i = 0; i < n; ++i) {
        out += "1";
        for (std::size_t j = 0; j < n; ++j)
            out += ",1";
        out += "\n";
    }
    return out;
}

TEST(ReadSystemFile, ProblemsSayWhatAndWhere)
{
    using P = SystemFileProblem;
    const Refused cases[] = {
        {"empty", "", P::NoLines, "the file holds no equation"},
        {"blank lines", "\n\n", P::NoLines, "the file holds no equation"},
        {"mark only", "\xEF\xBB\xBF", P::NoLines, "the file holds no equation"},
        {"mark twice",
         "\xEF\xBB\xBF\xEF\xBB\xBF"
         "1,2\n",
         P::None, ""},
        {"stray continuation byte", "1,2\n3,\x80\n", P::NotUtf8, "line 2 is not UTF-8 text"},
        {"overlong slash", "1,\xC0\xAF\n", P::NotUtf8, "line 1 is not UTF-8 text"},
        {"surrogate", "1,2\r\n\xED\xA0\x80,1\r\n", P::NotUtf8, "line 2 is not UTF-8 text"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80,1\n", P::NotUtf8, "line 1 is not UTF-8 text"},
        {"cut short at the end", "1,\xE2\x82", P::NotUtf8, "line 1 is not UTF-8 text"},
        {"bad byte after a lone CR", "1,2\r3,\xFF\n", P::NotUtf8, "line 2 is not UTF-8 text"},
        {"bad byte before a bad shape", "1\n\xFF\n", P::NotUtf8, "line 2 is not UTF-8 text"},
        {"short line", "1,2,3\n4,5\n", P::WrongFieldCount, "line 2 has 2 fields, 3 expected"},
        {"one field", "7\n", P::WrongFieldCount, "line 1 has 1 field, 2 expected"},
        {"long line", "1,2,3\n", P::WrongFieldCount, "line 1 has 3 fields, 2 expected"},
        {"blank line inside", "1,2,3\n\n4,5,6\n", P::WrongFieldCount, "line 1 has 3 fields, 4 expected"},
        {"line after a quoted break", "1,\"a\nb\",1\n1,1\n", P::WrongFieldCount, "line 3 has 2 fields, 3 expected"},
        {"unterminated quote", "1,0,1\n0,\"1,3\n", P::UnterminatedQuote,
         "line 2, field 2: a quote is opened and never closed"},
        {"501 lines", square(501), P::TooManyLines, "the file has 501 lines, at most 500 equations are allowed"},
        {"500 lines", square(500), P::None, ""},
    };
    for (const Refused& c : cases) {
        const SystemFile file = readSystemFile(c.bytes);
        EXPECT_EQ(file.problem, c.problem) << c.name;
        EXPECT_EQ(describeProblem(file), c.description) << c.name;
        if (c.problem != P::None) {
            EXPECT_TRUE(file.rows.empty()) << c.name;
            EXPECT_TRUE(file.lines.empty()) << c.name;
        }
    }
}

// The encoding check byte by byte: the length of the well-formed sequence
// a byte starts, 0 where none starts, at the edges of every lead byte's
// ranges.
TEST(Utf8WellFormedLength, EdgesOfEveryLeadByte)
{
    const struct {
        std::string bytes;
        std::size_t length;
    } cases[] = {
        {"a", 1},
        {"\x7F", 1},
        {"\x80", 0},
        {"\xC1\xBF", 0},
        {"\xC2\x80", 2},
        {"\xDF\xBF", 2},
        {"\xC2", 0},
        {"\xC2\x7F", 0},
        {"\xE0\x9F\x80", 0},
        {"\xE0\xA0\x80", 3},
        {"\xED\x9F\xBF", 3},
        {"\xED\xA0\x80", 0},
        {"\xEF\xBF\xBF", 3},
        {"\xE2\x82", 0},
        {"\xE2\x82\xC0", 0},
        {"\xF0\x8F\x80\x80", 0},
        {"\xF0\x90\x80\x80", 4},
        {"\xF4\x8F\xBF\xBF", 4},
        {"\xF4\x90\x80\x80", 0},
        {"\xF5\x80\x80\x80", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(utf8WellFormedLength(c.bytes, 0), c.length) << testing::PrintToString(c.bytes);
}

}  // namespace
}  // namespace kalvor
