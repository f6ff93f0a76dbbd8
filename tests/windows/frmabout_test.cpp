#include <functional>

#include <QFrame>
#include <QMainWindow>
#include <QRegularExpression>
#include <QWindow>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <QTimer>

#include <memory>
#include <string>

#include "messagerecorder.h"
#include "startupsupport.h"
#include "sysinfo/fakelauncher.h"
#include "sysinfo/fakeregistry.h"
#include "windows/frmabout.h"

using kalvor::FakeLauncher;
using kalvor::FakeRegistry;
using kalvor::frmAbout;
using kalvor::Launcher;
using kalvor::MessageBox;
using kalvor::MessageRecorder;
using kalvor::StartupWatchdog;
using kalvor::SysInfoLauncher;

namespace {

constexpr auto root = SysInfoLauncher::LocalMachine;
const std::string pathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const std::string folderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
const QString unavailable = QStringLiteral("System Information Is Unavailable At This Time");

// Where the System Information program is to be found, for one case.
enum class Setup { PathValue, PathValueUnstartable, FolderWithProgram, FolderWithoutProgram, Nothing };

}  // namespace

Q_DECLARE_METATYPE(Setup)

class FrmAboutTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowDesign();
    void labelDesign_data();
    void labelDesign();
    void ruleAndButtons();
    void closingKeysAndButtons_data();
    void closingKeysAndButtons();
    void systemInformation_data();
    void systemInformation();
    void keyValueThroughWindow();
    void authorLineIsTrue();
    void aboutCommandOwnedAndNeverMinimised();
    void screenshot();

private:
    std::unique_ptr<MessageRecorder> messages;
    std::unique_ptr<StartupWatchdog> watchdog;
    std::unique_ptr<FakeRegistry> registry;
    std::unique_ptr<FakeLauncher> launcher;
    std::unique_ptr<frmAbout> about;
};

void FrmAboutTest::init()
{
    messages = std::make_unique<MessageRecorder>();
    watchdog = std::make_unique<StartupWatchdog>();
    registry = std::make_unique<FakeRegistry>();
    launcher = std::make_unique<FakeLauncher>();
    about = std::make_unique<frmAbout>(*registry, *launcher, *messages);
    watchdog->expect(about.get());
}

void FrmAboutTest::cleanup()
{
    about.reset();
    QVERIFY2(watchdog->unexpected().isEmpty(), qPrintable(watchdog->unexpected().join(", ")));
    watchdog.reset();
    launcher.reset();
    registry.reset();
    messages.reset();
}

void FrmAboutTest::windowDesign()
{
    QCOMPARE(about->windowTitle(), QStringLiteral("KALVOR1"));
    QCOMPARE(about->size(), QSize(382, 274));
    QCOMPARE(about->minimumSize(), about->maximumSize());
    const Qt::WindowFlags flags = about->windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
    QCOMPARE(about->frameGeometry().center(), QGuiApplication::primaryScreen()->availableGeometry().center());
    QCOMPARE(about->palette().color(QPalette::Window), QColor(Qt::black));
    QVERIFY(about->font().bold());
    QCOMPARE(about->font().pointSizeF(), 8.25);
}

void FrmAboutTest::labelDesign_data()
{
    // An empty expected text stands for a text of our own: any, but some.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("title") << "lblTitle(1)"
                           << "KALVOR1";
    QTest::newRow("title shadow") << "lblTitle(0)"
                                  << "KALVOR1";
    QTest::newRow("version") << "lblVersion"
                             << "Version 1.0.0";
    QTest::newRow("by") << "lblDescription"
                        << "by";
    QTest::newRow("first author") << "Label1"
                                  << "";
    QTest::newRow("second author") << "Label2"
                                   << "";
    QTest::newRow("third author") << "Label3(0)"
                                  << "";
    QTest::newRow("fourth author") << "Label3(1)"
                                   << "";
    QTest::newRow("contact") << "Label4"
                             << "";
    QTest::newRow("acknowledgements") << "lblDisclaimer"
                                      << "";
}

