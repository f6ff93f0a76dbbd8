#include "core/decimalbuilder.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <system_error>

namespace kalvor {

namespace {

// A midpoint between two neighbouring doubles has at most 767 significant
// digits. Keeping a few more and standing in a single 1 for any non-zero
// rest puts the kept number on the same side of every midpoint as the full
// one, so rounding it gives the same double.
constexpr std::size_t kKeptDigits = 780;
// Beyond these decimal exponents the value is certainly out of (or certainly
// below) the double range.
constexpr std::int64_t kSurelyOverflow = 400;
constexpr std::int64_t kSurelyZero = -400;

}  // namespace

void DecimalBuilder::addSignificant(std::string_view run)
{
    const std::size_t take = std::min(kKeptDigits - significant_.size(), run.size());
    significant_.append(run.substr(0, take));
    if (!sticky_ && run.find_first_not_of('0', take) != std::string_view::npos)
        sticky_ = true;
}

void DecimalBuilder::addIntegerDigits(std::string_view run)
{
    std::size_t from = 0;
    if (significant_.empty()) {
        while (from < run.size() && run[from] == '0')
            ++from;
    }
    const auto counted = static_cast<std::int64_t>(std::min<std::size_t>(run.size() - from, kExponentCap));
    integerDigits_ = std::min(kExponentCap, integerDigits_ + counted);
    addSignificant(run.substr(from));
}

void DecimalBuilder::addFractionDigits(std::string_view run)
{
    std::size_t from = 0;
    if (significant_.empty()) {
        while (from < run.size() && run[from] == '0')
            ++from;
        const auto zeros = static_cast<std::int64_t>(std::min<std::size_t>(from, kExponentCap));
        leadingFractionZeros_ = std::min(kExponentCap, leadingFractionZeros_ + zeros);
    }
    addSignificant(run.substr(from));
}

void DecimalBuilder::addExponentDigit(char digit)
{
    if (exponent_ < kExponentCap)
        exponent_ = exponent_ * 10 + (digit - '0');
}

DecimalBuilder::Result DecimalBuilder::finish(bool negative) const
{
    const double sign = negative ? -1.0 : 1.0;
    if (significant_.empty())
        return {sign * 0.0, false};

    // Decimal exponent of the first significant digit.
    const std::int64_t exponent
        = integerDigits_ - 1 - leadingFractionZeros_ + (exponentNegative_ ? -exponent_ : exponent_);
    const double infinity = std::numeric_limits<double>::infinity();
    if (exponent > kSurelyOverflow)
        return {sign * infinity, true};
    if (exponent < kSurelyZero)
        return {sign * 0.0, false};

    // Most typed numbers have few digits and a small exponent.
    const std::int64_t scale = exponent - static_cast<std::int64_t>(significant_.size() - 1);
    if (!sticky_ && fastDecimalApplies(static_cast<std::int64_t>(significant_.size()), scale)) {
        std::uint64_t digits = 0;
        for (const char c : significant_)
            digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
        return {sign * fastDecimal(digits, scale), false};
    }

    // Written as d.ddd...e<exponent>, which the conversion rounds correctly.
    std::string scientific;
    scientific.reserve(significant_.size() + 16);
    scientific.push_back(significant_[0]);
    scientific.push_back('.');
    scientific.append(significant_, 1);
    if (sticky_)
        scientific.push_back('1');
    scientific.push_back('e');
    char buffer[24];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, exponent);
    scientific.append(buffer, written.ptr);

    double magnitude = 0.0;
    const auto read = std::from_chars(scientific.data(), scientific.data() + scientific.size(), magnitude);
    if (read.ec == std::errc::result_out_of_range) {
        // Reported both above the largest double and below half the
        // smallest one; the exponent's sign tells which.
        if (exponent >= 0)
            return {sign * infinity, true};
        return {sign * 0.0, false};
    }
    return {sign * magnitude, false};
}

}  // namespace kalvor
