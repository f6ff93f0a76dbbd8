#include "core/partvalue.h"

#include <utility>

namespace kalvor {

PartValue PartValue::fromText(std::string text)
{
    PartValue p;
    p.isText_ = true;
    p.text_ = std::move(text);
    return p;
}

PartValue PartValue::fromInteger(int value)
{
    PartValue p;
    p.integer_ = value;
    return p;
}

}  // namespace kalvor
