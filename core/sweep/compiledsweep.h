#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/formula/compiledsystem.h"
#include "core/formula/parameters.h"
#include "core/sweep/sweep.h"

namespace kalvor {

// The part tables of a compiled system at each value of parameter `name`
// (CompiledSystem::evaluate with the value as a real number), each cell
// problem worded as describeCellProblem words it. The function shares
// `system`, so it may outlive the caller's copy; it is safe to call from
// several threads at once.
SweepPartsAt compiledSweepParts(std::shared_ptr<const CompiledSystem> system, std::string name, std::size_t unknowns);

// The value of a sweep's end, FROM or TO: a formula (the leading "=" may be
// left out: "100k", "2*pi*f0") evaluated with `parameters`. nullopt, with
// `problem` saying why, when it cannot be evaluated ("unknown name x",
// "f0 has an error") or its value is not a real number.
std::optional<double> sweepEndValue(std::string_view text, const ParameterValues& parameters, std::string& problem);

}  // namespace kalvor
