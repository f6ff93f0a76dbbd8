// The plot window of a sweep, through the table it is given: the curves,
// their gaps and marks, the choices, and what it saves and copies.
#include <cmath>
#include <memory>

#include <QApplication>
#include <QCheckBox>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QFile>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPushButton>
#include <QScatterSeries>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>

#include "messagerecorder.h"
#include "platform/filedialogs.h"
#include "startupsupport.h"
#include "windows/sweepplot.h"

using namespace kalvor;

namespace {

// Answers every save dialog with the next name given (none: cancelled).
class AnsweringDialogs final : public FileDialogs {
public:
    QStringList answers;
    QString openFileName(QWidget*, const QString&, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&, const QString&) override
    {
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
};

// Five unknowns, X_k = k v at value v (a real current), four points: the
// second failed, the third's check found wrong digits.
std::shared_ptr<const SweepTable> fiveUnknowns(SweepSpacing spacing)
{
    auto table = std::make_shared<SweepTable>();
    table->parameter = "v";
    table->spacing = spacing;
    table->unknowns = 5;
    for (const double v : {1.0, 2.0, 4.0, 8.0}) {
        SweepPoint p;
        p.value = v;
        if (v == 2) {
            p.outcome = SolveOutcome::DataError;
            p.problem = "EQ.1, X1: division by zero";
        } else {
            p.outcome = SolveOutcome::Solved;
            for (int k = 1; k <= 5; ++k) {
                p.re.push_back(k * v);
                p.im.push_back(0);
            }
            p.verdict = v == 4 ? CheckVerdict::Inaccurate : CheckVerdict::Correct;
        }
        table->points.push_back(p);
    }
    return table;
}

// The series of a chart named `name`, in order.
QList<QXYSeries*> seriesNamed(QChartView* view, const QString& name)
{
    QList<QXYSeries*> found;
    for (QAbstractSeries* s : view->chart()->series())
        if (s->name() == name)
            found << static_cast<QXYSeries*>(s);
    return found;
}

QList<QPointF> allPoints(const QList<QXYSeries*>& series)
{
    QList<QPointF> points;
    for (QXYSeries* s : series)
        points << s->points();
    return points;
}

}  // namespace

class SweepPlotTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void firstFourUnknownsAreDrawnWithGapsAndMarks();
    void choicesRedraw();
    void logarithmicSweepHasALogAxis();
    void pointUnderThePointerIsDescribed();
    void tableIsCopiedAndSaved();
    void plotIsSavedAsPngAndSvg();
    void screenshot();

private:
    QTemporaryDir scratch;
    AnsweringDialogs dialogs;
    MessageRecorder messages;
    std::unique_ptr<SweepPlot> plot;
    QChartView* magnitude = nullptr;
    QChartView* phase = nullptr;
};

void SweepPlotTest::init()
{
    messages.messages.clear();
    plot = std::make_unique<SweepPlot>(fiveUnknowns(SweepSpacing::Linear), dialogs, messages);
    plot->setAttribute(Qt::WA_DeleteOnClose, false);
    magnitude = plot->findChild<QChartView*>(QStringLiteral("magnitudeChart"));
    phase = plot->findChild<QChartView*>(QStringLiteral("phaseChart"));
    QVERIFY(magnitude && phase);
}

void SweepPlotTest::cleanup()
{
    plot.reset();
    QVERIFY(messages.messages.empty());
}

void SweepPlotTest::firstFourUnknownsAreDrawnWithGapsAndMarks()
{
    for (int k = 1; k <= 5; ++k) {
        auto* box = plot->findChild<QCheckBox*>(QStringLiteral("X%1").arg(k));
        QVERIFY(box);
        QCOMPARE(box->isChecked(), k <= 4);
        // X1 alone at v = 1, then a gap at the failed v = 2, then a line.
        const QList<QXYSeries*> curve = seriesNamed(magnitude, QStringLiteral("X%1").arg(k));
        QCOMPARE(curve.size(), k <= 4 ? 2 : 0);
        if (k > 4)
            continue;
        QVERIFY(qobject_cast<QScatterSeries*>(curve[0]));
        QVERIFY(qobject_cast<QLineSeries*>(curve[1]));
        QCOMPARE(allPoints(curve), (QList<QPointF>{{1, 1.0 * k}, {4, 4.0 * k}, {8, 8.0 * k}}));
        QCOMPARE(allPoints(seriesNamed(phase, QStringLiteral("X%1").arg(k))), (QList<QPointF>{{1, 0}, {4, 0}, {8, 0}}));
    }
    // The point whose check is not correct is marked on each curve drawn.
    const QList<QXYSeries*> marks = seriesNamed(magnitude, QStringLiteral("check not correct"));
    QCOMPARE(marks.size(), 1);
    QCOMPARE(marks[0]->points(), (QList<QPointF>{{4, 4}, {4, 8}, {4, 12}, {4, 16}}));
    QVERIFY(qobject_cast<QValueAxis*>(magnitude->chart()->axes(Qt::Horizontal).value(0)));
}

