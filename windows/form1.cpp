#include "windows/form1.h"

#include <algorithm>
#include <utility>
#include <array>
#include <climits>
#include <cmath>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFontDatabase>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTimer>

#include "core/cellcheck.h"
#include "core/numberformat.h"
#include "core/partcell.h"
#include "core/val.h"
#include "platform/filedialogs.h"
#include "platform/grid.h"
#include "platform/gridmodel.h"
#include "platform/messagebox.h"
#include "platform/statusbar.h"
#include "platform/twips.h"
#include "windows/form1messages.h"
#include "windows/growinglayout.h"
#include "windows/recoveryfile.h"
#include "windows/scratchbox.h"
#include "windows/solutioncheckview.h"
#include "windows/unknowncount.h"
#include "windows/widgetwatch.h"

namespace kalvor {

namespace {

QFont fixedsysFace()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
    return font;
}

QFont sansFace()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(8.25);
    return font;
}

QLabel* titleLabel(const QString& caption, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setAlignment(Qt::AlignCenter);
    label->setFont(fixedsysFace());
    label->setAutoFillBackground(true);
    QPalette colours = label->palette();
    colours.setColor(QPalette::Window, QColor(0x40, 0x40, 0x40));
    colours.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(colours);
    return label;
}

QLineEdit* editorLine(QWidget* parent)
{
    auto* editor = new QLineEdit(parent);
    editor->setFont(fixedsysFace());
    QPalette colours = editor->palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    editor->setPalette(colours);
    // A cell may hold any length of text; the default limit of 32767
    // characters would cut it short.
    editor->setMaxLength(INT_MAX);
    return editor;
}

QLineEdit* hiddenBox(const QString& designText, QWidget* parent)
{
    auto* box = new QLineEdit(designText, parent);
    box->setMaxLength(INT_MAX);
    box->setFocusPolicy(Qt::NoFocus);
    box->hide();
    return box;
}

// A row or column index as stored in a previous-cell box: its leading-number
// value, rounded as an index assignment does.
int indexFromText(const QString& text)
{
    const double value = std::nearbyint(val(text.toStdString()));
    if (!(value >= INT_MIN && value <= INT_MAX))
        throw std::out_of_range("index out of range");
    return static_cast<int>(value);
}

// One row of shortest real and imaginary texts per unknown.
BlockPaste::Rows numberRows(const std::vector<double>& re, const std::vector<double>& im)
{
    BlockPaste::Rows rows;
    for (std::size_t k = 0; k < re.size(); ++k)
        rows.push_back({shortestText(re[k]), shortestText(im[k])});
    return rows;
}

// Length in characters (code points), not UTF-16 units.
qsizetype characterCount(const QString& text)
{
    qsizetype count = 0;
    for (const QChar ch : text)
        if (!ch.isLowSurrogate())
            ++count;
    return count;
}

}  // namespace

Form1::Form1(std::function<QString()> countText, MessageBox& messages, QWidget* parent)
    : QMainWindow(parent),
      countText_(std::move(countText)),
      messages_(messages),
      endProgram_([] { QCoreApplication::exit(0); })
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("KALVOR"));
    createControls();
    createMenus();
    setTabOrder();
    connectHandlers();
    exchange_
        = new TableExchange(*this, {this, Grid1, Grid2, Grid3, Text1, Text4, Frame1}, messages_, maxTypedColumnTwips);
    guardCoveredControls();
    followClientSize();
    linkVerticalScroll();
    setUpCheck();
    setUpParameters();
}

Form1::~Form1() = default;

