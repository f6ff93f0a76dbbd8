// Fuzz target: the three number patterns and the result text, on any finite
// double (the input's bytes are taken as bit patterns). Each text must have
// its pattern's shape and read back (val) within half a unit of its last
// digit of the value, allowing for the rounding to 15 significant digits
// that comes first; the general form must read back to the value's 15
// significant digits. The result text is rebuilt from the patterns by its
// composition rules and compared.
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "core/core.h"
#include "fuzz/bytereader.h"
#include "fuzz/fuzzcheck.h"

namespace kalvor {
namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Decimal exponent of the value rounded to 15 significant digits.
int exponent15(double v)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 14);
    const std::string_view s(buf, r.ptr - buf);
    int e = 0;
    const std::size_t at = s.find('e') + 1;
    std::from_chars(s.data() + at + (s[at] == '+' ? 1 : 0), s.data() + s.size(), e);
    return e;
}

// How far the text's value may lie from v: half a unit of its last shown
// place, plus half a unit of the 15th significant digit, plus the rounding
// of the reading itself.
bool readsBackWithin(const std::string& text, double v, long double lastPlaceUnit)
{
    const double back = val(text);
    const long double halfUnit15 = v == 0 ? 0.0L : 0.5L * std::pow(10.0L, exponent15(v) - 14);
    const long double allowed = 0.5L * lastPlaceUnit + halfUnit15;
    if (std::isinf(back))
        // A text rounded up past the largest double reads back as infinity;
        // that is the rounding rule, not a fault, when the value is close
        // enough to the largest double for its rounding to get there.
        return std::fabs(static_cast<long double>(v)) + allowed >= static_cast<long double>(DBL_MAX);
    const long double readUlp = std::nextafter(std::fabs(back), HUGE_VAL) - std::fabs(back);
    const long double error = std::fabs(static_cast<long double>(back) - static_cast<long double>(v));
    return error <= allowed + readUlp;
}

// "<text> of <value>", for a failure message.
std::string textOf(const std::string& text, double v)
{
    std::string out = text;
    out += " of ";
    out += numberText(v);
    return out;
}

// "-"? then integer digits without a superfluous leading zero.
std::size_t signAndInteger(const std::string& s, bool& ok)
{
    std::size_t i = s[0] == '-' ? 1 : 0;
    const std::size_t start = i;
    while (i < s.size() && isDigit(s[i]))
        ++i;
    ok = i > start && !(s[start] == '0' && i - start > 1);
    return i;
}

void checkFixed(double v)
{
    const std::string f = formatFixed(v);
    bool ok = !f.empty();
    std::size_t i = ok ? signAndInteger(f, ok) : 0;
    ok = ok && i + 5 == f.size() && f[i] == '.';
    for (std::size_t d = i + 1; ok && d < f.size(); ++d)
        ok = isDigit(f[d]);
    fuzzCheck(ok, "fixed pattern text is not of the form 0.0000", f);
    fuzzCheck((f[0] == '-') == (v < 0), "fixed pattern sign differs from the value's", f);
    fuzzCheck(readsBackWithin(f, v, 1e-4L), "fixed pattern does not read back within half a unit", textOf(f, v));
}

void checkScientific(double v)
{
    const std::string s = formatScientific(v);
    const std::size_t at = s[0] == '-' ? 1 : 0;
    bool ok = s.size() >= at + 10 && isDigit(s[at]) && s[at + 1] == '.' && s[at + 6] == 'E'
        && (s[at + 7] == '+' || s[at + 7] == '-');
    for (std::size_t d = at + 2; ok && d < at + 6; ++d)
        ok = isDigit(s[d]);
    for (std::size_t d = at + 8; ok && d < s.size(); ++d)
        ok = isDigit(s[d]);
    ok = ok && s.size() - (at + 8) >= 2 && s.size() - (at + 8) <= 3;
    fuzzCheck(ok, "scientific pattern text is not of the form 0.0000E+00", s);
    fuzzCheck(v == 0 ? s == "0.0000E+00" : s[at] != '0',
              "scientific pattern mantissa does not start with a non-zero digit", s);
    fuzzCheck((s[0] == '-') == (v < 0), "scientific pattern sign differs from the value's", s);
    int e = 0;
    std::from_chars(s.data() + at + 8, s.data() + s.size(), e);
    if (s[at + 7] == '-')
        e = -e;
    fuzzCheck(readsBackWithin(s, v, std::pow(10.0L, e - 4)), "scientific pattern does not read back within half a unit",
              textOf(s, v));
}

