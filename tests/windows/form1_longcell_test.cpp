// Cells of a million characters: pasting one into an editor, typing at its
// end, and solving with it must each leave the window responsive (the event
// loop never blocked for a second or more), keep the whole text in the cell,
// and Solve must end with its result or its message.
#include <algorithm>
#include <ctime>
#include <functional>
#include <memory>

#include <QAction>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFrame>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "core/core.h"
#include "form1_fixture.h"

using namespace kalvor;

namespace {

constexpr int kMillion = 1000000;
// The longest the event loop may be kept from running by one user action.
// A sanitizer build runs the same work several times slower; there only a
// hang is caught.
#if defined(__SANITIZE_ADDRESS__)
constexpr qint64 kLongestBlockMs = 5000;
#else
constexpr qint64 kLongestBlockMs = 1000;
#endif

// Processor time of this thread in milliseconds. The freeze is measured in
// it rather than on the wall clock: on a user's idle machine the two agree,
// while on a loaded test machine the wall clock also counts the time other
// processes took the processor.
qint64 threadMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<qint64>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

struct Block {
    qint64 threadMs = 0;  // longest gap between heartbeats, in this thread's time
    qint64 wallMs = 0;    // the same gap on the wall clock, for the log
};

// Runs `action` from inside the event loop and returns the longest time that
// the loop went without serving a 10 ms heartbeat while the action ran and
// the window repainted after it.
Block longestBlock(const std::function<void()>& action)
{
    QElapsedTimer clock;
    clock.start();
    qint64 lastWall = 0, lastThread = threadMs();
    Block worst;
    const auto beatNow = [&] {
        const qint64 wall = clock.elapsed(), thread = threadMs();
        worst.wallMs = std::max(worst.wallMs, wall - lastWall);
        worst.threadMs = std::max(worst.threadMs, thread - lastThread);
        lastWall = wall;
        lastThread = thread;
    };
    QTimer beat;
    beat.setInterval(10);
    QObject::connect(&beat, &QTimer::timeout, beatNow);
    beat.start();
    bool done = false;
    QTimer::singleShot(20, [&] {
        action();
        done = true;
    });
    // Long enough for the action, the repaint it causes and a few beats.
    QTest::qWait(300);
    while (!done)
        QTest::qWait(100);
    QTest::qWait(300);
    beatNow();
    return worst;
}

QString contentOf(int kind)
{
    switch (kind) {
    case 0:  // a number: no unit within the first 100 characters
        return QString(kMillion, QLatin1Char('1'));
    case 1:  // not a number
        return QString(kMillion, QLatin1Char('x'));
    default:  // a unit far beyond the search window, and non-ASCII text
        return QString(kMillion / 2, QChar(0x00e9)) + QString(kMillion / 2 - 1, QLatin1Char('2')) + QStringLiteral("i");
    }
}

}  // namespace

class Form1LongCellTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Form1Harness> h;
    Form1* form() { return h->form.get(); }

