#include "core/cellcheck.h"

#include "core/numberreading.h"

namespace kalvor {

namespace {

bool reads(const PartValue& part)
{
    return readNumber(part).has_value();
}

}  // namespace

std::optional<CellPosition> firstUnreadableCell(const PartMatrix& coefRe, const PartMatrix& coefIm,
                                                const PartVector& constRe, const PartVector& constIm)
{
    const std::size_t n = constRe.size();
    for (std::size_t j = 0; j < n; ++j)
        for (std::size_t i = 0; i < n; ++i)
            if (!reads(coefRe[i][j]) || !reads(coefIm[i][j]))
                return CellPosition{CellPosition::Table::Coefficients, i + 1, j + 1};
    for (std::size_t i = 0; i < n; ++i)
        if (!reads(constRe[i]) || !reads(constIm[i]))
            return CellPosition{CellPosition::Table::Constants, i + 1, 1};
    return std::nullopt;
}

}  // namespace kalvor
