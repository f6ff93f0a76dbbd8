#pragma once

#include <array>
#include <functional>
#include <vector>

#include <QString>

#include "core/cellcheck.h"

namespace kalvor {

// What Solve's reading of the cells notes for the user: the cells whose
// reading dropped typed text ("2+1E-3j"), and the plain cells with a unit
// written directly before a number ("j5", read as 5+1i), each table in the
// order parted and partedb read it.
class ReadingNotes {
public:
    // Forgets the notes of one table, before it is read again.
    void clear(CellPosition::Table table)
    {
        dropped_[index(table)].clear();
        unitFirst_[index(table)].clear();
    }
    // Notes `cell` for what its reading did, if anything.
    void note(bool dropsText, bool unitFirst, const CellPosition& cell)
    {
        if (dropsText)
            dropped_[index(cell.table)].push_back(cell);
        if (unitFirst)
            unitFirst_[index(cell.table)].push_back(cell);
    }
    // Forgets the notes of the cells `readOtherwise` names: cells the plain
    // reading refused (a formula such as "=R + j*w*L" may look to it as if
    // text were dropped), which Solve then read as formulas or engineering
    // numbers.
    void forgetIf(const std::function<bool(const CellPosition&)>& readOtherwise);
    bool empty() const
    {
        return dropped_[0].empty() && dropped_[1].empty() && unitFirst_[0].empty() && unitFirst_[1].empty();
    }

    // Status panel 4 after a solution: the first cell whose reading dropped
    // text ("Text dropped in EQ.1, X2 and 2 more"), or, when no text was
    // dropped, the first with a unit before a number ("Unit before number in
    // C 3 and 1 more"); " and K more" counts the other cells of that note.
    // Dropped text comes first: that reading loses what was typed, while the
    // other reads all of it, only perhaps not as meant. Empty without notes.
    QString panelText() const;

private:
    static std::size_t index(CellPosition::Table table) { return table == CellPosition::Table::Constants ? 1 : 0; }

    std::array<std::vector<CellPosition>, 2> dropped_, unitFirst_;
};

}  // namespace kalvor
