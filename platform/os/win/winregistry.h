#pragma once

#include "platform/os/registry.h"

namespace kalvor {

// The Windows registry through advapi32. Handles are the HKEY values; the
// predefined roots are accepted as their 32-bit values (0x80000002).
class WinRegistry : public Registry {
public:
    std::int32_t RegOpenKeyExA(Handle key, const std::string& subKey, std::uint32_t options, std::uint32_t samDesired,
                               Handle& result) override;
    std::int32_t RegQueryValueExA(Handle key, const std::string& valueName, std::uint32_t reserved, std::uint32_t& type,
                                  std::uint8_t* data, std::uint32_t& cbData) override;
    std::int32_t RegCloseKey(Handle key) override;
};

}  // namespace kalvor
