#include "core/elimination/elimination.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "core/elimination/eliminationkernel.h"
#include "core/elimination/solverthreads.h"

namespace kalvor {

namespace {

// Column ranges handed to threads start on this boundary so that the vector
// tiles of the two halves do not share cache lines.
constexpr std::size_t SplitAlign = 16;

class BlockUpdater {
public:
    BlockUpdater(double* a, std::size_t n, std::size_t ld, UpdateKernel* kernel)
        : a_(a), n_(n), ld_(ld), kernel_(kernel)
    {
    }

    // Step k alone on rows [r0, r1) and columns [c0, c1).
    bool step(std::size_t k, std::size_t r0, std::size_t r1, std::size_t c0, std::size_t c1)
    {
        if (r0 >= r1 || c0 >= c1)
            return true;
        steps_.assign(1, makeStepDivisor(a_[k * ld_ + k], a_ + k * ld_, c0, c1));
        markRows(k, k + 1, r0, r1);
        return update(k, k + 1, r0, r1, c0, c1);
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
        return update(k0, k1, k1, n_, c0, c1) && finite;
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

    // The kernel on steps [k0, k1), rows [r0, r1), columns [c0, c1), with
    // the step divisors and row marks just prepared.
    bool update(std::size_t k0, std::size_t k1, std::size_t r0, std::size_t r1, std::size_t c0, std::size_t c1)
    {
        return kernel_({.a = a_,
                        .ld = ld_,
                        .kBegin = k0,
                        .kEnd = k1,
                        .steps = steps_.data(),
                        .rowBegin = r0,
                        .rowEnd = r1,
                        .rowFast = fast_.data(),
                        .colBegin = c0,
                        .colEnd = c1});
    }

    double* a_;
    std::size_t n_, ld_;
    UpdateKernel* kernel_;
    std::vector<StepDivisor> steps_;
    std::vector<unsigned char> fast_;
};

// Where and why the factorisation of a panel stopped early.
struct PanelStop {
    enum Kind { None, NoPivot, Overflow } kind = None;
    std::size_t k = 0;           // the step
    std::size_t s0 = 0, s1 = 0;  // its small panel
};

std::size_t firstNonZero(const double* a, std::size_t n, std::size_t ld, std::size_t k)
{
    for (std::size_t p = k; p < n; ++p)
        if (a[p * ld + k] != 0)
            return p;
    return n;
}

// The blocked elimination of one system, blockSize steps at a time. At the
// block of steps [k0, k1):
//
//             k0     k1               n
//        k0 [ A11  | A12            | b1 ]
//        k1 [ A21  | A22            | b2 ]
//         n
//
//   A11/A21  the panel: pivot search, row exchanges and the block's steps,
//            in small panels of panelBlockSize steps (factorPanel);
//   A12/b1   the block's own pivot rows right of it, given its steps one at
//            a time, and
//   A22/b2   the trailing matrix, given all of them as one batch
//            (updateTrailing; the columns split between two threads when the
//            work pays for starting one).
// The first columns of A22 are the next panel. With two threads it is
// factorised while the second thread still updates its share of the trailing
// matrix (lookAhead): this thread updates the next panel's columns first,
// eliminates them, and exchanges the rows elsewhere only once both shares
// are done. Every element still gets its steps in the literal order, so the
// results do not depend on the threads. When a panel stops (no pivot, or a
// value left the double range), the outcome is the error the literal order
// meets first (checkOverflowBeforeStop).
class BlockedElimination {
public:
    BlockedElimination(double* a, std::size_t n, std::size_t ld, const SolverOptions& options)
        : a_(a),
          n_(n),
          ld_(ld),
          options_(options),
          blockSize_(std::max<std::size_t>(options.blockSize, 1)),
          panelBlock_(std::max<std::size_t>(options.panelBlockSize, 1)),
          main_(a, n, ld, updateKernelFor(options.path)),
          helper_(a, n, ld, updateKernelFor(options.path)),
          pivots_(n)
    {
    }

    EliminationOutcome run()
    {
        std::size_t k0 = 0, k1 = std::min(n_, blockSize_);
        if (const PanelStop stop = factorPanel(k0, k1, 0, n_ + 1); stop.kind != PanelStop::None)
            return checkOverflowBeforeStop(stop, k0, k1);
        for (; k0 < n_; k0 = k1, k1 = std::min(n_, k1 + blockSize_)) {
            const std::size_t k2 = std::min(n_, k1 + blockSize_);
            const std::size_t width = n_ + 1 - k1;
            const bool split = splitPays(k0, k1);
            // Only when there is a next panel and the rest of the update is
            // wide enough to keep the second thread busy while it is
            // eliminated.
            const bool lookAheadPays = split && k1 < n_ && width >= 4 * (k2 - k1);
            PanelStop next;
            if (lookAheadPays) {
                if (!lookAhead(k0, k1, k2, next))
                    return EliminationOutcome::DataError;
            } else {
                if (!updateTrailing(k0, k1, split))
                    return EliminationOutcome::DataError;
                if (k1 < n_)
                    next = factorPanel(k1, k2, 0, n_ + 1);
            }
            if (next.kind != PanelStop::None)
                return checkOverflowBeforeStop(next, k1, k2);
        }
        return EliminationOutcome::Eliminated;
    }

private:
    // Panel factorisation: eliminates the block [k0, k1) in small panels
    // [s0, s1), each step by step on its own columns, then as a batch on the
    // rest of the block. Rows are exchanged on the columns [x0, x1) only; the
    // caller exchanges the others later, in the recorded order.
    PanelStop factorPanel(std::size_t k0, std::size_t k1, std::size_t x0, std::size_t x1)
    {
        for (std::size_t s0 = k0; s0 < k1; s0 += panelBlock_) {
            const std::size_t s1 = std::min(k1, s0 + panelBlock_);
            for (std::size_t k = s0; k < s1; ++k) {
                const std::size_t p = firstNonZero(a_, n_, ld_, k);
                if (p == n_)
                    return PanelStop{PanelStop::NoPivot, k, s0, s1};
                pivots_[k] = p;
                // Exchanging a row with itself changes nothing.
                if (p != k)
                    std::swap_ranges(a_ + k * ld_ + x0, a_ + k * ld_ + x1, a_ + p * ld_ + x0);
                if (!main_.step(k, k + 1, n_, k + 1, s1))
                    return PanelStop{PanelStop::Overflow, k, s0, s1};
            }
            if (!main_.block(s0, s1, s1, k1))
                return PanelStop{PanelStop::Overflow, s1, s0, s1};
        }
        return PanelStop{};
    }

