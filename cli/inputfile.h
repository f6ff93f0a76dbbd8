#pragma once

#include <optional>
#include <string>

namespace kalvor {

// Reads the whole of a file, or of standard input for "-", as bytes.
// Nothing means it could not be opened or read; `error` then says why, in
// one line naming the file.
std::optional<std::string> readInput(const std::string& name, std::string& error);

} // namespace kalvor
