#include "windows/sweepdialog.h"

#include <exception>
#include <utility>

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include "windows/sweepplot.h"

namespace kalvor {

namespace {

constexpr int DefaultPoints = 201;

// A core problem text ("the number of points must be 2 to 100000") as a
// sentence of its own.
QString sentence(const std::string& text)
{
    QString out = QString::fromStdString(text);
    if (!out.isEmpty())
        out[0] = out[0].toUpper();
    return out + QLatin1Char('.');
}

QString shortest(double value)
{
    return QString::fromStdString(shortestText(value));
}

}  // namespace

SweepDialog::SweepDialog(std::vector<std::vector<std::string>> rows, std::vector<Parameter> parameters,
                         FileDialogs& dialogs, MessageBox& messages, QWidget* parent)
    : QDialog(parent),
      rows_(std::move(rows)),
      parameters_(std::move(parameters)),
      dialogs_(dialogs),
      messages_(messages)
{
    setUpWindow();
    setUpChoices();
    setUpProgress();
    parameter_Change();
    if (parameters_.empty())
        showProblem(QStringLiteral("The system has no parameter to sweep: add one with Tools > Parameters\u2026"));
}

SweepDialog::~SweepDialog()
{
    // The running points use this dialog's flags: they end before it does.
    cancel_ = true;
    watcher_.waitForFinished();
}

void SweepDialog::setUpWindow()
{
    setObjectName(QStringLiteral("SweepDialog"));
    setWindowTitle(QStringLiteral("Sweep"));
    setWindowModality(Qt::WindowModal);
}

void SweepDialog::setUpChoices()
{
    parameter_ = new QComboBox(this);
    parameter_->setObjectName(QStringLiteral("parameter"));
    for (const Parameter& p : parameters_)
        parameter_->addItem(QString::fromStdString(p.name));
    from_ = new QLineEdit(this);
    from_->setObjectName(QStringLiteral("from"));
    to_ = new QLineEdit(this);
    to_->setObjectName(QStringLiteral("to"));
    points_ = new QSpinBox(this);
    points_->setObjectName(QStringLiteral("points"));
    points_->setRange(static_cast<int>(MinSweepPoints), static_cast<int>(MaxSweepPoints));
    points_->setValue(DefaultPoints);
    linear_ = new QRadioButton(QStringLiteral("&Linear"), this);
    linear_->setObjectName(QStringLiteral("linear"));
    logarithmic_ = new QRadioButton(QStringLiteral("L&ogarithmic"), this);
    logarithmic_->setObjectName(QStringLiteral("logarithmic"));
    linear_->setChecked(true);

    auto* spacing = new QHBoxLayout();
    spacing->addWidget(linear_);
    spacing->addWidget(logarithmic_);
    auto* form = new QFormLayout();
    form->addRow(QStringLiteral("&Parameter:"), parameter_);
    form->addRow(QStringLiteral("&From:"), from_);
    form->addRow(QStringLiteral("&To:"), to_);
    form->addRow(QStringLiteral("P&oints:"), points_);
    form->addRow(QStringLiteral("Spacing:"), spacing);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    connect(parameter_, &QComboBox::currentIndexChanged, this, &SweepDialog::parameter_Change);
}

void SweepDialog::setUpProgress()
{
    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("problem"));
    problem_->setWordWrap(true);
    problem_->setStyleSheet(QStringLiteral("color: #b00000"));
    problem_->hide();
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setValue(0);
    run_ = new QPushButton(QStringLiteral("&Run"), this);
    run_->setObjectName(QStringLiteral("run"));
    run_->setDefault(true);
    cancel_button_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_button_->setObjectName(QStringLiteral("cancel"));
    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    buttons->addWidget(run_);
    buttons->addWidget(cancel_button_);
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    layout->addWidget(problem_);
    layout->addWidget(progress_);
    layout->addLayout(buttons);

    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(100);
    connect(progressTimer_, &QTimer::timeout, this, [this] { progress_->setValue(static_cast<int>(done_.load())); });
    connect(run_, &QPushButton::clicked, this, &SweepDialog::run_Click);
    connect(cancel_button_, &QPushButton::clicked, this, &SweepDialog::cancel_Click);
    connect(&watcher_, &QFutureWatcher<std::optional<SweepTable>>::finished, this, &SweepDialog::finished);
}

