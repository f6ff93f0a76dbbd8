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

// The elimination exactly as defined, element by element: real 2N system
// in block layout, first non-zero pivot, whole-row exchange, product then
// quotient then difference, back substitution on the right-hand side, and
// a data error as soon as any step leaves the double range. Inputs must all
// be numbers.
SolveResult literalSolve(const std::vector<std::vector<double>>& cr, const std::vector<std::vector<double>>& ci,
                         const std::vector<double>& kr, const std::vector<double>& ki)
{
    const std::size_t n = kr.size(), m = 2 * n;
    std::vector<std::vector<double>> a(m, std::vector<double>(m));
    std::vector<double> b(m);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            a[i][j] = cr[i][j];
            a[i][n + j] = -ci[i][j];
            a[n + i][j] = ci[i][j];
            a[n + i][n + j] = cr[i][j];
        }
        b[i] = kr[i];
        b[n + i] = ki[i];
    }
    bool overflow = false;
    // x - (y * z) / p, in that order, noting any step beyond the range.
    const auto update = [&](double x, double y, double z, double p) {
        const double product = y * z;
        const double quotient = product / p;
        const double difference = x - quotient;
        overflow = overflow || std::isinf(product) || std::isinf(quotient) || std::isinf(difference);
        return difference;
    };
    for (std::size_t k = 0; k < m; ++k) {
        std::size_t p = k;
        while (p < m && a[p][k] == 0)
            ++p;
        if (p == m)
            return {SolveOutcome::NoUniqueSolution, {}, {}};
        std::swap(b[k], b[p]);
        std::swap(a[k], a[p]);
        for (std::size_t i = k + 1; i < m; ++i) {
            for (std::size_t j = k + 1; j < m; ++j)
                a[i][j] = update(a[i][j], a[k][j], a[i][k], a[k][k]);
            b[i] = update(b[i], b[k], a[i][k], a[k][k]);
            a[i][k] = 0;
            if (overflow)
                return {SolveOutcome::DataError, {}, {}};
        }
    }
    for (std::size_t k = m; k-- > 0;)
        for (std::size_t i = k; i-- > 0;)
            b[i] = update(b[i], b[k], a[i][k], a[k][k]);
    SolveResult out{SolveOutcome::Solved, std::vector<double>(n), std::vector<double>(n)};
    for (std::size_t k = 0; k < n; ++k) {
        out.re[k] = b[k] / a[k][k];
        out.im[k] = b[n + k] / a[n + k][n + k];
        overflow = overflow || std::isinf(out.re[k]) || std::isinf(out.im[k]);
    }
    if (overflow)
        return {SolveOutcome::DataError, {}, {}};
    return out;
}

bool sameValues(const std::vector<double>& a, const std::vector<double>& b)
{
    return a == b;
}

bool sameBits(const std::vector<double>& a, const std::vector<double>& b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

} // namespace
} // namespace kalvor

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
        const auto number = [](const PartValue& v) { return *readNumber(v); };
        std::vector<std::vector<double>> cr(n, std::vector<double>(n)), ci = cr;
        std::vector<double> kr(n), ki(n);
        for (std::size_t r = 0; r < n; ++r) {
            for (std::size_t c = 0; c < n; ++c) {
                cr[r][c] = number(coefRe[r][c]);
                ci[r][c] = number(coefIm[r][c]);
            }
            kr[r] = number(constRe[r]);
            ki[r] = number(constIm[r]);
        }
        const SolveResult literal = literalSolve(cr, ci, kr, ki);
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
        fuzzCheck(std::isfinite(result.re[k]) && std::isfinite(result.im[k]), "solution holds a value outside the double range", input);
        const std::string text = resultText(result.re[k], result.im[k]);
        fuzzCheck(text.size() >= 2 && text.front() == ' ' && text.back() == 'i', "result text is malformed", text);
    }
    return 0;
}
