#include "windows/solutioncheckview.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <optional>
#include <utility>

#include <QFontMetricsF>
#include <QFutureWatcher>
#include <QHeaderView>
#include <QStyle>
#include <QtConcurrent/QtConcurrentRun>

#include "platform/grid.h"
#include "platform/statusbar.h"
#include "platform/twips.h"
#include "windows/widgetwatch.h"

namespace kalvor {

namespace {

// Wrong unknowns named in panel 4; the others are counted.
constexpr std::size_t namedWrongUnknowns = 5;

QString verdictText(const SolutionCheck& check)
{
    switch (check.verdict) {
    case CheckVerdict::Correct:
        return QStringLiteral("Checked: all digits right");
    case CheckVerdict::Unreliable:
        return QStringLiteral("Nearly singular: digits unreliable");
    case CheckVerdict::Inaccurate:
        break;
    }
    QString text = QStringLiteral("Wrong digits: ");
    std::size_t wrong = 0;
    for (std::size_t k = 0; k < check.unknowns.size(); ++k) {
        if (check.unknowns[k].correct != false)
            continue;
        if (wrong < namedWrongUnknowns)
            text += (wrong == 0 ? QStringLiteral("X%1") : QStringLiteral(", X%1")).arg(k + 1);
        ++wrong;
    }
    if (wrong > namedWrongUnknowns)
        text += QStringLiteral(" and %1 more").arg(wrong - namedWrongUnknowns);
    return text;
}

QString accurateValueNote(const UnknownCheck& unknown)
{
    // The accurate value is the nearest double of the exact solution; only
    // one beyond the number range has no text.
    if (!std::isfinite(unknown.re) || !std::isfinite(unknown.im))
        return QStringLiteral("Accurate value: beyond the number range");
    return QStringLiteral("Accurate value:") + QString::fromStdString(resultText(unknown.re, unknown.im));
}

}  // namespace

SolutionCheckView::SolutionCheckView(const Controls& controls, Window window, QObject* parent)
    : QObject(parent), controls_(controls), window_(std::move(window))
{
    auto* panel = new WidgetWatch(controls_.resultPanel);
    connect(panel, &WidgetWatch::hidden, this, &SolutionCheckView::forget);
    for (Grid* table : {controls_.coefficients, controls_.constants})
        connect(table->model(), &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                    if (roles.contains(Qt::DisplayRole))
                        forget();
                });
}

void SolutionCheckView::start(NumericSystem read, std::vector<double> re, std::vector<double> im)
{
    using Outcome = std::optional<SolutionCheck>;
    const std::uint64_t generation = generation_;
    auto* watcher = new QFutureWatcher<Outcome>(this);
    ++window_.running;
    connect(watcher, &QFutureWatcher<Outcome>::finished, this, [this, watcher, generation] {
        --window_.running;
        watcher->deleteLater();
        const Outcome check = watcher->result();
        if (check && generation == generation_ && !window_.editing())
            show(*check);
    });
    // Everything the check needs is copied into it, so a window closed
    // meanwhile leaves it nothing to touch; its watcher goes with the view.
    watcher->setFuture(QtConcurrent::run(
        [system = std::move(read), re = std::move(re), im = std::move(im)]() -> Outcome {
            try {
                return checkSolution(system, re, im);
            } catch (const std::exception&) {
                // No verdict is better than a wrong one.
                return std::nullopt;
            }
        }));
}

void SolutionCheckView::show(const SolutionCheck& check)
{
    Grid* solution = controls_.solution;
    for (std::size_t k = 0; k < check.unknowns.size(); ++k) {
        const UnknownCheck& unknown = check.unknowns[k];
        const int row = static_cast<int>(k) + 1;
        if (unknown.correct != false || row >= solution->Rows())
            continue;
        solution->setCellMark(row, 1, accurateValueNote(unknown));
        markedRows_.push_back(row);
    }
    // An unreliable verdict vouches for no value.
    if (check.verdict != CheckVerdict::Unreliable) {
        for (const UnknownCheck& unknown : check.unknowns) {
            checkedRe_.push_back(unknown.re);
            checkedIm_.push_back(unknown.im);
            accurateTexts_.push_back(std::isfinite(unknown.re) && std::isfinite(unknown.im)
                                         ? resultText(unknown.re, unknown.im)
                                         : std::string());
        }
    }
    placeAccurateColumn();
    if (!window_.panelTaken())
        window_.showNote(verdictText(check));
}

void SolutionCheckView::forget()
{
    ++generation_;
    Grid* solution = controls_.solution;
    for (const int row : markedRows_)
        if (row < solution->Rows())
            solution->setCellMark(row, 1, QString());
    markedRows_.clear();
    checkedRe_.clear();
    checkedIm_.clear();
    const bool hadTexts = !accurateTexts_.empty();
    accurateTexts_.clear();
    if (hadTexts)
        placeAccurateColumn();
}

BlockPaste::Rows SolutionCheckView::checkedNumbers() const
{
    BlockPaste::Rows rows;
    for (std::size_t k = 0; k < checkedRe_.size(); ++k)
        rows.push_back({shortestText(checkedRe_[k]), shortestText(checkedIm_[k])});
    return rows;
}

void SolutionCheckView::setAccurateShown(bool shown)
{
    shown_ = shown;
    placeAccurateColumn();
}

void SolutionCheckView::placeAccurateColumn()
{
    Grid* solution = controls_.solution;
    const int column = window_.firstFreeColumn();
    if (!shown_) {
        // Only a change of shape touches the table: a reshaped model forgets
        // its view's place.
        if (solution->Cols() > column)
            solution->setCols(column);
        return;
    }
    if (solution->Cols() != column + 1)
        solution->setCols(column + 1);
    const QString title = QStringLiteral("Accurate");
    solution->setTextMatrix(0, column, title);
    // In fractions of a pixel: a text a fraction wider than its room is
    // drawn cut short.
    const QFontMetricsF cells(solution->font());
    qreal widest = QFontMetricsF(solution->horizontalHeader()->font()).horizontalAdvance(title);
    for (int row = 1; row < solution->Rows(); ++row) {
        const auto k = static_cast<std::size_t>(row - 1);
        const QString text = k < accurateTexts_.size() ? QString::fromStdString(accurateTexts_[k]) : QString();
        solution->setTextMatrix(row, column, text);
        widest = std::max(widest, cells.horizontalAdvance(text));
    }
    // A cell draws its text between margins on both sides, and the grid line
    // takes one pixel.
    const int margin = solution->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, solution) + 1;
    solution->setColWidth(column, pixelsToTwips(static_cast<int>(std::ceil(widest)) + 2 * margin + 1));
}

}  // namespace kalvor