void checkGeneral(double v)
{
    const std::string g = formatGeneral(v);
    bool ok = !g.empty();
    std::size_t i = ok && g[0] == '-' ? 1 : 0;
    int significant = 0;
    bool leading = true;
    std::size_t mantissaDigits = 0;
    bool point = false;
    for (; ok && i < g.size() && (isDigit(g[i]) || (g[i] == '.' && !point)); ++i) {
        if (g[i] == '.') {
            point = true;
            continue;
        }
        ++mantissaDigits;
        leading = leading && g[i] == '0';
        significant += leading ? 0 : 1;
    }
    ok = ok && mantissaDigits > 0 && significant <= 15;
    const std::size_t mantissaEnd = i;
    if (ok && point)  // no trailing zero or point after the decimals
        ok = g[mantissaEnd - 1] != '0' && g[mantissaEnd - 1] != '.';
    const bool hasExponent = ok && i < g.size();
    if (hasExponent) {
        ok = g[i] == 'E' && i + 1 < g.size() && (g[i + 1] == '+' || g[i + 1] == '-') && g.size() - (i + 2) >= 2;
        for (std::size_t d = i + 2; ok && d < g.size(); ++d)
            ok = isDigit(g[d]);
    }
    fuzzCheck(ok, "general form text is malformed", g);
    if (v != 0) {
        const int e = exponent15(v);
        fuzzCheck(hasExponent == (e < -4 || e > 14), "general form uses the exponent for the wrong decimal exponent",
                  textOf(g, v));
    }
    fuzzCheck(readsBackWithin(g, v, 0), "general form does not match the value to 15 significant digits", textOf(g, v));
}

// The result text rebuilt from the three patterns by the composition rules;
// empty when the shown imaginary part is not a number (a value within a
// hair of the largest double, whose 15-digit text overflows): the rules then
// give no text, and only a clean return is required.
std::optional<std::string> expectedResultText(double re, double im)
{
    const auto shown = [](double v) {
        const std::string fixed = formatFixed(v), sci = formatScientific(v);
        // Two texts that both overflow to infinity are not thereby the same
        // number: the scientific one is shown then.
        const double back = val(sci);
        return val(fixed) == back && std::isfinite(back) ? fixed : sci;
    };
    const std::string showIm = shown(im);
    const std::optional<double> imValue = readNumber(PartValue::fromText(showIm));
    if (!imValue)
        return std::nullopt;
    std::string text(1, ' ');
    text += shown(re);
    if (*imValue < 0) {
        text += " - ";
        text += formatGeneral(-*imValue);
    } else {
        text += " + ";
        text += showIm;
    }
    text += 'i';
    return text;
}

}  // namespace
}  // namespace kalvor

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kalvor;
    ByteReader in(data, size);
    const double re = in.rawDouble();
    const double im = in.rawDouble();
    for (double v : {re, im}) {
        if (!std::isfinite(v))
            continue;
        checkFixed(v);
        checkScientific(v);
        checkGeneral(v);
    }
    if (std::isfinite(re) && std::isfinite(im)) {
        const std::string text = resultText(re, im);
        const std::optional<std::string> expected = expectedResultText(re, im);
        fuzzCheck(!expected || text == *expected, "result text differs from its composition rules",
                  textOf(text, re) + ", " + numberText(im));
    }
    return 0;
}
