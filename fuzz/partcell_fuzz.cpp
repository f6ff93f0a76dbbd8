// Fuzz target: one cell text through partcell, then both parts through the
// number reading. Checks the split against a literal model of the parsing
// rules (for well-formed UTF-8), that every piece is a piece of the cell,
// that the number reading accepts exactly the number texts, that the text
// the reading reports dropped is typed text of the cell, and that the
// phasor conversion never takes a number cell and always gives one.
#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/core.h"
#include "fuzz/fuzzcheck.h"
#include "fuzz/numbergrammar.h"

namespace kalvor {
namespace {

// The characters of a well-formed UTF-8 text, each as its bytes; empty
// optional when the text is not well-formed (the model then does not apply).
std::optional<std::vector<std::string_view>> characters(std::string_view s)
{
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t len = b < 0x80   ? 1
            : b >= 0xC2 && b <= 0xDF ? 2
            : b >= 0xE0 && b <= 0xEF ? 3
            : b >= 0xF0 && b <= 0xF4 ? 4
                                     : 0;
        if (len == 0 || i + len > s.size())
            return std::nullopt;
        for (std::size_t c = 1; c < len; ++c)
            if ((static_cast<unsigned char>(s[i + c]) & 0xC0) != 0x80)
                return std::nullopt;
        const auto b1 = len > 1 ? static_cast<unsigned char>(s[i + 1]) : 0;
        if ((b == 0xE0 && b1 < 0xA0) || (b == 0xED && b1 >= 0xA0) || (b == 0xF0 && b1 < 0x90)
            || (b == 0xF4 && b1 >= 0x90))
            return std::nullopt;  // overlong, surrogate or beyond U+10FFFF
        out.push_back(s.substr(i, len));
        i += len;
    }
    return out;
}

// The parsing rules read literally, on characters counted from 1. `settled`
// turns false for the one case whose imaginary part is left open: a long cell
// whose unit follows the first sign directly with no sign near the end.
struct ModelResult {
    CellParts parts;
    bool imaginarySettled = true;
};

ModelResult model(const std::vector<std::string_view>& ch)
{
    const int L = static_cast<int>(ch.size());
    const auto is = [&](int q, std::string_view a, std::string_view b = {}) {
        return q >= 1 && q <= L && (ch[q - 1] == a || (!b.empty() && ch[q - 1] == b));
    };
    const auto join = [&](int from, int count) {  // `count` characters from position `from`
        std::string out;
        for (int q = from; q < from + count && q <= L; ++q)
            out += ch[q - 1];
        return out;
    };
    const auto first = [&](int n) { return join(1, n); };
    const auto last = [&](int n) { return n >= L ? join(1, L) : join(L - n + 1, n); };
    const auto T = [](std::string s) { return PartValue::fromText(std::move(s)); };
    const auto I = [](int v) { return PartValue::fromInteger(v); };
    const std::string whole = join(1, L);

    if (L == 0)
        return {{T("0"), I(0)}};
    if (whole == "i" || whole == "+i" || whole == "j" || whole == "+j")
        return {{I(0), I(1)}};
    if (whole == "-i" || whole == "-j")
        return {{I(0), I(-1)}};

    int k = 0;
    for (int q = 1; q <= 100 && k == 0; ++q)
        if (is(q, "i", "j"))
            k = q;
    if (k == 0)
        return {{T(first(101)), I(0)}};

    int d = 101;
    for (int t = 1; t <= 100; ++t)
        if (is(L - t + 1, "i", "j")) {
            d = t;
            break;
        }
    if (k == 1)
        return {{T(last(d - 1)), T("1")}};

    int p = 2;
    while (p <= 100 && !is(p, "i", "j") && !is(p, "+", "-"))
        ++p;
    if (p == k) {
        if (k == 2 && is(1, "+"))
            return {{T(last(d - 1)), T("+1")}};
        if (k == 2 && is(1, "-"))
            return {{T(last(d - 1)), T("-1")}};
        return {{d == 1 ? I(0) : T(last(d - 1)), T(first(k - 1))}};
    }
    int e = 101;
    for (int t = 1; t <= 100; ++t)
        if (is(L - t + 1, "+", "-")) {
            e = t;
            break;
        }
    const PartValue re = T(first(p - 1));
    if (k > p + 1) {
        const int n = std::min(e, L);  // the first n - 1 of the last n characters
        return {{re, T(join(L - n + 1, n - 1))}};
    }
    if (e == 101)
        return {{re, I(1)}, false};
    return {{re, I(is(L - e + 1, "-") ? -1 : 1)}};
}

std::string describe(const PartValue& p)
{
    return p.isText() ? "text \"" + p.text() + "\"" : "integer " + std::to_string(p.integer());
}

void checkPart(const PartValue& part, std::string_view cell)
{
    if (part.isText()) {
        const std::string& t = part.text();
        const bool fixed = t == "0" || t == "1" || t == "+1" || t == "-1";
        fuzzCheck(fixed || cell.find(t) != std::string_view::npos, "a text part is not a piece of the cell", cell);
        std::size_t characters = 0;
        for (unsigned char c : t)
            characters += (c & 0xC0) != 0x80;
        fuzzCheck(characters <= 101, "a text part is longer than 101 characters", cell);
        const std::optional<double> read = readNumber(part);
        const std::optional<double> expected = referenceNumber(t);
        fuzzCheck(read.has_value() == expected.has_value(), "number reading accepts a different set of texts", t);
        if (read) {
            fuzzCheck(*read == *expected, "number reading gives another value", t);
            fuzzCheck(val(t) == *read, "val disagrees with the number reading on a number text", t);
        }
    } else {
        const int v = part.integer();
        fuzzCheck(v == 0 || v == 1 || v == -1, "an integer part other than 0, 1, -1", cell);
        fuzzCheck(readNumber(part) == std::optional<double>(v), "an integer part does not read as itself", cell);
    }
}

// A reported reading: its values are the parts read, and its dropped text is
// typed text of the cell, in order, without blanks (one blank joins two
// stretches).
void checkDropped(const CellParts& parts, std::string_view cell)
{
    const std::optional<DroppedText> report = droppedText(cell);
    if (!report)
        return;
    fuzzCheck(readNumber(parts.re) == report->re && readNumber(parts.im) == report->im,
              "the values reported are not the parts read", cell);
    const std::string& dropped = report->dropped;
    fuzzCheck(!dropped.empty() && dropped.front() != ' ' && dropped.back() != ' '
                  && dropped.find('\t') == std::string::npos && dropped.find("  ") == std::string::npos,
              "dropped text with blanks of its own", cell);
    std::size_t at = 0;
    for (const char c : dropped) {
        if (c == ' ')
            continue;
        at = cell.find(c, at);
        fuzzCheck(at != std::string_view::npos, "dropped text that is not typed text of the cell in order", cell);
        ++at;
    }
}

}  // namespace
}  // namespace kalvor

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kalvor;
    const std::string_view cell(reinterpret_cast<const char*>(data), size);
    const CellParts parts = partcell(cell);
    const CellParts again = partcell(cell);
    fuzzCheck(parts.re == again.re && parts.im == again.im, "partcell gave two results for one text", cell);
    checkPart(parts.re, cell);
    checkPart(parts.im, cell);
    checkDropped(parts, cell);

    if (const auto ch = characters(cell)) {
        const ModelResult expected = model(*ch);
        if (!(parts.re == expected.parts.re))
            std::fprintf(stderr, "real part: got %s, rules give %s\n", describe(parts.re).c_str(),
                         describe(expected.parts.re).c_str());
        fuzzCheck(parts.re == expected.parts.re, "real part differs from the parsing rules", cell);
        if (expected.imaginarySettled) {
            if (!(parts.im == expected.parts.im))
                std::fprintf(stderr, "imaginary part: got %s, rules give %s\n", describe(parts.im).c_str(),
                             describe(expected.parts.im).c_str());
            fuzzCheck(parts.im == expected.parts.im, "imaginary part differs from the parsing rules", cell);
        }
    }

    if (const std::optional<std::string> rectangular = polarToRectangular(cell)) {
        fuzzCheck(!(readNumber(parts.re) && readNumber(parts.im)), "a number cell was taken for a phasor", cell);
        const CellParts back = partcell(*rectangular);
        fuzzCheck(readNumber(back.re) && readNumber(back.im), "a phasor's cell text is not a number", cell);
    }
    return 0;
}
