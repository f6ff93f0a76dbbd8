// The number reading against an independent reference (its own grammar
// check, then the standard conversion of a rebuilt text) over many generated
// texts: numbers of every length the quick and the general conversion meet,
// and near-misses of the grammar.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <random>
#include <string>

#include "core/core.h"
#include "fuzz/numbergrammar.h"

namespace kalvor {
namespace {

class TextMaker {
public:
    explicit TextMaker(std::uint64_t seed) : random_(seed) {}

    // A text built from the pieces of the grammar, each piece sometimes
    // missing, doubled or wrong, so that about half are numbers.
    std::string next()
    {
        std::string s;
        blanks(s);
        if (chance(50))
            s += pick("+-");
        if (chance(10))
            blanks(s);
        if (chance(15))
            s += std::string(below(25), '0');
        digits(s, sometimesLong());
        if (chance(60)) {
            s += '.';
            if (chance(30))
                s += std::string(below(30), '0');
            digits(s, sometimesLong());
        }
        if (chance(40)) {
            s += pick("eE");
            if (chance(60))
                s += pick("+-");
            if (chance(10))
                s += std::string(below(25), '0');
            digits(s, chance(90) ? 1 + below(3) : below(22));
        }
        blanks(s);
        // A stray character anywhere: a NUL and a byte of a multibyte
        // character among them.
        static constexpr char kStray[] = ".+-eE ixI,\n\0\x80";
        if (chance(30))
            s.insert(below(static_cast<unsigned>(s.size()) + 1), 1, pick({kStray, sizeof kStray - 1}));
        return s;
    }

    // The shortest text of a random double of any magnitude, as a program
    // writing its results would give it: up to 17 significant digits.
    std::string shortestOfRandomDouble(double& value)
    {
        do {
            const std::uint64_t bits = random_();
            std::memcpy(&value, &bits, sizeof value);
        } while (!std::isfinite(value));
        char buffer[64];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
        return std::string(buffer, end);
    }

private:
    bool chance(unsigned percent) { return random_() % 100 < percent; }
    unsigned below(unsigned n) { return n == 0 ? 0 : static_cast<unsigned>(random_() % n); }
    char pick(std::string_view from) { return from[below(static_cast<unsigned>(from.size()))]; }
    unsigned sometimesLong() { return chance(85) ? below(9) : below(45); }
    void digits(std::string& s, unsigned count)
    {
        for (unsigned d = 0; d < count; ++d)
            s += static_cast<char>('0' + below(10));
    }
    void blanks(std::string& s)
    {
        if (chance(15))
            for (unsigned b = below(3) + 1; b > 0; --b)
                s += pick(" \t");
    }

    std::mt19937_64 random_;
};

void expectSameReading(const std::string& text)
{
    const std::optional<double> got = readNumber(PartValue::fromText(text));
    const std::optional<double> expected = referenceNumber(text);
    ASSERT_EQ(got.has_value(), expected.has_value()) << "\"" << text << "\"";
    if (got) {
        ASSERT_EQ(*got, *expected) << "\"" << text << "\"";
        ASSERT_EQ(std::signbit(*got), std::signbit(*expected)) << "sign of zero, \"" << text << "\"";
    }
}

TEST(ReadNumberDifferential, GeneratedTextsReadAsTheReferenceReadsThem)
{
    TextMaker maker(20261207);
    int numbers = 0;
    for (int n = 0; n < 300000; ++n) {
        const std::string text = maker.next();
        numbers += referenceNumber(text).has_value();
        expectSameReading(text);
        if (::testing::Test::HasFatalFailure())
            return;
    }
    // The generator must reach both answers often, or the test proves little.
    EXPECT_GT(numbers, 60000);
    EXPECT_LT(numbers, 240000);
}

TEST(ReadNumberDifferential, ShortestTextsOfRandomDoublesReadBackExactly)
{
    TextMaker maker(7);
    for (int n = 0; n < 100000; ++n) {
        double value = 0;
        const std::string text = maker.shortestOfRandomDouble(value);
        expectSameReading(text);
        ASSERT_EQ(readNumber(PartValue::fromText(text)), std::optional<double>(value)) << text;
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

}  // namespace
}  // namespace kalvor
