// The equation window's links to the check of a shown solution, which is
// SolutionCheckView's (solutioncheckview.*): Solve starts it, and the
// solution's context menu reaches it through TableExchange::Window.
#include <QAbstractItemModel>
#include <QFrame>

#include "platform/grid.h"
#include "platform/statusbar.h"
#include "windows/form1.h"
#include "windows/solutioncheckview.h"
#include "windows/widgetwatch.h"

namespace kalvor {

void Form1::setUpCheck()
{
    check_ = new SolutionCheckView({Frame1, Grid1, Grid2, Grid3, StatusBar1},
                                   {[this] { return editing(); },
                                    // A reading note is given instead: what was read is the first doubt.
                                    [this] { return !notes_.empty(); },
                                    // After the defined column and the polar one, while that is on.
                                    [this] { return showPolar_ ? 3 : 2; },
                                    [this](const QString& verdict) { showSolveNote(verdict); }, checksRunning},
                                   this);
    // The verdict and the reading note describe the solution shown: they go
    // with it, at Back, or at the latest with the first change of a table.
    auto* panel = new WidgetWatch(Frame1);
    connect(panel, &WidgetWatch::hidden, this, &Form1::clearSolveNote);
    for (Grid* table : {Grid1, Grid2})
        connect(table->model(), &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                    if (roles.contains(Qt::DisplayRole))
                        clearSolveNote();
                });
}

BlockPaste::Rows Form1::checkedNumbers() const
{
    return check_->checkedNumbers();
}

bool Form1::accurateValuesShown() const
{
    return check_->accurateShown();
}

void Form1::setAccurateValuesShown(bool shown)
{
    check_->setAccurateShown(shown);
}

const std::vector<std::string>& Form1::accurateTexts() const
{
    return check_->accurateTexts();
}

}  // namespace kalvor
