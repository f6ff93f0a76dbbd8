#include <cstddef>

#include "core/elimination/eliminationkernel.h"

// The vector kernels are compiled for x86-64 only. On other processors their
// entry points remain, so that the path switch and the tests link everywhere;
// solverPathAvailable() is false for these paths there, so the solver never
// calls them. Called anyway, they give the portable results.
#if !KALVOR_X86_64

namespace kalvor {

namespace {

void trueQuotients(const StepDivisor& s, const double* p, std::size_t n, double* out)
{
    for (std::size_t i = 0; i < n; ++i)
        out[i] = p[i] / s.d;
}

}  // namespace

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

}  // namespace kalvor

#endif  // !KALVOR_X86_64
