#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include <QMainWindow>
#include <QString>

#include "core/partcell.h"
#include "core/solver.h"

class QAction;
class QEventLoop;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QTimer;

namespace kalvor {

class Grid;
class MessageBox;
class StatusBar;

// The equation window: the coefficients table Grid1, the constants table
// Grid2, an editor line above each, the result panel Frame1 with the solution
// table Grid3, the status bar and the menu bar.
//
// A QMainWindow run in an event loop of its own (showModal) rather than a
// QDialog: the menu bar and the status bar get their natural places, and the
// window is application-modal while its loop runs, which is what a dialog's
// exec() would give too.
class Form1 : public QMainWindow {
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
    void parted();
    void partedb();
    void frm3grd();

    // Controls, for tests and benchmarks.
    Grid* grid1() const { return Grid1; }
    Grid* grid2() const { return Grid2; }
    Grid* grid3() const { return Grid3; }
    QLineEdit* text1() const { return Text1; }
    QLineEdit* text4() const { return Text4; }
    QLineEdit* text9() const { return Text9; }
    QLineEdit* txt7() const { return Txt7; }
    QLineEdit* txt8() const { return Txt8; }
    QLineEdit* text7() const { return Text7; }
    QLineEdit* text8() const { return Text8; }
    QLabel* label1() const { return Label1; }
    QLabel* label2() const { return Label2; }
    QFrame* frame1() const { return Frame1; }
    StatusBar* statusBar1() const { return StatusBar1; }
    QTimer* timer1() const { return Timer1; }
    QMenu* fileMenu() const { return file; }
    QAction* exitAction() const { return exit; }
    QAction* solveAction() const { return solve; }
    QAction* backAction() const { return back; }
    QAction* aboutAction() const { return about; }

    // Window-wide values, for tests.
    std::int16_t unknownCount() const { return N; }
    int currentColumn() const { return curCol; }
    // curRow read as text: empty while it holds no value.
    QString currentRowText() const;
    // The working storage written by parted and partedb, indexed from 0
    // (equation k is index k - 1); empty before the first Solve.
    const PartMatrix& coefRe() const { return CoefRe; }
    const PartMatrix& coefIm() const { return CoefIm; }
    const PartVector& constRe() const { return ConstRe; }
    const PartVector& constIm() const { return ConstIm; }

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
    void setTabOrder();
    void connectHandlers();
    // Steps of a click shared by both tables: repaint the previous cell, the
    // corner and the clicked cell, and remember the clicked cell.
    void paintSelection(Grid* grid, QLineEdit* previousRow, QLineEdit* previousCol);
    void mirrorEditor(QLineEdit* editor, Grid* grid);

    std::function<QString()> countText_;
    MessageBox& messages_;
    std::function<void()> showAbout_;
    std::function<void()> endProgram_;
    QEventLoop* modalLoop_ = nullptr;
    bool ending_ = false;

    // Window-wide storage shared by the procedures.
    std::int16_t N = 0;
    int curCol = 0;
    std::optional<int> curRow;
    PartMatrix CoefRe, CoefIm;
    PartVector ConstRe, ConstIm;

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
    QAction* exit = nullptr;
    QAction* solve = nullptr;
    QAction* back = nullptr;
    QAction* about = nullptr;
};

} // namespace kalvor
