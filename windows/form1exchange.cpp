// The equation window's exchange of systems with the clipboard: pasting and
// copying blocks of cells, undoing pastes, dropped system files, Enter in the
// editors, and the cell a data error comes from. The handlers here only route
// keys, drops and menu commands; the paste bookkeeping is BlockPaste's, the
// reading of a dropped file systemfiledrop's.
#include <algorithm>
#include <utility>

#include <QAction>
#include <QClipboard>
#include <QDropEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>

#include "core/cellcheck.h"
#include "core/numberformat.h"
#include "core/polar.h"
#include "core/tabletext.h"
#include "platform/grid.h"
#include "platform/messagebox.h"
#include "platform/statusbar.h"
#include "windows/blockpaste.h"
#include "windows/form1.h"
#include "windows/systemfiledrop.h"

namespace kalvor {

namespace {

constexpr int errorPanel = 4;

// Clipboard text that stands for more than one cell.
bool isBlock(const QString& text)
{
    return text.contains(QLatin1Char('\t')) || text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

// A key that types something: no control character in its text.
bool typesText(const QString& text)
{
    return !text.isEmpty()
        && std::none_of(text.begin(), text.end(), [](QChar ch) { return ch.category() == QChar::Other_Control; });
}

bool isPasteKey(const QKeyEvent* key)
{
    return key->matches(QKeySequence::Paste) || (key->key() == Qt::Key_Insert && key->modifiers() == Qt::ShiftModifier);
}

bool isCopyKey(const QKeyEvent* key)
{
    return key->matches(QKeySequence::Copy)
        || (key->key() == Qt::Key_Insert && key->modifiers() == Qt::ControlModifier);
}

bool isDragEvent(const QEvent* event)
{
    return event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove || event->type() == QEvent::Drop;
}

bool isUndoKey(const QKeyEvent* key)
{
    return key->matches(QKeySequence::Undo) || (key->key() == Qt::Key_Z && key->modifiers() == Qt::ControlModifier);
}

// Enter or Shift+Enter, on the main keyboard or the keypad.
bool isEnterKey(const QKeyEvent* key)
{
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        && (mods == Qt::NoModifier || mods == Qt::ShiftModifier);
}

QString plural(int count, const char* one, const char* many)
{
    return QString::number(count) + QLatin1Char(' ') + QLatin1String(count == 1 ? one : many);
}

// "The pasted block has 4 rows and 6 columns; 1 row and 2 columns did not
// fit and were left out."
QString leftOutMessage(const BlockPaste::Outcome& outcome)
{
    QString lost;
    int parts = 0;
    if (outcome.rowsLeftOut > 0) {
        lost = plural(outcome.rowsLeftOut, "row", "rows");
        ++parts;
    }
    if (outcome.columnsLeftOut > 0) {
        if (parts)
            lost += QStringLiteral(" and ");
        lost += plural(outcome.columnsLeftOut, "column", "columns");
        ++parts;
    }
    const bool one = parts == 1 && (outcome.rowsLeftOut == 1 || outcome.columnsLeftOut == 1);
    return QStringLiteral("The pasted block has %1 and %2; %3 did not fit and %4 left out.")
        .arg(plural(outcome.blockRows, "row", "rows"), plural(outcome.blockColumns, "column", "columns"), lost,
             one ? QStringLiteral("was") : QStringLiteral("were"));
}

void putOnClipboard(const std::vector<std::vector<std::string>>& rows)
{
    QGuiApplication::clipboard()->setText(QString::fromStdString(writeTableText(rows, '\t')));
}

}  // namespace

void Form1::setUpExchange()
{
    paste_ = std::make_unique<BlockPaste>(*Grid1, *Grid2, maxTypedColumnTwips);
    for (QWidget* watched : std::initializer_list<QWidget*>{Grid1, Grid2, Grid3, Text1, Text4})
        watched->installEventFilter(this);
    // The tables take no drops, so a file dragged over them reaches the
    // window; the editor lines take text drops and are filtered.
    setAcceptDrops(true);
    for (Grid* table : {Grid1, Grid2, Grid3}) {
        table->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(table, &Grid::customContextMenuRequested, this, [this, table](const QPoint& at) {
            QMenu* menu = contextMenuFor(table);
            menu->setAttribute(Qt::WA_DeleteOnClose);
            menu->popup(table->viewport()->mapToGlobal(at));
        });
    }
    setUpEditorMenus();
}

bool Form1::editing() const
{
    return Frame1->isHidden();
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    // An editor line would take a dropped file's name as text.
    if ((watched == Text1 || watched == Text4) && isDragEvent(event))
        return takeFileDrag(static_cast<QDropEvent*>(event));
    if (event->type() != QEvent::KeyPress)
        return QMainWindow::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == Grid1 || watched == Grid2)
        return tableKey(static_cast<Grid*>(watched), key);
    if (watched == Grid3) {
        if (!isCopyKey(key))
            return false;
        copySolution();
        return true;
    }
    if (watched == Text1)
        return editorKey(Text1, Grid1, key);
    if (watched == Text4)
        return editorKey(Text4, Grid2, key);
    return false;
}

bool Form1::tableKey(Grid* table, QKeyEvent* key)
{
    typedOnTable_.clear();
    if (isPasteKey(key)) {
        pasteClipboard(table);
        return true;
    }
    if (isCopyKey(key)) {
        copyTable(table);
        return true;
    }
    if (isUndoKey(key)) {
        undoPaste();
        return true;
    }
    if (key->key() == Qt::Key_F2 && key->modifiers() == Qt::NoModifier) {
        // Edit the cell as it stands: the KeyPress steps without a character.
        const TableSide side = sideOf(table);
        typeOn(side);
        side.editor->end(false);
        return true;
    }
    // Any other key goes on to the table; a character key raises KeyPress,
    // whose handler types it into the editor.
    if (typesText(key->text()))
        typedOnTable_ = key->text();
    return false;
}

bool Form1::editorKey(QLineEdit* editor, Grid* table, QKeyEvent* key)
{
    if (isPasteKey(key)) {
        // A one-line text goes into the editor as it always has; a block
        // pastes into the table, which does nothing while the solution is
        // shown.
        if (!isBlock(QGuiApplication::clipboard()->text()))
            return false;
        pasteClipboard(table);
        return true;
    }
    if (!editing())
        return false;
    if (isUndoKey(key)) {
        // The editor's own typing is undone first.
        if (editor->isUndoAvailable() || !canUndoPaste())
            return false;
        undoPaste();
        return true;
    }
    if (isEnterKey(key)) {
        rectangularInEditor(editor);
        moveToNextCell(table, key->modifiers().testFlag(Qt::ShiftModifier));
        return true;
    }
    return false;
}

void Form1::typeIntoEditor(QLineEdit* editor)
{
    const QString typed = std::exchange(typedOnTable_, QString());
    if (typed.isEmpty())
        return;
    // As in a spreadsheet, typing on a cell replaces its text; as one edit
    // of the editor, so the editor's own undo brings the text back.
    editor->selectAll();
    editor->insert(typed);
}

void Form1::pasteClipboard(Grid* table)
{
    if (!editing())
        return;
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty())
        return;
    const std::string bytes = text.toStdString();
    const TableText block = readTableText(bytes, pasteSeparator(bytes));
    std::vector<std::vector<std::string>> rows;
    rows.reserve(block.rows.size());
    for (const TableRow& row : block.rows)
        rows.push_back(row.fields);
    // A spreadsheet column of phasors lands as numbers the cells read.
    convertPolarFields(rows);
    pasteRows(table, rows, table->Row(), table->Col());
}

