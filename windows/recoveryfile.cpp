#include "windows/recoveryfile.h"

#include <algorithm>
#include <utility>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include "platform/savedfile.h"
#include "windows/systemfiledrop.h"

namespace kalvor {

namespace {

const QString filePattern = QStringLiteral("recovered-*.tsv");

// The folder's recovery files, newest first; equal times by name, newest
// name first (the names begin with the time they were made).
QFileInfoList recoveryFiles(const QString& folder)
{
    QFileInfoList files = QDir(folder).entryInfoList({filePattern}, QDir::Files);
    std::sort(files.begin(), files.end(), [](const QFileInfo& a, const QFileInfo& b) {
        const QDateTime ta = a.lastModified(), tb = b.lastModified();
        return ta != tb ? ta > tb : a.fileName() > b.fileName();
    });
    return files;
}

}  // namespace

RecoveryFile::RecoveryFile(std::function<std::string()> currentSystem, QObject* parent)
    : QObject(parent), currentSystem_(std::move(currentSystem))
{
    delay_ = new QTimer(this);
    delay_->setSingleShot(true);
    delay_->setInterval(1000);
    connect(delay_, &QTimer::timeout, this, &RecoveryFile::flush);
}

QString RecoveryFile::folder()
{
    // Qt 6.4 knows no state location; this is the base directory rule for
    // state data: a relative XDG_STATE_HOME is to be ignored.
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/kalvor1");
}

std::vector<RecoveryFile::Entry> RecoveryFile::history() const
{
    std::vector<Entry> entries;
    QHash<QString, Seen> seen;
    for (const QFileInfo& file : recoveryFiles(folder())) {
        const QString path = file.absoluteFilePath();
        if (path == QFileInfo(path_).absoluteFilePath())
            continue;
        Seen known = seen_.value(path);
        if (known.written != file.lastModified() || known.size != file.size()) {
            const DroppedSystem system = readSystemFileAt(path);
            known = {file.lastModified(), file.size(), system.refusal.isEmpty() ? int(system.rows.size()) : 0};
        }
        seen.insert(path, known);
        if (known.unknowns > 0)
            entries.push_back({path, known.unknowns, known.written});
    }
    seen_ = std::move(seen);
    return entries;
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

void RecoveryFile::startNewFile()
{
    delay_->stop();
    pending_ = false;
    path_.clear();
}

QString RecoveryFile::newFileName()
{
    // The time first, so names sort as they were made; the process and a
    // count keep the runs and the files of a run apart.
    static int filesMade = 0;
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    return QDir(folder()).filePath(
        QStringLiteral("recovered-%1-%2-%3.tsv").arg(stamp).arg(QCoreApplication::applicationPid()).arg(++filesMade));
}

void RecoveryFile::write()
{
    QString reason;
    const bool newFile = path_.isEmpty();
    if (!QDir().mkpath(folder())) {
        reason = QStringLiteral("its folder cannot be made");
    } else {
        if (newFile)
            path_ = newFileName();
        reason = saveAtomically(path_, QByteArray::fromStdString(currentSystem_()));
    }
    if (reason.isEmpty()) {
        pending_ = false;
        failing_ = false;
        if (newFile)
            pruneHistory();
        return;
    }
    // Left pending: the next change, or Exit, tries again (with a new name
    // if this one was never made).
    if (newFile)
        path_.clear();
    if (!std::exchange(failing_, true))
        emit writeFailed(reason);
}

void RecoveryFile::pruneHistory() const
{
    // This object's own file, and the newest of the others.
    int others = 0;
    for (const QFileInfo& file : recoveryFiles(folder())) {
        if (file.absoluteFilePath() == QFileInfo(path_).absoluteFilePath())
            continue;
        if (++others >= keptFiles)
            QFile::remove(file.absoluteFilePath());
    }
}

}  // namespace kalvor
