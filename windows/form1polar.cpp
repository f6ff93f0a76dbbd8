// The equation window's phasors: a polar text in an editor line turned into
// its rectangular text (by Enter, or from the editor's context menu), and the
// solution table's polar column. The conversions are the core's
// (core/polar.h); pasted blocks and system files are converted where they
// are taken in (tableexchange.cpp, form1files.cpp).
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include <QFontMetrics>
#include <QHeaderView>
#include <QLineEdit>
#include <QStyle>

#include "core/polar.h"
#include "platform/grid.h"
#include "platform/twips.h"
#include "windows/form1.h"
#include "windows/solutioncheckview.h"

namespace kalvor {

namespace {

// Beside the defined result column 1, which keeps its width.
constexpr int polarColumn = 2;

// A phasor too small for a plain text that reads back becomes a formula.
std::optional<std::string> rectangularText(const QLineEdit* editor)
{
    return polarCellText(editor->text().toStdString());
}

}  // namespace

bool Form1::rectangularInEditor(QLineEdit* editor)
{
    if (!editing())
        return false;
    const std::optional<std::string> text = rectangularText(editor);
    if (!text)
        return false;
    // One edit of the line, as typing is: the change handler writes the
    // cell, and the line's own undo brings the phasor back.
    editor->selectAll();
    editor->insert(QString::fromStdString(*text));
    return true;
}

std::vector<std::string> Form1::polarTexts() const
{
    std::vector<std::string> texts;
    texts.reserve(solutionRe_.size());
    for (std::size_t k = 0; k < solutionRe_.size(); ++k)
        texts.push_back(polarText(solutionRe_[k], solutionIm_[k]));
    return texts;
}

void Form1::setPolarFormShown(bool shown)
{
    showPolar_ = shown;
    if (!editing())
        showPolarColumn();
}

void Form1::showPolarColumn()
{
    if (!showPolar_) {
        // Only a change of shape touches the table: a reshaped model forgets
        // its view's place.
        if (Grid3->Cols() > polarColumn)
            Grid3->setCols(polarColumn);
        check_->placeAccurateColumn();
        return;
    }
    if (Grid3->Cols() <= polarColumn)
        Grid3->setCols(polarColumn + 1);
    const QString title = QStringLiteral("Polar");
    Grid3->setTextMatrix(0, polarColumn, title);
    // In fractions of a pixel: a text a fraction wider than its room is
    // drawn cut short.
    const QFontMetricsF cells(Grid3->font());
    qreal widest = QFontMetricsF(Grid3->horizontalHeader()->font()).horizontalAdvance(title);
    const int rows = std::min(static_cast<int>(solutionRe_.size()), Grid3->Rows() - 1);
    for (int k = 0; k < rows; ++k) {
        const auto at = static_cast<std::size_t>(k);
        const QString text = QString::fromStdString(polarText(solutionRe_[at], solutionIm_[at]));
        Grid3->setTextMatrix(k + 1, polarColumn, text);
        widest = std::max(widest, cells.horizontalAdvance(text));
    }
    // A cell draws its text between margins on both sides, and the grid line
    // takes one pixel.
    const int margin = Grid3->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, Grid3) + 1;
    Grid3->setColWidth(polarColumn, pixelsToTwips(static_cast<int>(std::ceil(widest)) + 2 * margin + 1));
    // The accurate values, when shown, come after the polar texts.
    check_->placeAccurateColumn();
}

}  // namespace kalvor
