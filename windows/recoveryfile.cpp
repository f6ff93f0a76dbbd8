#include "windows/recoveryfile.h"

#include <utility>

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include "platform/savedfile.h"
#include "windows/systemfiledrop.h"

namespace kalvor {

RecoveryFile::RecoveryFile(std::function<std::string()> currentSystem, QObject* parent)
    : QObject(parent), currentSystem_(std::move(currentSystem)), path_(location())
{
    if (QFileInfo::exists(path_)) {
        DroppedSystem system = readSystemFileAt(path_);
        recovered_ = std::move(system.rows);
        recoveredParameters_ = std::move(system.parameters);
    }
    delay_ = new QTimer(this);
    delay_->setSingleShot(true);
    delay_->setInterval(1000);
    connect(delay_, &QTimer::timeout, this, &RecoveryFile::flush);
}

QString RecoveryFile::location()
{
    // Qt 6.4 knows no state location; this is the base directory rule for
    // state data: a relative XDG_STATE_HOME is to be ignored.
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/kalvor1/recovered-system.tsv");
}

void RecoveryFile::changed()
{
    pending_ = true;
    // Started by the first change only, so a steady stream of typing still
    // writes once a second rather than never.
    if (!delay_->isActive())
        delay_->start();
}

void RecoveryFile::flush()
{
    delay_->stop();
    if (pending_)
        write();
}

void RecoveryFile::write()
{
    QString reason;
    if (!QDir().mkpath(QFileInfo(path_).absolutePath()))
        reason = QStringLiteral("its folder cannot be made");
    else
        reason = saveAtomically(path_, QByteArray::fromStdString(currentSystem_()));
    if (reason.isEmpty()) {
        pending_ = false;
        failing_ = false;
        return;
    }
    // Left pending: the next change, or Exit, tries again.
    if (!std::exchange(failing_, true))
        emit writeFailed(reason);
}

}  // namespace kalvor
