#include "windows/blockpaste.h"

#include <algorithm>
#include <array>

#include <QFontMetrics>
#include <QStyle>

#include "platform/grid.h"
#include "platform/twips.h"

namespace kalvor {

namespace {

// Pixel widths of texts in one font. Pure-ASCII texts are summed from a
// table of character advances, which is what a cell shows for them and is
// fast enough for a quarter of a million cells; any other text is laid out
// by the font itself.
class TextWidths {
public:
    explicit TextWidths(const QFont& font) : metrics_(font)
    {
        for (int c = 0; c < 128; ++c)
            ascii_[static_cast<std::size_t>(c)] = metrics_.horizontalAdvance(QChar(c));
    }

    // Stops counting once `enough` pixels are reached.
    int of(const QString& text, int enough) const
    {
        int width = 0;
        for (const QChar ch : text) {
            if (ch.unicode() >= 128 || ch.unicode() < 32)
                return metrics_.horizontalAdvance(text.left(1000));
            width += ascii_[ch.unicode()];
            if (width >= enough)
                return width;
        }
        return width;
    }

private:
    QFontMetrics metrics_;
    std::array<int, 128> ascii_{};
};

}  // namespace

BlockPaste::BlockPaste(Grid& coefficients, Grid& constants, int widestColumnTwips)
    : coefficients_(coefficients), constants_(constants), widestColumnTwips_(widestColumnTwips)
{
}

void BlockPaste::write(Grid& table, bool constants, int row, int col, const std::string& field, Step& step)
{
    step.push_back({constants, row, col, table.TextMatrix(row, col)});
    table.setTextMatrix(row, col, QString::fromStdString(field));
}

BlockPaste::Outcome BlockPaste::pasteRows(Grid& table, const Rows& rows, int row, int col)
{
    Outcome outcome;
    outcome.blockRows = static_cast<int>(rows.size());
    for (const auto& fields : rows)
        outcome.blockColumns = std::max(outcome.blockColumns, static_cast<int>(fields.size()));

    const bool intoConstants = &table == &constants_;
    const int lastRow = table.Rows() - 1;
    const int lastCol = table.Cols() - 1;
    const int n = coefficients_.Cols() - 1;
    outcome.augmented = !intoConstants && col == 1 && !rows.empty()
        && std::all_of(rows.begin(), rows.end(),
                       [n](const auto& fields) { return static_cast<int>(fields.size()) == n + 1; });
    const int tableFields = outcome.augmented ? n : lastCol - col + 1;
    outcome.rowsLeftOut = std::max(0, row + outcome.blockRows - 1 - lastRow);
    outcome.columnsLeftOut = outcome.augmented ? 0 : std::max(0, outcome.blockColumns - tableFields);

    Step step;
    std::vector<bool> columnWritten(static_cast<std::size_t>(n) + 1, false);
    for (std::size_t k = 0; k < rows.size() && row + static_cast<int>(k) <= lastRow; ++k) {
        const int r = row + static_cast<int>(k);
        const auto& fields = rows[k];
        const int inTable = std::min(static_cast<int>(fields.size()), tableFields);
        for (int f = 0; f < inTable; ++f)
            write(table, intoConstants, r, col + f, fields[static_cast<std::size_t>(f)], step);
        if (!intoConstants)
            for (int f = 0; f < inTable; ++f)
                columnWritten[static_cast<std::size_t>(col + f)] = true;
        if (outcome.augmented)
            write(constants_, true, r, 1, fields.back(), step);
    }
    outcome.cellsWritten = step.size();
    if (step.empty())
        return outcome;
    history_.push_back(std::move(step));

    std::vector<int> columns;
    for (int c = 1; c <= n; ++c)
        if (columnWritten[static_cast<std::size_t>(c)])
            columns.push_back(c);
    fitColumns(columns);
    return outcome;
}

bool BlockPaste::undo()
{
    if (history_.empty())
        return false;
    Step step = std::move(history_.back());
    history_.pop_back();
    // Backwards, so that a cell written twice ends with its very first text.
    for (auto it = step.rbegin(); it != step.rend(); ++it)
        (it->constants ? constants_ : coefficients_).setTextMatrix(it->row, it->col, it->before);
    return true;
}

void BlockPaste::fitColumns(const std::vector<int>& columns)
{
    if (columns.empty())
        return;
    const TextWidths widths(coefficients_.font());
    // A cell draws its text between margins on both sides, and the grid line
    // takes one pixel.
    const int margin = coefficients_.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &coefficients_) + 1;
    const int padding = 2 * margin + 1;
    const int capPixels = widestColumnTwips_ / twipsPerPixel;
    const int rows = coefficients_.Rows();
    for (const int c : columns) {
        const int before = coefficients_.ColWidth(c);
        if (before >= widestColumnTwips_)
            continue;
        int widest = 0;
        for (int r = 1; r < rows && widest < capPixels; ++r)
            widest = std::max(widest, widths.of(coefficients_.TextMatrix(r, c), capPixels) + padding);
        const int wanted = std::min(pixelsToTwips(widest), widestColumnTwips_);
        if (wanted > before)
            coefficients_.setColWidth(c, wanted);
    }
}

}  // namespace kalvor