BlockPaste::Outcome Form1::pasteRows(Grid* table, const std::vector<std::vector<std::string>>& rows, int row, int col)
{
    if (!editing() || (table != Grid1 && table != Grid2) || row < 1 || col < 1 || row >= table->Rows()
        || col >= table->Cols())
        return {};
    const BlockPaste::Outcome outcome = paste_->pasteRows(*table, rows, row, col);
    showCurrentCellsInEditors();
    if (outcome.rowsLeftOut > 0 || outcome.columnsLeftOut > 0)
        messages_.show(MessageBox::Style::Information, leftOutMessage(outcome), QStringLiteral("KALVOR1"));
    return outcome;
}

void Form1::dragEnterEvent(QDragEnterEvent* event)
{
    if (!takeFileDrag(event))
        event->ignore();
}

void Form1::dragMoveEvent(QDragMoveEvent* event)
{
    if (!takeFileDrag(event))
        event->ignore();
}

void Form1::dropEvent(QDropEvent* event)
{
    if (!takeFileDrag(event))
        event->ignore();
}

bool Form1::takeFileDrag(QDropEvent* event)
{
    const QString path = droppedSystemFile(event->mimeData());
    if (path.isEmpty())
        return false;
    if (!editing()) {
        event->ignore();
        return true;
    }
    event->acceptProposedAction();
    // Read once the drop is over: a message shown inside the drop would keep
    // the program the file came from waiting.
    if (event->type() == QEvent::Drop)
        QMetaObject::invokeMethod(
            this, [this, path] { pasteSystemFile(path); }, Qt::QueuedConnection);
    return true;
}

void Form1::pasteSystemFile(const QString& path)
{
    if (!editing())
        return;
    DroppedSystem system = readDroppedSystem(path, N);
    if (!system.refusal.isEmpty()) {
        messages_.show(MessageBox::Style::Stop, system.refusal, QStringLiteral("KALVOR1"));
        return;
    }
    convertPolarFields(system.rows);
    pasteRows(Grid1, system.rows, 1, 1);
}

