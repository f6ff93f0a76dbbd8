#pragma once

#include <QIcon>
#include <QWidget>

class QCloseEvent;
class QFrame;
class QKeyEvent;
class QLabel;
class QShowEvent;
class QTimer;

namespace kalvor {

class Form2;

// The splash window that starts the program. One second after it appears, or
// at once on a key that produces a character, it hands over to the
// unknown-count dialog, which it shows modally; the rest of the run happens
// inside that hand-over. It hands over exactly once, however many ticks or
// keys arrive while the dialog and the windows after it are open.
class frmSplash final : public QWidget {
    Q_OBJECT

public:
    // The picture for Image1 and the window icon come from the program's
    // resources. Timer1 starts running here. dialog is the unknown-count
    // dialog to hand over to; it learns this window so that its OK can hide
    // it.
    explicit frmSplash(Form2& dialog, QWidget* parent = nullptr);

    // The program's 48 x 48 window icon.
    static QIcon programIcon();

    // Handlers, public so that tests can run one on its own.
    // The hand-over by timer: hides Image1, shows the dialog modally, then
    // hides and closes this window. Does nothing after the first hand-over.
    void Timer1_Timer();
    // The hand-over by key: closes this window, then shows the dialog
    // modally. Does nothing after the first hand-over.
    void Form_KeyPress();

    bool hasHandedOver() const { return handedOver_; }
    bool isClosed() const { return closed_; }

    // Controls, for tests. Every control is also found by its design name
    // as object name ("Image1", "lblProductName(1)").
    QLabel* image1() const { return Image1; }
    // Null once the window has closed.
    QTimer* timer1() const { return Timer1; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void setUpWindow();
    void setUpFrame();
    void setUpLabels();
    void setUpImage();
    void setUpTimer();
    void closeSplash();

    Form2& dialog_;
    bool handedOver_ = false;
    bool closing_ = false;
    bool closed_ = false;

    QFrame* Shape1 = nullptr;
    QLabel* lblProductName[2] = {nullptr, nullptr};
    QLabel* lblCompanyProduct = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblPlatform = nullptr;
    QLabel* lblCompany = nullptr;
    QLabel* lblHint = nullptr;
    QLabel* Image1 = nullptr;
    QTimer* Timer1 = nullptr;
};

}  // namespace kalvor
