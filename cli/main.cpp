// kalvor1-solve: solves one system file as the equation window would and
// writes the unknowns to standard output. Exit status 0 solved, 1 the file or
// the call is wrong, 2 no unique solution, 3 a data error, and with --strict
// 4 solved, but the reading dropped typed text, a unit stood before a number
// or the check did not find every shown digit right. With --sweep, the
// system solved at many values of a parameter, one table row per value: 2 or
// 3 is then the status of the first point that failed.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cli/inputfile.h"
#include "cli/options.h"
#include "cli/resultwriter.h"
#include "cli/sweeprun.h"
#include "cli/systemrun.h"

namespace {

constexpr int Solved = 0;
constexpr int Failed = 1;
constexpr int NoUniqueSolution = 2;
constexpr int DataError = 3;
constexpr int Doubtful = 4;

constexpr std::string_view HelpText = "Usage: kalvor1-solve [OPTIONS] [FILE]\n"
                                      "Solves the N complex linear equations of a system file (standard input when\n"
                                      "FILE is missing or -) and writes the unknowns X1..XN, one line each.\n"
                                      "\n"
                                      "The file holds one equation per line: N coefficient cells and the constant,\n"
                                      "separated by tabs; in a file without a tab, by semicolons when the first\n"
                                      "line has one outside quotes, else by commas. Each cell is written as in\n"
                                      "the equation window (3+4i, -2j, 0.5, empty for 0). N is 1 to 500.\n"
                                      "A phasor cell (10<20, 10@20, 10 \u2220 20\u00b0: magnitude and angle in\n"
                                      "degrees, or in radians with rad or r after it) is read as its rectangular\n"
                                      "value, as the equation window reads a pasted one.\n"
                                      "\n"
                                      "A cell starting with = is a formula: numbers with SI prefixes (2.2k, 10m,\n"
                                      "4.7u), i or j after or before a number (5j, j5) or alone, + - * / ^, ( ),\n"
                                      "|| (parallel), phasors (10<90, 10<1.2rad), pi, e, sqrt exp ln log10 abs\n"
                                      "arg conj re im sin cos tan, and parameter names. Before the equations a\n"
                                      "file may give parameters, one \"name = formula\" line each; a line\n"
                                      "starting with # is a comment. A refused plain cell is read as an\n"
                                      "engineering number when it is one (2.2k, 1k-j5, 1E-3j).\n"
                                      "\n"
                                      "Options:\n"
                                      "  --numbers   write \"re<TAB>im\" with the shortest exact decimal numbers\n"
                                      "  --polar     write each unknown as a phasor, \"5.0000 \u2220 53.13\u00b0\";\n"
                                      "              with --numbers \"magnitude<TAB>angle in degrees\" (a\n"
                                      "              magnitude beyond the largest double is written inf)\n"
                                      "  --json      write one JSON object with the outcome and the solution\n"
                                      "              (each unknown's text and polar text, and the check below;\n"
                                      "              --polar changes nothing)\n"
                                      "  --strict    end in status 4 when a solved system's reading dropped text,\n"
                                      "              a cell has a unit before a number, or its check is not\n"
                                      "              \"correct\"\n"
                                      "  --accurate  write the check's accurate values (below) in place of the\n"
                                      "              solution, in the form the other options choose; when the\n"
                                      "              digits are unreliable the solution itself, with its warning\n"
                                      "  --set NAME=FORMULA\n"
                                      "              give parameter NAME this formula (replacing or adding;\n"
                                      "              repeatable)\n"
                                      "  --sweep NAME=FROM:TO:POINTS[:log]\n"
                                      "              solve the system at POINTS values of parameter NAME, from\n"
                                      "              FROM to TO (formulas: 10, 100k, 2*f0), evenly spaced, or\n"
                                      "              in equal ratios with :log (both ends above zero); POINTS\n"
                                      "              2 to 100000; the points run on every processor core\n"
                                      "  --help      show this help and exit\n"
                                      "  --version   show the version and exit\n"
                                      "\n"
                                      "A cell whose reading drops typed text (\"2+1E-3j\" is read as 2-3i: the\n"
                                      "text between its first and last sign is dropped) gets one warning line on\n"
                                      "standard error; --json lists such cells under \"dropped\" instead. So\n"
                                      "does a cell with a unit before a number (\"j5\" is read as 5+1i), under\n"
                                      "\"unit_first\"; --json lists the parameters under \"parameters\".\n"
                                      "\n"
                                      "Every solution is checked against an accurate solve of the numbers read\n"
                                      "(pivoted LU, refined in extended precision, and exact arithmetic where\n"
                                      "that leaves a digit open): standard error gets one warning line per\n"
                                      "unknown whose shown text is not the exact solution's (with the accurate\n"
                                      "text), or one line when the system is too nearly singular for the\n"
                                      "digits to be vouched for (with the condition estimate).\n"
                                      "--json gives the check under \"check\": \"verdict\" (correct, inaccurate\n"
                                      "or unreliable), \"condition\" (null when infinite) and per unknown\n"
                                      "\"correct\" (true, false, or null when unreliable), \"re\", \"im\", \"text\".\n"
                                      "\n"
                                      "With --sweep, standard output is a table with a header line,\n"
                                      "NAME<TAB>X1 re<TAB>X1 im<TAB>...<TAB>XN re<TAB>XN im<TAB>check, and one\n"
                                      "line per point, written as soon as it and every point before it are\n"
                                      "solved: the value and each part as shortest exact numbers and the check\n"
                                      "(correct, inaccurate, unreliable), or for a failed point empty parts and\n"
                                      "\"no unique solution\" or \"data error: \" with the cell and the reason.\n"
                                      "--json gives {\"parameter\", \"points\": [{\"value\", \"outcome\",\n"
                                      "\"solution\": [{\"re\", \"im\", \"text\"}], \"check\": {\"verdict\"}}]}, a\n"
                                      "data error's point with its \"problem\". The exit status is 0 when every\n"
                                      "point solved, else that of the first failed point (2 or 3); --strict\n"
                                      "gives 4 when all solved but some check is not correct.\n"
                                      "\n"
                                      "Exit status: 0 solved, 1 a wrong file or call, 2 no unique solution,\n"
                                      "3 a cell that is not a number (or a formula without a value, with the\n"
                                      "reason) or a value beyond the number range, 4 (with --strict) solved, but\n"
                                      "the reading dropped text, a unit stood before a number or the check is\n"
                                      "not correct.\n";

void complain(std::string_view message)
{
    std::fprintf(stderr, "kalvor1-solve: %.*s\n", static_cast<int>(message.size()), message.data());
}

// Writes all of `text` to standard output; false (with a message) when the
// output cannot take it.
bool emit(std::string_view text)
{
    errno = 0;
    const std::size_t written = std::fwrite(text.data(), 1, text.size(), stdout);
    if (written != text.size() || std::fflush(stdout) != 0 || std::ferror(stdout)) {
        complain(std::string("cannot write the result: ") + std::strerror(errno != 0 ? errno : EIO));
        return false;
    }
    return true;
}

// The standard output could not take the sweep's next piece.
struct OutputFailed {};

int runSweepCall(const kalvor::Options& options, std::string_view bytes)
{
    kalvor::SystemFile file = kalvor::readSystemFile(bytes);
    if (file.problem != kalvor::SystemFileProblem::None) {
        const std::string where = options.file == "-" ? "standard input" : options.file;
        complain(where + ": " + kalvor::describeProblem(file));
        return Failed;
    }
    // --set adds a parameter or replaces one's formula, as for one solve.
    for (const kalvor::Parameter& set : options.set) {
        const auto same = std::find_if(file.parameters.begin(), file.parameters.end(),
                                       [&](const kalvor::Parameter& p) { return p.name == set.name; });
        if (same != file.parameters.end())
            same->formula = set.formula;
        else
            file.parameters.push_back(set);
    }
    // As the window takes an opened file.
    kalvor::convertPolarFields(file.rows);
    const auto plan = kalvor::planSweep(*options.sweep, file.rows, file.parameters);
    if (const auto* problem = std::get_if<std::string>(&plan)) {
        complain(*problem);
        return Failed;
    }
    bool allCorrect = true;
    kalvor::SolveOutcome first = kalvor::SolveOutcome::Solved;
    try {
        first = kalvor::writeSweep(std::get<kalvor::SweepPlan>(plan), options.output == kalvor::Options::Output::Json,
                                   [](std::string_view piece) {
                                       if (!emit(piece))
                                           throw OutputFailed{};
                                   },
                                   allCorrect);
    } catch (const OutputFailed&) {
        return Failed;
    }
    switch (first) {
    case kalvor::SolveOutcome::Solved:
        return options.strict && !allCorrect ? Doubtful : Solved;
    case kalvor::SolveOutcome::NoUniqueSolution:
        return NoUniqueSolution;
    case kalvor::SolveOutcome::DataError:
        break;
    }
    return DataError;
}

int run(const std::vector<std::string>& args)
{
    const kalvor::Options options = kalvor::parseOptions(args);
    if (!options.error.empty()) {
        complain(options.error);
        return Failed;
    }
    if (options.help)
        return emit(HelpText) ? Solved : Failed;
    if (options.version)
        return emit("kalvor1-solve " KALVOR_VERSION "\n") ? Solved : Failed;

    std::string error;
    const auto bytes = kalvor::readInput(options.file, error);
    if (!bytes) {
        complain(error);
        return Failed;
    }
    if (options.sweep)
        return runSweepCall(options, *bytes);
    kalvor::SystemRun result = kalvor::runSystem(*bytes, options.set);
    if (!result.fileOk()) {
        const std::string where = options.file == "-" ? "standard input" : options.file;
        complain(where + ": " + kalvor::describeProblem(result.file));
        return Failed;
    }
    // The JSON object holds the accurate values anyway. An unreliable
    // verdict keeps the defined values, and its warning says why.
    if (options.accurate && options.output != kalvor::Options::Output::Json)
        kalvor::takeAccurateValues(result);
    // The whole output is made before the first byte is written, so a failure
    // never leaves half a result behind.
    const std::string output = kalvor::writeResult(result, options.output);
    if (!output.empty() && !emit(output))
        return Failed;
    // The JSON object lists the dropped text and the check itself.
    if (options.output != kalvor::Options::Output::Json) {
        for (const std::string& warning : kalvor::parameterWarnings(result))
            complain(warning);
        for (const std::string& warning : kalvor::droppedWarnings(result))
            complain(warning);
        for (const std::string& warning : kalvor::unitFirstWarnings(result))
            complain(warning);
        for (const std::string& warning : kalvor::checkWarnings(result))
            complain(warning);
    }
    switch (result.outcome) {
    case kalvor::SolveOutcome::Solved:
        // A failure keeps its own status below; --strict only questions a
        // solution.
        return options.strict && result.failsStrict() ? Doubtful : Solved;
    case kalvor::SolveOutcome::NoUniqueSolution:
        complain(kalvor::failureMessage(result));
        return NoUniqueSolution;
    case kalvor::SolveOutcome::DataError:
        break;
    }
    complain(kalvor::failureMessage(result));
    return DataError;
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        return run(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
    } catch (const std::bad_alloc&) {
        complain("out of memory");
    } catch (const std::exception& e) {
        complain(e.what());
    }
    return Failed;
}
