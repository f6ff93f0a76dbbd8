#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include <QModelIndex>
#include <QString>
#include <QTableView>

namespace kalvor {

class GridModel;

// A table of cells addressed by (row, column) from 0, with one fixed header
// row (row 0) and one fixed header column (column 0). The fixed cells are
// shown in the view's headers, so they stay in sight while the data scrolls.
// The cells are never typed into; the window edits them through its own
// editor lines.
//
// Besides the cell operations it raises Click (a mouse click on a data cell,
// after Row/Col have moved there) and KeyPress (a key that types a
// character). Out-of-range rows, columns and sizes throw std::out_of_range.
class Grid final : public QTableView {
    Q_OBJECT

public:
    // A grid of `rows` x `cols` cells (design values, fixed cells included).
    explicit Grid(int rows = 2, int cols = 2, QWidget* parent = nullptr);
    ~Grid() override;

    // Number of rows / columns, fixed ones included. Writing keeps the texts
    // of the cells that remain; row 0 and column 0 stay fixed. At least 2.
    int Rows() const;
    void setRows(int rows);
    int Cols() const;
    void setCols(int cols);

    // Any cell, fixed or not, without moving the current cell.
    QString TextMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString& text);

    // The current cell: (1, 1) until moved. Writing moves it without raising
    // Click and may address a fixed cell.
    int Row() const { return row_; }
    void setRow(int row);
    int Col() const { return col_; }
    void setCol(int col);

    // The text of the current cell.
    QString Text() const;
    void setText(const QString& text);

    // Background of the current cell only, as an OLE colour (0x00BBGGRR, or
    // 0x80000005 for the system's window colour).
    void setCellBackColor(std::uint32_t ole);
    // The OLE colour of any cell (fixed ones included).
    std::uint32_t cellBackColorAt(int row, int col) const;

    // Marks data cell (row, col) for the user's attention: drawn in a
    // warning colour with its text unchanged, with `note` as its tooltip and
    // accessible description. An empty note removes the mark. Its own
    // background colour is kept for when the mark goes.
    void setCellMark(int row, int col, const QString& note);
    // The note of a marked cell; empty when it is not marked.
    QString cellMarkAt(int row, int col) const;
    // Where an unmarked data cell's tooltip comes from: asked with (row, col)
    // whenever the view wants the note; an empty text is none.
    void setCellNoteSource(std::function<QString(int row, int col)> source);

    // Width of one column in twips (column 0 is the fixed header column).
    // Widths are kept in twips, so small steps add up exactly.
    int ColWidth(int col) const;
    void setColWidth(int col, int twips);

    // Data cells start this wide.
    static constexpr int defaultColWidthTwips = 960;

signals:
    // A mouse click on a data cell; Row and Col already give that cell.
    void Click();
    // A key that types a character was pressed while the grid had the focus.
    void KeyPress(int keyAscii);
    // The current cell was moved by the grid's own keyboard navigation.
    void currentCellMoved();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void setUpView();
    void setUpHeaders();
    void checkCell(int row, int col) const;
    void showCurrentInView(bool scroll);
    void applyColWidth(int col);
    void headerSectionResized(int section, int oldSize, int newSize);

    GridModel* model_ = nullptr;
    int row_ = 1;
    int col_ = 1;
    // Twips per column; a negative value for column 0 means "fit the labels".
    std::vector<int> colTwips_;
    bool movingCurrent_ = false;
    bool applyingWidth_ = false;
    QPersistentModelIndex pressed_;
};

}  // namespace kalvor
