#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include <QString>
#include <QWidget>

#include "core/core.h"

class QCheckBox;
class QChart;
class QChartView;
class QLabel;
class QPushButton;

namespace kalvor {

class FileDialogs;
class MessageBox;

// The plot of a sweep, a window of its own (several may be open): the
// magnitude (linear or in dB) and the phase in degrees of the chosen unknowns
// against the swept parameter, on a logarithmic axis for a logarithmic sweep;
// failed points are gaps and points whose check is not correct are marked.
// Beside the plot: a check box per unknown (X1..XN, the first four on), the
// dB choice, "Save plot as…" (PNG or SVG), "Save table as…" and "Copy table"
// (the table kalvor1-solve --sweep writes). Below it, the values at the point
// nearest the mouse pointer. It shows only the table it is given.
class SweepPlot final : public QWidget {
    Q_OBJECT

public:
    // dialogs and messages must outlive the window. It deletes itself when
    // closed.
    SweepPlot(std::shared_ptr<const SweepTable> table, FileDialogs& dialogs, MessageBox& messages,
              QWidget* parent = nullptr);

    const SweepTable& table() const { return *table_; }
    // The unknowns drawn (from 0), in order.
    std::vector<std::size_t> shownUnknowns() const;
    // The table as text: header line and one line per point.
    QString tableText() const;
    // What the line under the plot says for point `index`.
    QString pointText(std::size_t index) const;

    // Handlers, public so that tests can run one on its own.
    void savePlot_Click();
    void saveTable_Click();
    void copyTable_Click();
    // Draws both charts again from the table and the current choices.
    void redraw();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUpWindow();
    void setUpCharts();
    void setUpChoices();
    void drawChart(QChart* chart, PlotQuantity quantity, const QString& title);
    QByteArray plotBytes(bool svg) const;

    std::shared_ptr<const SweepTable> table_;
    FileDialogs& dialogs_;
    MessageBox& messages_;
    QWidget* plotArea_ = nullptr;
    QChartView* magnitudeView_ = nullptr;
    QChartView* phaseView_ = nullptr;
    QLabel* pointerValue_ = nullptr;
    QCheckBox* decibels_ = nullptr;
    std::vector<QCheckBox*> unknowns_;
    QPushButton* savePlot_ = nullptr;
    QPushButton* saveTable_ = nullptr;
    QPushButton* copyTable_ = nullptr;
};

}  // namespace kalvor
