#pragma once

#include <string_view>

#include "core/systemlimits.h"

namespace kalvor {

// The two failure messages of a Solve, word for word: the equation window
// shows them and kalvor1-solve writes them, so that a script sees the same
// text a user of the window reads.
inline constexpr std::string_view NoUniqueSolutionMessage
    = "This equations have no solution OR This equation have infinite number of solutions "
      "The unknowns is dependent variables , Please...Use 'Kalvor2'";
inline constexpr std::string_view DataErrorMessage = "Try to write '(imaginary)i in form '0+(imaginary)i";

// Why a file (or standard input) larger than MaxSystemFileBytes is refused,
// after its name: the window's drop and kalvor1-solve say it alike.
inline constexpr std::string_view TooLargeFileReason = "larger than 256 MiB, more than any system file needs";
static_assert(MaxSystemFileBytes == std::size_t{256} << 20, "TooLargeFileReason names the size limit");

}  // namespace kalvor
