// The sweep dialog: its proposals, the problems it refuses before anything
// runs, a sweep run off the window's thread into a plot window, and Cancel.
#include <complex>
#include <memory>
#include <numbers>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include "messagerecorder.h"
#include "platform/filedialogs.h"
#include "startupsupport.h"
#include "windows/sweepdialog.h"
#include "windows/sweepplot.h"

using namespace kalvor;

namespace {

class NoDialogs final : public FileDialogs {
public:
    QString openFileName(QWidget*, const QString&, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&, const QString&) override
    {
        return {};
    }
};

// A series RLC circuit driven by 1 V: X1 the current, X2 the capacitor's
// voltage.
const std::vector<std::vector<std::string>> Rlc = {{"=R + j*w*L", "1", "1"}, {"1", "=-j*w*C", "0"}};
const std::vector<Parameter> RlcParameters = {{"R", "10"}, {"L", "100m"}, {"C", "1u"}, {"f", "50"}, {"w", "2*pi*f"}};

// n equations, X_k = 1 / (k + f): quick to state, slow enough to sweep that
// Cancel comes before the end.
std::vector<std::vector<std::string>> diagonal(std::size_t n)
{
    std::vector<std::vector<std::string>> rows(n, std::vector<std::string>(n + 1, "0"));
    for (std::size_t i = 0; i < n; ++i) {
        rows[i][i] = "=" + std::to_string(i + 1) + " + f";
        rows[i][n] = "1";
    }
    return rows;
}

}  // namespace

class SweepDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void proposesEndsAroundTheParameter();
    void refusesBeforeAnythingRuns_data();
    void refusesBeforeAnythingRuns();
    void finishedSweepOpensItsPlot();
    void cancelStopsTheSweep();
    void withoutParametersNothingRuns();

private:
    void choose(SweepDialog& dialog, const QString& from, const QString& to, int points, bool log);

    NoDialogs dialogs;
    MessageRecorder messages;
    std::unique_ptr<QWidget> owner;
};

void SweepDialogTest::init()
{
    qRegisterMetaType<SweepPlot*>();
    owner = std::make_unique<QWidget>();
    messages.messages.clear();
}

void SweepDialogTest::cleanup()
{
    owner.reset();
    QVERIFY(messages.messages.empty());
}

void SweepDialogTest::choose(SweepDialog& dialog, const QString& from, const QString& to, int points, bool log)
{
    dialog.findChild<QLineEdit*>(QStringLiteral("from"))->setText(from);
    dialog.findChild<QLineEdit*>(QStringLiteral("to"))->setText(to);
    dialog.findChild<QSpinBox*>(QStringLiteral("points"))->setValue(points);
    dialog.findChild<QRadioButton*>(log ? QStringLiteral("logarithmic") : QStringLiteral("linear"))->setChecked(true);
}

void SweepDialogTest::proposesEndsAroundTheParameter()
{
    SweepDialog dialog(Rlc, RlcParameters, dialogs, messages, owner.get());
    auto* parameter = dialog.findChild<QComboBox*>(QStringLiteral("parameter"));
    QCOMPARE(parameter->count(), 5);
    parameter->setCurrentText(QStringLiteral("f"));
    QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("from"))->text(), QStringLiteral("5"));
    QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("to"))->text(), QStringLiteral("500"));
    QVERIFY(dialog.findChild<QRadioButton*>(QStringLiteral("logarithmic"))->isChecked());
    QCOMPARE(dialog.problem(), QString());
}

void SweepDialogTest::refusesBeforeAnythingRuns_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("points");
    QTest::addColumn<bool>("log");
    QTest::addColumn<int>("unknowns");
    QTest::addColumn<QString>("problem");
    QTest::newRow("unknown name") << "x"
                                  << "1" << 10 << false << 2 << "From: unknown name x";
    QTest::newRow("complex end") << "1"
                                 << "1+j" << 10 << false << 2 << "To: not a real number";
    QTest::newRow("log through zero") << "0"
                                      << "1k" << 10 << true << 2 << "A logarithmic sweep needs both ends above zero.";
    QTest::newRow("table too large") << "1"
                                     << "2" << 100000 << false << 101
                                     << "A sweep of 100000 points over 101 unknowns would keep 100000 x 101 values; "
                                        "at most 10000000 fit (about 160 MB): use fewer points.";
}

