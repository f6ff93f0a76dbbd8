#include "windows/unknowncount.h"

#include <cmath>
#include <string>

#include "core/numberreading.h"
#include "core/partvalue.h"

namespace kalvor {

std::optional<int> unknownCountFromText(const QString& text)
{
    // Blanks around the number are allowed; the number reading takes care of
    // everything between them, and is independent of the process locale.
    const std::optional<double> value =
        readNumber(PartValue::fromText(text.trimmed().toStdString()));
    if (!value || !std::isfinite(*value))
        return std::nullopt;

    // Halves go to the even neighbour.
    double whole = std::floor(*value);
    const double fraction = *value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;

    // Outside the 16-bit range the conversion itself fails; inside it, only
    // 1 to 500 gives tables the working storage can hold.
    if (whole < -32768.0 || whole > 32767.0)
        return std::nullopt;
    if (whole < 1.0 || whole > 500.0)
        return std::nullopt;
    return static_cast<int>(whole);
}

} // namespace kalvor
