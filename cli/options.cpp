#include "cli/options.h"

namespace kalvor {

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
    for (const std::string& arg : args) {
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
        } else if (isOption && arg == "--strict") {
            options.strict = true;
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
    if (json)
        options.output = Options::Output::Json;
    else if (numbers)
        options.output = polar ? Options::Output::PolarNumbers : Options::Output::Numbers;
    else
        options.output = polar ? Options::Output::PolarTexts : Options::Output::Texts;
    return options;
}

}  // namespace kalvor
