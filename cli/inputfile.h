#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "core/systemfile.h"

namespace kalvor {

// The most bytes an input may have: as many as a system file may have.
inline constexpr std::size_t MaxInputBytes = MaxSystemFileBytes;

// Reads the whole of a file, or of standard input for "-", as bytes.
// Nothing means it could not be opened or read, or is larger than
// MaxInputBytes; `error` then says why, in one line naming the file.
std::optional<std::string> readInput(const std::string& name, std::string& error);

}  // namespace kalvor
