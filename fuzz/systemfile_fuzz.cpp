// Fuzz target: any bytes as a system file, through the whole path of
// kalvor1-solve: readSystemFile, the run of the system as the window reads
// its tables, and every output form. A file is accepted only with N lines of
// N + 1 fields (checked against a plain line-and-separator split for files
// without quotes, and by writing the rows back and reading them again for
// all others), and each outcome's output has its shape.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/resultwriter.h"
#include "cli/systemrun.h"
#include "core/systemfile.h"
#include "core/tabletext.h"
#include "fuzz/fuzzcheck.h"

namespace kalvor {
namespace {

using Rows = std::vector<std::vector<std::string>>;

bool wellFormedUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t len = b < 0x80 ? 1
            : b >= 0xC2 && b <= 0xDF     ? 2
            : b >= 0xE0 && b <= 0xEF     ? 3
            : b >= 0xF0 && b <= 0xF4     ? 4
                                         : 0;
        if (len == 0 || i + len > s.size())
            return false;
        for (std::size_t c = 1; c < len; ++c)
            if ((static_cast<unsigned char>(s[i + c]) & 0xC0) != 0x80)
                return false;
        const auto b1 = len > 1 ? static_cast<unsigned char>(s[i + 1]) : 0;
        if ((b == 0xE0 && b1 < 0xA0) || (b == 0xED && b1 >= 0xA0) || (b == 0xF0 && b1 < 0x90)
            || (b == 0xF4 && b1 >= 0x90))
            return false;
        i += len;
    }
    return true;
}

// "name = formula" with no tab, comma, semicolon or quote on the line.
bool parameterLike(std::string_view line)
{
    if (line.find_first_of("\t,;\"") != std::string_view::npos)
        return false;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return false;
    std::string_view name = line.substr(0, eq);
    while (!name.empty() && name.front() == ' ')
        name.remove_prefix(1);
    while (!name.empty() && name.back() == ' ')
        name.remove_suffix(1);
    const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (name.empty() || !letter(name.front()))
        return false;
    for (const char c : name)
        if (!letter(c) && !(c >= '0' && c <= '9') && c != '_')
            return false;
    return true;
}

// A file without quotes, split the plain way: lines at CR LF, LF or CR;
// comment lines ("#" first) dropped, and before the equations parameter
// lines and the blank lines after one of those or a comment; blank lines at
// the end dropped; fields at the separator (a tab anywhere, else a semicolon
// on the first line, else a comma). Nothing when it is not N lines of N + 1
// fields with 1 <= N <= 500.
std::optional<Rows> plainSplit(std::string_view text)
{
    std::vector<std::string_view> all;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n' && text[i] != '\r')
            continue;
        all.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        all.push_back(text.substr(start));
    std::size_t first = 0;
    for (; first < all.size(); ++first) {
        const bool blank = all[first].find_first_not_of(' ') == std::string_view::npos;
        if (blank && first == 0)
            break;
        if (!(blank || all[first].starts_with('#') || parameterLike(all[first])))
            break;
    }
    std::vector<std::string_view> lines;
    for (std::size_t k = first; k < all.size(); ++k)
        if (!all[k].starts_with('#'))
            lines.push_back(all[k]);
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    char separator = ',';
    for (const std::string_view line : lines)
        if (line.find('\t') != std::string_view::npos)
            separator = '\t';
    if (separator != '\t' && !lines.empty() && lines.front().find(';') != std::string_view::npos)
        separator = ';';
    const std::size_t n = lines.size();
    if (n < 1 || n > MaxUnknowns)
        return std::nullopt;
    Rows rows;
    for (const std::string_view line : lines) {
        std::vector<std::string> fields;
        std::size_t from = 0;
        for (std::size_t at = 0; at <= line.size(); ++at)
            if (at == line.size() || line[at] == separator) {
                fields.emplace_back(line.substr(from, at - from));
                from = at + 1;
            }
        if (fields.size() != n + 1)
            return std::nullopt;
        rows.push_back(std::move(fields));
    }
    return rows;
}

