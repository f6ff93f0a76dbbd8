#pragma once

#include <complex>
#include <optional>
#include <string>

#include "core/formula/formula.h"

// The formula evaluator's arithmetic on complex doubles, written out so that
// every build rounds the same steps the same way: products and quotients by
// their textbook formulas (a real operand gives exactly the real result),
// integer powers by repeated squaring, and real arguments through the real
// functions, so a formula without i stays exactly real.
namespace kalvor::complexmath {

std::complex<double> multiply(std::complex<double> a, std::complex<double> b);
// a / b for b not zero (Smith's quotient: no overflow on the way for
// ordinary values).
std::complex<double> divide(std::complex<double> a, std::complex<double> b);

// The binary operation `code` (Add .. PhasorRadians); nullopt when it has
// no value (division by zero, an angle that is not real or too large), and
// binaryProblem then says why.
std::optional<std::complex<double>> binary(FormulaOp::Code code, std::complex<double> a, std::complex<double> b);
std::string binaryProblem(FormulaOp::Code code, std::complex<double> a, std::complex<double> b);

// The function `code` (Sqrt .. Tan) of a; a value that is not finite where it
// has none (ln 0).
std::complex<double> function(FormulaOp::Code code, std::complex<double> a);

}  // namespace kalvor::complexmath
