#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QDialog>
#include <QFutureWatcher>

#include "core/core.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTimer;

namespace kalvor {

class FileDialogs;
class MessageBox;
class SweepPlot;

// Tools > Sweep…: the parameter to sweep (from the system's parameters),
// from and to (formulas, "100k"), the number of points and linear or
// logarithmic spacing. Run solves the system at every point off the
// window's thread, with a progress bar; Cancel stops it (and closes the
// dialog when nothing runs). A finished sweep opens in a plot window of its
// own (SweepPlot), owned by the dialog's parent, and the dialog closes.
class SweepDialog final : public QDialog {
    Q_OBJECT

public:
    // rows: the system as N rows of N + 1 cell texts; parameters: its
    // parameter table. dialogs and messages go to the plot windows and must
    // outlive them.
    SweepDialog(std::vector<std::vector<std::string>> rows, std::vector<Parameter> parameters, FileDialogs& dialogs,
                MessageBox& messages, QWidget* parent = nullptr);
    ~SweepDialog() override;

    // Handlers, public so that tests can run one on its own.
    void run_Click();
    void cancel_Click();
    // A choice of parameter proposes ends around its value.
    void parameter_Change();

    // The problem shown in the dialog ("" when none).
    QString problem() const;
    bool running() const { return watcher_.isRunning(); }

signals:
    // A finished sweep's plot window, just shown.
    void plotOpened(kalvor::SweepPlot* plot);

protected:
    void reject() override;

private:
    void setUpWindow();
    void setUpChoices();
    void setUpProgress();
    void showProblem(const QString& problem);
    void setRunning(bool running);
    void finished();

    std::vector<std::vector<std::string>> rows_;
    std::vector<Parameter> parameters_;
    FileDialogs& dialogs_;
    MessageBox& messages_;
    std::atomic<bool> cancel_{false};
    std::atomic<std::size_t> done_{0};
    QFutureWatcher<std::optional<SweepTable>> watcher_;

    QComboBox* parameter_ = nullptr;
    QLineEdit* from_ = nullptr;
    QLineEdit* to_ = nullptr;
    QSpinBox* points_ = nullptr;
    QRadioButton* linear_ = nullptr;
    QRadioButton* logarithmic_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* problem_ = nullptr;
    QPushButton* run_ = nullptr;
    QPushButton* cancel_button_ = nullptr;
    QTimer* progressTimer_ = nullptr;
};

}  // namespace kalvor
