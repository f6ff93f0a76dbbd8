#pragma once

#include "platform/os/registry.h"

#include <functional>
#include <memory>

namespace kalvor {

// A registry made anew, from its factory, each time a key is opened while no
// other key is open, so that a lookup sees the system as it is at that
// moment: a System Information program installed while the program runs is
// found, and nothing is searched before the first lookup.
class FreshRegistry : public Registry {
public:
    using Factory = std::function<std::unique_ptr<Registry>()>;

    // `make` is called once per lookup, never here.
    explicit FreshRegistry(Factory make);

    std::int32_t RegOpenKeyExA(Handle key, const std::string& subKey, std::uint32_t options, std::uint32_t samDesired,
                               Handle& result) override;
    // Both go to the registry that opened the keys; with none made yet they
    // give ERROR_INVALID_HANDLE (6).
    std::int32_t RegQueryValueExA(Handle key, const std::string& valueName, std::uint32_t reserved, std::uint32_t& type,
                                  std::uint8_t* data, std::uint32_t& cbData) override;
    std::int32_t RegCloseKey(Handle key) override;

private:
    Factory make_;
    std::unique_ptr<Registry> current_;
    int openKeys_ = 0;
};

}  // namespace kalvor
