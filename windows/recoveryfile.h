#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QObject>
#include <QString>

#include "core/core.h"

class QTimer;

namespace kalvor {

// Keeps the equation window's system in a recovery file, so that nothing
// typed is lost when the program ends: written atomically, in the system
// file format, at most once a second after a change and when asked to
// (at Exit and at the close box).
//
// The file holds one system for the user, not one per window: what it held
// when this object was made is what recovered() offers for this object's
// whole life, so the current session's own writes never replace the system
// that "Recover last system" brings back.
class RecoveryFile final : public QObject {
    Q_OBJECT

public:
    using Rows = std::vector<std::vector<std::string>>;

    // `currentSystem` gives the text to write: the system as a system file
    // (its parameters, then N rows of N + 1 cell texts). Reads the file at
    // location() once, now.
    RecoveryFile(std::function<std::string()> currentSystem, QObject* parent = nullptr);

    // $XDG_STATE_HOME/kalvor1/recovered-system.tsv, or under ~/.local/state
    // when that variable is unset, empty or not an absolute path.
    static QString location();

    // The system the file held when this object was made; empty when it held
    // none (no file, or one that is not a valid system file).
    const Rows& recovered() const { return recovered_; }
    // The parameters of that system.
    const std::vector<Parameter>& recoveredParameters() const { return recoveredParameters_; }

    // The system changed: it is written once a second has passed, together
    // with every further change of that second.
    void changed();
    // Writes at once if anything changed since the last write.
    void flush();

signals:
    // A write failed, with the reason. Raised once for a run of failures;
    // every later change is tried again, and a success ends the run.
    void writeFailed(const QString& reason);

private:
    void write();

    std::function<std::string()> currentSystem_;
    QString path_;
    Rows recovered_;
    std::vector<Parameter> recoveredParameters_;
    QTimer* delay_ = nullptr;
    bool pending_ = false;
    bool failing_ = false;
};

}  // namespace kalvor