void SweepPlotTest::choicesRedraw()
{
    plot->findChild<QCheckBox*>(QStringLiteral("X1"))->setChecked(false);
    plot->findChild<QCheckBox*>(QStringLiteral("X5"))->setChecked(true);
    QCOMPARE(plot->shownUnknowns(), (std::vector<std::size_t>{1, 2, 3, 4}));
    QVERIFY(seriesNamed(magnitude, QStringLiteral("X1")).isEmpty());
    QCOMPARE(allPoints(seriesNamed(magnitude, QStringLiteral("X5"))), (QList<QPointF>{{1, 5}, {4, 20}, {8, 40}}));
    plot->findChild<QCheckBox*>(QStringLiteral("decibels"))->setChecked(true);
    const QList<QPointF> db = allPoints(seriesNamed(magnitude, QStringLiteral("X5")));
    QCOMPARE(db.size(), 3);
    QVERIFY(std::abs(db[1].y() - 20 * std::log10(20.0)) < 1e-9);
    // The phase does not change with the magnitude's scale.
    QCOMPARE(allPoints(seriesNamed(phase, QStringLiteral("X5"))), (QList<QPointF>{{1, 0}, {4, 0}, {8, 0}}));
}

void SweepPlotTest::logarithmicSweepHasALogAxis()
{
    SweepPlot log(fiveUnknowns(SweepSpacing::Logarithmic), dialogs, messages);
    log.setAttribute(Qt::WA_DeleteOnClose, false);
    auto* view = log.findChild<QChartView*>(QStringLiteral("magnitudeChart"));
    auto* axis = qobject_cast<QLogValueAxis*>(view->chart()->axes(Qt::Horizontal).value(0));
    QVERIFY(axis);
    QCOMPARE(axis->min(), 1.0);
    QCOMPARE(axis->max(), 8.0);
}

void SweepPlotTest::pointUnderThePointerIsDescribed()
{
    QCOMPARE(plot->pointText(1), QStringLiteral("v = 2: data error: EQ.1, X1: division by zero"));
    plot->findChild<QCheckBox*>(QStringLiteral("X3"))->setChecked(false);
    plot->findChild<QCheckBox*>(QStringLiteral("X4"))->setChecked(false);
    QCOMPARE(plot->pointText(2),
             QStringLiteral("v = 4:  X1 = 4 \u2220 0\u00b0  X2 = 8 \u2220 0\u00b0  (check: inaccurate)"));
}

void SweepPlotTest::tableIsCopiedAndSaved()
{
    const QString expected
        = QStringLiteral("v\tX1 re\tX1 im\tX2 re\tX2 im\tX3 re\tX3 im\tX4 re\tX4 im\tX5 re\tX5 im\tcheck\n"
                         "1\t1\t0\t2\t0\t3\t0\t4\t0\t5\t0\tcorrect\n"
                         "2\t\t\t\t\t\t\t\t\t\t\tdata error: EQ.1, X1: division by zero\n"
                         "4\t4\t0\t8\t0\t12\t0\t16\t0\t20\t0\tinaccurate\n"
                         "8\t8\t0\t16\t0\t24\t0\t32\t0\t40\t0\tcorrect\n");
    QTest::mouseClick(plot->findChild<QPushButton*>(QStringLiteral("copyTable")), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), expected);
    const QString path = scratch.filePath(QStringLiteral("table.tsv"));
    dialogs.answers = {path};
    plot->saveTable_Click();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), expected);
}

void SweepPlotTest::plotIsSavedAsPngAndSvg()
{
    plot->resize(800, 600);
    const QString png = scratch.filePath(QStringLiteral("plot.png"));
    const QString svg = scratch.filePath(QStringLiteral("plot.svg"));
    dialogs.answers = {png, svg, QString()};
    plot->savePlot_Click();
    plot->savePlot_Click();
    plot->savePlot_Click();  // cancelled: nothing written, no message
    QFile pngFile(png), svgFile(svg);
    QVERIFY(pngFile.open(QIODevice::ReadOnly));
    QVERIFY(pngFile.readAll().startsWith("\x89PNG"));
    QVERIFY(svgFile.open(QIODevice::ReadOnly));
    const QByteArray drawing = svgFile.readAll();
    QVERIFY(drawing.contains("<svg"));
    QVERIFY(drawing.contains("<polyline") || drawing.contains("<path"));
}

void SweepPlotTest::screenshot()
{
    const QString path = artifactPath(QStringLiteral("sweepplot.png"));
    if (path.isEmpty())
        QSKIP("KALVOR_ARTIFACTS is not set");
    plot->resize(1000, 700);
    plot->show();
    QVERIFY(QTest::qWaitForWindowExposed(plot.get()));
    QVERIFY(plot->grab().save(path));
}

QTEST_MAIN(SweepPlotTest)
#include "sweepplot_test.moc"
