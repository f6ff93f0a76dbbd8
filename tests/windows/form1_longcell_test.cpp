// Cells of a million characters: pasting one into an editor, typing at its
// end, and solving with it must each leave the window responsive (the event
// loop never held by a hang), keep the whole text in the cell, and Solve
// must end with its result or its message.
#include <functional>
#include <memory>

#include <QAction>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFrame>
#include <QLineEdit>
#include <QTest>

#include "core/core.h"
#include "form1_fixture.h"
#include "longcell.h"

using namespace kalvor;

namespace {

// A hang guard, not a speed limit: how long the event loop is kept from
// running is measured by the window benchmark (BM_Form1LongCell*), where a
// busy machine cannot fail it. This much only a hang reaches, in any build.
constexpr qint64 kLongestBlockMs = 10000;

// The longest block of `action`, failing the test when it never ended.
Block guardedBlock(const std::function<void()>& action)
{
    const Block block = longestBlock(action, 2 * kLongestBlockMs);
    if (!block.ended)
        QTest::qFail("the action did not end", __FILE__, __LINE__);
    return block;
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
        const QString text = longCellContent(kind);
        Form1Harness::clickCell(grid, 1, 1);

        QGuiApplication::clipboard()->setText(text);
        QElapsedTimer pasteTime;
        const Block pasteBlock = guardedBlock([&] {
            pasteTime.start();
            QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
            qInfo("paste of %d characters handled in %lld ms", kMillion, pasteTime.elapsed());
        });
        QVERIFY2(pasteBlock.threadMs < kLongestBlockMs,
                 qPrintable(QStringLiteral("the window froze %1 ms on the paste").arg(pasteBlock.threadMs)));
        QCOMPARE(grid->TextMatrix(1, 1).size(), text.size());
        QVERIFY(grid->TextMatrix(1, 1) == text);

        const Block typeBlock = guardedBlock([&] {
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
        const QString coefficient = longCellContent(coefficientKind), constant = longCellContent(constantKind);
        form()->findChild<Grid*>("Grid1")->setTextMatrix(1, 1, coefficient);
        form()->findChild<Grid*>("Grid2")->setTextMatrix(1, 1, constant);

        const CellParts a = partcell(coefficient.toStdString()), b = partcell(constant.toStdString());
        const SolveResult expected = kalvor::solve({{a.re}}, {{a.im}}, {b.re}, {b.im});

        QElapsedTimer solveTime;
        const Block block = guardedBlock([&] {
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
