#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kalvor {

// Exponent magnitudes are counted up to this and stay there: far beyond any
// double, yet far from overflowing the counters.
inline constexpr std::int64_t kExponentCap = 1'000'000'000'000LL;

// Whether a decimal number of `significantDigits` digits (from the first
// non-zero one) times 10^scale takes the fast path: its digits then form an
// integer below 2^53 and the power of ten is an exact double, so one IEEE
// multiplication or division rounds it correctly.
constexpr bool fastDecimalApplies(std::int64_t significantDigits, std::int64_t scale)
{
    return significantDigits <= 15 && scale >= -22 && scale <= 22;
}

// The correctly rounded digits * 10^scale, for a number where
// fastDecimalApplies: one multiplication or division, no text to build.
inline double fastDecimal(std::uint64_t digits, std::int64_t scale)
{
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const auto m = static_cast<double>(digits);
    return scale >= 0 ? m * kPowers[scale] : m / kPowers[-scale];
}

// Collects a decimal number digit by digit (integer digits, then fraction
// digits, then the exponent) and turns it into the correctly rounded double.
// Keeps only as many significant digits as can ever matter, so a number of a
// million digits costs one pass and no big copy.
class DecimalBuilder {
public:
    struct Result {
        double value = 0.0;
        // The magnitude is beyond the largest double; `value` is then an
        // infinity of the number's sign.
        bool overflow = false;
    };

    // Append a run of digits ('0' to '9') before or after the point.
    void addIntegerDigits(std::string_view run);
    void addFractionDigits(std::string_view run);
    // Appends one digit to the exponent's magnitude (saturating).
    void addExponentDigit(char digit);
    void setExponentNegative(bool negative) { exponentNegative_ = negative; }

    // The nearest double to the collected number, negated when `negative`.
    // A number too small for any non-zero double gives a zero of its sign.
    Result finish(bool negative) const;

private:
    void addSignificant(std::string_view run);

    std::string significant_;                // from the first non-zero digit, capped
    bool sticky_ = false;                    // a non-zero digit was dropped past the cap
    std::int64_t integerDigits_ = 0;         // integer digits from the first significant one
    std::int64_t leadingFractionZeros_ = 0;  // fraction zeros before the first significant digit
    std::int64_t exponent_ = 0;
    bool exponentNegative_ = false;
};

}  // namespace kalvor
