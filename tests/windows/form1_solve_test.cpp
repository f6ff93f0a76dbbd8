// The equation window's commands: Solve, Back, About, Exit and the close box.
#include <memory>
#include <stdexcept>

#include <QFrame>
#include <QMessageBox>
#include <QAbstractButton>
#include <QBrush>
#include <QThreadPool>
#include <QTimer>

#include "core/numberreading.h"
#include "form1testcase.h"
#include "platform/gridmodel.h"
#include "platform/qmessagebox.h"
#include "platform/statusbar.h"
#include "windows/systemparameters.h"

using namespace kalvor;

namespace {

const QString noSolution
    = QStringLiteral("This equations have no solution OR This equation have infinite number of solutions "
                     "The unknowns is dependent variables , Please...Use 'Kalvor2'");
const QString dataError = QStringLiteral("Try to write '(imaginary)i in form '0+(imaginary)i");

struct Snapshot {
    QStringList cells;
    QString text1, text4;
    bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot(Form1* form)
{
    Snapshot s;
    for (Grid* g : {form->findChild<Grid*>("Grid1"), form->findChild<Grid*>("Grid2")})
        for (int r = 0; r < g->Rows(); ++r)
            for (int c = 0; c < g->Cols(); ++c)
                s.cells << g->TextMatrix(r, c);
    s.text1 = form->findChild<QLineEdit*>("Text1")->text();
    s.text4 = form->findChild<QLineEdit*>("Text4")->text();
    return s;
}

}  // namespace

class Form1SolveTest : public Form1TestCase {
    Q_OBJECT

private:
    kalvor::TableExchange* exchange() { return form()->findChild<kalvor::TableExchange*>(QStringLiteral("exchange")); }

    bool editing()
    {
        return !form()->findChild<QFrame*>("Frame1")->isVisible() && form()->findChild<QAction*>("solve")->isEnabled()
            && !form()->findChild<QAction*>("back")->isEnabled();
    }
    bool showingSolution()
    {
        return form()->findChild<QFrame*>("Frame1")->isVisible() && !form()->findChild<QAction*>("solve")->isEnabled()
            && form()->findChild<QAction*>("back")->isEnabled();
    }

    // The two window modes a command may start from.
    static void addModeRows()
    {
        QTest::addColumn<bool>("afterSolve");
        QTest::newRow("editing") << false;
        QTest::newRow("showing the solution") << true;
    }

    // Coefficients row by row, then the constants, typed as a user would.
    void typeSystem(const QStringList& coefficients, const QStringList& constants)
    {
        const int n = int(constants.size());
        for (int r = 1; r <= n; ++r)
            for (int c = 1; c <= n; ++c)
                if (const QString& t = coefficients.at((r - 1) * n + c - 1); !t.isEmpty())
                    h->typeCoefficient(r, c, t);
        for (int r = 1; r <= n; ++r)
            if (!constants.at(r - 1).isEmpty())
                h->typeConstant(r, constants.at(r - 1));
    }

private slots:
    void solvesAndShowsThenBackRestoresEditing_data()
    {
        QTest::addColumn<QStringList>("coefficients");
        QTest::addColumn<QStringList>("constants");
        QTest::addColumn<QStringList>("results");
        QTest::newRow("N = 1, 2 X1 = 4+2i")
            << QStringList{"2"} << QStringList{"4+2i"} << QStringList{" 2.0000 + 1.0000i"};
        QTest::newRow("N = 2, diagonal") << QStringList{"1", "", "", "1"} << QStringList{"3", "2i"}
                                         << QStringList{" 3.0000 + 0.0000i", " 0.0000 + 2.0000i"};
        QTest::newRow("N = 2, negative imaginary in general form")
            << QStringList{"1", "", "", "2"} << QStringList{"-2j", "2-3j"}
            << QStringList{" 0.0000 - 2i", " 1.0000 - 1.5i"};
        QTest::newRow("N = 2, coupled") << QStringList{"1", "1", "1", "-1"} << QStringList{"3", "1"}
                                        << QStringList{" 2.0000 + 0.0000i", " 1.0000 + 0.0000i"};
    }

