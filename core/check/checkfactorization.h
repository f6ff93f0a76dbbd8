#pragma once

#include <complex>

namespace kalvor {

// A partial-pivot LU of the solution check's n x n complex matrix, made by
// one of the instruction-set variants (core/check/checkkernel.h). Defined out of
// line in solutioncheck.cpp, so that its vtable and destructor exist once,
// compiled for every processor.
class CheckFactorization {
public:
    virtual ~CheckFactorization();

    // True when U's diagonal holds an exact zero or a number that is not
    // finite: the matrix is singular in working precision.
    virtual bool singular() const = 0;

    // Estimate of the reciprocal 1-norm condition number. Only when not
    // singular.
    virtual double reciprocalCondition() const = 0;

    // Replaces the n entries of `rhs` by the solution of the factored system.
    // Only when not singular.
    virtual void solveInPlace(std::complex<double>* rhs) const = 0;
};

}  // namespace kalvor
