#include "core/partvalue.h"

#include <utility>

namespace kalvor {

PartValue PartValue::fromText(std::string text)
{
    PartValue p;
    p.kind_ = Kind::Text;
    p.text_ = std::move(text);
    return p;
}

PartValue PartValue::fromInteger(int value)
{
    PartValue p;
    p.integer_ = value;
    return p;
}

PartValue PartValue::fromNumber(double value)
{
    PartValue p;
    p.kind_ = Kind::Number;
    p.number_ = value;
    return p;
}

}  // namespace kalvor
