// kalvor1-solve --sweep in process: the call, its plan and the table or
// JSON written point by point.
#include <string>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include "cli/options.h"
#include "cli/sweeprun.h"

namespace kalvor {
namespace {

TEST(SweepCall, ReadsNameEndsPointsAndSpacing)
{
    const std::string form = "--sweep takes NAME=FROM:TO:POINTS or NAME=FROM:TO:POINTS:log";
    const struct {
        std::string text;
        std::string name, from, to;
        std::size_t points;
        SweepSpacing spacing;
        std::string error;
    } cases[] = {
        {"f=10:100k:200:log", "f", "10", "100k", 200, SweepSpacing::Logarithmic, ""},
        {"R=1:=2*R0:3", "R", "1", "=2*R0", 3, SweepSpacing::Linear, ""},
        {"f=1:2:99999999999999999999999", "f", "1", "2", MaxSweepPoints + 1, SweepSpacing::Linear, ""},
        {"f", "", "", "", 0, SweepSpacing::Linear, form},
        {"=1:2:3", "", "", "", 0, SweepSpacing::Linear, form},
        {"f=1:2", "", "", "", 0, SweepSpacing::Linear, form},
        {"f=1:2:3:lin", "", "", "", 0, SweepSpacing::Linear, form},
        {"f=:2:3", "", "", "", 0, SweepSpacing::Linear, form},
        {"f=1:2:3:log:x", "", "", "", 0, SweepSpacing::Linear, form},
        {"f=1:2:3.5", "", "", "", 0, SweepSpacing::Linear, "--sweep: POINTS must be a whole number, not '3.5'"},
        {"f=1:2:-3", "", "", "", 0, SweepSpacing::Linear, "--sweep: POINTS must be a whole number, not '-3'"},
    };
    for (const auto& c : cases) {
        std::string error;
        const auto call = parseSweepCall(c.text, error);
        EXPECT_EQ(error, c.error) << c.text;
        ASSERT_EQ(call.has_value(), c.error.empty()) << c.text;
        if (!call)
            continue;
        EXPECT_EQ(call->name, c.name) << c.text;
        EXPECT_EQ(call->from, c.from) << c.text;
        EXPECT_EQ(call->to, c.to) << c.text;
        EXPECT_EQ(call->points, c.points) << c.text;
        EXPECT_EQ(call->spacing, c.spacing) << c.text;
    }
    EXPECT_EQ(parseOptions({"--sweep"}).error, "--sweep needs NAME=FROM:TO:POINTS[:log]");
    EXPECT_EQ(parseOptions({"--sweep", "f=1:2:3", "--polar"}).error,
              "--sweep writes numbers already: --numbers and --polar do not apply");
    EXPECT_EQ(parseOptions({"--sweep", "f=1:2:3", "a.csv", "--json"}).file, "a.csv");
}

const std::vector<std::vector<std::string>> Reciprocal = {{"=f", "1"}};

TEST(SweepPlan, RefusesAWrongCall)
{
    const struct {
        std::string call, problem;
    } cases[] = {
        {"g=1:2:3", "--sweep: g is not a parameter of the system (add a line \"g = value\" or --set g=value)"},
        {"f=0:10:5:log", "--sweep: a logarithmic sweep needs both ends above zero"},
        {"f=-1:1:5:log", "--sweep: a logarithmic sweep needs both ends above zero"},
        {"f=1:2:1", "--sweep: the number of points must be 2 to 100000"},
        {"f=1:2:100001", "--sweep: the number of points must be 2 to 100000"},
        {"f=x:2:5", "--sweep: FROM 'x': unknown name x"},
        {"f=1:1/0:5", "--sweep: TO '1/0': division by zero"},
    };
    for (const auto& c : cases) {
        std::string error;
        const auto call = parseSweepCall(c.call, error);
        ASSERT_TRUE(call) << c.call;
        const auto plan = planSweep(*call, Reciprocal, {{"f", "1"}});
        ASSERT_TRUE(std::holds_alternative<std::string>(plan)) << c.call;
        EXPECT_EQ(std::get<std::string>(plan), c.problem) << c.call;
    }
}

// X1 = 1 / f: no unique solution at f = 0.
TEST(SweepPlan, WritesTheTableOrJsonAndTheFirstFailure)
{
    const struct {
        std::string call;
        bool json;
        std::string text;
        SolveOutcome first;
    } cases[] = {
        {"f=1:4:4", false,
         "f\tX1 re\tX1 im\tcheck\n1\t1\t0\tcorrect\n2\t0.5\t0\tcorrect\n3\t0.3333333333333333\t0\tcorrect\n"
         "4\t0.25\t0\tcorrect\n",
         SolveOutcome::Solved},
        {"f=0:2:3", false, "f\tX1 re\tX1 im\tcheck\n0\t\t\tno unique solution\n1\t1\t0\tcorrect\n2\t0.5\t0\tcorrect\n",
         SolveOutcome::NoUniqueSolution},
        {"f=0:0.5:2", true,
         "{\"parameter\": \"f\", \"points\": [\n"
         "  {\"value\": 0, \"outcome\": \"no-unique-solution\"},\n"
         "  {\"value\": 0.5, \"outcome\": \"solved\", \"solution\": [\n"
         "    {\"re\": 2, \"im\": 0, \"text\": \" 2.0000 + 0.0000i\"}\n"
         "  ], \"check\": {\"verdict\": \"correct\"}}\n]}\n",
         SolveOutcome::NoUniqueSolution},
    };
    for (const auto& c : cases) {
        std::string error;
        const auto call = parseSweepCall(c.call, error);
        ASSERT_TRUE(call) << c.call;
        const auto plan = planSweep(*call, Reciprocal, {{"f", "1"}});
        ASSERT_TRUE(std::holds_alternative<SweepPlan>(plan)) << c.call;
        std::string text;
        std::size_t writes = 0;
        bool allCorrect = false;
        const SolveOutcome first = writeSweep(
            std::get<SweepPlan>(plan), c.json,
            [&](std::string_view piece) {
                text += piece;
                ++writes;
            },
            allCorrect);
        EXPECT_EQ(text, c.text) << c.call;
        EXPECT_EQ(first, c.first) << c.call;
        EXPECT_TRUE(allCorrect) << c.call;
        // One write for the start, one per point (as each is done), one for
        // the JSON's end.
        EXPECT_EQ(writes, 1 + call->points + (c.json ? 1 : 0)) << c.call;
    }
    // A data error names its cell and reason.
    std::string error;
    const auto plan = planSweep(*parseSweepCall("f=0:1:2", error), {{"=1/f", "1"}}, {{"f", "1"}});
    std::string text;
    bool allCorrect = false;
    EXPECT_EQ(writeSweep(
                  std::get<SweepPlan>(plan), false, [&](std::string_view piece) { text += piece; }, allCorrect),
              SolveOutcome::DataError);
    EXPECT_EQ(text, "f\tX1 re\tX1 im\tcheck\n0\t\t\tdata error: EQ.1, X1: division by zero\n1\t1\t0\tcorrect\n");
}

}  // namespace
}  // namespace kalvor
