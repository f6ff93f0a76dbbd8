#pragma once

#include <cstddef>
#include <string_view>

namespace kalvor {

// Byte length of the well-formed UTF-8 sequence that starts at byte `at` of
// `text` (at < text.size()), or 0 when the bytes there are not one: a byte
// that cannot lead, a sequence cut short by the end of the text, an overlong
// form, a surrogate or a value past U+10FFFF.
std::size_t utf8WellFormedLength(std::string_view text, std::size_t at);

// Byte length of the character that starts at byte `at` of `text`
// (at < text.size()). A well-formed UTF-8 sequence is one character; any
// byte that does not begin one counts as a character of its own, so broken
// text is still split into whole pieces and never read past its end.
std::size_t utf8LengthAt(std::string_view text, std::size_t at);

// Byte offset where the character that ends just before byte `end` begins
// (0 < end <= text.size()). Splits the text exactly as utf8LengthAt does
// going forward, so both ends of a text agree on its characters.
std::size_t utf8StartBefore(std::string_view text, std::size_t end);

}  // namespace kalvor
