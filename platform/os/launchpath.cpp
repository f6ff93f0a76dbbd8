#include "platform/os/launchpath.h"

#include <stdexcept>

namespace kalvor {

bool isUsablePath(const std::string& path)
{
    return !path.empty() && path.find('\0') == std::string::npos;
}

void requireLaunchablePath(const std::string& path)
{
    if (path.empty()) {
        throw std::runtime_error("cannot start a program with an empty path");
    }
    if (!isUsablePath(path)) {
        throw std::runtime_error("cannot start a program whose path holds a NUL byte");
    }
}

}  // namespace kalvor
