// The equation window's panel 4: what a Solve found in the tables (the cell
// a data error comes from, the cells whose reading dropped text), the
// check's verdict on the solution shown, and a recovery file that cannot be
// written. A note on the solution goes with it; the recovery notice never
// takes the place of the others.
#include <optional>

#include "core/cellcheck.h"
#include "platform/statusbar.h"
#include "windows/form1.h"

namespace kalvor {

namespace {

// The status bar's panel for reading errors and notes.
constexpr int errorPanel = 4;

}  // namespace

void Form1::pointAtDataError()
{
    const std::optional<CellPosition> cell = firstUnreadableCell(CoefRe, CoefIm, ConstRe, ConstIm);
    if (!cell) {
        StatusBar1->setPanelText(errorPanel, QStringLiteral("A value left the number range"));
        return;
    }
    const int row = static_cast<int>(cell->row);
    const int col = static_cast<int>(cell->column);
    const QString why = cell->beyondRange ? QStringLiteral("beyond the number range") : QStringLiteral("not a number");
    if (cell->table == CellPosition::Table::Coefficients) {
        selectAsIfClicked(Grid1, row, col);
        StatusBar1->setPanelText(errorPanel, QStringLiteral("EQ.%1, X%2: %3").arg(row).arg(col).arg(why));
    } else {
        selectAsIfClicked(Grid2, row, 1);
        StatusBar1->setPanelText(errorPanel, QStringLiteral("C %1: %2").arg(row).arg(why));
    }
}

void Form1::reportDroppedText()
{
    // Every part read as a number, or the Solve would have failed: each cell
    // noted while reading is one whose reading dropped text.
    const std::size_t count = droppedCoefficients_.size() + droppedConstants_.size();
    if (count == 0)
        return;
    const CellPosition& first = droppedCoefficients_.empty() ? droppedConstants_.front() : droppedCoefficients_.front();
    const int row = static_cast<int>(first.row);
    QString text = first.table == CellPosition::Table::Coefficients
        ? QStringLiteral("Text dropped in EQ.%1, X%2").arg(row).arg(first.column)
        : QStringLiteral("Text dropped in C %1").arg(row);
    if (count > 1)
        text += QStringLiteral(" and %1 more").arg(count - 1);
    showSolveNote(text);
}

void Form1::showSolveNote(const QString& text)
{
    solveNote_ = text;
    StatusBar1->setPanelText(errorPanel, text);
}

void Form1::clearSolveNote()
{
    if (solveNote_.isEmpty())
        return;
    if (StatusBar1->panelText(errorPanel) == solveNote_)
        StatusBar1->setPanelText(errorPanel, QString());
    solveNote_.clear();
}

void Form1::showRecoveryNotice(const QString& notice)
{
    // Never in place of what panel 4 says about the tables or their
    // solution: then the status bar's tooltip carries it.
    if (StatusBar1->panelText(errorPanel).isEmpty())
        StatusBar1->setPanelText(errorPanel, notice);
    else
        StatusBar1->setToolTip(notice);
}

}  // namespace kalvor
