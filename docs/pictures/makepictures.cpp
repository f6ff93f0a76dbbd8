// Makes the README's pictures of the windows: builds the equation window and
// the about window as the program does, offscreen, types a system into the
// equation window through its own handlers, solves it, and saves what each
// window shows (the equation window before and after Solve, once the check's
// verdict is in, a solution with wrong digits, and an AC circuit typed with
// its component values as parameters and its impedances as formulas, beside
// its Parameters window, then solved). Run by
// scripts/make-pictures.sh; the one argument is the folder the PNG files go
// to.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include <QApplication>
#include <QDialog>
#include <QPainter>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>

#include "platform/filedialogs.h"
#include "platform/grid.h"
#include "platform/messagebox.h"
#include "platform/os/systemadapters.h"
#include "windows/form1.h"
#include "windows/sweepdialog.h"
#include "windows/sweepplot.h"
#include "windows/frmabout.h"
#include "windows/systemparameters.h"

namespace {

// No box is shown: a message here means the picture would be wrong.
class FailingMessages final : public kalvor::MessageBox {
public:
    void show(Style, const QString& message, const QString&) override
    {
        std::fprintf(stderr, "make-pictures: unexpected message: %s\n", qPrintable(message));
        failed = true;
    }
    bool failed = false;
};

// Three meshes of an AC circuit: impedances in ohms, sources in volts.
const char* const impedances[3][3] = {
    {"10+5i", "-5i", "0"},
    {"-5i", "8+2i", "-3"},
    {"0", "-3", "6-4j"},
};
const char* const sources[3] = {"12", "0", "-5+5i"};

// A first pivot of 1E-12: the defined elimination shows X1 with wrong digits.
const char* const tinyPivot[3][3] = {
    {"1E-12", "2", "0"},
    {"1", "1", "1i"},
    {"0", "1", "2"},
};
const char* const tinyPivotConstants[3] = {"1+i", "3", "3-2i"};

// The same kind of circuit at 50 Hz as the engineer writes it: component
// values as parameters, each mesh impedance a formula of them (C1 is shared
// by meshes 1 and 2, R3 by meshes 2 and 3; R2 and R4 are in parallel).
const std::vector<kalvor::Parameter> circuitParameters{
    {"f", "50"},   {"w", "2*pi*f"}, {"R1", "10"}, {"L1", "22m"}, {"C1", "470u"},
    {"R2", "4.7"}, {"R4", "47"},    {"R3", "15"}, {"L2", "10m"}, {"C2", "220u"},
};
const char* const circuit[3][3] = {
    {"=R1 + j*w*L1 + 1/(j*w*C1)", "=-1/(j*w*C1)", "0"},
    {"=-1/(j*w*C1)", "=1/(j*w*C1) + R2||R4 + R3", "=-R3"},
    {"0", "=-R3", "=R3 + j*w*L2 + 1/(j*w*C2)"},
};
const char* const circuitSources[3] = {"=230", "0", "=110<150"};

// The plot window's save dialogs are never asked for here.
class NoFileDialogs final : public kalvor::FileDialogs {
public:
    QString openFileName(QWidget*, const QString&, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&, const QString&) override
    {
        return {};
    }
};

// Two windows side by side in one picture, as they stand on the screen.
QPixmap sideBySide(QWidget& left, QWidget& right)
{
    QApplication::processEvents();
    const QPixmap a = left.grab(), b = right.grab();
    constexpr int gap = 12;
    QPixmap both(a.width() + gap + b.width(), std::max(a.height(), b.height()));
    both.fill(QColor(0xE0, 0xE0, 0xE0));
    QPainter painter(&both);
    painter.drawPixmap(0, 0, a);
    painter.drawPixmap(a.width() + gap, 0, b);
    return both;
}

// Until the check of the solution shown has handed back its verdict.
void waitForCheck(const kalvor::Form1& form)
{
    while (form.state().checksRunning > 0)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Types `text` into the cell at (row, col) the way a click and the editor
// line do it, so the columns grow as they do for a user.
void typeInto(kalvor::Grid* grid, QLineEdit* editor, void (kalvor::Form1::*click)(), kalvor::Form1& form, int row,
              int col, const char* text)
{
    grid->setRow(row);
    grid->setCol(col);
    (form.*click)();
    editor->setText(QString::fromUtf8(text));
}

void typeSystem(kalvor::Form1& form, const char* const a[3][3], const char* const b[3])
{
    for (int r = 1; r <= 3; ++r) {
        for (int c = 1; c <= 3; ++c)
            typeInto(form.findChild<kalvor::Grid*>("Grid1"), form.findChild<QLineEdit*>("Text1"),
                     &kalvor::Form1::Grid1_Click, form, r, c, a[r - 1][c - 1]);
        typeInto(form.findChild<kalvor::Grid*>("Grid2"), form.findChild<QLineEdit*>("Text4"),
                 &kalvor::Form1::Grid2_Click, form, r, 1, b[r - 1]);
    }
}

bool save(QWidget& window, const QDir& folder, const char* name)
{
    QApplication::processEvents();
    const QString path = folder.filePath(QString::fromUtf8(name));
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "make-pictures: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("make-pictures: wrote %s\n", qPrintable(path));
    return true;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The window's recovery file goes to a scratch folder, not the home.
    const QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: makepictures <folder for the PNG files>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    FailingMessages messages;

    kalvor::Form1 equations([] { return QStringLiteral("3"); }, messages);
    equations.Form_Load();
    equations.show();
    typeSystem(equations, impedances, sources);
    equations.Timer1_Timer();  // the title the window shows after its first seconds
    bool saved = save(equations, folder, "equation-window-input.png");
    equations.solve_Click();
    waitForCheck(equations);

    kalvor::Form1 wrongDigits([] { return QStringLiteral("3"); }, messages);
    wrongDigits.Form_Load();
    wrongDigits.show();
    typeSystem(wrongDigits, tinyPivot, tinyPivotConstants);
    wrongDigits.Timer1_Timer();
    wrongDigits.solve_Click();
    waitForCheck(wrongDigits);
    saved = saved && save(wrongDigits, folder, "equation-window-wrong-digits.png");

    const std::unique_ptr<kalvor::Registry> registry = kalvor::makeSystemRegistry();
    const std::unique_ptr<kalvor::Launcher> launcher = kalvor::makeSystemLauncher();
    kalvor::frmAbout about(*registry, *launcher, messages);
    about.show();

    saved = saved && save(equations, folder, "equation-window.png") && save(about, folder, "about-window.png");

    kalvor::Form1 ac([] { return QStringLiteral("3"); }, messages);
    ac.Form_Load();
    ac.show();
    ac.systemParameters().set(circuitParameters);
    typeSystem(ac, circuit, circuitSources);
    // Widened as a user drags the column borders, so the formulas show whole.
    for (int c = 1; c <= 3; ++c)
        ac.findChild<kalvor::Grid*>("Grid1")->setColWidth(c, 2900);
    ac.Timer1_Timer();
    ac.parameters_Click();
    auto* parameters = ac.findChild<QDialog*>(QStringLiteral("parametersWindow"));
    parameters->resize(560, 460);
    const QString typed = folder.filePath(QStringLiteral("equation-window-formulas.png"));
    saved = saved && sideBySide(ac, *parameters).save(typed);
    std::printf("make-pictures: wrote %s\n", qPrintable(typed));
    ac.solve_Click();
    waitForCheck(ac);
    saved = saved && save(ac, folder, "equation-window-formulas-solved.png");

    // The same circuit swept from 5 Hz to 500 Hz, as Tools > Sweep… does it.
    ac.back_Click();
    std::vector<std::vector<std::string>> rows;
    for (int r = 0; r < 3; ++r)
        rows.push_back({circuit[r][0], circuit[r][1], circuit[r][2], circuitSources[r]});
    NoFileDialogs noDialogs;
    kalvor::SweepDialog sweep(rows, circuitParameters, noDialogs, messages, &ac);
    sweep.findChild<QComboBox*>(QStringLiteral("parameter"))->setCurrentText(QStringLiteral("f"));
    sweep.findChild<QLineEdit*>(QStringLiteral("from"))->setText(QStringLiteral("5"));
    sweep.findChild<QLineEdit*>(QStringLiteral("to"))->setText(QStringLiteral("500"));
    sweep.findChild<QSpinBox*>(QStringLiteral("points"))->setValue(401);
    sweep.findChild<QRadioButton*>(QStringLiteral("logarithmic"))->setChecked(true);
    kalvor::SweepPlot* plot = nullptr;
    QObject::connect(&sweep, &kalvor::SweepDialog::plotOpened, [&plot](kalvor::SweepPlot* opened) { plot = opened; });
    sweep.run_Click();
    while (plot == nullptr && sweep.problem().isEmpty())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (plot == nullptr) {
        std::fprintf(stderr, "make-pictures: the sweep did not finish: %s\n", qPrintable(sweep.problem()));
        return 1;
    }
    plot->resize(1000, 640);
    saved = saved && save(*plot, folder, "sweep-plot.png");
    return saved && !messages.failed ? 0 : 1;
}