void FrmAboutTest::labelDesign()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    auto* label = about->findChild<QLabel*>(name);
    QVERIFY(label);
    if (text.isEmpty())
        QVERIFY(!label->text().trimmed().isEmpty());
    else
        QCOMPARE(label->text(), text);
    // Only the contact line has a background of its own.
    QCOMPARE(label->autoFillBackground(), name == QLatin1String("Label4"));
    // Every text must be readable whole: within its design box and within
    // the window (some design boxes reach past the window's edge).
    const QRect box = label->geometry();
    const QSize needed = label->wordWrap() ? QSize(box.width(), label->heightForWidth(box.width()))
                                           : QSize(label->fontMetrics().horizontalAdvance(label->text()), box.height());
    const QRect used = QStyle::alignedRect(Qt::LeftToRight, label->alignment(), needed, box);
    QVERIFY2(box.contains(used) && about->rect().contains(used),
             qPrintable(QStringLiteral("%1 needs %2 x %3").arg(name).arg(needed.width()).arg(needed.height())));
}

void FrmAboutTest::ruleAndButtons()
{
    auto* white = about->findChild<QFrame*>(QStringLiteral("Line1(0)"));
    auto* grey = about->findChild<QFrame*>(QStringLiteral("Line1(1)"));
    QVERIFY(white && grey);
    QCOMPARE(white->geometry(), QRect(8, 192, 370, 2));
    QCOMPARE(white->palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(grey->geometry(), QRect(0, 192, 371, 1));
    QCOMPARE(grey->palette().color(QPalette::Window), QColor(0x80, 0x80, 0x80));

    QPushButton* ok = about->okButton();
    QPushButton* sysInfo = about->sysInfoButton();
    QCOMPARE(ok->objectName(), QStringLiteral("cmdOK"));
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QCOMPARE(ok->geometry(), QRect(296, 208, 84, 23));
    QVERIFY(ok->isDefault());
    QCOMPARE(sysInfo->objectName(), QStringLiteral("cmdSysInfo"));
    QCOMPARE(sysInfo->text(), QStringLiteral("&System Info..."));
    QCOMPARE(sysInfo->geometry(), QRect(296, 240, 83, 23));
    QCOMPARE(ok->nextInFocusChain(), sysInfo);
    for (QPushButton* button : {ok, sysInfo}) {
        QCOMPARE(button->font().pointSizeF(), 8.25);
        QVERIFY(!button->font().bold());
    }
    about->show();
    QVERIFY(QTest::qWaitForWindowActive(about.get()));
    QCOMPARE(QApplication::focusWidget(), ok);
}

void FrmAboutTest::closingKeysAndButtons_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("OK clicked") << "click";
    QTest::newRow("Enter") << "enter";
    QTest::newRow("keypad Enter") << "keypad";
    QTest::newRow("Esc") << "esc";
    QTest::newRow("close box") << "close";
    QTest::newRow("space on OK") << "space";
    QTest::newRow("Enter after System Info") << "sysinfo then enter";
}

