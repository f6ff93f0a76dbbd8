#include "windows/designlook.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include "platform/twips.h"

namespace kalvor {

QLabel* addDesignLabel(QWidget* parent, const QString& name, const QString& text, const QFont& font,
                       const QColor& colour, int left, int top, int width, int height)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFont(font);
    QPalette look = label->palette();
    look.setColor(QPalette::WindowText, colour);
    label->setPalette(look);
    label->setGeometry(twipsRect(left, top, width, height));
    label->setFocusPolicy(Qt::NoFocus);
    return label;
}

void fillBackground(QWidget* widget, const QColor& colour)
{
    QPalette look = widget->palette();
    look.setColor(QPalette::Window, colour);
    widget->setPalette(look);
    widget->setAutoFillBackground(true);
}

void centreOnScreen(QWidget* window)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
}

}  // namespace kalvor
