#pragma once

#include "platform/filedialogs.h"

namespace kalvor {

// The real file dialogs: modal QFileDialogs over `parent`.
class QtFileDialogs final : public FileDialogs {
public:
    QString openFileName(QWidget* parent, const QString& title, const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& title, const QString& proposed, const QString& filter,
                         const QString& suffix) override;
};

}  // namespace kalvor
