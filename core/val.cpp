#include "core/val.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/decimalbuilder.h"

namespace kalvor {

namespace {

bool isSkipped(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Walks the text one significant character at a time, stepping over the
// spaces, tabs and line feeds that may stand anywhere.
class Cursor {
public:
    explicit Cursor(std::string_view text) : text_(text) { skip(); }

    bool atEnd() const { return at_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[at_]; }
    void advance()
    {
        ++at_;
        skip();
    }

private:
    void skip()
    {
        while (at_ < text_.size() && isSkipped(text_[at_]))
            ++at_;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

int digitValue(char c, int base)
{
    int v = -1;
    if (isDigit(c))
        v = c - '0';
    else if (c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    return v < base ? v : -1;
}

// A whole number in base 16 or 8, rounded to the nearest double (ties to
// even) however many digits it has; too large gives +infinity.
double readPrefixed(Cursor& in, int base)
{
    const int bitsPerDigit = base == 16 ? 4 : 3;
    constexpr int kMantissaBits = 53;
    std::uint64_t mantissa = 0;  // the first 53 significant bits
    int kept = 0;
    std::int64_t dropped = 0;  // significant bits past the first 53
    bool roundBit = false;
    bool sticky = false;
    for (int v = digitValue(in.peek(), base); v >= 0; v = digitValue(in.peek(), base)) {
        in.advance();
        for (int b = bitsPerDigit - 1; b >= 0; --b) {
            const bool bit = (v >> b) & 1;
            if (kept == 0 && !bit)
                continue;
            if (kept < kMantissaBits) {
                mantissa = mantissa << 1 | bit;
                ++kept;
            } else {
                if (dropped == 0)
                    roundBit = bit;
                else
                    sticky = sticky || bit;
                if (dropped < (std::int64_t{1} << 40))
                    ++dropped;
            }
        }
    }
    if (roundBit && (sticky || (mantissa & 1)))
        ++mantissa;  // may reach 2^53, which is still exact
    if (dropped > 2000)
        return HUGE_VAL;
    return std::ldexp(static_cast<double>(mantissa), static_cast<int>(dropped));
}

double readDecimal(Cursor& in)
{
    bool negative = false;
    if (in.peek() == '+' || in.peek() == '-') {
        negative = in.peek() == '-';
        in.advance();
    }
    DecimalBuilder number;
    bool anyDigit = false;
    while (isDigit(in.peek())) {
        const char digit = in.peek();
        number.addIntegerDigits(std::string_view(&digit, 1));
        in.advance();
        anyDigit = true;
    }
    if (in.peek() == '.') {
        in.advance();
        while (isDigit(in.peek())) {
            const char digit = in.peek();
            number.addFractionDigits(std::string_view(&digit, 1));
            in.advance();
            anyDigit = true;
        }
    }
    if (!anyDigit)
        return 0.0;
    const char letter = in.peek();
    if (letter == 'E' || letter == 'e' || letter == 'D' || letter == 'd') {
        // An exponent letter without digits simply ends the number, and then
        // nothing it consumed has any effect.
        in.advance();
        if (in.peek() == '+' || in.peek() == '-') {
            number.setExponentNegative(in.peek() == '-');
            in.advance();
        }
        while (isDigit(in.peek())) {
            number.addExponentDigit(in.peek());
            in.advance();
        }
    }
    return number.finish(negative).value;
}

}  // namespace

double val(std::string_view text)
{
    Cursor in(text);
    if (in.peek() == '&') {
        in.advance();
        const char kind = in.peek();
        if (kind == 'H' || kind == 'h') {
            in.advance();
            return readPrefixed(in, 16);
        }
        if (kind == 'O' || kind == 'o') {
            in.advance();
            return readPrefixed(in, 8);
        }
        return 0.0;
    }
    return readDecimal(in);
}

}  // namespace kalvor