void SweepDialog::parameter_Change()
{
    const int index = parameter_->currentIndex();
    if (index < 0)
        return;
    // Around the parameter's value: a decade each way when it is above
    // zero (logarithmic), else 0 to 1.
    const ParameterValues values = evaluateParameters(parameters_);
    const auto value = values.find(parameters_[static_cast<std::size_t>(index)].name);
    if (value && value->imag() == 0 && value->real() > 0) {
        from_->setText(shortest(value->real() / 10));
        to_->setText(shortest(value->real() * 10));
        logarithmic_->setChecked(true);
    } else {
        from_->setText(QStringLiteral("0"));
        to_->setText(QStringLiteral("1"));
        linear_->setChecked(true);
    }
}

QString SweepDialog::problem() const
{
    return problem_->isHidden() ? QString() : problem_->text();
}

void SweepDialog::showProblem(const QString& problem)
{
    problem_->setText(problem);
    problem_->setVisible(!problem.isEmpty());
}

void SweepDialog::setRunning(bool running)
{
    for (QWidget* control :
         std::initializer_list<QWidget*>{parameter_, from_, to_, points_, linear_, logarithmic_, run_})
        control->setEnabled(!running);
    if (running)
        progressTimer_->start();
    else
        progressTimer_->stop();
}

void SweepDialog::run_Click()
{
    if (running() || parameter_->currentIndex() < 0)
        return;
    const std::string name = parameters_[static_cast<std::size_t>(parameter_->currentIndex())].name;
    const ParameterValues values = evaluateParameters(parameters_);
    std::string problem;
    const auto from = sweepEndValue(from_->text().toStdString(), values, problem);
    if (!from) {
        showProblem(QStringLiteral("From: ") + QString::fromStdString(problem));
        return;
    }
    const auto to = sweepEndValue(to_->text().toStdString(), values, problem);
    if (!to) {
        showProblem(QStringLiteral("To: ") + QString::fromStdString(problem));
        return;
    }
    const SweepRequest request{*from, *to, static_cast<std::size_t>(points_->value()),
                               logarithmic_->isChecked() ? SweepSpacing::Logarithmic : SweepSpacing::Linear};
    problem = sweepRangeProblem(request.from, request.to, request.points, request.spacing);
    if (problem.empty())
        problem = sweepSizeProblem(request.points, rows_.size());
    if (!problem.empty()) {
        showProblem(sentence(problem));
        return;
    }
    showProblem(QString());
    auto system = std::make_shared<const CompiledSystem>(CompiledSystem::compile(rows_, parameters_));
    const SweepPartsAt partsAt = compiledSweepParts(std::move(system), name, rows_.size());
    cancel_ = false;
    done_ = 0;
    progress_->setRange(0, static_cast<int>(request.points));
    progress_->setValue(0);
    setRunning(true);
    const std::size_t unknowns = rows_.size();
    watcher_.setFuture(QtConcurrent::run([this, name, unknowns, request, partsAt] {
        return sweepTable(name, unknowns, request, partsAt, SweepSettings{0, true, &cancel_},
                          [this](std::size_t done, std::size_t) { done_ = done; });
    }));
}

void SweepDialog::cancel_Click()
{
    if (running())
        cancel_ = true;
    else
        reject();
}

void SweepDialog::reject()
{
    cancel_ = true;
    watcher_.waitForFinished();
    QDialog::reject();
}

void SweepDialog::finished()
{
    setRunning(false);
    std::optional<SweepTable> table;
    try {
        table = watcher_.result();
    } catch (const std::exception& e) {
        showProblem(QStringLiteral("The sweep stopped: ") + QString::fromUtf8(e.what()));
        return;
    }
    if (!table) {
        progress_->setValue(0);
        showProblem(QStringLiteral("Cancelled."));
        return;
    }
    progress_->setValue(progress_->maximum());
    auto* plot
        = new SweepPlot(std::make_shared<const SweepTable>(std::move(*table)), dialogs_, messages_, parentWidget());
    plot->show();
    emit plotOpened(plot);
    accept();
}

}  // namespace kalvor