void FrmAboutTest::closingKeysAndButtons()
{
    QFETCH(QString, how);
    bool wasModal = false;
    kalvor::ShowWatcher shown(about.get(), [&] {
        wasModal = QApplication::activeModalWidget() == about.get();
        QVERIFY(QTest::qWaitForWindowActive(about.get()));
        QWindow* window = about->windowHandle();
        if (how == QLatin1String("click"))
            QTest::mouseClick(about->okButton(), Qt::LeftButton);
        else if (how == QLatin1String("enter"))
            QTest::keyClick(window, Qt::Key_Return);
        else if (how == QLatin1String("keypad"))
            QTest::keyClick(window, Qt::Key_Enter, Qt::KeypadModifier);
        else if (how == QLatin1String("esc"))
            QTest::keyClick(window, Qt::Key_Escape);
        else if (how == QLatin1String("space"))
            QTest::keyClick(about->okButton(), Qt::Key_Space);
        else if (how == QLatin1String("sysinfo then enter")) {
            // Clicking System Info leaves the focus on it; after the
            // message, Enter still means OK.
            QTest::mouseClick(about->sysInfoButton(), Qt::LeftButton);
            QCOMPARE(messages->messages.size(), std::size_t{1});
            QCOMPARE(QApplication::focusWidget(), about->sysInfoButton());
            QTest::keyClick(window, Qt::Key_Return);
        } else
            about->close();
    });
    // Guards the test from hanging: a window that did not close is hidden
    // after a while, and the check below fails.
    bool closedInTime = true;
    QTimer::singleShot(3000, about.get(), [&] {
        closedInTime = false;
        about->hide();
    });
    about->exec();
    QVERIFY(wasModal);
    QVERIFY(closedInTime);
    QVERIFY(!about->isVisible());
    QVERIFY(launcher->shellCalls.empty());
    // System Information was asked for at most once, by its button.
    QCOMPARE(messages->messages.size(), std::size_t(how == QLatin1String("sysinfo then enter") ? 1 : 0));
}

void FrmAboutTest::systemInformation_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<bool>("byAccessKey");
    QTest::addColumn<QString>("launched");
    QTest::addColumn<bool>("toldUnavailable");
    QTest::newRow("path value") << Setup::PathValue << false << "C:\\Tools\\msinfo32.exe" << false;
    QTest::newRow("path value, Alt+S") << Setup::PathValue << true << "C:\\Tools\\msinfo32.exe" << false;
    QTest::newRow("path value fails to start")
        << Setup::PathValueUnstartable << false << "C:\\Tools\\msinfo32.exe" << true;
    QTest::newRow("folder with the program")
        << Setup::FolderWithProgram << false << "C:\\Shared\\MSINFO32.EXE" << false;
    QTest::newRow("folder without the program") << Setup::FolderWithoutProgram << false << "" << true;
    QTest::newRow("neither value") << Setup::Nothing << true << "" << true;
}

void FrmAboutTest::systemInformation()
{
    QFETCH(Setup, setup);
    QFETCH(bool, byAccessKey);
    QFETCH(QString, launched);
    QFETCH(bool, toldUnavailable);
    const std::string path = "C:\\Tools\\msinfo32.exe";
    switch (setup) {
    case Setup::PathValueUnstartable:
        launcher->unstartable.insert(path);
        [[fallthrough]];
    case Setup::PathValue:
        registry->set(root, pathKey, "PATH", {SysInfoLauncher::TypeString, path + '\0'});
        break;
    case Setup::FolderWithProgram:
        launcher->files.insert("C:\\Shared\\MSINFO32.EXE");
        [[fallthrough]];
    case Setup::FolderWithoutProgram:
        registry->set(root, folderKey, "MSINFO", {SysInfoLauncher::TypeString, "C:\\Shared"});
        break;
    case Setup::Nothing:
        break;
    }
    about->show();
    QVERIFY(QTest::qWaitForWindowActive(about.get()));
    if (byAccessKey)
        QTest::keyClick(about->windowHandle(), Qt::Key_S, Qt::AltModifier);
    else
        QTest::mouseClick(about->sysInfoButton(), Qt::LeftButton);
    // An access key presses the button visibly, so its click comes later.
    QTRY_VERIFY(!registry->opens.empty());

    if (launched.isEmpty()) {
        QVERIFY(launcher->shellCalls.empty());
    } else {
        QCOMPARE(launcher->shellCalls.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(launcher->shellCalls.front().first), launched);
        QCOMPARE(launcher->shellCalls.front().second, Launcher::NormalFocus);
    }
    if (toldUnavailable) {
        QCOMPARE(messages->messages.size(), std::size_t{1});
        QCOMPARE(messages->messages.front().style, MessageBox::Style::Plain);
        QCOMPARE(messages->messages.front().message, unavailable);
        QVERIFY(messages->messages.front().title.isEmpty());
    } else {
        QVERIFY(messages->messages.empty());
    }
    // The about window stays open and usable either way.
    QVERIFY(about->isVisible());
    QVERIFY(about->okButton()->isEnabled());
    QVERIFY(registry->openHandles.empty());
}

