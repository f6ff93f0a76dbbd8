#include "windows/frmabout.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "platform/messagebox.h"
#include "platform/twips.h"
#include "windows/designlook.h"

namespace kalvor {

namespace {

const QColor yellow(0xFF, 0xFF, 0x00);
const QColor lightYellow(0xFF, 0xFF, 0xC0);
const QColor lightOrange(0xFF, 0xE0, 0xC0);

// The design's MS Sans Serif: the platform's own sans face.
QFont sans(qreal points, bool bold)
{
    QFont font = QApplication::font();
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

}  // namespace

frmAbout::frmAbout(Registry& registry, Launcher& launcher, MessageBox& messages, QWidget* parent)
    : QDialog(parent), messages_(messages), sysInfo_(registry, launcher, [this](const std::string& message) {
          // A plain box with no title of its own, so it bears the program's.
          messages_.show(MessageBox::Style::Plain, QString::fromStdString(message), QString());
      })
{
    setUpWindow();
    setUpTitle();
    setUpAuthors();
    setUpRule();
    setUpButtons();
}

void frmAbout::setUpWindow()
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("KALVOR1"));
    // A fixed dialog frame with a close button and no minimise or maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(twipsToPixels(5730), twipsToPixels(4110));
    setFont(sans(8.25, true));
    fillBackground(this, Qt::black);
    centreOnScreen(this);
}

void frmAbout::setUpTitle()
{
    // Index 0 is the dark shadow, made first so that the yellow copy lies on
    // top of it, 120 twips to its left.
    lblTitle[0] = addDesignLabel(this, QStringLiteral("lblTitle(0)"), QStringLiteral("KALVOR1"), sans(24, true),
                                 QColor(0x40, 0x40, 0x40), 1080, 120, 3885, 600);
    lblTitle[1] = addDesignLabel(this, QStringLiteral("lblTitle(1)"), QStringLiteral("KALVOR1"), sans(24, true), yellow,
                                 960, 120, 3885, 600);
    for (QLabel* title : lblTitle)
        title->setAlignment(Qt::AlignCenter);
    lblVersion = addDesignLabel(this, QStringLiteral("lblVersion"), QStringLiteral("Version 1.0.0"), sans(8.25, false),
                                lightYellow, 1920, 720, 3885, 225);
}

void frmAbout::setUpAuthors()
{
    lblDescription = addDesignLabel(this, QStringLiteral("lblDescription"), QStringLiteral("by"), sans(9.75, true),
                                    yellow, 120, 1080, 405, 330);
    const QFont author = sans(9.75, true);
    // The first line names who made the program; the three below it say
    // what it was made with and for, so that every line is true.
    Label1 = addDesignLabel(this, QStringLiteral("Label1"), QStringLiteral("The KALVOR1 developers"), author,
                            lightOrange, 720, 1200, 3735, 375);
    Label2 = addDesignLabel(this, QStringLiteral("Label2"), QStringLiteral("in C++ with Qt"), author, lightOrange, 720,
                            1440, 2895, 375);
    Label3[0] = addDesignLabel(this, QStringLiteral("Label3(0)"), QStringLiteral("for systems of complex"), author,
                               lightOrange, 720, 1680, 3375, 375);
    Label3[1] = addDesignLabel(this, QStringLiteral("Label3(1)"), QStringLiteral("linear equations"), author,
                               lightOrange, 720, 1920, 3375, 375);

    // The one label with an opaque background, in the window's own font.
    Label4 = addDesignLabel(this, QStringLiteral("Label4"),
                            QStringLiteral("Questions and reports: the project's issue list"), font(), lightYellow, 120,
                            2520, 4575, 255);
    fillBackground(Label4, Qt::black);

    lblDisclaimer = addDesignLabel(
        this, QStringLiteral("lblDisclaimer"),
        QStringLiteral("With thanks to everyone who tried the early versions and sent in the systems of "
                       "equations that broke them. Gaussian elimination is an old friend; any mistake in "
                       "this program is our own."),
        sans(8.25, false), lightYellow, 120, 3120, 3975, 1425);
    lblDisclaimer->setWordWrap(true);
    lblDisclaimer->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

QFrame* frmAbout::addLine(const QString& name, const QColor& colour, int left, int right, int top, int thickness)
{
    auto* line = new QFrame(this);
    line->setObjectName(name);
    line->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(right) - twipsToPixels(left), thickness);
    fillBackground(line, colour);
    return line;
}

void frmAbout::setUpRule()
{
    // A double rule: the 2-pixel white line with the thin grey one over its
    // top edge.
    Line1[0] = addLine(QStringLiteral("Line1(0)"), Qt::white, 120, 5669, 2880, 2);
    Line1[1] = addLine(QStringLiteral("Line1(1)"), QColor(0x80, 0x80, 0x80), 0, 5564, 2880, 1);
}

void frmAbout::setUpButtons()
{
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(twipsRect(4440, 3120, 1260, 345));
    cmdOK->setFont(sans(8.25, false));
    // Default button for Enter; Esc reaches reject(), which closes the window
    // just as OK does.
    cmdOK->setDefault(true);

    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setGeometry(twipsRect(4440, 3600, 1245, 345));
    cmdSysInfo->setFont(sans(8.25, false));
    // Its access key moves the focus onto it; Enter must still mean OK
    // rather than starting System Information again.
    cmdSysInfo->setAutoDefault(false);

    setTabOrder(cmdOK, cmdSysInfo);
    cmdOK->setFocus();

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
}

void frmAbout::showOver(QWidget* owner, Registry& registry, Launcher& launcher, MessageBox& messages)
{
    frmAbout about(registry, launcher, messages, owner);
    about.exec();
}

void frmAbout::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized)) {
        // Queued: the window system is still busy with the change it reports.
        QTimer::singleShot(0, this, [this] {
            setWindowState(windowState() & ~Qt::WindowMinimized);
            activateWindow();
        });
    }
}

void frmAbout::cmdOK_Click()
{
    accept();
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo();
}

void frmAbout::StartSysInfo()
{
    sysInfo_.StartSysInfo();
}

bool frmAbout::GetKeyValue(std::uint32_t KeyRoot, const std::string& KeyName, const std::string& SubKeyRef,
                           std::string& KeyVal)
{
    return sysInfo_.GetKeyValue(KeyRoot, KeyName, SubKeyRef, KeyVal);
}

}  // namespace kalvor
