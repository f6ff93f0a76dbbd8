#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <QString>

namespace kalvor {

class Grid;

// Pastes blocks of cell texts into the coefficients and the constants table
// and keeps every paste undoable, last one first. Both tables share one
// history, since one paste may write both.
//
// A paste writes the cells straight into the tables: no editor and no change
// handler sees the texts, so the typing's 7-twips-a-character widening does
// not happen. Instead each coefficient column that received text is made wide
// enough for its longest text, up to a cap, and never narrowed.
class BlockPaste {
public:
    using Rows = std::vector<std::vector<std::string>>;

    // What one paste did.
    struct Outcome {
        int blockRows = 0;
        int blockColumns = 0;    // fields of the longest row
        int rowsLeftOut = 0;     // rows of the block below the table's last row
        int columnsLeftOut = 0;  // columns of the block right of the last column
        bool augmented = false;  // the last field of each row went to the constants
        std::size_t cellsWritten = 0;
    };

    // widestColumnTwips caps the fitting of a coefficient column.
    BlockPaste(Grid& coefficients, Grid& constants, int widestColumnTwips);

    // Writes `rows` (UTF-8 fields) into `table`, one of the two tables, with
    // the first field at data cell (row, col), rows downwards and fields to
    // the right; fields that fall outside the table are left out. A block
    // pasted into the coefficients at column 1 whose every row has exactly
    // N + 1 fields (N the table's data columns) is augmented: the last field
    // of each row goes into the constants table, same row. Any written cell
    // makes the paste one undo step, the block's fields taken exactly as
    // they stand.
    Outcome pasteRows(Grid& table, const Rows& rows, int row, int col);

    bool canUndo() const { return !history_.empty(); }
    // Pastes not yet undone.
    std::size_t depth() const { return history_.size(); }
    // Gives every cell written by the last paste not yet undone its earlier
    // text back; false when there is no such paste.
    bool undo();
    // Forgets every paste (the cells keep their texts).
    void clear() { history_.clear(); }

private:
    struct Cell {
        bool constants;
        int row;
        int col;
        QString before;
    };
    using Step = std::vector<Cell>;

    void write(Grid& table, bool constants, int row, int col, const std::string& field, Step& step);
    // Widens each of `columns` of the coefficients to its longest text.
    void fitColumns(const std::vector<int>& columns);

    Grid& coefficients_;
    Grid& constants_;
    int widestColumnTwips_;
    std::vector<Step> history_;
};

}  // namespace kalvor
