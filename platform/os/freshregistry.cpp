#include "platform/os/freshregistry.h"

#include <utility>

namespace kalvor {

namespace {

constexpr std::int32_t Success = 0;
constexpr std::int32_t InvalidHandle = 6;  // ERROR_INVALID_HANDLE

}  // namespace

FreshRegistry::FreshRegistry(Factory make) : make_(std::move(make))
{
}

std::int32_t FreshRegistry::RegOpenKeyExA(Handle key, const std::string& subKey, std::uint32_t options,
                                          std::uint32_t samDesired, Handle& result)
{
    // A key still open belongs to the registry made before; it must stay
    // valid until it is closed.
    if (openKeys_ == 0 || !current_) {
        current_ = make_();
        openKeys_ = 0;
    }
    const std::int32_t rc = current_->RegOpenKeyExA(key, subKey, options, samDesired, result);
    if (rc == Success) {
        ++openKeys_;
    }
    return rc;
}

std::int32_t FreshRegistry::RegQueryValueExA(Handle key, const std::string& valueName, std::uint32_t reserved,
                                             std::uint32_t& type, std::uint8_t* data, std::uint32_t& cbData)
{
    if (!current_) {
        return InvalidHandle;
    }
    return current_->RegQueryValueExA(key, valueName, reserved, type, data, cbData);
}

std::int32_t FreshRegistry::RegCloseKey(Handle key)
{
    if (!current_) {
        return InvalidHandle;
    }
    const std::int32_t rc = current_->RegCloseKey(key);
    if (rc == Success && openKeys_ > 0) {
        --openKeys_;
    }
    return rc;
}

}  // namespace kalvor