    void solvesAndShowsThenBackRestoresEditing()
    {
        QFETCH(QStringList, coefficients);
        QFETCH(QStringList, constants);
        QFETCH(QStringList, results);
        const int n = int(constants.size());
        QVERIFY(h->open(n));
        typeSystem(coefficients, constants);
        const Snapshot typed = snapshot(form());

        form()->findChild<QAction*>("solve")->trigger();
        QVERIFY(h->messages.messages.empty());
        QVERIFY(showingSolution());
        Grid* g3 = form()->findChild<Grid*>("Grid3");
        QCOMPARE(g3->Rows(), n + 1);
        for (int k = 1; k <= n; ++k) {
            QCOMPARE(g3->TextMatrix(k, 0), QStringLiteral("X%1").arg(k));
            QCOMPARE(g3->TextMatrix(k, 1), results.at(k - 1));
        }
        QCOMPARE(g3->TextMatrix(0, 0), QString());
        QCOMPARE(g3->TextMatrix(0, 1), QString());
        QCOMPARE(g3->Row(), n);
        QCOMPARE(g3->Col(), 1);
        QCOMPARE(QApplication::focusWidget(), g3);
        QCOMPARE(snapshot(form()), typed);

        form()->findChild<QAction*>("back")->trigger();
        QVERIFY(editing());
        QCOMPARE(snapshot(form()), typed);
    }

