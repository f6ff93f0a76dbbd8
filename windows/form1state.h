#pragma once

#include <cstdint>
#include <optional>

#include <QString>

#include "core/partcell.h"

namespace kalvor {

// The equation window's window-wide storage, shared by its procedures: the
// unknown count, the current column and row, and the working storage written
// by parted and partedb, indexed from 0 (equation k is index k - 1; empty
// before the first Solve), and the checks of solutions still running.
struct Form1State {
    std::int16_t N = 0;
    int curCol = 0;
    std::optional<int> curRow;
    PartMatrix CoefRe, CoefIm;
    PartVector ConstRe, ConstIm;
    // Checks started by a Solve that have not yet handed back their
    // verdict, stale or not.
    int checksRunning = 0;

    // curRow read as text: empty while it holds no value.
    QString currentRowText() const { return curRow ? QString::number(*curRow) : QString(); }
};

}  // namespace kalvor
