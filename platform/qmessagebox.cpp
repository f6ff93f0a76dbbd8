#include "platform/qmessagebox.h"

#include <QApplication>
#include <QMessageBox>

namespace kalvor {

void QtMessageBox::show(Style style, const QString& message, const QString& title)
{
    const QMessageBox::Icon icon = style == Style::Stop ? QMessageBox::Critical
        : style == Style::Information                   ? QMessageBox::Information
                                                        : QMessageBox::NoIcon;
    QMessageBox box(icon, title.isEmpty() ? QStringLiteral("KALVOR1") : title, message, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

}  // namespace kalvor
