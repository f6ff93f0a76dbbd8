// The solution check's kernel for processors with AVX2 and FMA.
// This file alone is compiled with the instruction set's flags; it is only
// called after the processor was found to support them.
#if defined(__x86_64__)

#define Eigen kalvor_eigen_avx2
#define KALVOR_CHECK_KERNEL checkKernelAvx2
#define KALVOR_CHECK_LANES 8
#include "core/check/checkkernelbody.h"

#endif