void Form1::createControls()
{
    client_ = new QWidget(this);
    client_->setAutoFillBackground(true);
    QPalette black = client_->palette();
    black.setColor(QPalette::Window, Qt::black);
    client_->setPalette(black);
    // The design fills a screen of 800 x 600: the result panel is the widest
    // and tallest control.
    client_->setMinimumSize(twipsToPixels(12015), twipsToPixels(8055));
    setCentralWidget(client_);
    createEditingControls();
    createResultPanel();
    createHiddenBoxes();

    StatusBar1 = new StatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    setStatusBar(StatusBar1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(9000);
}

void Form1::createEditingControls()
{
    Label1 = titleLabel(QStringLiteral("For best view made dimention to 600x800"), client_);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twipsRect(0, 240, 9255, 375));

    Text1 = editorLine(client_);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setAccessibleName(QStringLiteral("Coefficient editor"));
    Text1->setGeometry(twipsRect(0, 600, 9255, 280));

    Grid1 = new Grid(2, 2, client_);
    Grid1->setObjectName(QStringLiteral("Grid1"));
    Grid1->setAccessibleName(QStringLiteral("Coefficients Matrix"));
    Grid1->setToolTip(QStringLiteral("Use small \"i\" & \"j\"  into complex numbers"));
    Grid1->setFont(sansFace());
    Grid1->setGeometry(twipsRect(0, 960, 9255, 6720));

    Label2 = titleLabel(QStringLiteral("Constants Matrix "), client_);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(twipsRect(9360, 240, 2415, 375));

    Text4 = editorLine(client_);
    Text4->setObjectName(QStringLiteral("Text4"));
    Text4->setAccessibleName(QStringLiteral("Constant editor"));
    Text4->setGeometry(twipsRect(9360, 600, 2415, 285));

    Grid2 = new Grid(2, 2, client_);
    Grid2->setObjectName(QStringLiteral("Grid2"));
    Grid2->setAccessibleName(QStringLiteral("Constants Matrix"));
    Grid2->setFont(sansFace());
    Grid2->setGeometry(twipsRect(9360, 960, 2415, 6735));
}

void Form1::createResultPanel()
{
    Frame1 = new QFrame(client_);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setAccessibleName(QStringLiteral("Solution panel"));
    Frame1->setFrameShape(QFrame::Box);
    Frame1->setAutoFillBackground(true);
    // Not the window's black: the panel has the usual face of a frame.
    QPalette face = Frame1->palette();
    face.setColor(QPalette::Window, QGuiApplication::palette().color(QPalette::Button));
    Frame1->setPalette(face);
    Frame1->setGeometry(twipsRect(0, 0, 12015, 8055));

    Grid3 = new Grid(2, 2, Frame1);
    Grid3->setObjectName(QStringLiteral("Grid3"));
    Grid3->setAccessibleName(QStringLiteral("Solution"));
    Grid3->setFont(sansFace());
    Grid3->setGeometry(twipsRect(120, 240, 11775, 7695));

    Text9 = hiddenBox(QString(), Frame1);
    Text9->setObjectName(QStringLiteral("Text9"));
    Frame1->hide();
}

void Form1::createHiddenBoxes()
{
    Txt7 = hiddenBox(QStringLiteral("Text7"), client_);
    Txt7->setObjectName(QStringLiteral("Txt7"));
    Txt8 = hiddenBox(QStringLiteral("Text8"), client_);
    Txt8->setObjectName(QStringLiteral("Txt8"));
    Text7 = hiddenBox(QStringLiteral("Text7"), client_);
    Text7->setObjectName(QStringLiteral("Text7"));
    Text8 = hiddenBox(QStringLiteral("Text8"), client_);
    Text8->setObjectName(QStringLiteral("Text8"));
}

void Form1::createMenus()
{
    createFileMenu();
    solve = menuBar()->addAction(QStringLiteral("&Solve"));
    solve->setObjectName(QStringLiteral("solve"));
    back = menuBar()->addAction(QStringLiteral("&Back"));
    back->setObjectName(QStringLiteral("back"));
    back->setEnabled(false);
    createToolsMenu();
    about = menuBar()->addAction(QStringLiteral("&About"));
    about->setObjectName(QStringLiteral("about"));
    connectFileMenu();
}

void Form1::setTabOrder()
{
    QWidget::setTabOrder(Text1, Grid2);
    QWidget::setTabOrder(Grid2, Grid1);
    QWidget::setTabOrder(Grid1, Text4);
    // Grid3 takes its turn only while the result panel is shown.
    QWidget::setTabOrder(Text4, Grid3);
}

