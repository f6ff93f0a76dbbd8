#include "cli/options.h"

#include <charconv>
#include <system_error>

namespace kalvor {

std::optional<SweepCall> parseSweepCall(std::string_view text, std::string& error)
{
    const std::string form = "--sweep takes NAME=FROM:TO:POINTS or NAME=FROM:TO:POINTS:log";
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos || equals == 0) {
        error = form;
        return std::nullopt;
    }
    SweepCall call;
    call.name = std::string(text.substr(0, equals));
    std::vector<std::string_view> fields;
    std::string_view rest = text.substr(equals + 1);
    for (std::size_t colon; (colon = rest.find(':')) != std::string_view::npos; rest.remove_prefix(colon + 1))
        fields.push_back(rest.substr(0, colon));
    fields.push_back(rest);
    if (fields.size() == 4) {
        if (fields[3] != "log") {
            error = form;
            return std::nullopt;
        }
        call.spacing = SweepSpacing::Logarithmic;
    } else if (fields.size() != 3) {
        error = form;
        return std::nullopt;
    }
    if (fields[0].empty() || fields[1].empty()) {
        error = form;
        return std::nullopt;
    }
    call.from = std::string(fields[0]);
    call.to = std::string(fields[1]);
    const std::string_view points = fields[2];
    const auto [end, ec] = std::from_chars(points.data(), points.data() + points.size(), call.points);
    if (points.empty() || end != points.data() + points.size()
        || (ec != std::errc() && ec != std::errc::result_out_of_range)) {
        error = "--sweep: POINTS must be a whole number, not '" + std::string(points) + "'";
        return std::nullopt;
    }
    if (ec == std::errc::result_out_of_range)
        call.points = MaxSweepPoints + 1;
    return call;
}

Options parseOptions(const std::vector<std::string>& args)
{
    Options options;
    bool numbers = false, json = false, polar = false, haveFile = false, onlyFiles = false;
    bool setNext = false;
    const auto takeSet = [&options](const std::string& value) {
        const std::size_t eq = value.find('=');
        std::string name = value.substr(0, eq);
        while (!name.empty() && name.back() == ' ')
            name.pop_back();
        if (eq == std::string::npos) {
            options.error = "--set needs NAME=FORMULA, not '" + value + "'";
            return false;
        }
        if (const std::string problem = parameterNameProblem(name); !problem.empty()) {
            options.error = "--set " + value + ": " + problem;
            return false;
        }
        options.set.push_back({name, value.substr(eq + 1)});
        return true;
    };
    for (std::size_t a = 0; a < args.size(); ++a) {
        const std::string& arg = args[a];
        const bool isOption = !onlyFiles && arg.size() > 1 && arg[0] == '-';
        if (setNext) {
            setNext = false;
            if (!takeSet(arg))
                return options;
        } else if (isOption && arg == "--set") {
            setNext = true;
        } else if (isOption && arg.starts_with("--set=")) {
            if (!takeSet(arg.substr(6)))
                return options;
        } else if (isOption && arg == "--") {
            onlyFiles = true;
        } else if (isOption && arg == "--numbers") {
            numbers = true;
        } else if (isOption && arg == "--json") {
            json = true;
        } else if (isOption && arg == "--polar") {
            polar = true;
        } else if (isOption && arg == "--sweep") {
            if (a + 1 == args.size()) {
                options.error = "--sweep needs NAME=FROM:TO:POINTS[:log]";
                return options;
            }
            options.sweep = parseSweepCall(args[++a], options.error);
            if (!options.sweep)
                return options;
        } else if (isOption && arg == "--strict") {
            options.strict = true;
        } else if (isOption && arg == "--accurate") {
            options.accurate = true;
        } else if (isOption && (arg == "--help" || arg == "-h")) {
            options.help = true;
        } else if (isOption && arg == "--version") {
            options.version = true;
        } else if (isOption) {
            options.error = "unknown option '" + arg + "' (kalvor1-solve --help lists the options)";
            return options;
        } else if (haveFile) {
            options.error = "more than one file given ('" + options.file + "' and '" + arg + "')";
            return options;
        } else {
            options.file = arg;
            haveFile = true;
        }
    }
    if (setNext) {
        options.error = "--set needs NAME=FORMULA";
        return options;
    }
    if (numbers && json) {
        options.error = "--numbers and --json cannot be used together";
        return options;
    }
    if (options.sweep && (numbers || polar)) {
        options.error = "--sweep writes numbers already: --numbers and --polar do not apply";
        return options;
    }
    if (json)
        options.output = Options::Output::Json;
    else if (numbers)
        options.output = polar ? Options::Output::PolarNumbers : Options::Output::Numbers;
    else
        options.output = polar ? Options::Output::PolarTexts : Options::Output::Texts;
    return options;
}

}  // namespace kalvor
