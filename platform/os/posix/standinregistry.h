#pragma once

#include "platform/os/registry.h"

#include <string>
#include <string_view>
#include <vector>

namespace kalvor {

// A read-only registry for systems that have none. It holds one value only:
// "PATH" under HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Shared Tools\MSINFO, a
// string with the full path of the first system-information program found
// on the search path, and only when one is found. Key names compare without
// regard to case, as on Windows.
class StandInRegistry : public Registry {
public:
    // The programs looked for, most wanted first.
    static const std::vector<std::string>& defaultPrograms();

    // Searches the PATH of the environment for defaultPrograms().
    StandInRegistry();
    // Searches `searchPath` (folders separated by ':') for `programs`.
    StandInRegistry(std::string_view searchPath, const std::vector<std::string>& programs);

    // The full path of the program found, or the empty text.
    const std::string& programPath() const { return programPath_; }

    // The first executable regular file named after an entry of `programs`
    // in the folders of `searchPath`, searched folder by folder in the order
    // of `programs`; the empty text when there is none. Empty and relative
    // folders are skipped: the current folder is never searched.
    static std::string findProgram(std::string_view searchPath, const std::vector<std::string>& programs);

    std::int32_t RegOpenKeyExA(Handle key, const std::string& subKey, std::uint32_t options, std::uint32_t samDesired,
                               Handle& result) override;
    std::int32_t RegQueryValueExA(Handle key, const std::string& valueName, std::uint32_t reserved, std::uint32_t& type,
                                  std::uint8_t* data, std::uint32_t& cbData) override;
    std::int32_t RegCloseKey(Handle key) override;

private:
    std::string programPath_;
};

}  // namespace kalvor
