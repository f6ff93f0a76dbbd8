// Table text read one field at a time: where rows end, which line each field
// starts on, and where an unclosed quote opens.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/tablereader.h"

namespace kalvor {
namespace {

// Every field as "line:text", with "|" after the last field of a row.
std::string trace(std::string_view text, char separator)
{
    TableReader reader(text, separator);
    std::string out;
    std::string field;
    while (reader.hasRow()) {
        for (bool more = true; more;) {
            const std::size_t line = reader.line();
            more = reader.readField(field);
            out += std::to_string(line) + ":" + field + (more ? " " : "| ");
        }
    }
    return out;
}

TEST(TableReader, FieldsRowEndsAndLines)
{
    const struct {
        std::string text;
        char separator;
        std::string trace;
    } cases[] = {
        {"", ',', ""},
        {"\n", ',', "1:| "},
        {"a,b\nc", ',', "1:a 1:b| 2:c| "},
        {"a\tb,c\r\n\r\nd\r", '\t', "1:a 1:b,c| 2:| 3:d| "},
        {"\"x\ny\",z\nw", ',', "1:x\ny 2:z| 3:w| "},
        {"\"a\"\"b\"c,\"\"\n", ',', "1:a\"bc 1:| "},
        {"a,\"b", ',', "1:a 1:\"b| "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(trace(c.text, c.separator), c.trace) << c.text;
}

TEST(TableReader, FirstUnclosedQuoteIsRemembered)
{
    TableReader reader("1,2\n3,\"4\n5,6", ',');
    std::string field;
    std::vector<std::string> fields;
    while (reader.hasRow())
        for (bool more = true; more;) {
            more = reader.readField(field);
            fields.push_back(field);
        }
    // The quote opened on line 2, field 2 runs to the end: it is kept as it
    // stands up to the end of its line, and reading goes on.
    EXPECT_EQ(fields, (std::vector<std::string>{"1", "2", "3", "\"4", "5", "6"}));
    EXPECT_TRUE(reader.unterminatedQuote());
    EXPECT_EQ(reader.unterminatedLine(), 2u);
    EXPECT_EQ(reader.unterminatedField(), 2u);
}

// Every byte where a line ends: a CR LF ends at its LF, a lone CR or LF
// where it stands. The table reader and the system file's encoding check
// number their lines by this one rule.
TEST(TableReader, LineEndsAtEveryRuleOfTheText)
{
    const struct {
        std::string text;
        std::string ends;  // one character per byte: '|' ends a line, '.' does not
    } cases[] = {
        {"a\nb", ".|."}, {"\r\n", ".|"},    {"\r", "|"},  {"\rx", "|."},
        {"\n\r", "||"},  {"\r\r\n", "|.|"}, {"ab", ".."}, {"\"\r\n\"", "..|."},
    };
    for (const auto& c : cases) {
        std::string got;
        for (std::size_t at = 0; at < c.text.size(); ++at) {
            got += endsLine(c.text, at) ? '|' : '.';
            EXPECT_EQ(isLineBreak(c.text[at]), c.text[at] == '\r' || c.text[at] == '\n') << at;
        }
        EXPECT_EQ(got, c.ends) << c.text;
    }
}

}  // namespace
}  // namespace kalvor
