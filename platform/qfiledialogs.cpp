#include "platform/qfiledialogs.h"

#include <QFileDialog>

namespace kalvor {

QString QtFileDialogs::openFileName(QWidget* parent, const QString& title, const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, title, QString(), filter);
}

QString QtFileDialogs::saveFileName(QWidget* parent, const QString& title, const QString& proposed,
                                    const QString& filter, const QString& suffix)
{
    // An instance rather than getSaveFileName: only it adds the default
    // ending to a bare name (and asks again if that name exists).
    QFileDialog dialog(parent, title, proposed, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace kalvor
