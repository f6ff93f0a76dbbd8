#include "windows/changeorder.h"

#include <algorithm>

namespace kalvor {

void ChangeOrder::follow(Kind kind, std::size_t depth)
{
    auto known = static_cast<std::size_t>(std::count(order_.begin(), order_.end(), kind));
    for (; known < depth; ++known)
        order_.push_back(kind);
    for (; known > depth; --known)
        order_.erase(std::find(order_.rbegin(), order_.rend(), kind).base() - 1);
}

std::optional<ChangeOrder::Kind> ChangeOrder::last() const
{
    if (order_.empty())
        return std::nullopt;
    return order_.back();
}

}  // namespace kalvor
