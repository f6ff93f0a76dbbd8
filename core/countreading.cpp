#include "core/countreading.h"

#include <cmath>
#include <string>

#include "core/numberreading.h"
#include "core/partvalue.h"
#include "core/systemlimits.h"
#include "core/val.h"

namespace kalvor {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view withoutBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool isDigitOf(char c, int base)
{
    if (c >= '0' && c <= '7')
        return true;
    if (base == 8)
        return false;
    return (c >= '8' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// "&H1F" or "&o17" and nothing else around the digits.
bool isPrefixedWhole(std::string_view text)
{
    if (text.size() < 3 || text[0] != '&')
        return false;
    int base = 0;
    if (text[1] == 'H' || text[1] == 'h')
        base = 16;
    else if (text[1] == 'O' || text[1] == 'o')
        base = 8;
    else
        return false;
    for (const char c : text.substr(2))
        if (!isDigitOf(c, base))
            return false;
    return true;
}

}  // namespace

std::optional<double> readWholeNumber(std::string_view text)
{
    const std::string_view number = withoutBlanks(text);
    if (isPrefixedWhole(number))
        return val(number);  // the grammar is checked, so val reads all of it
    // D is the other exponent letter. Anywhere but in the exponent's place a
    // D makes the text no number, and so does the E it becomes.
    std::string decimal(number);
    for (char& c : decimal)
        if (c == 'D' || c == 'd')
            c = 'E';
    const std::optional<double> value = readNumber(PartValue::fromText(std::move(decimal)));
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    return value;
}

std::optional<int> unknownCount(std::string_view text)
{
    const std::optional<double> value = readWholeNumber(text);
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    // Halves go to the even neighbour.
    double whole = std::floor(*value);
    const double fraction = *value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    if (whole < 1.0 || whole > static_cast<double>(MaxUnknowns))
        return std::nullopt;
    return static_cast<int>(whole);
}

}  // namespace kalvor