void SweepDialogTest::refusesBeforeAnythingRuns()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(int, points);
    QFETCH(bool, log);
    QFETCH(int, unknowns);
    QFETCH(QString, problem);
    SweepDialog dialog(unknowns == 2 ? Rlc : diagonal(static_cast<std::size_t>(unknowns)), RlcParameters, dialogs,
                       messages, owner.get());
    QSignalSpy opened(&dialog, &SweepDialog::plotOpened);
    dialog.findChild<QComboBox*>(QStringLiteral("parameter"))->setCurrentText(QStringLiteral("f"));
    choose(dialog, from, to, points, log);
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("run")), Qt::LeftButton);
    QVERIFY(!dialog.running());
    QCOMPARE(dialog.problem(), problem);
    QCOMPARE(dialog.findChild<QProgressBar*>(QStringLiteral("progress"))->value(), 0);
    QCOMPARE(opened.count(), 0);
}

void SweepDialogTest::finishedSweepOpensItsPlot()
{
    SweepDialog dialog(Rlc, RlcParameters, dialogs, messages, owner.get());
    QSignalSpy opened(&dialog, &SweepDialog::plotOpened);
    dialog.findChild<QComboBox*>(QStringLiteral("parameter"))->setCurrentText(QStringLiteral("f"));
    choose(dialog, QStringLiteral("100"), QStringLiteral("10k"), 41, true);
    dialog.run_Click();
    QTRY_COMPARE_WITH_TIMEOUT(opened.count(), 1, 20000);
    auto* plot = opened.at(0).at(0).value<SweepPlot*>();
    QVERIFY(plot);
    QCOMPARE(plot->parentWidget(), owner.get());
    const SweepTable& table = plot->table();
    QCOMPARE(table.parameter, std::string("f"));
    QCOMPARE(table.points.size(), std::size_t{41});
    QCOMPARE(table.points.front().value, 100.0);
    QCOMPARE(table.points.back().value, 10000.0);
    // The current at each point is the closed form's, 1 / (R + jwL + 1/(jwC)).
    for (const SweepPoint& p : table.points) {
        QCOMPARE(p.outcome, SolveOutcome::Solved);
        const double w = 2 * std::numbers::pi * p.value;
        const std::complex<double> exact = 1.0 / std::complex<double>(10, w * 0.1 - 1 / (w * 1e-6));
        QVERIFY(std::abs(std::complex<double>(p.re[0], p.im[0]) - exact) < 1e-12 * std::abs(exact));
    }
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const QString path = artifactPath(QStringLiteral("sweep-rlc.png"));
    if (!path.isEmpty()) {
        plot->resize(1000, 700);
        QVERIFY(plot->grab().save(path));
    }
}

void SweepDialogTest::cancelStopsTheSweep()
{
    SweepDialog dialog(diagonal(60), {{"f", "1"}}, dialogs, messages, owner.get());
    QSignalSpy opened(&dialog, &SweepDialog::plotOpened);
    choose(dialog, QStringLiteral("1"), QStringLiteral("2"), 100000, false);
    dialog.show();
    dialog.run_Click();
    QVERIFY(dialog.running());
    auto* progress = dialog.findChild<QProgressBar*>(QStringLiteral("progress"));
    QTRY_VERIFY_WITH_TIMEOUT(progress->value() > 0, 20000);
    QVERIFY(!dialog.findChild<QPushButton*>(QStringLiteral("run"))->isEnabled());
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("cancel")), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.running(), 20000);
    QTest::qWait(50);
    QCOMPARE(opened.count(), 0);
    QCOMPARE(dialog.problem(), QStringLiteral("Cancelled."));
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.findChild<QPushButton*>(QStringLiteral("run"))->isEnabled());
}

void SweepDialogTest::withoutParametersNothingRuns()
{
    SweepDialog dialog(Rlc, {}, dialogs, messages, owner.get());
    QCOMPARE(dialog.problem(),
             QStringLiteral("The system has no parameter to sweep: add one with Tools > Parameters\u2026"));
    dialog.run_Click();
    QVERIFY(!dialog.running());
}

QTEST_MAIN(SweepDialogTest)
#include "sweepdialog_test.moc"
