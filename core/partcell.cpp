#include "core/partcell.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>

#include "core/utf8.h"

namespace kalvor {

namespace {

// Every scan looks at no more than this many characters.
constexpr int kWindow = 100;
// The real part of a text with no unit is at most one character longer.
constexpr int kHead = kWindow + 1;

// A cell text seen through its two ends. Only the first 101 and the last
// 101 characters are decoded, so a huge cell costs no more than a short one.
// Character positions count from 1, distances from the end count the last
// character as 1.
class CellEnds {
public:
    explicit CellEnds(std::string_view text) : text_(text)
    {
        // Where both ends are plain ASCII, as typed numbers are, every byte
        // is one character and the offsets need no decoding.
        const std::size_t ends = std::min<std::size_t>(text.size(), kHead);
        ascii_ = isAscii(text.substr(0, ends)) && isAscii(text.substr(text.size() - ends));
        if (ascii_) {
            headCount_ = tailCount_ = static_cast<int>(ends);
            return;
        }
        headEnd_[0] = 0;
        while (headCount_ < kHead && headEnd_[headCount_] < text.size()) {
            const std::size_t at = headEnd_[headCount_];
            headEnd_[headCount_ + 1] = at + utf8LengthAt(text, at);
            ++headCount_;
        }
        tailStart_[0] = text.size();
        while (tailCount_ < kHead && tailStart_[tailCount_] > 0) {
            tailStart_[tailCount_ + 1] = utf8StartBefore(text, tailStart_[tailCount_]);
            ++tailCount_;
        }
    }

    // The first n characters (the whole text when it is shorter), n <= 101.
    std::string first(int n) const
    {
        if (n > headCount_)
            return std::string(text_);
        return std::string(text_.substr(0, headEnd(n)));
    }

    // The last n characters (the whole text when it is shorter), n <= 101.
    std::string last(int n) const
    {
        if (n > tailCount_)
            return std::string(text_);
        return std::string(text_.substr(tailStart(n)));
    }

    // The first n - 1 of the last n characters (1 <= n <= 101): the tail of
    // the text without its final character.
    std::string lastButFinal(int n) const
    {
        const std::size_t from = n > tailCount_ ? 0 : tailStart(n);
        return std::string(text_.substr(from, tailStart(1) - from));
    }

    // Whether the character at position q (1-based, q <= 101) is `c`.
    bool at(int q, char c) const
    {
        return q <= headCount_ && headEnd(q) - headEnd(q - 1) == 1 && text_[headEnd(q - 1)] == c;
    }

    // Whether the character at distance d from the end (d <= 101) is `c`.
    bool fromEnd(int d, char c) const
    {
        return d <= tailCount_ && tailStart(d - 1) - tailStart(d) == 1 && text_[tailStart(d)] == c;
    }

    bool unitAt(int q) const { return at(q, 'i') || at(q, 'j'); }
    bool signAt(int q) const { return at(q, '+') || at(q, '-'); }

    // Smallest distance 1..100 from the end holding one of a, b; 101 if none.
    int lastOf(char a, char b) const
    {
        for (int d = 1; d <= kWindow; ++d) {
            if (fromEnd(d, a) || fromEnd(d, b))
                return d;
        }
        return kWindow + 1;
    }

private:
    static bool isAscii(std::string_view bytes)
    {
        unsigned char any = 0;
        for (const char c : bytes)
            any |= static_cast<unsigned char>(c);
        return any < 0x80;
    }

    // Byte offset after the first n characters (n <= headCount_).
    std::size_t headEnd(int n) const { return ascii_ ? static_cast<std::size_t>(n) : headEnd_[n]; }
    // Byte offset where the last n characters begin (n <= tailCount_).
    std::size_t tailStart(int n) const { return ascii_ ? text_.size() - static_cast<std::size_t>(n) : tailStart_[n]; }

    std::string_view text_;
    bool ascii_ = false;
    // Filled only when the ends are not plain ASCII.
    std::array<std::size_t, kHead + 1> headEnd_;
    std::array<std::size_t, kHead + 1> tailStart_;
    int headCount_ = 0;
    int tailCount_ = 0;
};

PartValue text(std::string s)
{
    return PartValue::fromText(std::move(s));
}

PartValue integer(int v)
{
    return PartValue::fromInteger(v);
}

}  // namespace

CellParts partcell(std::string_view cellText)
{
    if (cellText.empty())
        return {text("0"), integer(0)};
    if (cellText == "i" || cellText == "+i" || cellText == "j" || cellText == "+j")
        return {integer(0), integer(1)};
    if (cellText == "-i" || cellText == "-j")
        return {integer(0), integer(-1)};

    const CellEnds s(cellText);
    int k = 0;
    for (int q = 1; q <= kWindow && k == 0; ++q) {
        if (s.unitAt(q))
            k = q;
    }
    if (k == 0)
        return {text(s.first(kHead)), integer(0)};

    // The real part after the last unit: the last d - 1 characters.
    const int d = s.lastOf('i', 'j');
    if (k == 1)
        return {text(s.last(d - 1)), text("1")};

    // Position 1 is skipped so that a leading sign stays with the first number.
    int p = 2;
    while (p < k && !s.signAt(p))
        ++p;

    if (p == k) {
        if (k == 2 && s.at(1, '+'))
            return {text(s.last(d - 1)), text("+1")};
        if (k == 2 && s.at(1, '-'))
            return {text(s.last(d - 1)), text("-1")};
        PartValue re = d == 1 ? integer(0) : text(s.last(d - 1));
        return {std::move(re), text(s.first(k - 1))};
    }

    PartValue re = text(s.first(p - 1));
    const int e = s.lastOf('+', '-');
    if (k > p + 1) {
        // From the last sign to the end, without the final character, which
        // is taken to be the unit.
        return {std::move(re), text(s.lastButFinal(e))};
    }
    // The unit follows the first sign directly. With no sign among the last
    // 100 characters (only possible in a longer cell) the first sign decides.
    const bool minus = e <= kWindow ? s.fromEnd(e, '-') : s.at(p, '-');
    return {std::move(re), integer(minus ? -1 : 1)};
}

}  // namespace kalvor
