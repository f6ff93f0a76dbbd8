#include "windows/frmsplash.h"

#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QTimer>

#include "platform/twips.h"
#include "windows/designlook.h"
#include "windows/form2.h"

// The pictures live in a static library, whose resource object the linker
// keeps only when something names it; this does, once.
static void loadProgramPictures()
{
    static const bool loaded = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    (void)loaded;
}

namespace kalvor {

namespace {

const QColor lightYellow(0xFF, 0xFF, 0xC0);
const QColor lightOrange(0xFF, 0xE0, 0xC0);

// The design's Arial, or the platform's sans face where Arial is missing.
QFont arial(qreal points, bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

}  // namespace

frmSplash::frmSplash(Form2& dialog, QWidget* parent) : QWidget(parent), dialog_(dialog)
{
    setUpWindow();
    setUpFrame();
    setUpLabels();
    setUpImage();
    setUpTimer();
    dialog_.setSplashWindow(this);
}

QIcon frmSplash::programIcon()
{
    loadProgramPictures();
    return QIcon(QStringLiteral(":/kalvor/kalvor1.png"));
}

void frmSplash::setUpWindow()
{
    setObjectName(QStringLiteral("frmSplash"));
    // No title bar, not in the taskbar: a frameless tool window.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setWindowIcon(programIcon());
    // No caption to show, but a screen reader still says whose window it is.
    setAccessibleName(QStringLiteral("KALVOR1"));
    setFixedSize(twipsToPixels(7380), twipsToPixels(5505));
    fillBackground(this, Qt::black);
    // No control takes the focus, so key presses come to the window itself.
    setFocusPolicy(Qt::StrongFocus);
    centreOnScreen(this);
}

void frmSplash::setUpFrame()
{
    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(twipsRect(120, 120, 7095, 5295));
    Shape1->setStyleSheet(QStringLiteral("QFrame { border: 1px solid #FFFFC0; background: transparent; }"));
    Shape1->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void frmSplash::setUpLabels()
{
    // Index 0 is the grey shadow, made first so that the yellow copy lies on
    // top of it, 120 twips to its left.
    lblProductName[0] = addDesignLabel(this, QStringLiteral("lblProductName(0)"), QStringLiteral("KALVOR1"),
                                       arial(32.25, true), QColor(0x80, 0x80, 0x80), 2160, 1680, 3765, 765);
    lblProductName[1] = addDesignLabel(this, QStringLiteral("lblProductName(1)"), QStringLiteral("KALVOR1"),
                                       arial(32.25, true), QColor(0xFF, 0xFF, 0x00), 2040, 1680, 3765, 765);
    lblCompanyProduct = addDesignLabel(this, QStringLiteral("lblCompanyProduct"), QStringLiteral("Complex Equations"),
                                       arial(18, true), lightOrange, 2040, 840, 3765, 435);
    lblVersion = addDesignLabel(this, QStringLiteral("lblVersion"), QStringLiteral("Version"), arial(12, true),
                                lightYellow, 3240, 3120, 885, 285);
    lblPlatform = addDesignLabel(this, QStringLiteral("lblPlatform"), QStringLiteral("1.0.0"), arial(15.75, true),
                                 lightYellow, 3360, 3480, 720, 360);
    lblCompany = addDesignLabel(this, QStringLiteral("lblCompany"), QStringLiteral("N equations in N unknowns"),
                                arial(8.25, false), lightYellow, 2640, 4320, 2415, 255);
    lblHint = addDesignLabel(this, QStringLiteral("lblHint"), QStringLiteral("Press any key to go on at once"),
                             arial(8.25, false), lightYellow, 2280, 4680, 3015, 255);

    lblVersion->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblPlatform->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // These labels size themselves to fit their text, from their design
    // top-left corner.
    for (QLabel* label : {lblProductName[0], lblProductName[1], lblCompanyProduct, lblVersion, lblPlatform})
        label->adjustSize();
}

void frmSplash::setUpImage()
{
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAccessibleName(QStringLiteral("KALVOR1 picture"));
    Image1->setPixmap(QPixmap(QStringLiteral(":/kalvor/splash.png")));
    Image1->setScaledContents(true);
    Image1->setGeometry(twipsRect(5640, 3840, 1395, 1365));
    Image1->setFocusPolicy(Qt::NoFocus);
}

void frmSplash::setUpTimer()
{
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    // A coarse timer may fire up to 5% early; the hand-over comes after a
    // full second.
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
    Timer1->start();
}

void frmSplash::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Key presses must reach the splash without a click first.
    activateWindow();
}

void frmSplash::keyPressEvent(QKeyEvent* event)
{
    // Only keys that produce a character hand over; arrows, function keys and
    // modifiers alone change nothing.
    if (event->text().isEmpty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    Form_KeyPress();
}

void frmSplash::closeEvent(QCloseEvent* event)
{
    // The window has no close box; a close request from outside (a window
    // manager's key) would leave the program with no window, so only the
    // hand-over closes it.
    if (closing_)
        event->accept();
    else
        event->ignore();
}

void frmSplash::Timer1_Timer()
{
    // Ticks keep coming while the dialog and the windows after it run their
    // nested event loops; only the first one hands over.
    if (handedOver_)
        return;
    handedOver_ = true;
    Image1->hide();
    dialog_.exec();
    hide();
    closeSplash();
}

void frmSplash::Form_KeyPress()
{
    if (handedOver_)
        return;
    handedOver_ = true;
    closeSplash();
    dialog_.exec();
}

void frmSplash::closeSplash()
{
    if (closed_)
        return;
    // The timer goes away with the window. It may be the very sender whose
    // tick is being handled, so it is deleted later, never here.
    Timer1->stop();
    Timer1->deleteLater();
    Timer1 = nullptr;
    closing_ = true;
    close();
    closing_ = false;
    closed_ = true;
}

}  // namespace kalvor
