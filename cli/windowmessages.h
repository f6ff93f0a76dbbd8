#pragma once

#include <string_view>

namespace kalvor {

// The equation window's two failure messages, word for word, so that a script
// sees the same text a user of the window reads.
inline constexpr std::string_view NoUniqueSolutionMessage
    = "This equations have no solution OR This equation have infinite number of solutions "
      "The unknowns is dependent variables , Please...Use 'Kalvor2'";
inline constexpr std::string_view DataErrorMessage = "Try to write '(imaginary)i in form '0+(imaginary)i";

}  // namespace kalvor
