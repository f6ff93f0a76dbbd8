// The equation window as a window: what the keyboard reaches while the
// solution is shown, how it uses a larger size, and how its two tables
// scroll together.
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>

#include <memory>

#include "form1testcase.h"
#include "platform/grid.h"
#include "platform/twips.h"
#include "startupsupport.h"
#include "windows/form1.h"
#include "windows/growinglayout.h"

using kalvor::Form1;
using kalvor::Form1Harness;
using kalvor::Form1TestCase;
using kalvor::Grid;
using kalvor::GrowingLayout;

namespace {

// Every cell text of both tables, to see that nothing was typed into them.
QStringList cellTexts(Form1* form)
{
    QStringList texts;
    for (int r = 1; r <= form->state().N; ++r) {
        for (int c = 1; c <= form->state().N; ++c)
            texts << form->findChild<Grid*>("Grid1")->TextMatrix(r, c);
        texts << form->findChild<Grid*>("Grid2")->TextMatrix(r, 1);
    }
    return texts;
}

QList<QWidget*> coveredControls(Form1* form)
{
    return {form->findChild<QLineEdit*>("Text1"), form->findChild<QLineEdit*>("Text4"), form->findChild<Grid*>("Grid1"),
            form->findChild<Grid*>("Grid2")};
}

void saveScreenshot(QWidget* window, const QString& name)
{
    const QString path = kalvor::artifactPath(name + QStringLiteral(".png"));
    if (!path.isEmpty())
        QVERIFY(window->grab().save(path));
}

}  // namespace

class Form1WindowTest : public Form1TestCase {
    Q_OBJECT

