#include <gtest/gtest.h>

#include <quadmath.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <random>
#include <string>
#include <variant>
#include <vector>

#include "core/core.h"

namespace kalvor {
namespace {

const double kMax = std::numeric_limits<double>::max();

// The text, and the numbers the text is made from: the magnitude never
// overflows on the way, and the angle is in (-180, 180] with no -0.
TEST(PolarText, WritesMagnitudeAndAngle)
{
    struct Case {
        double re, im;
        std::string text;
        double magnitude, degrees;
    };
    const double big = std::ldexp(1.0, 1000);
    const Case cases[] = {
        {3.0, 4.0, "5.0000 ∠ 53.13°", 5.0, 53.13010235415598},
        {-1.0, 0.0, "1.0000 ∠ 180.00°", 1.0, 180.0},
        {0.0, -2.0, "2.0000 ∠ -90.00°", 2.0, -90.0},
        {0.0, 0.0, "0.0000 ∠ 0.00°", 0.0, 0.0},
        {1e-5, 1e-5, "1.4142E-05 ∠ 45.00°", std::hypot(1e-5, 1e-5), 45.0},
        {-0.0, -0.0, "0.0000 ∠ 0.00°", 0.0, 0.0},
        {-1.0, -0.0, "1.0000 ∠ 180.00°", 1.0, 180.0},
        {-1.0, -1e-300, "1.0000 ∠ 180.00°", 1.0, 180.0},
        {-1.0, -1e-5, "1.0000 ∠ 180.00°", 1.00000000005, -179.9994270422049},
        {1.0, -1e-6, "1.0000 ∠ 0.00°", 1.0000000000005, -5.729577951306322e-05},
        {3 * big, -4 * big, "5.3575E+301 ∠ -53.13°", 5 * big, -53.13010235415598},
        {-kMax, kMax, "2.5423E+308 ∠ 135.00°", std::numeric_limits<double>::infinity(), 135.0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(polarText(c.re, c.im), c.text) << c.re << " " << c.im;
        const Polar p = polarOf(c.re, c.im);
        EXPECT_EQ(p.magnitude, c.magnitude) << c.re << " " << c.im;
        EXPECT_EQ(p.degrees, c.degrees) << c.re << " " << c.im;
        EXPECT_FALSE(std::signbit(p.degrees) && p.degrees == 0.0) << c.re << " " << c.im;
    }
}

// The value 1 + im i whose angle is exactly `degrees` as a double (found by
// stepping im from its nearest estimate); nullopt if none is near.
std::optional<double> imaginaryWithAngle(double degrees)
{
    double im = std::tan(degrees * std::numbers::pi / 180.0);
    const double direction = polarOf(1.0, im).degrees < degrees ? kMax : -kMax;
    for (int step = 0; step < 1000; ++step, im = std::nextafter(im, direction))
        if (polarOf(1.0, im).degrees == degrees)
            return im;
    return std::nullopt;
}

TEST(PolarText, RoundsAngleTiesToEven)
{
    const std::pair<double, std::string> ties[]
        = {{0.125, "0.12"}, {0.375, "0.38"}, {22.625, "22.62"}, {-22.875, "-22.88"}};
    for (const auto& [degrees, shown] : ties) {
        const std::optional<double> im = imaginaryWithAngle(degrees);
        ASSERT_TRUE(im) << degrees;
        EXPECT_TRUE(polarText(1.0, *im).ends_with(" ∠ " + shown + "°")) << polarText(1.0, *im);
    }
}

TEST(PolarToRectangular, ConvertsEachForm)
{
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        // The axes are exact.
        {"0+10i", {"10∠90", "10∠450"}},
        {"-10", {"10∠180", "10∠-180"}},
        {"0-10i", {"10<-90", "10∠270"}},
        {"10", {"10@0", "10∠-0", "10@0 deg"}},
        {"0", {"0∠37", "-0∠37"}},
        // Each sign, blanks and unit.
        {"0.5+0.8660254037844386i",
         {"1∠60", "1<60", "1@60", " 1 ∠ 60 ", "\t1\t<\t60\t", "1∠60°", "1∠60 ° ", "1∠60deg", "1∠60d", "+1∠+6e1"}},
        {"-0.5-0.8660254037844386i", {"1∠-120"}},
        {"0.5403023058681398+0.8414709848078965i", {"1∠1rad", "1@1 r", "1∠1r"}},
        {"0.5403023058681398-0.8414709848078965i", {"1<-1r"}},
        {"-1+0.00000000000000012246467991473532i", {"1∠3.141592653589793r"}},
        // No sign inside a part: exponents without "+", small numbers written out.
        {"0+1E300i", {"1E300∠90"}},
        {"0.00001", {"1E-5∠0"}},
        {"-0.00000025", {"2.5E-7@180"}},
        {"0-0.00001i", {"1E-5∠-90"}},
        {"0." + std::string(59, '0') + "1", {"1E-60∠0"}},
    };
    for (const auto& [text, cells] : cases)
        for (const std::string& cell : cells)
            EXPECT_EQ(polarToRectangular(cell), std::optional<std::string>(text)) << cell;
}

TEST(PolarToRectangular, LeavesOtherTextsAlone)
{
    const std::string texts[] = {"3+4i", "10<", "<20", "10∠20x", "", "abc", "10", "10∠°", "10∠20dd", "10∠20∠30",
                                 "10@20i", "1∠2 deg x", "-10∠30", "10∠20°r", "10∠20 D", "∠", "10 ∠ 2 0", "1∠5E9r",
                                 // Parts below 1E-40: the text would pass the cell reading's window.
                                 "1E-60∠30",
                                 // The sign beyond that window: the cell reads as 5.
                                 "5" + std::string(100, ' ') + "<30"};
    for (const std::string& text : texts)
        EXPECT_EQ(polarToRectangular(text), std::nullopt) << text;
}

TEST(PolarToRectangular, ConvertsEveryPolarFieldOfRows)
{
    std::vector<std::vector<std::string>> rows{{"10∠90", "3+4i", ""}, {"1<60", "abc", "10@0 deg"}, {}};
    EXPECT_EQ(convertPolarFields(rows), 3u);
    const std::vector<std::vector<std::string>> expected{
        {"0+10i", "3+4i", ""}, {"0.5+0.8660254037844386i", "abc", "10"}, {}};
    EXPECT_EQ(rows, expected);
}

// A phasor too small for plain text becomes a formula that reads back; the
// parts are 1.5E-150 times sqrt(3)/2 and 1/2, correctly rounded.
TEST(PolarToRectangular, WritesAFormulaWherePlainTextWouldNotReadBack)
{
    const std::pair<std::string, std::string> cases[] = {
        {"1.5E-150<30", "=1.299038105676658E-150+7.5E-151i"},
        {"1E-60∠30", "=8.660254037844387E-61+5E-61i"},
        {"1E-200∠-90", "=-1E-200i"},
        {"1E-200@180", "=-1E-200"},
        {"10∠90", "0+10i"},
    };
    for (const auto& [cell, text] : cases) {
        EXPECT_EQ(polarCellText(cell), text) << cell;
        std::vector<std::vector<std::string>> rows{{cell}};
        convertPolarFields(rows);
        const std::vector<std::vector<std::string>> converted{{text}};
        EXPECT_EQ(rows, converted) << cell;
    }
    const auto formula = compileFormula("=1.299038105676658E-150+7.5E-151i");
    ASSERT_TRUE(std::holds_alternative<CompiledFormula>(formula));
    const auto value = std::get<CompiledFormula>(formula).evaluate({});
    EXPECT_EQ(std::get<std::complex<double>>(value), std::complex<double>(1.299038105676658E-150, 7.5E-151));
    EXPECT_EQ(polarCellText("-1E-60<30"), std::nullopt);
}

// How many doubles apart two doubles are (counted up to 4).
long long ulpsApart(double a, double b)
{
    long long steps = 0;
    for (; a != b && steps < 4; ++steps)
        a = std::nextafter(a, b);
    return steps;
}

// Every part within one unit in the last place of the correctly rounded
// value, against a 113-bit reference; and the angle of the result back.
TEST(PolarToRectangular, IsAccurateToOneUnitInTheLastPlace)
{
    const __float128 pi = acosq(-1);
    std::mt19937_64 random(18);
    std::uniform_real_distribution<double> exponent(-3.0, 3.0);
    std::uniform_real_distribution<double> wide(-720.0, 720.0);
    std::uniform_real_distribution<double> nearAxis(-1e-6, 1e-6);
    for (int i = 0; i < 4000; ++i) {
        const double m = std::pow(10.0, exponent(random));
        const bool radians = i % 4 == 3;
        double angle = wide(random);
        if (i % 4 == 1)
            angle = (i / 4 % 9 - 4) * 90.0 + nearAxis(random);
        if (i % 4 == 2)
            angle = i / 4 % 721 - 360;
        if (radians)
            angle /= 60.0;
        if (i % 8 == 7)
            angle = std::nearbyint(angle) * (std::numbers::pi / 2);  // next to a quarter turn
        if (i % 64 == 0 || i % 64 == 3)
            angle *= radians ? 1e8 : 1e290;  // far from the first turn
        if (!radians && std::fmod(angle, 90.0) == 0.0)
            continue;  // an axis: exactly 0 and +-m, in the table above
        const std::string cell = shortestText(m) + "∠" + shortestText(angle) + (radians ? "rad" : "");
        const std::optional<std::string> text = polarToRectangular(cell);
        ASSERT_TRUE(text) << cell;
        const CellParts parts = partcell(*text);
        const double re = *readNumber(parts.re);
        const double im = *readNumber(parts.im);

        const __float128 x = radians ? __float128(angle) : fmodq(angle, 360) * pi / 180;
        const auto wantRe = static_cast<double>(__float128(m) * cosq(x));
        const auto wantIm = static_cast<double>(__float128(m) * sinq(x));
        EXPECT_LE(ulpsApart(re, wantRe), 1) << cell << " gave " << *text;
        EXPECT_LE(ulpsApart(im, wantIm), 1) << cell << " gave " << *text;
        const auto wantDegrees = static_cast<double>(atan2q(im, re) * 180 / pi);
        // Just above -180 the angle rounds to -180, which is written 180.
        EXPECT_LE(ulpsApart(polarOf(re, im).degrees, wantDegrees == -180.0 ? 180.0 : wantDegrees), 1) << *text;
    }
}

}  // namespace
}  // namespace kalvor
