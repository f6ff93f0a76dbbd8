#pragma once

#include <functional>

#include <QDialog>
#include <QPointer>
#include <QString>

class QEventLoop;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kalvor {

class MessageBox;

// The unknown-count dialog: asks for the number of unknowns and, on OK, opens
// the equation window. It is never closed by the program: once OK has been
// pressed it stays in existence, hidden, so that the equation window can read
// the confirmed count text from Text1 at any time.
class Form2 final : public QDialog {
    Q_OBJECT

public:
    // Opens the equation window modally and returns once it has closed. It
    // receives this dialog, whose countText() is the confirmed count.
    using EquationWindowOpener = std::function<void(Form2& dialog)>;

    // The text of the refusal shown when OK is pressed with a count that is
    // not a whole number from 1 to 500.
    static const QString countRefusal;

    // messages shows the refusal; openEquationWindow runs on an accepted OK.
    // Builds every control with its design values, hidden; Command1 starts
    // disabled.
    Form2(MessageBox& messages, EquationWindowOpener openEquationWindow, QWidget* parent = nullptr);

    // The splash window that OK hides if it is still open. Held weakly: a
    // splash window that has gone away is left alone, never brought back.
    void setSplashWindow(QWidget* splash);
    // What Esc and a close request do to end the program; by default
    // QCoreApplication::exit(0), which leaves every running event loop, as
    // the equation window's Exit does.
    void setProgramEnd(std::function<void()> endProgram);

    // The count text as typed into Text1.
    QString countText() const;

    // Shows the dialog again, modally and empty, for the equation window's
    // New system. OK confirms a count as at start-up (with the same refusal)
    // and returns true, Text1 then holding it; Esc or a close request
    // cancels and returns false, Text1 getting its earlier text back. Either
    // way the dialog is hidden again and the program goes on.
    bool askForNewCount();

    // Where the dialog of the given size goes on a screen: at its design
    // place, 3825 by 4755 twips from the screen's top-left corner, unless
    // that would put part of it off the screen's available area; then moved
    // up and left just enough to show it whole (never past the area's
    // top-left corner).
    static QPoint placeOn(const QRect& screen, const QRect& available, const QSize& size);

    // Handlers, public so that tests can run one on its own.
    void Text1_Change();
    void Command1_Click();

    // Controls, for tests.
    QFrame* shape1() const { return Shape1; }
    QLabel* label1() const { return Label1; }
    QLineEdit* text1() const { return Text1; }
    QPushButton* command1() const { return Command1; }

public slots:
    // Esc and a window manager's close request: the user does not want to go
    // on. The dialog and the splash window are hidden and the program ends at
    // once; no equation window is opened. Asked again for a new count, they
    // only cancel that.
    void reject() override;

private:
    void setUpWindow();
    void setUpControls();
    void placeOnScreen();

    MessageBox& messages_;
    EquationWindowOpener openEquationWindow_;
    std::function<void()> endProgram_;
    QPointer<QWidget> splash_;
    // The wait of askForNewCount while it runs, and whether OK ended it.
    QEventLoop* newCountLoop_ = nullptr;
    bool newCountConfirmed_ = false;

    QFrame* Shape1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;
};

}  // namespace kalvor
