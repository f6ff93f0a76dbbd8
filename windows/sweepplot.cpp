#include "windows/sweepplot.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScatterSeries>
#include <QScrollArea>
#include <QSvgGenerator>
#include <QValueAxis>
#include <QVBoxLayout>

#include "platform/filedialogs.h"
#include "platform/messagebox.h"
#include "platform/savedfile.h"

namespace kalvor {

namespace {

// The unknowns drawn when the window opens.
constexpr std::size_t InitiallyShown = 4;

// One colour per unknown, repeating after ten.
QColor unknownColour(std::size_t unknown)
{
    static const QColor colours[] = {
        QColor(31, 119, 180), QColor(255, 127, 14),  QColor(44, 160, 44),   QColor(214, 39, 40),  QColor(148, 103, 189),
        QColor(140, 86, 75),  QColor(227, 119, 194), QColor(127, 127, 127), QColor(188, 189, 34), QColor(23, 190, 207)};
    return colours[unknown % std::size(colours)];
}

QString number(double value)
{
    // QString::number ignores the locale.
    return QString::number(value, 'g', 6);
}

}  // namespace

SweepPlot::SweepPlot(std::shared_ptr<const SweepTable> table, FileDialogs& dialogs, MessageBox& messages,
                     QWidget* parent)
    : QWidget(parent, Qt::Window), table_(std::move(table)), dialogs_(dialogs), messages_(messages)
{
    setUpWindow();
    setUpCharts();
    setUpChoices();
    redraw();
}

void SweepPlot::setUpWindow()
{
    setObjectName(QStringLiteral("SweepPlot"));
    setAttribute(Qt::WA_DeleteOnClose);
    const QString parameter = QString::fromStdString(table_->parameter);
    setWindowTitle(QStringLiteral("Sweep of %1 (%2 points)").arg(parameter).arg(table_->points.size()));
    resize(1000, 700);
}

void SweepPlot::setUpCharts()
{
    plotArea_ = new QWidget(this);
    plotArea_->setObjectName(QStringLiteral("plotArea"));
    auto* charts = new QVBoxLayout(plotArea_);
    charts->setContentsMargins(0, 0, 0, 0);
    for (QChartView** view : {&magnitudeView_, &phaseView_}) {
        auto* chart = new QChart();
        chart->legend()->setAlignment(Qt::AlignRight);
        *view = new QChartView(chart, plotArea_);
        (*view)->setRenderHint(QPainter::Antialiasing);
        (*view)->setMouseTracking(true);
        (*view)->viewport()->setMouseTracking(true);
        (*view)->viewport()->installEventFilter(this);
        charts->addWidget(*view);
    }
    magnitudeView_->setObjectName(QStringLiteral("magnitudeChart"));
    phaseView_->setObjectName(QStringLiteral("phaseChart"));

    pointerValue_ = new QLabel(QStringLiteral("Point at the plot to read its values."), this);
    pointerValue_->setObjectName(QStringLiteral("pointerValue"));
    pointerValue_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* left = new QVBoxLayout();
    left->addWidget(plotArea_, 1);
    left->addWidget(pointerValue_);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
}

void SweepPlot::setUpChoices()
{
    auto* side = new QVBoxLayout();
    decibels_ = new QCheckBox(QStringLiteral("Magnitude in &dB"), this);
    decibels_->setObjectName(QStringLiteral("decibels"));
    side->addWidget(decibels_);

    auto* list = new QWidget();
    auto* boxes = new QVBoxLayout(list);
    for (std::size_t k = 0; k < table_->unknowns; ++k) {
        auto* box = new QCheckBox(QStringLiteral("X%1").arg(k + 1), list);
        box->setObjectName(QStringLiteral("X%1").arg(k + 1));
        box->setChecked(k < InitiallyShown);
        QPalette palette = box->palette();
        palette.setColor(QPalette::WindowText, unknownColour(k));
        box->setPalette(palette);
        boxes->addWidget(box);
        unknowns_.push_back(box);
        connect(box, &QCheckBox::toggled, this, &SweepPlot::redraw);
    }
    boxes->addStretch(1);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("unknowns"));
    scroll->setWidget(list);
    scroll->setWidgetResizable(true);
    scroll->setMinimumWidth(120);
    side->addWidget(scroll, 1);

