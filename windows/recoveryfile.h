#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>

#include "core/core.h"

class QTimer;

namespace kalvor {

// Keeps the equation window's systems in recovery files, so that nothing
// typed is lost when the program ends or the system is replaced: written
// atomically, in the system file format, at most once a second after a
// change and when asked to (at Exit and at the close box, and before New,
// Open and Recover replace the system).
//
// Each run writes a file of its own, made at its first write, so two windows
// open at once, or one run after another, never write over each other's
// system; startNewFile (after New, Open and Recover) begins another file for
// what follows, leaving the one before in the history. The folder keeps the
// ten files written last; older ones are removed when a new file is made.
class RecoveryFile final : public QObject {
    Q_OBJECT

public:
    using Rows = std::vector<std::vector<std::string>>;

    // A system kept in the history.
    struct Entry {
        QString path;
        int unknowns = 0;
        QDateTime written;
    };

    // How many files the folder keeps.
    static constexpr int keptFiles = 10;

    // `currentSystem` gives the text to write: the system as a system file
    // (its parameters, then N rows of N + 1 cell texts).
    RecoveryFile(std::function<std::string()> currentSystem, QObject* parent = nullptr);

    // $XDG_STATE_HOME/kalvor1, or ~/.local/state/kalvor1 when that variable
    // is unset, empty or not an absolute path. The recent-files list lives
    // there too.
    static QString folder();

    // The systems in the folder, newest first (by the time each was last
    // written), except this object's own file; files that are not valid
    // system files are left out.
    std::vector<Entry> history() const;

    // The file this object writes now; empty until its first write.
    QString ownFile() const { return path_; }

    // The system changed: it is written once a second has passed, together
    // with every further change of that second.
    void changed();
    // Writes at once if anything changed since the last write.
    void flush();
    // The system shown from now on is not this file's: changes not yet
    // written are dropped, and the next change goes to a new file. Whoever
    // replaces the system calls flush first, then this.
    void startNewFile();

signals:
    // A write failed, with the reason. Raised once for a run of failures;
    // every later change is tried again, and a success ends the run.
    void writeFailed(const QString& reason);

private:
    void write();
    QString newFileName();
    // Removes the oldest files beyond keptFiles, never this object's own.
    void pruneHistory() const;

    std::function<std::string()> currentSystem_;
    QString path_;
    // The unknowns of each file listed before, while it is as it was then
    // (its time and size): a file is read once, not at every look.
    struct Seen {
        QDateTime written;
        qint64 size = 0;
        int unknowns = 0;
    };
    mutable QHash<QString, Seen> seen_;
    QTimer* delay_ = nullptr;
    bool pending_ = false;
    bool failing_ = false;
};

}  // namespace kalvor
