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

    // Byte offset after the first n characters (the whole text when it is
    // shorter), n <= 101.
    std::size_t firstEnd(int n) const { return n > headCount_ ? text_.size() : headEnd(n); }

    // Byte offset where the last n characters begin (the whole text when it
    // is shorter), n <= 101.
    std::size_t lastStart(int n) const { return n > tailCount_ ? 0 : tailStart(n); }

    // Byte offset of the final character.
    std::size_t finalStart() const { return tailStart(1); }

    // Byte offset of the character at position q (1-based, q <= 101).
    std::size_t offsetOf(int q) const { return headEnd(q - 1); }

    // Byte offset of the character at distance d from the end (d <= 101).
    std::size_t offsetFromEnd(int d) const { return tailStart(d); }

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

PartSource piece(std::size_t begin, std::size_t end)
{
    return {PartSource::Kind::Piece, begin, end, {}, 0};
}

PartSource fixed(std::string_view text)
{
    return {PartSource::Kind::Fixed, 0, 0, text, 0};
}

PartSource integer(int v)
{
    return {PartSource::Kind::Integer, 0, 0, {}, v};
}

PartValue valueOf(std::string_view cellText, const PartSource& source)
{
    switch (source.kind) {
    case PartSource::Kind::Piece:
        return PartValue::fromText(std::string(cellText.substr(source.begin, source.end - source.begin)));
    case PartSource::Kind::Fixed:
        return PartValue::fromText(std::string(source.fixed));
    case PartSource::Kind::Integer:
        break;
    }
    return PartValue::fromInteger(source.integer);
}

}  // namespace

CellPieces findPieces(std::string_view cellText)
{
    if (cellText.empty())
        return {fixed("0"), integer(0)};
    if (cellText == "i" || cellText == "j")
        return {integer(0), integer(1), 0};
    if (cellText == "+i" || cellText == "+j")
        return {integer(0), integer(1), 1, 0};
    if (cellText == "-i" || cellText == "-j")
        return {integer(0), integer(-1), 1, 0};

    const CellEnds s(cellText);
    int k = 0;
    for (int q = 1; q <= kWindow && k == 0; ++q) {
        if (s.unitAt(q))
            k = q;
    }
    if (k == 0)
        return {piece(0, s.firstEnd(kHead)), integer(0)};

    // The real part after the last unit: the last d - 1 characters.
    const int d = s.lastOf('i', 'j');
    const PartSource afterLastUnit = piece(s.lastStart(d - 1), cellText.size());
    const std::size_t unit = s.offsetOf(k);
    if (k == 1)
        return {afterLastUnit, fixed("1"), unit};

    // Position 1 is skipped so that a leading sign stays with the first number.
    int p = 2;
    while (p < k && !s.signAt(p))
        ++p;

    if (p == k) {
        if (k == 2 && s.at(1, '+'))
            return {afterLastUnit, fixed("+1"), unit, 0};
        if (k == 2 && s.at(1, '-'))
            return {afterLastUnit, fixed("-1"), unit, 0};
        return {d == 1 ? integer(0) : afterLastUnit, piece(0, unit), unit};
    }

    const PartSource re = piece(0, s.offsetOf(p));
    const int e = s.lastOf('+', '-');
    if (k > p + 1) {
        // From the last sign to the end, without the final character, which
        // is taken to be the unit.
        const std::size_t final = s.finalStart();
        const bool isUnit = final + 1 == cellText.size() && (cellText[final] == 'i' || cellText[final] == 'j');
        return {re, piece(s.lastStart(e), final), isUnit ? final : CellPieces::none};
    }
    // The unit follows the first sign directly. With no sign among the last
    // 100 characters (only possible in a longer cell) the first sign decides.
    const std::size_t sign = e <= kWindow ? s.offsetFromEnd(e) : s.offsetOf(p);
    return {re, integer(cellText[sign] == '-' ? -1 : 1), unit, sign};
}

CellParts partsFromPieces(std::string_view cellText, const CellPieces& pieces)
{
    return {valueOf(cellText, pieces.re), valueOf(cellText, pieces.im)};
}

CellParts partcell(std::string_view cellText)
{
    return partsFromPieces(cellText, findPieces(cellText));
}

}  // namespace kalvor
