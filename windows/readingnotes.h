#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QString>

#include "core/cellcheck.h"

namespace kalvor {

// What Solve's reading of the cells notes for the user: the cells whose
// reading dropped typed text ("2+1E-3j"), and the plain cells with a unit
// written directly before a number ("j5", read as 5+1i), each table in the
// order parted and partedb read it. Formula cells get no notes: the plain
// reading always refuses them, so they are read as formulas or the system
// has a data error. Their texts are kept instead, in UTF-8, for Solve's
// second look, which need not fetch them from the tables again.
class ReadingNotes {
public:
    // What the reading of one cell did.
    struct Reading {
        bool dropsText = false;    // the split dropped typed text
        bool unitFirst = false;    // a plain cell with a unit directly before a number
        std::string_view formula;  // the text of a formula cell; empty for any other
    };

    // Forgets the notes of one table, before it is read again.
    void clear(CellPosition::Table table)
    {
        dropped_[index(table)].clear();
        unitFirst_[index(table)].clear();
        formulas_[index(table)].clear();
    }
    // Notes `cell` for what its reading did, if anything. The cells of a
    // table come in the order parted and partedb read them.
    void note(const Reading& reading, const CellPosition& cell)
    {
        if (!reading.formula.empty()) {
            formulas_[index(cell.table)].keep(cell, reading.formula);
            return;
        }
        if (reading.dropsText)
            dropped_[index(cell.table)].push_back(cell);
        if (reading.unitFirst)
            unitFirst_[index(cell.table)].push_back(cell);
    }
    // Forgets the notes of the cells `readOtherwise` names: cells the plain
    // reading refused (a formula such as "=R + j*w*L" may look to it as if
    // text were dropped), which Solve then read as formulas or engineering
    // numbers.
    void forgetIf(const std::function<bool(const CellPosition&)>& readOtherwise);
    // Whether a formula cell was read since the tables were last cleared.
    bool formulaRead() const { return !formulas_[0].empty() || !formulas_[1].empty(); }
    // The text of `cell` when it was read as a formula cell; valid until
    // its table is cleared.
    std::optional<std::string_view> formula(const CellPosition& cell) const
    {
        return formulas_[index(cell.table)].find(cell);
    }
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

    // The formula texts of one table, in one buffer, by cell in reading
    // order (column by column, each from equation 1 down).
    class FormulaTexts {
    public:
        void clear()
        {
            cells_.clear();
            text_.clear();
        }
        bool empty() const { return cells_.empty(); }
        void keep(const CellPosition& cell, std::string_view text);
        std::optional<std::string_view> find(const CellPosition& cell) const;

    private:
        struct Cell {
            std::size_t column, row, start, length;
        };
        std::vector<Cell> cells_;
        std::string text_;
    };

    std::array<std::vector<CellPosition>, 2> dropped_, unitFirst_;
    std::array<FormulaTexts, 2> formulas_;
};

}  // namespace kalvor