void Form1::connectHandlers()
{
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(Grid1, &Grid::Click, this, &Form1::Grid1_Click);
    connect(Grid2, &Grid::Click, this, &Form1::Grid2_Click);
    connect(Grid1, &Grid::KeyPress, this, &Form1::Grid1_KeyPress);
    connect(Grid2, &Grid::KeyPress, this, &Form1::Grid2_KeyPress);
    connect(Grid1, &Grid::currentCellMoved, this, [this] { mirrorEditor(Text1, Grid1); });
    connect(Grid2, &Grid::currentCellMoved, this, [this] { mirrorEditor(Text4, Grid2); });
    connect(Text1, &QLineEdit::textChanged, this, &Form1::Text1_Change);
    connect(Text4, &QLineEdit::textChanged, this, &Form1::Text4_Change);
    connect(solve, &QAction::triggered, this, &Form1::solve_Click);
    connect(back, &QAction::triggered, this, &Form1::back_Click);
    connect(exit, &QAction::triggered, this, &Form1::exit_Click);
    connect(about, &QAction::triggered, this, &Form1::about_Click);
}

void Form1::guardCoveredControls()
{
    auto* panel = new WidgetWatch(Frame1);
    connect(panel, &WidgetWatch::shown, this, [this] { setCoveredControlsEnabled(false); });
    connect(panel, &WidgetWatch::hidden, this, [this] { setCoveredControlsEnabled(true); });
}

void Form1::setCoveredControlsEnabled(bool enabled)
{
    // Disabled rather than only left out of the tab order: no key, access
    // key or shortcut can reach a cell the panel hides.
    const std::array<QWidget*, 4> covered{Text1, Grid2, Grid1, Text4};
    const auto isCovered
        = [&covered](QWidget* widget) { return std::find(covered.begin(), covered.end(), widget) != covered.end(); };
    if (!enabled) {
        QWidget* focus = focusWidget();
        focusBeforePanel_ = isCovered(focus) ? focus : Text1;
    }
    for (QWidget* control : covered)
        control->setEnabled(enabled);
    if (enabled && focusBeforePanel_) {
        QWidget* focus = focusWidget();
        if (!focus || !focus->isVisible() || !focus->isEnabled())
            focusBeforePanel_->setFocus(Qt::OtherFocusReason);
    }
}

void Form1::followClientSize()
{
    // The controls' places as they were built are their design places; the
    // design size is the client's least size.
    using Share = GrowingLayout::Share;
    auto* client = new GrowingLayout(client_->minimumSize(), client_);
    client->addWidget(Label1, Share::LeftColumn, false);
    client->addWidget(Text1, Share::LeftColumn, false);
    client->addWidget(Grid1, Share::LeftColumn, true);
    client->addWidget(Label2, Share::RightColumn, false);
    client->addWidget(Text4, Share::RightColumn, false);
    client->addWidget(Grid2, Share::RightColumn, true);
    client->addWidget(Frame1, Share::Whole, true);
    auto* panel = new GrowingLayout(Frame1->size(), Frame1);
    panel->addWidget(Grid3, Share::Whole, true);
}

void Form1::linkVerticalScroll()
{
    const auto follow = [this](Grid* from, Grid* to) {
        connect(from->verticalScrollBar(), &QScrollBar::valueChanged, this, [this, to](int value) {
            // Only a scroll of the user's is passed on: a table that cannot
            // go as far stops at its end without pulling the other one back.
            if (linkingScroll_)
                return;
            linkingScroll_ = true;
            to->verticalScrollBar()->setValue(value);
            linkingScroll_ = false;
        });
    };
    follow(Grid1, Grid2);
    follow(Grid2, Grid1);
}

void Form1::setAboutCommand(std::function<void()> showAbout)
{
    showAbout_ = std::move(showAbout);
}

void Form1::setProgramEnd(std::function<void()> endProgram)
{
    endProgram_ = std::move(endProgram);
}

void Form1::showModal()
{
    Form_Load();
    setWindowModality(Qt::ApplicationModal);
    show();
    activateWindow();
    Text1->setFocus();
    QEventLoop loop;
    modalLoop_ = &loop;
    if (!ending_)
        loop.exec(QEventLoop::DialogExec);
    modalLoop_ = nullptr;
}

