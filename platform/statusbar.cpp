#include "platform/statusbar.h"

#include <stdexcept>

#include <QDateTime>
#include <QLabel>
#include <QTimer>

namespace kalvor {

StatusBar::StatusBar(QWidget* parent) : QStatusBar(parent)
{
    setSizeGripEnabled(false);
    createPanels();
    clock_ = new QTimer(this);
    // Twice a second, so the shown second is never more than half a second old.
    clock_->setInterval(500);
    connect(clock_, &QTimer::timeout, this, &StatusBar::showClock);
    clock_->start();
    showClock();
}

void StatusBar::createPanels()
{
    for (int i = 0; i < panelCount; ++i) {
        auto* label = new QLabel(this);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        // No accessible name: a screen reader then reads the panel's current
        // text as its name (X3, EQ.2, the date), and the description says
        // which panel it is.
        label->setAccessibleDescription(QStringLiteral("Status panel %1").arg(i + 1));
        // The text panels share the spare room; date and time keep their size.
        addPermanentWidget(label, i < 4 ? 1 : 0);
        panels_[static_cast<std::size_t>(i)] = label;
    }
}

QLabel* StatusBar::panel(int number) const
{
    if (number < 1 || number > panelCount)
        throw std::out_of_range("no such status panel");
    return panels_[static_cast<std::size_t>(number - 1)];
}

QString StatusBar::panelText(int number) const
{
    return panel(number)->text();
}

void StatusBar::setPanelText(int number, const QString& text)
{
    panel(number)->setText(text);
}

QString StatusBar::dateText(const QDateTime& when)
{
    return when.date().toString(QStringLiteral("yyyy-MM-dd"));
}

QString StatusBar::timeText(const QDateTime& when)
{
    return when.time().toString(QStringLiteral("HH:mm:ss"));
}

void StatusBar::showClock()
{
    const QDateTime now = QDateTime::currentDateTime();
    panel(datePanel)->setText(dateText(now));
    panel(timePanel)->setText(timeText(now));
}

}  // namespace kalvor
