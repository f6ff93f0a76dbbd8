// The equation window's check of a shown solution: after the results are
// written, the check (core/solutioncheck.h) runs on a worker thread with the
// numbers the solve read, and its verdict comes back to status panel 4, to
// the wrong unknowns' cells and to "Copy checked solution". The results
// themselves never wait for it.
#include <cmath>
#include <exception>
#include <optional>
#include <string>
#include <utility>

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

#include "core/numberformat.h"
#include "platform/grid.h"
#include "platform/statusbar.h"
#include "windows/form1.h"
#include "windows/widgetwatch.h"

namespace kalvor {

namespace {

constexpr int checkPanel = 4;
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
    // The refined value is the nearest double of a solution the shown one
    // was compared with; only one beyond the number range has no text.
    if (!std::isfinite(unknown.re) || !std::isfinite(unknown.im))
        return QStringLiteral("Accurate value: beyond the number range");
    return QStringLiteral("Accurate value:") + QString::fromStdString(resultText(unknown.re, unknown.im));
}

}  // namespace

void Form1::setUpCheck()
{
    auto* panel = new WidgetWatch(Frame1);
    connect(panel, &WidgetWatch::hidden, this, &Form1::forgetCheck);
    for (Grid* table : {Grid1, Grid2})
        connect(table->model(), &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                    if (roles.contains(Qt::DisplayRole))
                        forgetCheck();
                });
}

void Form1::startCheck(NumericSystem read)
{
    using Outcome = std::optional<SolutionCheck>;
    const std::uint64_t generation = checkGeneration_;
    auto* watcher = new QFutureWatcher<Outcome>(this);
    ++checksRunning;
    connect(watcher, &QFutureWatcher<Outcome>::finished, this, [this, watcher, generation] {
        --checksRunning;
        watcher->deleteLater();
        const Outcome check = watcher->result();
        if (check && generation == checkGeneration_ && !editing())
            showCheck(*check);
    });
    // Everything the check needs is copied into it, so a window closed
    // meanwhile leaves it nothing to touch; its watcher goes with the window.
    watcher->setFuture(QtConcurrent::run([system = std::move(read), re = solutionRe_, im = solutionIm_]() -> Outcome {
        try {
            return checkSolution(system, re, im);
        } catch (const std::exception&) {
            // No verdict is better than a wrong one.
            return std::nullopt;
        }
    }));
}

void Form1::showCheck(const SolutionCheck& check)
{
    for (std::size_t k = 0; k < check.unknowns.size(); ++k) {
        const UnknownCheck& unknown = check.unknowns[k];
        const int row = static_cast<int>(k) + 1;
        if (unknown.correct != false || row >= Grid3->Rows())
            continue;
        Grid3->setCellMark(row, 1, accurateValueNote(unknown));
        markedRows_.push_back(row);
    }
    if (check.verdict != CheckVerdict::Unreliable) {
        for (const UnknownCheck& unknown : check.unknowns) {
            checkedRe_.push_back(unknown.re);
            checkedIm_.push_back(unknown.im);
        }
    }
    // A reading note is given instead: what was read is the first doubt.
    if (notes_.empty())
        StatusBar1->setPanelText(checkPanel, verdictText(check));
}

void Form1::forgetCheck()
{
    ++checkGeneration_;
    for (const int row : markedRows_)
        if (row < Grid3->Rows())
            Grid3->setCellMark(row, 1, QString());
    markedRows_.clear();
    checkedRe_.clear();
    checkedIm_.clear();
}

}  // namespace kalvor
