// The solution check's kernel for any processor.
// Compiled with the project's flags, so it runs wherever the program does.

#define Eigen kalvor_eigen_portable
#define KALVOR_CHECK_KERNEL checkKernelPortable
#define KALVOR_CHECK_LANES 8
#define KALVOR_CHECK_OWN_QR
#include "core/check/checkkernelbody.h"
