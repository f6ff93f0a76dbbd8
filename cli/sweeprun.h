#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cli/resultwriter.h"
#include "core/core.h"

namespace kalvor {

// A sweep ready to run.
struct SweepPlan {
    std::string name;
    std::size_t unknowns = 0;
    SweepRequest request;
    SweepPartsAt partsAt;
};

// Compiles a system (rows of N + 1 cell texts as read from the file, phasor
// cells already converted) with its parameters and evaluates the ends.
// The reason the call is wrong instead when the name is no parameter, an
// end has no value, or the range is refused (sweepRangeProblem).
std::variant<SweepPlan, std::string> planSweep(const SweepCall& call, const std::vector<std::vector<std::string>>& rows,
                                               const std::vector<Parameter>& parameters);

// One point as the sweep's JSON writes it: {"value", "outcome", and when
// solved "solution": [{"re", "im", "text"}] and "check": {"verdict"} (when
// checked), for a data error "problem": the cell and reason}.
Json sweepPointJson(const SweepPoint& point);

// Runs a planned sweep and writes its table (sweepHeaderLine, then
// sweepRowLine per point) or, with `json`, {"parameter": NAME, "points":
// [...]} through `write`, each point as soon as it and all before it are
// done. Returns the outcome of the first point that failed, Solved when
// none did; `allCorrect` tells whether every point's check was correct.
SolveOutcome writeSweep(const SweepPlan& plan, bool json, const std::function<void(std::string_view)>& write,
                        bool& allCorrect);

}  // namespace kalvor