void FrmAboutTest::keyValueThroughWindow()
{
    registry->set(root, pathKey, "PATH", {SysInfoLauncher::TypeString, std::string("C:\\x.exe")});
    std::string value = "before";
    QVERIFY(about->GetKeyValue(root, pathKey, "PATH", value));
    QCOMPARE(QString::fromStdString(value), QStringLiteral("C:\\x.exe"));
    QVERIFY(!about->GetKeyValue(root, folderKey, "MSINFO", value));
    QVERIFY(value.empty());
    QVERIFY(launcher->shellCalls.empty());
}

void FrmAboutTest::authorLineIsTrue()
{
    QCOMPARE(about->findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("The KALVOR1 developers"));
    // The lines below it are no names of people: none is two capitalised
    // words alone, as a first name and a surname would be.
    const QRegularExpression personName(QStringLiteral("^[A-Z][a-z]+ [A-Z][a-z]+$"));
    for (const char* name : {"Label2", "Label3(0)", "Label3(1)"}) {
        const QString text = about->findChild<QLabel*>(QLatin1String(name))->text();
        QVERIFY2(!personName.match(text).hasMatch(), qPrintable(text));
    }
}

namespace {

// Spots the about window that the About command makes and runs a step in
// its modal wait once it is on screen.
class AboutSpotter final : public QObject {
public:
    AboutSpotter(const frmAbout* known, std::function<void(frmAbout*)> step) : known_(known), step_(std::move(step))
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* about = qobject_cast<frmAbout*>(watched);
        if (event->type() == QEvent::Show && about && about != known_ && !spotted_) {
            spotted_ = true;
            QTimer::singleShot(0, this, [this, about] { step_(about); });
        }
        return false;
    }

private:
    const frmAbout* known_;
    std::function<void(frmAbout*)> step_;
    bool spotted_ = false;
};

}  // namespace

void FrmAboutTest::aboutCommandOwnedAndNeverMinimised()
{
    QMainWindow owner;
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    bool ran = false;
    bool transientForOwner = false;
    bool modal = false;
    bool restored = false;
    AboutSpotter spotter(about.get(), [&](frmAbout* shown) {
        watchdog->expect(shown);
        ran = true;
        modal = QApplication::activeModalWidget() == shown;
        transientForOwner = shown->windowHandle()->transientParent() == owner.windowHandle();
        QVERIFY(!(shown->windowFlags() & Qt::WindowMinimizeButtonHint));
        shown->setWindowState(Qt::WindowMinimized);
        restored = QTest::qWaitFor([&] { return !shown->isMinimized() && shown->isVisible(); }, 2000);
        shown->close();
    });
    bool closedInTime = true;
    QTimer::singleShot(5000, &owner, [&] {
        closedInTime = false;
        if (QWidget* modalWindow = QApplication::activeModalWidget())
            modalWindow->hide();
    });
    frmAbout::showOver(&owner, *registry, *launcher, *messages);
    QVERIFY(closedInTime);
    QVERIFY(ran);
    QVERIFY(modal);
    QVERIFY(transientForOwner);
    QVERIFY(restored);
}

void FrmAboutTest::screenshot()
{
    const QString path = kalvor::artifactPath(QStringLiteral("frmabout.png"));
    if (path.isEmpty())
        QSKIP("KALVOR_ARTIFACTS is not set");
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about.get()));
    const QImage image = about->grab().toImage();
    QCOMPARE(image.size(), QSize(382, 274));
    QCOMPARE(image.pixelColor(2, 2), QColor(Qt::black));
    QCOMPARE(image.pixelColor(100, 193), QColor(Qt::white));
    QVERIFY(image.save(path));
}

QTEST_MAIN(FrmAboutTest)
#include "frmabout_test.moc"
