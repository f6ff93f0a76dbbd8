#include "core/polar.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

#include "core/numberformat.h"
#include "core/numberreading.h"
#include "core/partcell.h"
#include "core/partvalue.h"

namespace kalvor {

namespace {

constexpr std::string_view kAngleSign = "\xE2\x88\xA0";  // U+2220
constexpr std::string_view kDegreeSign = "\xC2\xB0";     // U+00B0

// The parts are computed once in long double and rounded once to double;
// that is within a unit in the last place only if it is wider than double
// (64 bits on x86-64, and the pi/2 parts below need that many).
static_assert(std::numeric_limits<long double>::digits >= 64, "phasor parts need an extended long double");

constexpr long double kRadiansPerDegree = 0.0174532925199432957692369076848861271344287188854172545609719144L;
constexpr long double kDegreesPerRadian = 57.2957795130823208767981548141051703324054724665643215491602438612L;

struct AngleUnit {
    std::string_view suffix;
    bool radians;
};

// Tried in this order, so that "rad" is not read as "ra" and the unit "d".
constexpr std::array<AngleUnit, 5> kUnits{
    {{"deg", false}, {"rad", true}, {kDegreeSign, false}, {"d", false}, {"r", true}}};

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Where the first polar sign stands and how many bytes it takes; npos when
// the text holds none.
std::pair<std::size_t, std::size_t> findSign(std::string_view cell)
{
    const std::size_t ascii = cell.find_first_of("<@");
    const std::size_t angle = cell.find(kAngleSign);
    if (angle < ascii)
        return {angle, kAngleSign.size()};
    return {ascii, 1};
}

std::optional<double> readPart(std::string_view text)
{
    return readNumber(PartValue::fromText(std::string(text)));
}

// Whether the solver reads the cell as a number. A cell holding a polar sign
// can, when the sign stands beyond the 100 characters the reading looks at;
// it keeps that meaning.
bool readsAsNumber(std::string_view cell)
{
    const CellParts parts = partcell(cell);
    return readNumber(parts.re) && readNumber(parts.im);
}

struct CosSin {
    long double cos;
    long double sin;
};

// cos and sin of x radians plus a number of quarter turns, |x| <= about
// pi/4: x alone goes to std::cos and std::sin (in extended precision, where
// their error stays far below a unit in the last place of a double), and the
// quarter turns only swap and negate, so on the axes the results are
// exactly 0 and +-1.
CosSin turned(long double x, long long quarterTurns)
{
    const long double c = std::cos(x);
    const long double s = std::sin(x);
    switch (quarterTurns & 3) {
    case 0:
        return {c, s};
    case 1:
        return {-s, c};
    case 2:
        return {-c, -s};
    default:
        return {s, -c};
    }
}

// Degrees: remquo takes the quarter turns out exactly, whatever the angle.
CosSin cosSinDegrees(double degrees)
{
    int quarterTurns = 0;
    const double rest = std::remquo(degrees, 90.0, &quarterTurns);
    return turned(rest * kRadiansPerDegree, quarterTurns);
}

// Radians, below 2^32 in magnitude: the quarter turns are taken out with
// pi/2 in three parts; k times each of the first two (32 bits each) is
// exact, so even an angle next to a multiple of pi/2 keeps its last digits.
// A larger angle would need pi to hundreds of bits; it gets no value.
std::optional<CosSin> cosSinRadians(double radians)
{
    constexpr long double kPiOver2Part1 = 0x1.921fb544p+0L;
    constexpr long double kPiOver2Part2 = 0x1.0b4611ap-34L;
    constexpr long double kPiOver2Part3 = 0x1.898cc51701b839a2p-64L;
    constexpr long double kTwoOverPi = 0x1.45f306dc9c882a54p-1L;
    if (!(std::fabs(radians) < 0x1p32))
        return std::nullopt;
    const long double k = std::nearbyint(radians * kTwoOverPi);
    const long double x = ((radians - k * kPiOver2Part1) - k * kPiOver2Part2) - k * kPiOver2Part3;
    return turned(x, static_cast<long long>(k));
}

// A non-zero part as its shortest round-trip digits with no sign inside: a
// sign inside a part would make the cell reading split the cell there.
std::string partText(double value)
{
    std::string text = shortestText(value);
    const std::size_t e = text.find('E');
    if (e == std::string::npos)
        return text;
    if (text[e + 1] == '+') {
        text.erase(e + 1, 1);
        return text;
    }
    int exponent = 0;
    std::from_chars(text.data() + e + 2, text.data() + text.size(), exponent);
    const bool negative = text[0] == '-';
    std::string out = negative ? "-0." : "0.";
    out.append(static_cast<std::size_t>(exponent - 1), '0');
    for (std::size_t i = negative ? 1 : 0; i < e; ++i)
        if (text[i] != '.')
            out.push_back(text[i]);
    return out;
}

std::string rectangularText(double re, double im)
{
    std::string text = re == 0.0 ? "0" : partText(re);
    if (im == 0.0)
        return text;
    text += im < 0.0 ? "-" : "+";
    text += partText(std::fabs(im));
    text += "i";
    return text;
}

std::string magnitudeText(double re, double im, double magnitude)
{
    if (std::isfinite(magnitude))
        return resultPartText(magnitude);
    // At most sqrt(2) times the largest double: a tenth of it is between
    // 1.7E+307 and 2.6E+307, and its text with the exponent one higher is
    // the magnitude's (the scientific one, as for any part that large).
    std::string text = formatScientific(std::hypot(re / 10.0, im / 10.0));
    text.replace(text.size() - 3, 3, "308");
    return text;
}

std::string angleText(double degrees)
{
    // Fixed precision rounds the exact binary value to nearest, ties to even.
    std::array<char, 16> buffer{};
    const auto written
        = std::to_chars(buffer.data(), buffer.data() + buffer.size(), degrees, std::chars_format::fixed, 2);
    const std::string text(buffer.data(), written.ptr);
    if (text == "-0.00")
        return "0.00";
    if (text == "-180.00")
        return "180.00";
    return text;
}

}  // namespace

Polar polarOf(double re, double im)
{
    Polar p{std::hypot(re, im), 0.0};
    if (im == 0.0) {
        p.degrees = re < 0.0 ? 180.0 : 0.0;
    } else if (re == 0.0) {
        p.degrees = im < 0.0 ? -90.0 : 90.0;
    } else {
        const long double radians = std::atan2(static_cast<long double>(im), static_cast<long double>(re));
        const auto degrees = static_cast<double>(radians * kDegreesPerRadian);
        p.degrees = degrees == -180.0 ? 180.0 : degrees;
    }
    return p;
}

std::string polarText(double re, double im)
{
    const Polar p = polarOf(re, im);
    return magnitudeText(re, im, p.magnitude) + " " + std::string(kAngleSign) + " " + angleText(p.degrees)
        + std::string(kDegreeSign);
}

std::optional<std::complex<double>> phasorValue(double magnitude, double angle, bool radians)
{
    const std::optional<CosSin> cs = radians ? cosSinRadians(angle) : cosSinDegrees(angle);
    if (!cs)
        return std::nullopt;
    const long double m = magnitude;
    return std::complex<double>(static_cast<double>(m * cs->cos), static_cast<double>(m * cs->sin));
}

namespace {

// The value of a polar cell text, or nothing when it is not one.
std::optional<std::complex<double>> polarCellValue(std::string_view cell)
{
    const auto [sign, signSize] = findSign(cell);
    if (sign == std::string_view::npos || readsAsNumber(cell))
        return std::nullopt;
    std::string_view angle = cell.substr(sign + signSize);
    while (!angle.empty() && isBlank(angle.back()))
        angle.remove_suffix(1);
    bool radians = false;
    for (const AngleUnit& unit : kUnits) {
        if (angle.ends_with(unit.suffix)) {
            angle.remove_suffix(unit.suffix.size());
            radians = unit.radians;
            break;
        }
    }
    const std::optional<double> m = readPart(cell.substr(0, sign));
    const std::optional<double> a = readPart(angle);
    if (!m || !a || *m < 0.0)
        return std::nullopt;
    return phasorValue(*m, *a, radians);
}

// Whether the cell reading gives exactly re + im i back from `text`.
bool readsBack(const std::string& text, double re, double im)
{
    // Only a text beyond the cell reading's 100-character window reads back
    // as anything else.
    const CellParts back = partcell(text);
    return readNumber(back.re) == re && readNumber(back.im) == im;
}

}  // namespace

std::optional<std::string> polarToRectangular(std::string_view cell)
{
    const std::optional<std::complex<double>> value = polarCellValue(cell);
    if (!value)
        return std::nullopt;
    std::string text = rectangularText(value->real(), value->imag());
    if (!readsBack(text, value->real(), value->imag()))
        return std::nullopt;
    return text;
}

std::optional<std::string> polarCellText(std::string_view cell)
{
    const std::optional<std::complex<double>> value = polarCellValue(cell);
    if (!value)
        return std::nullopt;
    const double re = value->real();
    const double im = value->imag();
    std::string text = rectangularText(re, im);
    if (readsBack(text, re, im))
        return text;
    // A formula holds the shortest digits with their exponents, which the
    // formula reading reads exactly, and the sum of a real and an imaginary
    // number is exact.
    text.assign(1, '=');
    if (re != 0.0 || im == 0.0)
        text.append(shortestText(re));
    if (im != 0.0) {
        if (im < 0.0 || re != 0.0)
            text.push_back(im < 0.0 ? '-' : '+');
        text.append(shortestText(std::fabs(im)));
        text.push_back('i');
    }
    return text;
}

std::size_t convertPolarFields(std::vector<std::vector<std::string>>& rows)
{
    std::size_t converted = 0;
    for (std::vector<std::string>& row : rows) {
        for (std::string& field : row) {
            if (std::optional<std::string> text = polarCellText(field)) {
                field = std::move(*text);
                ++converted;
            }
        }
    }
    return converted;
}

}  // namespace kalvor
