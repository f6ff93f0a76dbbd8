#include "cli/systemrun.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <utility>

#include "core/cellcheck.h"
#include "core/formula/cellfallback.h"
#include "core/numberreading.h"
#include "core/numberformat.h"
#include "core/partcell.h"
#include "core/polar.h"
#include "core/readingreport.h"

namespace kalvor {

SystemRun runSystem(std::string_view bytes, const std::vector<Parameter>& set)
{
    SystemRun run;
    run.file = readSystemFile(bytes);
    if (!run.fileOk())
        return run;
    for (const Parameter& p : set) {
        bool replaced = false;
        for (std::size_t k = 0; k < run.file.parameters.size(); ++k) {
            if (run.file.parameters[k].name == p.name) {
                run.file.parameters[k].formula = p.formula;
                replaced = true;
            }
        }
        if (!replaced) {
            run.file.parameters.push_back(p);
            run.file.parameterLines.push_back(0);
        }
    }
    const std::size_t n = run.file.unknowns();
    run.unknowns = n;
    // As the window takes a pasted or opened file. A converted cell reads
    // back exactly as its parts, so it never drops text and never is the
    // cell a data error names: those reports only ever quote typed text.
    convertPolarFields(run.file.rows);

    const PartValue none = PartValue::fromInteger(0);
    PartMatrix coefRe(n, PartVector(n, none)), coefIm(n, PartVector(n, none));
    PartVector constRe(n, none), constIm(n, none);
    const auto split = [&](std::size_t i, std::size_t j, PartValue& re, PartValue& im) {
        const std::string& text = run.file.rows[i][j];
        bool drops = false;
        CellParts parts = splitCell(text, drops);
        std::optional<DroppedText> reading;
        // A cell that drops text ("3+i4") is reported as such already.
        if (drops && (reading = droppedText(text)))
            run.dropped.push_back({run.file.lines[i], j + 1, text, std::move(*reading)});
        else if (const std::optional<std::size_t> unit = unitBeforeNumberAt(text))
            run.unitFirst.push_back({run.file.lines[i], j + 1, text, *unit, *readNumber(parts.re), *readNumber(parts.im)});
        re = std::move(parts.re);
        im = std::move(parts.im);
    };
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j)
            split(i, j, coefRe[i][j], coefIm[i][j]);
        split(i, n, constRe[i], constIm[i]);
    }
    // Read line by line, listed as the window reads: field by field (the
    // constant, field N + 1, last), each from the first line down.
    const auto windowOrder = [](const auto& a, const auto& b) {
        return a.field != b.field ? a.field < b.field : a.line < b.line;
    };
    std::sort(run.dropped.begin(), run.dropped.end(), windowOrder);
    std::sort(run.unitFirst.begin(), run.unitFirst.end(), windowOrder);
    // Cells the reading refuses: formulas and engineering numbers.
    run.parameters = evaluateParameters(run.file.parameters);
    for (const CellProblem& p : applyFallbacks(run.file.rows, run.parameters, coefRe, coefIm, constRe, constIm))
        run.formulaProblems.push_back({run.file.lines[p.row], p.column + 1, p.reason});
    // The parts hold their own copies; the file's texts are no longer needed.
    std::vector<std::vector<std::string>>().swap(run.file.rows);

    // A result outside the double range is already the data error.
    NumericSystem read;
    SolveResult result = solve(coefRe, coefIm, constRe, constIm, &read);
    run.outcome = result.outcome;

    if (run.outcome == SolveOutcome::Solved) {
        run.texts.reserve(n);
        for (std::size_t k = 0; k < n; ++k)
            run.texts.push_back(resultText(result.re[k], result.im[k]));
        run.re = std::move(result.re);
        run.im = std::move(result.im);
        // The check refuses only numbers that are not finite, which a solved
        // system never reads; a refusal would leave the run unchecked rather
        // than end the program.
        try {
            run.check = checkSolution(read, run.re, run.im);
        } catch (const std::invalid_argument&) {
        }
    } else if (run.outcome == SolveOutcome::DataError) {
        if (const auto cell = firstUnreadableCell(coefRe, coefIm, constRe, constIm)) {
            run.cellLine = run.file.lines[cell->row - 1];
            run.cellField = cell->table == CellPosition::Table::Constants ? n + 1 : cell->column;
            for (const FormulaField& f : run.formulaProblems)
                if (f.line == run.cellLine && f.field == run.cellField)
                    run.cellReason = f.reason;
        }
    }
    return run;
}

}  // namespace kalvor
