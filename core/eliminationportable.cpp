#include <cmath>
#include <cstddef>

#include "core/eliminationkernel.h"

namespace kalvor {

// The reference-shaped kernel: true division, no fused operations, so it runs
// on any x86-64 and is the path every other one must match bit for bit.
bool updatePortable(double* a, std::size_t ld, std::size_t kBegin, std::size_t kEnd,
                    const StepDivisor* steps, std::size_t rowBegin, std::size_t rowEnd,
                    std::size_t colBegin, std::size_t colEnd, const unsigned char* /*rowFast*/)
{
    bool finite = true;
    for (std::size_t i = rowBegin; i < rowEnd; ++i) {
        double* row = a + i * ld;
        for (std::size_t k = kBegin; k < kEnd; ++k) {
            const double m = row[k];
            // A zero multiplier changes nothing but the sign of a zero.
            if (m == 0)
                continue;
            const double d = steps[k - kBegin].d;
            const double* pivot = a + k * ld;
            for (std::size_t j = colBegin; j < colEnd; ++j) {
                const double product = pivot[j] * m;
                const double quotient = product / d;
                row[j] = row[j] - quotient;
            }
        }
        for (std::size_t j = colBegin; j < colEnd; ++j)
            finite = finite && std::isfinite(row[j]);
    }
    return finite;
}

} // namespace kalvor
