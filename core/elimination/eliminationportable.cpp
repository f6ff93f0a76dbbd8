#include <cmath>
#include <cstddef>

#include "core/elimination/eliminationkernel.h"

namespace kalvor {

// The reference-shaped kernel: true division, no fused operations, so it runs
// on any processor and is the path every other one must match bit for bit.
bool updatePortable(const UpdateRange& range)
{
    double* const a = range.a;
    const std::size_t ld = range.ld, kBegin = range.kBegin, kEnd = range.kEnd;
    const StepDivisor* const steps = range.steps;
    const std::size_t rowBegin = range.rowBegin, rowEnd = range.rowEnd;
    const std::size_t colBegin = range.colBegin, colEnd = range.colEnd;
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

}  // namespace kalvor
