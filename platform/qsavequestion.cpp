#include "platform/qsavequestion.h"

#include <QMessageBox>

namespace kalvor {

SaveQuestion::Answer QtSaveQuestion::ask(QWidget* parent)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("KALVOR1"), QStringLiteral("Save changes to the system?"),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    box.setWindowModality(Qt::ApplicationModal);
    switch (box.exec()) {
    case QMessageBox::Save:
        return Answer::Save;
    case QMessageBox::Discard:
        return Answer::Discard;
    default:
        return Answer::Cancel;
    }
}

}  // namespace kalvor
