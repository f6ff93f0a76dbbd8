#pragma once

#include <optional>
#include <string_view>

namespace kalvor {

// The whole text read as one number, the way the unknown count is converted.
// Blanks (spaces, tabs) may stand around it. Between them stands either the
// prefix &H or &O (either case) followed by at least one hexadecimal or octal
// digit and nothing else, read as a non-negative whole number; or a decimal
// number as readNumber reads a part (optional sign, digits with at most one
// full stop) whose exponent may be introduced by E or D (either case). An
// empty optional when the text is anything else. Never depends on the
// process locale.
std::optional<double> readWholeNumber(std::string_view text);

// The unknown count a count text gives: readWholeNumber of the text, a
// fraction rounded to the nearest whole number with halves going to the even
// neighbour (2.5 gives 2, 3.5 gives 4). A value only when that whole number
// lies from 1 to 500 (the most equations the working storage holds).
std::optional<int> unknownCount(std::string_view text);

}  // namespace kalvor
