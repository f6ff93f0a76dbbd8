#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QString>

#include "core/cellcheck.h"
#include "core/core.h"
#include "core/partcell.h"
#include "core/solver.h"
#include "platform/savequestion.h"
#include "windows/blockpaste.h"
#include "windows/form1state.h"
#include "windows/readingnotes.h"
#include "windows/recentfiles.h"
#include "windows/tableexchange.h"

class QAction;
class QEventLoop;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QTimer;

namespace kalvor {

class FileDialogs;
class Grid;
class MessageBox;
class NumberFormsWindow;
class SystemParameters;
class ParametersWindow;
class RecoveryFile;
class SolutionCheckView;
class StatusBar;

// The equation window: the coefficients table Grid1, the constants table
// Grid2, an editor line above each, the result panel Frame1 with the solution
// table Grid3, the status bar and the menu bar.
//
// A QMainWindow run in an event loop of its own (showModal) rather than a
// QDialog: the menu bar and the status bar get their natural places, and the
// window is application-modal while its loop runs, which is what a dialog's
// exec() would give too.
class Form1 : public QMainWindow, private Form1State, private TableExchange::Window {
    Q_OBJECT

public:
    // countText gives the unknown-count text when Form_Load runs; messages
    // shows the Solve run's two failure messages. Builds every control with
    // its design values; no table is shaped until Form_Load.
    Form1(std::function<QString()> countText, MessageBox& messages, QWidget* parent = nullptr);
    ~Form1() override;

    // about_Click runs showAbout (the about window belongs elsewhere).
    void setAboutCommand(std::function<void()> showAbout);
    // What Exit and the close box do to end the program; by default
    // QCoreApplication::exit(0), which leaves every running event loop.
    void setProgramEnd(std::function<void()> endProgram);
    // What New system asks: askCount() shows the count dialog and returns
    // true once the user confirmed a count, which countText then gives;
    // false when the user cancelled. Without it New system does nothing.
    void setCountQuestion(std::function<bool()> askCount);
    // The file dialogs of the File menu; by default the real ones.
    void setFileDialogs(FileDialogs& dialogs);
    // The question before New, Open or Recover replace a changed system;
    // by default the real one.
    void setSaveQuestion(SaveQuestion& question);

    // Runs Form_Load (which throws std::invalid_argument, before any table
    // changes, when countText() gives no N from 1 to 500), shows the window
    // and runs a nested event loop until the window is closed; then returns.
    void showModal();

    // Handlers and procedures, public so that tests can run one on its own.
    // Form_Load: shapes the tables for N; throws std::invalid_argument before
    // any change when the count text gives no N from 1 to 500.
    void Form_Load();
    void Timer1_Timer();
    void Grid1_Click();
    void Grid2_Click();
    void Grid1_KeyPress();
    void Grid2_KeyPress();
    void Text1_Change();
    void Text4_Change();
    void solve_Click();
    void back_Click();
    void exit_Click();
    void about_Click();
    // The File menu. New system, Open system, Open recent and Recover first
    // ask whether to save a system changed since it was last saved or
    // opened (or never saved and not empty): Save saves as Save system does
    // and goes on only if that succeeded, Cancel changes nothing.
    // New system: the count dialog, then both tables empty for the confirmed
    // N as at start-up, in Editing. Open system: a system file read as a
    // dropped one is; another N reshapes the window, the same N is one
    // undoable paste. Open recent: one of the last files opened or saved,
    // opened so. Save system: the system as Copy system puts it on the
    // clipboard, written atomically to the file last opened or saved as
    // tab-separated text, or, without one, under a name asked for as Save
    // system as does. Save solution as: a header line, then "Xk<TAB>text<TAB>
    // re<TAB>im" lines and the polar text while it is shown, only while the
    // solution is shown. Recover: a system of the recovery history, taken as
    // Open takes a file.
    void newSystem_Click();
    void openSystem_Click();
    void openRecent_Click(const QString& path);
    void saveSystem_Click();
    void saveSystemAs_Click();
    void saveSolutionAs_Click();
    void recoverSystem_Click(const QString& path);
    // The Tools menu (form1tools.cpp). Parameters: the window of the
    // system's parameters, editable while the tables are. Number forms (F1):
    // the page of the number forms a cell takes. Neither is modal. Sweep:
    // the modal dialog that sweeps a parameter of the system as it stands
    // and opens each finished sweep in a plot window.
    void parameters_Click();
    void sweep_Click();
    void numberForms_Click();
    void parted();
    void partedb();
    void frm3grd();

    // The window-wide storage, for tests and benchmarks; checksRunning there
    // counts the checks not yet back (tests wait for it).
    const Form1State& state() const { return *this; }
    // The accurate text of each unknown of the solution shown, from its
    // check: empty while the check runs, when it finds the digits
    // unreliable, and while no solution is shown.
    const std::vector<std::string>& accurateTexts() const;
    // The system's parameters, which formula cells use.
    const SystemParameters& systemParameters() const;
    SystemParameters& systemParameters();

