// The solution check's kernel, written once for every instruction set. A
// variant file defines, then includes this:
//   Eigen                - a namespace name of its own for the library, so
//                          that no template compiled with its flags is
//                          shared with another file;
//   KALVOR_CHECK_KERNEL  - the name of its function in core/check/checkkernel.h;
//   KALVOR_CHECK_LANES   - the independent sums a row's residual keeps (even:
//                          even lanes sum real parts, odd lanes imaginary);
//   KALVOR_CHECK_OWN_QR  - compile the pivoted QR here (always in the
//                          portable variant; in the others unless the build
//                          has them share the portable one).

#include <cmath>
#include <complex>
#include <cstddef>

#include <Eigen/LU>
#if defined(KALVOR_CHECK_OWN_QR)
#include <Eigen/QR>
#endif

#include "core/check/checkkernel.h"
#include "core/check/doubledouble.h"

namespace kalvor {
namespace {

constexpr std::size_t CheckLanes = KALVOR_CHECK_LANES;

// Whether the triangular factor `t` of an n x n matrix has a zero or a
// non-finite number on its diagonal: nothing can be solved with it then.
template <typename Triangle>
bool unusableDiagonal(const Triangle& t, Eigen::Index n)
{
    for (Eigen::Index k = 0; k < n; ++k) {
        const std::complex<double> d = t(k, k);
        if ((d.real() == 0 && d.imag() == 0) || !std::isfinite(d.real()) || !std::isfinite(d.imag()))
            return true;
    }
    return false;
}

class EigenFactorization final : public CheckFactorization {
public:
    EigenFactorization(std::complex<double>* a, std::size_t n)
        : n_(static_cast<Eigen::Index>(n)), matrix_(a, n_, n_), lu_(matrix_)
    {
    }

    bool singular() const override { return unusableDiagonal(lu_.matrixLU(), n_); }

    double reciprocalCondition() const override { return lu_.rcond(); }

    void solveInPlace(std::complex<double>* rhs) const override
    {
        Eigen::Map<Eigen::VectorXcd> v(rhs, n_);
        const Eigen::VectorXcd x = lu_.solve(v);
        v = x;
    }

private:
    Eigen::Index n_;
    Eigen::Map<Eigen::MatrixXcd> matrix_;
    // In place: the factors overwrite the matrix, no copy of it is made.
    Eigen::PartialPivLU<Eigen::Ref<Eigen::MatrixXcd>> lu_;
};

CheckFactorization* factor(std::complex<double>* a, std::size_t n)
{
    return new EigenFactorization(a, n);
}

#if defined(KALVOR_CHECK_OWN_QR)
// A QR factorisation with column pivoting: slower than the LU, but free of
// the LU's element growth (2^(n-1) on the matrix with 1 on the diagonal, -1
// below it and 1 in the last column), which can keep a refinement on the LU
// from converging on a well-conditioned matrix.
class EigenStableFactorization final : public CheckFactorization {
public:
    EigenStableFactorization(std::complex<double>* a, std::size_t n)
        : n_(static_cast<Eigen::Index>(n)), matrix_(a, n_, n_), norm_(oneNorm(matrix_)), qr_(matrix_)
    {
    }

    bool singular() const override
    {
        return qr_.rank() < n_ || unusableDiagonal(qr_.matrixR(), n_);
    }

    // From the inverse itself, n^3 work: only for where the LU's estimate
    // is spoilt by its element growth.
    double reciprocalCondition() const override
    {
        // Numerically rank-deficient: solving would drop the dependent part.
        if (qr_.rank() < n_)
            return 0.0;
        const Eigen::MatrixXcd inverse = qr_.inverse();
        const double product = norm_ * oneNorm(inverse);
        return product > 0 && std::isfinite(product) ? 1 / product : 0.0;
    }

    void solveInPlace(std::complex<double>* rhs) const override
    {
        Eigen::Map<Eigen::VectorXcd> v(rhs, n_);
        const Eigen::VectorXcd x = qr_.solve(v);
        v = x;
    }

private:
    Eigen::Index n_;
    template <typename M>
    static double oneNorm(const M& m)
    {
        return m.cwiseAbs().colwise().sum().maxCoeff();
    }