void Form1::Form_Load()
{
    // Checked first, so that a count giving no usable N changes nothing.
    const std::optional<int> count = unknownCountFromText(countText_());
    if (!count)
        throw std::invalid_argument("the unknown count must be a whole number from 1 to 500");
    setUpTables(*count);
}

void Form1::setUpTables(int n)
{
    Grid3->setColWidth(1, 10585);
    curCol = 1;
    N = static_cast<std::int16_t>(n);
    Grid1->setCols(N + 1);
    Grid1->setRows(N + 1);
    Grid2->setRows(N + 1);
    Text1->setText(currentRowText());
    for (int i = 1; i <= N; ++i) {
        Grid1->setTextMatrix(0, i, QStringLiteral("X") + QString::number(i));
        Grid1->setTextMatrix(i, 0, QStringLiteral("EQ. NO.") + QString::number(i));
        Grid2->setTextMatrix(i, 0, QStringLiteral("EQ. NO.") + QString::number(i));
    }
    Timer1->start();
}

void Form1::Timer1_Timer()
{
    Label1->setText(QStringLiteral("Coefficients Matrix"));
}

void Form1::paintSelection(Grid* grid, QLineEdit* previousRow, QLineEdit* previousCol)
{
    const int r = grid->Row();
    const int c = grid->Col();
    const int pr = indexFromText(previousRow->text());
    const int pc = indexFromText(previousCol->text());
    grid->setRow(pr);
    grid->setCol(pc);
    grid->setCellBackColor(GridModel::normalColor);
    grid->setRow(0);
    grid->setCol(0);
    grid->setCellBackColor(GridModel::fixedColor);
    grid->setRow(r);
    grid->setCol(c);
    grid->setCellBackColor(GridModel::windowColor);
    previousRow->setText(QString::number(r));
    previousCol->setText(QString::number(c));
}

Form1::TableSide Form1::sideOf(Grid* table) const
{
    if (table == Grid2)
        return {Grid2, Text4, Text7, Text8};
    return {Grid1, Text1, Txt7, Txt8};
}

void Form1::Grid1_Click()
{
    clickOn(sideOf(Grid1));
}

void Form1::Grid2_Click()
{
    clickOn(sideOf(Grid2));
}

void Form1::clickOn(const TableSide& side)
{
    StatusBar1->setPanelText(4, QString());
    paintSelection(side.table, side.previousRow, side.previousCol);
    // The coefficients side sets it before the editor takes the cell's text
    // (its change handler widens that column), the constants side after.
    const bool coefficients = side.table == Grid1;
    if (coefficients)
        curCol = side.table->Col();
    side.editor->setFocus(Qt::MouseFocusReason);
    side.editor->setText(side.table->Text());
    if (!coefficients)
        curCol = side.table->Col();
    // Typing after a click replaces the text, as in a spreadsheet; a click
    // in the editor itself places the cursor.
    side.editor->selectAll();
    if (coefficients) {
        StatusBar1->setPanelText(1, QStringLiteral("X") + QString::number(Grid1->Col()));
        StatusBar1->setPanelText(2, QStringLiteral("EQ.") + QString::number(Grid1->Row()));
    } else {
        StatusBar1->setPanelText(3, QStringLiteral("C") + QString::number(Grid2->Row()));
    }
}

void Form1::Grid1_KeyPress()
{
    typeOn(sideOf(Grid1));
}

void Form1::Grid2_KeyPress()
{
    typeOn(sideOf(Grid2));
}

void Form1::typeOn(const TableSide& side)
{
    side.editor->setFocus(Qt::OtherFocusReason);
    side.editor->setText(side.table->Text());
    typeIntoEditor(side.editor);
}

bool Form1::editing() const
{
    return Frame1->isHidden();
}

