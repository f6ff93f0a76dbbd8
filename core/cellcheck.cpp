#include "core/cellcheck.h"

#include "core/numberreading.h"

namespace kalvor {

namespace {

bool reads(const PartValue& part)
{
    return readNumber(part).has_value();
}

bool beyondRange(const PartValue& re, const PartValue& im)
{
    return (reads(re) || beyondNumberRange(re)) && (reads(im) || beyondNumberRange(im));
}

}  // namespace

std::optional<CellPosition> firstUnreadableCell(const PartMatrix& coefRe, const PartMatrix& coefIm,
                                                const PartVector& constRe, const PartVector& constIm)
{
    const std::size_t n = constRe.size();
    for (std::size_t j = 0; j < n; ++j)
        for (std::size_t i = 0; i < n; ++i)
            if (!reads(coefRe[i][j]) || !reads(coefIm[i][j]))
                return CellPosition{CellPosition::Table::Coefficients, i + 1, j + 1,
                                    beyondRange(coefRe[i][j], coefIm[i][j])};
    for (std::size_t i = 0; i < n; ++i)
        if (!reads(constRe[i]) || !reads(constIm[i]))
            return CellPosition{CellPosition::Table::Constants, i + 1, 1, beyondRange(constRe[i], constIm[i])};
    return std::nullopt;
}

}  // namespace kalvor
