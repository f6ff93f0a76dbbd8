#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/partcell.h"

namespace kalvor {

// What the reading of one cell left out: the typed characters that are in
// neither part and are not the syntax the split reads (the unit that marks
// the imaginary part, the sign of a +1 or -1 imaginary part), and the values
// it read instead.
struct DroppedText {
    // The dropped characters in the order typed. Blanks (space, tab) are
    // never dropped text and are left out; where read text lies between two
    // dropped stretches, they are joined by one blank. "3-4-5i" gives "-4",
    // "2+1E-3j" gives "+1E", "3-i+5" gives "- 5".
    std::string dropped;
    double re = 0;
    double im = 0;
};

// Whether the split `pieces` of `cellText` (findPieces) leaves any typed
// character other than a blank out of both parts and the syntax. Allocates
// nothing and looks only at the characters between the pieces.
bool dropsText(std::string_view cellText, const CellPieces& pieces);

// partcell(cellText), finding the pieces once for both the parts and
// `drops`, which tells whether the split drops text (dropsText). For readers
// that split every cell and then report the few that drop text.
CellParts splitCell(std::string_view cellText, bool& drops);

// The text that reading `cellText` (partcell, then readNumber of both parts)
// drops, with the values read. Empty when only blanks are left out, or when
// a part does not read as a number: that cell is a data error, not a reading
// that lost text.
std::optional<DroppedText> droppedText(std::string_view cellText);

// True when `cellText` is a plain cell the defined reading accepts (both
// parts read as numbers) and holds a unit directly before a number, at the
// start or right after a sign: "j5", "-j5", "+i3", "3+j4" (the engineer's 5j,
// which the reading takes as 5+1i). A cell worth a note, never a change of
// its reading.
bool unitBeforeNumber(std::string_view cellText);

// Where the first such unit stands in `cellText` (byte offset), or nullopt
// when unitBeforeNumber is false.
std::optional<std::size_t> unitBeforeNumberAt(std::string_view cellText);

}  // namespace kalvor
