// Fuzz target: the whole core path of one Solve. The input gives N (1 to 6)
// and every coefficient and constant cell, each either raw text of any bytes
// or a number up to the double range written out; the cells go through
// partcell and solve, and a solution through resultText.
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/core.h"
#include "fuzz/bytereader.h"
#include "fuzz/fuzzcheck.h"
#include "tests/support/literalelimination.h"

namespace kalvor {
namespace {

std::string shortest(double v)
{
    char buf[64];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

// One cell, chosen by a leading byte: raw text, a real number, or a complex
// number in the a+bi form, the numbers taken from raw bit patterns so that
// every double (infinities and NaN written as text too) can appear.
std::string cellFrom(ByteReader& in)
{
    switch (in.byte() % 4) {
    case 0:
        return shortest(in.rawDouble());
    case 1: {
        const double re = in.rawDouble();
        const double im = in.rawDouble();
        return shortest(re) + (std::signbit(im) ? "" : "+") + shortest(im) + "i";
    }
    default:
        return in.text();
    }
}

bool sameValues(const std::vector<double>& a, const std::vector<double>& b)
{
    return a == b;
}

bool sameBits(const std::vector<double>& a, const std::vector<double>& b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

}  // namespace
}  // namespace kalvor

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kalvor;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    ByteReader in(data, size);
    const std::size_t n = 1 + in.byte() % 6;

    PartMatrix coefRe(n, PartVector(n, PartValue::fromInteger(0)));
    PartMatrix coefIm = coefRe;
    PartVector constRe(n, PartValue::fromInteger(0));
    PartVector constIm = constRe;
    bool everyPartNumber = true;
    const auto store = [&](PartValue& re, PartValue& im) {
        const CellParts parts = partcell(cellFrom(in));
        everyPartNumber = everyPartNumber && readNumber(parts.re) && readNumber(parts.im);
        re = parts.re;
        im = parts.im;
    };
    // Column by column, as the window reads its grid.
    for (std::size_t c = 0; c < n; ++c)
        for (std::size_t r = 0; r < n; ++r)
            store(coefRe[r][c], coefIm[r][c]);
    for (std::size_t r = 0; r < n; ++r)
        store(constRe[r], constIm[r]);

    const SolveResult result = solve(coefRe, coefIm, constRe, constIm);
    const SolveResult again = solve(coefRe, coefIm, constRe, constIm);
    fuzzCheck(result.outcome == again.outcome && sameBits(result.re, again.re) && sameBits(result.im, again.im),
              "two solves of the same system differ", input);

    if (everyPartNumber) {
        const SolveResult literal = literal::solve(coefRe, coefIm, constRe, constIm).result;
        fuzzCheck(result.outcome == literal.outcome, "solve's outcome differs from the literal elimination", input);
        // Compared as numbers, so a zero may differ in its sign: the solver's
        // reciprocal quotient gives +0 for -0 / d with d > 0. No result text
        // shows that sign and no zero is ever a divisor, so it cannot change
        // anything the user sees; every other bit must agree.
        fuzzCheck(sameValues(result.re, literal.re) && sameValues(result.im, literal.im),
                  "solve's values differ from the literal elimination", input);
    }

    if (result.outcome != SolveOutcome::Solved) {
        fuzzCheck(result.re.empty() && result.im.empty(), "a failed solve returned values", input);
        return 0;
    }
    // Every entry of the real system is read on the way to a solution, so a
    // part that is not a number can never end in one.
    fuzzCheck(everyPartNumber, "solved although a part is not a number", input);
    fuzzCheck(result.re.size() == n && result.im.size() == n, "solution has the wrong size", input);
    for (std::size_t k = 0; k < n; ++k) {
        fuzzCheck(std::isfinite(result.re[k]) && std::isfinite(result.im[k]),
                  "solution holds a value outside the double range", input);
        const std::string text = resultText(result.re[k], result.im[k]);
        fuzzCheck(text.size() >= 2 && text.front() == ' ' && text.back() == 'i', "result text is malformed", text);
    }
    return 0;
}
