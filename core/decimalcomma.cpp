#include "core/decimalcomma.h"

#include <algorithm>

#include "core/numberreading.h"
#include "core/partcell.h"
#include "core/polar.h"

namespace kalvor {

namespace {

bool readsAsNumber(const std::string& cell)
{
    const CellParts parts = partcell(cell);
    return readNumber(parts.re) && readNumber(parts.im);
}

}  // namespace

std::size_t convertDecimalCommaFields(std::vector<std::vector<std::string>>& rows)
{
    std::size_t converted = 0;
    for (std::vector<std::string>& row : rows) {
        for (std::string& field : row) {
            if (field.find(',') == std::string::npos || readsAsNumber(field))
                continue;
            std::string stops = field;
            std::replace(stops.begin(), stops.end(), ',', '.');
            if (readsAsNumber(stops) || polarToRectangular(stops)) {
                field = std::move(stops);
                ++converted;
            }
        }
    }
    return converted;
}

}  // namespace kalvor
