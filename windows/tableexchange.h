#pragma once

#include <string>
#include <vector>

#include <QObject>
#include <QString>

#include "core/core.h"
#include "windows/blockpaste.h"
#include "windows/changeorder.h"

class QDropEvent;
class QKeyEvent;
class QLineEdit;
class QMenu;
class QWidget;

namespace kalvor {

class Grid;
class MessageBox;
class SystemParameters;

// The equation window's exchange of systems: blocks of cells pasted from and
// copied to the clipboard, pastes undone, system files dropped, the keys that
// do these on the tables and editors, and the context menus that offer them.
// Owned by the window; it routes keys, drops and menu commands, while the
// paste bookkeeping is BlockPaste's and the reading of a dropped file
// systemfiledrop's. Nothing here changes a cell while the solution is shown
// (apart from the solution's own copies).
//
// Undo on the tables takes back the last change of the system not yet
// undone, a paste or a change of the parameter table, in the one order they
// were made; the Parameters window's own undo takes its changes out of that
// order too.
//
// One system file (.tsv, .csv or .txt) dropped on the window or an editor
// line in Editing is pasted as a whole system at (1, 1) of the coefficients,
// one undoable step; a file that does not fit the window is refused with a
// message. No drop is taken while the solution is shown.
class TableExchange final : public QObject {
    Q_OBJECT

public:
    // The steps the exchange leaves to the window: editing a cell, moving
    // along the equations, phasors, and the solution's numbers.
    class Window {
    public:
        virtual int unknownCount() const = 0;
        // After a paste or an undo: each editor shows its table's current
        // cell.
        virtual void showCurrentCells() = 0;
        // F2 on a table: its editor takes the current cell's text as it
        // stands, the caret at its end.
        virtual void editCell(Grid* table) = 0;
        // Enter (Shift+Enter backwards) in an editor.
        virtual void enterInEditor(QLineEdit* editor, Grid* table, bool backwards) = 0;
        // The editor's polar text replaced by its rectangular text; false
        // when it holds none.
        virtual bool rectangularInEditor(QLineEdit* editor) = 0;
        virtual bool polarFormShown() const = 0;
        virtual void setPolarFormShown(bool shown) = 0;
        // The solution shown, one row of real and imaginary part (shortest
        // texts) per unknown; empty before the first solution.
        virtual BlockPaste::Rows solutionNumbers() const = 0;
        // The check's accurate values of the solution shown, rows as
        // solutionNumbers gives them; empty until the check of that solution
        // has arrived with a verdict that vouches for them.
        virtual BlockPaste::Rows checkedNumbers() const = 0;
        // "Show accurate values" on the solution's context menu.
        virtual bool accurateValuesShown() const = 0;
        virtual void setAccurateValuesShown(bool shown) = 0;
        // The parameter lines of a dropped system file, which has some: the
        // system's parameters from now on.
        virtual void takeDroppedParameters(std::vector<Parameter> parameters) = 0;

    protected:
        ~Window() = default;
    };

    // The window's controls the exchange works on.
    struct Controls {
        QWidget* window;
        Grid* coefficients;
        Grid* constants;
        Grid* solution;
        QLineEdit* coefficientEditor;
        QLineEdit* constantEditor;
        // Shown while the solution is: no paste, undo or drop then.
        QWidget* resultPanel;
    };

    // Watches the tables, the editors and the window; a child of the window.
    TableExchange(Window& window, const Controls& controls, MessageBox& messages, int widestColumnTwips);
    ~TableExchange() override;

    // The clipboard's text pasted as a block into `table` (the coefficients
    // or the constants) at its current cell.
    void pasteClipboard(Grid* table);
    // `rows` of UTF-8 fields pasted into `table` (the coefficients or the
    // constants) with the first field at data cell (row, col), as one
    // undoable step (a whole system [A | b] at (1, 1) fills both tables);
    // one information message says how much of the block did not fit, if
    // any. Returns what was written (nothing while the solution is shown).
    BlockPaste::Outcome pasteRows(Grid* table, const BlockPaste::Rows& rows, int row, int col);
    // The system's parameter table, whose changes undo takes back in turn
    // with the pastes; it must outlive the exchange.
    void followParameters(SystemParameters& parameters);
    // Undoes the last change of the system not yet undone, a paste or a
    // change of the parameters; false when there is none or the solution is
    // shown.
    bool undoChange();
    bool canUndoChange() const;
    // Undoes the last paste not yet undone, whatever came after it; false
    // when there is none or the solution is shown.
    bool undoPaste();
    bool canUndoPaste() const;
    // Forgets every paste: the tables as they stand are no paste's.
    void forgetPastes();
    // Tab-separated lines on the clipboard: a table's data cells, the whole
    // system, the solution as shown (every column), or its numbers (shortest
    // texts of the real and imaginary parts).
    void copyTable(Grid* table);
    void copySystem();
    void copySolution();
    void copySolutionNumbers();
    // "Copy checked solution": the check's accurate values, written as Copy
    // as numbers writes the shown ones; nothing until there are such values.
    void copyCheckedSolution();
    // Both tables as N rows of N + 1 cell texts, as Copy system gives them.
    BlockPaste::Rows systemRows() const;
    // The context menu of a table, not yet shown; the caller owns it.
    QMenu* contextMenuFor(Grid* table);
    // The context menu of an editor line, not yet shown: the line's standard
    // items, then "Polar to rectangular", enabled while the line holds a
    // polar text; the caller owns it.
    QMenu* editorMenuFor(QLineEdit* editor);
    // The character last typed on a table, for its KeyPress handler to type
    // into the editor; empty once taken, or when the key typed nothing.
    QString takeTypedText();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUpMenus();
    bool editing() const;
    bool tableKey(Grid* table, QKeyEvent* key);
    bool editorKey(QLineEdit* editor, Grid* table, QKeyEvent* key);
    // A drag or drop carrying one system file, on the window or an editor
    // line: accepted in Editing, ignored otherwise; false when it carries
    // anything else.
    bool takeFileDrag(QDropEvent* event);
    void pasteSystemFile(const QString& path);

    Window& window_;
    Controls controls_;
    MessageBox& messages_;
    BlockPaste paste_;
    SystemParameters* parameters_ = nullptr;
    ChangeOrder order_;
    QString typedOnTable_;
};

}  // namespace kalvor
