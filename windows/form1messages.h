#pragma once

#include <string_view>

#include <QString>

#include "core/messages.h"

namespace kalvor {

// One of the core's message texts as the window shows it.
inline QString messageText(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// The texts of the two message boxes Solve can bring, word for word as the
// user reads them: one copy for the window and its tests.
inline const QString noSolutionMessage = messageText(NoUniqueSolutionMessage);
inline const QString dataErrorMessage = messageText(DataErrorMessage);

}  // namespace kalvor