    // A 2 x 2 system typed by the user, then solved.
    void typeAndSolve(const QString& lastConstant)
    {
        h->typeCoefficient(1, 1, QStringLiteral("1"));
        h->typeCoefficient(2, 2, QStringLiteral("2"));
        h->typeConstant(1, QStringLiteral("3"));
        h->typeConstant(2, lastConstant);
        form()->findChild<QAction*>("solve")->trigger();
    }

private slots:
    void coveredCellsTakeNoKeysWhileSolutionShown_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Tab") << int(Qt::Key_Tab) << int(Qt::NoModifier);
        QTest::newRow("Shift+Tab") << int(Qt::Key_Backtab) << int(Qt::ShiftModifier);
        QTest::newRow("Ctrl+Tab") << int(Qt::Key_Tab) << int(Qt::ControlModifier);
    }

    void coveredCellsTakeNoKeysWhileSolutionShown()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QVERIFY(h->open(2));
        typeAndSolve(QStringLiteral("4"));
        QVERIFY(form()->findChild<QFrame*>("Frame1")->isVisible());
        QCOMPARE(QApplication::focusWidget(), form()->findChild<Grid*>("Grid3"));
        const QStringList solved = cellTexts(form());

        for (int press = 0; press < 6; ++press) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
            QWidget* focus = QApplication::focusWidget();
            QVERIFY2(!coveredControls(form()).contains(focus),
                     qPrintable(focus ? focus->objectName() : QStringLiteral("none")));
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("99"));
            QCOMPARE(cellTexts(form()), solved);
        }
        // Access keys reach only what the mode offers: Solve is off.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
        QCOMPARE(cellTexts(form()), solved);
        for (QWidget* control : coveredControls(form()))
            QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));

        // Back gives them back, the focus where it was before Solve.
        form()->findChild<QAction*>("back")->trigger();
        for (QWidget* control : coveredControls(form()))
            QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
        QCOMPARE(QApplication::focusWidget(), form()->findChild<QLineEdit*>("Text4"));
        QTest::keyClicks(form()->findChild<QLineEdit*>("Text4"), QStringLiteral("0"));
        QCOMPARE(form()->findChild<Grid*>("Grid2")->TextMatrix(2, 1), QStringLiteral("40"));
    }

    void coveredCellsComeBackAfterAFailure_data()
    {
        QTest::addColumn<QString>("lastConstant");
        QTest::addColumn<int>("secondPivot");
        QTest::newRow("data error") << "abc" << 2;
        QTest::newRow("no unique solution") << "4" << 0;
    }

    void coveredCellsComeBackAfterAFailure()
    {
        QFETCH(QString, lastConstant);
        QFETCH(int, secondPivot);
        QVERIFY(h->open(2));
        h->typeCoefficient(1, 1, QStringLiteral("1"));
        h->typeCoefficient(2, 2, QString::number(secondPivot));
        h->typeConstant(1, QStringLiteral("3"));
        h->typeConstant(2, lastConstant);
        bool coveredWhileMessage = true;
        h->messages.onShow = [&] {
            for (QWidget* control : coveredControls(form()))
                coveredWhileMessage = coveredWhileMessage && !control->isEnabled();
        };
        form()->findChild<QAction*>("solve")->trigger();
        QCOMPARE(h->messages.messages.size(), std::size_t{1});
        QVERIFY(coveredWhileMessage);
        QVERIFY(!form()->findChild<QFrame*>("Frame1")->isVisible());
        for (QWidget* control : coveredControls(form()))
            QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
        QCOMPARE(QApplication::focusWidget(), form()->findChild<QLineEdit*>("Text4"));
        // Tab goes round the editing controls again.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), form()->findChild<QLineEdit*>("Text1"));
    }

    void designSizeKeepsDesignPlaces()
    {
        QVERIFY(h->open(3));
        QCOMPARE(form()->centralWidget()->size(), QSize(801, 537));
        // Smaller than the design is not offered.
        form()->resize(500, 300);
        QTest::qWait(50);
        QCOMPARE(form()->centralWidget()->size(), QSize(801, 537));
        QCOMPARE(form()->findChild<Grid*>("Grid1")->geometry(), QRect(0, 64, 617, 448));
        QCOMPARE(form()->findChild<Grid*>("Grid2")->geometry(), QRect(624, 64, 161, 449));
        saveScreenshot(form(), QStringLiteral("form1-design-size"));
    }

    void largerWindowGrowsTablesAndPanel()
    {
        QVERIFY(h->open(12));
        form()->resize(1280, 900);
        QTRY_COMPARE(form()->size(), QSize(1280, 900));
        const QWidget* client = form()->centralWidget();
        const int dx = client->width() - 801;
        const int dy = client->height() - 537;
        QVERIFY(dx > 400 && dy > 300);

        // The titles and editors stay in their rows and stretch with their
        // tables; the tables take the extra height.
        const QRect grid1 = form()->findChild<Grid*>("Grid1")->geometry();
        const QRect grid2 = form()->findChild<Grid*>("Grid2")->geometry();
        QCOMPARE(grid1.topLeft(), QPoint(0, 64));
        QCOMPARE(grid1.height(), 448 + dy);
        QCOMPARE(grid2.top(), 64);
        QCOMPARE(grid2.height(), 449 + dy);
        QCOMPARE(grid2.left() - grid1.right(), 624 - 616);         // the design gap
        QCOMPARE(client->width() - 1 - grid2.right(), 801 - 785);  // the design margin
        QVERIFY(grid1.width() > 617 + dx / 2);
        QVERIFY(grid2.width() > 161);
        QCOMPARE(form()->findChild<QLineEdit*>("Text1")->geometry(), QRect(0, 40, grid1.width(), 19));
        QCOMPARE(form()->findChild<QLabel*>("Label1")->geometry(), QRect(0, 16, grid1.width(), 25));
        QCOMPARE(form()->findChild<QLineEdit*>("Text4")->geometry(), QRect(grid2.left(), 40, grid2.width(), 19));
        QCOMPARE(form()->findChild<QLabel*>("Label2")->geometry(), QRect(grid2.left(), 16, grid2.width(), 25));
        // The status bar stays at the bottom.
        QCOMPARE(form()->statusBar()->geometry().bottom(), form()->height() - 1);
        QCOMPARE(client->geometry().bottom() + 1, form()->statusBar()->geometry().top());
        // More rows are in sight.
        QVERIFY(form()->findChild<Grid*>("Grid1")->rowAt(form()->findChild<Grid*>("Grid1")->viewport()->height() - 1)
                    > 8
                || form()->findChild<Grid*>("Grid1")->rowAt(form()->findChild<Grid*>("Grid1")->viewport()->height() - 1)
                    == -1);
        saveScreenshot(form(), QStringLiteral("form1-larger-editing"));

        // The result panel and its table cover the grown client.
        for (int i = 1; i <= 12; ++i) {
            h->typeCoefficient(i, i, QStringLiteral("2"));
            h->typeConstant(i, QString::number(i));
        }
        form()->findChild<QAction*>("solve")->trigger();
        QVERIFY(h->messages.messages.empty());
        QCOMPARE(form()->findChild<QFrame*>("Frame1")->geometry(), QRect(QPoint(0, 0), client->size()));
        QCOMPARE(form()->findChild<Grid*>("Grid3")->geometry(), QRect(8, 16, 785 + dx, 513 + dy));
        saveScreenshot(form(), QStringLiteral("form1-larger-solution"));

        // Back at the design size, everything is where it was.
        form()->findChild<QAction*>("back")->trigger();
        form()->resize(form()->minimumSizeHint());
        QTRY_COMPARE(client->size(), QSize(801, 537));
        QCOMPARE(form()->findChild<Grid*>("Grid1")->geometry(), QRect(0, 64, 617, 448));
        QCOMPARE(form()->findChild<Grid*>("Grid2")->geometry(), QRect(624, 64, 161, 449));
        QCOMPARE(form()->findChild<QLineEdit*>("Text4")->geometry(), QRect(624, 40, 161, 19));
        QCOMPARE(form()->findChild<QFrame*>("Frame1")->geometry(), QRect(0, 0, 801, 537));
        QCOMPARE(form()->findChild<Grid*>("Grid3")->geometry(), QRect(8, 16, 785, 513));
    }

    void tablesScrollTogether()
    {
        QVERIFY(h->open(500));
        QScrollBar* coefficients = form()->findChild<Grid*>("Grid1")->verticalScrollBar();
        QScrollBar* constants = form()->findChild<Grid*>("Grid2")->verticalScrollBar();
        const auto firstRowInSight = [](Grid* grid) { return grid->rowAt(0); };

        coefficients->setValue(300);
        QCOMPARE(constants->value(), 300);
        QCOMPARE(firstRowInSight(form()->findChild<Grid*>("Grid2")),
                 firstRowInSight(form()->findChild<Grid*>("Grid1")));
        constants->setValue(120);
        QCOMPARE(coefficients->value(), 120);
        QCOMPARE(firstRowInSight(form()->findChild<Grid*>("Grid1")),
                 firstRowInSight(form()->findChild<Grid*>("Grid2")));

        // By the keyboard: the current cell moved far down in the
        // coefficients brings the constants along.
        Form1Harness::clickCell(form()->findChild<Grid*>("Grid1"), 200, 1);
        form()->findChild<Grid*>("Grid1")->setFocus();
        for (int i = 0; i < 5; ++i)
            QTest::keyClick(form()->findChild<Grid*>("Grid1"), Qt::Key_PageDown);
        QVERIFY(coefficients->value() > 200);
        QCOMPARE(constants->value(), coefficients->value());

        // At the very end each table shows its last row; neither pulls the
        // other back.
        coefficients->setValue(coefficients->maximum());
        QCOMPARE(coefficients->value(), coefficients->maximum());
        QCOMPARE(constants->value(), std::min(coefficients->maximum(), constants->maximum()));
        QCOMPARE(coefficients->value(), coefficients->maximum());
        // And from there back up, side by side again.
        constants->setValue(constants->maximum() - 10);
        QCOMPARE(coefficients->value(), constants->value());
        QCOMPARE(firstRowInSight(form()->findChild<Grid*>("Grid1")),
                 firstRowInSight(form()->findChild<Grid*>("Grid2")));
        saveScreenshot(form(), QStringLiteral("form1-scrolled-together"));
    }

    // The layout's sharing of room beyond the design, at the lowest layer: a
    // left column of design width 60, a right one of 20 beside it, a hidden
    // panel across the whole width with a control of its own inside.
    void growingLayoutSharesTheExtraRoom_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("left");
        QTest::addColumn<QRect>("right");
        QTest::addColumn<QRect>("panel");
        QTest::addColumn<QRect>("inPanel");
        QTest::newRow("design") << QSize(100, 50) << QRect(0, 0, 60, 40) << QRect(70, 0, 20, 20) << QRect(0, 0, 100, 50)
                                << QRect(5, 5, 90, 40);
        QTest::newRow("smaller keeps the design") << QSize(80, 40) << QRect(0, 0, 60, 40) << QRect(70, 0, 20, 20)
                                                  << QRect(0, 0, 100, 50) << QRect(5, 5, 90, 40);
        // 9 pixels wider: the left column takes 9 * 60 / 80, rounded down.
        QTest::newRow("wider") << QSize(109, 50) << QRect(0, 0, 66, 40) << QRect(76, 0, 23, 20) << QRect(0, 0, 109, 50)
                               << QRect(5, 5, 99, 40);
        QTest::newRow("taller") << QSize(100, 75) << QRect(0, 0, 60, 65) << QRect(70, 0, 20, 20) << QRect(0, 0, 100, 75)
                                << QRect(5, 5, 90, 65);
    }

    void growingLayoutSharesTheExtraRoom()
    {
        QFETCH(QSize, size);
        QWidget client;
        auto* left = new QWidget(&client);
        left->setGeometry(0, 0, 60, 40);
        auto* right = new QWidget(&client);
        right->setGeometry(70, 0, 20, 20);
        auto* panel = new QFrame(&client);
        panel->setGeometry(0, 0, 100, 50);
        auto* inPanel = new QWidget(panel);
        inPanel->setGeometry(5, 5, 90, 40);
        panel->hide();
        auto* layout = new GrowingLayout(QSize(100, 50), &client);
        layout->addWidget(left, GrowingLayout::Share::LeftColumn, true);
        layout->addWidget(right, GrowingLayout::Share::RightColumn, false);
        layout->addWidget(panel, GrowingLayout::Share::Whole, true);
        (new GrowingLayout(panel->size(), panel))->addWidget(inPanel, GrowingLayout::Share::Whole, true);

        layout->setGeometry(QRect(QPoint(0, 0), size));
        QTEST(left->geometry(), "left");
        QTEST(right->geometry(), "right");
        QTEST(panel->geometry(), "panel");
        QTEST(inPanel->geometry(), "inPanel");
    }
};

QTEST_MAIN(Form1WindowTest)
#include "form1_window_test.moc"
