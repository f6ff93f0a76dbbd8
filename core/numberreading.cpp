#include "core/numberreading.h"

#include <cstddef>
#include <cstdint>
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

// The common case in one pass: blanks, an optional sign, at most fifteen
// significant digits with an optional point, an optional short exponent,
// blanks. The digits then form an integer below 2^53 and, when the power of
// ten is an exact double, one IEEE multiplication or division rounds
// correctly. Gives no value for anything else, which then takes the full
// route below (so this never decides that a text is not a number).
std::optional<double> readShortText(std::string_view s)
{
    static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11,
        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    std::size_t at = 0;
    const std::size_t size = s.size();
    while (at < size && isBlank(s[at]))
        ++at;
    bool negative = false;
    if (at < size && (s[at] == '+' || s[at] == '-')) {
        negative = s[at] == '-';
        ++at;
        while (at < size && isBlank(s[at]))
            ++at;
    }
    std::uint64_t digits = 0;
    int significant = 0;
    int allDigits = 0;
    int fractionDigits = 0;
    bool point = false;
    for (; at < size; ++at) {
        const char c = s[at];
        if (isDigit(c)) {
            ++allDigits;
            if (point)
                ++fractionDigits;
            if (significant > 0 || c != '0') {
                if (++significant > 15)
                    return std::nullopt;
                digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
            }
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (allDigits == 0)
        return std::nullopt;
    int exponent = 0;
    if (at < size && (s[at] == 'E' || s[at] == 'e')) {
        ++at;
        bool exponentNegative = false;
        if (at < size && (s[at] == '+' || s[at] == '-')) {
            exponentNegative = s[at] == '-';
            ++at;
        }
        int exponentDigits = 0;
        for (; at < size && isDigit(s[at]); ++at) {
            if (++exponentDigits > 4)
                return std::nullopt;
            exponent = exponent * 10 + (s[at] - '0');
        }
        if (exponentDigits == 0)
            return std::nullopt;
        if (exponentNegative)
            exponent = -exponent;
    }
    while (at < size && isBlank(s[at]))
        ++at;
    if (at != size)
        return std::nullopt;
    const double sign = negative ? -1.0 : 1.0;
    if (digits == 0)
        return sign * 0.0;
    const int scale = exponent - fractionDigits;
    if (scale < -22 || scale > 22)
        return std::nullopt;
    const auto m = static_cast<double>(digits);
    return sign * (scale >= 0 ? m * kPowers[scale] : m / kPowers[-scale]);
}

// Reads the whole text as one number or fails. Every byte outside the
// grammar, multibyte look-alikes included, ends the number and so fails it.
std::optional<double> readText(std::string_view s)
{
    if (const std::optional<double> quick = readShortText(s))
        return quick;

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
