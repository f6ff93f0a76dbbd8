#include "platform/os/win/winregistry.h"

#include <windows.h>

namespace kalvor {

namespace {

// The predefined roots are 32-bit values that the Windows headers
// sign-extend into a pointer (HKEY_LOCAL_MACHINE is 0xFFFFFFFF80000002 on
// 64-bit Windows); opened keys are passed through as they came.
HKEY toHkey(Registry::Handle key)
{
    if (key >= 0x80000000u && key <= 0x800000FFu) {
        return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(static_cast<DWORD>(key))));
    }
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(key));
}

}  // namespace

std::int32_t WinRegistry::RegOpenKeyExA(Handle key, const std::string& subKey, std::uint32_t options,
                                        std::uint32_t samDesired, Handle& result)
{
    HKEY opened = nullptr;
    const LONG rc = ::RegOpenKeyExA(toHkey(key), subKey.c_str(), options, samDesired, &opened);
    result = rc == ERROR_SUCCESS ? static_cast<Handle>(reinterpret_cast<ULONG_PTR>(opened)) : 0;
    return rc;
}

std::int32_t WinRegistry::RegQueryValueExA(Handle key, const std::string& valueName, std::uint32_t /*reserved*/,
                                           std::uint32_t& type, std::uint8_t* data, std::uint32_t& cbData)
{
    DWORD valueType = 0;
    DWORD count = cbData;
    // The reserved argument must be null for Windows; callers pass 0.
    const LONG rc = ::RegQueryValueExA(toHkey(key), valueName.c_str(), nullptr, &valueType, data, &count);
    type = valueType;
    cbData = count;
    return rc;
}

std::int32_t WinRegistry::RegCloseKey(Handle key)
{
    return ::RegCloseKey(toHkey(key));
}

}  // namespace kalvor
