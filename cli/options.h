#pragma once

#include <string>
#include <vector>

#include "core/formula/parameters.h"

namespace kalvor {

// What the command line asks for.
struct Options {
    // PolarTexts and PolarNumbers are Texts and Numbers with --polar.
    enum class Output { Texts, Numbers, Json, PolarTexts, PolarNumbers };
    Output output = Output::Texts;
    bool help = false;
    bool version = false;
    bool strict = false;     // exit status 4 for a solved system whose reading dropped text
    std::string file = "-";  // "-" is standard input
    std::vector<Parameter> set;  // --set NAME=FORMULA, in order
    std::string error;       // non-empty: the call is wrong, and this says how
};

// Reads the arguments after the program name: --numbers, --json, --polar,
// --strict, --set NAME=FORMULA (or --set=NAME=FORMULA; repeatable, NAME a
// valid parameter name), --help, --version, "--" (everything after it is a
// file name), and
// at most one FILE ("-" or none for standard input). --polar turns the texts
// and the numbers into their polar forms and leaves --json as it is (the JSON
// object always holds both forms). --help and --version win over any other
// argument except a wrong one.
Options parseOptions(const std::vector<std::string>& args);

}  // namespace kalvor
