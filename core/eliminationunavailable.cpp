#include <cstddef>

#include "core/eliminationkernel.h"

// Each vector kernel is compiled for its own processor family only. On the
// others its entry points remain, so that the path switch and the tests link
// everywhere; solverPathAvailable() is false for these paths there, so the
// solver never calls them. Called anyway, they give the portable results.

namespace kalvor {

namespace {

[[maybe_unused]] void trueQuotients(const StepDivisor& s, const double* p, std::size_t n, double* out)
{
    for (std::size_t i = 0; i < n; ++i)
        out[i] = p[i] / s.d;
}

}  // namespace

#if !KALVOR_X86_64
bool updateAvx2(const UpdateRange& range)
{
    return updatePortable(range);
}

bool updateAvx512(const UpdateRange& range)
{
    return updatePortable(range);
}

void quotientsAvx2(const StepDivisor& s, const double* p, std::size_t n, double* out)
{
    trueQuotients(s, p, n, out);
}

void quotientsAvx512(const StepDivisor& s, const double* p, std::size_t n, double* out)
{
    trueQuotients(s, p, n, out);
}
#endif

#if !KALVOR_AARCH64
bool updateNeon(const UpdateRange& range)
{
    return updatePortable(range);
}

void quotientsNeon(const StepDivisor& s, const double* p, std::size_t n, double* out)
{
    trueQuotients(s, p, n, out);
}
#endif

}  // namespace kalvor
