#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kalvor {

// Spreadsheets of locales with a decimal comma write semicolon-separated
// files and clipboard text, with "1,5" for 1.5. Replaces every field of
// `rows` that the cell reading refuses (partcell, then a part that is not a
// number) and that reads once each comma is a full stop (both parts numbers,
// or a phasor that polarToRectangular takes) by that text; every other field
// is left as it is ("1,5" "1.5", "-2,25e3+1,5i" "-2.25e3+1.5i", "1,2,3" and
// "abc" unchanged). Returns how many fields it replaced. Only for text read
// with the semicolon as separator: elsewhere a comma is a separator or text.
std::size_t convertDecimalCommaFields(std::vector<std::vector<std::string>>& rows);

}  // namespace kalvor
