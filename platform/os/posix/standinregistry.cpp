#include "platform/os/posix/standinregistry.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace kalvor {

namespace {

constexpr std::int32_t Success = 0;
constexpr std::int32_t FileNotFound = 2;   // ERROR_FILE_NOT_FOUND
constexpr std::int32_t InvalidHandle = 6;  // ERROR_INVALID_HANDLE
constexpr std::int32_t MoreData = 234;     // ERROR_MORE_DATA
constexpr std::uint32_t TypeString = 1;    // REG_SZ

constexpr Registry::Handle LocalMachine = 0x80000002;
// The one key this registry can open. Any non-zero value would do.
constexpr Registry::Handle InfoKeyHandle = 0x1000;

bool sameKeyName(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

bool isExecutableFile(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

const std::vector<std::string>& StandInRegistry::defaultPrograms()
{
    static const std::vector<std::string> programs = {
        "hardinfo2", "hardinfo", "kinfocenter", "gnome-system-monitor", "mate-system-monitor", "lshw-gtk",
    };
    return programs;
}

StandInRegistry::StandInRegistry()
{
    const char* path = std::getenv("PATH");
    programPath_ = findProgram(path != nullptr ? path : "", defaultPrograms());
}

StandInRegistry::StandInRegistry(std::string_view searchPath, const std::vector<std::string>& programs)
    : programPath_(findProgram(searchPath, programs))
{
}

std::string StandInRegistry::findProgram(std::string_view searchPath, const std::vector<std::string>& programs)
{
    std::vector<std::string_view> folders;
    for (std::size_t start = 0; start <= searchPath.size();) {
        std::size_t end = searchPath.find(':', start);
        if (end == std::string_view::npos) {
            end = searchPath.size();
        }
        const std::string_view folder = searchPath.substr(start, end - start);
        if (!folder.empty() && folder.front() == '/') {
            folders.push_back(folder);
        }
        start = end + 1;
    }
    for (const std::string& program : programs) {
        if (program.empty() || program.find('/') != std::string::npos) {
            continue;
        }
        for (std::string_view folder : folders) {
            std::string candidate(folder);
            if (candidate.back() != '/') {
                candidate += '/';
            }
            candidate += program;
            if (isExecutableFile(candidate)) {
                return candidate;
            }
        }
    }
    return {};
}

std::int32_t StandInRegistry::RegOpenKeyExA(Handle key, const std::string& subKey, std::uint32_t /*options*/,
                                            std::uint32_t /*samDesired*/, Handle& result)
{
    if (key == LocalMachine && !programPath_.empty()
        && sameKeyName(subKey, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO")) {
        result = InfoKeyHandle;
        return Success;
    }
    return FileNotFound;
}

std::int32_t StandInRegistry::RegQueryValueExA(Handle key, const std::string& valueName, std::uint32_t /*reserved*/,
                                               std::uint32_t& type, std::uint8_t* data, std::uint32_t& cbData)
{
    if (key != InfoKeyHandle) {
        return InvalidHandle;
    }
    if (!sameKeyName(valueName, "PATH")) {
        return FileNotFound;
    }
    // Stored as Windows stores a string: with its terminating NUL.
    const auto size = static_cast<std::uint32_t>(programPath_.size() + 1);
    type = TypeString;
    if (data == nullptr || size > cbData) {
        cbData = size;
        return data == nullptr ? Success : MoreData;
    }
    std::memcpy(data, programPath_.c_str(), size);
    cbData = size;
    return Success;
}

std::int32_t StandInRegistry::RegCloseKey(Handle key)
{
    return key == InfoKeyHandle ? Success : InvalidHandle;
}

}  // namespace kalvor