void Form1::typeIntoEditor(QLineEdit* editor)
{
    const QString typed = exchange_->takeTypedText();
    if (typed.isEmpty())
        return;
    // As in a spreadsheet, typing on a cell replaces its text; as one edit
    // of the editor, so the editor's own undo brings the text back.
    editor->selectAll();
    editor->insert(typed);
}

void Form1::editCell(Grid* table)
{
    // The KeyPress steps without a character: the cell as it stands.
    const TableSide side = sideOf(table);
    typeOn(side);
    side.editor->end(false);
}

void Form1::enterInEditor(QLineEdit* editor, Grid* table, bool backwards)
{
    rectangularInEditor(editor);
    moveToNextCell(table, backwards);
}

void Form1::showCurrentCells()
{
    // An editor whose cell kept its text keeps its own undo too.
    if (Text1->text() != Grid1->Text())
        mirrorEditor(Text1, Grid1);
    if (Text4->text() != Grid2->Text())
        mirrorEditor(Text4, Grid2);
}

void Form1::mirrorEditor(QLineEdit* editor, Grid* grid)
{
    // The grid's keyboard navigation moved the current cell. The editor is
    // made to show that cell, so that what is typed next changes the cell
    // the user sees, and never copies the previous cell's text over it. The
    // change handler does not run: the cell already holds this text.
    const QSignalBlocker quiet(editor);
    editor->setText(grid->Text());
}

void Form1::Text1_Change()
{
    editorChanged(sideOf(Grid1));
}

void Form1::Text4_Change()
{
    editorChanged(sideOf(Grid2));
}

void Form1::editorChanged(const TableSide& side)
{
    side.table->setText(side.editor->text());
    // Only a coefficient column grows with what is typed into it.
    if (side.table != Grid1)
        return;
    const qsizetype length = characterCount(Grid1->Text());
    // A failing width change is ignored: the text is in the cell by now.
    try {
        const int width = Grid1->ColWidth(curCol);
        const long long wanted = static_cast<long long>(width) + 7LL * length;
        // Capped, so a huge text cannot make the column unusably wide; a
        // column the user made wider by hand is never narrowed.
        const int capped = static_cast<int>(std::min<long long>(wanted, maxTypedColumnTwips));
        Grid1->setColWidth(curCol, std::max(width, capped));
    } catch (const std::exception&) {
    }
}

void Form1::solve_Click()
{
    StatusBar1->setPanelText(4, QString());
    parted();
    partedb();
}

void Form1::back_Click()
{
    Frame1->hide();
    solve->setEnabled(true);
    back->setEnabled(false);
}

void Form1::exit_Click()
{
    endSession(true);
}

void Form1::about_Click()
{
    if (showAbout_)
        showAbout_();
}

void Form1::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (!ending_)
        endSession(false);
}

void Form1::endSession(bool hideWindow)
{
    recovery_->flush();
    ending_ = true;
    if (modalLoop_)
        modalLoop_->quit();
    // Exit hides the window itself; the close box's close hides it once
    // this returns.
    if (hideWindow)
        hide();
    endProgram_();
}

void Form1::parted()
{
    const auto n = static_cast<std::size_t>(N);
    if (CoefRe.size() != n) {
        CoefRe.assign(n, PartVector(n, PartValue::fromInteger(0)));
        CoefIm = CoefRe;
    }
    notes_.clear(CellPosition::Table::Coefficients);
    ScratchBox text9(Text9);
    text9.read([&] {
        for (curCol = 1; curCol <= N; ++curCol) {
            for (curRow = 1; *curRow <= N; curRow = *curRow + 1) {
                CellParts parts = text9.pass(Grid1->TextMatrix(*curRow, curCol));
                const auto r = static_cast<std::size_t>(*curRow - 1);
                const auto c = static_cast<std::size_t>(curCol - 1);
                notes_.note(text9.lastReading(), {CellPosition::Table::Coefficients, r + 1, c + 1});
                CoefRe[r][c] = std::move(parts.re);
                CoefIm[r][c] = std::move(parts.im);
            }
        }
    });
}

