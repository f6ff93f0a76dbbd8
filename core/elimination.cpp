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

// Where and why the elimination of a block stopped early.
struct PanelStop {
    enum Kind { None, NoPivot, Overflow } kind = None;
    std::size_t k = 0;        // the step
    std::size_t s0 = 0, s1 = 0; // its small panel
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
    std::vector<std::size_t> pivots(n);

    // Steps [s0, s1) applied one at a time to columns [c0, c1); true when
    // every result stayed finite.
    const auto stepsFinite = [&](std::size_t s0, std::size_t s1, std::size_t c0, std::size_t c1) {
        bool finite = true;
        for (std::size_t s = s0; s < s1; ++s)
            finite = main.step(s, s + 1, n, c0, c1) && finite;
        return finite;
    };

    // The row exchanges of steps [s0, s1), as recorded, on columns [c0, c1).
    const auto exchange = [&](std::size_t s0, std::size_t s1, std::size_t c0, std::size_t c1) {
        for (std::size_t k = s0; k < s1; ++k)
            if (pivots[k] != k)
                std::swap_ranges(a + k * ld + c0, a + k * ld + c1, a + pivots[k] * ld + c0);
    };

    // Eliminates the block [k0, k1) in small panels [s0, s1): each panel
    // step by step on its own columns, then as a batch on the rest of the
    // block. Rows are exchanged on the columns [x0, x1) only; the caller
    // exchanges the others later, in the recorded order.
    const auto factorBlock = [&](std::size_t k0, std::size_t k1, std::size_t x0, std::size_t x1) {
        for (std::size_t s0 = k0; s0 < k1; s0 += panelBlock) {
            const std::size_t s1 = std::min(k1, s0 + panelBlock);
            for (std::size_t k = s0; k < s1; ++k) {
                const std::size_t p = firstNonZero(a, n, ld, k);
                if (p == n)
                    return PanelStop{PanelStop::NoPivot, k, s0, s1};
                pivots[k] = p;
                // Exchanging a row with itself changes nothing.
                if (p != k)
                    std::swap_ranges(a + k * ld + x0, a + k * ld + x1, a + p * ld + x0);
                if (!main.step(k, k + 1, n, k + 1, s1))
                    return PanelStop{PanelStop::Overflow, k, s0, s1};
            }
            if (!main.block(s0, s1, s1, k1))
                return PanelStop{PanelStop::Overflow, s1, s0, s1};
        }
        return PanelStop{};
    };

    // The outcome of a block [k0, k1) that stopped. With no pivot at step k,
    // the literal order would already have applied the earlier steps to the
    // columns still waiting for them; if any of those left the double range,
    // that error came first.
    const auto stopped = [&](const PanelStop& stop, std::size_t k0, std::size_t k1) {
        if (stop.kind == PanelStop::Overflow)
            return EliminationOutcome::DataError;
        const bool finite = stepsFinite(stop.s0, stop.k, stop.s1, k1) && stepsFinite(k0, stop.k, k1, n + 1);
        return finite ? EliminationOutcome::NoUniqueSolution : EliminationOutcome::DataError;
    };

    // Two levels of blocks. After a block's own columns, the columns right of
    // it (the right-hand side included) get its steps as one batch, split
    // between two threads when the work pays for starting one. Then, while
    // the second thread is still busy with its half, this one already
    // eliminates the next block, whose columns it has updated first ("look
    // ahead"); it exchanges rows there only until both halves are done.
    std::size_t k0 = 0, k1 = std::min(n, blockSize);
    if (const PanelStop stop = factorBlock(k0, k1, 0, n + 1); stop.kind != PanelStop::None)
        return stopped(stop, k0, k1);
    for (; k0 < n; k0 = k1, k1 = std::min(n, k1 + blockSize)) {
        const std::size_t k2 = std::min(n, k1 + blockSize);
        const std::size_t c0 = k1, c1 = n + 1, width = c1 - c0;
        const std::size_t work = (n - k0) * width * (k1 - k0);
        const bool parallel = options.threads >= 2 && work >= options.minParallelWork && width >= 2 * SplitAlign;
        // The thread that eliminates the next block takes fewer of the other
        // columns, one and a half blocks' widths fewer (about what that
        // elimination costs, measured in columns of this update), and at
        // least all of the next block's.
        const bool lookAhead = parallel && k1 < n && width >= 4 * (k2 - k1);
        if (!lookAhead) {
            bool finite = true;
            if (parallel) {
                const std::size_t mid = c0 + (width / 2 + SplitAlign - 1) / SplitAlign * SplitAlign;
                bool helperFinite = true;
                runSideBySide([&] { finite = main.block(k0, k1, c0, mid); },
                              [&] { helperFinite = helper.block(k0, k1, mid, c1); });
                finite = finite && helperFinite;
            } else {
                finite = main.block(k0, k1, c0, c1);
            }
            if (!finite)
                return EliminationOutcome::DataError;
            if (k1 < n)
                if (const PanelStop stop = factorBlock(k1, k2, 0, n + 1); stop.kind != PanelStop::None)
                    return stopped(stop, k1, k2);
            continue;
        }

        const std::size_t share = std::max(k2 - k1, (2 * width - 3 * (k2 - k1)) / 4);
        const std::size_t mid = std::min(c1, c0 + (share + SplitAlign - 1) / SplitAlign * SplitAlign);
        bool mainFinite = true, helperFinite = true;
        PanelStop stop;
        runSideBySide(
            [&] {
                mainFinite = main.block(k0, k1, c0, k2);
                if (mainFinite)
                    stop = factorBlock(k1, k2, k1, k2);
                mainFinite = main.block(k0, k1, k2, mid) && mainFinite;
            },
            [&] { helperFinite = helper.block(k0, k1, mid, c1); });
        // This block's steps all come before any step of the next one.
        if (!mainFinite || !helperFinite)
            return EliminationOutcome::DataError;
        const std::size_t exchanged = stop.kind == PanelStop::None ? k2 : stop.k;
        exchange(k1, exchanged, 0, k1);
        exchange(k1, exchanged, k2, n + 1);
        if (stop.kind != PanelStop::None)
            return stopped(stop, k1, k2);
    }
    return EliminationOutcome::Eliminated;
}

} // namespace kalvor