private slots:
    void init()
    {
        h = std::make_unique<Form1Harness>();
        QVERIFY(h->open(1));
    }

    void cleanup() { h.reset(); }

    void pasteAndType_data()
    {
        QTest::addColumn<bool>("coefficients");
        QTest::addColumn<int>("kind");
        for (bool coefficients : {true, false})
            for (int kind : {0, 1, 2})
                QTest::addRow("%s, content %d", coefficients ? "Text1" : "Text4", kind) << coefficients << kind;
    }

    // Paste a million characters, then type two more at the end.
    void pasteAndType()
    {
        QFETCH(bool, coefficients);
        QFETCH(int, kind);
        Grid* grid = coefficients ? form()->findChild<Grid*>("Grid1") : form()->findChild<Grid*>("Grid2");
        QLineEdit* editor
            = coefficients ? form()->findChild<QLineEdit*>("Text1") : form()->findChild<QLineEdit*>("Text4");
        const QString text = contentOf(kind);
        Form1Harness::clickCell(grid, 1, 1);

        QGuiApplication::clipboard()->setText(text);
        QElapsedTimer pasteTime;
        const Block pasteBlock = longestBlock([&] {
            pasteTime.start();
            QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
            qInfo("paste of %d characters handled in %lld ms", kMillion, pasteTime.elapsed());
        });
        QVERIFY2(pasteBlock.threadMs < kLongestBlockMs,
                 qPrintable(QStringLiteral("the window froze %1 ms on the paste").arg(pasteBlock.threadMs)));
        QCOMPARE(grid->TextMatrix(1, 1).size(), text.size());
        QVERIFY(grid->TextMatrix(1, 1) == text);

        const Block typeBlock = longestBlock([&] {
            QTest::keyClick(editor, Qt::Key_End);
            QTest::keyClicks(editor, QStringLiteral("+3"));
        });
        QVERIFY2(typeBlock.threadMs < kLongestBlockMs,
                 qPrintable(QStringLiteral("the window froze %1 ms on typing").arg(typeBlock.threadMs)));
        QVERIFY(grid->TextMatrix(1, 1) == text + QStringLiteral("+3"));
        qInfo("longest freeze (thread / wall): paste %lld / %lld ms, typing %lld / %lld ms", pasteBlock.threadMs,
              pasteBlock.wallMs, typeBlock.threadMs, typeBlock.wallMs);
    }

    void solveWithLongCells_data()
    {
        QTest::addColumn<int>("coefficientKind");
        QTest::addColumn<int>("constantKind");
        QTest::addRow("number / number") << 0 << 0;
        QTest::addRow("number / not a number") << 0 << 1;
        QTest::addRow("not a number / number") << 1 << 0;
        QTest::addRow("far unit / number") << 2 << 0;
    }

    // Solve ends as the core says on the same texts: the solution or the
    // data-error message, with the window usable afterwards.
    void solveWithLongCells()
    {
        QFETCH(int, coefficientKind);
        QFETCH(int, constantKind);
        const QString coefficient = contentOf(coefficientKind), constant = contentOf(constantKind);
        form()->findChild<Grid*>("Grid1")->setTextMatrix(1, 1, coefficient);
        form()->findChild<Grid*>("Grid2")->setTextMatrix(1, 1, constant);

        const CellParts a = partcell(coefficient.toStdString()), b = partcell(constant.toStdString());
        const SolveResult expected = kalvor::solve({{a.re}}, {{a.im}}, {b.re}, {b.im});

        QElapsedTimer solveTime;
        const Block block = longestBlock([&] {
            solveTime.start();
            form()->findChild<QAction*>("solve")->trigger();
            qInfo("Solve with two cells of %d characters took %lld ms", kMillion, solveTime.elapsed());
        });
        qInfo("longest freeze around Solve (thread / wall): %lld / %lld ms", block.threadMs, block.wallMs);
        QVERIFY2(block.threadMs < kLongestBlockMs,
                 qPrintable(QStringLiteral("the window froze %1 ms on Solve").arg(block.threadMs)));

        if (expected.outcome == SolveOutcome::Solved) {
            QVERIFY(h->messages.messages.empty());
            QVERIFY(!form()->findChild<QFrame*>("Frame1")->isHidden());
            QCOMPARE(form()->findChild<Grid*>("Grid3")->TextMatrix(1, 1),
                     QString::fromStdString(resultText(expected.re[0], expected.im[0])));
        } else {
            QCOMPARE(h->messages.messages.size(), std::size_t{1});
            QCOMPARE(h->messages.messages.back().title, QStringLiteral("Check your data"));
            QVERIFY(form()->findChild<QFrame*>("Frame1")->isHidden());
            QVERIFY(form()->findChild<QAction*>("solve")->isEnabled());
        }
        // Nothing the user typed was changed by the run.
        QVERIFY(form()->findChild<Grid*>("Grid1")->TextMatrix(1, 1) == coefficient);
        QVERIFY(form()->findChild<Grid*>("Grid2")->TextMatrix(1, 1) == constant);
    }
};

QTEST_MAIN(Form1LongCellTest)
#include "form1_longcell_test.moc"
