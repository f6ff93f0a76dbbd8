// Fuzz target: val on any text, compared with a reference reading written
// here from the rules: blanks (space, tab, line feed) dropped wherever they
// stand, then a sign, digits with at most one full stop and an exponent (E,
// e, D or d), or &H / &O with hexadecimal / octal digits; the longest such
// beginning counts and a text with none gives 0.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "core/val.h"
#include "fuzz/fuzzcheck.h"
#include "fuzz/numbergrammar.h"

namespace kalvor {
namespace {

bool isDigitIn(char c, int base)
{
    if (c >= '0' && c <= '9')
        return c - '0' < base;
    return base == 16 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'));
}

// Returns whether the reference value is exact: a long &H or &O number may be
// rounded either way by the core, and is then compared with a tolerance.
bool referenceVal(std::string_view text, double& value)
{
    std::string s;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n')
            s.push_back(c);
    value = 0;
    std::size_t i = 0;
    if (s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
        const int base = (s[1] == 'H' || s[1] == 'h') ? 16 : 8;
        int digits = 0;
        for (i = 2; i < s.size() && isDigitIn(s[i], base); ++i) {
            const int d = s[i] <= '9' ? s[i] - '0' : (s[i] | 0x20) - 'a' + 10;
            value = value * base + d;
            if (value != 0)
                ++digits;
        }
        return digits * (base == 16 ? 4 : 3) <= 53;
    }
    std::string digits;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        digits.push_back(s[i++]);
    bool sawDigit = false, sawPoint = false;
    for (; i < s.size() && ((s[i] >= '0' && s[i] <= '9') || (s[i] == '.' && !sawPoint)); ++i) {
        sawPoint = sawPoint || s[i] == '.';
        sawDigit = sawDigit || s[i] != '.';
        digits.push_back(s[i]);
    }
    if (!sawDigit)
        return true;  // no number at the start: 0
    long long exponent = 0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        ++i;
        const bool negative = i < s.size() && s[i] == '-';
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        exponentDigits(s, i, exponent);  // no digits: the exponent is 0
        if (negative)
            exponent = -exponent;
    }
    value = decimalValue(digits, exponent);
    return true;
}

}  // namespace
}  // namespace kalvor

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kalvor;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const double got = val(text);
    double expected = 0;
    const bool exact = referenceVal(text, expected);
    if (exact) {
        // == treats the two zeros alike, which is all a leading number needs.
        if (!(got == expected || (std::isnan(got) && std::isnan(expected))))
            std::fprintf(stderr, "val gave %s, expected %s\n", numberText(got).c_str(), numberText(expected).c_str());
        fuzzCheck(got == expected, "val differs from the reference reading", text);
    } else {
        fuzzCheck(std::isinf(expected) ? got == expected : std::fabs(got - expected) <= std::fabs(expected) * 0x1p-40,
                  "val of a long &H/&O number is off by more than rounding", text);
    }
    fuzzCheck(!std::isnan(got), "val gave NaN", text);
    return 0;
}
