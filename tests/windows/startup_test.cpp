#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

#include "form1_fixture.h"
#include "messagerecorder.h"
#include "platform/grid.h"
#include "startupsupport.h"
#include "windows/form1.h"
#include "windows/form2.h"
#include "windows/frmsplash.h"

using kalvor::Form1;
using kalvor::Form2;
using kalvor::frmSplash;
using kalvor::MessageRecorder;
using kalvor::ScratchStateHome;
using kalvor::ShowWatcher;
using kalvor::StartupWatchdog;

namespace {

enum class HandOver { Timer, Key };
enum class Ending { Exit, CloseBox };

// What the user saw at each step of one run of the start-up chain.
struct Run {
    qint64 msToDialog = -1;
    bool splashVisibleWithDialog = false;
    bool imageVisibleWithDialog = false;
    bool splashVisibleAfterPestering = false;
    int equationWindows = 0;
    bool splashVisibleWithEquations = true;
    bool dialogVisibleWithEquations = true;
    bool equationsModal = false;
    int unknowns = 0;
    int coefficientColumns = 0;
    int programEnds = 0;
};

}  // namespace

Q_DECLARE_METATYPE(HandOver)
Q_DECLARE_METATYPE(Ending)

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void wholeChain_data();
    void wholeChain();
    void newSystemAsksAgainWithoutEnding();
    // Last: it runs the application's own loop, as the program does.
    void escInCountDialogEndsProgram();

private:
    // Sends a burst of ticks and character keys to the splash window, as a
    // held key or a slow machine would: none of them may start a second
    // hand-over.
    void pester();

    ScratchStateHome state;
    std::unique_ptr<MessageRecorder> messages;
    std::unique_ptr<StartupWatchdog> watchdog;
    std::unique_ptr<Form2> dialog;
    std::unique_ptr<frmSplash> splash;
    Run run;
    Ending ending = Ending::Exit;
    // Runs in the equation window just before it is ended.
    std::function<void(Form1&)> beforeEnding;
    QElapsedTimer sinceSplash;
};

void StartupTest::init()
{
    // A second hand-over would try to show the dialog again while it is
    // already running, which Qt refuses with this warning.
    QTest::failOnWarning(QRegularExpression(QStringLiteral("Recursive call")));
    messages = std::make_unique<MessageRecorder>();
    watchdog = std::make_unique<StartupWatchdog>();
    run = {};
    dialog = std::make_unique<Form2>(*messages, [this](Form2& countDialog) {
        // The equation window as the program makes it, reading the count
        // from the dialog; only the program end is recorded instead.
        Form1 equations([&countDialog] { return countDialog.countText(); }, *messages);
        equations.setCountQuestion([&countDialog] { return countDialog.askForNewCount(); });
        equations.setProgramEnd([this] { ++run.programEnds; });
        watchdog->expect(&equations);
        ++run.equationWindows;
        ShowWatcher shown(&equations, [&] {
            run.splashVisibleWithEquations = splash->isVisible();
            run.dialogVisibleWithEquations = countDialog.isVisible();
            run.equationsModal = QApplication::activeModalWidget() == &equations;
            run.unknowns = equations.state().N;
            run.coefficientColumns = equations.findChild<kalvor::Grid*>("Grid1")->Cols();
            pester();
            if (beforeEnding)
                beforeEnding(equations);
            if (ending == Ending::Exit)
                equations.findChild<QAction*>("exit")->trigger();
            else
                equations.close();
        });
        equations.showModal();
    });
    watchdog->expect(dialog.get());
    // The splash timer runs from the moment the window exists.
    sinceSplash.start();
    splash = std::make_unique<frmSplash>(*dialog);
}

void StartupTest::cleanup()
{
    splash.reset();
    dialog.reset();
    QVERIFY2(watchdog->unexpected().isEmpty(), qPrintable(watchdog->unexpected().join(", ")));
    QVERIFY(messages->messages.empty());
    watchdog.reset();
    messages.reset();
}

void StartupTest::pester()
{
    for (int i = 0; i < 5; ++i) {
        if (QTimer* timer = splash->timer1())
            kalvor::tick(timer);
        QTest::keyClick(splash.get(), Qt::Key_A);
    }
}

void StartupTest::wholeChain_data()
{
    QTest::addColumn<HandOver>("handOver");
    QTest::addColumn<Ending>("ending");
    QTest::addColumn<QString>("count");
    QTest::addColumn<int>("unknowns");
    QTest::newRow("timer, Exit") << HandOver::Timer << Ending::Exit << "3" << 3;
    QTest::newRow("timer, close box") << HandOver::Timer << Ending::CloseBox << " 4 " << 4;
    QTest::newRow("key, Exit") << HandOver::Key << Ending::Exit << "2.5" << 2;
    QTest::newRow("key, close box") << HandOver::Key << Ending::CloseBox << "12" << 12;
}

