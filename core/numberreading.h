#pragma once

#include <optional>

#include "core/partvalue.h"

namespace kalvor {

// The value the solver uses for a part. An Integer or Number part is its own
// value.
// A Text part is a number only if the whole text is: blanks (space, tab)
// around it, an optional sign that may be followed by blanks, digits with at
// most one full stop and at least one digit, and an optional exponent
// (E or e, optional sign, at least one digit). The full stop is the decimal
// point whatever the process locale. A value beyond the double range is not a
// number; one too small reads as the nearest double (possibly 0).
// An empty optional means "not a number".
std::optional<double> readNumber(const PartValue& part);

}  // namespace kalvor
