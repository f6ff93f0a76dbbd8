#pragma once

#include <QString>

class QWidget;

namespace kalvor {

// The file dialogs the equation window's File menu asks for names. Windows
// receive one by reference, so that tests answer with names of their own
// instead of showing a modal dialog.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;

    // The existing file the user picks, or an empty text when cancelled.
    // `filter` is a file dialog filter such as "Systems (*.tsv *.csv)".
    virtual QString openFileName(QWidget* parent, const QString& title, const QString& filter) = 0;

    // The name to save under, starting from `proposed` (a path); a name
    // typed without an ending gets `.suffix`. An existing file is written
    // over only once the user has agreed. Empty when cancelled.
    virtual QString saveFileName(QWidget* parent, const QString& title, const QString& proposed, const QString& filter,
                                 const QString& suffix)
        = 0;
};

}  // namespace kalvor
