#pragma once

#include <string_view>

#include "core/partvalue.h"

namespace kalvor {

// The two parts of one cell as split by partcell.
struct CellParts {
    PartValue re;
    PartValue im;
};

// Splits one cell text (UTF-8) into its real and imaginary part. Never fails:
// text that fits none of the forms yields parts that are not numbers, which
// the solver reports. "i" and "j" (lower case only) are the imaginary unit.
// Positions, lengths and the 100-character search window count code points,
// so a piece never ends inside a character. Pure: depends on the text alone.
CellParts partcell(std::string_view cellText);

}  // namespace kalvor
