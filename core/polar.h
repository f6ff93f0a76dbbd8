#pragma once

#include <complex>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalvor {

// A complex number as a phasor: its magnitude and its angle in degrees.
struct Polar {
    double magnitude = 0.0;
    double degrees = 0.0;
};

// The phasor of re + im i (both finite). The magnitude is hypot(re, im),
// which never overflows on the way; it is +infinity only when the magnitude
// itself is beyond the largest double. The angle is in (-180, 180]: exactly
// 0 for a zero value (either sign of zero), exactly 0, 90, 180 or -90 on the
// axes, and otherwise the angle rounded once to a double from extended
// precision.
Polar polarOf(double re, double im);

// The polar text "M ∠ A°" of re + im i (both finite), UTF-8. M is the
// magnitude written as a result part is shown (resultPartText); a magnitude
// beyond the largest double gets the same five-digit scientific text it
// would have if it could be held. A is the angle of polarOf with two
// decimals, rounded half to even on its exact binary value; "-0.00" is
// written "0.00", and an angle that rounds to -180.00 is written "180.00".
// Examples: 3+4i "5.0000 ∠ 53.13°", -1 "1.0000 ∠ 180.00°", 0 "0.0000 ∠ 0.00°".
std::string polarText(double re, double im);

// magnitude * (cos a + i sin a), a in degrees or radians, computed as the
// polar cell conversion below computes it (the axes exact in degrees). No
// value for an angle of 2^32 radians or more in magnitude.
std::optional<std::complex<double>> phasorValue(double magnitude, double angle, bool radians);

// The rectangular cell text of a polar cell text, or no value when `cell`
// is not in polar form (then it is to be left as it is). A cell the solver
// already reads as a number is never in polar form (it can hold a sign only
// beyond the 100 characters the cell reading looks at).
// Polar form: M, a sign ("∠", "<" or "@"), A, and optionally a unit after A:
// "°", "deg" or "d" for degrees (also without a unit), "rad" or "r" for
// radians. M and A are each read as the number reading reads a part
// (readNumber: blanks around allowed), and blanks may follow the unit. A
// negative M is refused: no phasor means it, and the cell is left for the
// solver to report.
// Degrees are reduced exactly by the multiples of 90 first, so the axes are
// exact ("10∠90" "0+10i", "10∠180" "-10", "10<-90" "0-10i", "10@0" "10");
// other angles give parts within one unit in the last place of the
// correctly rounded value. Radians are taken as the double written: no double
// is a multiple of pi but 0, so "1∠3.141592653589793r" has the tiny
// imaginary part that angle truly has; an angle of 2^32 radians (about
// 4.3E+09) or more in magnitude gets no value.
// The result is "X+Yi" or "X-Yi"; "X" alone when Y is zero, and "0" for X
// when X is zero. X and Y are the shortest digits that read back exactly,
// spelled so that the cell reading splits the text right: an exponent has
// no "+" ("1E300"), and a number that needs a negative exponent is written
// out ("0.00000025"), since a sign inside a part would split the cell there.
// A phasor whose text would then pass the cell reading's 100-character
// window (parts below about 1E-40) gets no value either.
std::optional<std::string> polarToRectangular(std::string_view cell);

// The cell text that replaces a polar cell text: its rectangular text
// (polarToRectangular), or, for a phasor whose rectangular text would not
// read back (parts below about 1E-40), a formula "=X+Yi" with X and Y the
// shortest digits with their exponents ("=1.299038105676658E-150+7.5E-151i"),
// which the formula reading gives back exactly. No value when `cell` is not
// in polar form or its angle has no value, as for polarToRectangular.
std::optional<std::string> polarCellText(std::string_view cell);

// Replaces every field of `rows` that is in polar form by its cell text
// (polarCellText) and leaves every other field as it is. Returns how many
// fields it replaced.
std::size_t convertPolarFields(std::vector<std::vector<std::string>>& rows);

}  // namespace kalvor
