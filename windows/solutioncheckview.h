#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <QObject>
#include <QString>

#include "core/core.h"
#include "windows/blockpaste.h"

class QWidget;

namespace kalvor {

class Grid;
class StatusBar;

// The equation window's check of a shown solution. After the results are
// written, start() runs checkSolution on the numbers the solve read off the
// user-interface thread; its verdict comes back to status panel 4 (unless
// dropped text is named there), marks each wrong unknown's cell with its
// accurate value (a tooltip and accessible description over a warning
// colour), fills what "Copy checked solution" copies and, while "Show
// accurate values" is on, the solution table's column "Accurate". forget()
// makes any check still running stale and takes all that away: every new
// Solve, every change of a table's text and leaving the solution call it.
class SolutionCheckView final : public QObject {
    Q_OBJECT

public:
    struct Controls {
        QWidget* resultPanel;  // hidden: the solution is left
        Grid* coefficients;    // a change of text in either table makes the check stale
        Grid* constants;
        Grid* solution;
        StatusBar* statusBar;
    };
    // What the view asks of its window: whether the tables are being edited
    // (a verdict arriving then is dropped), whether panel 4 names dropped
    // text (which then stays), and the first column of the solution table
    // after the window's own ones; `showNote` writes the verdict to panel 4
    // as the window's note on the solution shown. `running` counts the checks
    // not yet back.
    struct Window {
        std::function<bool()> editing;
        std::function<bool()> panelTaken;
        std::function<int()> firstFreeColumn;
        std::function<void(const QString&)> showNote;
        int& running;
    };

    SolutionCheckView(const Controls& controls, Window window, QObject* parent);

    // Checks the solution re + i im, shown for the system `read`.
    void start(NumericSystem read, std::vector<double> re, std::vector<double> im);
    void forget();

    // The check's accurate values of the solution shown, one row of shortest
    // real and imaginary texts per unknown; empty until its check has come
    // back with a verdict that vouches for them.
    BlockPaste::Rows checkedNumbers() const;
    // The accurate text of each unknown of the solution shown (the shown
    // text itself where it is correct); empty while the check runs, after a
    // verdict of unreliable, and before the first solution.
    const std::vector<std::string>& accurateTexts() const { return accurateTexts_; }

    // "Show accurate values": while on, the solution table has a column
    // "Accurate" after the window's own columns, with accurateTexts(). The
    // choice holds for the session.
    bool accurateShown() const { return shown_; }
    void setAccurateShown(bool shown);
    // Places the column as the choice stands (after the window changed its
    // own columns).
    void placeAccurateColumn();

private:
    void show(const SolutionCheck& check);

    Controls controls_;
    Window window_;
    // Bumped by forget: a check that finds another number than the one it
    // started with is stale and shows nothing.
    std::uint64_t generation_ = 0;
    std::vector<int> markedRows_;
    std::vector<double> checkedRe_, checkedIm_;
    std::vector<std::string> accurateTexts_;
    bool shown_ = false;
};

}  // namespace kalvor