    // The widest a coefficient column grows by typing, in twips: the width of
    // the coefficients table itself, so a column always fits on screen.
    static constexpr int maxTypedColumnTwips = 9255;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void createEditingControls();
    void createResultPanel();
    void createHiddenBoxes();
    void createMenus();
    void createFileMenu();
    // One item after another: an item goes in where it is to appear.
    void createToolsMenu();
    // The parameter table, linked to the recovery file and to the tables'
    // cell tooltips.
    void setUpParameters();
    // The File menu's links to the rest of the window, once it all exists.
    void connectFileMenu();
    // Form_Load's steps after the count is known: both tables shaped for n.
    void setUpTables(int n);
    // Back to the state before Form_Load: the tables at their design size
    // and empty, nothing selected, no paste to undo, no solution, Editing.
    void startAgain();
    // Rows of a system file taken into the window, as Open takes them.
    void takeSystem(const BlockPaste::Rows& rows);
    // Replaces the system by `replace`: what the recovery file has not yet
    // written is written first, and what follows goes to a new one.
    void replaceSystem(const std::function<void()>& replace);
    // Whether the system may be replaced now: it is as last saved or opened,
    // or the user saved it or chose to discard it.
    bool mayReplaceSystem();
    // The system as Save writes it: its parameters, then the tables.
    std::string currentSystemText() const;
    // The system file at `path` opened, as Open system opens it.
    void openSystemFile(const QString& path);
    // The Open recent and Recover submenus made afresh from their lists.
    void refreshFileMenu();
    bool saveSystemNow();
    bool saveSystemTo(const QString& path);
    // Writes `text` to `path` atomically; false, after a message saying why,
    // when it cannot.
    bool writeFile(const QString& path, const std::string& text);
    QString proposedName(const QString& name) const;
    void setTabOrder();
    void connectHandlers();
    // While the result panel is shown, the controls it covers take no focus
    // and no input; once it is hidden again the one that had the focus gets
    // it back.
    void guardCoveredControls();
    void setCoveredControlsEnabled(bool enabled);
    // Larger than its design size, the window gives the extra room to the
    // tables and the result panel; at the design size every control keeps
    // its design place.
    void followClientSize();
    // The coefficients and constants tables scroll together, row for row.
    void linkVerticalScroll();
    // One table with its editor and the boxes that remember its previously
    // clicked cell; the paired handlers of the two tables run one step for
    // their side.
    struct TableSide {
        Grid* table;
        QLineEdit* editor;
        QLineEdit* previousRow;
        QLineEdit* previousCol;
    };
    // Grid2's side for Grid2, Grid1's for any other table.
    TableSide sideOf(Grid* table) const;
    // Click: the cell painted and remembered, its text in the editor, its
    // place on the status bar.
    void clickOn(const TableSide& side);
    // KeyPress: the editor takes the cell's text and the typed character.
    void typeOn(const TableSide& side);
    // Change: the editor's text into the current cell; a coefficient column
    // widens with its text.
    void editorChanged(const TableSide& side);
    // Exit and the close box: the recovery file written, the window's loop
    // left, the program ended; hideWindow hides the window first.
    void endSession(bool hideWindow);
    // Steps of a click shared by both tables: repaint the previous cell, the
    // corner and the clicked cell, and remember the clicked cell.
    void paintSelection(Grid* grid, QLineEdit* previousRow, QLineEdit* previousCol);
    void mirrorEditor(QLineEdit* editor, Grid* grid);
    // TableExchange::Window: the steps the exchange leaves to the window.
    int unknownCount() const override { return N; }
    void showCurrentCells() override;
    void editCell(Grid* table) override;
    void enterInEditor(QLineEdit* editor, Grid* table, bool backwards) override;
    // Replaces the polar text in `editor` (Text1 or Text4) by its rectangular
    // text (polarCellText: a formula for a phasor too small for plain text)
    // as one edit of the line: the change handler writes the cell, and the
    // line's undo brings the phasor back. Enter does it before moving on.
    // False, changing nothing, when the line holds no polar text or the
    // solution is shown.
    bool rectangularInEditor(QLineEdit* editor) override;
    // "Show polar form" on the solution's context menu: while on, Grid3 has a
    // third column "Polar" with each unknown's polar text (polarText), as
    // wide as its texts, and Copy solution copies it too. Column 1 is left
    // as it is. The choice holds for the rest of the session.
    bool polarFormShown() const override { return showPolar_; }
    void setPolarFormShown(bool shown) override;
    BlockPaste::Rows solutionNumbers() const override;
    BlockPaste::Rows checkedNumbers() const override;
    // "Show accurate values" (SolutionCheckView::setAccurateShown).
    bool accurateValuesShown() const override;
    void setAccurateValuesShown(bool shown) override;
    void takeDroppedParameters(std::vector<Parameter> parameters) override;
    // Enter in an editor: makes the next (or previous) cell along the
    // equations current as a click would (a row's coefficients, its
    // constant, the next row), in whichever table it is; the first
    // coefficient and the last constant are the ends.
    void moveToNextCell(Grid* table, bool backwards);
    // Grid3's polar column as the choice stands, for the solution shown.
    void showPolarColumn();
    // The polar text of each unknown of the solution shown (polarText).
    std::vector<std::string> polarTexts() const;
    // A character typed on a table, typed by the KeyPress handler into its
    // editor in place of the cell's text.
    void typeIntoEditor(QLineEdit* editor);
    bool editing() const;
    // Makes (row, col) of Grid1 or Grid2 current and clicks it as its Click
    // handler does.
    void selectAsIfClicked(Grid* table, int row, int col);
    // kalvor::solve on the parts, with Solve's second chance for the cells
    // the plain reading refuses (form1notes.cpp): when the solve finds no
    // solution and a part does not read, formula cells are evaluated with
    // the parameters and plain engineering numbers read ("2.2k", "5<90"),
    // both into Number parts, and the system is solved again. The formulas
    // that fail are kept for pointAtDataError.
    SolveResult solveReadingFormulas(NumericSystem& read);
    // After the data-error message: the first cell that does not read as a
    // number (with the reason when it is a formula), or the word that a
    // value left the number range.
    void pointAtDataError();
    // After a successful Solve: the first noted cell (ReadingNotes) and how
    // many others have that note, if any.
    void reportReadingNotes();
    // The tooltip of a cell of Grid1 or Grid2: a formula's value or what is
    // wrong with it, what an engineering number or a cell with a unit before
    // a number is read as; empty for any other cell.
    QString cellNote(Grid* table, int row, int col) const;
    // The check of the solution shown, its own class (form1check.cpp).
    void setUpCheck();
    // Panel 4's verdict or reading note on the solution shown; cleared when
    // the result panel is hidden and at a change of a table, unless panel 4
    // says something else by then.
    void showSolveNote(const QString& text);
    void clearSolveNote();
    // A recovery file that cannot be written, said in panel 4 when it is
    // empty, in the status bar's tooltip otherwise.
    void showRecoveryNotice(const QString& notice);

