#pragma once

#include <charconv>
#include <cmath>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace kalvor {

// The double nearest to sign, digits (with at most one full stop) times ten
// to `exponent`; the digits must hold at least one digit. Beyond the double
// range gives an infinity of the sign; too small gives the nearest double,
// down to a zero of the sign. Written for the fuzz targets' reference
// readings, independently of the core.
inline double decimalValue(std::string_view signAndDigits, long long exponent)
{
    std::string text(signAndDigits.substr(!signAndDigits.empty() && signAndDigits[0] == '+' ? 1 : 0));
    const bool negative = !text.empty() && text[0] == '-';
    // Where the first non-zero digit stands as a power of ten, plus one
    // ("123" 3, "0.5" 0, "0.005" -2): tells an overflow from an underflow.
    long long place = 0;
    bool point = false, nonZero = false;
    for (char c : text) {
        if (c == '.')
            point = true;
        else if (c >= '1' && c <= '9')
            nonZero = true;
        if (c >= '0' && c <= '9') {
            if (!point && nonZero)
                ++place;
            else if (point && !nonZero)
                --place;
        }
    }
    text += 'e';
    text += std::to_string(exponent);
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc::result_out_of_range) {
        const double magnitude = nonZero && place + exponent > 0 ? HUGE_VAL : 0.0;
        value = negative ? -magnitude : magnitude;
    }
    return value;
}

// Reads digits into `out` for an exponent, saturating: any exponent this
// large is out of range either way. Returns the position after the digits.
inline std::size_t exponentDigits(std::string_view s, std::size_t i, long long& out)
{
    out = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
        if (out < 100000000)
            out = out * 10 + (s[i] - '0');
    return i;
}

// The number a whole part text stands for: blanks (space, tab) around, a
// sign that may be followed by blanks, digits with at most one full stop and
// at least one digit, an optional exponent (E or e, optional sign, at least
// one digit). Empty when the text is not of that form or its value lies
// beyond the double range.
inline std::optional<double> referenceNumber(std::string_view s)
{
    std::size_t i = 0;
    const auto blanks = [&] {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
            ++i;
    };
    std::string digits;
    blanks();
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        digits.push_back(s[i++]);
        blanks();
    }
    bool sawDigit = false, sawPoint = false;
    for (; i < s.size() && ((s[i] >= '0' && s[i] <= '9') || (s[i] == '.' && !sawPoint)); ++i) {
        sawPoint = sawPoint || s[i] == '.';
        sawDigit = sawDigit || s[i] != '.';
        digits.push_back(s[i]);
    }
    if (!sawDigit)
        return std::nullopt;
    long long exponent = 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        const bool negative = i < s.size() && s[i] == '-';
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        const std::size_t start = i;
        i = exponentDigits(s, i, exponent);
        if (i == start)
            return std::nullopt;
        if (negative)
            exponent = -exponent;
    }
    blanks();
    if (i != s.size())
        return std::nullopt;
    const double value = decimalValue(digits, exponent);
    if (std::isinf(value))
        return std::nullopt;
    return value;
}

}  // namespace kalvor
