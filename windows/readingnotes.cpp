#include "windows/readingnotes.h"

#include <algorithm>
#include <tuple>

namespace kalvor {

namespace {

QString cellNote(const QString& what, const std::array<std::vector<CellPosition>, 2>& cells)
{
    const std::size_t count = cells[0].size() + cells[1].size();
    if (count == 0)
        return {};
    const CellPosition& first = cells[0].empty() ? cells[1].front() : cells[0].front();
    const int row = static_cast<int>(first.row);
    QString text = first.table == CellPosition::Table::Coefficients
        ? QStringLiteral("%1 in EQ.%2, X%3").arg(what).arg(row).arg(first.column)
        : QStringLiteral("%1 in C %2").arg(what).arg(row);
    if (count > 1)
        text += QStringLiteral(" and %1 more").arg(count - 1);
    return text;
}

}  // namespace

void ReadingNotes::FormulaTexts::keep(const CellPosition& cell, std::string_view text)
{
    cells_.push_back({cell.column, cell.row, text_.size(), text.size()});
    text_.append(text);
}

std::optional<std::string_view> ReadingNotes::FormulaTexts::find(const CellPosition& cell) const
{
    const auto byPlace
        = [](const Cell& a, const Cell& b) { return std::tie(a.column, a.row) < std::tie(b.column, b.row); };
    const Cell wanted{cell.column, cell.row, 0, 0};
    const auto it = std::lower_bound(cells_.begin(), cells_.end(), wanted, byPlace);
    if (it == cells_.end() || it->column != cell.column || it->row != cell.row)
        return std::nullopt;
    return std::string_view(text_).substr(it->start, it->length);
}

void ReadingNotes::forgetIf(const std::function<bool(const CellPosition&)>& readOtherwise)
{
    for (auto* kind : {&dropped_, &unitFirst_})
        for (std::vector<CellPosition>& cells : *kind)
            std::erase_if(cells, readOtherwise);
}

QString ReadingNotes::panelText() const
{
    const QString dropped = cellNote(QStringLiteral("Text dropped"), dropped_);
    return dropped.isEmpty() ? cellNote(QStringLiteral("Unit before number"), unitFirst_) : dropped;
}

}  // namespace kalvor
