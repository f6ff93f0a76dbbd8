#include "windows/tableexchange.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

#include <QAction>
#include <QClipboard>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>

#include "core/decimalcomma.h"
#include "core/polar.h"
#include "core/tabletext.h"
#include "platform/grid.h"
#include "platform/messagebox.h"
#include "windows/systemfiledrop.h"
#include "windows/systemparameters.h"

namespace kalvor {

namespace {

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

void putOnClipboard(const BlockPaste::Rows& rows)
{
    QGuiApplication::clipboard()->setText(QString::fromStdString(writeTableText(rows, '\t')));
}

bool holdsPolarText(const QLineEdit* editor)
{
    return polarCellText(editor->text().toStdString()).has_value();
}

}  // namespace

TableExchange::TableExchange(Window& window, const Controls& controls, MessageBox& messages, int widestColumnTwips)
    : QObject(controls.window),
      window_(window),
      controls_(controls),
      messages_(messages),
      paste_(*controls.coefficients, *controls.constants, widestColumnTwips)
{
    setObjectName(QStringLiteral("exchange"));
    for (QWidget* watched :
         std::initializer_list<QWidget*>{controls_.coefficients, controls_.constants, controls_.solution,
                                         controls_.coefficientEditor, controls_.constantEditor, controls_.window})
        watched->installEventFilter(this);
    // The tables take no drops, so a file dragged over them reaches the
    // window; the editor lines take text drops and are filtered.
    controls_.window->setAcceptDrops(true);
    setUpMenus();
}

TableExchange::~TableExchange() = default;

void TableExchange::setUpMenus()
{
    for (Grid* table : {controls_.coefficients, controls_.constants, controls_.solution}) {
        table->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(table, &Grid::customContextMenuRequested, this, [this, table](const QPoint& at) {
            QMenu* menu = contextMenuFor(table);
            menu->setAttribute(Qt::WA_DeleteOnClose);
            menu->popup(table->viewport()->mapToGlobal(at));
        });
    }
    for (QLineEdit* editor : {controls_.coefficientEditor, controls_.constantEditor}) {
        editor->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(editor, &QLineEdit::customContextMenuRequested, this, [this, editor](const QPoint& at) {
            QMenu* menu = editorMenuFor(editor);
            menu->setAttribute(Qt::WA_DeleteOnClose);
            menu->popup(editor->mapToGlobal(at));
        });
    }
}

bool TableExchange::editing() const
{
    return controls_.resultPanel->isHidden();
}

bool TableExchange::eventFilter(QObject* watched, QEvent* event)
{
    // The window takes dropped files, and an editor line would take a
    // dropped file's name as text.
    if (isDragEvent(event)) {
        if (watched == controls_.window) {
            if (!takeFileDrag(static_cast<QDropEvent*>(event)))
                event->ignore();
            return true;
        }
        if (watched == controls_.coefficientEditor || watched == controls_.constantEditor)
            return takeFileDrag(static_cast<QDropEvent*>(event));
    }
    if (event->type() != QEvent::KeyPress || watched == controls_.window)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == controls_.coefficients || watched == controls_.constants)
        return tableKey(static_cast<Grid*>(watched), key);
    if (watched == controls_.solution) {
        if (!isCopyKey(key))
            return false;
        copySolution();
        return true;
    }
    if (watched == controls_.coefficientEditor)
        return editorKey(controls_.coefficientEditor, controls_.coefficients, key);
    if (watched == controls_.constantEditor)
        return editorKey(controls_.constantEditor, controls_.constants, key);
    return false;
}

bool TableExchange::tableKey(Grid* table, QKeyEvent* key)
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
        undoChange();
        return true;
    }
    if (key->key() == Qt::Key_F2 && key->modifiers() == Qt::NoModifier) {
        window_.editCell(table);
        return true;
    }
    // Any other key goes on to the table; a character key raises KeyPress,
    // whose handler types it into the editor.
    if (typesText(key->text()))
        typedOnTable_ = key->text();
    return false;
}

