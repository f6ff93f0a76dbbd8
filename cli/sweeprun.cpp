#include "cli/sweeprun.h"

#include <utility>

namespace kalvor {

std::variant<SweepPlan, std::string> planSweep(const SweepCall& call, const std::vector<std::vector<std::string>>& rows,
                                               const std::vector<Parameter>& parameters)
{
    auto system = std::make_shared<const CompiledSystem>(CompiledSystem::compile(rows, parameters));
    if (!system->hasParameter(call.name))
        return "--sweep: " + call.name + " is not a parameter of the system (add a line \"" + call.name
            + " = value\" or --set " + call.name + "=value)";
    const ParameterValues values = evaluateParameters(parameters);
    std::string problem;
    const auto from = sweepEndValue(call.from, values, problem);
    if (!from)
        return "--sweep: FROM '" + call.from + "': " + problem;
    const auto to = sweepEndValue(call.to, values, problem);
    if (!to)
        return "--sweep: TO '" + call.to + "': " + problem;
    problem = sweepRangeProblem(*from, *to, call.points, call.spacing);
    if (!problem.empty())
        return "--sweep: " + problem;
    SweepPlan plan;
    plan.name = call.name;
    plan.unknowns = rows.size();
    plan.request = SweepRequest{*from, *to, call.points, call.spacing};
    plan.partsAt = compiledSweepParts(std::move(system), call.name, rows.size());
    return plan;
}

Json sweepPointJson(const SweepPoint& point)
{
    Json out = Json::object();
    out["value"] = point.value;
    switch (point.outcome) {
    case SolveOutcome::Solved: {
        out["outcome"] = "solved";
        Json solution = Json::array();
        for (std::size_t k = 0; k < point.re.size(); ++k)
            solution.push_back(
                {{"re", point.re[k]}, {"im", point.im[k]}, {"text", resultText(point.re[k], point.im[k])}});
        out["solution"] = std::move(solution);
        if (point.verdict)
            out["check"] = {{"verdict", verdictWord(*point.verdict)}};
        break;
    }
    case SolveOutcome::NoUniqueSolution:
        out["outcome"] = "no-unique-solution";
        break;
    case SolveOutcome::DataError:
        out["outcome"] = "data-error";
        out["problem"] = point.problem;
        break;
    }
    return out;
}

SolveOutcome writeSweep(const SweepPlan& plan, bool json, const std::function<void(std::string_view)>& write,
                        bool& allCorrect)
{
    allCorrect = true;
    SolveOutcome first = SolveOutcome::Solved;
    if (json)
        write("{\"parameter\": " + jsonString(plan.name) + ", \"points\": [");
    else
        write(sweepHeaderLine(plan.name, plan.unknowns));
    runSweep(plan.request, plan.partsAt, SweepSettings{}, [&](std::size_t k, SweepPoint&& point) {
        if (first == SolveOutcome::Solved)
            first = point.outcome;
        if (point.outcome == SolveOutcome::Solved && point.verdict != CheckVerdict::Correct)
            allCorrect = false;
        if (json)
            write((k == 0 ? "\n  " : ",\n  ") + jsonText(sweepPointJson(point), 1));
        else
            write(sweepRowLine(point, plan.unknowns));
    });
    if (json)
        write("\n]}\n");
    return first;
}

}  // namespace kalvor
