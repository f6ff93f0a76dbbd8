#pragma once

#include <string_view>

namespace kalvor {

// The leading-number value of a text. Spaces, tabs and line feeds are skipped
// wherever they stand; then an optional sign, digits with at most one full
// stop, and an optional exponent (E, e, D or d, optional sign, digits); or
// the prefix &H / &O (either case) followed by hexadecimal / octal digits,
// read as a non-negative whole number. Reading stops at the first character
// that fits none of these; a text that does not begin with a number gives 0.
// A value beyond the double range gives an infinity of its sign. Never
// depends on the process locale.
double val(std::string_view text);

}  // namespace kalvor
