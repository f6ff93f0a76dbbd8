#include "windows/systemfiledrop.h"

#include <string_view>
#include <utility>

#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include "core/systemfile.h"
#include "windows/form1messages.h"

namespace kalvor {

namespace {

QString counted(qsizetype count, const char* one, const char* many)
{
    return QString::number(count) + QLatin1Char(' ') + QLatin1String(count == 1 ? one : many);
}

DroppedSystem refused(const QString& path, const QString& why)
{
    return {{}, QStringLiteral("The file \"%1\" %2.").arg(QFileInfo(path).fileName(), why), '\t', {}};
}

}  // namespace

QString droppedSystemFile(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return {};
    const QString path = urls.front().toLocalFile();
    for (const char* ending : {".tsv", ".csv", ".txt"})
        if (path.endsWith(QLatin1String(ending), Qt::CaseInsensitive))
            return path;
    return {};
}

DroppedSystem readSystemFileAt(const QString& path)
{
    // A pipe or a device named like a system file could keep the read
    // waiting for ever; only a plain file is read.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return refused(path, QStringLiteral("cannot be read: it is not a plain file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refused(path, QStringLiteral("cannot be read: ") + file.errorString());
    const auto tooLarge = [](qint64 size) { return size > qint64(MaxSystemFileBytes); };
    const QString tooLargeWhy = QStringLiteral("is ") + messageText(TooLargeFileReason);
    if (tooLarge(file.size()))
        return refused(path, tooLargeWhy);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return refused(path, QStringLiteral("cannot be read: ") + file.errorString());
    // The file may have grown since its size was looked at.
    if (tooLarge(bytes.size()))
        return refused(path, tooLargeWhy);

    SystemFile system = readSystemFile(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    if (system.problem != SystemFileProblem::None)
        return refused(path, QStringLiteral("cannot be used: ") + QString::fromStdString(describeProblem(system)));
    return {std::move(system.rows), {}, system.separator, std::move(system.parameters)};
}

DroppedSystem readDroppedSystem(const QString& path, int unknowns)
{
    DroppedSystem system = readSystemFileAt(path);
    const auto equations = qsizetype(system.rows.size());
    if (system.refusal.isEmpty() && equations != unknowns)
        return refused(path,
                       QStringLiteral("holds a system of %1; this window has %2")
                           .arg(counted(equations, "equation", "equations"), counted(unknowns, "unknown", "unknowns")));
    return system;
}

}  // namespace kalvor