void Form1::partedb()
{
    const auto n = static_cast<std::size_t>(N);
    if (ConstRe.size() != n) {
        ConstRe.assign(n, PartValue::fromInteger(0));
        ConstIm = ConstRe;
    }
    curCol = 1;
    notes_.clear(CellPosition::Table::Constants);
    ScratchBox text9(Text9);
    text9.read([&] {
        for (curRow = 1; *curRow <= N; curRow = *curRow + 1) {
            CellParts parts = text9.pass(Grid2->TextMatrix(*curRow, 1));
            const auto r = static_cast<std::size_t>(*curRow - 1);
            notes_.note(text9.lastReading(), {CellPosition::Table::Constants, r + 1, 1});
            ConstRe[r] = std::move(parts.re);
            ConstIm[r] = std::move(parts.im);
        }
    });
    frm3grd();
}

void Form1::frm3grd()
{
    // Whatever a check still running finds belongs to the solution before.
    check_->forget();
    Frame1->show();
    Frame1->raise();
    Grid3->setRows(N + 1);
    for (curRow = 1; *curRow <= N; curRow = *curRow + 1) {
        Grid3->setCol(0);
        Grid3->setRow(*curRow);
        Grid3->setText(QStringLiteral("X") + QString::number(*curRow));
    }

    NumericSystem read;
    const SolveResult result = solveReadingFormulas(read);
    if (result.outcome == SolveOutcome::NoUniqueSolution) {
        messages_.show(MessageBox::Style::Stop, noSolutionMessage, QStringLiteral("KALVOR1"));
        back_Click();
        return;
    }

    if (result.outcome == SolveOutcome::DataError) {
        messages_.show(MessageBox::Style::Stop, dataErrorMessage, QStringLiteral("Check your data"));
        solve->setEnabled(true);
        back->setEnabled(false);
        Frame1->hide();
        pointAtDataError();
        return;
    }

    // Solved: every part is finite, so every text can be made, all of them
    // before the first is written.
    std::vector<QString> texts;
    texts.reserve(result.re.size());
    for (std::size_t k = 0; k < result.re.size(); ++k)
        texts.push_back(QString::fromStdString(resultText(result.re[k], result.im[k])));
    for (int k = 1; k <= N; ++k) {
        Grid3->setCol(1);
        Grid3->setRow(k);
        Grid3->setText(texts[static_cast<std::size_t>(k - 1)]);
    }
    solutionRe_ = result.re;
    solutionIm_ = result.im;
    showPolarColumn();
    solve->setEnabled(false);
    back->setEnabled(true);
    reportReadingNotes();
    // The result panel covers the editor lines: with the focus left there,
    // keys typed now would change cells the user cannot see.
    if (isVisible())
        Grid3->setFocus(Qt::OtherFocusReason);
    // Only now, with the results on screen, does the check begin.
    check_->start(std::move(read), solutionRe_, solutionIm_);
}

BlockPaste::Rows Form1::solutionNumbers() const
{
    return numberRows(solutionRe_, solutionIm_);
}

void Form1::moveToNextCell(Grid* table, bool backwards)
{
    // Along the equations as they are written: a row's coefficients, then
    // its constant, then the next row's first coefficient. The first
    // coefficient and the last constant are the ends; Enter stays there.
    const int r = std::max(1, table->Row());
    const int c = std::max(1, table->Col());
    const bool constant = table == Grid2;
    if (!backwards) {
        if (!constant && c < N)
            selectAsIfClicked(Grid1, r, c + 1);
        else if (!constant || r == N)
            selectAsIfClicked(Grid2, r, 1);
        else
            selectAsIfClicked(Grid1, r + 1, 1);
    } else {
        if (constant)
            selectAsIfClicked(Grid1, r, N);
        else if (c > 1)
            selectAsIfClicked(Grid1, r, c - 1);
        else if (r > 1)
            selectAsIfClicked(Grid2, r - 1, 1);
        else
            selectAsIfClicked(Grid1, 1, 1);
    }
}

void Form1::selectAsIfClicked(Grid* table, int row, int col)
{
    table->setRow(row);
    table->setCol(col);
    table->scrollTo(table->model()->index(row - 1, col - 1));
    clickOn(sideOf(table));
}

}  // namespace kalvor
