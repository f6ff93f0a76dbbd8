#include "core/sweep/sweep.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <utility>

#include "core/numberformat.h"
#include "core/solverpaths.h"

namespace kalvor {

namespace {

// The fastest path, one thread: the points are what runs side by side.
const SolverOptions& pointSolverOptions()
{
    static const SolverOptions options = [] {
        SolverOptions o = defaultSolverOptions();
        o.threads = 1;
        return o;
    }();
    return options;
}

std::string cellProblemText(const CellPosition& cell, const std::vector<SweepCellProblem>& problems)
{
    for (const SweepCellProblem& p : problems)
        if (p.cell.table == cell.table && p.cell.row == cell.row && p.cell.column == cell.column)
            return p.text;
    if (cell.table == CellPosition::Table::Constants)
        return "C " + std::to_string(cell.row) + ": not a number";
    return "EQ." + std::to_string(cell.row) + ", X" + std::to_string(cell.column) + ": not a number";
}

}  // namespace

SweepPoint solveSweepPoint(double value, const SweepPartsAt& partsAt, bool check)
{
    SweepParts parts;
    return solveSweepPoint(value, partsAt, check, parts);
}

SweepPoint solveSweepPoint(double value, const SweepPartsAt& partsAt, bool check, SweepParts& parts)
{
    SweepPoint point;
    point.value = value;
    partsAt(value, parts);
    NumericSystem read;
    SolveResult result
        = solveWithOptions(parts.coefRe, parts.coefIm, parts.constRe, parts.constIm, pointSolverOptions(), &read);
    point.outcome = result.outcome;
    if (result.outcome == SolveOutcome::Solved) {
        point.re = std::move(result.re);
        point.im = std::move(result.im);
        // The check refuses only numbers that are not finite, which a solved
        // system never reads; a refusal leaves the point unchecked.
        if (check) {
            try {
                point.verdict = checkSolution(read, point.re, point.im).verdict;
            } catch (const std::invalid_argument&) {
            }
        }
    } else if (result.outcome == SolveOutcome::DataError) {
        const auto cell = firstUnreadableCell(parts.coefRe, parts.coefIm, parts.constRe, parts.constIm);
        point.problem = cell ? cellProblemText(*cell, parts.problems) : "a value left the number range";
    }
    return point;
}

bool runSweep(const SweepRequest& request, const SweepPartsAt& partsAt, const SweepSettings& settings,
              const std::function<void(std::size_t, SweepPoint&&)>& onPoint)
{
    const std::string problem = sweepRangeProblem(request.from, request.to, request.points, request.spacing);
    if (!problem.empty())
        throw std::invalid_argument("runSweep: " + problem);
    const std::size_t total = request.points;
    const auto valueAt = [&](std::size_t k) { return sweepValue(request.from, request.to, total, request.spacing, k); };
    const auto cancelled = [&] { return settings.cancel != nullptr && settings.cancel->load(); };

    unsigned threads = settings.threads != 0 ? settings.threads : std::max(1u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, total));
    // Points done but not yet handed over wait in a ring of this many slots;
    // a thread does not start a point that would not fit.
    const std::size_t ahead = 4 * std::size_t{threads};
    std::vector<std::optional<SweepPoint>> ring(ahead);
    std::mutex mutex;
    std::condition_variable ready, space;
    std::size_t nextToStart = 0, nextToHand = 0;
    bool stop = false;
    std::exception_ptr failure;

    const auto halt = [&](std::exception_ptr error) {
        {
            const std::lock_guard lock(mutex);
            stop = true;
            if (error && !failure)
                failure = error;
        }
        ready.notify_all();
        space.notify_all();
    };
    const auto work = [&] {
        SweepParts parts;
        for (;;) {
            std::size_t k = 0;
            {
                std::unique_lock lock(mutex);
                space.wait(lock, [&] { return stop || nextToStart >= total || nextToStart < nextToHand + ahead; });
                if (stop || nextToStart >= total)
                    return;
                k = nextToStart++;
            }
            if (cancelled()) {
                halt(nullptr);
                return;
            }
            try {
                SweepPoint point = solveSweepPoint(valueAt(k), partsAt, settings.check, parts);
                {
                    const std::lock_guard lock(mutex);
                    ring[k % ahead] = std::move(point);
                }
                ready.notify_all();
            } catch (...) {
                halt(std::current_exception());
                return;
            }
        }
    };

    std::vector<std::thread> workers;
    try {
        for (unsigned t = 0; t < threads; ++t)
            workers.emplace_back(work);
    } catch (const std::system_error&) {
        // Fewer threads than asked for: the ones started do the work. With
        // none, the points are solved here, one after the other.
    }
    if (workers.empty()) {
        SweepParts parts;
        for (std::size_t k = 0; k < total; ++k) {
            if (cancelled())
                return false;
            onPoint(k, solveSweepPoint(valueAt(k), partsAt, settings.check, parts));
        }
        return true;
    }

    std::size_t handed = 0;
    for (; handed < total; ++handed) {
        SweepPoint point;
        {
            std::unique_lock lock(mutex);
            std::optional<SweepPoint>& slot = ring[handed % ahead];
            ready.wait(lock, [&] { return stop || slot.has_value(); });
            if (!slot)
                break;
            point = std::move(*slot);
            slot.reset();
            nextToHand = handed + 1;
        }
        space.notify_all();
        try {
            onPoint(handed, std::move(point));
        } catch (...) {
            halt(std::current_exception());
            break;
        }
        if (cancelled()) {
            halt(nullptr);
            break;
        }
    }
    halt(nullptr);
    for (std::thread& worker : workers)
        worker.join();
    if (failure)
        std::rethrow_exception(failure);
    return handed == total;
}

std::optional<SweepTable> sweepTable(const std::string& parameter, std::size_t unknowns, const SweepRequest& request,
                                     const SweepPartsAt& partsAt, const SweepSettings& settings,
                                     const std::function<void(std::size_t, std::size_t)>& progress)
{
    SweepTable table;
    table.parameter = parameter;
    table.spacing = request.spacing;
    table.unknowns = unknowns;
    table.points.reserve(request.points);
    const bool complete = runSweep(request, partsAt, settings, [&](std::size_t k, SweepPoint&& point) {
        table.points.push_back(std::move(point));
        if (progress)
            progress(k + 1, request.points);
    });
    if (!complete)
        return std::nullopt;
    return table;
}

std::string sweepHeaderLine(const std::string& parameter, std::size_t unknowns)
{
    std::string line = parameter;
    for (std::size_t k = 1; k <= unknowns; ++k) {
        const std::string x = std::to_string(k);
        line += "\tX";
        line += x;
        line += " re\tX";
        line += x;
        line += " im";
    }
    line += "\tcheck\n";
    return line;
}

std::string sweepRowLine(const SweepPoint& point, std::size_t unknowns)
{
    std::string line = shortestText(point.value);
    if (point.outcome == SolveOutcome::Solved) {
        for (std::size_t k = 0; k < unknowns; ++k) {
            line += '\t';
            line += shortestText(point.re[k]);
            line += '\t';
            line += shortestText(point.im[k]);
        }
        line += '\t';
        if (point.verdict)
            line += verdictWord(*point.verdict);
    } else {
        line.append(2 * unknowns, '\t');
        line += point.outcome == SolveOutcome::NoUniqueSolution ? "\tno unique solution"
                                                                : "\tdata error: " + point.problem;
    }
    line += '\n';
    return line;
}

}  // namespace kalvor
