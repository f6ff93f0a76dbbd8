// The blocked elimination on plain real systems, against the literal
// step-by-step elimination that checks every result as it is formed. The
// blocked one applies a block's steps to the columns right of the block
// only after the whole block, and checks for overflow there only then; these
// cases show that this never changes which outcome comes first.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/elimination/elimination.h"
#include "tests/support/literalelimination.h"

namespace {

using kalvor::EliminationOutcome;
using kalvor::SolverOptions;
using kalvor::SolverPath;
namespace literal = kalvor::literal;

// n rows of n + 1 values: the matrix and the right-hand side.
using Rows = std::vector<std::vector<double>>;

struct Stored {
    std::size_t n = 0, ld = 0;
    std::vector<double> a;
    double& at(std::size_t i, std::size_t j) { return a[i * ld + j]; }
};

Stored store(const Rows& rows, std::size_t extraStride)
{
    Stored s;
    s.n = rows.size();
    s.ld = s.n + 1 + extraStride;
    s.a.assign(s.n * s.ld, 0.0);
    for (std::size_t i = 0; i < s.n; ++i)
        for (std::size_t j = 0; j <= s.n; ++j)
            s.at(i, j) = rows[i][j];
    return s;
}

// The literal elimination of `rows`, left in `reference`.
EliminationOutcome literalEliminate(const Rows& rows, literal::Rows& reference)
{
    reference.assign(rows.size(), {});
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (double x : rows[i])
            reference[i].push_back(literal::computed(x));
    const std::optional<literal::Ending> ending = literal::eliminate(reference);
    return !ending                  ? EliminationOutcome::Eliminated
        : literal::noPivot(*ending) ? EliminationOutcome::NoUniqueSolution
                                    : EliminationOutcome::DataError;
}

const char* name(EliminationOutcome o)
{
    return o == EliminationOutcome::Eliminated      ? "Eliminated"
        : o == EliminationOutcome::NoUniqueSolution ? "NoUniqueSolution"
                                                    : "DataError";
}

std::vector<SolverOptions> configurations()
{
    std::vector<SolverOptions> all;
    for (SolverPath path : {SolverPath::Portable, SolverPath::Avx2, SolverPath::Avx512}) {
        if (!kalvor::solverPathAvailable(path))
            continue;
        for (unsigned threads : {1u, 2u})
            for (const auto& [block, panel] : {std::pair<std::size_t, std::size_t>{1, 1},
                                               {2, 1},
                                               {3, 3},
                                               {4, 2},
                                               {7, 3},
                                               {16, 5},
                                               {64, 8},
                                               {64, 64}}) {
                SolverOptions o;
                o.path = path;
                o.threads = threads;
                o.blockSize = block;
                o.panelBlockSize = panel;
                o.minParallelWork = 0;
                all.push_back(o);
            }
    }
    return all;
}

// Runs every configuration on `rows`; returns the literal outcome.
EliminationOutcome expectSameAsLiteral(const Rows& rows, const std::string& label)
{
    literal::Rows expected;
    const EliminationOutcome literal = literalEliminate(rows, expected);
    for (const SolverOptions& o : configurations()) {
        // An odd extra stride keeps rows off any alignment the kernels
        // might silently rely on.
        Stored actual = store(rows, 3);
        const EliminationOutcome outcome = kalvor::eliminate(actual.a.data(), actual.n, actual.ld, o);
        const std::string what = label + " path " + std::to_string(static_cast<int>(o.path)) + " threads "
            + std::to_string(o.threads) + " block " + std::to_string(o.blockSize) + " panel "
            + std::to_string(o.panelBlockSize);
        EXPECT_STREQ(name(literal), name(outcome)) << what;
        if (literal != EliminationOutcome::Eliminated || outcome != literal)
            continue;
        // The upper triangle, the diagonal and the right-hand side.
        for (std::size_t i = 0; i < actual.n; ++i)
            for (std::size_t j = i; j <= actual.n; ++j)
                if (!(expected[i][j].number == actual.at(i, j))) {
                    ADD_FAILURE() << what << " differs at (" << i << ", " << j << "): " << expected[i][j].number
                                  << " vs " << actual.at(i, j);
                    return literal;
                }
    }
    return literal;
}

struct Crafted {
    const char* name;
    Rows rows;
    EliminationOutcome literal;
};

const Crafted craftedCases[] = {
    // Step 1 overflows in column 4, right of a block of two; step 2 then
    // finds column 2 all zero. The overflow came first.
    {"overflow right of the block before a missing pivot",
     {{1, 0, 0, 1e300, 1}, {1e10, 0, 1, 0, 1}, {0, 0, 1, 1, 1}, {0, 0, 0, 1, 1}},
     EliminationOutcome::DataError},
    // Column 2 is all zero at step 2; the overflow would only come in step 3.
    {"missing pivot before a later overflow",
     {{1, 0, 0, 0, 1}, {0, 0, 1, 1e300, 1}, {0, 0, 1e10, 0, 1}, {0, 0, 0, 1, 1}},
     EliminationOutcome::NoUniqueSolution},
    {"overflow in the right-hand side only", {{1, 1, 1e300}, {1e10, 1, 0}}, EliminationOutcome::DataError},
    {"overflow inside the block's own columns",
     {{1, 1e300, 0, 1}, {1e10, 1, 0, 1}, {0, 0, 1, 1}},
     EliminationOutcome::DataError},
    // Row 2 is the pivot row of step 2 and overflows in step 1; step 3
    // finds no pivot.
    {"overflow in a later pivot row before a missing pivot",
     {{1, 0, 0, 1e300, 1}, {1e10, 1, 0, 0, 1}, {0, 0, 0, 1, 1}, {0, 0, 0, 1, 1}},
     EliminationOutcome::DataError},
    // An overflow whose infinity a zero multiplier would turn into NaN.
    {"infinity in a pivot row met by a zero multiplier",
     {{1, 0, 1e300, 1}, {1e10, 1, 0, 1}, {0, 0, 1, 1}},
     EliminationOutcome::DataError},
    // The product of the two extremes rounds to the largest finite value.
    {"a product that rounds to the largest double is no overflow",
     {{1, 0x1.fffffffffffffp511, 1}, {-0x1p512, 1, 1}},
     EliminationOutcome::Eliminated},
    {"a product just beyond the range", {{1, 0x1p512, 1}, {-0x1p512, 1, 1}}, EliminationOutcome::DataError},
    {"subnormal pivot", {{0x1p-1070, 0x1p-1060, 1e-310}, {0x1p-1072, 1, 0}}, EliminationOutcome::Eliminated},
    {"a subnormal pivot dividing a normal product", {{0x1p-1070, 1, 1}, {1, 1, 0}}, EliminationOutcome::DataError},
    {"updates that underflow to zero leave no pivot",
     {{1, 1e-300, 1}, {1e-300, 1e-320, 1}},
     EliminationOutcome::Eliminated},
    // A larger pivot would have been harmless; the first non-zero one wins.
    {"first non-zero pivot wins over a larger one", {{1e-300, 1e10, 1}, {1, 1, 1}}, EliminationOutcome::DataError},
    {"tiny first pivot, no overflow",
     {
         {0, 1, 1},
         {1e-300, 1, 1},
     },
     EliminationOutcome::Eliminated},
};

class EliminationCrafted : public testing::TestWithParam<Crafted> {};

TEST_P(EliminationCrafted, MatchesTheLiteralOrder)
{
    const Crafted& c = GetParam();
    EXPECT_STREQ(name(c.literal), name(expectSameAsLiteral(c.rows, c.name))) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, EliminationCrafted, testing::ValuesIn(craftedCases),
                         [](const testing::TestParamInfo<Crafted>& info) {
                             std::string n;
                             for (const char* c = info.param.name; *c; ++c)
                                 n += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             return n;
                         });

// The same questions on a 40 x 40 identity with a few entries changed: big
// enough that, with small blocks, the next block is eliminated while the
// other thread still works on the columns far right.
struct Entry {
    std::size_t i, j;
    double value;
};

struct Sparse {
    const char* name;
    std::vector<Entry> changes;
    EliminationOutcome literal;
};

Rows identityWith(const std::vector<Entry>& changes)
{
    constexpr std::size_t n = 40;
    Rows rows(n, std::vector<double>(n + 1, 0.0));
    for (std::size_t i = 0; i < n; ++i) {
        rows[i][i] = 1;
        rows[i][n] = 1;
    }
    for (const Entry& e : changes)
        rows[e.i][e.j] = e.value;
    return rows;
}

const Sparse sparseCases[] = {
    {"overflow far right in step 1, no pivot in column 5",
     {{1, 0, 1e10}, {0, 39, 1e300}, {4, 4, 0}},
     EliminationOutcome::DataError},
    {"overflow near the block in step 1, no pivot in column 5",
     {{1, 0, 1e10}, {0, 9, 1e300}, {4, 4, 0}},
     EliminationOutcome::DataError},
    {"overflow in the right-hand side in step 1, no pivot in column 5",
     {{1, 0, 1e10}, {0, 40, 1e300}, {4, 4, 0}},
     EliminationOutcome::DataError},
    {"no pivot in column 5 before an overflow in step 6",
     {{4, 4, 0}, {6, 5, 1e10}, {5, 39, 1e300}},
     EliminationOutcome::NoUniqueSolution},
    {"no pivot in column 12 after exchanges in the block before it",
     {{8, 8, 0},
      {9, 8, 2},
      {11, 11, 0},
      {12, 11, 3},
      {11, 12, 0},
      {12, 12, 0},
      {13, 12, 0},
      {13, 13, 1},
      {20, 30, 1e300}},
     EliminationOutcome::NoUniqueSolution},
    {"overflow in the next block's own columns", {{5, 4, 1e10}, {4, 6, 1e300}}, EliminationOutcome::DataError},
    {"row exchanges in several blocks",
     {{0, 0, 0}, {1, 0, 1}, {0, 1, 1}, {9, 9, 0}, {30, 9, 5}, {9, 30, 1}, {17, 17, 0}, {39, 17, -2}, {17, 39, 1}},
     EliminationOutcome::Eliminated},
};

TEST(EliminationSparse, MatchesTheLiteralOrder)
{
    for (const Sparse& c : sparseCases)
        EXPECT_STREQ(name(c.literal), name(expectSameAsLiteral(identityWith(c.changes), c.name))) << c.name;
}

Rows randomRows(std::mt19937_64& random)
{
    std::uniform_int_distribution<int> size(1, 40), style(0, 4), exponent(-1074, 1023), small(-3, 3);
    std::uniform_real_distribution<double> unit(0, 1), mantissa(1, 2);
    const std::size_t n = size(random);
    const int kind = style(random);
    const int shared = std::uniform_int_distribution<int>(-1000, 1000)(random);
    Rows rows(n, std::vector<double>(n + 1));
    for (auto& row : rows)
        for (double& x : row) {
            const double sign = unit(random) < 0.5 ? -1 : 1;
            switch (kind) {
            case 0:  // moderate, few zeros
                x = unit(random) < 0.05 ? 0 : sign * std::ldexp(mantissa(random), small(random));
                break;
            case 1:  // anywhere in the range, subnormals included
                x = sign * std::ldexp(mantissa(random), exponent(random));
                break;
            case 2:  // one shared scale, near either end of the range
                x = sign * std::ldexp(mantissa(random), shared + small(random));
                break;
            case 3:  // mostly zeros
                x = unit(random) < 0.75 ? 0 : sign * std::ldexp(mantissa(random), small(random));
                break;
            default:  // small integers: exact arithmetic, exact zeros
                x = small(random);
                break;
            }
        }
    return rows;
}

TEST(EliminationRandom, MatchesTheLiteralElimination)
{
    std::mt19937_64 random(424242);
    int outcomes[3] = {};
    for (int t = 0; t < 400; ++t) {
        const Rows rows = randomRows(random);
        const EliminationOutcome o = expectSameAsLiteral(rows, "random system " + std::to_string(t));
        ++outcomes[static_cast<int>(o)];
        if (HasFailure())
            return;
    }
    for (int o = 0; o < 3; ++o)
        EXPECT_GE(outcomes[o], 20) << name(static_cast<EliminationOutcome>(o)) << " reached too rarely";
}

}  // namespace
