// The equation window's Tools menu and the system's parameters: the menu,
// the Parameters window, the Sweep dialog and the Number forms page it opens, and the
// parameter table the system keeps beside its cells. The windows are their
// own classes; the handlers here only open them and link the table to the
// rest of the window.
#include <QAction>
#include <QFrame>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include "platform/grid.h"
#include "windows/form1.h"
#include "windows/numberformswindow.h"
#include "windows/parameterswindow.h"
#include "windows/systemparameters.h"
#include "windows/recoveryfile.h"
#include "windows/sweepdialog.h"
#include "windows/widgetwatch.h"

namespace kalvor {

void Form1::createToolsMenu()
{
    tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("tools"));
    const auto item = [this](QAction*& action, const char* name, const QString& caption, const QKeySequence& keys,
                             void (Form1::*handler)()) {
        action = tools->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this, handler);
    };
    item(parameters, "parameters", QStringLiteral("&Parameters\u2026"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P),
         &Form1::parameters_Click);
    item(sweep, "sweep", QStringLiteral("S&weep\u2026"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_W),
         &Form1::sweep_Click);
    item(numberForms, "numberForms", QStringLiteral("&Number forms"), QKeySequence(Qt::Key_F1),
         &Form1::numberForms_Click);
}

void Form1::setUpParameters()
{
    systemParameters_ = new SystemParameters(this);
    // A parameter belongs to the system as its cells do.
    connect(systemParameters_, &SystemParameters::changed, this, [this] {
        if (recovery_)
            recovery_->changed();
    });
    // Ctrl+Z on the tables takes back its changes in turn with the pastes.
    exchange_->followParameters(*systemParameters_);
    for (Grid* table : {Grid1, Grid2})
        table->setCellNoteSource([this, table](int row, int col) { return cellNote(table, row, col); });
}

void Form1::parameters_Click()
{
    if (!parametersWindow_) {
        parametersWindow_ = new ParametersWindow(*systemParameters_, this);
        parametersWindow_->setEditable(editing());
        // Nothing of the system changes while its solution is shown.
        auto* panel = new WidgetWatch(Frame1);
        connect(panel, &WidgetWatch::shown, parametersWindow_, [this] { parametersWindow_->setEditable(false); });
        connect(panel, &WidgetWatch::hidden, parametersWindow_, [this] { parametersWindow_->setEditable(true); });
    }
    parametersWindow_->show();
    parametersWindow_->raise();
    parametersWindow_->activateWindow();
}

void Form1::sweep_Click()
{
    // The system as it stands now; the dialog is modal, so it stays so.
    SweepDialog dialog(exchange_->systemRows(), systemParameters_->parameters(), *fileDialogs_, messages_, this);
    dialog.exec();
}

void Form1::numberForms_Click()
{
    if (!numberFormsWindow_)
        numberFormsWindow_ = new NumberFormsWindow(this);
    numberFormsWindow_->show();
    numberFormsWindow_->raise();
    numberFormsWindow_->activateWindow();
}

void Form1::takeDroppedParameters(std::vector<Parameter> parameters)
{
    systemParameters_->set(std::move(parameters));
}

const SystemParameters& Form1::systemParameters() const
{
    return *systemParameters_;
}

SystemParameters& Form1::systemParameters()
{
    return *systemParameters_;
}

}  // namespace kalvor
