#pragma once

#include <QString>
#include <QStringList>

namespace kalvor {

// The files last opened or saved as systems, newest first, kept in a list
// file (one absolute path a line, UTF-8) that every run reads afresh, so two
// windows open at once share it.
class RecentFiles {
public:
    // How many names the list keeps.
    static constexpr int keptNames = 8;

    // The list file at `listPath`; nothing is read yet.
    explicit RecentFiles(QString listPath);

    // The names in the list, newest first; empty when there is no list.
    QStringList paths() const;
    // `path` made the newest name (taken out of its older place), the
    // oldest beyond keptNames dropped. Empty text on success, else why the
    // list could not be written.
    QString add(const QString& path);
    // `path` taken off the list.
    QString remove(const QString& path);

private:
    QString write(const QStringList& paths) const;

    QString listPath_;
};

}  // namespace kalvor
