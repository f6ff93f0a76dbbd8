#pragma once

#include <QByteArray>
#include <QString>

namespace kalvor {

// Writes `bytes` to the file at `path` atomically: into a temporary file in
// the same folder, flushed, then renamed over `path`. Returns an empty text
// on success; otherwise the reason, and a file already at `path` is left
// exactly as it was.
QString saveAtomically(const QString& path, const QByteArray& bytes);

}  // namespace kalvor
