// Cells of a million characters: pasting one into an editor, typing at its
// end, and solving with it must each leave the window responsive (the event
// loop never blocked for a second or more), keep the whole text in the cell,
// and Solve must end with its result or its message.
#include <algorithm>
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
constexpr qint64 kLongestBlockMs = 1000;

// Runs `action` from inside the event loop and returns the longest time, in
// milliseconds, that the loop went without serving a 10 ms heartbeat while
// the action ran and the window repainted after it.
qint64 longestBlock(const std::function<void()>& action)
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, worst = 0;
    QTimer beat;
    beat.setInterval(10);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        worst = std::max(worst, now - last);
        last = now;
    });
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
    const qint64 now = clock.elapsed();
    return std::max(worst, now - last);
}

QString contentOf(int kind)
{
    switch (kind) {
    case 0: // a number: no unit within the first 100 characters
        return QString(kMillion, QLatin1Char('1'));
    case 1: // not a number
        return QString(kMillion, QLatin1Char('x'));
    default: // a unit far beyond the search window, and non-ASCII text
        return QString(kMillion / 2, QChar(0x00e9)) + QString(kMillion / 2 - 1, QLatin1Char('2')) + QStringLiteral("i");
    }
}

} // namespace

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
        Grid* grid = coefficients ? form()->grid1() : form()->grid2();
        QLineEdit* editor = coefficients ? form()->text1() : form()->text4();
        const QString text = contentOf(kind);
        Form1Harness::clickCell(grid, 1, 1);

        QGuiApplication::clipboard()->setText(text);
        QElapsedTimer pasteTime;
        const qint64 pasteBlock = longestBlock([&] {
            pasteTime.start();
            QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
            qInfo("paste of %d characters handled in %lld ms", kMillion, pasteTime.elapsed());
        });
        QVERIFY2(pasteBlock < kLongestBlockMs, qPrintable(QStringLiteral("the window froze %1 ms on the paste").arg(pasteBlock)));
        QCOMPARE(grid->TextMatrix(1, 1).size(), text.size());
        QVERIFY(grid->TextMatrix(1, 1) == text);

        const qint64 typeBlock = longestBlock([&] {
            QTest::keyClick(editor, Qt::Key_End);
            QTest::keyClicks(editor, QStringLiteral("+3"));
        });
        QVERIFY2(typeBlock < kLongestBlockMs, qPrintable(QStringLiteral("the window froze %1 ms on typing").arg(typeBlock)));
        QVERIFY(grid->TextMatrix(1, 1) == text + QStringLiteral("+3"));
        qInfo("longest freeze: paste %lld ms, typing %lld ms", pasteBlock, typeBlock);
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
        form()->grid1()->setTextMatrix(1, 1, coefficient);
        form()->grid2()->setTextMatrix(1, 1, constant);

        const CellParts a = partcell(coefficient.toStdString()), b = partcell(constant.toStdString());
        const SolveResult expected = kalvor::solve({{a.re}}, {{a.im}}, {b.re}, {b.im});

        QElapsedTimer solveTime;
        const qint64 block = longestBlock([&] {
            solveTime.start();
            form()->solveAction()->trigger();
            qInfo("Solve with two cells of %d characters took %lld ms", kMillion, solveTime.elapsed());
        });
        qInfo("longest freeze around Solve: %lld ms", block);
        QVERIFY2(block < kLongestBlockMs, qPrintable(QStringLiteral("the window froze %1 ms on Solve").arg(block)));

        if (expected.outcome == SolveOutcome::Solved) {
            QVERIFY(h->messages.messages.empty());
            QVERIFY(!form()->frame1()->isHidden());
            QCOMPARE(form()->grid3()->TextMatrix(1, 1), QString::fromStdString(resultText(expected.re[0], expected.im[0])));
        } else {
            QCOMPARE(h->messages.messages.size(), std::size_t{1});
            QCOMPARE(h->messages.messages.back().title, QStringLiteral("Check your data"));
            QVERIFY(form()->frame1()->isHidden());
            QVERIFY(form()->solveAction()->isEnabled());
        }
        // Nothing the user typed was changed by the run.
        QVERIFY(form()->grid1()->TextMatrix(1, 1) == coefficient);
        QVERIFY(form()->grid2()->TextMatrix(1, 1) == constant);
    }
};

QTEST_MAIN(Form1LongCellTest)
#include "form1_longcell_test.moc"
