#include "platform/grid.h"

#include <algorithm>
#include <stdexcept>

#include <QAbstractButton>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

#include "platform/gridmodel.h"
#include "platform/twips.h"

namespace kalvor {

namespace {

// Far beyond any table the window builds (501 x 501), small enough that the
// flat storage stays addressable and the header positions fit an int.
constexpr long long maxCells = 1LL << 24;
constexpr int maxColWidthTwips = 1'000'000;

}  // namespace

Grid::Grid(int rows, int cols, QWidget* parent) : QTableView(parent)
{
    if (rows < 1 || cols < 1 || static_cast<long long>(rows) * cols > maxCells)
        throw std::out_of_range("grid size out of range");
    model_ = new GridModel(rows, cols, this);
    colTwips_.assign(static_cast<std::size_t>(cols), defaultColWidthTwips);
    colTwips_[0] = -1;
    setModel(model_);
    setUpView();
    setUpHeaders();
}

Grid::~Grid() = default;

void Grid::setUpView()
{
    // The grid's own colours stand for selection; Qt's selection painting
    // would hide them.
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setFocusPolicy(Qt::StrongFocus);
    // Room not taken by cells (below the last row, right of the last column,
    // under the fixed column) is dark grey, so the table's end is plain.
    QPalette colours = palette();
    colours.setColor(QPalette::Base, QColor(0x80, 0x80, 0x80));
    colours.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    setPalette(colours);
    setAutoFillBackground(true);
}

void Grid::setUpHeaders()
{
    for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
        // Clicking a fixed cell does nothing.
        header->setSectionsClickable(false);
        header->setHighlightSections(false);
        QPalette silver = header->palette();
        silver.setColor(QPalette::Button, GridModel::toQColor(GridModel::fixedColor, silver));
        header->setPalette(silver);
    }
    // The corner cell is a fixed cell too.
    if (auto* corner = findChild<QAbstractButton*>()) {
        QPalette silver = corner->palette();
        silver.setColor(QPalette::Button, GridModel::toQColor(GridModel::fixedColor, silver));
        corner->setPalette(silver);
    }
    horizontalHeader()->setDefaultSectionSize(twipsToPixels(defaultColWidthTwips));
    horizontalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, &Grid::headerSectionResized);
}

int Grid::Rows() const
{
    return model_->rows();
}
int Grid::Cols() const
{
    return model_->cols();
}

void Grid::setRows(int rows)
{
    if (rows < 1 || static_cast<long long>(rows) * model_->cols() > maxCells)
        throw std::out_of_range("Rows out of range");
    model_->resize(rows, model_->cols());
    row_ = std::min(row_, rows - 1);
    showCurrentInView(false);
}

void Grid::setCols(int cols)
{
    if (cols < 1 || static_cast<long long>(cols) * model_->rows() > maxCells)
        throw std::out_of_range("Cols out of range");
    const int before = model_->cols();
    model_->resize(model_->rows(), cols);
    colTwips_.resize(static_cast<std::size_t>(cols), defaultColWidthTwips);
    // A reset model starts every header section at the default width; only
    // the columns that were given another width need telling again.
    for (int c = 1; c < std::min(before, cols); ++c)
        if (colTwips_[static_cast<std::size_t>(c)] != defaultColWidthTwips)
            applyColWidth(c);
    col_ = std::min(col_, cols - 1);
    showCurrentInView(false);
}

void Grid::checkCell(int row, int col) const
{
    if (row < 0 || row >= model_->rows() || col < 0 || col >= model_->cols())
        throw std::out_of_range("cell out of range");
}

QString Grid::TextMatrix(int row, int col) const
{
    checkCell(row, col);
    return model_->text(row, col);
}

void Grid::setTextMatrix(int row, int col, const QString& text)
{
    checkCell(row, col);
    model_->setText(row, col, text);
}

void Grid::setRow(int row)
{
    checkCell(row, 0);
    row_ = row;
    showCurrentInView(false);
}

void Grid::setCol(int col)
{
    checkCell(0, col);
    col_ = col;
    showCurrentInView(false);
}