void checkFile(const SystemFile& file, std::string_view input)
{
    std::string_view text = input;
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    const bool ok = file.problem == SystemFileProblem::None;
    fuzzCheck(ok == describeProblem(file).empty(), "a problem without a description, or the other way", input);
    if (!wellFormedUtf8(text))
        fuzzCheck(file.problem == SystemFileProblem::NotUtf8, "bytes that are not UTF-8 were accepted", input);
    if (text.find('"') == std::string_view::npos && wellFormedUtf8(text)) {
        const std::optional<Rows> plain = plainSplit(text);
        fuzzCheck(ok == plain.has_value(), "accepted unlike a plain split of an unquoted file", input);
        if (ok)
            fuzzCheck(file.rows == *plain, "rows differ from a plain split of an unquoted file", input);
    }
    if (!ok) {
        fuzzCheck(file.rows.empty() && file.lines.empty(), "rows given with a problem", input);
        return;
    }
    const std::size_t n = file.unknowns();
    fuzzCheck(n >= 1 && n <= MaxUnknowns, "accepted an unknown count out of range", input);
    fuzzCheck(file.lines.size() == n, "one line number per equation", input);
    for (std::size_t i = 0; i < n; ++i) {
        fuzzCheck(file.rows[i].size() == n + 1, "an accepted line without N + 1 fields", input);
        fuzzCheck(file.lines[i] >= 1 && (i == 0 || file.lines[i] > file.lines[i - 1]), "line numbers do not rise",
                  input);
    }
    // Written back as a tab file, the parameters and rows read again as they
    // are. A byte-order mark goes first, so that a first field that starts
    // with one keeps it.
    const SystemFile again = readSystemFile("\xEF\xBB\xBF" + writeSystemFile(file.parameters, file.rows, '\t'));
    fuzzCheck(again.problem == SystemFileProblem::None && again.rows == file.rows,
              "rows written back do not read again as the same rows", input);
    fuzzCheck(again.parameters.size() == file.parameters.size(), "parameters written back do not read again", input);
    for (std::size_t k = 0; k < again.parameters.size() && k < file.parameters.size(); ++k)
        fuzzCheck(again.parameters[k].name == file.parameters[k].name
                      && again.parameters[k].formula == file.parameters[k].formula,
                  "a parameter written back does not read again as itself", input);
}

void checkRun(const SystemRun& run, std::string_view input)
{
    if (!run.fileOk())
        return;
    const std::size_t n = run.unknowns;
    const std::string texts = writeResult(run, Options::Output::Texts);
    const std::string numbers = writeResult(run, Options::Output::Numbers);
    const std::string json = writeResult(run, Options::Output::Json);
    const std::string polar
        = writeResult(run, Options::Output::PolarTexts) + writeResult(run, Options::Output::PolarNumbers);
    fuzzCheck(json.front() == '{' && json.substr(json.size() - 2) == "}\n", "JSON is not one object", input);
    fuzzCheck((json.find(", \"dropped\": [") != std::string::npos) == !run.dropped.empty(),
              "JSON lists dropped text unlike the run", input);
    fuzzCheck(droppedWarnings(run).size() == run.dropped.size(), "not one warning per cell that dropped text", input);
    for (std::size_t k = 0; k < run.dropped.size(); ++k) {
        const DroppedField& d = run.dropped[k];
        fuzzCheck(d.field >= 1 && d.field <= n + 1 && !d.reading.dropped.empty(), "a dropped cell out of place", input);
        fuzzCheck(k == 0
                      || std::make_pair(run.dropped[k - 1].field, run.dropped[k - 1].line)
                          < std::make_pair(d.field, d.line),
                  "dropped cells out of the window's order", input);
    }
    if (run.outcome != SolveOutcome::Solved) {
        fuzzCheck(texts.empty() && numbers.empty() && polar.empty(), "output without a solution", input);
        fuzzCheck(!failureMessage(run).empty(), "a failure without a message", input);
        fuzzCheck(run.outcome == SolveOutcome::DataError || run.cellLine == 0, "a cell named without a data error",
                  input);
        if (run.cellLine != 0) {
            bool known = false;
            for (const std::size_t line : run.file.lines)
                known = known || line == run.cellLine;
            fuzzCheck(known && run.cellField >= 1 && run.cellField <= n + 1, "the named cell is not in the file",
                      input);
        }
        return;
    }
    fuzzCheck(run.re.size() == n && run.im.size() == n && run.texts.size() == n, "not one value per unknown", input);
    std::size_t lines = 0;
    for (const char c : texts)
        lines += c == '\n';
    fuzzCheck(lines == n, "not one text line per unknown", input);
    fuzzCheck(static_cast<std::size_t>(std::count(polar.begin(), polar.end(), '\n')) == 2 * n,
              "not one polar line of each kind per unknown", input);
    for (std::size_t k = 0; k < n; ++k) {
        fuzzCheck(std::isfinite(run.re[k]) && std::isfinite(run.im[k]), "a solution beyond the number range", input);
        fuzzCheck(run.texts[k].size() > 2 && run.texts[k].front() == ' ' && run.texts[k].back() == 'i',
                  "a solution text without its leading blank or unit", input);
    }
    fuzzCheck(failureMessage(run).empty(), "a message with a solution", input);
}

}  // namespace
}  // namespace kalvor

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kalvor;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const SystemFile file = readSystemFile(input);
    kalvor::checkFile(file, input);
    kalvor::checkRun(runSystem(input), input);
    return 0;
}
