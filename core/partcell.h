#pragma once

#include <cstddef>
#include <string_view>

#include "core/partvalue.h"

namespace kalvor {

// The two parts of one cell as split by partcell.
struct CellParts {
    PartValue re;
    PartValue im;
};

// Where one part of a split cell comes from: a piece of the cell text, one of
// the fixed texts "0", "1", "+1", "-1", or one of the integers 0, 1, -1.
struct PartSource {
    enum class Kind { Piece, Fixed, Integer };
    Kind kind = Kind::Integer;
    std::size_t begin = 0;  // Piece: byte offsets [begin, end) in the cell text
    std::size_t end = 0;
    std::string_view fixed;  // Fixed
    int integer = 0;         // Integer
};

// One cell's split as places in its text: where both parts come from, and
// the characters outside them that the split reads as syntax.
struct CellPieces {
    static constexpr std::size_t none = static_cast<std::size_t>(-1);
    PartSource re;
    PartSource im;
    // Byte offset of the unit that marks the imaginary part (none when there
    // is none, or when the character taken to be the unit is something else).
    std::size_t unit = none;
    // Byte offset of the sign that gives a +1 or -1 imaginary part its sign.
    std::size_t sign = none;
};

// Finds where partcell's parts lie in one cell text (UTF-8); partcell is
// built on it. Every rule of the split is here: the 100-character search
// windows count code points, and a piece never ends inside a character.
// Never fails; pure.
CellPieces findPieces(std::string_view cellText);

// The parts that `pieces`, found in `cellText` by findPieces, stand for.
CellParts partsFromPieces(std::string_view cellText, const CellPieces& pieces);

// Splits one cell text (UTF-8) into its real and imaginary part. Never fails:
// text that fits none of the forms yields parts that are not numbers, which
// the solver reports. "i" and "j" (lower case only) are the imaginary unit.
// Positions, lengths and the 100-character search window count code points,
// so a piece never ends inside a character. Pure: depends on the text alone.
CellParts partcell(std::string_view cellText);

}  // namespace kalvor
