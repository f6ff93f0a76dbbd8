#pragma once

// The public API of the core: cell-text parsing, number reading, the leading
// number value, formulas and parameters, the solver, the check of its
// solution, the result text and phasors. No windowing toolkit.
#include "core/cellcheck.h"
#include "core/countreading.h"
#include "core/decimalcomma.h"
#include "core/formula/cellfallback.h"
#include "core/formula/compiledsystem.h"
#include "core/formula/formula.h"
#include "core/formula/parameters.h"
#include "core/numberformat.h"
#include "core/numberreading.h"
#include "core/partcell.h"
#include "core/partvalue.h"
#include "core/polar.h"
#include "core/readingreport.h"
#include "core/check/solutioncheck.h"
#include "core/solutionfile.h"
#include "core/solver.h"
#include "core/sweep/compiledsweep.h"
#include "core/sweep/sweep.h"
#include "core/sweep/sweepplotdata.h"
#include "core/sweep/sweepspacing.h"
#include "core/systemfile.h"
#include "core/tabletext.h"
#include "core/val.h"
