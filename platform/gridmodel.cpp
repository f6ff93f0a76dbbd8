#include "platform/gridmodel.h"

#include <QBrush>
#include <QGuiApplication>
#include <QPalette>

namespace kalvor {

QColor GridModel::toQColor(std::uint32_t ole, const QPalette& palette)
{
    if (ole & 0x80000000u)
        return (ole & 0xFFu) == 5 ? palette.color(QPalette::Base) : palette.color(QPalette::Button);
    return QColor(static_cast<int>(ole & 0xFFu), static_cast<int>((ole >> 8) & 0xFFu),
                  static_cast<int>((ole >> 16) & 0xFFu));
}

GridModel::GridModel(int rows, int cols, QObject* parent) : QAbstractTableModel(parent)
{
    resize(rows, cols);
}

void GridModel::resize(int rows, int cols)
{
    if (rows == rows_ && cols == cols_)
        return;
    beginResetModel();
    std::vector<QString> texts(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols));
    std::vector<std::uint32_t> colors(texts.size());
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const std::size_t to
                = static_cast<std::size_t>(r) * static_cast<std::size_t>(cols) + static_cast<std::size_t>(c);
            if (r < rows_ && c < cols_) {
                texts[to] = std::move(texts_[at(r, c)]);
                colors[to] = colors_[at(r, c)];
            } else {
                colors[to] = (r == 0 || c == 0) ? fixedColor : normalColor;
            }
        }
    }
    texts_ = std::move(texts);
    colors_ = std::move(colors);
    std::erase_if(marks_,
                  [rows, cols](const auto& mark) { return mark.first.first >= rows || mark.first.second >= cols; });
    rows_ = rows;
    cols_ = cols;
    endResetModel();
}

void GridModel::setText(int row, int col, const QString& text)
{
    QString& cell = texts_[at(row, col)];
    if (cell == text)
        return;
    cell = text;
    cellChanged(row, col, true);
}

void GridModel::setColor(int row, int col, std::uint32_t ole)
{
    std::uint32_t& cell = colors_[at(row, col)];
    if (cell == ole)
        return;
    cell = ole;
    cellChanged(row, col, false);
}

void GridModel::setMark(int row, int col, const QString& note)
{
    const std::pair<int, int> at{row, col};
    const auto found = marks_.find(at);
    if (note.isEmpty()) {
        if (found == marks_.end())
            return;
        marks_.erase(found);
    } else {
        if (found != marks_.end() && found->second == note)
            return;
        marks_[at] = note;
    }
    if (row > 0 && col > 0) {
        const QModelIndex index = createIndex(row - 1, col - 1);
        emit dataChanged(index, index,
                         {Qt::BackgroundRole, Qt::ForegroundRole, Qt::ToolTipRole, Qt::AccessibleDescriptionRole});
    }
}

QString GridModel::mark(int row, int col) const
{
    const auto found = marks_.find({row, col});
    return found == marks_.end() ? QString() : found->second;
}

void GridModel::cellChanged(int row, int col, bool textToo)
{
    if (row > 0 && col > 0) {
        const QModelIndex at = createIndex(row - 1, col - 1);
        if (textToo)
            emit dataChanged(at, at, {Qt::DisplayRole, Qt::AccessibleTextRole});
        else
            emit dataChanged(at, at, {Qt::BackgroundRole});
    } else if (row == 0 && col > 0) {
        emit headerDataChanged(Qt::Horizontal, col - 1, col - 1);
    } else if (col == 0 && row > 0) {
        emit headerDataChanged(Qt::Vertical, row - 1, row - 1);
    }
    // The corner cell has no header section of its own; it is always drawn
    // as a plain fixed cell.
}

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_ - 1;
}

int GridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : cols_ - 1;
}

QVariant GridModel::cellData(int row, int col, int role) const
{
    if (!marks_.empty() && row > 0 && col > 0) {
        const auto found = marks_.find({row, col});
        if (found != marks_.end()) {
            switch (role) {
            case Qt::BackgroundRole:
                return QBrush(warningColor);
            case Qt::ForegroundRole:
                // Dark on the light warning colour in any palette.
                return QBrush(Qt::black);
            case Qt::ToolTipRole:
            case Qt::AccessibleDescriptionRole:
                return found->second;
            default:
                break;
            }
        }
    }
    switch (role) {
    case Qt::DisplayRole: {
        // Only the start of a huge cell can ever be seen in it; painting a
        // million characters would lay them all out and freeze the window.
        // The cell itself keeps its whole text.
        constexpr qsizetype shown = 1000;
        const QString& all = text(row, col);
        if (all.size() <= shown)
            return all;
        return all.left(all.at(shown - 1).isHighSurrogate() ? shown - 1 : shown);
    }
    case Qt::AccessibleTextRole:
        return text(row, col);
    case Qt::BackgroundRole:
        return QBrush(toQColor(color(row, col), QGuiApplication::palette()));
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        if (noteSource_ && row > 0 && col > 0) {
            QString note = noteSource_(row, col);
            if (!note.isEmpty())
                return note;
        }
        return {};
    default:
        return {};
    }
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    return cellData(index.row() + 1, index.column() + 1, role);
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal)
        return section + 1 < cols_ ? cellData(0, section + 1, role) : QVariant();
    return section + 1 < rows_ ? cellData(section + 1, 0, role) : QVariant();
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const
{
    // Cells are never typed into directly; the editor lines write them.
    return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
}

}  // namespace kalvor
