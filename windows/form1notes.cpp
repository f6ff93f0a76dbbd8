// How Solve reads the cells beyond the plain reading, and what it tells the
// user about the reading: formula cells and engineering numbers read when
// the plain reading leaves a part unread (core/formula), the cell a data
// error comes from with the formula's reason, the reading notes after a
// solution, and each cell's tooltip saying what it is read as. A note on
// the solution goes with it; a recovery file that cannot be written never
// takes the place of what panel 4 says.
#include <cmath>
#include <complex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/numberformat.h"
#include "core/numberreading.h"
#include "core/partcell.h"
#include "core/polar.h"
#include "platform/grid.h"
#include "platform/statusbar.h"
#include "windows/form1.h"
#include "windows/systemparameters.h"

namespace kalvor {

namespace {

// The status bar's panel for reading errors and notes.
constexpr int errorPanel = 4;

QString valueText(std::complex<double> value)
{
    if (!std::isfinite(value.real()) || !std::isfinite(value.imag()))
        return QStringLiteral("not a finite number");
    return QString::fromStdString(resultText(value.real(), value.imag())).trimmed() + QStringLiteral("  (")
        + QString::fromStdString(polarText(value.real(), value.imag())) + QLatin1Char(')');
}

// Both parts of a plain cell as the plain reading reads them; nothing when
// a part is not a number.
std::optional<std::complex<double>> plainValue(const std::string& text)
{
    const CellParts parts = partcell(text);
    const std::optional<double> re = readNumber(parts.re), im = readNumber(parts.im);
    if (!re || !im)
        return std::nullopt;
    return std::complex<double>(*re, *im);
}

}  // namespace

SolveResult Form1::solveReadingFormulas(NumericSystem& read)
{
    cellProblems_.clear();
    // The solver gives no solution while any part does not read, so a
    // system it solves needs no second look; a plain system pays nothing.
    // A formula cell never reads, so with one the second look comes first.
    if (!notes_.formulaRead()) {
        const SolveResult plain = kalvor::solve(CoefRe, CoefIm, ConstRe, ConstIm, &read);
        if (plain.outcome == SolveOutcome::Solved || !firstUnreadableCell(CoefRe, CoefIm, ConstRe, ConstIm))
            return plain;
    }
    // Only the cells the plain reading refused are asked for; the reading
    // kept the texts of the formula cells.
    std::string text;
    const auto cellText = [this, &text](std::size_t row, std::size_t column) {
        const bool constant = column == static_cast<std::size_t>(N);
        const CellPosition cell{constant ? CellPosition::Table::Constants : CellPosition::Table::Coefficients, row + 1,
                                constant ? 1 : column + 1};
        if (const std::optional<std::string_view> formula = notes_.formula(cell))
            return *formula;
        const Grid* table = constant ? Grid2 : Grid1;
        text = table->TextMatrix(static_cast<int>(cell.row), static_cast<int>(cell.column)).toStdString();
        return std::string_view(text);
    };
    cellProblems_ = applyFallbacks(cellText, systemParameters_->values(), CoefRe, CoefIm, ConstRe, ConstIm);
    return kalvor::solve(CoefRe, CoefIm, ConstRe, ConstIm, &read);
}

void Form1::pointAtDataError()
{
    const std::optional<CellPosition> cell = firstUnreadableCell(CoefRe, CoefIm, ConstRe, ConstIm);
    if (!cell) {
        StatusBar1->setPanelText(errorPanel, QStringLiteral("A value left the number range"));
        return;
    }
    const int row = static_cast<int>(cell->row);
    const int col = static_cast<int>(cell->column);
    const bool constant = cell->table == CellPosition::Table::Constants;
    // A formula that failed is still unreadable: its reason is known.
    const std::size_t problemColumn = constant ? static_cast<std::size_t>(N) : cell->column - 1;
    QString reason;
    for (const CellProblem& problem : cellProblems_)
        if (problem.row == cell->row - 1 && problem.column == problemColumn)
            reason = QString::fromStdString(describeCellProblem(problem, static_cast<std::size_t>(N)));
    const QString why = cell->beyondRange ? QStringLiteral("beyond the number range") : QStringLiteral("not a number");
    if (!constant) {
        selectAsIfClicked(Grid1, row, col);
        StatusBar1->setPanelText(errorPanel,
                                 reason.isEmpty() ? QStringLiteral("EQ.%1, X%2: %3").arg(row).arg(col).arg(why) : reason);
    } else {
        selectAsIfClicked(Grid2, row, 1);
        StatusBar1->setPanelText(errorPanel, reason.isEmpty() ? QStringLiteral("C %1: %2").arg(row).arg(why) : reason);
    }
}

void Form1::reportReadingNotes()
{
    // Only the second chance makes Number parts.
    notes_.forgetIf([this](const CellPosition& cell) {
        const std::size_t row = cell.row - 1;
        return cell.table == CellPosition::Table::Coefficients ? CoefRe[row][cell.column - 1].isNumber()
                                                               : ConstRe[row].isNumber();
    });
    const QString text = notes_.panelText();
    if (!text.isEmpty())
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

QString Form1::cellNote(Grid* table, int row, int col) const
{
    const QString cell = table->TextMatrix(row, col);
    if (cell.isEmpty())
        return {};
    const std::string text = cell.toStdString();
    if (const std::optional<std::complex<double>> plain = plainValue(text)) {
        if (!unitBeforeNumber(text))
            return {};
        // The formula grammar reads the same text as the engineer means it.
        const QString typed = cell.trimmed();
        return QStringLiteral("\"%1\" is read as %2; for the engineer's reading write it as a formula: =%1")
            .arg(typed, QString::fromStdString(resultText(plain->real(), plain->imag())).trimmed());
    }
    std::string reason;
    if (const std::optional<std::complex<double>> value = fallbackValue(text, systemParameters_->values(), reason))
        return (isFormula(text) ? QStringLiteral("Value: ") : QStringLiteral("Read as ")) + valueText(*value);
    if (!reason.empty())
        return QStringLiteral("Formula error: ") + QString::fromStdString(reason);
    return {};
}

}  // namespace kalvor
