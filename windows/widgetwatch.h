#pragma once

#include <QObject>

class QWidget;

namespace kalvor {

// Tells of one widget being shown, hidden or resized, without subclassing it.
// Shown and hidden follow the widget's own visibility flag (what show() and
// hide() set), so they are told even while its window is not on screen.
class WidgetWatch final : public QObject {
    Q_OBJECT

public:
    // Watches `widget`, which owns the watch.
    explicit WidgetWatch(QWidget* widget);

signals:
    void shown();
    void hidden();
    void resized();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace kalvor
