// kalvor1-solve: solves one system file as the equation window would and
// writes the unknowns to standard output. Exit status 0 solved, 1 the file or
// the call is wrong, 2 no unique solution, 3 a data error, and with --strict
// 4 solved, but the reading dropped typed text, a unit stood before a number
// or the check did not find every shown digit right.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "cli/inputfile.h"
#include "cli/options.h"
#include "cli/resultwriter.h"
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
                                      "  --set NAME=FORMULA\n"
                                      "              give parameter NAME this formula (replacing or adding;\n"
                                      "              repeatable)\n"
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
                                      "(pivoted LU, refined in extended precision): standard error gets one\n"
                                      "warning line per unknown whose shown text is not the exact solution's\n"
                                      "(with the accurate text), or one line when the system is too nearly\n"
                                      "singular for the digits to be vouched for (with the condition estimate).\n"
                                      "--json gives the check under \"check\": \"verdict\" (correct, inaccurate\n"
                                      "or unreliable), \"condition\" (null when infinite) and per unknown\n"
                                      "\"correct\" (true, false, or null when unreliable), \"re\", \"im\", \"text\".\n"
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
    const kalvor::SystemRun result = kalvor::runSystem(*bytes, options.set);
    if (!result.fileOk()) {
        const std::string where = options.file == "-" ? "standard input" : options.file;
        complain(where + ": " + kalvor::describeProblem(result.file));
        return Failed;
    }
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
