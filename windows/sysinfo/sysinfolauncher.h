#pragma once

#include "platform/os/launcher.h"
#include "platform/os/registry.h"

#include <cstdint>
#include <functional>
#include <string>

namespace kalvor {

// Finds the operating system's System Information program through two
// registry values and starts it, or tells the user it is unavailable.
// Holds references only: the registry, the launcher and the message callback
// must outlive it. No toolkit needed.
class SysInfoLauncher {
public:
    using MessageFn = std::function<void(const std::string&)>;

    // Windows values; not named as in the Windows headers, which define
    // those names as macros.
    static constexpr std::uint32_t LocalMachine = 0x80000002;  // HKEY_LOCAL_MACHINE
    // READ_CONTROL with the six specific key rights (query, set, create
    // sub-key, enumerate, notify, create link).
    static constexpr std::uint32_t AccessMask = 0x2003F;
    static constexpr std::uint32_t TypeString = 1;  // REG_SZ
    static constexpr std::uint32_t TypeDword = 4;   // REG_DWORD
    static constexpr std::uint32_t BufferSize = 1024;
    static constexpr const char* UnavailableMessage = "System Information Is Unavailable At This Time";

    // `message` shows a modal box with OK only and no title of its own.
    SysInfoLauncher(Registry& registry, Launcher& launcher, MessageFn message);

    // Starts the System Information program named by the registry, or calls
    // the message callback once with UnavailableMessage. Never throws for a
    // failed lookup or launch; an exception from the message callback itself
    // propagates.
    void StartSysInfo();

    // Reads value `SubKeyRef` of key `KeyName` under root `KeyRoot`. Returns
    // true when it was read: a REG_SZ value's bytes become `KeyVal` (one
    // terminating NUL dropped, any other byte kept as it is), a REG_DWORD
    // becomes its decimal text, any other type leaves `KeyVal` unchanged.
    // Returns false with `KeyVal` emptied when the key cannot be opened, the
    // value is missing or longer than 1024 bytes. Throws std::runtime_error
    // for a zero-length value (the key is closed first). The key is always
    // closed, with handle 0 after a failed open.
    bool GetKeyValue(std::uint32_t KeyRoot, const std::string& KeyName, const std::string& SubKeyRef,
                     std::string& KeyVal);

private:
    Registry& registry_;
    Launcher& launcher_;
    MessageFn message_;
};

}  // namespace kalvor
