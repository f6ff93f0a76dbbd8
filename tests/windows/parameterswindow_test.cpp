// The Parameters window over its parameter table: rows typed, refused and
// undone, with each row's value.
#include <memory>

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "windows/parameterswindow.h"
#include "windows/systemparameters.h"

using namespace kalvor;

namespace {

// "row,column,text": one cell of the window typed.
struct Edit {
    int row;
    int column;
    QString text;
};

Edit parseEdit(const QString& edit)
{
    const QStringList parts = edit.split(QLatin1Char(','));
    return {parts[0].toInt(), parts[1].toInt(), parts.mid(2).join(QLatin1Char(','))};
}

}  // namespace

class ParametersWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SystemParameters> table;
    std::unique_ptr<ParametersWindow> window;

    QTableWidget* rows() { return window->findChild<QTableWidget*>("parameters"); }
    QString problem() { return window->findChild<QLabel*>("problem")->text(); }

    void type(const QString& edit)
    {
        const Edit e = parseEdit(edit);
        QVERIFY2(e.row < rows()->rowCount(), qPrintable(edit));
        rows()->item(e.row, e.column)->setText(e.text);
        // A refused edit is put back once the edit is over.
        QCoreApplication::processEvents();
    }

    QStringList tableRows()
    {
        QStringList texts;
        for (const Parameter& p : table->parameters())
            texts << QString::fromStdString(p.name + "=" + p.formula);
        return texts;
    }

    // What the window shows in one column for every parameter row.
    QStringList column(int column)
    {
        QStringList texts;
        for (int row = 0; row + 1 < rows()->rowCount(); ++row)
            texts << rows()->item(row, column)->text();
        return texts;
    }

private slots:
    void init()
    {
        table = std::make_unique<SystemParameters>();
        window = std::make_unique<ParametersWindow>(*table);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup()
    {
        window.reset();
        table.reset();
    }

    void typedRowsMakeTheTable_data()
    {
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<QStringList>("parameters");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("problemShown");
        QTest::newRow("new parameter") << QStringList{"0,0,R", "0,1,10"} << QStringList{"R=10"}
                                       << QStringList{"10.0000 + 0.0000i"} << "";
        QTest::newRow("a parameter uses one above")
            << QStringList{"0,0,f", "0,1,50", "1,0,w", "1,1,2*pi*f"} << QStringList{"f=50", "w=2*pi*f"}
            << QStringList{"50.0000 + 0.0000i", "3.1416E+02 + 0.0000i"} << "";
        QTest::newRow("unknown name") << QStringList{"0,0,w", "0,1,2*pi*f"} << QStringList{"w=2*pi*f"}
                                      << QStringList{"unknown name f"} << "w: unknown name f";
        QTest::newRow("cycle") << QStringList{"0,0,a", "0,1,b+1", "1,0,b", "1,1,a"} << QStringList{"a=b+1", "b=a"}
                               << QStringList{"cycle: a, b", "cycle: a, b"} << "a: cycle: a, b";
        QTest::newRow("a constant's name") << QStringList{"0,0,pi"} << QStringList{} << QStringList{}
                                           << "\"pi\" cannot be a name: pi is a constant.";
        QTest::newRow("the imaginary unit") << QStringList{"0,0,j"} << QStringList{} << QStringList{}
                                            << "\"j\" cannot be a name: j is the imaginary unit.";
        QTest::newRow("a name taken") << QStringList{"0,0,R", "0,1,1", "1,0,R"} << QStringList{"R=1"}
                                      << QStringList{"1.0000 + 0.0000i"}
                                      << "\"R\" cannot be a name: R is already a parameter.";
        QTest::newRow("renamed to a bad name, kept") << QStringList{"0,0,R", "0,1,1", "0,0,sqrt"} << QStringList{"R=1"}
                                                     << QStringList{"1.0000 + 0.0000i"}
                                                     << "\"sqrt\" cannot be a name: sqrt is a function.";
        QTest::newRow("emptied, removed") << QStringList{"0,0,R", "0,1,1", "0,1,", "0,0,"} << QStringList{}
                                          << QStringList{} << "";
        QTest::newRow("a formula needs a name") << QStringList{"0,1,5"} << QStringList{} << QStringList{}
                                                << "A parameter needs a name: type it first.";
    }

    void typedRowsMakeTheTable()
    {
        QFETCH(QStringList, edits);
        QFETCH(QStringList, parameters);
        QFETCH(QStringList, values);
        QFETCH(QString, problemShown);
        for (const QString& edit : edits)
            type(edit);
        QCOMPARE(tableRows(), parameters);
        QCOMPARE(column(ParametersWindow::ValueColumn), values);
        QCOMPARE(column(ParametersWindow::NameColumn).size(), parameters.size());
        QCOMPARE(problem(), problemShown);
        // Always one empty row to add a parameter in.
        QCOMPARE(rows()->item(rows()->rowCount() - 1, ParametersWindow::NameColumn)->text(), QString());
        const QString folder = qEnvironmentVariable("KALVOR_ARTIFACTS");
        if (!folder.isEmpty())
            window->grab().save(folder + QStringLiteral("/parameters-%1.png").arg(QTest::currentDataTag()));
    }

    void polarColumnAndUndo()
    {
        type("0,0,Z");
        type("0,1,3+4j");
        QCOMPARE(column(ParametersWindow::PolarColumn), QStringList{"5.0000 \u2220 53.13\u00b0"});
        type("0,1,-2");
        type("1,0,k");
        QCOMPARE(tableRows(), (QStringList{"Z=-2", "k="}));
        // Ctrl+Z on the table, not in a cell editor: one change at a time.
        rows()->setFocus();
        QTest::keyClick(rows(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(tableRows(), QStringList{"Z=-2"});
        window->findChild<QPushButton*>("undo")->click();
        QCOMPARE(tableRows(), QStringList{"Z=3+4j"});
        QCOMPARE(column(ParametersWindow::PolarColumn), QStringList{"5.0000 \u2220 53.13\u00b0"});
        rows()->setCurrentCell(0, 0);
        window->findChild<QPushButton*>("remove")->click();
        QCOMPARE(tableRows(), QStringList{});
        QVERIFY(table->undo());
        QCOMPARE(tableRows(), QStringList{"Z=3+4j"});
    }

    // While the solution is shown nothing can be changed.
    void readOnlyWhileNotEditable()
    {
        table->set({{"R", "1"}});
        window->setEditable(false);
        QCOMPARE(rows()->rowCount(), 1);
        QVERIFY(!(rows()->item(0, ParametersWindow::FormulaColumn)->flags() & Qt::ItemIsEditable));
        QVERIFY(!window->findChild<QPushButton*>("undo")->isEnabled());
        QVERIFY(!window->findChild<QPushButton*>("remove")->isEnabled());
        rows()->setFocus();
        QTest::keyClick(rows(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(tableRows(), QStringList{"R=1"});
        window->setEditable(true);
        QCOMPARE(rows()->rowCount(), 2);
        QVERIFY(rows()->item(0, ParametersWindow::FormulaColumn)->flags() & Qt::ItemIsEditable);
    }
};

QTEST_MAIN(ParametersWindowTest)
#include "parameterswindow_test.moc"
