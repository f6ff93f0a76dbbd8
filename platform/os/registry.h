#pragma once

#include <cstdint>
#include <string>

namespace kalvor {

// The three registry operations the System Information lookups need, with
// their Windows meaning: results are Windows error codes, 0 meaning success.
// Implementations: the real registry on Windows, a read-only stand-in
// elsewhere, and fakes in the tests.
class Registry {
public:
    // Wide enough for a key handle on 64-bit Windows. A predefined root key
    // such as HKEY_LOCAL_MACHINE is passed as its 32-bit value (0x80000002),
    // zero-extended.
    using Handle = std::uint64_t;

    virtual ~Registry() = default;

    // Opens `subKey` under `key` with `options` and the access mask
    // `samDesired`. Returns 0 and sets `result` to the open key on success;
    // any other result leaves `result` unspecified and the key not open.
    virtual std::int32_t RegOpenKeyExA(Handle key, const std::string& subKey, std::uint32_t options,
                                       std::uint32_t samDesired, Handle& result)
        = 0;

    // Reads the value `valueName` of the open key `key` into `data`, which
    // holds `cbData` bytes on input. Returns 0 and sets `type` and `cbData`
    // (the data's length in bytes, at most its input value) on success.
    // A value larger than the buffer gives ERROR_MORE_DATA (234); a missing
    // value gives ERROR_FILE_NOT_FOUND (2). Never writes to the registry.
    virtual std::int32_t RegQueryValueExA(Handle key, const std::string& valueName, std::uint32_t reserved,
                                          std::uint32_t& type, std::uint8_t* data, std::uint32_t& cbData)
        = 0;

    // Closes `key`. Must tolerate 0 and handles that are not open (it then
    // returns an error code, which callers ignore).
    virtual std::int32_t RegCloseKey(Handle key) = 0;
};

}  // namespace kalvor
