#pragma once

#include <string>

namespace kalvor {

// True when `path` can be handed to the operating system as a file name: not
// empty and free of NUL bytes (the system would silently use only the part
// before a NUL).
bool isUsablePath(const std::string& path);

// Throws std::runtime_error naming the reason when !isUsablePath(path).
void requireLaunchablePath(const std::string& path);

}  // namespace kalvor