    void accessKeysRunTheCommands()
    {
        QVERIFY(h->open(1));
        typeSystem({"2"}, {"4+2i"});
        const Snapshot typed = snapshot(form());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
        QVERIFY(showingSolution());
        QCOMPARE(snapshot(form()), typed);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_B, Qt::AltModifier);
        QVERIFY(editing());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);
        QCOMPARE(h->aboutShown, 1);
    }

    void countersAfterEachProcedure_data()
    {
        QTest::addColumn<int>("n");
        QTest::newRow("N = 1") << 1;
        QTest::newRow("N = 3") << 3;
        QTest::newRow("N = 12") << 12;
    }

    void countersAfterEachProcedure()
    {
        QFETCH(int, n);
        QVERIFY(h->open(n));
        for (int k = 1; k <= n; ++k) {
            form()->findChild<Grid*>("Grid1")->setTextMatrix(k, k, QStringLiteral("1"));
            form()->findChild<Grid*>("Grid2")->setTextMatrix(k, 1, QStringLiteral("%1").arg(k));
        }
        form()->parted();
        QCOMPARE(form()->state().curCol, n + 1);
        QCOMPARE(form()->state().currentRowText(), QString::number(n + 1));
        // parted leaves the scratch box with the last cell read, (N, N).
        QCOMPARE(form()->findChild<QLineEdit*>("Text9")->text(), QString("1"));
        form()->partedb();
        QCOMPARE(form()->state().curCol, 1);
        QCOMPARE(form()->state().currentRowText(), QString::number(n + 1));
        QCOMPARE(form()->findChild<QLineEdit*>("Text9")->text(), QString::number(n));
        QVERIFY(showingSolution());
        // frm3grd on its own leaves curRow past the last label too.
        form()->back_Click();
        form()->frm3grd();
        QCOMPARE(form()->state().currentRowText(), QString::number(n + 1));
    }

    void storageHoldsTheSplitParts()
    {
        QVERIFY(h->open(2));
        typeSystem({"3+4i", "", "25i", ""}, {"3+4i", "25i"});
        form()->parted();
        form()->partedb();
        // Equation first, unknown second, from 0.
        QCOMPARE(form()->state().ConstRe.at(0), PartValue::fromText("3"));
        QCOMPARE(form()->state().ConstIm.at(0), PartValue::fromText("+4"));
        QCOMPARE(form()->state().ConstRe.at(1), PartValue::fromInteger(0));
        QCOMPARE(form()->state().ConstIm.at(1), PartValue::fromText("25"));
        QCOMPARE(form()->state().CoefRe.at(0).at(0), form()->state().ConstRe.at(0));
        QCOMPARE(form()->state().CoefIm.at(0).at(0), form()->state().ConstIm.at(0));
        QCOMPARE(form()->state().CoefRe.at(1).at(0), form()->state().ConstRe.at(1));
        QCOMPARE(form()->state().CoefIm.at(1).at(0), form()->state().ConstIm.at(1));
        // An untouched cell counts as zero.
        QCOMPARE(readNumber(form()->state().CoefRe.at(0).at(1)), std::optional<double>(0.0));
        QCOMPARE(readNumber(form()->state().CoefIm.at(0).at(1)), std::optional<double>(0.0));
    }

    void secondSolveRereadsEveryCell()
    {
        QVERIFY(h->open(2));
        typeSystem({"1", "", "", "1"}, {"1", "2"});
        form()->findChild<QAction*>("solve")->trigger();
        form()->findChild<QAction*>("back")->trigger();
        h->typeCoefficient(1, 1, QStringLiteral("2"));
        form()->findChild<QAction*>("solve")->trigger();
        QCOMPARE(form()->state().CoefRe.at(0).at(0), PartValue::fromText("2"));
        QCOMPARE(form()->findChild<Grid*>("Grid3")->TextMatrix(1, 1), QString(" 0.5000 + 0.0000i"));
        QCOMPARE(form()->findChild<Grid*>("Grid3")->TextMatrix(2, 1), QString(" 2.0000 + 0.0000i"));
    }

    void failureShowsMessageAndReturnsToEditing_data()
    {
        QTest::addColumn<QStringList>("coefficients");
        QTest::addColumn<QStringList>("constants");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("title");
        QTest::newRow("zero coefficient") << QStringList{"0"} << QStringList{"5+i"} << noSolution << "KALVOR1";
        QTest::newRow("untouched table") << QStringList{"", "", "", ""} << QStringList{"", ""} << noSolution
                                         << "KALVOR1";
        QTest::newRow("dependent rows") << QStringList{"1", "2", "2", "4"} << QStringList{"1", "2"} << noSolution
                                        << "KALVOR1";
        QTest::newRow("not a number") << QStringList{"1", "", "", "abc"} << QStringList{"1", "1"} << dataError
                                      << "Check your data";
    }

    void failureShowsMessageAndReturnsToEditing()
    {
        QFETCH(QStringList, coefficients);
        QFETCH(QStringList, constants);
        QFETCH(QString, message);
        QFETCH(QString, title);
        const int n = int(constants.size());
        QVERIFY(h->open(n));
        typeSystem(coefficients, constants);
        const Snapshot typed = snapshot(form());
        bool panelShownDuringMessage = false;
        QString labelDuringMessage;
        h->messages.onShow = [&] {
            panelShownDuringMessage = form()->findChild<QFrame*>("Frame1")->isVisible();
            labelDuringMessage = form()->findChild<Grid*>("Grid3")->TextMatrix(n, 0);
        };

        form()->findChild<QAction*>("solve")->trigger();
        QCOMPARE(h->messages.messages.size(), std::size_t(1));
        const MessageRecorder::Message& shown = h->messages.messages.front();
        QCOMPARE(shown.style, MessageBox::Style::Stop);
        QCOMPARE(shown.message, message);
        QCOMPARE(shown.title, title);
        QVERIFY(panelShownDuringMessage);
        QCOMPARE(labelDuringMessage, QStringLiteral("X%1").arg(n));
        QVERIFY(editing());
        QCOMPARE(snapshot(form()), typed);
        // No result was written.
        for (int k = 1; k <= n; ++k)
            QCOMPARE(form()->findChild<Grid*>("Grid3")->TextMatrix(k, 1), QString());
    }

    // After the results, status panel 4 names the first cell whose reading
    // dropped typed text; failures keep their own panel 4.
    void droppedTextIsNamedAfterTheResults_data()
    {
        QTest::addColumn<QStringList>("coefficients");
        QTest::addColumn<QStringList>("constants");
        QTest::addColumn<QString>("x1");  // empty: the Solve fails
        QTest::addColumn<QString>("panel4");
        QTest::newRow("nothing dropped") << QStringList{"3 + 4i", "", "", "1"} << QStringList{"3+4i", "2i"}
                                         << " 1.0000 + 0.0000i"
                                         << "";
        QTest::newRow("between the signs")
            << QStringList{"2+1E-3j", "", "", "1"} << QStringList{"2-3j", "1"} << " 1.0000 + 0.0000i"
            << "Text dropped in EQ.1, X1";
        QTest::newRow("column order, others counted")
            << QStringList{"1", "3+i4", "3-4-5i", "1"} << QStringList{"1", "ii3"} << " 6.0703E-02 + 5.1757E-01i"
            << "Text dropped in EQ.2, X1 and 2 more";
        QTest::newRow("constant") << QStringList{"1", "", "", "1"} << QStringList{"3", "4i5i+3"} << " 3.0000 + 0.0000i"
                                  << "Text dropped in C 2";
        QTest::newRow("data error wins") << QStringList{"2+1E-3j", "", "", "x"} << QStringList{"1", "1"} << ""
                                         << "EQ.2, X2: not a number";
        QTest::newRow("no unique solution") << QStringList{"", "3+i4", "", "3-4-5i"} << QStringList{"1", "1"} << ""
                                            << "";
    }

    void droppedTextIsNamedAfterTheResults()
    {
        QFETCH(QStringList, coefficients);
        QFETCH(QStringList, constants);
        QFETCH(QString, x1);
        QFETCH(QString, panel4);
        QVERIFY(h->open(2));
        typeSystem(coefficients, constants);
        form()->findChild<QAction*>("solve")->trigger();
        QCOMPARE(h->messages.messages.empty(), !x1.isEmpty());
        QCOMPARE(showingSolution(), !x1.isEmpty());
        if (!x1.isEmpty())
            QCOMPARE(form()->findChild<Grid*>("Grid3")->TextMatrix(1, 1), x1);
        QCOMPARE(form()->findChild<StatusBar*>("StatusBar1")->panelText(4), panel4);
        if (QTest::currentDataTag() == QByteArray("column order, others counted")) {
            // Panel 4 widens for its text once the event loop lays the bar out.
            QApplication::processEvents();
            h->screenshot(QStringLiteral("form1_dropped_text"));
        }
    }

    // Cells the plain reading refuses get a second chance at Solve: formulas
    // with the parameters, engineering numbers, a phasor left without Enter.
    // A formula that fails is named with its reason after the defined
    // message; a unit before a number is noted once the results are shown.
    void formulasAndNotesAtSolve_data()
    {
        QTest::addColumn<QStringList>("parameters");  // "name=formula"
        QTest::addColumn<QStringList>("coefficients");
        QTest::addColumn<QStringList>("constants");
        QTest::addColumn<QStringList>("results");  // empty: the Solve fails
        QTest::addColumn<QString>("panel4");
        QTest::newRow("formulas with parameters") << QStringList{"R=3"} << QStringList{"=2*R"} << QStringList{"=j*6"}
                                                  << QStringList{" 0.0000 + 1.0000i"} << "Checked: all digits right";
        QTest::newRow("formulas the plain reading would split")
            << QStringList{"R=1", "w=1", "L=1"} << QStringList{"=R + j*w*L"} << QStringList{"=2*(R + j*w*L)"}
            << QStringList{" 2.0000 + 0.0000i"} << "Checked: all digits right";
        QTest::newRow("engineering numbers") << QStringList{} << QStringList{"2.2k"} << QStringList{"4.4k"}
                                             << QStringList{" 2.0000 + 0.0000i"} << "Checked: all digits right";
        QTest::newRow("phasors left without Enter") << QStringList{} << QStringList{"5<90"} << QStringList{"10<90"}
                                                    << QStringList{" 2.0000 + 0.0000i"} << "Checked: all digits right";
        QTest::newRow("formulas beside engineering numbers")
            << QStringList{"R=1k"} << QStringList{"=R", "1k", "", "=2*R"} << QStringList{"3k", "=4*R"}
            << QStringList{" 1.0000 + 0.0000i", " 2.0000 + 0.0000i"} << "Checked: all digits right";
        QTest::newRow("unknown name") << QStringList{"L=1"} << QStringList{"=Lx"} << QStringList{"1"} << QStringList{}
                                      << "EQ.1, X1: unknown name Lx";
        QTest::newRow("constant divides by zero")
            << QStringList{} << QStringList{"1", "", "", "1"} << QStringList{"1", "=1/(2-2)"} << QStringList{}
            << "C 2: division by zero";
        QTest::newRow("a plain bad cell first") << QStringList{} << QStringList{"x", "", "", "=y"}
                                                << QStringList{"1", "1"} << QStringList{} << "EQ.1, X1: not a number";
        QTest::newRow("unit before number") << QStringList{} << QStringList{"j5"} << QStringList{"10+2i"}
                                            << QStringList{" 2.0000 + 0.0000i"} << "Unit before number in EQ.1, X1";
        QTest::newRow("unit before number, others counted")
            << QStringList{} << QStringList{"j1", "", "", "j1"} << QStringList{"2+2i", "+i1"}
            << QStringList{" 2.0000 + 0.0000i", " 1.0000 + 0.0000i"} << "Unit before number in EQ.1, X1 and 2 more";
        QTest::newRow("dropped text first")
            << QStringList{} << QStringList{"j1", "", "", "2+1E-3j"} << QStringList{"1+i", "2-3j"}
            << QStringList{" 1.0000 + 0.0000i", " 1.0000 + 0.0000i"} << "Text dropped in EQ.2, X2";
    }

    void formulasAndNotesAtSolve()
    {
        QFETCH(QStringList, parameters);
        QFETCH(QStringList, coefficients);
        QFETCH(QStringList, constants);
        QFETCH(QStringList, results);
        QFETCH(QString, panel4);
        const int n = int(constants.size());
        QVERIFY(h->open(n));
        std::vector<Parameter> table;
        for (const QString& p : parameters)
            table.push_back(
                {p.section(QLatin1Char('='), 0, 0).toStdString(), p.section(QLatin1Char('='), 1).toStdString()});
        form()->systemParameters().set(table);
        typeSystem(coefficients, constants);
        const Snapshot typed = snapshot(form());
        form()->findChild<QAction*>("solve")->trigger();
        QCOMPARE(showingSolution(), !results.isEmpty());
        if (results.isEmpty()) {
            QCOMPARE(h->messages.messages.size(), std::size_t(1));
            QCOMPARE(h->messages.messages.front().message, dataError);
        } else {
            QVERIFY(h->messages.messages.empty());
            for (int k = 1; k <= n; ++k)
                QCOMPARE(form()->findChild<Grid*>("Grid3")->TextMatrix(k, 1), results.at(k - 1));
            QTRY_VERIFY(form()->state().checksRunning == 0);
        }
        QCOMPARE(form()->findChild<StatusBar*>("StatusBar1")->panelText(4), panel4);
        // The cells keep what was typed.
        QCOMPARE(snapshot(form()).cells, typed.cells);
    }

    // A cell's tooltip says what it is read as; a plain cell read as meant
    // has none, so the table's own tooltip shows.
    void cellTooltipSaysWhatIsRead_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("tooltip");
        QTest::newRow("formula") << "=2*R"
                                 << "Value: 6.0000 + 0.0000i  (6.0000 \u2220 0.00\u00b0)";
        QTest::newRow("formula error") << "=R*Lx"
                                       << "Formula error: unknown name Lx";
        QTest::newRow("engineering number") << "1k-j5"
                                            << "Read as 1000.0000 - 5i  (1000.0 \u2220 -0.29\u00b0)";
        QTest::newRow("unit before number")
            << "-j5"
            << "\"-j5\" is read as 5.0000 - 1i; for the engineer's reading write it as a formula: =-j5";
        QTest::newRow("plain") << "3+4i"
                               << "";
        QTest::newRow("data error") << "abc"
                                    << "";
    }

    void cellTooltipSaysWhatIsRead()
    {
        QFETCH(QString, cell);
        QFETCH(QString, tooltip);
        QVERIFY(h->open(1));
        form()->systemParameters().set({{"R", "3"}});
        for (const char* name : {"Grid1", "Grid2"}) {
            Grid* table = form()->findChild<Grid*>(name);
            table->setTextMatrix(1, 1, cell);
            const QModelIndex index = table->model()->index(0, 0);
            QCOMPARE(index.data(Qt::ToolTipRole).toString(), tooltip);
            QCOMPARE(index.data(Qt::AccessibleDescriptionRole).toString(), tooltip);
        }
    }

    // Once the results are shown, the check's verdict follows in panel 4
    // (unless dropped text is named there), and each wrong unknown's cell is
    // marked with its accurate value as tooltip and accessible description.
    void checkVerdictFollowsTheResults_data()
    {
        QTest::addColumn<QList<QStringList>>("system");  // rows of N + 1 cells, as pasted
        QTest::addColumn<QString>("panel4");
        QTest::addColumn<QStringList>("notes");  // per unknown; empty: not marked
        const QString one = QStringLiteral("Accurate value: 1.0000 + 0.0000i");
        QTest::newRow("well-conditioned") << QList<QStringList>{{"1", "1", "3"}, {"1", "-1", "1"}}
                                          << "Checked: all digits right" << QStringList{"", ""};
        QTest::newRow("tiny first pivot")
            << QList<QStringList>{{"1E-20", "1", "1"}, {"1", "1", "2"}} << "Wrong digits: X1" << QStringList{one, ""};
        QTest::newRow("nearly singular") << QList<QStringList>{{"0.1", "0.3", "1"}, {"0.3", "0.9", "2"}}
                                         << "Nearly singular: digits unreliable" << QStringList{"", ""};
        // Seven such pairs side by side: X1, X3, ..., X13 wrong.
        QList<QStringList> pairs;
        QStringList pairNotes;
        for (int k = 0; k < 14; ++k) {
            QStringList row(15);
            row[k] = k % 2 == 0 ? "1E-20" : "1";
            row[k % 2 == 0 ? k + 1 : k - 1] = "1";
            row[14] = k % 2 == 0 ? "1" : "2";
            pairs << row;
            pairNotes << (k % 2 == 0 ? one : QString());
        }
        QTest::newRow("seven wrong") << pairs << "Wrong digits: X1, X3, X5, X7, X9 and 2 more" << pairNotes;
        QTest::newRow("dropped text wins") << QList<QStringList>{{"1E-20", "1", "1"}, {"1", "1", "2+1E-3j"}}
                                           << "Text dropped in C 2" << QStringList{"Accurate value: 1.0000 - 3i", ""};
    }

    void checkVerdictFollowsTheResults()
    {
        QFETCH(QList<QStringList>, system);
        QFETCH(QString, panel4);
        QFETCH(QStringList, notes);
        const int n = int(system.size());
        QVERIFY(h->open(n));
        BlockPaste::Rows rows;
        for (const QStringList& row : system) {
            rows.emplace_back();
            for (const QString& cell : row)
                rows.back().push_back(cell.toStdString());
        }
        exchange()->pasteRows(form()->findChild<Grid*>("Grid1"), rows, 1, 1);
        form()->findChild<QAction*>("solve")->trigger();
        QVERIFY(showingSolution());
        QVERIFY(form()->state().checksRunning > 0);
        QTRY_VERIFY(form()->state().checksRunning == 0);
        QCOMPARE(form()->findChild<StatusBar*>("StatusBar1")->panelText(4), panel4);
        Grid* g3 = form()->findChild<Grid*>("Grid3");
        for (int k = 1; k <= n; ++k) {
            const QString& note = notes.at(k - 1);
            const QModelIndex cell = g3->model()->index(k - 1, 0);
            QCOMPARE(g3->cellMarkAt(k, 1), note);
            QCOMPARE(cell.data(Qt::ToolTipRole).toString(), note);
            QCOMPARE(cell.data(Qt::AccessibleDescriptionRole).toString(), note);
            QCOMPARE(cell.data(Qt::BackgroundRole).value<QBrush>().color() == GridModel::warningColor, !note.isEmpty());
        }
        if (QTest::currentDataTag() == QByteArray("tiny first pivot")) {
            // The text of a marked cell is the defined result, unchanged.
            QCOMPARE(g3->TextMatrix(1, 1), QStringLiteral(" 0.0000 + 0.0000i"));
            QApplication::processEvents();
            h->screenshot(QStringLiteral("form1_wrong_digits"));
        }
        // The marks go with the result panel, and so does panel 4's word
        // on the solution.
        form()->findChild<QAction*>("back")->trigger();
        for (int k = 1; k <= n; ++k)
            QCOMPARE(g3->cellMarkAt(k, 1), QString());
        QCOMPARE(form()->findChild<StatusBar*>("StatusBar1")->panelText(4), QString());
    }

    // A check still running when its solution goes is ignored: after Back,
    // an edit and a new Solve only the new solution's verdict shows.
    void staleCheckShowsNothing()
    {
        QVERIFY(h->open(2));
        exchange()->pasteRows(form()->findChild<Grid*>("Grid1"), {{"1E-20", "1", "1"}, {"1", "1", "2"}}, 1, 1);
        form()->findChild<QAction*>("solve")->trigger();
        QVERIFY(form()->state().checksRunning > 0);
        form()->findChild<QAction*>("back")->trigger();
        h->typeCoefficient(1, 1, QStringLiteral("1"));
        h->typeCoefficient(2, 2, QStringLiteral("-1"));
        QTRY_VERIFY(form()->state().checksRunning == 0);
        QCOMPARE(form()->findChild<StatusBar*>("StatusBar1")->panelText(4), QString());
        QCOMPARE(form()->findChild<Grid*>("Grid3")->cellMarkAt(1, 1), QString());

        h->typeCoefficient(1, 1, QStringLiteral("1E-20"));
        h->typeCoefficient(2, 2, QStringLiteral("1"));
        form()->findChild<QAction*>("solve")->trigger();
        form()->findChild<QAction*>("back")->trigger();
        h->typeCoefficient(1, 1, QStringLiteral("2"));
        form()->findChild<QAction*>("solve")->trigger();
        QTRY_VERIFY(form()->state().checksRunning == 0);
        QCOMPARE(form()->findChild<StatusBar*>("StatusBar1")->panelText(4),
                 QStringLiteral("Checked: all digits right"));
        QCOMPARE(form()->findChild<Grid*>("Grid3")->cellMarkAt(1, 1), QString());
        QCOMPARE(form()->findChild<Grid*>("Grid3")->cellMarkAt(2, 1), QString());

        // A window closed while its check runs is simply gone.
        form()->findChild<QAction*>("back")->trigger();
        form()->findChild<QAction*>("solve")->trigger();
        QVERIFY(form()->state().checksRunning > 0);
        h->form.reset();
        QThreadPool::globalInstance()->waitForDone();
        QApplication::processEvents();
        h->makeForm();
    }

    void correctedDataSolvesNormally()
    {
        QVERIFY(h->open(2));
        typeSystem({"1", "", "", "abc"}, {"1", "1"});
        form()->findChild<QAction*>("solve")->trigger();
        QCOMPARE(h->messages.messages.size(), std::size_t(1));
        h->typeCoefficient(2, 2, QStringLiteral("1"));
        form()->findChild<QAction*>("solve")->trigger();
        QCOMPARE(h->messages.messages.size(), std::size_t(1));
        QVERIFY(showingSolution());
        QCOMPARE(form()->findChild<Grid*>("Grid3")->TextMatrix(2, 1), QString(" 1.0000 + 0.0000i"));
    }

    void failedRunAfterSuccessKeepsEarlierResultsUnderFreshLabels()
    {
        QVERIFY(h->open(2));
        typeSystem({"1", "", "", "1"}, {"3", "2i"});
        form()->findChild<QAction*>("solve")->trigger();
        QVERIFY(showingSolution());
        const QString first = form()->findChild<Grid*>("Grid3")->TextMatrix(1, 1);
        const QString second = form()->findChild<Grid*>("Grid3")->TextMatrix(2, 1);
        form()->findChild<QAction*>("back")->trigger();
        // Spoil the labels, so that rewriting them shows.
        form()->findChild<Grid*>("Grid3")->setTextMatrix(1, 0, QString());
        form()->findChild<Grid*>("Grid3")->setTextMatrix(2, 0, QString());
        h->typeCoefficient(2, 2, QStringLiteral("0"));
        const Snapshot typed = snapshot(form());
        form()->findChild<QAction*>("solve")->trigger();
        QCOMPARE(h->messages.messages.size(), std::size_t(1));
        QCOMPARE(h->messages.messages.front().title, QString("KALVOR1"));
        QVERIFY(editing());
        QCOMPARE(form()->findChild<Grid*>("Grid3")->TextMatrix(1, 0), QString("X1"));
        QCOMPARE(form()->findChild<Grid*>("Grid3")->TextMatrix(2, 0), QString("X2"));
        QCOMPARE(form()->findChild<Grid*>("Grid3")->TextMatrix(1, 1), first);
        QCOMPARE(form()->findChild<Grid*>("Grid3")->TextMatrix(2, 1), second);
        QCOMPARE(snapshot(form()), typed);
    }

    void aboutChangesNothing_data() { addModeRows(); }

    void aboutChangesNothing()
    {
        QFETCH(bool, afterSolve);
        QVERIFY(h->open(1));
        typeSystem({"2"}, {"4+2i"});
        if (afterSolve)
            form()->findChild<QAction*>("solve")->trigger();
        const Snapshot typed = snapshot(form());
        const bool showing = showingSolution();
        form()->findChild<QAction*>("about")->trigger();
        QCOMPARE(h->aboutShown, 1);
        QCOMPARE(showingSolution(), showing);
        QCOMPARE(snapshot(form()), typed);
    }

    void exitEndsTheProgram_data() { addModeRows(); }

    void exitEndsTheProgram()
    {
        QFETCH(bool, afterSolve);
        QVERIFY(h->open(1));
        typeSystem({"2"}, {"4"});
        if (afterSolve)
            form()->findChild<QAction*>("solve")->trigger();
        form()->findChild<QAction*>("exit")->trigger();
        QCOMPARE(h->programEnds, 1);
        QVERIFY(h->messages.messages.empty());
        QVERIFY(!form()->isVisible());
    }

    void closeBoxEndsTheProgramOnce()
    {
        QVERIFY(h->open(1));
        QVERIFY(form()->close());
        QCOMPARE(h->programEnds, 1);
        QVERIFY(!form()->isVisible());
    }

    void showModalRunsUntilClosed_data()
    {
        QTest::addColumn<bool>("byExit");
        QTest::newRow("close box") << false;
        QTest::newRow("Exit") << true;
    }

    void showModalRunsUntilClosed()
    {
        QFETCH(bool, byExit);
        h->count = QStringLiteral("3");
        bool modalWhileOpen = false;
        int rowsWhileOpen = 0;
        QTimer::singleShot(100, this, [&] {
            modalWhileOpen = form()->isVisible() && form()->isModal();
            rowsWhileOpen = form()->findChild<Grid*>("Grid1")->Rows();
            if (byExit)
                form()->findChild<QAction*>("exit")->trigger();
            else
                form()->close();
        });
        form()->showModal();
        QVERIFY(modalWhileOpen);
        QCOMPARE(rowsWhileOpen, 4);
        QCOMPARE(h->programEnds, 1);
        QVERIFY(!form()->isVisible());
    }

    void showModalRefusesBadCountBeforeShowing()
    {
        h->count = QStringLiteral("501");
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, form()->showModal());
        QVERIFY(!form()->isVisible());
        QCOMPARE(form()->findChild<Grid*>("Grid1")->Rows(), 2);
        QCOMPARE(h->programEnds, 0);
    }

    void realMessageBoxIsShownAndDismissed()
    {
        QtMessageBox real;
        Form1 window([] { return QStringLiteral("1"); }, real);
        window.setProgramEnd([] {});
        window.Form_Load();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.findChild<Grid*>("Grid1")->setTextMatrix(1, 1, QStringLiteral("0"));
        h->watchdog.allow(true);
        QString seenText, seenTitle;
        int seenIcon = -1;
        bool panelShown = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !seenTitle.isEmpty())
                return;
            seenText = box->text();
            seenTitle = box->windowTitle();
            seenIcon = int(box->icon());
            panelShown = window.findChild<QFrame*>("Frame1")->isVisible();
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        });
        poll.start(20);
        window.findChild<QAction*>("solve")->trigger();
        h->watchdog.allow(false);
        QCOMPARE(seenText, noSolution);
        QCOMPARE(seenTitle, QString("KALVOR1"));
        QCOMPARE(seenIcon, int(QMessageBox::Critical));
        QVERIFY(panelShown);
        QVERIFY(!window.findChild<QFrame*>("Frame1")->isVisible());
        QVERIFY(window.findChild<QAction*>("solve")->isEnabled());
        QVERIFY(!window.findChild<QAction*>("back")->isEnabled());
        QCOMPARE(window.findChild<Grid*>("Grid1")->TextMatrix(1, 1), QString("0"));
    }

    void screenshotSolution()
    {
        QVERIFY(h->open(3));
        typeSystem({"2", "1", "", "", "1+i", "", "", "", "-1"}, {"4+2i", "3", "0.5"});
        form()->findChild<QAction*>("solve")->trigger();
        QVERIFY(showingSolution());
        h->screenshot(QStringLiteral("form1_solution"));
        QCOMPARE(form()->findChild<Grid*>("Grid3")->TextMatrix(1, 1), QString(" 1.2500 + 1.7500i"));
        QCOMPARE(form()->findChild<Grid*>("Grid3")->TextMatrix(2, 1), QString(" 1.5000 - 1.5i"));
        QCOMPARE(form()->findChild<Grid*>("Grid3")->TextMatrix(3, 1), QString(" -0.5000 + 0.0000i"));
    }
};

QTEST_MAIN(Form1SolveTest)
#include "form1_solve_test.moc"
