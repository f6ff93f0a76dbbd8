#include "core/numberreading.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <system_error>

#include "core/decimalbuilder.h"

namespace kalvor {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isDigit(char c)
{
    return static_cast<unsigned char>(c - '0') < 10;
}

const char* skipBlanks(const char* p, const char* end)
{
    while (p != end && isBlank(*p))
        ++p;
    return p;
}

const char* skipZeros(const char* p, const char* end)
{
    while (p != end && *p == '0')
        ++p;
    return p;
}

const char* skipDigits(const char* p, const char* end)
{
    while (p != end && isDigit(*p))
        ++p;
    return p;
}

// The standard conversion counts a written exponent exactly only up to a few
// hundred million (then it saturates, which leading zeros in a huge text
// could make up for); beyond this one the digit-by-digit route decides.
constexpr std::int64_t kLargeExponent = 100'000'000;

// What one pass over a text in the number grammar finds.
struct Scanned {
    bool negative = false;
    const char* number = nullptr;            // the first digit or the point
    const char* numberEnd = nullptr;         // past the last exponent digit
    const char* integerEnd = nullptr;        // past the integer digits
    const char* firstSignificant = nullptr;  // the first non-zero digit, if any
    const char* mantissaEnd = nullptr;       // past the last integer or fraction digit
    std::ptrdiff_t significant = 0;          // digits from the first non-zero one to the last
    std::ptrdiff_t fractionDigits = 0;
    std::int64_t exponent = 0;  // saturating at kExponentCap in magnitude
};

// Checks the whole text against the grammar in one pass: blanks, an
// optional sign and blanks, digits with at most one point (at least one
// digit), an optional exponent with at least one digit, blanks.
bool scan(std::string_view s, Scanned& out)
{
    const char* const end = s.data() + s.size();
    const char* p = skipBlanks(s.data(), end);
    if (p != end && (*p == '+' || *p == '-')) {
        out.negative = *p == '-';
        p = skipBlanks(p + 1, end);
    }
    out.number = p;
    // Leading zeros are not significant: skipped before the digits are
    // counted, after the point too while no other digit came yet.
    const char* first = skipZeros(p, end);
    p = skipDigits(first, end);
    out.integerEnd = p;
    std::ptrdiff_t mantissaDigits = p - out.number;
    if (p != end && *p == '.') {
        const char* const fraction = ++p;
        const bool integerSignificant = first != out.integerEnd;
        if (!integerSignificant)
            first = p = skipZeros(p, end);
        p = skipDigits(p, end);
        out.fractionDigits = p - fraction;
        mantissaDigits += out.fractionDigits;
        out.significant = (p - first) - (integerSignificant ? 1 : 0);
    } else {
        out.significant = p - first;
    }
    out.firstSignificant = first;
    out.mantissaEnd = p;
    if (mantissaDigits == 0)
        return false;
    if (p != end && (*p == 'E' || *p == 'e')) {
        ++p;
        bool negative = false;
        if (p != end && (*p == '+' || *p == '-')) {
            negative = *p == '-';
            ++p;
        }
        const char* const digits = p;
        std::int64_t exponent = 0;
        for (; p != end && isDigit(*p); ++p)
            if (exponent < kExponentCap)
                exponent = exponent * 10 + (*p - '0');
        if (p == digits)
            return false;
        out.exponent = negative ? -exponent : exponent;
    }
    out.numberEnd = p;
    return skipBlanks(p, end) == end;
}

// The scanned number through the digit-by-digit builder, which counts
// exponents of any text size exactly.
std::optional<double> buildNumber(const Scanned& n)
{
    DecimalBuilder number;
    number.addIntegerDigits(std::string_view(n.number, static_cast<std::size_t>(n.integerEnd - n.number)));
    if (n.integerEnd != n.numberEnd && *n.integerEnd == '.')
        number.addFractionDigits(std::string_view(n.integerEnd + 1, static_cast<std::size_t>(n.fractionDigits)));
    number.setExponentNegative(n.exponent < 0);
    const std::int64_t magnitude = n.exponent < 0 ? -n.exponent : n.exponent;
    char buffer[24];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, magnitude);
    for (const char* d = buffer; d != written.ptr; ++d)
        number.addExponentDigit(*d);
    const DecimalBuilder::Result result = number.finish(n.negative);
    if (result.overflow)
        return std::nullopt;
    return result.value;
}

// Reads the whole text as one number or fails. Every byte outside the
// grammar, multibyte look-alikes included, ends the number and so fails it.
std::optional<double> readText(std::string_view s)
{
    Scanned n;
    if (!scan(s, n))
        return std::nullopt;
    const double sign = n.negative ? -1.0 : 1.0;
    if (n.significant == 0)
        return sign * 0.0;

    // Most typed numbers have few digits and a small exponent.
    const std::int64_t scale = n.exponent - n.fractionDigits;
    if (fastDecimalApplies(n.significant, scale)) {
        // Gathered only now: a longer number never pays for it.
        std::uint64_t digits = 0;
        for (const char* p = n.firstSignificant; p != n.mantissaEnd; ++p)
            if (*p != '.')
                digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
        return sign * fastDecimal(digits, scale);
    }

    if (n.exponent > kLargeExponent || n.exponent < -kLargeExponent)
        return buildNumber(n);
    // The standard conversion rounds correctly, allocates nothing and does
    // not look at the locale; the span is already known to be in its form.
    double magnitude = 0.0;
    const auto read = std::from_chars(n.number, n.numberEnd, magnitude);
    if (read.ec == std::errc::result_out_of_range) {
        // Reported both above the largest double and below half the
        // smallest one; where the first significant digit stands tells which.
        const std::int64_t place = (n.integerEnd - n.firstSignificant) - (n.firstSignificant < n.integerEnd ? 1 : 0);
        if (place + n.exponent >= 0)
            return std::nullopt;
        return sign * 0.0;
    }
    return sign * magnitude;
}

}  // namespace

std::optional<double> readNumber(const PartValue& part)
{
    if (part.isNumber())
        return part.number();
    if (!part.isText())
        return static_cast<double>(part.integer());
    return readText(part.text());
}

}  // namespace kalvor