QString Grid::Text() const
{
    return TextMatrix(row_, col_);
}

void Grid::setText(const QString& text)
{
    setTextMatrix(row_, col_, text);
}

void Grid::setCellBackColor(std::uint32_t ole)
{
    checkCell(row_, col_);
    model_->setColor(row_, col_, ole);
}

std::uint32_t Grid::cellBackColorAt(int row, int col) const
{
    checkCell(row, col);
    return model_->color(row, col);
}

void Grid::setCellMark(int row, int col, const QString& note)
{
    checkCell(row, col);
    model_->setMark(row, col, note);
}

QString Grid::cellMarkAt(int row, int col) const
{
    checkCell(row, col);
    return model_->mark(row, col);
}

void Grid::setCellNoteSource(std::function<QString(int row, int col)> source)
{
    model_->setNoteSource(std::move(source));
}

int Grid::ColWidth(int col) const
{
    checkCell(0, col);
    const int twips = colTwips_[static_cast<std::size_t>(col)];
    if (twips >= 0)
        return twips;
    return pixelsToTwips(verticalHeader()->sizeHint().width());
}

void Grid::setColWidth(int col, int twips)
{
    checkCell(0, col);
    if (twips < 0 || twips > maxColWidthTwips)
        throw std::out_of_range("column width out of range");
    colTwips_[static_cast<std::size_t>(col)] = twips;
    applyColWidth(col);
}

void Grid::applyColWidth(int col)
{
    const int pixels = twipsToPixels(colTwips_[static_cast<std::size_t>(col)]);
    if (col == 0) {
        verticalHeader()->setFixedWidth(pixels);
        return;
    }
    applyingWidth_ = true;
    horizontalHeader()->resizeSection(col - 1, pixels);
    applyingWidth_ = false;
}

void Grid::headerSectionResized(int section, int, int newSize)
{
    // The user dragged a column border: the new width is the column's width.
    if (!applyingWidth_ && section + 1 < static_cast<int>(colTwips_.size()))
        colTwips_[static_cast<std::size_t>(section) + 1] = pixelsToTwips(newSize);
}

void Grid::showCurrentInView(bool scroll)
{
    // The view only knows data cells; a current cell in the fixed row or
    // column lives in row_/col_ alone.
    if (row_ < 1 || col_ < 1)
        return;
    movingCurrent_ = true;
    const bool autoScrollBefore = hasAutoScroll();
    setAutoScroll(scroll);
    selectionModel()->setCurrentIndex(model_->index(row_ - 1, col_ - 1), QItemSelectionModel::NoUpdate);
    setAutoScroll(autoScrollBefore);
    movingCurrent_ = false;
}

void Grid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (movingCurrent_ || !current.isValid())
        return;
    row_ = current.row() + 1;
    col_ = current.column() + 1;
    emit currentCellMoved();
}

void Grid::keyPressEvent(QKeyEvent* event)
{
    const bool focusKey = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    if (!event->text().isEmpty() && !focusKey) {
        // A character key is the window's business; the grid itself neither
        // types it nor searches for it.
        event->accept();
        emit KeyPress(event->text().at(0).unicode());
        return;
    }
    QTableView::keyPressEvent(event);
}

// The mouse moves the current cell only by a whole click on one data cell:
// a press, or a drag, never moves it on its own, so the current cell and the
// window's editor line cannot drift apart behind the user's back.
void Grid::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton ? QPersistentModelIndex(indexAt(event->position().toPoint()))
                                                 : QPersistentModelIndex();
    event->accept();
}

void Grid::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
}

void Grid::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
}

void Grid::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    const QModelIndex released = indexAt(event->position().toPoint());
    const bool click = event->button() == Qt::LeftButton && released.isValid() && pressed_.isValid()
        && released == QModelIndex(pressed_);
    pressed_ = QPersistentModelIndex();
    if (!click)
        return;
    row_ = released.row() + 1;
    col_ = released.column() + 1;
    showCurrentInView(true);
    emit Click();
}

}  // namespace kalvor
