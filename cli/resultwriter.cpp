#include "cli/resultwriter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
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

// The check as a JSON object. A condition beyond every double (a matrix
// singular in working precision) has no JSON number: it is written null.
Json checkJson(const SolutionCheck& check)
{
    Json out = Json::object();
    out["verdict"] = verdictWord(check.verdict);
    out["condition"] = std::isfinite(check.condition) ? Json(check.condition) : Json(nullptr);
    Json unknowns = Json::array();
    for (const UnknownCheck& u : check.unknowns)
        unknowns.push_back(
            {{"correct", u.correct ? Json(*u.correct) : Json(nullptr)}, {"re", u.re}, {"im", u.im}, {"text", resultText(u.re, u.im)}});
    out["unknowns"] = std::move(unknowns);
    return out;
}

Json runJson(const SystemRun& run)
{
    Json out = Json::object();
    out["n"] = run.unknowns;
    out["outcome"] = std::string(outcomeName(run.outcome));
    if (run.outcome == SolveOutcome::Solved) {
        Json solution = Json::array();
        for (std::size_t k = 0; k < run.texts.size(); ++k)
            solution.push_back({{"re", run.re[k]},
                                {"im", run.im[k]},
                                {"text", run.texts[k]},
                                {"polar", polarText(run.re[k], run.im[k])}});
        out["solution"] = std::move(solution);
        if (run.check)
            out["check"] = checkJson(*run.check);
    } else if (run.outcome == SolveOutcome::DataError) {
        // The window's message word for word, so a script can show it.
        out["message"] = std::string(DataErrorMessage);
        if (run.cellLine != 0) {
            out["cell"] = {{"line", run.cellLine}, {"field", run.cellField}};
            if (!run.cellReason.empty())
                out["cell"]["reason"] = run.cellReason;
        }
    }
    // Left out when nothing was dropped, so such a run's object is as before.
    if (!run.dropped.empty()) {
        Json dropped = Json::array();
        for (const DroppedField& d : run.dropped)
            dropped.push_back({{"line", d.line}, {"field", d.field}, {"text", d.text}, {"dropped", d.reading.dropped}});
        out["dropped"] = std::move(dropped);
    }
    // Parameters and unit-first cells likewise only when there are some.
    if (!run.file.parameters.empty()) {
        Json parameters = Json::array();
        for (std::size_t k = 0; k < run.file.parameters.size(); ++k) {
            const Parameter& p = run.file.parameters[k];
            const bool ok = run.parameters.errors[k].empty();
            Json entry = {{"name", p.name},
                          {"formula", p.formula},
                          {"re", ok ? Json(run.parameters.values[k].real()) : Json(nullptr)},
                          {"im", ok ? Json(run.parameters.values[k].imag()) : Json(nullptr)}};
            if (!ok)
                entry["error"] = run.parameters.errors[k];
            parameters.push_back(std::move(entry));
        }
        out["parameters"] = std::move(parameters);
    }
    if (!run.unitFirst.empty()) {
        Json unitFirst = Json::array();
        for (const UnitFirstField& u : run.unitFirst)
            unitFirst.push_back({{"line", u.line}, {"field", u.field}, {"text", u.text}});
        out["unit_first"] = std::move(unitFirst);
    }
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
        return jsonText(runJson(run)) + '\n';
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

namespace {

void appendJson(std::string& out, const Json& value, std::size_t depth)
{
    switch (value.type()) {
    case Json::value_t::object: {
        out += '{';
        bool first = true;
        for (const auto& [key, member] : value.items()) {
            out += first ? "" : ", ";
            first = false;
            out += jsonString(key);
            out += ": ";
            appendJson(out, member, depth);
        }
        out += '}';
        return;
    }
    case Json::value_t::array: {
        const bool scalars = std::none_of(value.begin(), value.end(), [](const Json& element) {
            return element.is_structured();
        });
        const std::string indent(2 * depth, ' ');
        const std::string inner(2 * (depth + 1), ' ');
        out += '[';
        bool first = true;
        for (const Json& element : value) {
            if (scalars) {
                out += first ? "" : ", ";
            } else {
                out += first ? "\n" : ",\n";
                out += inner;
            }
            first = false;
            appendJson(out, element, depth + 1);
        }
        if (!scalars && !value.empty())
            out += "\n" + indent;
        out += ']';
        return;
    }
    case Json::value_t::string:
        out += jsonString(value.get_ref<const std::string&>());
        return;
    case Json::value_t::boolean:
        out += value.get<bool>() ? "true" : "false";
        return;
    case Json::value_t::number_integer:
        out += std::to_string(value.get<std::int64_t>());
        return;
    case Json::value_t::number_unsigned:
        out += std::to_string(value.get<std::uint64_t>());
        return;
    case Json::value_t::number_float: {
        // shortestText writes "1E+300" and "-0", both JSON numbers; a value
        // that is not finite has none.
        const double number = value.get<double>();
        out += std::isfinite(number) ? shortestText(number) : std::string("null");
        return;
    }
    case Json::value_t::null:
    case Json::value_t::binary:
    case Json::value_t::discarded:
        break;
    }
    out += "null";
}

}  // namespace

std::string jsonText(const Json& value, std::size_t depth)
{
    std::string out;
    appendJson(out, value, depth);
    return out;
}

}  // namespace kalvor
