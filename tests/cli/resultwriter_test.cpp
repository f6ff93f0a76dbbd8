// The program's pieces in process: the call's options, JSON strings, and the
// run of a system as the window would read its tables.
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/options.h"
#include "cli/resultwriter.h"
#include "cli/systemrun.h"
#include "core/messages.h"

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

// Objects on one line, arrays of scalars on one line, arrays of objects one
// element a line; numbers as their shortest text, strings byte for byte.
TEST(JsonText, LaysOutValuesAsTheProgramWritesThem)
{
    const std::string notUtf8("\xff", 1);
    const struct {
        Json value;
        std::size_t depth;
        std::string text;
    } cases[] = {
        {Json::object(), 0, "{}"},
        {Json::array(), 0, "[]"},
        {Json{{"b", 2.0}, {"a", -0.0}, {"c", 1e300}}, 0, "{\"b\": 2, \"a\": -0, \"c\": 1E+300}"},
        {Json{{"t", true}, {"n", nullptr}, {"u", std::size_t{7}}, {"i", -3}}, 0,
         "{\"t\": true, \"n\": null, \"u\": 7, \"i\": -3}"},
        {Json{{"x", std::numeric_limits<double>::infinity()}}, 0, "{\"x\": null}"},
        {Json::array({0.1, "a", false}), 0, "[0.1, \"a\", false]"},
        {Json{{"s", notUtf8}}, 0, "{\"s\": \"" + notUtf8 + "\"}"},
        {Json{{"p", Json::array({Json{{"v", 1.5}}, Json{{"w", Json::array({Json{{"z", 1.0}}})}}})}}, 0,
         "{\"p\": [\n  {\"v\": 1.5},\n  {\"w\": [\n    {\"z\": 1}\n  ]}\n]}"},
        {Json::array({Json::array({1.0})}), 1, "[\n    [1]\n  ]"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(jsonText(c.value, c.depth), c.text) << c.text;
}

// Every output reads back as JSON with the values written.
TEST(JsonText, ReadsBackAsTheSameValues)
{
    const std::string text = writeResult(runSystem("1E-300,0,3+i4\n0,2.5,0\n"), Options::Output::Json);
    const Json read = Json::parse(text);
    ASSERT_EQ(read.at("solution").size(), 2u) << text;
    EXPECT_EQ(read.at("solution")[0].at("re").get<double>(), 3e300) << text;
    EXPECT_EQ(read.at("solution")[1].at("re").get<double>(), 0.0) << text;
    EXPECT_EQ(read.at("dropped")[0].at("text").get<std::string>(), "3+i4") << text;
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
        {{"--strict", "a.tsv", "--numbers"}, Options::Output::Numbers, "a.tsv", false, false, ""},
        {{"--polar"}, Options::Output::PolarTexts, "-", false, false, ""},
        {{"--accurate", "--polar"}, Options::Output::PolarTexts, "-", false, false, ""},
        {{"--", "--accurate"}, Options::Output::Texts, "--accurate", false, false, ""},
        {{"--numbers", "--polar"}, Options::Output::PolarNumbers, "-", false, false, ""},
        {{"--polar", "--json"}, Options::Output::Json, "-", false, false, ""},
        {{"--", "--strict"}, Options::Output::Texts, "--strict", false, false, ""},
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
        {{"--set", "pi=3"}, Options::Output::Texts, "-", false, false, "--set pi=3: pi is a constant"},
        {{"--set", "w"}, Options::Output::Texts, "-", false, false, "--set needs NAME=FORMULA, not 'w'"},
        {{"f", "--set"}, Options::Output::Texts, "-", false, false, "--set needs NAME=FORMULA"},
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
        // The rows that set --strict give it first.
        EXPECT_EQ(o.strict, !c.args.empty() && c.args.front() == "--strict") << call;
        EXPECT_EQ(o.accurate, !c.args.empty() && c.args.front() == "--accurate") << call;
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
        {"1,0,1\n0,1,-5<90\n", 2, 3},              // no phasor has a negative magnitude: read as typed
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

    // Both parts near the largest double: a magnitude no double holds.
    const SystemRun huge = runSystem("1,1.5E308-1.5E308i\n");
    ASSERT_EQ(huge.outcome, SolveOutcome::Solved);
    EXPECT_EQ(writeResult(huge, Options::Output::PolarNumbers), "inf\t-45\n");
}

// The cells whose reading drops text, for every outcome, as the window reads
// them: field by field, each from the first line down. Their lines are file
// lines, and their texts are quoted as JSON strings in the warnings too.
TEST(RunSystem, ListsDroppedTextInTheWindowsOrderForEveryOutcome)
{
    const struct {
        std::string file;
        SolveOutcome outcome;
        std::vector<std::string> warnings;
    } cases[] = {
        {"1,\"2+\n1E-3j\",2-3j\n3+i4,1,1\n",
         SolveOutcome::Solved,
         {"warning: line 3, field 1: \"3+i4\" is read as 3+1i, dropping \"4\"",
          "warning: line 1, field 2: \"2+\\n1E-3j\" is read as 2-3i, dropping \"+\\n1E\""}},
        {"0,3+i4\n",
         SolveOutcome::NoUniqueSolution,
         {"warning: line 1, field 2: \"3+i4\" is read as 3+1i, dropping \"4\""}},
        {"4i5i+3,3+4i \n",
         SolveOutcome::DataError,
         {"warning: line 1, field 1: \"4i5i+3\" is read as 3+4i, dropping \"5i\""}},
        {"3 + 4i,i\n", SolveOutcome::Solved, {}},
    };
    for (const auto& c : cases) {
        const SystemRun run = runSystem(c.file);
        ASSERT_TRUE(run.fileOk()) << c.file;
        EXPECT_EQ(run.outcome, c.outcome) << c.file;
        EXPECT_EQ(droppedWarnings(run), c.warnings) << c.file;
        EXPECT_EQ(run.failsStrict(), !c.warnings.empty()) << c.file;
    }
}

TEST(RunSystem, JsonListsDroppedTextOnlyWhenThereIsSome)
{
    EXPECT_EQ(writeResult(runSystem("0,3+i4\n"), Options::Output::Json),
              "{\"n\": 1, \"outcome\": \"no-unique-solution\", \"dropped\": [\n"
              "  {\"line\": 1, \"field\": 2, \"text\": \"3+i4\", \"dropped\": \"4\"}\n]}\n");
    EXPECT_EQ(writeResult(runSystem("3-i+5,x\n"), Options::Output::Json),
              "{\"n\": 1, \"outcome\": \"data-error\", \"message\": \"Try to write '(imaginary)i in form "
              "'0+(imaginary)i\", \"cell\": {\"line\": 1, \"field\": 2}, \"dropped\": [\n"
              "  {\"line\": 1, \"field\": 1, \"text\": \"3-i+5\", \"dropped\": \"- 5\"}\n]}\n");
    EXPECT_EQ(writeResult(runSystem("2,2+i\n"), Options::Output::Json).find("dropped"), std::string::npos);
}

TEST(RunSystem, ParametersFormulasAndUnitFirstCells)
{
    const Options o = parseOptions({"--set", "a=2*b", "--set=L = 10m", "f"});
    ASSERT_EQ(o.set.size(), 2u);
    EXPECT_EQ(o.set[1].name, "L");
    EXPECT_EQ(o.set[1].formula, " 10m");
    EXPECT_EQ(o.file, "f");

    // A unit before a number is noted; a parameter is listed with its value.
    const std::string json = writeResult(runSystem("a = 2\n=a,j5\n"), Options::Output::Json);
    EXPECT_NE(json.find(", \"parameters\": [\n  {\"name\": \"a\", \"formula\": \"2\", \"re\": 2, \"im\": 0}\n]"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find(", \"unit_first\": [\n  {\"line\": 2, \"field\": 2, \"text\": \"j5\"}\n]}\n"), std::string::npos)
        << json;

    // --set replaces a parameter of the file, or adds one.
    const SystemRun replaced = runSystem("a = 2\n=a,=b\n", {{"a", "4"}, {"b", "2"}});
    ASSERT_EQ(replaced.outcome, SolveOutcome::Solved);
    EXPECT_EQ(replaced.re, std::vector<double>{0.5});

    // A cell that uses a parameter in error is the data error, with why.
    const SystemRun broken = runSystem("a = b\nc = 1/0\n=a,1\n");
    EXPECT_EQ(broken.outcome, SolveOutcome::DataError);
    EXPECT_EQ(failureMessage(broken), std::string(DataErrorMessage) + "; line 3, field 1: a: unknown name b");
    EXPECT_EQ(parameterWarnings(broken), (std::vector<std::string>{"warning: line 1, parameter a: unknown name b",
                                                                  "warning: line 2, parameter c: at 1: division by zero"}));
    const std::string brokenJson = writeResult(broken, Options::Output::Json);
    EXPECT_NE(brokenJson.find("\"cell\": {\"line\": 3, \"field\": 1, \"reason\": \"a: unknown name b\"}"),
              std::string::npos)
        << brokenJson;
    EXPECT_NE(brokenJson.find("{\"name\": \"a\", \"formula\": \"b\", \"re\": null, \"im\": null, \"error\": "
                              "\"unknown name b\"}"),
              std::string::npos)
        << brokenJson;

    // Refused plain cells read as engineering numbers; "3+4" stays refused.
    EXPECT_EQ(runSystem("2.2k,1.1k\n").re, std::vector<double>{0.5});
    EXPECT_EQ(runSystem("1,3+4\n").outcome, SolveOutcome::DataError);
}

// The check of a solved run: one warning per wrong unknown with its accurate
// text, or one for digits that cannot be vouched for; --strict fails on both.
TEST(RunSystem, CheckWarnsOfWrongOrUnreliableDigits)
{
    const std::string unreliable = "warning: nearly singular (condition estimate ";
    const struct {
        std::string file;
        CheckVerdict verdict;
        std::vector<std::string> warnings;
    } cases[] = {
        {"1,1,3\n1,-1,1\n", CheckVerdict::Correct, {}},
        {"1E-20,1,1\n1,1,2\n",
         CheckVerdict::Inaccurate,
         {"warning: X1 has wrong digits; its accurate value is \" 1.0000 + 0.0000i\""}},
        {"1E-20,1,0,0,1\n1,1,0,0,2\n0,0,1E-20,1,1\n0,0,1,1,2+i\n",
         CheckVerdict::Inaccurate,
         {"warning: X1 has wrong digits; its accurate value is \" 1.0000 + 0.0000i\"",
          "warning: X3 has wrong digits; its accurate value is \" 1.0000 + 1.0000i\""}},
        // Row 2 is twice row 1 in doubles too: the pivoted LU meets an exact
        // zero on every processor path.
        {"0.1,0.2,1\n0.2,0.4,2\n",
         CheckVerdict::Unreliable,
         {unreliable + "infinite): the digits of the solution are unreliable"}},
    };
    for (const auto& c : cases) {
        const SystemRun run = runSystem(c.file);
        ASSERT_EQ(run.outcome, SolveOutcome::Solved) << c.file;
        ASSERT_TRUE(run.check) << c.file;
        EXPECT_EQ(run.check->verdict, c.verdict) << c.file;
        EXPECT_EQ(checkWarnings(run), c.warnings) << c.file;
        EXPECT_EQ(run.failsStrict(), c.verdict != CheckVerdict::Correct) << c.file;
    }
    // Only a solved run is checked.
    EXPECT_FALSE(runSystem("0,5\n").check);
    EXPECT_TRUE(checkWarnings(runSystem("0,5\n")).empty());
}

TEST(RunSystem, JsonGivesTheCheckOfASolvedRun)
{
    EXPECT_EQ(writeResult(runSystem("1E-20,1,1\n1,1,2\n"), Options::Output::Json),
              "{\"n\": 2, \"outcome\": \"solved\", \"solution\": [\n"
              "  {\"re\": 0, \"im\": 0, \"text\": \" 0.0000 + 0.0000i\", \"polar\": \"0.0000 \u2220 0.00\u00b0\"},\n"
              "  {\"re\": 1, \"im\": -0, \"text\": \" 1.0000 + 0.0000i\", \"polar\": \"1.0000 \u2220 0.00\u00b0\"}\n"
              "], \"check\": {\"verdict\": \"inaccurate\", \"condition\": 4, \"unknowns\": [\n"
              "  {\"correct\": false, \"re\": 1, \"im\": 0, \"text\": \" 1.0000 + 0.0000i\"},\n"
              "  {\"correct\": true, \"re\": 1, \"im\": 0, \"text\": \" 1.0000 + 0.0000i\"}\n]}}\n");
    // Unreliable: no unknown is called correct or wrong; an infinite
    // condition has no JSON number.
    const std::string singular = writeResult(runSystem("0.1,0.2,1\n0.2,0.4,2\n"), Options::Output::Json);
    EXPECT_NE(singular.find("\"check\": {\"verdict\": \"unreliable\", \"condition\": null, \"unknowns\": [\n"
                            "  {\"correct\": null, \"re\": 10, \"im\": 0, \"text\": \" 10.0000 + 0.0000i\"},"),
              std::string::npos)
        << singular;
    EXPECT_EQ(writeResult(runSystem("0,5\n"), Options::Output::Json).find("check"), std::string::npos);
}

}  // namespace
}  // namespace kalvor
