#pragma once

#include <optional>

#include <QString>

namespace kalvor {

// The count text converted as the equation window does: the whole text,
// blanks around allowed, in decimal (E or D exponent) or as an &H / &O whole
// number, a fraction rounded half to even (2.5 -> 2, 3.5 -> 4); a value is
// returned only when it is a whole number from 1 to 500.
std::optional<int> unknownCountFromText(const QString& text);

}  // namespace kalvor
