// The equation window and the clipboard: blocks pasted into the tables and
// undone, tables, the system and the solution copied out, Enter moving
// through the cells, the cell a data error comes from, and a key typed on a
// table reaching the cell. Real keys, real clipboard, real context menus.
#include <bit>
#include <cstdint>
#include <memory>

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFrame>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>

#include "core/core.h"
#include "form1testcase.h"
#include "platform/statusbar.h"
#include "platform/twips.h"
#include "windows/systemparameters.h"

using namespace kalvor;

namespace {

constexpr quint32 lightYellow = 0x00C0FFFF;
constexpr quint32 windowColour = 0x80000005;

QString clipboardText()
{
    return QGuiApplication::clipboard()->text();
}
void setClipboard(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
}

QAction* actionNamed(QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

}  // namespace

class Form1ClipboardTest : public Form1TestCase {
    Q_OBJECT

private:
    TableExchange* exchange() { return form()->findChild<TableExchange*>(QStringLiteral("exchange")); }
    Grid* g1() { return form()->findChild<Grid*>("Grid1"); }
    Grid* g2() { return form()->findChild<Grid*>("Grid2"); }
    QString panel(int k) { return form()->findChild<StatusBar*>("StatusBar1")->panelText(k); }

    // The gesture that pastes: a key on a table or in its editor.
    void pasteBy(const QString& gesture)
    {
        const bool constants = gesture.contains(QLatin1String("Grid2")) || gesture.contains(QLatin1String("Text4"));
        const bool editor = gesture.contains(QLatin1String("Text"));
        QWidget* target = constants ? (editor ? static_cast<QWidget*>(form()->findChild<QLineEdit*>("Text4")) : g2())
                                    : (editor ? static_cast<QWidget*>(form()->findChild<QLineEdit*>("Text1")) : g1());
        target->setFocus();
        if (gesture.startsWith(QLatin1String("Shift+Insert")))
            QTest::keyClick(target, Qt::Key_Insert, Qt::ShiftModifier);
        else
            QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
    }

    // Right click on a data cell, then the context menu the window opens.
    QMenu* openMenu(Grid* grid, int row, int col)
    {
        const QPoint at = Form1Harness::cellCentre(grid, row, col);
        QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, at);
        QContextMenuEvent request(QContextMenuEvent::Mouse, at, grid->viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid->viewport(), &request);
        return qobject_cast<QMenu*>(QApplication::activePopupWidget());
    }

    bool chooseFromMenu(Grid* grid, const QString& item)
    {
        QMenu* menu = openMenu(grid, 1, 1);
        if (!menu)
            return false;
        QAction* action = actionNamed(menu, item);
        if (!action || !action->isEnabled()) {
            menu->close();
            return false;
        }
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
        return QApplication::activePopupWidget() == nullptr;
    }

    // Fills both tables by typing, as a user would.
    void typeSystem(const QStringList& coefficients, const QStringList& constants)
    {
        const int n = static_cast<int>(constants.size());
        for (int r = 1; r <= n; ++r) {
            for (int c = 1; c <= n; ++c)
                h->typeCoefficient(r, c, coefficients.at((r - 1) * n + c - 1));
            h->typeConstant(r, constants.at(r - 1));
        }
    }

    QStringList solutionTexts()
    {
        QStringList texts;
        for (int k = 1; k < form()->findChild<Grid*>("Grid3")->Rows(); ++k)
            texts << form()->findChild<Grid*>("Grid3")->TextMatrix(k, 1);
        return texts;
    }

private slots:
    void blockThatFits_data()
    {
        QTest::addColumn<QString>("gesture");
        for (const char* g : {"Ctrl+V on Grid1", "Shift+Insert on Grid1", "Ctrl+V in Text1", "Shift+Insert in Text1",
                              "Ctrl+V on Grid2", "Ctrl+V in Text4"})
            QTest::newRow(g) << QString::fromLatin1(g);
    }

    // The block lands with its first field at the current cell; the cells
    // around it and the column widths stay as they were.
    void blockThatFits()
    {
        QFETCH(QString, gesture);
        QVERIFY(h->open(3));
        const bool constants = gesture.endsWith(QLatin1String("Grid2")) || gesture.endsWith(QLatin1String("Text4"));
        Grid* g = constants ? g2() : g1();
        QLineEdit* editor = constants ? form()->findChild<QLineEdit*>("Text4") : form()->findChild<QLineEdit*>("Text1");
        for (int r = 1; r <= 3; ++r)
            for (int c = 1; c < g->Cols(); ++c)
                g->setTextMatrix(r, c, QStringLiteral("keep"));
        const int col = constants ? 1 : 2;
        Form1Harness::clickCell(g, 2, col);
        const int width = g1()->ColWidth(col);
        setClipboard(constants ? QStringLiteral("a\nb\n") : QStringLiteral("a\tb\nc\td\n"));
        pasteBy(gesture);

        if (constants) {
            QCOMPARE(g->TextMatrix(1, 1), QString("keep"));
            QCOMPARE(g->TextMatrix(2, 1), QString("a"));
            QCOMPARE(g->TextMatrix(3, 1), QString("b"));
        } else {
            QCOMPARE(g->TextMatrix(2, 1), QString("keep"));
            QCOMPARE(g->TextMatrix(2, 2), QString("a"));
            QCOMPARE(g->TextMatrix(2, 3), QString("b"));
            QCOMPARE(g->TextMatrix(3, 2), QString("c"));
            QCOMPARE(g->TextMatrix(3, 3), QString("d"));
            QCOMPARE(g->TextMatrix(1, 2), QString("keep"));
        }
        // The editor shows the current cell's new text, and no change
        // handler widened a column 7 twips a character.
        QCOMPARE(g->Row(), 2);
        QCOMPARE(editor->text(), QString("a"));
        QCOMPARE(g1()->ColWidth(col), width);
        QVERIFY(h->messages.messages.empty());
        QVERIFY(exchange()->canUndoPaste());
    }