bool TableExchange::editorKey(QLineEdit* editor, Grid* table, QKeyEvent* key)
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
        if (editor->isUndoAvailable() || !canUndoChange())
            return false;
        undoChange();
        return true;
    }
    if (isEnterKey(key)) {
        window_.enterInEditor(editor, table, key->modifiers().testFlag(Qt::ShiftModifier));
        return true;
    }
    return false;
}

QString TableExchange::takeTypedText()
{
    return std::exchange(typedOnTable_, QString());
}

void TableExchange::pasteClipboard(Grid* table)
{
    if (!editing())
        return;
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty())
        return;
    const std::string bytes = text.toStdString();
    const char separator = pasteSeparator(bytes);
    const TableText block = readTableText(bytes, separator);
    BlockPaste::Rows rows;
    rows.reserve(block.rows.size());
    for (const TableRow& row : block.rows)
        rows.push_back(row.fields);
    // Semicolons come from spreadsheets that write a decimal comma.
    if (separator == ';')
        convertDecimalCommaFields(rows);
    // A spreadsheet column of phasors lands as numbers the cells read.
    convertPolarFields(rows);
    pasteRows(table, rows, table->Row(), table->Col());
}

BlockPaste::Outcome TableExchange::pasteRows(Grid* table, const BlockPaste::Rows& rows, int row, int col)
{
    if (!editing() || (table != controls_.coefficients && table != controls_.constants) || row < 1 || col < 1
        || row >= table->Rows() || col >= table->Cols())
        return {};
    const BlockPaste::Outcome outcome = paste_.pasteRows(*table, rows, row, col);
    order_.follow(ChangeOrder::Kind::Paste, paste_.depth());
    window_.showCurrentCells();
    if (outcome.rowsLeftOut > 0 || outcome.columnsLeftOut > 0)
        messages_.show(MessageBox::Style::Information, leftOutMessage(outcome), QStringLiteral("KALVOR1"));
    return outcome;
}

bool TableExchange::takeFileDrag(QDropEvent* event)
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

void TableExchange::pasteSystemFile(const QString& path)
{
    if (!editing())
        return;
    DroppedSystem system = readDroppedSystem(path, window_.unknownCount());
    if (!system.refusal.isEmpty()) {
        messages_.show(MessageBox::Style::Stop, system.refusal, QStringLiteral("KALVOR1"));
        return;
    }
    convertPolarFields(system.rows);
    pasteRows(controls_.coefficients, system.rows, 1, 1);
    if (!system.parameters.empty())
        window_.takeDroppedParameters(std::move(system.parameters));
}

void TableExchange::followParameters(SystemParameters& parameters)
{
    parameters_ = &parameters;
    order_.follow(ChangeOrder::Kind::Parameters, parameters.depth());
    // A change, or an undo in the Parameters window.
    connect(&parameters, &SystemParameters::changed, this,
            [this] { order_.follow(ChangeOrder::Kind::Parameters, parameters_->depth()); });
}

bool TableExchange::undoChange()
{
    if (!editing())
        return false;
    // The table's history may have been forgotten without a change.
    if (parameters_)
        order_.follow(ChangeOrder::Kind::Parameters, parameters_->depth());
    const std::optional<ChangeOrder::Kind> last = order_.last();
    if (!last)
        return false;
    if (*last == ChangeOrder::Kind::Parameters)
        // The order follows through changed(), as does the recovery file.
        return parameters_->undo();
    return undoPaste();
}

bool TableExchange::undoPaste()
{
    if (!editing() || !paste_.undo())
        return false;
    order_.follow(ChangeOrder::Kind::Paste, paste_.depth());
    window_.showCurrentCells();
    return true;
}

bool TableExchange::canUndoChange() const
{
    return paste_.canUndo() || (parameters_ && parameters_->canUndo());
}

bool TableExchange::canUndoPaste() const
{
    return paste_.canUndo();
}

void TableExchange::forgetPastes()
{
    paste_.clear();
    order_.follow(ChangeOrder::Kind::Paste, 0);
}

void TableExchange::copyTable(Grid* table)
{
    if (table == controls_.solution) {
        copySolution();
        return;
    }
    const int n = window_.unknownCount();
    BlockPaste::Rows rows(static_cast<std::size_t>(n));
    for (int r = 1; r <= n; ++r)
        for (int c = 1; c < table->Cols(); ++c)
            rows[static_cast<std::size_t>(r - 1)].push_back(table->TextMatrix(r, c).toStdString());
    putOnClipboard(rows);
}

