// The program's pieces in process: the call's options, JSON strings, and the
// run of a system as the window would read its tables.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/options.h"
#include "cli/resultwriter.h"
#include "cli/systemrun.h"

namespace kalvor {
namespace {

TEST(JsonString, EscapesQuotesBackslashesAndControlCharacters)
{
    const struct {
        std::string text, json;
    } cases[] = {
        {"", "\"\""},
        {" 1.0000 - 2i", "\" 1.0000 - 2i\""},
        {"say \"2\"", "\"say \\\"2\\\"\""},
        {"a\\b", "\"a\\\\b\""},
        {"\t\n\r", "\"\\t\\n\\r\""},
        {std::string("\x01\x1f\x7f", 3), "\"\\u0001\\u001f\\u007f\""},
        {std::string(1, '\0'), "\"\\u0000\""},
        {"\xC3\xA9", "\"\xC3\xA9\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(jsonString(c.text), c.json) << c.text;
}

TEST(ParseOptions, ReadsModesFileAndMistakes)
{
    const struct {
        std::vector<std::string> args;
        Options::Output output;
        std::string file;
        bool help, version;
        std::string error;
    } cases[] = {
        {{}, Options::Output::Texts, "-", false, false, ""},
        {{"-"}, Options::Output::Texts, "-", false, false, ""},
        {{"a.tsv", "--numbers"}, Options::Output::Numbers, "a.tsv", false, false, ""},
        {{"--json", "a.tsv"}, Options::Output::Json, "a.tsv", false, false, ""},
        {{"--", "--json"}, Options::Output::Texts, "--json", false, false, ""},
        {{"--help", "x"}, Options::Output::Texts, "x", true, false, ""},
        {{"-h"}, Options::Output::Texts, "-", true, false, ""},
        {{"--version"}, Options::Output::Texts, "-", false, true, ""},
        {{"-x"},
         Options::Output::Texts,
         "-",
         false,
         false,
         "unknown option '-x' (kalvor1-solve --help lists the options)"},
        {{"--help", "--nope"},
         Options::Output::Texts,
         "-",
         true,
         false,
         "unknown option '--nope' (kalvor1-solve --help lists the options)"},
        {{"a", "b"}, Options::Output::Texts, "a", false, false, "more than one file given ('a' and 'b')"},
        {{"--numbers", "--json"},
         Options::Output::Texts,
         "-",
         false,
         false,
         "--numbers and --json cannot be used together"},
    };
    for (const auto& c : cases) {
        const Options o = parseOptions(c.args);
        std::string call;
        for (const auto& a : c.args)
            call += a + " ";
        EXPECT_EQ(o.error, c.error) << call;
        if (!c.error.empty())
            continue;
        EXPECT_EQ(o.output, c.output) << call;
        EXPECT_EQ(o.file, c.file) << call;
        EXPECT_EQ(o.help, c.help) << call;
        EXPECT_EQ(o.version, c.version) << call;
    }
}

// Which cell a data error names: the window reads the coefficient columns
// left to right, each top to bottom, then the constants.
TEST(RunSystem, NamesTheFirstUnreadableCellInTheWindowsOrder)
{
    const struct {
        std::string file;
        std::size_t line, field;
    } cases[] = {
        {"1,x,1\ny,1,1\n", 2, 1},                  // column 1 before column 2
        {"1,0,q\n0,x,1\n", 2, 2},                  // coefficients before constants
        {"1,0,1\n0,1,q\n", 2, 3},                  // the constant is field N + 1
        {"1,0,1\n0,3+4i ,1\n", 2, 2},              // a blank after the unit
        {"1E200,1E200,1\n1E200,1E200,1\n", 0, 0},  // no cell: the range
    };
    for (const auto& c : cases) {
        const SystemRun run = runSystem(c.file);
        ASSERT_TRUE(run.fileOk()) << c.file;
        EXPECT_EQ(run.outcome, SolveOutcome::DataError) << c.file;
        EXPECT_EQ(run.cellLine, c.line) << c.file;
        EXPECT_EQ(run.cellField, c.field) << c.file;
    }
}

TEST(RunSystem, FailureMessagesAndOutputPerOutcome)
{
    const SystemRun singular = runSystem("0,5\n");
    EXPECT_EQ(singular.outcome, SolveOutcome::NoUniqueSolution);
    EXPECT_EQ(writeResult(singular, Options::Output::Texts), "");
    EXPECT_EQ(writeResult(singular, Options::Output::Numbers), "");
    EXPECT_NE(failureMessage(singular).find("Please...Use 'Kalvor2'"), std::string::npos);

    const SystemRun solved = runSystem("2i\t4\n");
    ASSERT_EQ(solved.outcome, SolveOutcome::Solved);
    EXPECT_EQ(failureMessage(solved), "");
    EXPECT_EQ(writeResult(solved, Options::Output::Texts), " 0.0000 - 2i\n");
}

}  // namespace
}  // namespace kalvor
