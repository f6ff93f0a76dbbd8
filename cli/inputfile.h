#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace kalvor {

// The most bytes an input may have (256 MiB): a system file of 500
// equations with cells of any sensible length is far smaller.
inline constexpr std::size_t MaxInputBytes = std::size_t{256} << 20;

// Reads the whole of a file, or of standard input for "-", as bytes.
// Nothing means it could not be opened or read, or is larger than
// MaxInputBytes; `error` then says why, in one line naming the file.
std::optional<std::string> readInput(const std::string& name, std::string& error);

} // namespace kalvor
