#include <memory>
#include <stdexcept>

#include <QElapsedTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "platform/grid.h"
#include "platform/gridmodel.h"
#include "platform/twips.h"

using kalvor::Grid;
using kalvor::GridModel;

class GridTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Grid> grid;

    // Centre of data cell (row, col) in viewport coordinates, scrolled into view.
    QPoint cellCentre(int row, int col)
    {
        const QModelIndex index = grid->model()->index(row - 1, col - 1);
        grid->scrollTo(index);
        return grid->visualRect(index).center();
    }

    void clickCell(int row, int col) { QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCentre(row, col)); }

private slots:
    void init()
    {
        grid = std::make_unique<Grid>(2, 2);
        grid->resize(400, 300);
        grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    }

    void cleanup() { grid.reset(); }

    void startsAtFirstDataCellWithDesignColours()
    {
        grid->setRows(4);
        grid->setCols(4);
        QCOMPARE(grid->Row(), 1);
        QCOMPARE(grid->Col(), 1);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) {
                const quint32 expected = (r == 0 || c == 0) ? 0x00C0C0C0u : 0x00C0FFFFu;
                QCOMPARE(grid->cellBackColorAt(r, c), expected);
            }
        QCOMPARE(grid->ColWidth(1), Grid::defaultColWidthTwips);
    }

    void resizeKeepsRemainingCells_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("cols");
        QTest::newRow("grow both") << 6 << 5;
        QTest::newRow("shrink both") << 2 << 2;
        QTest::newRow("more rows, fewer columns") << 7 << 2;
        QTest::newRow("fewer rows, more columns") << 3 << 9;
    }

    void resizeKeepsRemainingCells()
    {
        QFETCH(int, rows);
        QFETCH(int, cols);
        grid->setRows(4);
        grid->setCols(4);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                grid->setTextMatrix(r, c, QStringLiteral("%1,%2").arg(r).arg(c));
        grid->setRows(rows);
        grid->setCols(cols);
        QCOMPARE(grid->Rows(), rows);
        QCOMPARE(grid->Cols(), cols);
        QCOMPARE(grid->model()->rowCount(), rows - 1);
        QCOMPARE(grid->model()->columnCount(), cols - 1);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) {
                const QString expected = (r < 4 && c < 4) ? QStringLiteral("%1,%2").arg(r).arg(c) : QString();
                QCOMPARE(grid->TextMatrix(r, c), expected);
            }
        // The current cell stays inside the table.
        QVERIFY(grid->Row() < rows);
        QVERIFY(grid->Col() < cols);
    }

    void outOfRangeCellsThrow_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::newRow("row past the end") << 3 << 1;
        QTest::newRow("column past the end") << 1 << 3;
        QTest::newRow("negative row") << -1 << 0;
        QTest::newRow("negative column") << 0 << -1;
    }

    void outOfRangeCellsThrow()
    {
        QFETCH(int, row);
        QFETCH(int, col);
        grid->setRows(3);
        grid->setCols(3);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid->TextMatrix(row, col));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid->setTextMatrix(row, col, "x"));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid->setRow(row < 0 || row >= 3 ? row : 99));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid->setRows(0));
    }

    void fixedCellsAreServedAsHeaders()
    {
        grid->setRows(4);
        grid->setCols(3);
        grid->setTextMatrix(0, 2, "X2");
        grid->setTextMatrix(3, 0, "EQ. NO.3");
        grid->setTextMatrix(2, 2, "data");
        QAbstractItemModel* model = grid->model();
        QCOMPARE(model->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QString("X2"));
        QCOMPARE(model->headerData(2, Qt::Vertical, Qt::DisplayRole).toString(), QString("EQ. NO.3"));
        QCOMPARE(model->data(model->index(1, 1)).toString(), QString("data"));
        // Data cells alone are items; none of them shows a header text.
        for (int r = 0; r < model->rowCount(); ++r)
            for (int c = 0; c < model->columnCount(); ++c)
                QVERIFY(!model->data(model->index(r, c)).toString().startsWith("X"));
    }

    void fixedCellsStayInSightWhenScrolled()
    {
        grid->setRows(101);
        grid->setCols(101);
        grid->setTextMatrix(0, 100, "X100");
        grid->setTextMatrix(100, 0, "EQ. NO.100");
        QCoreApplication::processEvents();
        grid->scrollTo(grid->model()->index(99, 99));
        QCoreApplication::processEvents();
        QVERIFY(grid->horizontalScrollBar()->value() > 0);
        QVERIFY(grid->verticalScrollBar()->value() > 0);
        QVERIFY(grid->horizontalHeader()->isVisible());
        QVERIFY(grid->verticalHeader()->isVisible());
        // The last column's header is now within the visible header strip.
        const int x = grid->horizontalHeader()->sectionViewportPosition(99);
        QVERIFY2(x >= 0 && x < grid->horizontalHeader()->width(),
                 qPrintable(QStringLiteral("%1 of %2").arg(x).arg(grid->horizontalHeader()->width())));
        const int y = grid->verticalHeader()->sectionViewportPosition(99);
        QVERIFY(y >= 0 && y < grid->verticalHeader()->height());
    }

    void writingRowAndColMovesWithoutClick()
    {
        grid->setRows(4);
        grid->setCols(4);
        QSignalSpy clicks(grid.get(), &Grid::Click);
        QSignalSpy moved(grid.get(), &Grid::currentCellMoved);
        grid->setRow(0);
        grid->setCol(0);
        QCOMPARE(grid->Row(), 0);
        QCOMPARE(grid->Col(), 0);
        grid->setText("corner");
        grid->setCellBackColor(0x00C0FFFF);
        QCOMPARE(grid->TextMatrix(0, 0), QString("corner"));
        QCOMPARE(grid->cellBackColorAt(0, 0), 0x00C0FFFFu);
        grid->setRow(3);
        grid->setCol(2);
        grid->setText("here");
        grid->setCellBackColor(0x80000005);
        QCOMPARE(grid->TextMatrix(3, 2), QString("here"));
        QCOMPARE(grid->Text(), QString("here"));
        QCOMPARE(grid->cellBackColorAt(3, 2), 0x80000005u);
        // Only the current cell changed colour.
        QCOMPARE(grid->cellBackColorAt(3, 1), 0x00C0FFFFu);
        QCOMPARE(grid->cellBackColorAt(2, 2), 0x00C0FFFFu);
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(moved.count(), 0);
    }

    void clickOnDataCellMovesThenRaisesClick_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::newRow("(1,1)") << 1 << 1;
        QTest::newRow("(2,3)") << 2 << 3;
        QTest::newRow("(4,2)") << 4 << 2;
    }

    void clickOnDataCellMovesThenRaisesClick()
    {
        QFETCH(int, row);
        QFETCH(int, col);
        grid->setRows(5);
        grid->setCols(4);
        int rowAtClick = -1;
        int colAtClick = -1;
        connect(grid.get(), &Grid::Click, this, [&] {
            rowAtClick = grid->Row();
            colAtClick = grid->Col();
        });
        QSignalSpy clicks(grid.get(), &Grid::Click);
        clickCell(row, col);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(rowAtClick, row);
        QCOMPARE(colAtClick, col);
    }

    void clickOnFixedCellDoesNothing()
    {
        grid->setRows(4);
        grid->setCols(4);
        grid->setRow(2);
        grid->setCol(3);
        QSignalSpy clicks(grid.get(), &Grid::Click);
        QHeaderView* top = grid->horizontalHeader();
        QTest::mouseClick(top->viewport(), Qt::LeftButton, {},
                          QPoint(top->sectionViewportPosition(0) + 5, top->height() / 2));
        QHeaderView* left = grid->verticalHeader();
        QTest::mouseClick(left->viewport(), Qt::LeftButton, {},
                          QPoint(left->width() / 2, left->sectionViewportPosition(0) + 5));
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(grid->Row(), 2);
        QCOMPARE(grid->Col(), 3);
    }

    void pressAndReleaseOnDifferentCellsIsNoClick()
    {
        grid->setRows(4);
        grid->setCols(4);
        QSignalSpy clicks(grid.get(), &Grid::Click);
        QSignalSpy moved(grid.get(), &Grid::currentCellMoved);
        QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, cellCentre(3, 3));
        QTest::mouseMove(grid->viewport(), cellCentre(2, 2));
        QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, cellCentre(2, 2));
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(moved.count(), 0);
        QCOMPARE(grid->Row(), 1);
        QCOMPARE(grid->Col(), 1);
    }

    void keyPressOnlyForCharacterKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("expectedCode");  // -1: no KeyPress
        QTest::newRow("letter") << int(Qt::Key_A) << int(Qt::NoModifier) << int('a');
        QTest::newRow("digit") << int(Qt::Key_7) << int(Qt::NoModifier) << int('7');
        QTest::newRow("space") << int(Qt::Key_Space) << int(Qt::NoModifier) << int(' ');
        QTest::newRow("enter") << int(Qt::Key_Return) << int(Qt::NoModifier) << 13;
        QTest::newRow("escape") << int(Qt::Key_Escape) << int(Qt::NoModifier) << 27;
        QTest::newRow("backspace") << int(Qt::Key_Backspace) << int(Qt::NoModifier) << 8;
        QTest::newRow("arrow") << int(Qt::Key_Right) << int(Qt::NoModifier) << -1;
        QTest::newRow("function key") << int(Qt::Key_F2) << int(Qt::NoModifier) << -1;
        QTest::newRow("shift alone") << int(Qt::Key_Shift) << int(Qt::ShiftModifier) << -1;
    }

    void keyPressOnlyForCharacterKeys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, expectedCode);
        grid->setRows(4);
        grid->setCols(4);
        grid->setFocus();
        QSignalSpy keys(grid.get(), &Grid::KeyPress);
        QTest::keyClick(grid.get(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        if (expectedCode < 0) {
            QCOMPARE(keys.count(), 0);
        } else {
            QCOMPARE(keys.count(), 1);
            QCOMPARE(keys.at(0).at(0).toInt(), expectedCode);
            // A character key does not move the current cell.
            QCOMPARE(grid->Row(), 1);
            QCOMPARE(grid->Col(), 1);
        }
    }

    void arrowKeysMoveCurrentCellAndSaySo_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::newRow("down") << int(Qt::Key_Down) << 3 << 2;
        QTest::newRow("up") << int(Qt::Key_Up) << 1 << 2;
        QTest::newRow("right") << int(Qt::Key_Right) << 2 << 3;
        QTest::newRow("left") << int(Qt::Key_Left) << 2 << 1;
    }

    void arrowKeysMoveCurrentCellAndSaySo()
    {
        QFETCH(int, key);
        QFETCH(int, row);
        QFETCH(int, col);
        grid->setRows(5);
        grid->setCols(5);
        grid->setRow(2);
        grid->setCol(2);
        grid->setFocus();
        QSignalSpy moved(grid.get(), &Grid::currentCellMoved);
        QSignalSpy clicks(grid.get(), &Grid::Click);
        QTest::keyClick(grid.get(), Qt::Key(key));
        QCOMPARE(grid->Row(), row);
        QCOMPARE(grid->Col(), col);
        QCOMPARE(moved.count(), 1);
        QCOMPARE(clicks.count(), 0);
    }

    void columnWidthsAreKeptInTwips_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("expected");
        QTest::newRow("one step") << 960 << 7 << 1 << 967;
        QTest::newRow("seven twips ten times") << 960 << 7 << 10 << 1030;
        QTest::newRow("below a pixel each") << 1500 << 3 << 20 << 1560;
        QTest::newRow("to zero") << 0 << 0 << 0 << 0;
    }

    void columnWidthsAreKeptInTwips()
    {
        QFETCH(int, start);
        QFETCH(int, step);
        QFETCH(int, steps);
        QFETCH(int, expected);
        grid->setCols(3);
        grid->setColWidth(2, start);
        for (int i = 0; i < steps; ++i)
            grid->setColWidth(2, grid->ColWidth(2) + step);
        QCOMPARE(grid->ColWidth(2), expected);
        QCOMPARE(grid->horizontalHeader()->sectionSize(1), kalvor::twipsToPixels(expected));
        // Other columns keep theirs.
        QCOMPARE(grid->ColWidth(1), Grid::defaultColWidthTwips);
    }

    void columnWidthOfFixedColumnAndBadWidths()
    {
        grid->setColWidth(0, 1500);
        QCOMPARE(grid->ColWidth(0), 1500);
        QCOMPARE(grid->verticalHeader()->width(), 100);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid->setColWidth(1, -1));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid->setColWidth(2, 100));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid->ColWidth(5));
    }

    void widthsSurviveAddingColumns()
    {
        grid->setCols(4);
        grid->setColWidth(2, 3000);
        grid->setCols(8);
        QCOMPARE(grid->ColWidth(2), 3000);
        QCOMPARE(grid->horizontalHeader()->sectionSize(1), 200);
        QCOMPARE(grid->ColWidth(7), Grid::defaultColWidthTwips);
    }

    void oleColoursToQt_data()
    {
        QTest::addColumn<quint32>("ole");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("light yellow") << quint32(0x00C0FFFF) << QColor(255, 255, 192);
        QTest::newRow("silver") << quint32(0x00C0C0C0) << QColor(192, 192, 192);
        QTest::newRow("red is the low byte") << quint32(0x000000FF) << QColor(255, 0, 0);
        QTest::newRow("blue is the high byte") << quint32(0x00FF0000) << QColor(0, 0, 255);
        QPalette palette;
        QTest::newRow("system window colour") << quint32(0x80000005) << palette.color(QPalette::Base);
    }

    void oleColoursToQt()
    {
        QFETCH(quint32, ole);
        QFETCH(QColor, expected);
        QCOMPARE(GridModel::toQColor(ole, QPalette()), expected);
    }

    void cellBackgroundReachesTheView()
    {
        grid->setRows(3);
        grid->setCols(3);
        QAbstractItemModel* model = grid->model();
        const QModelIndex cell = model->index(0, 0);
        QCOMPARE(model->data(cell, Qt::BackgroundRole).value<QBrush>().color(), QColor(255, 255, 192));
        grid->setCellBackColor(0x80000005);
        // The system's window colour, not the grid's own dark empty area.
        QCOMPARE(model->data(cell, Qt::BackgroundRole).value<QBrush>().color(),
                 QGuiApplication::palette().color(QPalette::Base));
        QVERIFY(grid->palette().color(QPalette::Base) != QGuiApplication::palette().color(QPalette::Base));
        QCOMPARE(model->headerData(0, Qt::Horizontal, Qt::BackgroundRole).value<QBrush>().color(),
                 QColor(192, 192, 192));
    }

    void cellNotesComeFromTheSourceUnlessMarked()
    {
        grid->setRows(3);
        grid->setCols(3);
        grid->setCellNoteSource([](int row, int col) {
            return row == 2 ? QStringLiteral("note %1,%2").arg(row).arg(col) : QString();
        });
        QAbstractItemModel* model = grid->model();
        const auto note = [model](int row, int col, int role) {
            return model->data(model->index(row - 1, col - 1), role).toString();
        };
        QCOMPARE(note(2, 1, Qt::ToolTipRole), QStringLiteral("note 2,1"));
        QCOMPARE(note(2, 2, Qt::AccessibleDescriptionRole), QStringLiteral("note 2,2"));
        // No note: no tooltip data, so the grid's own tooltip shows.
        QVERIFY(!model->data(model->index(0, 0), Qt::ToolTipRole).isValid());
        QVERIFY(!model->headerData(1, Qt::Vertical, Qt::ToolTipRole).isValid());
        grid->setCellMark(2, 2, QStringLiteral("marked"));
        QCOMPARE(note(2, 2, Qt::ToolTipRole), QStringLiteral("marked"));
        grid->setCellMark(2, 2, QString());
        QCOMPARE(note(2, 2, Qt::ToolTipRole), QStringLiteral("note 2,2"));
    }

    void bigTableIsCheapToShapeAndFill()
    {
        QElapsedTimer clock;
        clock.start();
        grid->setCols(501);
        grid->setRows(501);
        for (int r = 1; r <= 500; ++r)
            for (int c = 1; c <= 500; ++c)
                grid->setTextMatrix(r, c, QStringLiteral("1"));
        QCOMPARE(grid->TextMatrix(500, 500), QString("1"));
        QCOMPARE(grid->model()->rowCount(), 500);
        // Generous: a per-cell widget or layout would take many seconds.
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    }
};

QTEST_MAIN(GridTest)
#include "grid_test.moc"
