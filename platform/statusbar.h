#pragma once

#include <array>

#include <QStatusBar>
#include <QString>

class QLabel;
class QTimer;

namespace kalvor {

// A status bar of six panels numbered from 1. Panels 1 to 4 show what the
// program writes; panel 5 shows the current date and panel 6 the current
// time, kept current by a timer of the bar's own.
class StatusBar final : public QStatusBar {
    Q_OBJECT

public:
    static constexpr int panelCount = 6;
    static constexpr int datePanel = 5;
    static constexpr int timePanel = 6;

    explicit StatusBar(QWidget* parent = nullptr);

    // The text of panel `panel` (1 to 6); out of range throws std::out_of_range.
    QString panelText(int panel) const;
    // Shows `text` in panel `panel` (1 to 6). Panels 5 and 6 are overwritten
    // at the next clock tick.
    void setPanelText(int panel, const QString& text);

    // Date and time as panels 5 and 6 show them.
    static QString dateText(const class QDateTime& when);
    static QString timeText(const class QDateTime& when);

private:
    void createPanels();
    void showClock();
    QLabel* panel(int number) const;

    std::array<QLabel*, panelCount> panels_{};
    QTimer* clock_ = nullptr;
};

}  // namespace kalvor