    Eigen::Map<Eigen::MatrixXcd> matrix_;
    double norm_;  // of the matrix before it was factored in place
    Eigen::ColPivHouseholderQR<Eigen::Ref<Eigen::MatrixXcd>> qr_;
};

CheckFactorization* factorStable(std::complex<double>* a, std::size_t n)
{
    return new EigenStableFactorization(a, n);
}
#endif

// One term pair of a row's residual in lane sums s + c (Dot2 of Ogita, Rump
// and Oishi: the products' and the sums' rounding errors are kept in c, so
// the result is as if summed in twice the working precision). The products
// with the low parts of x are 2^-53 smaller and taken in plain double.
inline void accumulate(double& s, double& c, double a0, double a1, double x0, double x1, double l0, double l1)
{
    const DoubleDouble p = twoProd(a0, x0);
    const DoubleDouble q = twoProd(a1, x1);
    DoubleDouble t = twoSum(s, p.hi);
    double e = t.lo + p.lo;
    t = twoSum(t.hi, q.hi);
    s = t.hi;
    c += (e + (t.lo + q.lo)) + (a0 * l0 + a1 * l1);
}

void residual(const std::complex<double>* a, const std::complex<double>* b, const std::complex<double>* xHi,
              const std::complex<double>* xLo, std::size_t n, std::complex<double>* r, double* scratch)
{
    // Lane k of a row works on its double k: even k hold real parts, odd k
    // imaginary ones. (ar + i ai)(xr + i xi) has real part ar xr + ai (-xi)
    // and imaginary part ai xr + ar xi, so lane k adds a[k] * x0[k] and
    // a[k ^ 1] * x1[k] with x0 = (xr, xr) and x1 = (-xi, xi) per unknown.
    const std::size_t m = 2 * n;
    double* x0 = scratch;
    double* x1 = scratch + m;
    double* l0 = scratch + 2 * m;
    double* l1 = scratch + 3 * m;
    for (std::size_t j = 0; j < n; ++j) {
        x0[2 * j] = x0[2 * j + 1] = xHi[j].real();
        x1[2 * j] = -xHi[j].imag();
        x1[2 * j + 1] = xHi[j].imag();
        l0[2 * j] = l0[2 * j + 1] = xLo[j].real();
        l1[2 * j] = -xLo[j].imag();
        l1[2 * j + 1] = xLo[j].imag();
    }
    for (std::size_t i = 0; i < n; ++i) {
        const double* row = reinterpret_cast<const double*>(a + i * n);
        double s[CheckLanes] = {}, c[CheckLanes] = {};
        std::size_t k = 0;
        for (; k + CheckLanes <= m; k += CheckLanes)
            for (std::size_t l = 0; l < CheckLanes; ++l)
                accumulate(s[l], c[l], row[k + l], row[k + (l ^ 1)], x0[k + l], x1[k + l], l0[k + l], l1[k + l]);
        for (std::size_t l = 0; k < m; ++k, ++l)
            accumulate(s[l], c[l], row[k], row[k ^ 1], x0[k], x1[k], l0[k], l1[k]);
        // b minus the lane sums, real parts from the even lanes.
        DoubleDouble re{b[i].real(), 0}, im{b[i].imag(), 0};
        double reLow = 0, imLow = 0;
        for (std::size_t l = 0; l < CheckLanes; l += 2) {
            re = add(re, -s[l]);
            im = add(im, -s[l + 1]);
            reLow -= c[l];
            imLow -= c[l + 1];
        }
        r[i] = {re.hi + (re.lo + reLow), im.hi + (im.lo + imLow)};
    }
}

}  // namespace

CheckKernel KALVOR_CHECK_KERNEL()
{
#if defined(KALVOR_CHECK_OWN_QR)
    return CheckKernel{factor, factorStable, residual};
#else
    // A build that only runs the tests may leave out this variant's QR
    // (it doubles the file's compile time): the deep refinement, which alone
    // uses it, then runs on the portable one.
    return CheckKernel{factor, checkKernelPortable().factorStable, residual};
#endif
}

}  // namespace kalvor

#undef Eigen
