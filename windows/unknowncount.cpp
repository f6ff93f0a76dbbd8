#include "windows/unknowncount.h"

#include "core/countreading.h"

namespace kalvor {

std::optional<int> unknownCountFromText(const QString& text)
{
    // Every blank Qt knows (a no-break space too) is taken off here; the
    // core reads the rest, independently of the process locale.
    return unknownCount(text.trimmed().toStdString());
}

}  // namespace kalvor
