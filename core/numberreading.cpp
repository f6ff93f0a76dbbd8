#include "core/numberreading.h"

#include <cstddef>
#include <string_view>

#include "core/decimalbuilder.h"

namespace kalvor {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads the whole text as one number or fails. Every byte outside the
// grammar, multibyte look-alikes included, ends the number and so fails it.
std::optional<double> readText(std::string_view s)
{
    std::size_t at = 0;
    const auto skipBlanks = [&] {
        while (at < s.size() && isBlank(s[at]))
            ++at;
    };

    skipBlanks();
    bool negative = false;
    if (at < s.size() && (s[at] == '+' || s[at] == '-')) {
        negative = s[at] == '-';
        ++at;
        skipBlanks();
    }

    // Scans a run of digits and returns it.
    const auto digitRun = [&] {
        const std::size_t from = at;
        while (at < s.size() && isDigit(s[at]))
            ++at;
        return s.substr(from, at - from);
    };

    DecimalBuilder number;
    const std::string_view integerDigits = digitRun();
    number.addIntegerDigits(integerDigits);
    std::size_t digits = integerDigits.size();
    if (at < s.size() && s[at] == '.') {
        ++at;
        const std::string_view fractionDigits = digitRun();
        number.addFractionDigits(fractionDigits);
        digits += fractionDigits.size();
    }
    if (digits == 0)
        return std::nullopt;

    if (at < s.size() && (s[at] == 'E' || s[at] == 'e')) {
        ++at;
        if (at < s.size() && (s[at] == '+' || s[at] == '-')) {
            number.setExponentNegative(s[at] == '-');
            ++at;
        }
        std::size_t exponentDigits = 0;
        while (at < s.size() && isDigit(s[at])) {
            number.addExponentDigit(s[at++]);
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return std::nullopt;
    }

    skipBlanks();
    if (at != s.size())
        return std::nullopt;

    const DecimalBuilder::Result result = number.finish(negative);
    if (result.overflow)
        return std::nullopt;
    return result.value;
}

} // namespace

std::optional<double> readNumber(const PartValue& part)
{
    if (!part.isText())
        return static_cast<double>(part.integer());
    return readText(part.text());
}

} // namespace kalvor
