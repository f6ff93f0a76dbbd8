#include "windows/parameterswindow.h"

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include <QAction>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/numberformat.h"
#include "core/polar.h"
#include "windows/systemparameters.h"

namespace kalvor {

namespace {

QTableWidgetItem* shownItem(const QString& text, bool editable)
{
    auto* item = new QTableWidgetItem(text);
    if (!editable)
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

}  // namespace

ParametersWindow::ParametersWindow(SystemParameters& parameters, QWidget* parent)
    : QDialog(parent), parameters_(parameters)
{
    setObjectName(QStringLiteral("parametersWindow"));
    setWindowTitle(QStringLiteral("Parameters"));
    setUpTable();
    setUpButtons();
    connect(&parameters_, &SystemParameters::changed, this, &ParametersWindow::showTable);
    showTable();
    resize(640, 360);
}

void ParametersWindow::setUpTable()
{
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(QStringLiteral("name = formula. A name is a letter, then letters, digits or _. "
                                            "A formula may use the other parameters (w = 2*pi*f); formula cells "
                                            "use them all."),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    rows_ = new QTableWidget(0, 4, this);
    rows_->setObjectName(QStringLiteral("parameters"));
    rows_->setHorizontalHeaderLabels(
        {QStringLiteral("Name"), QStringLiteral("Formula"), QStringLiteral("Value"), QStringLiteral("Polar")});
    rows_->verticalHeader()->hide();
    rows_->setSelectionMode(QAbstractItemView::SingleSelection);
    QHeaderView* header = rows_->horizontalHeader();
    header->setSectionResizeMode(NameColumn, QHeaderView::Interactive);
    header->setSectionResizeMode(FormulaColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(ValueColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(PolarColumn, QHeaderView::ResizeToContents);
    connect(rows_, &QTableWidget::itemChanged, this, &ParametersWindow::cellEdited);
    layout->addWidget(rows_);

    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("problem"));
    problem_->setWordWrap(true);
    QPalette red = problem_->palette();
    red.setColor(QPalette::WindowText, QColor(0xB0, 0x00, 0x00));
    problem_->setPalette(red);
    layout->addWidget(problem_);
}

void ParametersWindow::setUpButtons()
{
    auto* buttons = new QDialogButtonBox(this);
    remove_ = buttons->addButton(QStringLiteral("&Remove"), QDialogButtonBox::ActionRole);
    remove_->setObjectName(QStringLiteral("remove"));
    undo_ = buttons->addButton(QStringLiteral("&Undo"), QDialogButtonBox::ActionRole);
    undo_->setObjectName(QStringLiteral("undo"));
    QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
    close->setObjectName(QStringLiteral("close"));
    for (QPushButton* button : {remove_, undo_, close})
        button->setAutoDefault(false);
    connect(remove_, &QPushButton::clicked, this, &ParametersWindow::removeCurrent);
    connect(undo_, &QPushButton::clicked, this, &ParametersWindow::undo);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    layout()->addWidget(buttons);

    // Ctrl+Z anywhere in the window but an open cell editor, which keeps
    // its own undo of the typing.
    auto* undoKey = new QAction(this);
    undoKey->setShortcut(QKeySequence::Undo);
    undoKey->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(undoKey, &QAction::triggered, this, &ParametersWindow::undo);
    addAction(undoKey);
}

void ParametersWindow::setEditable(bool editable)
{
    editable_ = editable;
    showTable();
}

void ParametersWindow::showTable()
{
    filling_ = true;
    const std::vector<Parameter>& table = parameters_.parameters();
    const ParameterValues& values = parameters_.values();
    rows_->setRowCount(static_cast<int>(table.size()) + (editable_ ? 1 : 0));
    QString firstProblem;
    for (std::size_t k = 0; k < table.size(); ++k) {
        const int row = static_cast<int>(k);
        const QString error = k < values.errors.size() ? QString::fromStdString(values.errors[k]) : QString();
        QString value, polar;
        if (error.isEmpty() && k < values.values.size() && std::isfinite(values.values[k].real())
            && std::isfinite(values.values[k].imag())) {
            const std::complex<double> number = values.values[k];
            value = QString::fromStdString(resultText(number.real(), number.imag())).trimmed();
            polar = QString::fromStdString(polarText(number.real(), number.imag()));
        } else {
            value = error.isEmpty() ? QStringLiteral("no value") : error;
            if (firstProblem.isEmpty())
                firstProblem = QString::fromStdString(table[k].name) + QStringLiteral(": ") + value;
        }
        rows_->setItem(row, NameColumn, shownItem(QString::fromStdString(table[k].name), editable_));
        rows_->setItem(row, FormulaColumn, shownItem(QString::fromStdString(table[k].formula), editable_));
        rows_->setItem(row, ValueColumn, shownItem(value, false));
        rows_->setItem(row, PolarColumn, shownItem(polar, false));
        if (!error.isEmpty())
            rows_->item(row, ValueColumn)->setForeground(QColor(0xB0, 0x00, 0x00));
    }
    if (editable_) {
        const int added = static_cast<int>(table.size());
        rows_->setItem(added, NameColumn, shownItem(QString(), true));
        rows_->setItem(added, FormulaColumn, shownItem(QString(), true));
        rows_->setItem(added, ValueColumn, shownItem(QString(), false));
        rows_->setItem(added, PolarColumn, shownItem(QString(), false));
    }
    remove_->setEnabled(editable_ && !table.empty());
    undo_->setEnabled(editable_ && parameters_.canUndo());
    filling_ = false;
    showProblem(editable_ ? firstProblem
                          : QStringLiteral("The solution is shown: Back to the tables to change the parameters."));
}

void ParametersWindow::showProblem(const QString& text)
{
    problem_->setText(text);
}

void ParametersWindow::cellEdited(QTableWidgetItem* item)
{
    if (filling_ || !editable_)
        return;
    const auto row = static_cast<std::size_t>(item->row());
    const int column = item->column();
    if (column != NameColumn && column != FormulaColumn)
        return;
    const QString text = item->text().trimmed();
    // Put back as it was when refused; a row taken is redrawn by changed().
    if (!takeEdit(row, column, text)) {
        const QString message = problem_->text();
        QMetaObject::invokeMethod(
            this,
            [this, message] {
                showTable();
                showProblem(message);
            },
            Qt::QueuedConnection);
    }
}

bool ParametersWindow::takeEdit(std::size_t row, int column, const QString& text)
{
    std::vector<Parameter> table = parameters_.parameters();
    const bool added = row >= table.size();
    if (added)
        table.push_back({});
    Parameter& parameter = table[row];
    if (column == NameColumn) {
        if (text.isEmpty()) {
            // A row without a name and formula is no parameter any more.
            if (!added && parameter.formula.empty()) {
                table.erase(table.begin() + static_cast<std::ptrdiff_t>(row));
                parameters_.set(std::move(table));
                return true;
            }
            if (added)
                return true;
            showProblem(QStringLiteral("A parameter needs a name."));
            return false;
        }
        const QString problem = parameters_.nameProblem(text, row);
        if (!problem.isEmpty()) {
            showProblem(QStringLiteral("\"%1\" cannot be a name: %2.").arg(text, problem));
            return false;
        }
        parameter.name = text.toStdString();
    } else {
        if (added && text.isEmpty())
            return true;
        if (added) {
            showProblem(QStringLiteral("A parameter needs a name: type it first."));
            return false;
        }
        parameter.formula = text.toStdString();
    }
    parameters_.set(std::move(table));
    return true;
}

void ParametersWindow::removeCurrent()
{
    const int row = rows_->currentRow();
    std::vector<Parameter> table = parameters_.parameters();
    if (!editable_ || row < 0 || row >= static_cast<int>(table.size()))
        return;
    table.erase(table.begin() + row);
    parameters_.set(std::move(table));
}

void ParametersWindow::undo()
{
    if (editable_)
        parameters_.undo();
}

}  // namespace kalvor