    savePlot_ = new QPushButton(QStringLiteral("Save &plot as\u2026"), this);
    savePlot_->setObjectName(QStringLiteral("savePlot"));
    saveTable_ = new QPushButton(QStringLiteral("Save &table as\u2026"), this);
    saveTable_->setObjectName(QStringLiteral("saveTable"));
    copyTable_ = new QPushButton(QStringLiteral("&Copy table"), this);
    copyTable_->setObjectName(QStringLiteral("copyTable"));
    for (QPushButton* button : {savePlot_, saveTable_, copyTable_})
        side->addWidget(button);
    static_cast<QHBoxLayout*>(layout())->addLayout(side);

    connect(decibels_, &QCheckBox::toggled, this, &SweepPlot::redraw);
    connect(savePlot_, &QPushButton::clicked, this, &SweepPlot::savePlot_Click);
    connect(saveTable_, &QPushButton::clicked, this, &SweepPlot::saveTable_Click);
    connect(copyTable_, &QPushButton::clicked, this, &SweepPlot::copyTable_Click);
}

std::vector<std::size_t> SweepPlot::shownUnknowns() const
{
    std::vector<std::size_t> shown;
    for (std::size_t k = 0; k < unknowns_.size(); ++k)
        if (unknowns_[k]->isChecked())
            shown.push_back(k);
    return shown;
}

void SweepPlot::redraw()
{
    const bool db = decibels_->isChecked();
    drawChart(magnitudeView_->chart(), db ? PlotQuantity::MagnitudeDb : PlotQuantity::Magnitude,
              db ? QStringLiteral("magnitude (dB)") : QStringLiteral("magnitude"));
    drawChart(phaseView_->chart(), PlotQuantity::Phase, QStringLiteral("phase (degrees)"));
}

void SweepPlot::drawChart(QChart* chart, PlotQuantity quantity, const QString& title)
{
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes())
        chart->removeAxis(axis), delete axis;

    const QString parameter = QString::fromStdString(table_->parameter);
    QAbstractAxis* x = nullptr;
    if (table_->spacing == SweepSpacing::Logarithmic) {
        auto* log = new QLogValueAxis();
        log->setBase(10);
        log->setLabelFormat(QStringLiteral("%g"));
        log->setMinorTickCount(-1);
        x = log;
    } else {
        auto* linear = new QValueAxis();
        linear->setLabelFormat(QStringLiteral("%g"));
        x = linear;
    }
    x->setTitleText(parameter);
    auto* y = new QValueAxis();
    y->setTitleText(title);
    y->setLabelFormat(QStringLiteral("%g"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);

    double low = std::numeric_limits<double>::infinity(), high = -low;
    const auto attach = [&](QXYSeries* series) {
        chart->addSeries(series);
        series->attachAxis(x);
        series->attachAxis(y);
    };
    for (const std::size_t k : shownUnknowns()) {
        bool first = true;
        for (const PlotRun& run : plotRuns(*table_, k, quantity)) {
            // A point alone between gaps is drawn as a dot.
            QXYSeries* series = run.size() == 1 ? static_cast<QXYSeries*>(new QScatterSeries())
                                                : static_cast<QXYSeries*>(new QLineSeries());
            if (auto* dot = qobject_cast<QScatterSeries*>(series))
                dot->setMarkerSize(6);
            series->setName(QStringLiteral("X%1").arg(k + 1));
            series->setColor(unknownColour(k));
            QList<QPointF> points;
            points.reserve(static_cast<qsizetype>(run.size()));
            for (const auto& [v, q] : run) {
                points.append(QPointF(v, q));
                low = std::min(low, q);
                high = std::max(high, q);
            }
            series->replace(points);
            attach(series);
            // One legend entry per unknown, however many runs it has.
            if (!first)
                for (QLegendMarker* marker : chart->legend()->markers(series))
                    marker->setVisible(false);
            first = false;
        }
    }
    auto* doubtful = new QScatterSeries();
    doubtful->setObjectName(QStringLiteral("doubtful"));
    doubtful->setName(QStringLiteral("check not correct"));
    doubtful->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    doubtful->setMarkerSize(9);
    doubtful->setColor(Qt::transparent);
    doubtful->setBorderColor(Qt::red);
    for (const std::size_t k : shownUnknowns())
        for (const auto& [v, q] : doubtfulPoints(*table_, k, quantity))
            doubtful->append(v, q);
    attach(doubtful);
    if (doubtful->count() == 0)
        for (QLegendMarker* marker : chart->legend()->markers(doubtful))
            marker->setVisible(false);

    const auto [lowest, highest]
        = std::minmax_element(table_->points.begin(), table_->points.end(),
                              [](const SweepPoint& a, const SweepPoint& b) { return a.value < b.value; });
    x->setRange(lowest->value, highest->value);
    if (quantity == PlotQuantity::Phase) {
        y->setRange(-180, 180);
        y->setTickCount(9);
    } else if (low <= high) {
        const double margin = high > low ? (high - low) / 20 : std::max(1.0, std::abs(high) / 10);
        y->setRange(quantity == PlotQuantity::Magnitude ? std::max(0.0, low - margin) : low - margin, high + margin);
        y->applyNiceNumbers();
    } else {
        y->setRange(0, 1);
    }
}

