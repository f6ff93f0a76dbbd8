#include "core/utf8.h"

namespace kalvor {

namespace {

bool inRange(unsigned char c, unsigned char lo, unsigned char hi)
{
    return c >= lo && c <= hi;
}

}  // namespace

// The second byte's range depends on the lead byte; this is what rules out
// overlong forms, surrogates and code points above U+10FFFF.
std::size_t utf8WellFormedLength(std::string_view text, std::size_t at)
{
    const std::size_t left = text.size() - at;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
    if (inRange(lead, 0xC2, 0xDF)) {
        length = 2;
    } else if (inRange(lead, 0xE0, 0xEF)) {
        length = 3;
        if (lead == 0xE0)
            lo = 0xA0;
        if (lead == 0xED)
            hi = 0x9F;
    } else if (inRange(lead, 0xF0, 0xF4)) {
        length = 4;
        if (lead == 0xF0)
            lo = 0x90;
        if (lead == 0xF4)
            hi = 0x8F;
    } else {
        return 0;
    }
    if (left < length || !inRange(byte(1), lo, hi))
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (!inRange(byte(i), 0x80, 0xBF))
            return 0;
    }
    return length;
}

std::size_t utf8LengthAt(std::string_view text, std::size_t at)
{
    const std::size_t length = utf8WellFormedLength(text, at);
    return length == 0 ? 1 : length;
}

std::size_t utf8StartBefore(std::string_view text, std::size_t end)
{
    // Well-formed sequences never overlap (only their first byte is not a
    // continuation byte), so a sequence ending at `end` is the one the
    // forward walk would take too.
    for (std::size_t length = 2; length <= 4 && length <= end; ++length) {
        if (utf8WellFormedLength(text, end - length) == length)
            return end - length;
    }
    return end - 1;
}

}  // namespace kalvor
