#include "core/readingreport.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "core/numberreading.h"

namespace kalvor {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

struct Span {
    std::size_t begin = 0;
    std::size_t end = 0;
};

// Calls gap(begin, end) for each stretch of the cell, in order, that is in
// neither part nor the syntax of the split (byte offsets). Two stretches are
// always parted by read text.
template <typename Gap> void forEachGap(std::string_view cellText, const CellPieces& pieces, Gap&& gap)
{
    std::array<Span, 4> used;
    std::size_t count = 0;
    // Kept in the order they begin in as they are added.
    const auto add = [&](std::size_t begin, std::size_t end) {
        if (begin >= end)
            return;
        std::size_t k = count++;
        for (; k > 0 && used[k - 1].begin > begin; --k)
            used[k] = used[k - 1];
        used[k] = {begin, end};
    };
    if (pieces.re.kind == PartSource::Kind::Piece)
        add(pieces.re.begin, pieces.re.end);
    if (pieces.im.kind == PartSource::Kind::Piece)
        add(pieces.im.begin, pieces.im.end);
    if (pieces.unit != CellPieces::none)
        add(pieces.unit, pieces.unit + 1);
    if (pieces.sign != CellPieces::none)
        add(pieces.sign, pieces.sign + 1);
    std::size_t at = 0;
    for (std::size_t k = 0; k < count; ++k) {
        if (at < used[k].begin)
            gap(at, used[k].begin);
        at = std::max(at, used[k].end);
    }
    if (at < cellText.size())
        gap(at, cellText.size());
}

std::optional<DroppedText> reportFor(std::string_view cellText, const CellPieces& pieces)
{
    DroppedText out;
    forEachGap(cellText, pieces, [&](std::size_t begin, std::size_t end) {
        const std::size_t before = out.dropped.size();
        for (const char c : cellText.substr(begin, end - begin)) {
            if (isBlank(c))
                continue;
            if (out.dropped.size() == before && before != 0)
                out.dropped += ' ';
            out.dropped += c;
        }
    });
    if (out.dropped.empty())
        return std::nullopt;
    const CellParts parts = partsFromPieces(cellText, pieces);
    const std::optional<double> re = readNumber(parts.re);
    const std::optional<double> im = readNumber(parts.im);
    if (!re || !im)
        return std::nullopt;
    out.re = *re;
    out.im = *im;
    return out;
}

}  // namespace

bool dropsText(std::string_view cellText, const CellPieces& pieces)
{
    bool drops = false;
    forEachGap(cellText, pieces, [&](std::size_t begin, std::size_t end) {
        const std::string_view gap = cellText.substr(begin, end - begin);
        drops = drops || !std::all_of(gap.begin(), gap.end(), isBlank);
    });
    return drops;
}

CellParts splitCell(std::string_view cellText, bool& drops)
{
    const CellPieces pieces = findPieces(cellText);
    drops = dropsText(cellText, pieces);
    return partsFromPieces(cellText, pieces);
}

std::optional<DroppedText> droppedText(std::string_view cellText)
{
    return reportFor(cellText, findPieces(cellText));
}

std::optional<std::size_t> unitBeforeNumberAt(std::string_view cellText)
{
    std::optional<std::size_t> found;
    char before = '+';  // the start counts as a sign
    for (std::size_t k = 0; k + 1 < cellText.size() && !found; ++k) {
        const char c = cellText[k];
        const char next = cellText[k + 1];
        const bool digitNext = (next >= '0' && next <= '9')
            || (next == '.' && k + 2 < cellText.size() && cellText[k + 2] >= '0' && cellText[k + 2] <= '9');
        if ((c == 'i' || c == 'j') && (before == '+' || before == '-') && digitNext)
            found = k;
        if (c != ' ' && c != '\t')
            before = c;
    }
    if (!found)
        return std::nullopt;
    const CellParts parts = partcell(cellText);
    if (!readNumber(parts.re) || !readNumber(parts.im))
        return std::nullopt;
    return found;
}

bool unitBeforeNumber(std::string_view cellText)
{
    return unitBeforeNumberAt(cellText).has_value();
}

}  // namespace kalvor
