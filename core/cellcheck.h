#pragma once

#include <cstddef>
#include <optional>

#include "core/solver.h"

namespace kalvor {

// A cell of the coefficients table (column 1..N) or of the constants table.
struct CellPosition {
    enum class Table { Coefficients, Constants };
    Table table = Table::Coefficients;
    std::size_t row = 0;     // equation, 1..N
    std::size_t column = 0;  // unknown 1..N for a coefficient; 1 for a constant
    // firstUnreadableCell: every part of the cell that does not read is a
    // number beyond the double range (beyondNumberRange), none is other text.
    bool beyondRange = false;
};

// The first cell one of whose parts does not read as a number (readNumber),
// in the order the tables are read: the coefficient columns left to right,
// each from equation 1 down, then the constants from equation 1 down. Empty
// when every part reads. When solve() gives DataError and this finds a cell,
// that cell's text is the cause; when it finds none, a value left the double
// range. Same shapes as solve(); it does not check them.
std::optional<CellPosition> firstUnreadableCell(const PartMatrix& coefRe, const PartMatrix& coefIm,
                                                const PartVector& constRe, const PartVector& constIm);

}  // namespace kalvor
