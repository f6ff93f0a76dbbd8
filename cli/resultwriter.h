#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/options.h"
#include "cli/systemrun.h"

namespace kalvor {

// A JSON value whose objects keep their keys in the order they were added.
using Json = nlohmann::ordered_json;

// What goes to standard output for a run whose file was read: the unknowns'
// window texts or their shortest number texts ("re<TAB>im"), one line each,
// when solved (nothing otherwise); with the polar outputs, each unknown's
// polar text (polarText) or "magnitude<TAB>degrees" of polarOf as shortest
// numbers, the magnitude written "inf" when it is beyond the largest double;
// or, for Json, one object for every outcome, with the window text and the
// polar text of each unknown, the check of a solved run ("check": verdict,
// condition, or null when it is infinite, and per unknown whether it is
// correct, its accurate value and that value's text), the cells whose
// reading dropped text when there are any, the parameters when the file has
// any ("parameters": name, formula, re, im; null parts and an "error" for
// one in error), and the cells with a unit before a number ("unit_first":
// line, field, text). A data error's "cell" gets a "reason" when it is a
// formula without a value.
std::string writeResult(const SystemRun& run, Options::Output output);

// The one line for standard error when the run did not solve (without the
// program name or line end): the window's message, with the cell at fault
// after it for a data error that comes from a cell ("not a number", or the
// reason a formula has no value). Empty when solved.
std::string failureMessage(const SystemRun& run);

// One line for standard error per cell whose reading dropped text (without
// the program name or line end), in the order of run.dropped: where the cell
// is, its text, what it is read as and what is dropped.
std::vector<std::string> droppedWarnings(const SystemRun& run);

// One line for standard error per plain cell with a unit directly before a
// number (without the program name or line end), in the order of
// run.unitFirst: where, the text, what it is read as, and how to write what
// was probably meant: 'line 1, field 2: "j5" is read as 5+1i; for 5i write
// 5j or =j5'.
std::vector<std::string> unitFirstWarnings(const SystemRun& run);

// One line for standard error per parameter in error, with its file line
// ("--set" for one given on the command line) and the reason.
std::vector<std::string> parameterWarnings(const SystemRun& run);

// The lines for standard error (without the program name or line end) that
// the check of a solved run gives: one per wrong unknown, in order, with the
// result text of its accurate value; or one for an Unreliable verdict, with
// the condition estimate. None for a Correct verdict or an unchecked run.
std::vector<std::string> checkWarnings(const SystemRun& run);

// `text` as a JSON string, quotes included: quote, backslash and control
// characters escaped, all other bytes as they are.
std::string jsonString(std::string_view text);

// `value` as JSON text, without a line end: objects on one line ("{"a": 1,
// "b": "x"}"), an array of numbers, strings and literals on one line, an
// array holding objects or arrays with one element per line, indented two
// blanks a level (`depth` is the level `value` itself stands at). Numbers
// as their shortest round-trip decimal text ("2", "-0", "1E+300"; one that
// is not finite as null), strings through jsonString, so every byte of a
// cell text stays as it is, UTF-8 or not.
std::string jsonText(const Json& value, std::size_t depth = 0);

}  // namespace kalvor
