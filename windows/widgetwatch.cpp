#include "windows/widgetwatch.h"

#include <QEvent>
#include <QWidget>

namespace kalvor {

WidgetWatch::WidgetWatch(QWidget* widget) : QObject(widget)
{
    widget->installEventFilter(this);
}

bool WidgetWatch::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parent()) {
        switch (event->type()) {
        case QEvent::ShowToParent:
            emit shown();
            break;
        case QEvent::HideToParent:
            emit hidden();
            break;
        case QEvent::Resize:
            emit resized();
            break;
        default:
            break;
        }
    }
    return false;
}

}  // namespace kalvor
