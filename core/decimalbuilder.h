#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kalvor {

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
