#include "core/elimination.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "core/eliminationkernel.h"
#include "core/solverthreads.h"

namespace kalvor {

namespace {

UpdateKernel kernelFor(SolverPath path)
{
    switch (path) {
    case SolverPath::Avx512:
        return updateAvx512;
    case SolverPath::Avx2:
        return updateAvx2;
    case SolverPath::Portable:
        break;
    }
    return updatePortable;
}

// Column ranges handed to threads start on this boundary so that the vector
// tiles of the two halves do not share cache lines.
constexpr std::size_t SplitAlign = 16;

class BlockUpdater {
public:
    BlockUpdater(double* a, std::size_t n, std::size_t ld, UpdateKernel kernel)
        : a_(a), n_(n), ld_(ld), kernel_(kernel) {}

    // Step k alone on rows [r0, r1) and columns [c0, c1).
    bool step(std::size_t k, std::size_t r0, std::size_t r1, std::size_t c0, std::size_t c1)
    {
        if (r0 >= r1 || c0 >= c1)
            return true;
        steps_.assign(1, makeStepDivisor(a_[k * ld_ + k], a_ + k * ld_, c0, c1));
        markRows(k, k + 1, r0, r1);
        return kernel_(a_, ld_, k, k + 1, steps_.data(), r0, r1, c0, c1, fast_.data());
    }

    // Steps [k0, k1) on columns [c0, c1): first the block's own pivot rows,
    // one step at a time, then every row below the block in one pass.
    bool block(std::size_t k0, std::size_t k1, std::size_t c0, std::size_t c1)
    {
        if (c0 >= c1)
            return true;
        bool finite = true;
        for (std::size_t k = k0; k < k1; ++k)
            finite = step(k, k + 1, k1, c0, c1) && finite;
        if (k1 >= n_)
            return finite;
        steps_.clear();
        for (std::size_t k = k0; k < k1; ++k)
            steps_.push_back(makeStepDivisor(a_[k * ld_ + k], a_ + k * ld_, c0, c1));
        markRows(k0, k1, k1, n_);
        return kernel_(a_, ld_, k0, k1, steps_.data(), k1, n_, c0, c1, fast_.data()) && finite;
    }

private:
    void markRows(std::size_t k0, std::size_t k1, std::size_t r0, std::size_t r1)
    {
        fast_.resize(r1 - r0);
        for (std::size_t i = r0; i < r1; ++i) {
            bool ok = true;
            for (std::size_t k = k0; k < k1 && ok; ++k)
                ok = rowMayUseReciprocal(steps_[k - k0], a_[i * ld_ + k]);
            fast_[i - r0] = ok;
        }
    }

    double* a_;
    std::size_t n_, ld_;
    UpdateKernel kernel_;
    std::vector<StepDivisor> steps_;
    std::vector<unsigned char> fast_;
};

std::size_t firstNonZero(const double* a, std::size_t n, std::size_t ld, std::size_t k)
{
    for (std::size_t p = k; p < n; ++p)
        if (a[p * ld + k] != 0)
            return p;
    return n;
}

} // namespace

EliminationOutcome eliminate(double* a, std::size_t n, std::size_t ld, const SolverOptions& options)
{
    const UpdateKernel kernel = kernelFor(options.path);
    const std::size_t blockSize = std::max<std::size_t>(options.blockSize, 1);
    const std::size_t panelBlock = std::max<std::size_t>(options.panelBlockSize, 1);
    BlockUpdater main(a, n, ld, kernel);
    BlockUpdater helper(a, n, ld, kernel);

    // Steps [s0, s1) applied one at a time to columns [c0, c1); true when
    // every result stayed finite.
    const auto stepsFinite = [&](std::size_t s0, std::size_t s1, std::size_t c0, std::size_t c1) {
        bool finite = true;
        for (std::size_t s = s0; s < s1; ++s)
            finite = main.step(s, s + 1, n, c0, c1) && finite;
        return finite;
    };

    // Two levels of blocks: a block's columns [k0, k1) are eliminated in
    // small panels [s0, s1), each panel step by step on its own columns and
    // then as a batch on the rest of the block; the columns right of the
    // block wait for the whole block.
    for (std::size_t k0 = 0; k0 < n; k0 += blockSize) {
        const std::size_t k1 = std::min(n, k0 + blockSize);
        for (std::size_t s0 = k0; s0 < k1; s0 += panelBlock) {
            const std::size_t s1 = std::min(k1, s0 + panelBlock);
            for (std::size_t k = s0; k < s1; ++k) {
                const std::size_t p = firstNonZero(a, n, ld, k);
                if (p == n) {
                    // No pivot at step k. The literal order would already
                    // have applied the earlier steps to the waiting
                    // columns; if any of those left the double range, that
                    // error came first.
                    const bool finite = stepsFinite(s0, k, s1, k1) && stepsFinite(k0, k, k1, n + 1);
                    return finite ? EliminationOutcome::NoUniqueSolution : EliminationOutcome::DataError;
                }
                // Exchanging a row with itself changes nothing.
                if (p != k)
                    std::swap_ranges(a + k * ld, a + k * ld + n + 1, a + p * ld);
                if (!main.step(k, k + 1, n, k + 1, s1))
                    return EliminationOutcome::DataError;
            }
            if (!main.block(s0, s1, s1, k1))
                return EliminationOutcome::DataError;
        }

        // The waiting columns, right-hand side included, split between two
        // threads when the work pays for starting one.
        const std::size_t c0 = k1, c1 = n + 1;
        const std::size_t work = (n - k0) * (c1 - c0) * (k1 - k0);
        bool finite = true;
        if (options.threads >= 2 && work >= options.minParallelWork && c1 - c0 >= 2 * SplitAlign) {
            std::size_t mid = c0 + (c1 - c0) / 2;
            mid = c0 + (mid - c0 + SplitAlign - 1) / SplitAlign * SplitAlign;
            bool helperFinite = true;
            runSideBySide([&] { finite = main.block(k0, k1, c0, mid); },
                          [&] { helperFinite = helper.block(k0, k1, mid, c1); });
            finite = finite && helperFinite;
        } else {
            finite = main.block(k0, k1, c0, c1);
        }
        if (!finite)
            return EliminationOutcome::DataError;
    }
    return EliminationOutcome::Eliminated;
}

} // namespace kalvor