bool Form1::undoPaste()
{
    if (!editing() || !paste_->undo())
        return false;
    showCurrentCellsInEditors();
    return true;
}

bool Form1::canUndoPaste() const
{
    return paste_->canUndo();
}

void Form1::showCurrentCellsInEditors()
{
    // An editor whose cell kept its text keeps its own undo too.
    if (Text1->text() != Grid1->Text())
        mirrorEditor(Text1, Grid1);
    if (Text4->text() != Grid2->Text())
        mirrorEditor(Text4, Grid2);
}

void Form1::copyTable(Grid* table)
{
    if (table == Grid3) {
        copySolution();
        return;
    }
    std::vector<std::vector<std::string>> rows(static_cast<std::size_t>(N));
    for (int r = 1; r <= N; ++r)
        for (int c = 1; c < table->Cols(); ++c)
            rows[static_cast<std::size_t>(r - 1)].push_back(table->TextMatrix(r, c).toStdString());
    putOnClipboard(rows);
}

void Form1::copySystem()
{
    putOnClipboard(systemRows());
}

void Form1::copySolution()
{
    // Every column shown: the polar one too, while it is on.
    std::vector<std::vector<std::string>> rows(static_cast<std::size_t>(Grid3->Rows() - 1));
    for (int k = 1; k < Grid3->Rows(); ++k)
        for (int c = 0; c < Grid3->Cols(); ++c)
            rows[static_cast<std::size_t>(k - 1)].push_back(Grid3->TextMatrix(k, c).toStdString());
    putOnClipboard(rows);
}

void Form1::copySolutionNumbers()
{
    std::vector<std::vector<std::string>> rows;
    for (std::size_t k = 0; k < solutionRe_.size(); ++k)
        rows.push_back({shortestText(solutionRe_[k]), shortestText(solutionIm_[k])});
    putOnClipboard(rows);
}

QMenu* Form1::contextMenuFor(Grid* table)
{
    auto* menu = new QMenu(this);
    menu->setObjectName(table->objectName() + QStringLiteral("Menu"));
    if (table == Grid3) {
        menu->addAction(QStringLiteral("Copy solution"), this, &Form1::copySolution);
        QAction* numbers = menu->addAction(QStringLiteral("Copy as numbers"), this, &Form1::copySolutionNumbers);
        numbers->setEnabled(!solutionRe_.empty());
        QAction* polar = menu->addAction(QStringLiteral("Show polar form"), this, &Form1::setPolarFormShown);
        polar->setCheckable(true);
        polar->setChecked(showPolar_);
        return menu;
    }
    menu->addAction(QStringLiteral("Copy table"), this, [this, table] { copyTable(table); });
    menu->addAction(QStringLiteral("Copy system"), this, &Form1::copySystem);
    menu->addSeparator();
    QAction* pasteAction = menu->addAction(QStringLiteral("Paste"), this, [this, table] { pasteClipboard(table); });
    pasteAction->setEnabled(editing() && !QGuiApplication::clipboard()->text().isEmpty());
    QAction* undoAction = menu->addAction(QStringLiteral("Undo paste"), this, [this] { undoPaste(); });
    undoAction->setEnabled(editing() && canUndoPaste());
    return menu;
}

void Form1::moveToNextCell(Grid* table, bool backwards)
{
    // Along the equations as they are written: a row's coefficients, then
    // its constant, then the next row's first coefficient. The first
    // coefficient and the last constant are the ends; Enter stays there.
    const int r = std::max(1, table->Row());
    const int c = std::max(1, table->Col());
    const bool constant = table == Grid2;
    if (!backwards) {
        if (!constant && c < N)
            selectAsIfClicked(Grid1, r, c + 1);
        else if (!constant || r == N)
            selectAsIfClicked(Grid2, r, 1);
        else
            selectAsIfClicked(Grid1, r + 1, 1);
    } else {
        if (constant)
            selectAsIfClicked(Grid1, r, N);
        else if (c > 1)
            selectAsIfClicked(Grid1, r, c - 1);
        else if (r > 1)
            selectAsIfClicked(Grid2, r - 1, 1);
        else
            selectAsIfClicked(Grid1, 1, 1);
    }
}

void Form1::selectAsIfClicked(Grid* table, int row, int col)
{
    table->setRow(row);
    table->setCol(col);
    table->scrollTo(table->model()->index(row - 1, col - 1));
    clickOn(sideOf(table));
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
    if (cell->table == CellPosition::Table::Coefficients) {
        selectAsIfClicked(Grid1, row, col);
        StatusBar1->setPanelText(errorPanel, QStringLiteral("EQ.%1, X%2: not a number").arg(row).arg(col));
    } else {
        selectAsIfClicked(Grid2, row, 1);
        StatusBar1->setPanelText(errorPanel, QStringLiteral("C %1: not a number").arg(row));
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
    StatusBar1->setPanelText(errorPanel, text);
}

}  // namespace kalvor
