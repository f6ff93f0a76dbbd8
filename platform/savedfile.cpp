#include "platform/savedfile.h"

#include <QSaveFile>

namespace kalvor {

QString saveAtomically(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // Flushed and measured before commit(): a write that stops partway (a
    // full disk, a file size limit) can pass commit() unnoticed, which would
    // then put the cut-off file in place of the old one.
    if (file.write(bytes) != bytes.size() || !file.flush() || file.size() != bytes.size()) {
        file.cancelWriting();
        return QStringLiteral("writing stopped before the end (is the disk full?)");
    }
    // commit() syncs and renames; on failure it removes the temporary file
    // and leaves the old one alone.
    if (!file.commit())
        return file.errorString();
    return {};
}

}  // namespace kalvor