void TableExchange::copySystem()
{
    putOnClipboard(systemRows());
}

BlockPaste::Rows TableExchange::systemRows() const
{
    const int n = window_.unknownCount();
    BlockPaste::Rows rows(static_cast<std::size_t>(n));
    for (int r = 1; r <= n; ++r) {
        auto& fields = rows[static_cast<std::size_t>(r - 1)];
        fields.reserve(static_cast<std::size_t>(n) + 1);
        for (int c = 1; c <= n; ++c)
            fields.push_back(controls_.coefficients->TextMatrix(r, c).toStdString());
        fields.push_back(controls_.constants->TextMatrix(r, 1).toStdString());
    }
    return rows;
}

void TableExchange::copySolution()
{
    // Every column shown: the polar one too, while it is on.
    const Grid* solution = controls_.solution;
    BlockPaste::Rows rows(static_cast<std::size_t>(solution->Rows() - 1));
    for (int k = 1; k < solution->Rows(); ++k)
        for (int c = 0; c < solution->Cols(); ++c)
            rows[static_cast<std::size_t>(k - 1)].push_back(solution->TextMatrix(k, c).toStdString());
    putOnClipboard(rows);
}

void TableExchange::copySolutionNumbers()
{
    putOnClipboard(window_.solutionNumbers());
}

void TableExchange::copyCheckedSolution()
{
    const BlockPaste::Rows rows = window_.checkedNumbers();
    if (!rows.empty())
        putOnClipboard(rows);
}

QMenu* TableExchange::contextMenuFor(Grid* table)
{
    auto* menu = new QMenu(controls_.window);
    menu->setObjectName(table->objectName() + QStringLiteral("Menu"));
    if (table == controls_.solution) {
        menu->addAction(QStringLiteral("Copy solution"), this, &TableExchange::copySolution);
        QAction* numbers
            = menu->addAction(QStringLiteral("Copy as numbers"), this, &TableExchange::copySolutionNumbers);
        numbers->setEnabled(!window_.solutionNumbers().empty());
        QAction* checked
            = menu->addAction(QStringLiteral("Copy checked solution"), this, &TableExchange::copyCheckedSolution);
        checked->setEnabled(!window_.checkedNumbers().empty());
        QAction* polar = menu->addAction(QStringLiteral("Show polar form"), this,
                                         [this](bool shown) { window_.setPolarFormShown(shown); });
        polar->setCheckable(true);
        polar->setChecked(window_.polarFormShown());
        QAction* accurate = menu->addAction(QStringLiteral("Show accurate values"), this,
                                            [this](bool shown) { window_.setAccurateValuesShown(shown); });
        accurate->setCheckable(true);
        accurate->setChecked(window_.accurateValuesShown());
        return menu;
    }
    menu->addAction(QStringLiteral("Copy table"), this, [this, table] { copyTable(table); });
    menu->addAction(QStringLiteral("Copy system"), this, &TableExchange::copySystem);
    menu->addSeparator();
    QAction* pasteAction = menu->addAction(QStringLiteral("Paste"), this, [this, table] { pasteClipboard(table); });
    pasteAction->setEnabled(editing() && !QGuiApplication::clipboard()->text().isEmpty());
    // Takes back the last change of the system, as Ctrl+Z does.
    QAction* undoAction = menu->addAction(QStringLiteral("Undo paste"), this, [this] { undoChange(); });
    undoAction->setEnabled(editing() && canUndoChange());
    return menu;
}

QMenu* TableExchange::editorMenuFor(QLineEdit* editor)
{
    // The line's own items (undo, cut, copy, paste, select all) come first,
    // as they always have.
    QMenu* menu = editor->createStandardContextMenu();
    menu->setObjectName(editor->objectName() + QStringLiteral("Menu"));
    menu->addSeparator();
    QAction* convert = menu->addAction(QStringLiteral("Polar to rectangular"), this,
                                       [this, editor] { window_.rectangularInEditor(editor); });
    convert->setEnabled(editing() && holdsPolarText(editor));
    return menu;
}

}  // namespace kalvor