void StartupTest::wholeChain()
{
    QFETCH(HandOver, handOver);
    QFETCH(Ending, ending);
    QFETCH(QString, count);
    QFETCH(int, unknowns);
    this->ending = ending;

    ShowWatcher splashShown(splash.get());
    ShowWatcher dialogShown(dialog.get(), [&] {
        run.msToDialog = sinceSplash.elapsed();
        run.splashVisibleWithDialog = splash->isVisible();
        run.imageVisibleWithDialog = splash->image1()->isVisible();
        pester();
        run.splashVisibleAfterPestering = splash->isVisible();
        QTest::keyClicks(dialog->text1(), count);
        QTest::mouseClick(dialog->command1(), Qt::LeftButton);
    });

    splash->show();
    QVERIFY(QTest::qWaitForWindowExposed(splash.get()));
    if (handOver == HandOver::Key)
        QTest::keyClick(splash.get(), Qt::Key_Space);
    QTRY_VERIFY_WITH_TIMEOUT(run.programEnds > 0 && splash->isClosed(), 10000);

    // One hand-over, one dialog, one equation window, one program end.
    QCOMPARE(dialogShown.shows(), 1);
    QCOMPARE(run.equationWindows, 1);
    QCOMPARE(run.programEnds, 1);
    if (handOver == HandOver::Timer) {
        // A full second, give or take the clocks' rounding.
        QVERIFY2(run.msToDialog >= 990, qPrintable(QString::number(run.msToDialog)));
        QVERIFY(run.splashVisibleWithDialog);
        QVERIFY(!run.imageVisibleWithDialog);
        // Only OK takes the splash away on this path.
        QVERIFY(run.splashVisibleAfterPestering);
    } else {
        QVERIFY2(run.msToDialog < 1000, qPrintable(QString::number(run.msToDialog)));
        QVERIFY(!run.splashVisibleWithDialog);
    }

    // The equation window, alone on screen, read the confirmed count.
    QVERIFY(run.equationsModal);
    QVERIFY(!run.splashVisibleWithEquations);
    QVERIFY(!run.dialogVisibleWithEquations);
    QCOMPARE(run.unknowns, unknowns);
    QCOMPARE(run.coefficientColumns, unknowns + 1);

    // Afterwards: the splash was shown once and is closed for good, the
    // dialog still exists, hidden, holding the text as typed, and no tick
    // brings anything back.
    QTest::qWait(1200);
    QCOMPARE(splashShown.shows(), 1);
    QVERIFY(!splash->isVisible());
    QVERIFY(splash->timer1() == nullptr);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(dialog->countText(), count);
    QCOMPARE(dialogShown.shows(), 1);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

// New system shows the count dialog again over the equation window, while
// the dialog's start-up wait is still running further out: empty, with OK
// waiting for a count; Esc only cancels (the confirmed count kept), OK
// reshapes the window, and the program goes on to its one end.
void StartupTest::newSystemAsksAgainWithoutEnding()
{
    bool emptyWhenAskedAgain = true;
    ShowWatcher dialogShown(dialog.get(), [&] {
        if (dialogShown.shows() > 1)
            emptyWhenAskedAgain
                = emptyWhenAskedAgain && dialog->countText().isEmpty() && !dialog->command1()->isEnabled();
        if (dialogShown.shows() == 2) {
            QTest::keyClick(dialog->text1(), Qt::Key_Escape);
            return;
        }
        QTest::keyClicks(dialog->text1(), dialogShown.shows() == 1 ? QStringLiteral("2") : QStringLiteral("5"));
        QTest::mouseClick(dialog->command1(), Qt::LeftButton);
    });
    QStringList seen;  // N, the program ends and the count text after each New
    beforeEnding = [&](Form1& equations) {
        for (int i = 0; i < 2; ++i) {
            equations.findChild<QAction*>("newSystem")->trigger();
            seen << QString::number(equations.state().N) << QString::number(run.programEnds) << dialog->countText();
        }
    };
    splash->show();
    QTest::keyClick(splash.get(), Qt::Key_Space);
    QTRY_VERIFY_WITH_TIMEOUT(run.programEnds > 0, 10000);
    QCOMPARE(seen, QStringList({"2", "0", "2", "5", "0", "5"}));
    QVERIFY(emptyWhenAskedAgain);
    QCOMPARE(dialogShown.shows(), 3);
    QCOMPARE(run.programEnds, 1);
    QVERIFY(!dialog->isVisible());
}

void StartupTest::escInCountDialogEndsProgram()
{
    // The dialog's program end is left as the program has it.
    bool splashVisibleWithDialog = false;
    ShowWatcher dialogShown(dialog.get(), [&] {
        splashVisibleWithDialog = splash->isVisible();
        QTest::keyClicks(dialog->text1(), QStringLiteral("3"));
        QTest::keyClick(dialog->text1(), Qt::Key_Escape);
    });
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(10000);

    splash->show();
    const int code = QCoreApplication::exec();
    QCOMPARE(code, 0);
    QVERIFY(guard.isActive());
    QCOMPARE(dialogShown.shows(), 1);
    QVERIFY(splashVisibleWithDialog);
    QCOMPARE(run.equationWindows, 0);
    QVERIFY(!dialog->isVisible());
    QVERIFY(!splash->isVisible());
    for (QWidget* window : QApplication::topLevelWidgets())
        QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
}

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
