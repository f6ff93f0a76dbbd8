// The equation window's set-up, layout and cell editing.
#include <memory>
#include <stdexcept>

#include <QAccessible>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>

#include "form1testcase.h"
#include "platform/statusbar.h"
#include "platform/twips.h"
#include "windows/sweepdialog.h"
#include "windows/sweepplot.h"
#include "windows/systemparameters.h"
#include "windows/unknowncount.h"

using namespace kalvor;

namespace {
constexpr quint32 lightYellow = 0x00C0FFFF;
constexpr quint32 silver = 0x00C0C0C0;
constexpr quint32 windowColour = 0x80000005;
}  // namespace

class Form1Test : public Form1TestCase {
    Q_OBJECT

private:
    // The coefficients side (Grid1, Text1) and the constants side (Grid2, Text4).
    static void addSideRows()
    {
        QTest::addColumn<bool>("constants");
        QTest::newRow("coefficients") << false;
        QTest::newRow("constants") << true;
    }

private slots:
    void countTextConversion_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");  // 0: refused
        QTest::newRow("plain") << "3" << 3;
        QTest::newRow("blanks around") << "  4 " << 4;
        QTest::newRow("half to even, down") << "2.5" << 2;
        QTest::newRow("half to even, up") << "3.5" << 4;
        QTest::newRow("fraction below a half") << "7.49" << 7;
        QTest::newRow("largest") << "500" << 500;
        QTest::newRow("rounds to 500") << "500.5" << 500;
        QTest::newRow("one too many") << "501" << 0;
        QTest::newRow("rounds to zero") << "0.4" << 0;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("negative") << "-3" << 0;
        QTest::newRow("letters after the number") << "3abc" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("beyond 16 bits") << "40000" << 0;
        QTest::newRow("the 16-bit maximum") << "32767" << 0;
    }

    void countTextConversion()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        const std::optional<int> n = unknownCountFromText(text);
        if (expected == 0)
            QVERIFY2(!n, qPrintable(QString::number(n.value_or(-1))));
        else
            QCOMPARE(n.value_or(-1), expected);
    }

    void refusedCountChangesNoTable_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("too many") << "501";
        QTest::newRow("not a number") << "abc";
        QTest::newRow("rounds to zero") << "0.4";
    }

    void refusedCountChangesNoTable()
    {
        QFETCH(QString, text);
        h->count = text;
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, form()->Form_Load());
        for (Grid* grid : {form()->findChild<Grid*>("Grid1"), form()->findChild<Grid*>("Grid2"),
                           form()->findChild<Grid*>("Grid3")}) {
            QCOMPARE(grid->Rows(), 2);
            QCOMPARE(grid->Cols(), 2);
        }
        QVERIFY(form()->findChild<Grid*>("Grid3")->ColWidth(1) != 10585);
        QVERIFY(!form()->findChild<QTimer*>("Timer1")->isActive());
    }

    void headersForN_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("lastColumnHeader");
        QTest::addColumn<QString>("lastRowHeader");
        QTest::newRow("N = 1") << 1 << "X1"
                               << "EQ. NO.1";
        QTest::newRow("N = 3") << 3 << "X3"
                               << "EQ. NO.3";
        QTest::newRow("N = 12") << 12 << "X12"
                                << "EQ. NO.12";
    }

    void headersForN()
    {
        QFETCH(int, n);
        QFETCH(QString, lastColumnHeader);
        QFETCH(QString, lastRowHeader);
        QVERIFY(h->open(n));
        Grid* g1 = form()->findChild<Grid*>("Grid1");
        Grid* g2 = form()->findChild<Grid*>("Grid2");
        QCOMPARE(form()->state().N, n);
        QCOMPARE(g1->Rows(), n + 1);
        QCOMPARE(g1->Cols(), n + 1);
        QCOMPARE(g2->Rows(), n + 1);
        QCOMPARE(g2->Cols(), 2);
        QCOMPARE(g1->TextMatrix(0, n), lastColumnHeader);
        QCOMPARE(g1->TextMatrix(n, 0), lastRowHeader);
        QCOMPARE(g2->TextMatrix(n, 0), lastRowHeader);
        QCOMPARE(g1->TextMatrix(0, 1), QString("X1"));
        QCOMPARE(g1->TextMatrix(1, 0), QString("EQ. NO.1"));
        // Corners, Grid2's header row and every data cell stay empty.
        QCOMPARE(g1->TextMatrix(0, 0), QString());
        QCOMPARE(g2->TextMatrix(0, 0), QString());
        QCOMPARE(g2->TextMatrix(0, 1), QString());
        for (int r = 1; r <= n; ++r) {
            QCOMPARE(g2->TextMatrix(r, 0), g1->TextMatrix(r, 0));
            QCOMPARE(g2->TextMatrix(r, 1), QString());
            for (int c = 1; c <= n; ++c)
                QCOMPARE(g1->TextMatrix(r, c), QString());
        }
        // Headers are what the views show in their header strips.
        QCOMPARE(g1->model()->headerData(n - 1, Qt::Horizontal).toString(), lastColumnHeader);
        QCOMPARE(g2->model()->headerData(n - 1, Qt::Vertical).toString(), lastRowHeader);
    }

    void startsInEditingWithDesignValues()
    {
        form()->findChild<QLineEdit*>("Text1")->setText(QStringLiteral("left over"));
        QVERIFY(h->open(3));
        QCOMPARE(form()->windowTitle(), QString("KALVOR"));
        QCOMPARE(form()->findChild<QLabel*>("Label1")->text(), QString("For best view made dimention to 600x800"));
        QCOMPARE(form()->findChild<QLabel*>("Label2")->text(), QString("Constants Matrix "));
        QCOMPARE(form()->findChild<Grid*>("Grid1")->toolTip(),
                 QString("Use small \"i\" & \"j\"  into complex numbers"));
        QVERIFY(!form()->findChild<QFrame*>("Frame1")->isVisible());
        QVERIFY(form()->findChild<QAction*>("solve")->isEnabled());
        QVERIFY(!form()->findChild<QAction*>("back")->isEnabled());
        QVERIFY(form()->findChild<QAction*>("exit")->isEnabled());
        // Form_Load empties the editor with curRow, which holds no value yet.
        QCOMPARE(form()->findChild<QLineEdit*>("Text1")->text(), QString());
        QCOMPARE(form()->state().currentRowText(), QString());
        QCOMPARE(form()->state().curCol, 1);
        QCOMPARE(QApplication::focusWidget(), form()->findChild<QLineEdit*>("Text1"));
        QCOMPARE(form()->findChild<QLineEdit*>("Txt7")->text(), QString("Text7"));
        QCOMPARE(form()->findChild<QLineEdit*>("Txt8")->text(), QString("Text8"));
        QCOMPARE(form()->findChild<QLineEdit*>("Text7")->text(), QString("Text7"));
        QCOMPARE(form()->findChild<QLineEdit*>("Text8")->text(), QString("Text8"));
        for (QLineEdit* hidden : {form()->findChild<QLineEdit*>("Txt7"), form()->findChild<QLineEdit*>("Txt8"),
                                  form()->findChild<QLineEdit*>("Text7"), form()->findChild<QLineEdit*>("Text8"),
                                  form()->findChild<QLineEdit*>("Text9")})
            QVERIFY(!hidden->isVisible());
        QCOMPARE(form()->findChild<Grid*>("Grid3")->ColWidth(1), 10585);
        QCOMPARE(form()->findChild<QTimer*>("Timer1")->interval(), 9000);
        QVERIFY(form()->findChild<QTimer*>("Timer1")->isActive());
        for (int panel = 1; panel <= 4; ++panel)
            QCOMPARE(form()->findChild<StatusBar*>("StatusBar1")->panelText(panel), QString());
        QVERIFY(!form()->findChild<StatusBar*>("StatusBar1")->panelText(5).isEmpty());
        QVERIFY(!form()->findChild<StatusBar*>("StatusBar1")->panelText(6).isEmpty());
    }

    void menuBarCaptionsInOrder()
    {
        QVERIFY(h->open(1));
        const QList<QAction*> top = form()->menuBar()->actions();
        QCOMPARE(top.size(), 5);
        QCOMPARE(top.at(0)->text(), QString("&File"));
        QCOMPARE(top.at(0)->menu(), form()->findChild<QMenu*>("file"));
        QCOMPARE(top.at(1), form()->findChild<QAction*>("solve"));
        QCOMPARE(top.at(1)->text(), QString("&Solve"));
        QCOMPARE(top.at(2), form()->findChild<QAction*>("back"));
        QCOMPARE(top.at(2)->text(), QString("&Back"));
        QCOMPARE(top.at(3)->text(), QString("&Tools"));
        QCOMPARE(top.at(3)->menu(), form()->findChild<QMenu*>("tools"));
        QCOMPARE(top.at(4), form()->findChild<QAction*>("about"));
        QCOMPARE(top.at(4)->text(), QString("&About"));
        QStringList items;
        for (QAction* action : form()->findChild<QMenu*>("file")->actions())
            items << (action->isSeparator() ? QStringLiteral("-")
                                            : action->text() + QLatin1Char(' ') + action->shortcut().toString());
        QCOMPARE(items,
                 QStringList({"&New system\u2026 Ctrl+N", "&Open system\u2026 Ctrl+O", "Open &recent ",
                              "&Save system Ctrl+S", "Save system &as\u2026 Ctrl+Shift+S", "Save so&lution as\u2026 ",
                              "Re&cover ", "-", "E&xit "}));
        QCOMPARE(form()->findChild<QMenu*>("file")->actions().last(), form()->findChild<QAction*>("exit"));
        QStringList tools;
        for (QAction* action : form()->findChild<QMenu*>("tools")->actions())
            tools << action->text() + QLatin1Char(' ') + action->shortcut().toString();
        QCOMPARE(tools.first(), QStringLiteral("&Parameters\u2026 Ctrl+Shift+P"));
        QCOMPARE(tools.last(), QStringLiteral("&Number forms F1"));
        // A picture of the window with the File menu open, for a look.
        const QString folder = qEnvironmentVariable("KALVOR_ARTIFACTS");
        QMenu* menu = form()->findChild<QMenu*>("file");
        menu->popup(form()->menuBar()->mapToGlobal(form()->menuBar()->actionGeometry(top.at(0)).bottomLeft()));
        QPixmap picture = form()->grab();
        QPainter painter(&picture);
        painter.drawPixmap(form()->mapFromGlobal(menu->pos()), menu->grab());
        painter.end();
        if (!folder.isEmpty() && QDir().mkpath(folder))
            picture.save(folder + QStringLiteral("/form1-file-menu.png"));
        menu->close();
    }

    // Ctrl+Shift+P and F1 open the Tools windows beside the equation
    // window, not modal; the Parameters window is read-only while the
    // solution is shown.
    void toolsKeysOpenTheirWindows()
    {
        QVERIFY(h->open(1));
        QTest::keyClick(form(), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        auto* parameters = form()->findChild<QDialog*>("parametersWindow");
        QVERIFY(parameters && parameters->isVisible() && !parameters->isModal());
        auto* rows = parameters->findChild<QTableWidget*>("parameters");
        QCOMPARE(rows->rowCount(), 1);
        form()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form()));
        QTest::keyClick(form(), Qt::Key_F1);
        auto* forms = form()->findChild<QDialog*>("numberForms");
        QVERIFY(forms && forms->isVisible() && !forms->isModal());
        h->typeCoefficient(1, 1, QStringLiteral("1"));
        form()->solve_Click();
        QCOMPARE(rows->rowCount(), 0);
        form()->back_Click();
        QCOMPARE(rows->rowCount(), 1);
    }

    // Ctrl+Shift+W (Tools, after Parameters) opens the sweep dialog on the
    // system as it stands; a finished sweep's plot belongs to the window.
    void sweepKeyOpensTheDialogOnTheSystem()
    {
        QVERIFY(h->open(1));
        QCOMPARE(form()->findChild<QMenu*>("tools")->actions().value(1), form()->findChild<QAction*>("sweep"));
        QCOMPARE(form()->findChild<QAction*>("sweep")->text(), QStringLiteral("S&weep\u2026"));
        form()->systemParameters().set({{"f", "4"}});
        h->typeCoefficient(1, 1, QStringLiteral("=f"));
        h->typeConstant(1, QStringLiteral("1"));
        QString seen;
        QTimer::singleShot(0, form(), [&] {
            auto* dialog = qobject_cast<SweepDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            h->watchdog.expect(dialog);
            seen = dialog->findChild<QComboBox*>("parameter")->currentText();
            dialog->findChild<QLineEdit*>("from")->setText(QStringLiteral("1"));
            dialog->findChild<QLineEdit*>("to")->setText(QStringLiteral("4"));
            dialog->findChild<QSpinBox*>("points")->setValue(4);
            dialog->findChild<QRadioButton*>("linear")->setChecked(true);
            dialog->run_Click();
        });
        QTest::keyClick(form(), Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(seen, QStringLiteral("f"));
        auto* plot = form()->findChild<SweepPlot*>();
        QVERIFY(plot);
        QCOMPARE(plot->tableText(), QStringLiteral("f\tX1 re\tX1 im\tcheck\n1\t1\t0\tcorrect\n2\t0.5\t0\tcorrect\n"
                                                   "3\t0.3333333333333333\t0\tcorrect\n4\t0.25\t0\tcorrect\n"));
        plot->close();
    }

    void controlsAtTheirDesignPlaces_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("pixels");
        // Twips / 15, rounded.
        QTest::newRow("Label1") << "Label1" << QRect(0, 16, 617, 25);
        QTest::newRow("Text1") << "Text1" << QRect(0, 40, 617, 19);
        QTest::newRow("Grid1") << "Grid1" << QRect(0, 64, 617, 448);
        QTest::newRow("Label2") << "Label2" << QRect(624, 16, 161, 25);
        QTest::newRow("Text4") << "Text4" << QRect(624, 40, 161, 19);
        QTest::newRow("Grid2") << "Grid2" << QRect(624, 64, 161, 449);
        QTest::newRow("Frame1") << "Frame1" << QRect(0, 0, 801, 537);
        QTest::newRow("Grid3") << "Grid3" << QRect(8, 16, 785, 513);
    }

    void controlsAtTheirDesignPlaces()
    {
        QFETCH(QString, name);
        QFETCH(QRect, pixels);
        QVERIFY(h->open(2));
        auto* control = form()->findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(control->geometry(), pixels);
    }

    void lookAndAccessibleNames()
    {
        QVERIFY(h->open(2));
        // The editors and titles use a monospace face: every letter as wide.
        for (QWidget* w : {static_cast<QWidget*>(form()->findChild<QLineEdit*>("Text1")),
                           static_cast<QWidget*>(form()->findChild<QLabel*>("Label1"))}) {
            const QFontMetrics metrics(w->font());
            QCOMPARE(metrics.horizontalAdvance(QLatin1Char('i')), metrics.horizontalAdvance(QLatin1Char('W')));
        }
        const QFontMetrics sans(form()->findChild<Grid*>("Grid1")->font());
        QVERIFY(sans.horizontalAdvance(QLatin1Char('i')) < sans.horizontalAdvance(QLatin1Char('W')));
        QCOMPARE(form()->findChild<QLineEdit*>("Text1")->font().pointSize(), 9);
        QCOMPARE(form()->findChild<Grid*>("Grid1")->font().pointSizeF(), 8.25);
        QCOMPARE(form()->findChild<QLabel*>("Label1")->palette().color(QPalette::Window), QColor(0x40, 0x40, 0x40));
        QCOMPARE(form()->findChild<QLabel*>("Label1")->palette().color(QPalette::WindowText), QColor(Qt::white));
        QCOMPARE(form()->centralWidget()->palette().color(QPalette::Window), QColor(Qt::black));
        QCOMPARE(form()->findChild<Grid*>("Grid1")->accessibleName(), QString("Coefficients Matrix"));
        QCOMPARE(form()->findChild<Grid*>("Grid2")->accessibleName(), QString("Constants Matrix"));
        QCOMPARE(form()->findChild<Grid*>("Grid3")->accessibleName(), QString("Solution"));
        QVERIFY(!form()->findChild<QLineEdit*>("Text1")->accessibleName().isEmpty());
        QVERIFY(!form()->findChild<QLineEdit*>("Text4")->accessibleName().isEmpty());
    }

    void screenReaderReadsCellsAndHeaders()
    {
        QVERIFY(h->open(2));
        form()->findChild<Grid*>("Grid1")->setTextMatrix(2, 1, QStringLiteral("5-3i"));
        QAccessibleInterface* table = QAccessible::queryAccessibleInterface(form()->findChild<Grid*>("Grid1"));
        QVERIFY(table && table->tableInterface());
        QCOMPARE(table->text(QAccessible::Name), QString("Coefficients Matrix"));
        QCOMPARE(table->tableInterface()->rowCount(), 2);
        QCOMPARE(table->tableInterface()->columnCount(), 2);
        QAccessibleInterface* cell = table->tableInterface()->cellAt(1, 0);
        QVERIFY(cell);
        QCOMPARE(cell->text(QAccessible::Name), QString("5-3i"));
        const QList<QAccessibleInterface*> rowHeaders = cell->tableCellInterface()->rowHeaderCells();
        QCOMPARE(rowHeaders.size(), 1);
        QCOMPARE(rowHeaders.at(0)->text(QAccessible::Name), QString("EQ. NO.2"));
        // Qt 6.4 hands out header cells without registering them, so nobody
        // would ever delete this one; registering gives the cache an id to
        // delete it by.
        for (QAccessibleInterface* header : rowHeaders)
            if (QAccessible::uniqueId(header) == 0)
                QAccessible::deleteAccessibleInterface(QAccessible::registerAccessibleInterface(header));
    }

    void titleTimerWritesCoefficientsTitle()
    {
        QVERIFY(h->open(1));
        QCOMPARE(form()->findChild<QLabel*>("Label1")->text(), QString("For best view made dimention to 600x800"));
        QVERIFY(QMetaObject::invokeMethod(form()->findChild<QTimer*>("Timer1"), "timeout"));
        QTRY_COMPARE_WITH_TIMEOUT(form()->findChild<QLabel*>("Label1")->text(), QString("Coefficients Matrix"), 3000);
        // Later ticks keep it so.
        form()->Timer1_Timer();
        QCOMPARE(form()->findChild<QLabel*>("Label1")->text(), QString("Coefficients Matrix"));
        QVERIFY(form()->findChild<QTimer*>("Timer1")->isActive());
    }

    void typingBeforeAnyClickGoesToFirstCell()
    {
        QVERIFY(h->open(3));
        const int before = form()->findChild<Grid*>("Grid1")->ColWidth(1);
        QTest::keyClicks(form()->findChild<QLineEdit*>("Text1"), QStringLiteral("1+2i"));
        QCOMPARE(form()->findChild<Grid*>("Grid1")->TextMatrix(1, 1), QString("1+2i"));
        // Lengths 1, 2, 3, 4: 7 + 14 + 21 + 28 twips.
        QCOMPARE(form()->findChild<Grid*>("Grid1")->ColWidth(1) - before, 70);
        QTest::keyClicks(form()->findChild<QLineEdit*>("Text4"), QStringLiteral("5j"));
        QCOMPARE(form()->findChild<Grid*>("Grid2")->TextMatrix(1, 1), QString("5j"));
        // The constants column never widens.
        QCOMPARE(form()->findChild<Grid*>("Grid2")->ColWidth(1), Grid::defaultColWidthTwips);
    }

    void deletingWidensToo()
    {
        QVERIFY(h->open(2));
        QTest::keyClicks(form()->findChild<QLineEdit*>("Text1"), QStringLiteral("123"));
        const int before = form()->findChild<Grid*>("Grid1")->ColWidth(1);
        QTest::keyClick(form()->findChild<QLineEdit*>("Text1"), Qt::Key_Backspace);
        QCOMPARE(form()->findChild<Grid*>("Grid1")->TextMatrix(1, 1), QString("12"));
        QCOMPARE(form()->findChild<Grid*>("Grid1")->ColWidth(1) - before, 14);
    }

    void clickSelectsHighlightsAndReports()
    {
        QVERIFY(h->open(3));
        Grid* g = form()->findChild<Grid*>("Grid1");
        g->setTextMatrix(2, 3, QStringLiteral("5-3i"));
        form()->findChild<QLineEdit*>("Text1")->setText(QStringLiteral("other"));
        const int widthBefore = g->ColWidth(3);
        Form1Harness::clickCell(g, 2, 3);
        QCOMPARE(form()->findChild<QLineEdit*>("Text1")->text(), QString("5-3i"));
        QCOMPARE(QApplication::focusWidget(), form()->findChild<QLineEdit*>("Text1"));
        QCOMPARE(g->cellBackColorAt(2, 3), windowColour);
        QCOMPARE(g->cellBackColorAt(0, 0), silver);
        QCOMPARE(form()->findChild<StatusBar*>("StatusBar1")->panelText(1), QString("X3"));
        QCOMPARE(form()->findChild<StatusBar*>("StatusBar1")->panelText(2), QString("EQ.2"));
        QCOMPARE(form()->findChild<QLineEdit*>("Txt7")->text(), QString("2"));
        QCOMPARE(form()->findChild<QLineEdit*>("Txt8")->text(), QString("3"));
        QCOMPARE(form()->state().curCol, 3);
        QCOMPARE(g->ColWidth(3) - widthBefore, 28);
        // The cell text itself is untouched by the selection.
        QCOMPARE(g->TextMatrix(2, 3), QString("5-3i"));

        Form1Harness::clickCell(g, 1, 1);
        QCOMPARE(g->cellBackColorAt(2, 3), lightYellow);
        QCOMPARE(g->cellBackColorAt(1, 1), windowColour);
        QCOMPARE(g->cellBackColorAt(0, 0), silver);
        QCOMPARE(form()->findChild<StatusBar*>("StatusBar1")->panelText(1), QString("X1"));
        QCOMPARE(form()->findChild<StatusBar*>("StatusBar1")->panelText(2), QString("EQ.1"));
        // Exactly one cell is highlighted.
        int white = 0;
        for (int r = 0; r <= 3; ++r)
            for (int c = 0; c <= 3; ++c)
                white += g->cellBackColorAt(r, c) == windowColour;
        QCOMPARE(white, 1);
    }

    // A click selects the editor's whole text, so typed characters replace
    // it as in a spreadsheet; a click in the editor then places the cursor.
    void typingAfterAClickReplaces_data() { addSideRows(); }

    void typingAfterAClickReplaces()
    {
        QFETCH(bool, constants);
        QVERIFY(h->open(2));
        Grid* g = constants ? form()->findChild<Grid*>("Grid2") : form()->findChild<Grid*>("Grid1");
        QLineEdit* editor = constants ? form()->findChild<QLineEdit*>("Text4") : form()->findChild<QLineEdit*>("Text1");
        g->setTextMatrix(2, 1, QStringLiteral("0"));
        Form1Harness::clickCell(g, 2, 1);
        QTest::keyClick(editor, Qt::Key_7);
        QCOMPARE(g->TextMatrix(2, 1), QString("7"));
        g->setTextMatrix(1, 1, QStringLiteral("12"));
        Form1Harness::clickCell(g, 1, 1);
        QTest::mouseClick(editor, Qt::LeftButton, {}, QPoint(editor->width() - 4, editor->height() / 2));
        QTest::keyClick(editor, Qt::Key_3);
        QCOMPARE(g->TextMatrix(1, 1), QString("123"));
    }

    // While the editor takes the clicked cell's text, curCol already holds
    // the clicked column on the coefficients side; on the constants side it
    // is set only after that.
    void clickSetsCurColAroundTheEditorText()
    {
        QVERIFY(h->open(3));
        form()->findChild<Grid*>("Grid1")->setTextMatrix(1, 3, QStringLiteral("a"));
        form()->findChild<Grid*>("Grid2")->setTextMatrix(2, 1, QStringLiteral("b"));
        QList<int> seen;
        QObject listening;  // the connections end with the test
        for (const char* name : {"Text1", "Text4"})
            connect(form()->findChild<QLineEdit*>(name), &QLineEdit::textChanged, &listening,
                    [&seen, this] { seen << form()->state().curCol; });
        Form1Harness::clickCell(form()->findChild<Grid*>("Grid1"), 1, 3);
        Form1Harness::clickCell(form()->findChild<Grid*>("Grid2"), 2, 1);
        QCOMPARE(seen, (QList<int>{3, 3}));
        QCOMPARE(form()->state().curCol, 1);
    }

    void constantClickReportsOnlyPanelThree()
    {
        QVERIFY(h->open(4));
        Form1Harness::clickCell(form()->findChild<Grid*>("Grid1"), 2, 4);
        Grid* g = form()->findChild<Grid*>("Grid2");
        g->setTextMatrix(3, 1, QStringLiteral("7"));
        Form1Harness::clickCell(g, 3, 1);
        QCOMPARE(form()->findChild<StatusBar*>("StatusBar1")->panelText(3), QString("C3"));
        QCOMPARE(form()->findChild<StatusBar*>("StatusBar1")->panelText(1), QString("X4"));
        QCOMPARE(form()->findChild<StatusBar*>("StatusBar1")->panelText(2), QString("EQ.2"));
        QCOMPARE(form()->findChild<QLineEdit*>("Text4")->text(), QString("7"));
        QCOMPARE(QApplication::focusWidget(), form()->findChild<QLineEdit*>("Text4"));
        QCOMPARE(g->cellBackColorAt(3, 1), windowColour);
        QCOMPARE(form()->findChild<QLineEdit*>("Text7")->text(), QString("3"));
        QCOMPARE(form()->findChild<QLineEdit*>("Text8")->text(), QString("1"));
        // The coefficient side's memory of its own selection is untouched.
        QCOMPARE(form()->findChild<QLineEdit*>("Txt7")->text(), QString("2"));
        QCOMPARE(form()->findChild<Grid*>("Grid1")->cellBackColorAt(2, 4), windowColour);
    }

    void constantClickMakesCoefficientEditorWidenColumnOne()
    {
        QVERIFY(h->open(3));
        Form1Harness::clickCell(form()->findChild<Grid*>("Grid1"), 2, 3);
        Form1Harness::clickCell(form()->findChild<Grid*>("Grid2"), 2, 1);
        QCOMPARE(form()->state().curCol, 1);
        const int first = form()->findChild<Grid*>("Grid1")->ColWidth(1);
        const int third = form()->findChild<Grid*>("Grid1")->ColWidth(3);
        QTest::keyClicks(form()->findChild<QLineEdit*>("Text1"), QStringLiteral("9"));
        // The text went into Grid1's current cell, the width to column 1.
        QCOMPARE(form()->findChild<Grid*>("Grid1")->TextMatrix(2, 3), QString("9"));
        QCOMPARE(form()->findChild<Grid*>("Grid1")->ColWidth(1) - first, 7);
        QCOMPARE(form()->findChild<Grid*>("Grid1")->ColWidth(3), third);
    }

    void characterKeyInGridOpensEditorAndTypesIt_data() { addSideRows(); }

    void characterKeyInGridOpensEditorAndTypesIt()
    {
        QFETCH(bool, constants);
        QVERIFY(h->open(2));
        Grid* g = constants ? form()->findChild<Grid*>("Grid2") : form()->findChild<Grid*>("Grid1");
        QLineEdit* editor = constants ? form()->findChild<QLineEdit*>("Text4") : form()->findChild<QLineEdit*>("Text1");
        g->setTextMatrix(1, 1, QStringLiteral("4+i"));
        g->setFocus();
        QCOMPARE(QApplication::focusWidget(), g);
        QTest::keyClick(g, Qt::Key_Q);
        QCOMPARE(QApplication::focusWidget(), editor);
        // The key replaces the cell's text, as in a spreadsheet.
        QCOMPARE(editor->text(), QString("q"));
        QCOMPARE(g->TextMatrix(1, 1), QString("q"));
        // The next key goes into the editor, and from there into the cell.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_5);
        QCOMPARE(g->TextMatrix(1, 1), QString("q5"));
        // Neither the highlight nor the status bar follow a key press.
        QCOMPARE(g->cellBackColorAt(1, 1), lightYellow);
        QCOMPARE(form()->findChild<StatusBar*>("StatusBar1")->panelText(constants ? 3 : 1), QString());
        // F2 edits the text as it stands, the cursor at its end.
        editor->setCursorPosition(0);
        g->setFocus();
        QTest::keyClick(g, Qt::Key_F2);
        QCOMPARE(QApplication::focusWidget(), editor);
        QCOMPARE(editor->cursorPosition(), 2);
        QTest::keyClick(editor, Qt::Key_6);
        QCOMPARE(g->TextMatrix(1, 1), QString("q56"));
    }

    // The grid's keyboard navigation moves the current cell; the editor must
    // follow, or the next keystroke would copy the previous cell's text over
    // the cell reached.
    void arrowKeysThenTypingNeverCopiesAnotherCell_data() { addSideRows(); }

    void arrowKeysThenTypingNeverCopiesAnotherCell()
    {
        QFETCH(bool, constants);
        QVERIFY(h->open(3));
        Grid* g = constants ? form()->findChild<Grid*>("Grid2") : form()->findChild<Grid*>("Grid1");
        QLineEdit* editor = constants ? form()->findChild<QLineEdit*>("Text4") : form()->findChild<QLineEdit*>("Text1");
        g->setTextMatrix(2, 1, QStringLiteral("8"));
        Form1Harness::typeIntoCell(g, editor, 1, 1, QStringLiteral("7"));
        g->setFocus();
        QTest::keyClick(g, Qt::Key_Down);
        QCOMPARE(g->Row(), 2);
        QCOMPARE(editor->text(), QString("8"));
        // The user goes straight back to the editor and types.
        editor->setFocus();
        editor->end(false);
        QTest::keyClicks(editor, QStringLiteral("x"));
        QCOMPARE(g->TextMatrix(2, 1), QString("8x"));
        QCOMPARE(g->TextMatrix(1, 1), QString("7"));
        // Highlight and status follow clicks only.
        QCOMPARE(g->cellBackColorAt(1, 1), windowColour);
        QCOMPARE(g->cellBackColorAt(2, 1), lightYellow);
    }

    void arrowNavigationThenKeyEditsReachedCell()
    {
        QVERIFY(h->open(3));
        Grid* g = form()->findChild<Grid*>("Grid1");
        g->setTextMatrix(1, 3, QStringLiteral("z"));
        Form1Harness::clickCell(g, 1, 2);
        const int second = g->ColWidth(2);
        g->setFocus();
        QTest::keyClick(g, Qt::Key_Right);
        QTest::keyClick(g, Qt::Key_A);
        QCOMPARE(form()->findChild<QLineEdit*>("Text1")->text(), QString("a"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_1);
        QCOMPARE(g->TextMatrix(1, 3), QString("a1"));
        QCOMPARE(g->TextMatrix(1, 2), QString());
        // The widening still goes to the last clicked column: "a", "a1".
        QCOMPARE(g->ColWidth(2) - second, 7 + 14);
        QCOMPARE(form()->findChild<StatusBar*>("StatusBar1")->panelText(1), QString("X2"));
    }

    void clickOnHeaderChangesNothing()
    {
        QVERIFY(h->open(3));
        Form1Harness::typeIntoCell(form()->findChild<Grid*>("Grid1"), form()->findChild<QLineEdit*>("Text1"), 2, 2,
                                   QStringLiteral("6"));
        QHeaderView* top = form()->findChild<Grid*>("Grid1")->horizontalHeader();
        QTest::mouseClick(top->viewport(), Qt::LeftButton, {},
                          QPoint(top->sectionViewportPosition(0) + 5, top->height() / 2));
        QCOMPARE(form()->findChild<Grid*>("Grid1")->Row(), 2);
        QCOMPARE(form()->findChild<Grid*>("Grid1")->Col(), 2);
        QCOMPARE(form()->findChild<QLineEdit*>("Text1")->text(), QString("6"));
        QCOMPARE(form()->findChild<StatusBar*>("StatusBar1")->panelText(1), QString("X2"));
        QCOMPARE(form()->findChild<Grid*>("Grid1")->TextMatrix(0, 1), QString("X1"));
    }

    void hugeTextIsKeptWholeAndWidensOnlyToTheCap()
    {
        QVERIFY(h->open(1));
        const QString huge(40000, QLatin1Char('7'));
        form()->findChild<QLineEdit*>("Text1")->setText(huge);
        QCOMPARE(form()->findChild<Grid*>("Grid1")->TextMatrix(1, 1).size(), huge.size());
        QCOMPARE(form()->findChild<Grid*>("Grid1")->ColWidth(1), Form1::maxTypedColumnTwips);
        form()->findChild<QLineEdit*>("Text1")->setText(huge + QLatin1Char('8'));
        QCOMPARE(form()->findChild<Grid*>("Grid1")->ColWidth(1), Form1::maxTypedColumnTwips);
        // Solve reads it back through the scratch box unshortened.
        form()->parted();
        QCOMPARE(form()->findChild<QLineEdit*>("Text9")->text(), huge + QLatin1Char('8'));
    }

    void widthCountsCharactersNotCodeUnits()
    {
        QVERIFY(h->open(1));
        const int before = form()->findChild<Grid*>("Grid1")->ColWidth(1);
        // One character outside the 16-bit plane: two UTF-16 units.
        form()->findChild<QLineEdit*>("Text1")->setText(QString::fromUcs4(U"\U0001D465"));
        QCOMPARE(form()->findChild<Grid*>("Grid1")->ColWidth(1) - before, 7);
    }

    void tabOrder()
    {
        QVERIFY(h->open(2));
        form()->findChild<QLineEdit*>("Text1")->setFocus();
        const QList<QWidget*> expected
            = {form()->findChild<Grid*>("Grid2"), form()->findChild<Grid*>("Grid1"),
               form()->findChild<QLineEdit*>("Text4"), form()->findChild<QLineEdit*>("Text1")};
        for (QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
    }

    void screenshotEditing()
    {
        QVERIFY(h->open(4));
        h->typeCoefficient(1, 1, QStringLiteral("2+3i"));
        h->typeCoefficient(2, 2, QStringLiteral("-1.5j"));
        h->typeConstant(1, QStringLiteral("4"));
        h->typeCoefficient(3, 2, QStringLiteral("7"));
        h->screenshot(QStringLiteral("form1_editing"));
        QCOMPARE(form()->grab().size(), form()->size());
    }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
