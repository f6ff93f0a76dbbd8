#include "cli/resultwriter.h"

#include <cmath>
#include <cstdio>

#include "core/messages.h"
#include "core/numberformat.h"
#include "core/polar.h"

namespace kalvor {

namespace {

std::string count(std::size_t value)
{
    return std::to_string(value);
}

std::string_view outcomeName(SolveOutcome outcome)
{
    switch (outcome) {
    case SolveOutcome::Solved:
        return "solved";
    case SolveOutcome::NoUniqueSolution:
        return "no-unique-solution";
    case SolveOutcome::DataError:
        return "data-error";
    }
    return "data-error";
}

// "magnitude<TAB>degrees" of re + im i. Both parts near the largest double
// give a magnitude no double holds: shortestText takes finite values only,
// and "inf" is what strtod, Python and spreadsheets read as that.
std::string polarNumbers(double re, double im)
{
    const Polar p = polarOf(re, im);
    return (std::isinf(p.magnitude) ? std::string("inf") : shortestText(p.magnitude)) + '\t' + shortestText(p.degrees);
}

std::string_view verdictName(CheckVerdict verdict)
{
    switch (verdict) {
    case CheckVerdict::Correct:
        return "correct";
    case CheckVerdict::Inaccurate:
        return "inaccurate";
    case CheckVerdict::Unreliable:
        return "unreliable";
    }
    return "unreliable";
}

// The check as a JSON object. A condition beyond every double (a matrix
// singular in working precision) has no JSON number: it is written null.
std::string checkJson(const SolutionCheck& check)
{
    std::string out = "{\"verdict\": \"";
    out += verdictName(check.verdict);
    out += "\", \"condition\": ";
    out += std::isfinite(check.condition) ? shortestText(check.condition) : std::string("null");
    out += ", \"unknowns\": [";
    for (std::size_t k = 0; k < check.unknowns.size(); ++k) {
        const UnknownCheck& u = check.unknowns[k];
        out += k == 0 ? "\n  " : ",\n  ";
        out += "{\"correct\": ";
        out += !u.correct ? "null" : *u.correct ? "true" : "false";
        out += ", \"re\": " + shortestText(u.re) + ", \"im\": " + shortestText(u.im)
            + ", \"text\": " + jsonString(resultText(u.re, u.im)) + "}";
    }
    out += "\n]}";
    return out;
}

std::string writeJson(const SystemRun& run)
{
    std::string out = "{\"n\": " + count(run.unknowns) + ", \"outcome\": \"";
    out += outcomeName(run.outcome);
    out += '"';
    if (run.outcome == SolveOutcome::Solved) {
        out += ", \"solution\": [";
        for (std::size_t k = 0; k < run.texts.size(); ++k) {
            out += k == 0 ? "\n  " : ",\n  ";
            // shortestText writes "1E+300" and "-0", both JSON numbers.
            out += "{\"re\": " + shortestText(run.re[k]) + ", \"im\": " + shortestText(run.im[k]) + ", \"text\": "
                + jsonString(run.texts[k]) + ", \"polar\": " + jsonString(polarText(run.re[k], run.im[k])) + "}";
        }
        out += "\n]";
        if (run.check)
            out += ", \"check\": " + checkJson(*run.check);
    } else if (run.outcome == SolveOutcome::DataError) {
        // The window's message word for word, so a script can show it.
        out += ", \"message\": " + jsonString(DataErrorMessage);
        if (run.cellLine != 0) {
            out += ", \"cell\": {\"line\": " + count(run.cellLine) + ", \"field\": " + count(run.cellField);
            if (!run.cellReason.empty())
                out += ", \"reason\": " + jsonString(run.cellReason);
            out += "}";
        }
    }
    // Left out when nothing was dropped, so such a run's object is as before.
    if (!run.dropped.empty()) {
        out += ", \"dropped\": [";
        for (std::size_t k = 0; k < run.dropped.size(); ++k) {
            const DroppedField& d = run.dropped[k];
            out += k == 0 ? "\n  " : ",\n  ";
            out += "{\"line\": " + count(d.line) + ", \"field\": " + count(d.field)
                + ", \"text\": " + jsonString(d.text) + ", \"dropped\": " + jsonString(d.reading.dropped) + "}";
        }
        out += "\n]";
    }
    // Parameters and unit-first cells likewise only when there are some.
    if (!run.file.parameters.empty()) {
        out += ", \"parameters\": [";
        for (std::size_t k = 0; k < run.file.parameters.size(); ++k) {
            const Parameter& p = run.file.parameters[k];
            const bool ok = run.parameters.errors[k].empty();
            out += k == 0 ? "\n  " : ",\n  ";
            out += "{\"name\": " + jsonString(p.name) + ", \"formula\": " + jsonString(p.formula) + ", \"re\": "
                + (ok ? shortestText(run.parameters.values[k].real()) : "null")
                + ", \"im\": " + (ok ? shortestText(run.parameters.values[k].imag()) : "null");
            if (!ok)
                out += ", \"error\": " + jsonString(run.parameters.errors[k]);
            out += "}";
        }
        out += "\n]";
    }
    if (!run.unitFirst.empty()) {
        out += ", \"unit_first\": [";
        for (std::size_t k = 0; k < run.unitFirst.size(); ++k) {
            const UnitFirstField& u = run.unitFirst[k];
            out += k == 0 ? "\n  " : ",\n  ";
            out += "{\"line\": " + count(u.line) + ", \"field\": " + count(u.field) + ", \"text\": " + jsonString(u.text)
                + "}";
        }
        out += "\n]";
    }
    out += "}\n";
    return out;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// `text` with the unit at `unit` moved behind the number that follows it
// (digits with a point, an optional exponent), the unit written `as`.
std::string unitMovedAfter(std::string_view text, std::size_t unit, char as)
{
    const auto digit = [&text](std::size_t k) { return k < text.size() && text[k] >= '0' && text[k] <= '9'; };
    std::size_t end = unit + 1;
    while (digit(end) || (end < text.size() && text[end] == '.'))
        ++end;
    if (end < text.size() && (text[end] == 'E' || text[end] == 'e')) {
        std::size_t e = end + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-'))
            ++e;
        if (digit(e)) {
            while (digit(e))
                ++e;
            end = e;
        }
    }
    std::string out(text.substr(0, unit));
    out += text.substr(unit + 1, end - unit - 1);
    out += as;
    out += text.substr(end);
    return std::string(trimmed(out));
}

}  // namespace

std::string writeResult(const SystemRun& run, Options::Output output)
{
    if (output == Options::Output::Json)
        return writeJson(run);
    std::string out;
    if (run.outcome != SolveOutcome::Solved)
        return out;
    for (std::size_t k = 0; k < run.texts.size(); ++k) {
        switch (output) {
        case Options::Output::Numbers:
            out += shortestText(run.re[k]) + '\t' + shortestText(run.im[k]);
            break;
        case Options::Output::PolarTexts:
            out += polarText(run.re[k], run.im[k]);
            break;
        case Options::Output::PolarNumbers:
            out += polarNumbers(run.re[k], run.im[k]);
            break;
        case Options::Output::Texts:
        case Options::Output::Json:  // written above
            out += run.texts[k];
            break;
        }
        out += '\n';
    }
    return out;
}

std::string failureMessage(const SystemRun& run)
{
    switch (run.outcome) {
    case SolveOutcome::Solved:
        return {};
    case SolveOutcome::NoUniqueSolution:
        return std::string(NoUniqueSolutionMessage);
    case SolveOutcome::DataError:
        break;
    }
    std::string message(DataErrorMessage);
    if (run.cellLine != 0)
        message += "; line " + count(run.cellLine) + ", field " + count(run.cellField) + ": "
            + (!run.cellReason.empty() ? run.cellReason
               : run.cellBeyondRange   ? std::string("beyond the number range")
                                       : std::string("not a number"));
    return message;
}

std::vector<std::string> droppedWarnings(const SystemRun& run)
{
    std::vector<std::string> lines;
    for (const DroppedField& d : run.dropped) {
        // The exact values read, as --numbers writes them.
        const std::string im = shortestText(d.reading.im);
        lines.push_back("warning: line " + count(d.line) + ", field " + count(d.field) + ": " + jsonString(d.text)
                        + " is read as " + shortestText(d.reading.re) + (im.front() == '-' ? "" : "+") + im
                        + "i, dropping " + jsonString(d.reading.dropped));
    }
    return lines;
}

std::vector<std::string> unitFirstWarnings(const SystemRun& run)
{
    std::vector<std::string> lines;
    for (const UnitFirstField& u : run.unitFirst) {
        const std::string im = shortestText(u.im);
        lines.push_back("warning: line " + count(u.line) + ", field " + count(u.field) + ": " + jsonString(u.text)
                        + " is read as " + shortestText(u.re) + (im.front() == '-' ? "" : "+") + im + "i; for "
                        + unitMovedAfter(u.text, u.unit, 'i') + " write " + unitMovedAfter(u.text, u.unit, u.text[u.unit])
                        + " or =" + std::string(trimmed(u.text)));
    }
    return lines;
}

std::vector<std::string> parameterWarnings(const SystemRun& run)
{
    std::vector<std::string> lines;
    for (std::size_t k = 0; k < run.parameters.errors.size(); ++k) {
        if (run.parameters.errors[k].empty())
            continue;
        const std::size_t line = run.file.parameterLines[k];
        lines.push_back("warning: " + (line == 0 ? std::string("--set ") : "line " + count(line) + ", ")
                        + "parameter " + run.parameters.names[k] + ": " + run.parameters.errors[k]);
    }
    return lines;
}

std::vector<std::string> checkWarnings(const SystemRun& run)
{
    std::vector<std::string> lines;
    if (!run.check)
        return lines;
    const SolutionCheck& check = *run.check;
    if (check.verdict == CheckVerdict::Unreliable) {
        const std::string condition
            = std::isfinite(check.condition) ? formatScientific(check.condition) : std::string("infinite");
        lines.push_back("warning: nearly singular (condition estimate " + condition
                        + "): the digits of the solution are unreliable");
        return lines;
    }
    for (std::size_t k = 0; k < check.unknowns.size(); ++k) {
        const UnknownCheck& u = check.unknowns[k];
        if (u.correct == false)
            lines.push_back("warning: X" + count(k + 1) + " has wrong digits; its accurate value is "
                            + jsonString(resultText(u.re, u.im)));
    }
    return lines;
}

std::string jsonString(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (byte < 0x20 || byte == 0x7f) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(byte));
            out += escape;
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

}  // namespace kalvor
