#pragma once

#include <cstddef>

namespace kalvor {

// The most unknowns a system may have: the count a window accepts, the
// lines a system file may hold and the size the solver takes all end here
// (the most equations the working storage holds).
inline constexpr std::size_t MaxUnknowns = 500;

// The most bytes a system file may have (256 MiB): a system of 500
// equations with cells of any sensible length is far smaller.
inline constexpr std::size_t MaxSystemFileBytes = std::size_t{256} << 20;

}  // namespace kalvor