    void augmentedBlockFillsBothTables_data()
    {
        QTest::addColumn<QString>("block");
        QTest::newRow("tabs") << QStringLiteral("1\t2\t3\t10\n4\t5\t6\t11\n7\t8\t9\t12\n");
        QTest::newRow("semicolons, quoted") << QStringLiteral("\"1\";2;3;10\n4;5;\"6\";11\n7;8;9;\"12\"\n");
        // Phasors land as the numbers the cells read; undo empties the cells.
        QTest::newRow("phasors") << QStringLiteral("1<0\t2@0\t3 \u2220 0\u00b0\t10<0d\n4<360\t5<0\t6<0\t11<0\n"
                                                   "7<0\t8<0\t9<0\t12@0rad\n");
    }

    void augmentedBlockFillsBothTables()
    {
        QFETCH(QString, block);
        QVERIFY(h->open(3));
        Form1Harness::clickCell(g1(), 1, 1);
        setClipboard(block);
        pasteBy(QStringLiteral("Ctrl+V on Grid1"));
        for (int r = 1; r <= 3; ++r) {
            for (int c = 1; c <= 3; ++c)
                QCOMPARE(g1()->TextMatrix(r, c), QString::number((r - 1) * 3 + c));
            QCOMPARE(g2()->TextMatrix(r, 1), QString::number(9 + r));
        }
        QVERIFY(h->messages.messages.empty());
        QCOMPARE(form()->findChild<QLineEdit*>("Text4")->text(), QString("10"));
        // One paste: one undo gives both tables back.
        QTest::keyClick(g1(), Qt::Key_Z, Qt::ControlModifier);
        for (int r = 1; r <= 3; ++r) {
            QCOMPARE(g1()->TextMatrix(r, 3), QString());
            QCOMPARE(g2()->TextMatrix(r, 1), QString());
        }
        QVERIFY(!exchange()->canUndoPaste());
    }

    // Semicolons come from spreadsheets that write decimal commas: a cell
    // that reads only with full stops gets them. Tabs keep every comma.
    void semicolonPasteTakesDecimalCommas()
    {
        QVERIFY(h->open(2));
        Form1Harness::clickCell(g1(), 1, 1);
        setClipboard(QStringLiteral("1,5;a,b;-2,25e3\n"));
        pasteBy(QStringLiteral("Ctrl+V on Grid1"));
        QCOMPARE(g1()->TextMatrix(1, 1), QString("1.5"));
        QCOMPARE(g1()->TextMatrix(1, 2), QString("a,b"));
        QCOMPARE(g2()->TextMatrix(1, 1), QString("-2.25e3"));
        Form1Harness::clickCell(g1(), 2, 1);
        setClipboard(QStringLiteral("1,5\t2,5\n"));
        pasteBy(QStringLiteral("Ctrl+V on Grid1"));
        QCOMPARE(g1()->TextMatrix(2, 1), QString("1,5"));
        QCOMPARE(g1()->TextMatrix(2, 2), QString("2,5"));
    }

