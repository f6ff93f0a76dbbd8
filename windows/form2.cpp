#include "windows/form2.h"

#include <algorithm>
#include <climits>

#include <QCoreApplication>
#include <QEventLoop>
#include <QFontDatabase>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "core/val.h"
#include "platform/messagebox.h"
#include "platform/twips.h"
#include "windows/designlook.h"
#include "windows/unknowncount.h"

namespace kalvor {

namespace {

// The design's Fixedsys 9 pt: the platform's fixed-width face at that size.
QFont fixedFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
    font.setWeight(QFont::Normal);
    return font;
}

}  // namespace

const QString Form2::countRefusal = QStringLiteral("The number of unknowns must be a whole number from 1 to 500.");

Form2::Form2(MessageBox& messages, EquationWindowOpener openEquationWindow, QWidget* parent)
    : QDialog(parent),
      messages_(messages),
      openEquationWindow_(std::move(openEquationWindow)),
      endProgram_([] { QCoreApplication::exit(0); })
{
    setUpWindow();
    setUpControls();
    placeOnScreen();
}

void Form2::setUpWindow()
{
    setObjectName(QStringLiteral("Form2"));
    // The caption exists, but with no title bar there is nothing to show it.
    setWindowTitle(QStringLiteral("Form2"));
    // What a screen reader says for the window instead of the bare caption.
    setAccessibleName(QStringLiteral("KALVOR1"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(twipsToPixels(4680), twipsToPixels(3195));
    fillBackground(this, QColor(0x40, 0x00, 0x00));
}

void Form2::setUpControls()
{
    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(twipsRect(120, 120, 4455, 3015));
    Shape1->setStyleSheet(QStringLiteral("QFrame { border: 1px solid #FFFF00; background: transparent; }"));

    Label1 = new QLabel(QStringLiteral("No. of Unknowns"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twipsRect(240, 1200, 3015, 375));
    Label1->setFont(fixedFont());
    Label1->setStyleSheet(QStringLiteral("QLabel { color: #FFFFFF; background: transparent; }"));

    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(twipsRect(2400, 1200, 1215, 375));
    Text1->setFont(fixedFont());
    // The count text has no length limit: a long paste must not be cut.
    Text1->setMaxLength(INT_MAX);
    Text1->setAccessibleName(QStringLiteral("No. of Unknowns"));

    Command1 = new QPushButton(QStringLiteral("&OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twipsRect(1680, 2280, 1215, 495));
    Command1->setFont(fixedFont());
    // The dialog's keyboard-bound button is the default one: Enter confirms
    // the count; Esc leaves the program (reject).
    Command1->setDefault(true);
    Command1->setEnabled(false);

    setTabOrder(Text1, Command1);
    Text1->setFocus();

    connect(Text1, &QLineEdit::textChanged, this, &Form2::Text1_Change);
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
}

void Form2::placeOnScreen()
{
    // A frameless window's client area starts at its position.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(placeOn(screen->geometry(), screen->availableGeometry(), size()));
}

QPoint Form2::placeOn(const QRect& screen, const QRect& available, const QSize& size)
{
    // The design place is measured from the screen's top-left corner, not
    // centred. On a small screen it would leave OK partly off the screen.
    const QPoint design = screen.topLeft() + QPoint(twipsToPixels(3825), twipsToPixels(4755));
    const int x = std::max(available.left(), std::min(design.x(), available.right() + 1 - size.width()));
    const int y = std::max(available.top(), std::min(design.y(), available.bottom() + 1 - size.height()));
    return {x, y};
}

void Form2::setSplashWindow(QWidget* splash)
{
    splash_ = splash;
}

QString Form2::countText() const
{
    return Text1->text();
}

void Form2::setProgramEnd(std::function<void()> endProgram)
{
    endProgram_ = std::move(endProgram);
}

bool Form2::askForNewCount()
{
    // Empty, as at start-up, so OK waits for a count again.
    const QString before = Text1->text();
    Text1->clear();
    newCountConfirmed_ = false;
    // A wait of its own: the start-up's exec() is still on the stack, far
    // out, and a dialog cannot exec() twice.
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    Text1->setFocus();
    QEventLoop loop;
    newCountLoop_ = &loop;
    loop.exec(QEventLoop::DialogExec);
    newCountLoop_ = nullptr;
    if (!newCountConfirmed_)
        Text1->setText(before);
    return newCountConfirmed_;
}

void Form2::reject()
{
    if (newCountLoop_) {
        hide();
        newCountLoop_->quit();
        return;
    }
    // Hiding ends the dialog's own modal wait; ending the program leaves the
    // waits further out, so no window is left on screen.
    hide();
    if (splash_)
        splash_->hide();
    endProgram_();
}

void Form2::Text1_Change()
{
    Command1->setEnabled(val(Text1->text().toStdString()) > 0);
}

void Form2::Command1_Click()
{
    // OK is enabled for any text with a positive leading number; only a whole
    // number from 1 to 500 can shape the equation window's tables, so anything
    // else is refused here and the dialog stays for the user to correct it.
    if (!unknownCountFromText(Text1->text())) {
        messages_.show(MessageBox::Style::Stop, countRefusal, QStringLiteral("KALVOR1"));
        Text1->setFocus();
        return;
    }
    if (newCountLoop_) {
        newCountConfirmed_ = true;
        hide();
        newCountLoop_->quit();
        return;
    }
    hide();
    if (splash_)
        splash_->hide();
    if (openEquationWindow_)
        openEquationWindow_(*this);
}

}  // namespace kalvor
