// kalvor1-solve run as a program: systems from files kept beside this test
// and generated ones, every outcome, exit status and message.
#include <algorithm>
#include <charconv>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/numberformat.h"
#include "tests/cli/programrun.h"

// GCC and clang tell an AddressSanitizer build differently; its shadow
// memory needs far more address space than any memory limit allows.
#if defined(__SANITIZE_ADDRESS__)
#define KALVOR_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KALVOR_ADDRESS_SANITIZER 1
#endif
#endif

namespace kalvor {
namespace {

const std::string Program = KALVOR_SOLVE_PROGRAM;
const std::string Data = KALVOR_CLI_DATA;

const std::string NoSolution
    = "kalvor1-solve: This equations have no solution OR This equation have infinite number of solutions "
      "The unknowns is dependent variables , Please...Use 'Kalvor2'\n";
const std::string DataErrorText = "Try to write '(imaginary)i in form '0+(imaginary)i";
const std::string DataError = "kalvor1-solve: " + DataErrorText;

// One run: arguments (a data file's name stands for its path) and what must
// come out of it.
struct Expectation {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string out;
    std::string err;
};

std::string dataPath(const std::string& name)
{
    return Data + "/" + name;
}

const std::string Unreliable = "kalvor1-solve: warning: nearly singular (condition estimate ";
const std::string UnreliableEnd = "): the digits of the solution are unreliable\n";

class KeptFiles : public ::testing::TestWithParam<Expectation> {
protected:
    ScratchFolder scratch;
};

TEST_P(KeptFiles, GiveTheWindowsTextsStatusAndMessage)
{
    const Expectation& e = GetParam();
    std::vector<std::string> args;
    for (const std::string& arg : e.args)
        args.push_back(arg.find('.') != std::string::npos && arg[0] != '-' ? dataPath(arg) : arg);
    const ProgramRun run = runProgram(Program, args, "/dev/null", scratch);
    EXPECT_EQ(run.status, e.status);
    EXPECT_EQ(run.out, e.out);
    // So close to singular, the condition estimate itself depends on the
    // processor path (finite on one, infinite on another): only the line's
    // frame is fixed.
    if (e.err == Unreliable)
        EXPECT_TRUE(run.err.starts_with(Unreliable) && run.err.ends_with(UnreliableEnd)) << run.err;
    else
        EXPECT_EQ(run.err, e.err);
}

const std::string Worked = " 1.6667 + 6.6667E-01i\n 1.0000 + 6.6667E-01i\n";
// n2-dropped.csv: three cells whose reading drops text, and what they give.
const std::string Dropped = " 6.0703E-02 + 5.1757E-01i\n 2.3003E-01 - 0.2492i\n";
const std::string DroppedWarnings
    = "kalvor1-solve: warning: line 2, field 1: \"3-4-5i\" is read as 3-5i, dropping \"-4\"\n"
      "kalvor1-solve: warning: line 1, field 2: \"3+i4\" is read as 3+1i, dropping \"4\"\n"
      "kalvor1-solve: warning: line 2, field 3: \"ii3\" is read as 3+1i, dropping \"i\"\n";
// n2-phasors.csv: a circuit given in every phasor form, as the window reads
// it pasted; its answers in each form.
const std::string Circuit = " 7.8802 + 3.3911i\n 6.7821 + 4.2397i\n";
// n2-near-singular.csv: [[0.1, 0.3], [0.3, 0.9]] X = [1, 2]; n2-tiny-pivot.csv:
// [[1E-20, 1], [1, 1]] X = [1, 2], whose X1 is 1, not the 0 shown.
const std::string NearSingular = " 2.7022E+16 + 0.0000i\n -9.0072E+15 + 0.0000i\n";
const std::string TinyPivot = " 0.0000 + 0.0000i\n 1.0000 + 0.0000i\n";
const std::string TinyPivotWarning
    = "kalvor1-solve: warning: X1 has wrong digits; its accurate value is \" 1.0000 + 0.0000i\"\n";
// n3-ac-circuit.csv: mesh currents of a three-mesh circuit given by
// parameters and impedance formulas, at 50 Hz and with --set f=60 (values
// from an independent complex elimination).
const std::string AcCircuit = " 5.3247 - 1.9874i\n -4.8633 - 9.8884i\n 1.8793 + 6.1962i\n";
const std::string AcCircuit60 = " 8.9344 - 6.2105i\n -1.3850E+01 + 1.5420i\n 2.2479E-01 + 7.7791i\n";
// n2-unit-first.csv: 10 X1 - j5 X2 = 1, -j5 X1 + j10 X2 = 0 typed the
// engineer's way, read as 5-1i and 10+1i.
const std::string UnitFirst = " 0.1263 - 0.020078i\n -5.8290E-02 + 2.8497E-02i\n";
const std::string UnitFirstWarnings
    = "kalvor1-solve: warning: line 2, field 1: \"-j5\" is read as 5-1i; for -5i write -5j or =-j5\n"
      "kalvor1-solve: warning: line 1, field 2: \"-j5\" is read as 5-1i; for -5i write -5j or =-j5\n"
      "kalvor1-solve: warning: line 2, field 2: \"j10\" is read as 10+1i; for 10i write 10j or =j10\n";
const std::string CircuitPolar = "8.5788 \u2220 23.28\u00b0\n7.9983 \u2220 32.01\u00b0\n";

INSTANTIATE_TEST_SUITE_P(
    Systems, KeptFiles,
    ::testing::Values(
        Expectation{"real coefficient", {"n1-real.tsv"}, 0, " 2.0000 + 1.0000i\n", ""},
        Expectation{"imaginary coefficient", {"n1-imaginary.csv"}, 0, " 0.0000 - 2i\n", ""},
        Expectation{"two equations", {"n2-worked.tsv"}, 0, Worked, ""},
        Expectation{"near singular", {"n2-near-singular.csv"}, 0, NearSingular, Unreliable},
        Expectation{"tiny first pivot", {"n2-tiny-pivot.csv"}, 0, TinyPivot, TinyPivotWarning},
        Expectation{"strict, wrong digits", {"--strict", "n2-tiny-pivot.csv"}, 4, TinyPivot, TinyPivotWarning},
        Expectation{"strict, unreliable digits",
                    {"--strict", "--numbers", "n2-near-singular.csv"},
                    4,
                    "27021597764222972\t0\n-9007199254740988\t0\n",
                    Unreliable},
        // --accurate: the check's values in the chosen form, warnings and
        // status as without it; unreliable digits keep the defined values.
        Expectation{"accurate", {"--accurate", "n2-tiny-pivot.csv"}, 0, " 1.0000 + 0.0000i\n 1.0000 + 0.0000i\n",
                    TinyPivotWarning},
        Expectation{"accurate numbers, strict",
                    {"--strict", "--accurate", "--numbers", "n2-tiny-pivot.csv"},
                    4,
                    "1\t0\n1\t0\n",
                    TinyPivotWarning},
        Expectation{"accurate polar", {"--accurate", "--polar", "n2-tiny-pivot.csv"}, 0,
                    "1.0000 \u2220 0.00\u00b0\n1.0000 \u2220 0.00\u00b0\n", TinyPivotWarning},
        Expectation{"accurate, unreliable", {"--accurate", "n2-near-singular.csv"}, 0, NearSingular, Unreliable},
        Expectation{"CR LF", {"n2-crlf.csv"}, 0, Worked, ""},
        Expectation{"byte-order mark and blank lines at the end", {"n2-bom.tsv"}, 0, Worked, ""},
        Expectation{"quoted comma fields", {"n2-quoted.csv"}, 0, Worked, ""},
        Expectation{"quoted field holding a tab", {"n2-quoted-tab.tsv"}, 0, Worked, ""},
        Expectation{"semicolons, quoted fields, CR LF", {"n2-semicolon.csv"}, 0, Worked, ""},
        Expectation{"quoted semicolon is not a separator",
                    {"n2-quoted-semicolon.csv"},
                    3,
                    "",
                    DataError + "; line 2, field 2: not a number\n"},
        Expectation{"zero coefficient", {"n1-zero.csv"}, 2, "", NoSolution},
        Expectation{"dependent rows", {"n2-singular.csv"}, 2, "", NoSolution},
        Expectation{"abc cell", {"n2-abc.csv"}, 3, "", DataError + "; line 2, field 2: not a number\n"},
        Expectation{"product beyond the number range", {"n2-overflow.csv"}, 3, "", DataError + "\n"},
        Expectation{"cell beyond the number range",
                    {"n2-beyond-range.csv"},
                    3,
                    "",
                    DataError + "; line 1, field 1: beyond the number range\n"},
        Expectation{"semicolons with decimal commas",
                    {"n2-decimal-comma.csv"},
                    0,
                    " 2.0000 + 0.0000i\n -0.1125 + 0.0000i\n",
                    ""},
        Expectation{"quoted field holding quotes",
                    {"n2-quoted-quote.csv"},
                    3,
                    "",
                    DataError + "; line 1, field 3: not a number\n"},
        Expectation{"quoted comma is not a separator",
                    {"n2-quoted-comma.csv"},
                    3,
                    "",
                    DataError + "; line 2, field 2: not a number\n"},
        Expectation{"file lines, not equations",
                    {"n3-shifted-lines.csv"},
                    3,
                    "",
                    DataError + "; line 4, field 3: not a number\n"},
        Expectation{"numbers", {"--numbers", "n1-real.tsv"}, 0, "2\t1\n", ""},
        Expectation{"numbers, nothing when not solved", {"--numbers", "n1-zero.csv"}, 2, "", NoSolution},
        Expectation{
            "json solved",
            {"--json", "n1-real.tsv"},
            0,
            "{\"n\": 1, \"outcome\": \"solved\", \"solution\": [\n  {\"re\": 2, \"im\": 1, \"text\": \" 2.0000 "
            "+ 1.0000i\", \"polar\": \"2.2361 \u2220 26.57\u00b0\"}\n], \"check\": {\"verdict\": \"correct\", "
            "\"condition\": 1, \"unknowns\": [\n  {\"correct\": true, \"re\": 2, \"im\": 1, \"text\": \" 2.0000 "
            "+ 1.0000i\"}\n]}}\n",
            ""},
        Expectation{"phasor cells", {"n2-phasors.csv"}, 0, Circuit, ""},
        Expectation{"polar texts", {"--polar", "n2-phasors.csv"}, 0, CircuitPolar, ""},
        Expectation{"polar numbers",
                    {"n2-phasors.csv", "--numbers", "--polar"},
                    0,
                    "8.578829713052802\t23.28362718895674\n7.998257336693316\t32.01047872443896\n",
                    ""},
        Expectation{"json no unique solution",
                    {"n2-singular.csv", "--json"},
                    2,
                    "{\"n\": 2, \"outcome\": \"no-unique-solution\"}\n",
                    NoSolution},
        Expectation{"json data error from a cell",
                    {"--json", "n2-abc.csv"},
                    3,
                    "{\"n\": 2, \"outcome\": \"data-error\", \"message\": \"" + DataErrorText
                        + "\", \"cell\": {\"line\": 2, \"field\": 2}}\n",
                    DataError + "; line 2, field 2: not a number\n"},
        Expectation{"json data error from the range",
                    {"--json", "--", "n2-overflow.csv"},
                    3,
                    "{\"n\": 2, \"outcome\": \"data-error\", \"message\": \"" + DataErrorText + "\"}\n",
                    DataError + "\n"},
        Expectation{"dropped text, one warning per cell", {"n2-dropped.csv"}, 0, Dropped, DroppedWarnings},
        Expectation{"strict, dropped text",
                    {"--numbers", "--strict", "n2-dropped.csv"},
                    4,
                    "0.060702875399361034\t0.5175718849840256\n0.23003194888178913\t-0.24920127795527156\n",
                    DroppedWarnings},
        Expectation{"strict, nothing dropped", {"--strict", "n2-worked.tsv"}, 0, Worked, ""},
        Expectation{"strict, a data error keeps its status",
                    {"--strict", "n2-dropped-abc.csv"},
                    3,
                    "",
                    "kalvor1-solve: warning: line 1, field 1: \"2+1E-3j\" is read as 2-3i, dropping \"+1E\"\n"
                        + DataError + "; line 2, field 2: not a number\n"},
        Expectation{"strict, no unique solution keeps its status",
                    {"--strict", "n1-dropped-singular.csv"},
                    2,
                    "",
                    "kalvor1-solve: warning: line 1, field 2: \"3+i4\" is read as 3+1i, dropping \"4\"\n" + NoSolution},
        Expectation{"json lists dropped text instead of warnings",
                    {"--strict", "--json", "n1-dropped-singular.csv"},
                    2,
                    "{\"n\": 1, \"outcome\": \"no-unique-solution\", \"dropped\": [\n"
                    "  {\"line\": 1, \"field\": 2, \"text\": \"3+i4\", \"dropped\": \"4\"}\n]}\n",
                    NoSolution},
        Expectation{"sweep, every point solved",
                    {"--sweep", "f=1:4:4", "n1-sweep.csv"},
                    0,
                    "f\tX1 re\tX1 im\tcheck\n1\t1\t0\tcorrect\n2\t0.5\t0\tcorrect\n3\t0.3333333333333333\t0\t"
                    "correct\n4\t0.25\t0\tcorrect\n",
                    ""},
        Expectation{"sweep, the first failure's status",
                    {"n1-sweep.csv", "--sweep", "f=4:0:3"},
                    2,
                    "f\tX1 re\tX1 im\tcheck\n4\t0.25\t0\tcorrect\n2\t0.5\t0\tcorrect\n0\t\t\tno unique solution\n",
                    ""},
        Expectation{"sweep, a data error names its cell",
                    {"--json", "--sweep", "f=0:1:2", "n1-sweep-division.csv"},
                    3,
                    "{\"parameter\": \"f\", \"points\": [\n  {\"value\": 0, \"outcome\": \"data-error\", \"problem\": "
                    "\"EQ.1, X1: division by zero\"},\n  {\"value\": 1, \"outcome\": \"solved\", \"solution\": [\n    "
                    "{\"re\": 1, \"im\": 0, \"text\": \" 1.0000 + 0.0000i\"}\n  ], \"check\": {\"verdict\": \"correct\"}}\n]}\n",
                    ""},
        Expectation{"sweep, a parameter added by --set",
                    {"--set", "g=1", "--sweep", "g=1:2:2", "n1-sweep.csv"},
                    0,
                    "g\tX1 re\tX1 im\tcheck\n1\t1\t0\tcorrect\n2\t1\t0\tcorrect\n",
                    ""},
        Expectation{"sweep, an unknown parameter",
                    {"--sweep", "g=1:2:3", "n1-sweep.csv"},
                    1,
                    "",
                    "kalvor1-solve: --sweep: g is not a parameter of the system (add a line \"g = value\" or --set "
                    "g=value)\n"},
        Expectation{"sweep, a log sweep through zero",
                    {"--sweep", "f=-1:1:3:log", "n1-sweep.csv"},
                    1,
                    "",
                    "kalvor1-solve: --sweep: a logarithmic sweep needs both ends above zero\n"},
        Expectation{"sweep, too many points",
                    {"--sweep", "f=1:2:100001", "n1-sweep.csv"},
                    1,
                    "",
                    "kalvor1-solve: --sweep: the number of points must be 2 to 100000\n"},
        Expectation{"formulas and parameters", {"n3-ac-circuit.csv"}, 0, AcCircuit, ""},
        Expectation{"a parameter set on the command line", {"--set", "f=60", "n3-ac-circuit.csv"}, 0, AcCircuit60, ""},
        Expectation{"a formula without a value",
                    {"n2-formula-error.csv"},
                    3,
                    "",
                    DataError + "; line 2, field 2: division by zero\n"},
        Expectation{"unit before a number", {"n2-unit-first.csv"}, 0, UnitFirst, UnitFirstWarnings},
        Expectation{"strict, unit before a number", {"--strict", "n2-unit-first.csv"}, 4, UnitFirst, UnitFirstWarnings},
        Expectation{"version", {"--version"}, 0, "kalvor1-solve " KALVOR_VERSION "\n", ""},
        Expectation{"unknown option",
                    {"--fast", "n1-real.tsv"},
                    1,
                    "",
                    "kalvor1-solve: unknown option '--fast' (kalvor1-solve --help lists the options)\n"},
        Expectation{"two output forms",
                    {"--json", "--numbers", "n1-real.tsv"},
                    1,
                    "",
                    "kalvor1-solve: --numbers and --json cannot be used together\n"},
        Expectation{"missing file",
                    {"no-such-file.tsv"},
                    1,
                    "",
                    "kalvor1-solve: cannot open " + dataPath("no-such-file.tsv") + ": No such file or directory\n"},
        Expectation{"folder", {Data}, 1, "", "kalvor1-solve: cannot read " + Data + ": Is a directory\n"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(KalvorSolveProgram, HelpNamesEveryOption)
{
    ScratchFolder scratch;
    const ProgramRun run = runProgram(Program, {"--help"}, "/dev/null", scratch);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    for (const char* option :
         {"--numbers", "--json", "--polar", "--strict", "--set", "--accurate", "--help", "--version", "Usage: kalvor1-solve"})
        EXPECT_NE(run.out.find(option), std::string::npos) << option;
}

// Files with something wrong in them: status 1, no output, and a message
// that names the file and the place.
struct BadFile {
    const char* name;
    std::string bytes;
    std::string problem;  // the message after "kalvor1-solve: <file>: "
};

class BadFiles : public ::testing::TestWithParam<BadFile> {
protected:
    ScratchFolder scratch;
};

std::string lines(int count, const std::string& line)
{
    std::string out;
    for (int i = 0; i < count; ++i)
        out += line + "\n";
    return out;
}

TEST_P(BadFiles, EndInStatusOneWithWhatAndWhere)
{
    const BadFile& bad = GetParam();
    const std::string file = scratch.write("system.csv", bad.bytes);
#if defined(KALVOR_ADDRESS_SANITIZER)
    const long megabytes = 0;  // the sanitizer maps far more than any limit
#else
    // However many fields or lines a file holds, only what a valid file can
    // hold is kept, so even the largest bad files are told in a small space.
    const long megabytes = 256;
#endif
    const ProgramRun run = runProgram(Program, {file}, "/dev/null", scratch, {}, megabytes);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "kalvor1-solve: " + file + ": " + bad.problem + "\n");
}

std::string row(int fields)
{
    std::string out = "1";
    for (int f = 1; f < fields; ++f)
        out += ",1";
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Problems, BadFiles,
    ::testing::Values(
        BadFile{"empty", "", "the file holds no equation"},
        BadFile{"blank lines only", "\n\r\n\n", "the file holds no equation"},
        BadFile{"byte-order mark only", "\xEF\xBB\xBF", "the file holds no equation"},
        BadFile{"bad byte", "1,2\n1,\xFF,2\n", "line 2 is not UTF-8 text"},
        BadFile{"bad byte, CR LF", "1,0,1\r\n0,1,2\r\n\xC3(,1,1\r\n", "line 3 is not UTF-8 text"},
        BadFile{"truncated sequence at the end", "2,4\xE2\x82", "line 1 is not UTF-8 text"},
        BadFile{"short line", "1,2,3\n4,5\n", "line 2 has 2 fields, 3 expected"},
        BadFile{"an equation missing", "1,2,3,4\n5,6,7,8\n",
                "2 lines of 4 fields: a system of 3 unknowns needs 3 lines of 4 fields"},
        BadFile{"one field", "7\n", "line 1 has 1 field, 2 expected"},
        BadFile{"a tab makes commas plain text", "1\t2\n3,4,5\n", "line 1 has 2 fields, 3 expected"},
        BadFile{"semicolons on the first line make commas plain text", "1;2;3\n4,5,6\n",
                "line 2 has 1 field, 3 expected"},
        BadFile{"unterminated quote", "1,0,1\n0,\"1,3\n", "line 2, field 2: a quote is opened and never closed"},
        BadFile{"501 lines", lines(501, row(502)), "the file has 501 lines, at most 500 equations are allowed"},
        BadFile{"10 MB single line", row(5'000'000), "line 1 has 5000000 fields, 2 expected"},
        BadFile{"10 MB single field", std::string(10'000'000, '7'), "line 1 has 1 field, 2 expected"},
        BadFile{"10 MB of commas", std::string(10'000'000, ','), "line 1 has 10000001 fields, 2 expected"},
        BadFile{"10 MB of line breaks", std::string(10'000'000, '\n'), "the file holds no equation"},
        BadFile{"a million short lines", lines(1'000'000, "1,2"),
                "the file has 1000000 lines, at most 500 equations are allowed"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(KalvorSolveProgram, ReadsStandardInputWithoutFileOrWithDash)
{
    ScratchFolder scratch;
    for (const std::vector<std::string>& args : {std::vector<std::string>{}, std::vector<std::string>{"-"}}) {
        const ProgramRun run = runProgram(Program, args, dataPath("n2-worked.tsv"), scratch);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, Worked);
    }
    const ProgramRun empty = runProgram(Program, {}, "/dev/null", scratch);
    EXPECT_EQ(empty.status, 1);
    EXPECT_EQ(empty.err, "kalvor1-solve: standard input: the file holds no equation\n");
}

#if !defined(KALVOR_ADDRESS_SANITIZER)
// An endless input ends in a message, not in a program that never stops or
// runs the memory out; with too little memory even for what it may read,
// the program says so.
TEST(KalvorSolveProgram, EndlessInputIsCutOff)
{
    ScratchFolder scratch;
    const ProgramRun endless = runProgram(Program, {}, "/dev/zero", scratch, {}, 512);
    EXPECT_EQ(endless.status, 1);
    EXPECT_EQ(endless.err, "kalvor1-solve: standard input: larger than 256 MiB, more than any system file needs\n");
    const ProgramRun starved = runProgram(Program, {"/dev/zero"}, "/dev/null", scratch, {}, 128);
    EXPECT_EQ(starved.status, 1);
    EXPECT_EQ(starved.err, "kalvor1-solve: out of memory\n");
}
#endif

TEST(KalvorSolveProgram, FullOutputFailsWithoutClaimingSuccess)
{
    ScratchFolder scratch;
    const ProgramRun run = runProgram(Program, {dataPath("n2-worked.tsv")}, "/dev/null", scratch, "/dev/full");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kalvor1-solve: cannot write the result: No space left on device\n");
}

// --numbers and the default texts describe the same values: each number
// reads back to a double whose window text is the default line.
TEST(KalvorSolveProgram, NumbersReadBackToTheShownTexts)
{
    ScratchFolder scratch;
    for (const char* file : {"n2-worked.tsv", "n2-near-singular.csv", "n1-imaginary.csv"}) {
        const ProgramRun texts = runProgram(Program, {dataPath(file)}, "/dev/null", scratch);
        const ProgramRun numbers = runProgram(Program, {"--numbers", dataPath(file)}, "/dev/null", scratch);
        ASSERT_EQ(numbers.status, 0) << file;
        std::string rebuilt;
        std::size_t at = 0;
        while (at < numbers.out.size()) {
            const std::size_t tab = numbers.out.find('\t', at);
            const std::size_t end = numbers.out.find('\n', at);
            ASSERT_LT(tab, end) << file;
            double re = 0, im = 0;
            const char* text = numbers.out.data();
            ASSERT_EQ(std::from_chars(text + at, text + tab, re).ptr, text + tab) << file;
            ASSERT_EQ(std::from_chars(text + tab + 1, text + end, im).ptr, text + end) << file;
            EXPECT_EQ(shortestText(re) + '\t' + shortestText(im), numbers.out.substr(at, end - at)) << file;
            rebuilt += resultText(re, im) + "\n";
            at = end + 1;
        }
        EXPECT_EQ(rebuilt, texts.out) << file;
    }
}

// The largest system: 500 lines of 501 fields, solved with one text per
// unknown.
TEST(KalvorSolveProgram, SolvesFiveHundredUnknowns)
{
    ScratchFolder scratch;
    std::string bytes;
    for (int i = 0; i < 500; ++i) {
        for (int j = 0; j < 500; ++j)
            bytes += (i == j ? "2" : j == i + 1 ? "i" : "") + std::string(1, '\t');
        bytes += "4+2i\n";
    }
    const std::string file = scratch.write("big.tsv", bytes);
    const ProgramRun run = runProgram(Program, {file}, "/dev/null", scratch);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    ASSERT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 500);
    // The last equation is 2 X500 = 4 + 2i.
    EXPECT_EQ(run.out.substr(run.out.rfind('\n', run.out.size() - 2) + 1), " 2.0000 + 1.0000i\n");
}

}  // namespace
}  // namespace kalvor