    void blockThatDoesNotFit_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("fields");
        QTest::addColumn<QString>("message");
        QTest::newRow("rows and columns")
            << 5 << 3 << 2 << 4 << 6
            << "The pasted block has 4 rows and 6 columns; 1 row and 2 columns did not fit and were left out.";
        QTest::newRow("one row") << 3 << 3 << 1 << 2 << 2
                                 << "The pasted block has 2 rows and 2 columns; 1 row did not fit and was left out.";
        QTest::newRow("columns")
            << 3 << 1 << 2 << 1 << 4
            << "The pasted block has 1 row and 4 columns; 2 columns did not fit and were left out.";
        // At column 1 but one field short of N + 1: not augmented.
        QTest::newRow("one column")
            << 3 << 1 << 1 << 3 << 4
            << "The pasted block has 3 rows and 4 columns; 1 column did not fit and was left out.";
    }

    void blockThatDoesNotFit()
    {
        QFETCH(int, n);
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(int, rows);
        QFETCH(int, fields);
        QFETCH(QString, message);
        QVERIFY(h->open(n));
        QString block;
        for (int r = 0; r < rows; ++r) {
            QStringList line;
            for (int f = 0; f < fields; ++f)
                line << QStringLiteral("%1.%2").arg(r).arg(f);
            // In the "one column" case the last row is one field short.
            if (n == 3 && row == 1 && col == 1 && r == rows - 1)
                line.removeLast();
            block += line.join(QLatin1Char('\t')) + QLatin1Char('\n');
        }
        Form1Harness::clickCell(g1(), row, col);
        setClipboard(block);
        pasteBy(QStringLiteral("Ctrl+V on Grid1"));

        QCOMPARE(h->messages.messages.size(), std::size_t(1));
        QCOMPARE(h->messages.messages[0].message, message);
        QCOMPARE(h->messages.messages[0].title, QString("KALVOR1"));
        QCOMPARE(h->messages.messages[0].style, MessageBox::Style::Information);
        // Everything that fits was kept, up to the table's last cell.
        for (int r = row; r <= n && r - row < rows; ++r)
            for (int c = col; c <= n && c - col < fields - (n == 3 && row == 1 && col == 1 && r - row == rows - 1); ++c)
                QCOMPARE(g1()->TextMatrix(r, c), QStringLiteral("%1.%2").arg(r - row).arg(c - col));
        for (int r = 1; r <= n; ++r)
            QCOMPARE(g2()->TextMatrix(r, 1), QString());
    }

    void quotedFieldsAndCrLf()
    {
        QVERIFY(h->open(2));
        Form1Harness::clickCell(g1(), 1, 1);
        setClipboard(QStringLiteral("\"a\tb\"\t\"say \"\"hi\"\"\"\r\n\"two\r\nlines\"\t x \r\n"));
        pasteBy(QStringLiteral("Ctrl+V in Text1"));
        QCOMPARE(g1()->TextMatrix(1, 1), QString("a\tb"));
        QCOMPARE(g1()->TextMatrix(1, 2), QString("say \"hi\""));
        QCOMPARE(g1()->TextMatrix(2, 1), QString("two\r\nlines"));
        QCOMPARE(g1()->TextMatrix(2, 2), QString(" x "));
        QVERIFY(h->messages.messages.empty());
    }

    // One line without a tab goes into the editor as before: no block, no
    // paste to undo, and the change handler widened the column.
    void oneLineIntoEditor()
    {
        QVERIFY(h->open(2));
        Form1Harness::clickCell(g1(), 1, 2);
        const int width = g1()->ColWidth(2);
        setClipboard(QStringLiteral("3+4i"));
        pasteBy(QStringLiteral("Ctrl+V in Text1"));
        QCOMPARE(form()->findChild<QLineEdit*>("Text1")->text(), QString("3+4i"));
        QCOMPARE(g1()->TextMatrix(1, 2), QString("3+4i"));
        QCOMPARE(g1()->ColWidth(2) - width, 28);
        QVERIFY(!exchange()->canUndoPaste());
        // Its undo is the editor's own.
        QTest::keyClick(form()->findChild<QLineEdit*>("Text1"), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(g1()->TextMatrix(1, 2), QString());
    }

    void pasteWhileSolutionShownDoesNothing()
    {
        QVERIFY(h->open(1));
        h->typeCoefficient(1, 1, QStringLiteral("2"));
        h->typeConstant(1, QStringLiteral("4"));
        form()->findChild<QAction*>("solve")->trigger();
        QVERIFY(form()->findChild<QFrame*>("Frame1")->isVisible());
        setClipboard(QStringLiteral("7\t8\n"));
        for (QWidget* w : std::initializer_list<QWidget*>{form()->findChild<Grid*>("Grid3"), g1(),
                                                          form()->findChild<QLineEdit*>("Text1"),
                                                          form()->findChild<QLineEdit*>("Text4")})
            QTest::keyClick(w, Qt::Key_V, Qt::ControlModifier);
        exchange()->pasteClipboard(g1());
        QCOMPARE(g1()->TextMatrix(1, 1), QString("2"));
        QCOMPARE(g2()->TextMatrix(1, 1), QString("4"));
        QVERIFY(!exchange()->canUndoPaste());
        QVERIFY(h->messages.messages.empty());
    }

    // Pastes come back off in turn; the editor's own typing first.
    void undoAfterSeveralPastes()
    {
        QVERIFY(h->open(3));
        h->typeCoefficient(1, 1, QStringLiteral("t"));
        setClipboard(QStringLiteral("p1\tp2\n"));
        pasteBy(QStringLiteral("Ctrl+V in Text1"));
        setClipboard(QStringLiteral("q1\nq2\n"));
        pasteBy(QStringLiteral("Ctrl+V on Grid1"));
        QCOMPARE(g1()->TextMatrix(1, 1), QString("q1"));
        QCOMPARE(g1()->TextMatrix(2, 1), QString("q2"));
        // Typing after the paste: the first Ctrl+Z in the editor takes it back.
        form()->findChild<QLineEdit*>("Text1")->setFocus();
        form()->findChild<QLineEdit*>("Text1")->end(false);
        QTest::keyClicks(form()->findChild<QLineEdit*>("Text1"), QStringLiteral("x"));
        QCOMPARE(g1()->TextMatrix(1, 1), QString("q1x"));
        QTest::keyClick(form()->findChild<QLineEdit*>("Text1"), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(g1()->TextMatrix(1, 1), QString("q1"));
        QCOMPARE(g1()->TextMatrix(2, 1), QString("q2"));
        // Then the pastes, last first, from the editor and from the table.
        QTest::keyClick(form()->findChild<QLineEdit*>("Text1"), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(g1()->TextMatrix(1, 1), QString("p1"));
        QCOMPARE(g1()->TextMatrix(2, 1), QString());
        QCOMPARE(g1()->TextMatrix(1, 2), QString("p2"));
        QCOMPARE(form()->findChild<QLineEdit*>("Text1")->text(), QString("p1"));
        g1()->setFocus();
        QTest::keyClick(g1(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(g1()->TextMatrix(1, 1), QString("t"));
        QCOMPARE(g1()->TextMatrix(1, 2), QString());
        QCOMPARE(form()->findChild<QLineEdit*>("Text1")->text(), QString("t"));
        QVERIFY(!exchange()->canUndoPaste());
        QTest::keyClick(g1(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(g1()->TextMatrix(1, 1), QString("t"));
        // Ctrl+Z on a table is not a typed key: the focus stays there.
        QCOMPARE(QApplication::focusWidget(), g1());
    }

    // Ctrl+Z on a table (or "Undo paste" on its menu) takes back pastes and
    // parameter changes in the one order they were made; an undo in the
    // Parameters window takes its change out of that order. Each step:
    // "what is done -> cell (1, 1) | the parameter table" afterwards.
    void undoTakesBackPastesAndParameterChangesInTurn_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("interleaved") << QStringList{"paste a -> a | ",    "set R=1 -> a | R=1", "paste b -> b | R=1",
                                                    "set R=2 -> b | R=2", "Ctrl+Z -> b | R=1",  "Ctrl+Z -> a | R=1",
                                                    "Ctrl+Z -> a | ",     "Ctrl+Z ->  | ",      "Ctrl+Z ->  | "};
        QTest::newRow("undone in the Parameters window")
            << QStringList{"paste a -> a | ", "set R=1 -> a | R=1", "paste b -> b | R=1", "window undo -> b | ",
                           "Ctrl+Z -> a | ",  "Ctrl+Z ->  | ",      "Ctrl+Z ->  | "};
        QTest::newRow("menu, with changes after an undo")
            << QStringList{"set R=1 -> | R=1", "paste a -> a | R=1", "menu -> | R=1",   "set R=1,w=2 -> | R=1,w=2",
                           "menu -> | R=1",    "paste b -> b | R=1", "Ctrl+Z -> | R=1", "Ctrl+Z -> | "};
    }

    void undoTakesBackPastesAndParameterChangesInTurn()
    {
        QFETCH(QStringList, steps);
        QVERIFY(h->open(2));
        SystemParameters& parameters = form()->systemParameters();
        for (const QString& step : steps) {
            const QString action = step.section(QStringLiteral(" -> "), 0, 0);
            const QString after = step.section(QStringLiteral(" -> "), 1);
            if (action.startsWith(QLatin1String("paste "))) {
                setClipboard(action.mid(6));
                Form1Harness::clickCell(g1(), 1, 1);
                pasteBy(QStringLiteral("Ctrl+V on Grid1"));
            } else if (action.startsWith(QLatin1String("set "))) {
                std::vector<Parameter> table;
                for (const QString& row : action.mid(4).split(QLatin1Char(',')))
                    table.push_back({row.section(QLatin1Char('='), 0, 0).toStdString(),
                                     row.section(QLatin1Char('='), 1).toStdString()});
                parameters.set(table);
            } else if (action == QLatin1String("Ctrl+Z")) {
                g1()->setFocus();
                QTest::keyClick(g1(), Qt::Key_Z, Qt::ControlModifier);
            } else if (action == QLatin1String("menu")) {
                QVERIFY2(chooseFromMenu(g1(), QStringLiteral("Undo paste")), qPrintable(step));
            } else {
                QCOMPARE(action, QStringLiteral("window undo"));
                form()->parameters_Click();
                form()->findChild<QPushButton*>(QStringLiteral("undo"))->click();
            }
            QStringList table;
            for (const Parameter& p : parameters.parameters())
                table << QString::fromStdString(p.name + "=" + p.formula);
            QCOMPARE(g1()->TextMatrix(1, 1), after.section(QLatin1Char('|'), 0, 0).trimmed());
            QCOMPARE(table.join(QLatin1Char(',')), after.section(QLatin1Char('|'), 1).trimmed());
        }
    }

    // Columns that received text fit their longest text, capped as typing
    // is, and are never narrowed.
    void pastedColumnsFitTheirText()
    {
        QVERIFY(h->open(3));
        g1()->setColWidth(3, 5000);
        Form1Harness::clickCell(g1(), 1, 1);
        const QString medium(60, QLatin1Char('8'));
        setClipboard(QStringLiteral("%1\t%2\t1\n").arg(medium, QString(3000, QLatin1Char('9'))));
        pasteBy(QStringLiteral("Ctrl+V on Grid1"));
        const int needed = pixelsToTwips(QFontMetrics(g1()->font()).horizontalAdvance(medium));
        QVERIFY2(g1()->ColWidth(1) >= needed && g1()->ColWidth(1) < needed + 300,
                 qPrintable(QStringLiteral("%1 twips for a text of %2").arg(g1()->ColWidth(1)).arg(needed)));
        QCOMPARE(g1()->ColWidth(2), Form1::maxTypedColumnTwips);
        QCOMPARE(g1()->ColWidth(3), 5000);
        h->screenshot(QStringLiteral("form1-pasted-columns"));
    }

    void copyTables_data()
    {
        QTest::addColumn<int>("grid");
        QTest::addColumn<bool>("ctrlInsert");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Grid1, Ctrl+C") << 1 << false << "1\t\"a\tb\"\n\t\"say \"\"x\"\"\"\n";
        QTest::newRow("Grid1, Ctrl+Insert") << 1 << true << "1\t\"a\tb\"\n\t\"say \"\"x\"\"\"\n";
        QTest::newRow("Grid2, Ctrl+C") << 2 << false << "5\n-i\n";
        QTest::newRow("Grid3, Ctrl+Insert") << 3 << true << "X1\t 1.0000 + 0.0000i\nX2\t 0.0000 - 1i\n";
    }

    void copyTables()
    {
        QFETCH(int, grid);
        QFETCH(bool, ctrlInsert);
        QFETCH(QString, expected);
        QVERIFY(h->open(2));
        if (grid == 3) {
            typeSystem({"1", "0", "0", "1"}, {"1", "-i"});
            form()->findChild<QAction*>("solve")->trigger();
        } else {
            g1()->setTextMatrix(1, 1, QStringLiteral("1"));
            g1()->setTextMatrix(1, 2, QStringLiteral("a\tb"));
            g1()->setTextMatrix(2, 2, QStringLiteral("say \"x\""));
            g2()->setTextMatrix(1, 1, QStringLiteral("5"));
            g2()->setTextMatrix(2, 1, QStringLiteral("-i"));
        }
        Grid* g = grid == 1 ? g1() : grid == 2 ? g2() : form()->findChild<Grid*>("Grid3");
        setClipboard(QStringLiteral("before"));
        g->setFocus();
        if (ctrlInsert)
            QTest::keyClick(g, Qt::Key_Insert, Qt::ControlModifier);
        else
            QTest::keyClick(g, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboardText(), expected);
    }

    // Copy system from one window, paste into a fresh one: same solution.
    void copySystemAndPasteBackSolvesTheSame()
    {
        QVERIFY(h->open(3));
        typeSystem({"4+i", "1", "-0.5j", "2", "5", "1e-3", "-i", "0.25", "3-2i"}, {"1+2i", "-3", "0.5j"});
        form()->findChild<QAction*>("solve")->trigger();
        const QStringList first = solutionTexts();
        form()->findChild<QAction*>("back")->trigger();
        QVERIFY(chooseFromMenu(g2(), QStringLiteral("Copy system")));
        QCOMPARE(clipboardText().count(QLatin1Char('\n')), 3);

        h = std::make_unique<Form1Harness>();
        QVERIFY(h->open(3));
        Form1Harness::clickCell(g1(), 1, 1);
        QVERIFY(chooseFromMenu(g1(), QStringLiteral("Paste")));
        QCOMPARE(g1()->TextMatrix(3, 3), QString("3-2i"));
        QCOMPARE(g2()->TextMatrix(3, 1), QString("0.5j"));
        h->screenshot(QStringLiteral("form1-pasted-system"));
        form()->findChild<QAction*>("solve")->trigger();
        QVERIFY(h->messages.messages.empty());
        QCOMPARE(solutionTexts(), first);
        // "Undo paste" on the menu empties both tables again.
        form()->findChild<QAction*>("back")->trigger();
        QVERIFY(chooseFromMenu(g1(), QStringLiteral("Undo paste")));
        QCOMPARE(g1()->TextMatrix(1, 1), QString());
        QCOMPARE(g2()->TextMatrix(3, 1), QString());
    }

    void copyAsNumbersReadsBackExactly()
    {
        QVERIFY(h->open(2));
        const QStringList coefficients{"3", "1+i", "0.7", "-6i"};
        const QStringList constants{"1+2i", "1e-7"};
        typeSystem(coefficients, constants);
        form()->findChild<QAction*>("solve")->trigger();
        QVERIFY(form()->findChild<QFrame*>("Frame1")->isVisible());

        PartMatrix coefRe(2, PartVector(2, PartValue::fromInteger(0))), coefIm = coefRe;
        PartVector constRe(2, PartValue::fromInteger(0)), constIm = constRe;
        for (std::size_t r = 0; r < 2; ++r) {
            for (std::size_t c = 0; c < 2; ++c) {
                CellParts p = partcell(coefficients.at(static_cast<int>(r * 2 + c)).toStdString());
                coefRe[r][c] = p.re;
                coefIm[r][c] = p.im;
            }
            CellParts p = partcell(constants.at(static_cast<int>(r)).toStdString());
            constRe[r] = p.re;
            constIm[r] = p.im;
        }
        const SolveResult expected = kalvor::solve(coefRe, coefIm, constRe, constIm);
        QCOMPARE(expected.outcome, SolveOutcome::Solved);

        QVERIFY(chooseFromMenu(form()->findChild<Grid*>("Grid3"), QStringLiteral("Copy as numbers")));
        const TableText copied = readTableText(clipboardText().toStdString(), '\t');
        QCOMPARE(copied.rows.size(), std::size_t(2));
        for (std::size_t k = 0; k < 2; ++k) {
            QCOMPARE(copied.rows[k].fields.size(), std::size_t(2));
            const std::optional<double> re = readNumber(PartValue::fromText(copied.rows[k].fields[0]));
            const std::optional<double> im = readNumber(PartValue::fromText(copied.rows[k].fields[1]));
            QVERIFY(re && im);
            QCOMPARE(std::bit_cast<std::uint64_t>(*re), std::bit_cast<std::uint64_t>(expected.re[k]));
            QCOMPARE(std::bit_cast<std::uint64_t>(*im), std::bit_cast<std::uint64_t>(expected.im[k]));
        }
        // "Copy solution" gives the texts as shown.
        QVERIFY(chooseFromMenu(form()->findChild<Grid*>("Grid3"), QStringLiteral("Copy solution")));
        QVERIFY(clipboardText().startsWith(QStringLiteral("X1\t") + form()->findChild<Grid*>("Grid3")->TextMatrix(1, 1)
                                           + "\n"));
    }

    // "Copy checked solution" writes the check's accurate values as "Copy as
    // numbers" writes the shown ones, once the check of the solution shown
    // has arrived with a verdict that vouches for them.
    void copyCheckedSolutionWritesTheAccurateValues_data()
    {
        QTest::addColumn<QStringList>("coefficients");
        QTest::addColumn<QStringList>("constants");
        QTest::addColumn<QString>("copied");  // empty: the item stays greyed
        QTest::newRow("tiny first pivot")
            << QStringList{"1E-20", "1", "1", "1"} << QStringList{"1", "2"} << "1\t0\n1\t0\n";
        QTest::newRow("complex, all digits right")
            << QStringList{"2i", "", "", "4"} << QStringList{"4", "1+i"} << "0\t-2\n0.25\t0.25\n";
        QTest::newRow("nearly singular") << QStringList{"0.1", "0.3", "0.3", "0.9"} << QStringList{"1", "2"} << "";
    }

    void copyCheckedSolutionWritesTheAccurateValues()
    {
        QFETCH(QStringList, coefficients);
        QFETCH(QStringList, constants);
        QFETCH(QString, copied);
        QVERIFY(h->open(2));
        typeSystem(coefficients, constants);
        form()->findChild<QAction*>("solve")->trigger();
        // Greyed while the check runs.
        std::unique_ptr<QMenu> early(exchange()->contextMenuFor(form()->findChild<Grid*>("Grid3")));
        QVERIFY(!actionNamed(early.get(), QStringLiteral("Copy checked solution"))->isEnabled());
        QTRY_VERIFY(form()->state().checksRunning == 0);
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        QCOMPARE(chooseFromMenu(form()->findChild<Grid*>("Grid3"), QStringLiteral("Copy checked solution")),
                 !copied.isEmpty());
        QCOMPARE(clipboardText(), copied.isEmpty() ? QStringLiteral("before") : copied);
    }

    // "Show accurate values" adds the column Accurate after the window's
    // own ones: each unknown's accurate text once the check is back (empty
    // before, and after a verdict of unreliable), copied with the solution.
    void accurateValuesShowAColumn_data()
    {
        QTest::addColumn<QStringList>("coefficients");
        QTest::addColumn<QStringList>("constants");
        QTest::addColumn<QStringList>("accurate");
        QTest::newRow("tiny first pivot: X1 wrong")
            << QStringList{"1E-20", "1", "1", "1"} << QStringList{"1", "2"}
            << QStringList{" 1.0000 + 0.0000i", " 1.0000 + 0.0000i"};
        QTest::newRow("nearly singular") << QStringList{"0.1", "0.3", "0.3", "0.9"} << QStringList{"1", "2"}
                                         << QStringList{"", ""};
    }

    void accurateValuesShowAColumn()
    {
        QFETCH(QStringList, coefficients);
        QFETCH(QStringList, constants);
        QFETCH(QStringList, accurate);
        QVERIFY(h->open(2));
        Grid* g3 = form()->findChild<Grid*>("Grid3");
        typeSystem(coefficients, constants);
        form()->findChild<QAction*>("solve")->trigger();
        QVERIFY(form()->accurateTexts().empty());
        QVERIFY(chooseFromMenu(g3, QStringLiteral("Show accurate values")));
        QCOMPARE(g3->model()->headerData(1, Qt::Horizontal).toString(), QString("Accurate"));
        QTRY_VERIFY(form()->state().checksRunning == 0);
        const QString first = g3->TextMatrix(1, 1), second = g3->TextMatrix(2, 1);
        QCOMPARE((QStringList{g3->TextMatrix(1, 2), g3->TextMatrix(2, 2)}), accurate);
        QVERIFY(chooseFromMenu(g3, QStringLiteral("Copy solution")));
        QCOMPARE(clipboardText(), "X1\t" + first + "\t" + accurate[0] + "\nX2\t" + second + "\t" + accurate[1] + "\n");
        // With the polar texts the accurate ones come last.
        QVERIFY(chooseFromMenu(g3, QStringLiteral("Show polar form")));
        QCOMPARE(g3->model()->headerData(2, Qt::Horizontal).toString(), QString("Accurate"));
        QCOMPARE(g3->TextMatrix(1, 3), accurate[0]);
        g3->horizontalScrollBar()->setValue(g3->horizontalScrollBar()->maximum());
        h->screenshot(QStringLiteral("form1-accurate-column-") + QTest::currentDataTag());
        // Back and a new Solve keep the choice; Show accurate values again
        // takes the column away.
        form()->findChild<QAction*>("back")->trigger();
        form()->findChild<QAction*>("solve")->trigger();
        QTRY_VERIFY(form()->state().checksRunning == 0);
        QCOMPARE(g3->TextMatrix(2, 3), accurate[1]);
        QVERIFY(chooseFromMenu(g3, QStringLiteral("Show accurate values")));
        QCOMPARE(g3->Cols(), 3);
    }

    // A right click opens the menu but is no click: no cell is selected.
    void rightClickOpensMenuWithoutClick()
    {
        QVERIFY(h->open(3));
        QMenu* menu = openMenu(g1(), 2, 3);
        QVERIFY(menu);
        QStringList items;
        for (QAction* action : menu->actions())
            if (!action->isSeparator())
                items << action->text();
        QCOMPARE(items, QStringList({"Copy table", "Copy system", "Paste", "Undo paste"}));
        QVERIFY(!actionNamed(menu, QStringLiteral("Undo paste"))->isEnabled());
        const QString folder = qEnvironmentVariable("KALVOR_ARTIFACTS");
        if (!folder.isEmpty())
            menu->grab().save(folder + QStringLiteral("/form1-context-menu.png"));
        menu->close();
        QCOMPARE(g1()->Row(), 1);
        QCOMPARE(g1()->Col(), 1);
        QCOMPARE(g1()->cellBackColorAt(2, 3), lightYellow);
        QCOMPARE(panel(1), QString());
        QCOMPARE(form()->findChild<QLineEdit*>("Txt7")->text(), QString("Text7"));
    }

    // Enter goes along the equations: a row's coefficients, its constant,
    // then the next row; Shift+Enter back. Each step is a click, the focus
    // in the reached table's editor; the two ends stay where they are.
    void enterGoesAlongTheEquations()
    {
        QVERIFY(h->open(2));
        struct Step {
            Qt::KeyboardModifiers mods;
            bool constant;
            int row, col;
        };
        const Qt::KeyboardModifiers back = Qt::ShiftModifier;
        const Qt::KeyboardModifiers keypad = Qt::KeypadModifier;
        const Step steps[] = {{{}, false, 1, 2},  {{}, true, 1, 1},    {keypad, false, 2, 1}, {{}, false, 2, 2},
                              {{}, true, 2, 1},   {{}, true, 2, 1},    {back, false, 2, 2},   {back, false, 2, 1},
                              {back, true, 1, 1}, {back, false, 1, 2}, {back, false, 1, 1},   {back, false, 1, 1}};
        Form1Harness::clickCell(g1(), 1, 1);
        Step previous{{}, false, 1, 1};
        for (const Step& s : steps) {
            QLineEdit* editor
                = previous.constant ? form()->findChild<QLineEdit*>("Text4") : form()->findChild<QLineEdit*>("Text1");
            const QString typed = QStringLiteral("%1%2%3").arg(previous.constant).arg(previous.row).arg(previous.col);
            editor->selectAll();
            QTest::keyClicks(editor, typed);
            QTest::keyClick(editor, s.mods.testFlag(Qt::KeypadModifier) ? Qt::Key_Enter : Qt::Key_Return, s.mods);
            Grid* from = previous.constant ? g2() : g1();
            Grid* to = s.constant ? g2() : g1();
            QLineEdit* toEditor
                = s.constant ? form()->findChild<QLineEdit*>("Text4") : form()->findChild<QLineEdit*>("Text1");
            QCOMPARE(from->TextMatrix(previous.row, previous.col), typed);
            QCOMPARE(to->Row(), s.row);
            QCOMPARE(to->Col(), s.col);
            QCOMPARE(QApplication::focusWidget(), toEditor);
            QCOMPARE(toEditor->text(), to->TextMatrix(s.row, s.col));
            QCOMPARE(to->cellBackColorAt(s.row, s.col), windowColour);
            if (from == to && (previous.row != s.row || previous.col != s.col))
                QCOMPARE(from->cellBackColorAt(previous.row, previous.col), lightYellow);
            if (s.constant) {
                QCOMPARE(panel(3), QStringLiteral("C%1").arg(s.row));
            } else {
                QCOMPARE(panel(1), QStringLiteral("X%1").arg(s.col));
                QCOMPARE(panel(2), QStringLiteral("EQ.%1").arg(s.row));
            }
            QCOMPARE(form()->state().curCol, s.col);
            previous = s;
        }
    }

    void dataErrorPointsAtTheCell_data()
    {
        QTest::addColumn<QStringList>("coefficients");
        QTest::addColumn<QStringList>("constants");
        QTest::addColumn<QString>("panel4");
        QTest::addColumn<int>("table");  // 0: none made current
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::newRow("coefficient") << QStringList{"1", "2", "3", "abc"} << QStringList{"1", "1"}
                                     << "EQ.2, X2: not a number" << 1 << 2 << 2;
        QTest::newRow("first in column order")
            << QStringList{"1", "x", "y", "1"} << QStringList{"1", "1"} << "EQ.2, X1: not a number" << 1 << 2 << 1;
        QTest::newRow("constant") << QStringList{"1", "2", "3", "4"} << QStringList{"1", "2+zi"} << "C 2: not a number"
                                  << 2 << 2 << 1;
        QTest::newRow("beyond the number range") << QStringList{"1", "2", "3", "-1e400"} << QStringList{"1", "1"}
                                                 << "EQ.2, X2: beyond the number range" << 1 << 2 << 2;
        QTest::newRow("overflow") << QStringList{"1E200", "1E200", "1E200", "1E200"} << QStringList{"1", "1"}
                                  << "A value left the number range" << 0 << 0 << 0;
    }

    void dataErrorPointsAtTheCell()
    {
        QFETCH(QStringList, coefficients);
        QFETCH(QStringList, constants);
        QFETCH(QString, panel4);
        QFETCH(int, table);
        QFETCH(int, row);
        QFETCH(int, col);
        QVERIFY(h->open(2));
        typeSystem(coefficients, constants);
        Form1Harness::clickCell(g1(), 1, 1);
        form()->findChild<QAction*>("solve")->trigger();
        QCOMPARE(h->messages.messages.size(), std::size_t(1));
        QCOMPARE(h->messages.messages[0].title, QString("Check your data"));
        QVERIFY(form()->findChild<QFrame*>("Frame1")->isHidden());
        QCOMPARE(panel(4), panel4);
        if (table == 0) {
            QCOMPARE(g1()->Row(), 1);
            QCOMPARE(g1()->Col(), 1);
            QCOMPARE(panel(1), QString("X1"));
        } else {
            Grid* g = table == 1 ? g1() : g2();
            QLineEdit* editor
                = table == 1 ? form()->findChild<QLineEdit*>("Text1") : form()->findChild<QLineEdit*>("Text4");
            QCOMPARE(g->Row(), row);
            QCOMPARE(g->Col(), col);
            QCOMPARE(g->cellBackColorAt(row, col), windowColour);
            QCOMPARE(QApplication::focusWidget(), editor);
            QCOMPARE(editor->text(), g->TextMatrix(row, col));
            if (table == 1)
                QCOMPARE(panel(2), QStringLiteral("EQ.%1").arg(row));
            else
                QCOMPARE(panel(3), QStringLiteral("C%1").arg(row));
            QVERIFY(g->visualRect(g->model()->index(row - 1, col - 1)).intersects(g->viewport()->rect()));
        }
        // The next Solve empties the panel, and so does the next click.
        form()->findChild<QAction*>("solve")->trigger();
        QCOMPARE(panel(4), panel4);
        form()->findChild<QAction*>("solve")->trigger();
        h->messages.onShow = [this] { QCOMPARE(panel(4), QString()); };
        form()->findChild<QAction*>("solve")->trigger();
        h->messages.onShow = nullptr;
        Form1Harness::clickCell(g2(), 1, 1);
        QCOMPARE(panel(4), QString());
    }

    void dataErrorCellIsScrolledIntoView()
    {
        QVERIFY(h->open(40));
        g1()->setTextMatrix(1, 1, QStringLiteral("1"));
        g1()->setTextMatrix(35, 30, QStringLiteral("abc"));
        form()->findChild<QAction*>("solve")->trigger();
        QCOMPARE(panel(4), QString("EQ.35, X30: not a number"));
        QCOMPARE(g1()->Row(), 35);
        QCOMPARE(g1()->Col(), 30);
        QCOMPARE(form()->findChild<QLineEdit*>("Text1")->text(), QString("abc"));
        const QRect cell = g1()->visualRect(g1()->model()->index(34, 29));
        QVERIFY2(g1()->viewport()->rect().contains(cell.center()), "the cell is not in sight");
    }

    // The other editor's typing keeps its own undo across a paste.
    void pasteKeepsTheOtherEditorsUndo()
    {
        QVERIFY(h->open(2));
        h->typeConstant(1, QStringLiteral("5"));
        Form1Harness::clickCell(g1(), 1, 1);
        setClipboard(QStringLiteral("7\t8\n"));
        pasteBy(QStringLiteral("Ctrl+V on Grid1"));
        QCOMPARE(g1()->TextMatrix(1, 2), QString("8"));
        QTest::keyClick(form()->findChild<QLineEdit*>("Text4"), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(g2()->TextMatrix(1, 1), QString());
        QCOMPARE(g1()->TextMatrix(1, 2), QString("8"));
        QTest::keyClick(form()->findChild<QLineEdit*>("Text4"), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(g1()->TextMatrix(1, 2), QString());
    }

    // A key typed on a table replaces the current cell's text in the
    // editor, change handler and all; keys that type nothing still only
    // move the focus.
    void keyTypedOnTableReachesTheCell()
    {
        QVERIFY(h->open(3));
        Form1Harness::clickCell(g1(), 1, 1);
        g1()->setFocus();
        QTest::keyClick(g1(), Qt::Key_Right);
        QTest::keyClick(g1(), Qt::Key_Down);
        QTest::keyClicks(g1(), QStringLiteral("1"));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("-i"));
        QCOMPARE(g1()->TextMatrix(2, 2), QString("1-i"));
        QCOMPARE(g1()->TextMatrix(1, 1), QString());

        g2()->setTextMatrix(3, 1, QStringLiteral("4"));
        g2()->setFocus();
        QTest::keyClick(g2(), Qt::Key_Down);
        QTest::keyClick(g2(), Qt::Key_Down);
        QTest::keyClick(g2(), Qt::Key_Backspace);
        QCOMPARE(QApplication::focusWidget(), form()->findChild<QLineEdit*>("Text4"));
        QCOMPARE(g2()->TextMatrix(3, 1), QString("4"));
        g2()->setFocus();
        QTest::keyClicks(g2(), QStringLiteral("2"));
        QCOMPARE(g2()->TextMatrix(3, 1), QString("2"));
        QCOMPARE(form()->findChild<QLineEdit*>("Text4")->text(), QString("2"));
    }

    void phasorInAnEditorTurnsRectangular_data()
    {
        QTest::addColumn<bool>("constant");  // Text4, its text pasted as one line rather than typed
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<QStringList>("texts");  // the phasor, and the cell's text after the gesture
        QTest::newRow("Enter") << false << QString("Enter") << QStringList{"10<90", "0+10i"};
        QTest::newRow("Enter after a one-line paste") << true << QString("Enter") << QStringList{"10\u2220 180", "-10"};
        QTest::newRow("Enter, too small for plain text")
            << false << QString("Enter") << QStringList{"1.5E-150<30", "=1.299038105676658E-150+7.5E-151i"};
        QTest::newRow("Shift+Enter, radians") << false << QString("Shift+Enter") << QStringList{"2@0rad", "2"};
        QTest::newRow("editor menu") << false << QString("menu") << QStringList{"10@-90", "0-10i"};
        QTest::newRow("editor menu, negative magnitude") << true << QString("menu") << QStringList{"-5<90", "-5<90"};
    }

    // Enter replaces the phasor before it moves on; the editor's menu keeps
    // the line's own items and offers the same for a phasor only, undone by
    // the line's own undo.
    void phasorInAnEditorTurnsRectangular()
    {
        QFETCH(bool, constant);
        QFETCH(QString, gesture);
        QFETCH(QStringList, texts);
        const QString& text = texts[0];
        const QString& landed = texts[1];
        QVERIFY(h->open(2));
        Grid* g = constant ? g2() : g1();
        QLineEdit* editor = constant ? form()->findChild<QLineEdit*>("Text4") : form()->findChild<QLineEdit*>("Text1");
        Form1Harness::clickCell(g, 1, 1);
        setClipboard(text);
        if (constant)
            QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        else
            QTest::keyClicks(editor, text);
        QCOMPARE(g->TextMatrix(1, 1), text);
        if (gesture != QLatin1String("menu")) {
            QTest::keyClick(editor, Qt::Key_Return, gesture.startsWith('S') ? Qt::ShiftModifier : Qt::NoModifier);
            QCOMPARE(g->TextMatrix(1, 1), landed);
            return;
        }
        QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(5, 5), editor->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(editor, &request);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        const std::unique_ptr<QMenu> standard(editor->createStandardContextMenu());
        QVERIFY(actionNamed(menu, standard->actions().constFirst()->text()));
        QAction* convert = actionNamed(menu, QStringLiteral("Polar to rectangular"));
        QCOMPARE(convert->isEnabled(), landed != text);
        if (convert->isEnabled())
            convert->trigger();
        menu->close();
        QCOMPARE(g->TextMatrix(1, 1), landed);
        if (landed == text)
            return;
        QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(g->TextMatrix(1, 1), text);
    }

    // "Show polar form" adds the column Polar beside the defined one, copied
    // with the solution, and holds through Back and New system until chosen
    // again.
    void polarFormShowsAColumnForTheSession()
    {
        QVERIFY(h->open(2));
        form()->setCountQuestion([this] {
            h->count = QStringLiteral("1");
            return true;
        });
        Grid* g3 = form()->findChild<Grid*>("Grid3");
        typeSystem({"3", "0", "0", "1"}, {"9+12i", "-2i"});
        form()->findChild<QAction*>("solve")->trigger();
        QVERIFY(chooseFromMenu(g3, QStringLiteral("Show polar form")));
        QCOMPARE(g3->model()->headerData(1, Qt::Horizontal).toString(), QString("Polar"));
        QCOMPARE(g3->ColWidth(1), 10585);
        // Wide enough that the view draws every text whole.
        for (int k = 0; k < 2; ++k)
            QVERIFY(g3->sizeHintForIndex(g3->model()->index(k, 1)).width() < g3->columnWidth(1));
        h->screenshot(QStringLiteral("form1-polar-column"));
        g3->setFocus();
        QTest::keyClick(g3, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboardText(),
                 QString("X1\t 3.0000 + 4.0000i\t5.0000 \u2220 53.13\u00b0\n"
                         "X2\t 0.0000 - 2i\t2.0000 \u2220 -90.00\u00b0\n"));

        form()->findChild<QAction*>("newSystem")->trigger();
        typeSystem({"-1"}, {"1"});
        form()->findChild<QAction*>("solve")->trigger();
        QCOMPARE(g3->TextMatrix(1, 2), QString("1.0000 \u2220 180.00\u00b0"));
        QVERIFY(chooseFromMenu(g3, QStringLiteral("Show polar form")));
        QVERIFY(chooseFromMenu(g3, QStringLiteral("Copy solution")));
        QCOMPARE(clipboardText(), QString("X1\t -1.0000 + 0.0000i\n"));
    }
};

QTEST_MAIN(Form1ClipboardTest)
#include "form1_clipboard_test.moc"
