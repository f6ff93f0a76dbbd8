#pragma once

#include <string>
#include <vector>

#include <QString>

#include "core/core.h"

class QMimeData;

namespace kalvor {

// The one system file a drag carries: exactly one URL, a local file whose
// name ends in .tsv, .csv or .txt (in any case). Empty for anything else.
QString droppedSystemFile(const QMimeData* data);

// A system file read from disk: N rows of N + 1 cell texts (UTF-8) and the
// separator they were read with, or, when it cannot be used, the message
// saying why (then rows is empty); the parameter lines before the rows.
struct DroppedSystem {
    std::vector<std::vector<std::string>> rows;
    QString refusal;
    char separator = '\t';
    std::vector<Parameter> parameters;
};

// Reads the whole file at `path` as a system file of any N. It is refused
// when it cannot be read, is larger than a system file may be, or has a
// problem the system file reader finds (the message names the line).
DroppedSystem readSystemFileAt(const QString& path);

// As readSystemFileAt, for a window of `unknowns` unknowns: a file holding
// another number of equations is refused too.
DroppedSystem readDroppedSystem(const QString& path, int unknowns);

}  // namespace kalvor
