#include "core/numberformat.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <optional>
#include <string>

#include "core/numberreading.h"
#include "core/partvalue.h"
#include "core/val.h"

namespace kalvor {

namespace {

constexpr int kSignificant = 15;

// A finite non-zero magnitude rounded to 15 significant digits:
// digits[0] is never '0', and its place value is 10^exponent.
struct Decimal15 {
    std::array<char, kSignificant> digits{};
    int exponent = 0;

    // The digit at place value 10^place, zero outside the 15 digits.
    char at(int place) const
    {
        const int index = exponent - place;
        return index >= 0 && index < kSignificant ? digits[index] : '0';
    }
};

// Adds one unit in the last place of a digit string; returns the carry out
// of its first digit.
bool incrementDigits(char* first, char* last)
{
    for (char* p = last; p != first;) {
        --p;
        if (*p != '9') {
            ++*p;
            return false;
        }
        *p = '0';
    }
    return true;
}

// Rounds half away from zero: up in magnitude when the first dropped digit
// is 5 or more, which is right only because the digits below are exact.
Decimal15 roundTo15(double magnitude)
{
    // Precision 767 gives every digit of a double's exact binary value, so
    // the dropped digit is the true one and not itself already rounded.
    std::array<char, 800> buffer{};
    const auto written
        = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude, std::chars_format::scientific, 767);
    // Layout: d.ddd...ddde[+-]xx
    const char* e = written.ptr;
    while (*e != 'e')
        --e;
    int exponent = 0;
    const char* expDigits = e + 1;
    const bool negative = *expDigits == '-';
    ++expDigits;
    std::from_chars(expDigits, written.ptr, exponent);
    if (negative)
        exponent = -exponent;

    Decimal15 d;
    d.digits[0] = buffer[0];
    for (int i = 1; i < kSignificant; ++i)
        d.digits[i] = buffer[i + 1];  // skip the point
    d.exponent = exponent;
    if (buffer[kSignificant + 1] >= '5' && incrementDigits(d.digits.data(), d.digits.data() + kSignificant)) {
        d.digits[0] = '1';  // 9.99...9 became 10.00...0
        ++d.exponent;
    }
    return d;
}

std::string exponentText(int exponent)
{
    std::string out(1, exponent < 0 ? '-' : '+');
    const int magnitude = exponent < 0 ? -exponent : exponent;
    if (magnitude < 10)
        out.push_back('0');
    char buffer[8];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, magnitude);
    out.append(buffer, written.ptr);
    return out;
}

// The 15-digit form rounded on to 5 significant digits, half away from
// zero; the digits after the fifth are zeros.
Decimal15 roundTo5(double magnitude)
{
    Decimal15 d = roundTo15(magnitude);
    const bool up = d.digits[5] >= '5';
    for (int i = 5; i < kSignificant; ++i)
        d.digits[i] = '0';
    if (up && incrementDigits(d.digits.data(), d.digits.data() + 5)) {
        d.digits[0] = '1';  // 9.99995 became 10.0000
        ++d.exponent;
    }
    return d;
}

// The general form of a decimal: its significant digits without trailing
// zeros, positioned plainly for exponents -4 to 14, else with an exponent.
std::string generalText(const Decimal15& d, bool negative)
{
    int count = kSignificant;
    while (count > 1 && d.digits[count - 1] == '0')
        --count;
    const std::string_view digits(d.digits.data(), static_cast<std::size_t>(count));

    std::string out = negative ? "-" : "";
    if (d.exponent < -4 || d.exponent > 14) {
        out.push_back(digits[0]);
        if (count > 1) {
            out.push_back('.');
            out.append(digits.substr(1));
        }
        out.push_back('E');
        out += exponentText(d.exponent);
    } else if (d.exponent < 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-d.exponent - 1), '0');
        out.append(digits);
    } else {
        const auto integerDigits = static_cast<std::size_t>(d.exponent) + 1;
        if (digits.size() <= integerDigits) {
            out.append(digits);
            out.append(integerDigits - digits.size(), '0');
        } else {
            out.append(digits.substr(0, integerDigits));
            out.push_back('.');
            out.append(digits.substr(integerDigits));
        }
    }
    return out;
}

}  // namespace

std::string formatFixed(double value)
{
    if (value == 0.0)
        return "0.0000";
    const Decimal15 d = roundTo15(std::fabs(value));

    // All places from the highest integer digit down to 10^-4, then round
    // on the digit at 10^-5.
    const int top = d.exponent > 0 ? d.exponent : 0;
    std::string digits;
    digits.reserve(static_cast<std::size_t>(top) + 6);
    for (int place = top; place >= -4; --place)
        digits.push_back(d.at(place));
    if (d.at(-5) >= '5' && incrementDigits(digits.data(), digits.data() + digits.size()))
        digits.insert(digits.begin(), '1');

    std::string out = value < 0.0 ? "-" : "";
    out.append(digits, 0, digits.size() - 4);
    out.push_back('.');
    out.append(digits, digits.size() - 4, 4);
    return out;
}

std::string formatScientific(double value)
{
    if (value == 0.0)
        return "0.0000E+00";
    const Decimal15 d = roundTo5(std::fabs(value));
    std::string out = value < 0.0 ? "-" : "";
    out.push_back(d.digits[0]);
    out.push_back('.');
    out.append(d.digits.data() + 1, 4);
    out.push_back('E');
    out += exponentText(d.exponent);
    return out;
}

std::string formatGeneral(double value)
{
    if (value == 0.0)
        return "0";
    return generalText(roundTo15(std::fabs(value)), value < 0.0);
}

std::string resultPartText(double value)
{
    // Next to the largest double a text can read back as an infinity; two
    // infinities say nothing about the texts being equal.
    std::string fixed = formatFixed(value);
    std::string scientific = formatScientific(value);
    const double fixedBack = val(fixed);
    const double scientificBack = val(scientific);
    const bool same = fixedBack == scientificBack && std::isfinite(scientificBack);
    return same ? fixed : scientific;
}

std::string resultText(double re, double im)
{
    const std::string showRe = resultPartText(re);
    const std::string showIm = resultPartText(im);
    const std::optional<double> imaginary = readNumber(PartValue::fromText(showIm));
    if (imaginary) {
        if (*imaginary < 0.0)
            return " " + showRe + " - " + formatGeneral(-*imaginary) + "i";
        return " " + showRe + " + " + showIm + "i";
    }
    // The shown scientific text of a value next to the largest double can
    // round past it and read as no number at all. Its sign is the value's,
    // and its magnitude is written from its own five digits.
    if (im < 0.0)
        return " " + showRe + " - " + generalText(roundTo5(-im), false) + "i";
    return " " + showRe + " + " + showIm + "i";
}

std::string shortestText(double value)
{
    // to_chars without a precision gives the shortest text that reads back
    // exactly, in the C locale's form whatever the process locale is.
    std::array<char, 32> buffer{};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    std::string text(buffer.data(), ec == std::errc() ? end : buffer.data());
    for (char& c : text)
        if (c == 'e')
            c = 'E';
    return text;
}

}  // namespace kalvor
