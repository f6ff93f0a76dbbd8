#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include <QAbstractTableModel>
#include <QColor>
#include <QString>

namespace kalvor {

// The cells of one grid in flat row-major storage: a text and an OLE colour
// per cell, row 0 and column 0 included. Qt sees only the data cells (rows
// and columns from 1) as items; row 0 and column 0 are served as header data,
// so the views' headers show them and keep them in sight while scrolling.
class GridModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    // OLE colour values: 0x00BBGGRR, or 0x80000000 plus a system colour index.
    static constexpr std::uint32_t normalColor = 0x00C0FFFF;  // light yellow
    static constexpr std::uint32_t fixedColor = 0x00C0C0C0;   // silver
    static constexpr std::uint32_t windowColor = 0x80000005;  // system window colour

    // The colour an OLE value stands for: 0x80000005 is the palette's Base
    // (the window background), any other system index its Button colour.
    static QColor toQColor(std::uint32_t ole, const QPalette& palette);

    // A grid of `rows` x `cols` cells (both at least 1), empty texts, normal
    // colour on data cells and fixed colour on row 0 / column 0.
    GridModel(int rows, int cols, QObject* parent = nullptr);

    int rows() const { return rows_; }
    int cols() const { return cols_; }
    // Resizes, keeping the texts and colours of the cells that remain; new
    // cells are empty with their default colour. `rows`, `cols` >= 1.
    void resize(int rows, int cols);

    // (row, col) from 0, fixed cells included; the caller checks the range.
    const QString& text(int row, int col) const { return texts_[at(row, col)]; }
    void setText(int row, int col, const QString& text);
    std::uint32_t color(int row, int col) const { return colors_[at(row, col)]; }
    void setColor(int row, int col, std::uint32_t ole);

    // A marked data cell is drawn in the warning colour with dark text, over
    // whatever its own colour is, and gives `note` as its tooltip and its
    // accessible description; its text stays as it is. An empty note
    // removes the mark. Marks are few, so they are kept apart from the
    // cells; a resize drops those that no longer fit.
    static inline const QColor warningColor{0xFF, 0xB0, 0x60};  // light orange
    void setMark(int row, int col, const QString& note);
    // The note of a marked cell; empty when the cell is not marked.
    QString mark(int row, int col) const;
    // What an unmarked data cell gives as its tooltip and accessible
    // description: `source` is asked for (row, col) each time the view wants
    // it, so the note always fits the cell's text as it stands and nothing is
    // kept per cell. An empty text means no note; a mark's note comes first.
    using NoteSource = std::function<QString(int row, int col)>;
    void setNoteSource(NoteSource source) { noteSource_ = std::move(source); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::size_t at(int row, int col) const
    {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(cols_) + static_cast<std::size_t>(col);
    }
    void cellChanged(int row, int col, bool textToo);
    QVariant cellData(int row, int col, int role) const;

    int rows_ = 0;
    int cols_ = 0;
    std::vector<QString> texts_;
    std::vector<std::uint32_t> colors_;
    std::map<std::pair<int, int>, QString> marks_;
    NoteSource noteSource_;
};

}  // namespace kalvor
