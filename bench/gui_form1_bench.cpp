// The equation window at its largest, N = 500, on the offscreen platform:
// set-up, the reading of every coefficient cell (parted; the name is kept so
// runs stay comparable, the cells no longer pass one by one through the
// scratch box), and one whole Solve from the command to the filled table, and
// on to the check's verdict.
#include <sys/resource.h>

#include <complex>
#include <functional>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include <QApplication>
#include <QAction>
#include <QClipboard>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>

#include "core/core.h"
#include "platform/filedialogs.h"
#include "platform/grid.h"
#include "platform/statusbar.h"
#include "tests/messagerecorder.h"
#include "tests/windows/longcell.h"
#include "windows/form1.h"
#include "windows/systemparameters.h"

using namespace kalvor;

namespace {

constexpr int n = 500;

// Peak resident memory of the process so far, in MiB.
double peakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// A window for N = 500 with every cell filled: a diagonally dominant complex
// system, so that it has a unique solution.
std::unique_ptr<Form1> filledWindow(MessageRecorder& messages)
{
    auto form = std::make_unique<Form1>([] { return QString::number(n); }, messages);
    form->Form_Load();
    for (int r = 1; r <= n; ++r) {
        for (int c = 1; c <= n; ++c)
            form->findChild<Grid*>("Grid1")->setTextMatrix(
                r, c, r == c ? QStringLiteral("600+25i") : QStringLiteral("0.5-0.25i"));
        form->findChild<Grid*>("Grid2")->setTextMatrix(r, 1, QStringLiteral("%1-2j").arg(r));
    }
    return form;
}

const std::vector<Parameter> formulaParameters{{"a", "2.2k"}, {"b", "4.7"}, {"c", "1/3"}};

// The system of formula cells and its twin of plain numbers: every cell,
// the constants too, its own formula "=a*0.1234+j*b*0.5678-c" (21
// characters; N added on the diagonal, so the system is well conditioned);
// its twin has each cell's value typed as "re+imi" with the shortest digits.
// With `formulas` the window holds the formulas and the parameters.
std::unique_ptr<Form1> formulaWindow(MessageRecorder& messages, bool formulas)
{
    auto form = std::make_unique<Form1>([] { return QString::number(n); }, messages);
    form->Form_Load();
    if (formulas)
        form->systemParameters().set(formulaParameters);
    const ParameterValues values = evaluateParameters(formulaParameters);
    std::mt19937_64 random(20261208);
    std::uniform_int_distribution<int> digits(1000, 9999);
    for (int r = 1; r <= n; ++r) {
        for (int c = 1; c <= n + 1; ++c) {
            const std::string realDigits = std::to_string(digits(random));
            const std::string imagDigits = std::to_string(digits(random));
            std::string text = "=a*0." + realDigits + "+j*b*0." + imagDigits + "-c";
            if (r == c)
                text += "+" + std::to_string(n) + "k";
            if (!formulas) {
                std::string reason;
                const std::complex<double> v = fallbackValue(text, values, reason).value();
                text = shortestText(v.real()) + "+" + shortestText(v.imag()) + "i";
            }
            Grid* table = form->findChild<Grid*>(c <= n ? "Grid1" : "Grid2");
            table->setTextMatrix(r, c <= n ? c : 1, QString::fromStdString(text));
        }
    }
    return form;
}

// Runs the event loop until the check of the solution shown has handed back
// its verdict.
void waitForCheck(const Form1& form)
{
    while (form.state().checksRunning > 0)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void BM_Form1SetUp(benchmark::State& state)
{
    MessageRecorder messages;
    for (auto _ : state) {
        Form1 form([] { return QString::number(n); }, messages);
        form.Form_Load();
        form.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(form.findChild<Grid*>("Grid1")->Rows());
        state.PauseTiming();
        form.hide();
        state.ResumeTiming();
    }
    state.counters["peak_MiB"] = peakMiB();
}
BENCHMARK(BM_Form1SetUp)->Unit(benchmark::kMillisecond)->Iterations(7);

void BM_Form1ReadCellsThroughText9(benchmark::State& state)
{
    MessageRecorder messages;
    const auto form = filledWindow(messages);
    for (auto _ : state)
        form->parted();
    benchmark::DoNotOptimize(form->state().CoefRe.size());
    state.counters["cells"] = double(n) * n;
}
BENCHMARK(BM_Form1ReadCellsThroughText9)->Unit(benchmark::kMillisecond)->Iterations(5);

// Solve on the filled window, timed until the filled table is on screen, or
// until the check's verdict is in status panel 4 as well.
void solveRepeatedly(benchmark::State& state, bool untilChecked,
                     std::unique_ptr<Form1> (*makeWindow)(MessageRecorder&) = filledWindow)
{
    MessageRecorder messages;
    const auto form = makeWindow(messages);
    form->show();
    QApplication::processEvents();
    for (auto _ : state) {
        form->findChild<QAction*>("solve")->trigger();
        if (untilChecked)
            waitForCheck(*form);
        else
            QApplication::processEvents();
        state.PauseTiming();
        if (!messages.messages.empty() || form->findChild<Grid*>("Grid3")->TextMatrix(n, 1).isEmpty())
            throw std::runtime_error("the benchmark system did not solve");
        // The check started by this Solve would otherwise share the
        // processors with the next one.
        waitForCheck(*form);
        if (untilChecked
            && form->findChild<StatusBar*>("StatusBar1")->panelText(4) != QStringLiteral("Checked: all digits right"))
            throw std::runtime_error("the benchmark system was not checked right");
        form->findChild<QAction*>("back")->trigger();
        state.ResumeTiming();
    }
    state.counters["peak_MiB"] = peakMiB();
}

// The formula system's twin of plain numbers.
void BM_Form1Solve(benchmark::State& state)
{
    solveRepeatedly(state, false, [](MessageRecorder& messages) { return formulaWindow(messages, false); });
}
BENCHMARK(BM_Form1Solve)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same system with every cell typed as a formula.
void BM_Form1SolveFormulas(benchmark::State& state)
{
    solveRepeatedly(state, false, [](MessageRecorder& messages) { return formulaWindow(messages, true); });
}
BENCHMARK(BM_Form1SolveFormulas)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_Form1SolveUntilChecked(benchmark::State& state)
{
    solveRepeatedly(state, true);
}
BENCHMARK(BM_Form1SolveUntilChecked)->Unit(benchmark::kMillisecond)->Iterations(5);

// The system as a spreadsheet puts it on the clipboard: N rows of N + 1
// fields (coefficients, then the constant), every field 20 characters.
QString augmentedBlock()
{
    QString text;
    text.reserve(n * (n + 1) * 21);
    for (int r = 1; r <= n; ++r) {
        for (int c = 1; c <= n + 1; ++c) {
            text += QStringLiteral("%1.%2-2.5i").arg(r, 5, 10, QLatin1Char('0')).arg(c, 9, 10, QLatin1Char('0'));
            text += QLatin1Char(c <= n ? '\t' : '\n');
        }
    }
    return text;
}

void pressOn(QWidget* widget, Qt::Key key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::ControlModifier);
    QApplication::sendEvent(widget, &press);
}

std::unique_ptr<Form1> shownEmptyWindow(MessageRecorder& messages)
{
    auto form = std::make_unique<Form1>([] { return QString::number(n); }, messages);
    form->Form_Load();
    form->show();
    QApplication::processEvents();
    return form;
}

// Ctrl+V of the whole augmented system on Grid1 at (1, 1), until the event
// loop is free again (column fitting and repaint included).
void BM_Form1PasteAugmentedBlock(benchmark::State& state)
{
    MessageRecorder messages;
    const auto form = shownEmptyWindow(messages);
    QGuiApplication::clipboard()->setText(augmentedBlock());
    form->findChild<Grid*>("Grid1")->setFocus();
    for (auto _ : state) {
        pressOn(form->findChild<Grid*>("Grid1"), Qt::Key_V);
        QApplication::processEvents();
        state.PauseTiming();
        if (form->findChild<Grid*>("Grid2")->TextMatrix(n, 1).isEmpty() || !messages.messages.empty())
            throw std::runtime_error("the block was not pasted whole");
        state.counters["peak_MiB"] = peakMiB();
        form->findChild<TableExchange*>()->undoPaste();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Form1PasteAugmentedBlock)->Unit(benchmark::kMillisecond)->Iterations(3);

// Ctrl+Z on Grid1 after that paste.
void BM_Form1UndoAugmentedPaste(benchmark::State& state)
{
    MessageRecorder messages;
    const auto form = shownEmptyWindow(messages);
    QGuiApplication::clipboard()->setText(augmentedBlock());
    form->findChild<Grid*>("Grid1")->setFocus();
    for (auto _ : state) {
        state.PauseTiming();
        pressOn(form->findChild<Grid*>("Grid1"), Qt::Key_V);
        QApplication::processEvents();
        state.ResumeTiming();
        pressOn(form->findChild<Grid*>("Grid1"), Qt::Key_Z);
        QApplication::processEvents();
        state.PauseTiming();
        if (!form->findChild<Grid*>("Grid2")->TextMatrix(n, 1).isEmpty())
            throw std::runtime_error("the paste was not undone");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Form1UndoAugmentedPaste)->Unit(benchmark::kMillisecond)->Iterations(3);

// "Copy system" of the full window: N lines of N + 1 fields.
void BM_Form1CopySystem(benchmark::State& state)
{
    MessageRecorder messages;
    const auto form = filledWindow(messages);
    for (auto _ : state) {
        form->findChild<TableExchange*>()->copySystem();
        benchmark::DoNotOptimize(QGuiApplication::clipboard()->text().size());
    }
}
BENCHMARK(BM_Form1CopySystem)->Unit(benchmark::kMillisecond)->Iterations(5);

// Save system as of the full window (about 5 MB), the write the recovery
// file makes on the user-interface thread: the rows, the text, a temporary
// file flushed, synced and renamed.
class NameGiver final : public FileDialogs {
public:
    QString path;
    QString openFileName(QWidget*, const QString&, const QString&) override { return path; }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&, const QString&) override
    {
        return path;
    }
};

void BM_Form1SaveSystem(benchmark::State& state)
{
    MessageRecorder messages;
    const auto form = filledWindow(messages);
    const QTemporaryDir folder;
    NameGiver names;
    names.path = folder.filePath(QStringLiteral("system.tsv"));
    form->setFileDialogs(names);
    for (auto _ : state)
        form->findChild<QAction*>("saveSystemAs")->trigger();
    if (!messages.messages.empty() || QFileInfo(names.path).size() < n * n)
        throw std::runtime_error("the system was not saved");
}
BENCHMARK(BM_Form1SaveSystem)->Unit(benchmark::kMillisecond)->Iterations(5);

// How long one action on a cell of a million characters keeps the event
// loop from running: the longest gap between 10 ms heartbeats, in this
// thread's processor time, while the action runs and the window repaints.
// action 0: Ctrl+A, Ctrl+V of the cell into Text1; 1: End and "+3" typed
// after it; 2: Solve with a million-character coefficient and constant. On
// an idle machine each stays well under a second; the long-cell test only
// guards against a hang.
void BM_Form1LongCellBlock(benchmark::State& state)
{
    const auto action = state.range(0);
    const QString text = longCellContent(0);
    for (auto _ : state) {
        MessageRecorder messages;
        Form1 form([] { return QStringLiteral("1"); }, messages);
        form.Form_Load();
        form.show();
        form.findChild<QLineEdit*>("Text1")->setFocus();
        QApplication::processEvents();
        QGuiApplication::clipboard()->setText(text);
        const auto paste = [&] {
            QTest::keyClick(form.findChild<QLineEdit*>("Text1"), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(form.findChild<QLineEdit*>("Text1"), Qt::Key_V, Qt::ControlModifier);
        };
        std::function<void()> measured = paste;
        if (action == 1) {
            paste();
            measured = [&] {
                QTest::keyClick(form.findChild<QLineEdit*>("Text1"), Qt::Key_End);
                QTest::keyClicks(form.findChild<QLineEdit*>("Text1"), QStringLiteral("+3"));
            };
        } else if (action == 2) {
            form.findChild<Grid*>("Grid1")->setTextMatrix(1, 1, text);
            form.findChild<Grid*>("Grid2")->setTextMatrix(1, 1, text);
            measured = [&] { form.findChild<QAction*>("solve")->trigger(); };
        }
        const Block block = longestBlock(measured, 60000);
        if (!block.ended)
            throw std::runtime_error("the action did not end within a minute");
        state.SetIterationTime(static_cast<double>(block.threadMs) / 1000.0);
        state.counters["wall_ms"] = static_cast<double>(block.wallMs);
    }
}
BENCHMARK(BM_Form1LongCellBlock)
    ->ArgName("action")
    ->DenseRange(0, 2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The windows' recovery files go to a scratch folder, not the home.
    const QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
