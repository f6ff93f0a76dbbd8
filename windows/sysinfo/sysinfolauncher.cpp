#include "windows/sysinfo/sysinfolauncher.h"

#include "core/numberformat.h"
#include "core/val.h"

#include <array>
#include <cmath>
#include <stdexcept>
#include <utility>

namespace kalvor {

namespace {

const char* const InfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const char* const InfoValue = "PATH";
const char* const LocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
const char* const LocationValue = "MSINFO";
const char* const ProgramFile = "\\MSINFO32.EXE";

// The general formatting of a text with no format string, as far as this
// program needs it: a number literal such as "&h1F" becomes the general
// decimal form of its value ("31").
std::string formatNumberText(const std::string& text)
{
    const double value = val(text);
    if (!std::isfinite(value)) {
        throw std::overflow_error("number value out of range: " + text);
    }
    return formatGeneral(value);
}

// "&h" and the kept bytes as hexadecimal, last byte first: the bytes are
// little-endian, so this puts the most significant digits in front.
std::string dwordLiteral(const std::string& kept)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string literal = "&h";
    for (auto it = kept.rbegin(); it != kept.rend(); ++it) {
        const auto byte = static_cast<unsigned char>(*it);
        literal += Digits[byte >> 4];
        literal += Digits[byte & 0x0F];
    }
    return literal;
}

}  // namespace

SysInfoLauncher::SysInfoLauncher(Registry& registry, Launcher& launcher, MessageFn message)
    : registry_(registry), launcher_(launcher), message_(std::move(message))
{
}

void SysInfoLauncher::StartSysInfo()
{
    bool started = false;
    try {
        std::string path;
        if (GetKeyValue(LocalMachine, InfoKey, InfoValue, path)) {
            // The first value is a full path, used without an existence test.
            launcher_.Shell(path, Launcher::NormalFocus);
            started = true;
        } else if (GetKeyValue(LocalMachine, LocationKey, LocationValue, path)) {
            // The second value names a folder that should hold the program.
            const std::string program = path + ProgramFile;
            if (!launcher_.Dir(program).empty()) {
                launcher_.Shell(program, Launcher::NormalFocus);
                started = true;
            }
        }
    } catch (...) {
        // Every failure on the way, a lookup's or the launch's, ends in the
        // one message below.
        started = false;
    }
    // Outside the trap, so a failing message box is not reported twice.
    if (!started) {
        message_(UnavailableMessage);
    }
}

bool SysInfoLauncher::GetKeyValue(std::uint32_t KeyRoot, const std::string& KeyName, const std::string& SubKeyRef,
                                  std::string& KeyVal)
{
    Registry::Handle key = 0;
    std::array<std::uint8_t, BufferSize> buffer{};
    std::uint32_t count = BufferSize;
    std::uint32_t type = 0;

    bool read = registry_.RegOpenKeyExA(KeyRoot, KeyName, 0, AccessMask, key) == 0;
    if (!read) {
        key = 0;  // a failed open leaves no handle; close is still called, with 0
    } else {
        read = registry_.RegQueryValueExA(key, SubKeyRef, 0, type, buffer.data(), count) == 0
            && count <= BufferSize;  // an adapter claiming more than the buffer holds is not trusted
    }
    if (!read) {
        KeyVal.clear();
        registry_.RegCloseKey(key);
        return false;
    }
    if (count == 0) {
        // A zero-length value is an error for the caller's trap; the key is
        // closed first so that the error does not leak it.
        registry_.RegCloseKey(key);
        throw std::runtime_error("registry value " + SubKeyRef + " is empty");
    }

    std::string kept(reinterpret_cast<const char*>(buffer.data()), count);
    if (kept.back() == '\0') {
        kept.pop_back();  // a string's terminating NUL; bytes before it stay as they are
    }
    try {
        if (type == TypeString) {
            KeyVal = kept;
        } else if (type == TypeDword) {
            KeyVal = formatNumberText(dwordLiteral(kept));
        }
    } catch (...) {
        registry_.RegCloseKey(key);
        throw;
    }
    registry_.RegCloseKey(key);
    return true;
}

}  // namespace kalvor
