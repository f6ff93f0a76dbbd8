#pragma once

#include <complex>
#include <cstddef>
#include <vector>

namespace kalvor {

// The numbers a solve read from the four part tables: equation i reads
// a[i*n + 0] X1 + ... + a[i*n + n-1] Xn = b[i].
struct NumericSystem {
    std::size_t n = 0;
    std::vector<std::complex<double>> a;  // a[i*n + j]: equation i, unknown j (from 0)
    std::vector<std::complex<double>> b;  // the constants
};

}  // namespace kalvor