QString SweepPlot::pointText(std::size_t index) const
{
    const SweepPoint& p = table_->points.at(index);
    QString text = QStringLiteral("%1 = %2:").arg(QString::fromStdString(table_->parameter), number(p.value));
    switch (p.outcome) {
    case SolveOutcome::NoUniqueSolution:
        return text + QStringLiteral(" no unique solution");
    case SolveOutcome::DataError:
        return text + QStringLiteral(" data error: ") + QString::fromStdString(p.problem);
    case SolveOutcome::Solved:
        break;
    }
    for (const std::size_t k : shownUnknowns()) {
        const Polar polar = polarOf(p.re[k], p.im[k]);
        text += QStringLiteral("  X%1 = %2 \u2220 %3\u00b0")
                    .arg(k + 1)
                    .arg(number(polar.magnitude), number(polar.degrees));
    }
    if (p.verdict && *p.verdict != CheckVerdict::Correct)
        text += QStringLiteral("  (check: %1)").arg(QString::fromStdString(verdictWord(*p.verdict)));
    return text;
}

bool SweepPlot::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove && !table_->points.empty()) {
        for (QChartView* view : {magnitudeView_, phaseView_}) {
            if (watched != view->viewport())
                continue;
            const QPointF scene = view->mapToScene(static_cast<QMouseEvent*>(event)->position().toPoint());
            const QPointF value = view->chart()->mapToValue(view->chart()->mapFromScene(scene));
            pointerValue_->setText(pointText(nearestPoint(*table_, value.x())));
        }
    }
    return QWidget::eventFilter(watched, event);
}

QString SweepPlot::tableText() const
{
    std::string text = sweepHeaderLine(table_->parameter, table_->unknowns);
    for (const SweepPoint& point : table_->points)
        text += sweepRowLine(point, table_->unknowns);
    return QString::fromStdString(text);
}

QByteArray SweepPlot::plotBytes(bool svg) const
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (svg) {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(plotArea_->size());
        generator.setViewBox(QRect(QPoint(0, 0), plotArea_->size()));
        generator.setTitle(windowTitle());
        QPainter painter(&generator);
        plotArea_->render(&painter);
    } else {
        plotArea_->grab().save(&buffer, "PNG");
    }
    return bytes;
}

void SweepPlot::savePlot_Click()
{
    const QString proposed = QStringLiteral("sweep-%1.png").arg(QString::fromStdString(table_->parameter));
    const QString name
        = dialogs_.saveFileName(this, QStringLiteral("Save plot as"), proposed,
                                QStringLiteral("PNG image (*.png);;SVG drawing (*.svg)"), QStringLiteral("png"));
    if (name.isEmpty())
        return;
    const QString problem = saveAtomically(name, plotBytes(name.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)));
    if (!problem.isEmpty())
        messages_.show(MessageBox::Style::Stop, problem, QString());
}

void SweepPlot::saveTable_Click()
{
    const QString proposed = QStringLiteral("sweep-%1.tsv").arg(QString::fromStdString(table_->parameter));
    const QString name
        = dialogs_.saveFileName(this, QStringLiteral("Save table as"), proposed,
                                QStringLiteral("Tab-separated table (*.tsv);;All files (*)"), QStringLiteral("tsv"));
    if (name.isEmpty())
        return;
    const QString problem = saveAtomically(name, tableText().toUtf8());
    if (!problem.isEmpty())
        messages_.show(MessageBox::Style::Stop, problem, QString());
}

void SweepPlot::copyTable_Click()
{
    QGuiApplication::clipboard()->setText(tableText());
}

}  // namespace kalvor
