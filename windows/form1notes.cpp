// How Solve reads the cells beyond the plain reading, and what it tells the
// user about the reading: formula cells and engineering numbers read before
// the solve (core/formula), the cell a data error comes from with the
// formula's reason, the reading notes after a solution, and each cell's
// tooltip saying what it is read as.
#include <cmath>
#include <complex>
#include <optional>
#include <string>
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
    const SolveResult plain = kalvor::solve(CoefRe, CoefIm, ConstRe, ConstIm, &read);
    if (plain.outcome == SolveOutcome::Solved || !firstUnreadableCell(CoefRe, CoefIm, ConstRe, ConstIm))
        return plain;
    cellProblems_
        = applyFallbacks(exchange_->systemRows(), systemParameters_->values(), CoefRe, CoefIm, ConstRe, ConstIm);
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
    if (!constant) {
        selectAsIfClicked(Grid1, row, col);
        StatusBar1->setPanelText(errorPanel,
                                 reason.isEmpty() ? QStringLiteral("EQ.%1, X%2: not a number").arg(row).arg(col) : reason);
    } else {
        selectAsIfClicked(Grid2, row, 1);
        StatusBar1->setPanelText(errorPanel, reason.isEmpty() ? QStringLiteral("C %1: not a number").arg(row) : reason);
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
        StatusBar1->setPanelText(errorPanel, text);
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
