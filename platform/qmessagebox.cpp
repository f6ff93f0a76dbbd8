#include "platform/qmessagebox.h"

#include <QApplication>
#include <QMessageBox>

namespace kalvor {

void QtMessageBox::show(Style style, const QString& message, const QString& title)
{
    QMessageBox box(style == Style::Stop ? QMessageBox::Critical : QMessageBox::NoIcon,
                    title.isEmpty() ? QStringLiteral("KALVOR1") : title, message,
                    QMessageBox::Ok, QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace kalvor
