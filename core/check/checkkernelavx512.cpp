// The solution check's kernel for processors with AVX-512 (F, DQ) besides AVX2 and FMA.
// This file alone is compiled with the instruction set's flags; it is only
// called after the processor was found to support them.
#if defined(__x86_64__)

#define Eigen kalvor_eigen_avx512
#define KALVOR_CHECK_KERNEL checkKernelAvx512
#define KALVOR_CHECK_LANES 16
#include "core/check/checkkernelbody.h"

#endif
