#pragma once

#include <string>
#include <vector>

namespace kalvor {

// What the command line asks for.
struct Options {
    enum class Output { Texts, Numbers, Json };
    Output output = Output::Texts;
    bool help = false;
    bool version = false;
    bool strict = false;     // exit status 4 for a solved system whose reading dropped text
    std::string file = "-";  // "-" is standard input
    std::string error;       // non-empty: the call is wrong, and this says how
};

// Reads the arguments after the program name: --numbers, --json, --strict,
// --help, --version, "--" (everything after it is a file name), and at most one FILE
// ("-" or none for standard input). --help and --version win over any other
// argument except a wrong one.
Options parseOptions(const std::vector<std::string>& args);

}  // namespace kalvor