    std::function<QString()> countText_;
    MessageBox& messages_;
    std::function<void()> showAbout_;
    std::function<void()> endProgram_;
    QEventLoop* modalLoop_ = nullptr;
    bool ending_ = false;
    QPointer<QWidget> focusBeforePanel_;
    bool linkingScroll_ = false;

    // What the last reading of the tables noted.
    ReadingNotes notes_;
    // The formula cells the last Solve could not evaluate, with the reason.
    std::vector<CellProblem> cellProblems_;

    QWidget* client_ = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    Grid* Grid1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Text4 = nullptr;
    Grid* Grid2 = nullptr;
    QFrame* Frame1 = nullptr;
    Grid* Grid3 = nullptr;
    QLineEdit* Text9 = nullptr;
    StatusBar* StatusBar1 = nullptr;
    QTimer* Timer1 = nullptr;
    QLineEdit* Txt7 = nullptr;
    QLineEdit* Txt8 = nullptr;
    QLineEdit* Text7 = nullptr;
    QLineEdit* Text8 = nullptr;
    QMenu* file = nullptr;
    QAction* newSystem = nullptr;
    QAction* openSystem = nullptr;
    QAction* saveSystem = nullptr;
    QAction* saveSystemAs = nullptr;
    QAction* saveSolutionAs = nullptr;
    QMenu* openRecent = nullptr;
    QMenu* recoverSystem = nullptr;
    QAction* exit = nullptr;
    QAction* solve = nullptr;
    QAction* back = nullptr;
    QAction* about = nullptr;
    QMenu* tools = nullptr;
    QAction* parameters = nullptr;
    QAction* sweep = nullptr;
    QAction* numberForms = nullptr;
    SystemParameters* systemParameters_ = nullptr;
    ParametersWindow* parametersWindow_ = nullptr;
    NumberFormsWindow* numberFormsWindow_ = nullptr;

    TableExchange* exchange_ = nullptr;
    std::function<bool()> askCount_;
    std::unique_ptr<FileDialogs> ownFileDialogs_;
    FileDialogs* fileDialogs_ = nullptr;
    RecoveryFile* recovery_ = nullptr;
    std::unique_ptr<RecentFiles> recent_;
    std::unique_ptr<SaveQuestion> ownSaveQuestion_;
    SaveQuestion* saveQuestion_ = nullptr;
    // The system as last saved or opened (or as made empty), as its file
    // text, to tell whether it changed since; none before the first.
    std::optional<std::string> keptSystem_;
    // Where Save system writes without asking: the file last saved, or last
    // opened when it was tab-separated; empty otherwise.
    QString systemPath_;
    // The folder the File menu's dialogs start in, and the name Save system
    // as proposes there when there is no systemPath_.
    QString folder_;
    QString systemName_;
    // The last solution shown, for its copy as exact numbers.
    std::vector<double> solutionRe_, solutionIm_;
    bool showPolar_ = false;
    // The check of the solution shown (its verdict, marks, accurate values).
    SolutionCheckView* check_ = nullptr;
    // Panel 4's note on the solution shown, which goes with it.
    QString solveNote_;
};

}  // namespace kalvor