    // Whether the trailing update of the block [k0, k1) is worth a second
    // thread; column ranges handed to threads must stay wide enough to align.
    bool splitPays(std::size_t k0, std::size_t k1) const
    {
        const std::size_t width = n_ + 1 - k1;
        const std::size_t work = (n_ - k0) * width * (k1 - k0);
        return options_.threads >= 2 && work >= options_.minParallelWork && width >= 2 * SplitAlign;
    }

    // Trailing update: the steps of the block [k0, k1) on every column right
    // of it, the right-hand side included; with `split` the columns are
    // halved between two threads. True when every result stayed finite.
    bool updateTrailing(std::size_t k0, std::size_t k1, bool split)
    {
        const std::size_t c0 = k1, c1 = n_ + 1, width = c1 - c0;
        if (!split)
            return main_.block(k0, k1, c0, c1);
        const std::size_t mid = c0 + (width / 2 + SplitAlign - 1) / SplitAlign * SplitAlign;
        bool finite = true, helperFinite = true;
        runSideBySide([&] { finite = main_.block(k0, k1, c0, mid); },
                      [&] { helperFinite = helper_.block(k0, k1, mid, c1); });
        return finite && helperFinite;
    }

    // Look-ahead: the trailing update of the block [k0, k1) with the next
    // panel [k1, k2) factorised on this thread while the second one updates
    // the columns furthest right. Sets `next` when that panel stopped; its
    // row exchanges reach the other columns only after both threads are
    // done. False when this block's update left the double range.
    bool lookAhead(std::size_t k0, std::size_t k1, std::size_t k2, PanelStop& next)
    {
        // The thread that eliminates the next panel takes fewer of the other
        // columns, one and a half blocks' widths fewer (about what that
        // elimination costs, measured in columns of this update), and at
        // least all of the next panel's.
        const std::size_t c0 = k1, c1 = n_ + 1, width = c1 - c0;
        const std::size_t share = std::max(k2 - k1, (2 * width - 3 * (k2 - k1)) / 4);
        const std::size_t mid = std::min(c1, c0 + (share + SplitAlign - 1) / SplitAlign * SplitAlign);
        bool mainFinite = true, helperFinite = true;
        runSideBySide(
            [&] {
                mainFinite = main_.block(k0, k1, c0, k2);
                if (mainFinite)
                    next = factorPanel(k1, k2, k1, k2);
                mainFinite = main_.block(k0, k1, k2, mid) && mainFinite;
            },
            [&] { helperFinite = helper_.block(k0, k1, mid, c1); });
        // This block's steps all come before any step of the next one.
        if (!mainFinite || !helperFinite)
            return false;
        const std::size_t exchanged = next.kind == PanelStop::None ? k2 : next.k;
        exchangeRows(k1, exchanged, 0, k1);
        exchangeRows(k1, exchanged, k2, n_ + 1);
        return true;
    }

    // The row exchanges of steps [s0, s1), as recorded, on columns [c0, c1).
    void exchangeRows(std::size_t s0, std::size_t s1, std::size_t c0, std::size_t c1)
    {
        for (std::size_t k = s0; k < s1; ++k)
            if (pivots_[k] != k)
                std::swap_ranges(a_ + k * ld_ + c0, a_ + k * ld_ + c1, a_ + pivots_[k] * ld_ + c0);
    }

    // Overflow check of a panel [k0, k1) that stopped. With no pivot at step
    // k, the literal order would already have applied the earlier steps to
    // the columns still waiting for them; if any of those left the double
    // range, that error came first.
    EliminationOutcome checkOverflowBeforeStop(const PanelStop& stop, std::size_t k0, std::size_t k1)
    {
        if (stop.kind == PanelStop::Overflow)
            return EliminationOutcome::DataError;
        const bool finite = stepsFinite(stop.s0, stop.k, stop.s1, k1) && stepsFinite(k0, stop.k, k1, n_ + 1);
        return finite ? EliminationOutcome::NoUniqueSolution : EliminationOutcome::DataError;
    }

    // Steps [s0, s1) applied one at a time to columns [c0, c1); true when
    // every result stayed finite.
    bool stepsFinite(std::size_t s0, std::size_t s1, std::size_t c0, std::size_t c1)
    {
        bool finite = true;
        for (std::size_t s = s0; s < s1; ++s)
            finite = main_.step(s, s + 1, n_, c0, c1) && finite;
        return finite;
    }

    double* a_;
    std::size_t n_, ld_;
    const SolverOptions& options_;
    std::size_t blockSize_, panelBlock_;
    BlockUpdater main_, helper_;
    std::vector<std::size_t> pivots_;
};

}  // namespace

EliminationOutcome eliminate(double* a, std::size_t n, std::size_t ld, const SolverOptions& options)
{
    return BlockedElimination(a, n, ld, options).run();
}

}  // namespace kalvor
