#include "windows/recentfiles.h"

#include <utility>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/savedfile.h"

namespace kalvor {

RecentFiles::RecentFiles(QString listPath) : listPath_(std::move(listPath))
{
}

QStringList RecentFiles::paths() const
{
    QFile file(listPath_);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList names;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (!line.isEmpty() && names.size() < keptNames)
            names << QString::fromUtf8(line);
    return names;
}

QString RecentFiles::add(const QString& path)
{
    const QString name = QFileInfo(path).absoluteFilePath();
    // One name a line: a name holding a line break is not kept.
    if (name.contains(QLatin1Char('\n')))
        return {};
    QStringList names = paths();
    names.removeAll(name);
    names.prepend(name);
    while (names.size() > keptNames)
        names.removeLast();
    return write(names);
}

QString RecentFiles::remove(const QString& path)
{
    QStringList names = paths();
    if (names.removeAll(QFileInfo(path).absoluteFilePath()) == 0)
        return {};
    return write(names);
}

QString RecentFiles::write(const QStringList& paths) const
{
    if (!QDir().mkpath(QFileInfo(listPath_).absolutePath()))
        return QStringLiteral("its folder cannot be made");
    QByteArray bytes;
    for (const QString& name : paths)
        bytes += name.toUtf8() + '\n';
    return saveAtomically(listPath_, bytes);
}

}  // namespace kalvor
