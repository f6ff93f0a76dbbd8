#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/core.h"

namespace kalvor {

// --sweep NAME=FROM:TO:POINTS[:log] as typed: FROM and TO are still formulas.
struct SweepCall {
    std::string name, from, to;
    std::size_t points = 0;
    SweepSpacing spacing = SweepSpacing::Linear;
};

// Reads the text after --sweep. nullopt with `error` set when it is not
// NAME=FROM:TO:POINTS or NAME=FROM:TO:POINTS:log (NAME, FROM and TO not
// empty, POINTS a whole number).
std::optional<SweepCall> parseSweepCall(std::string_view text, std::string& error);

// What the command line asks for.
struct Options {
    // PolarTexts and PolarNumbers are Texts and Numbers with --polar.
    enum class Output { Texts, Numbers, Json, PolarTexts, PolarNumbers };
    Output output = Output::Texts;
    bool help = false;
    bool version = false;
    bool strict = false;             // exit status 4 for a solved system whose reading dropped text
    bool accurate = false;           // the check's accurate values in place of the defined ones
    std::optional<SweepCall> sweep;  // --sweep: the table of a sweep instead of one solution
    std::string file = "-";          // "-" is standard input
    std::vector<Parameter> set;      // --set NAME=FORMULA, in order
    std::string error;               // non-empty: the call is wrong, and this says how
};

// Reads the arguments after the program name: --numbers, --json, --polar,
// --strict, --accurate, --sweep NAME=FROM:TO:POINTS[:log] (parseSweepCall; not with --numbers or --polar),
// --set NAME=FORMULA (or --set=NAME=FORMULA; repeatable, NAME a valid
// parameter name), --help, --version, "--" (everything after it is a file
// name), and
// at most one FILE ("-" or none for standard input). --polar turns the texts
// and the numbers into their polar forms and leaves --json as it is (the JSON
// object always holds both forms). --help and --version win over any other
// argument except a wrong one.
Options parseOptions(const std::vector<std::string>& args);

}  // namespace kalvor
