#pragma once

#include <string>

namespace kalvor {

// All three work on the value rounded to 15 significant digits, half away
// from zero, decided on the exact binary value; further rounding is half away
// from zero too. The decimal point is always the full stop.

// The fixed pattern "0.0000": all integer digits (at least one), a full stop,
// exactly four decimals; "-" in front of any value below zero, even when the
// digits are all zero. Both zeros give "0.0000". `value` must be finite.
std::string formatFixed(double value);

// The scientific pattern "0.0000E+00": one digit, a full stop, four decimals,
// "E", the exponent's sign and at least two exponent digits. Both zeros give
// "0.0000E+00". `value` must be finite.
std::string formatScientific(double value);

// The general form: at most 15 significant digits, trailing zeros and a
// trailing point dropped; no exponent when the decimal exponent is from -4 to
// 14, otherwise mantissa, "E", sign and at least two exponent digits
// (1.2E-05, 2.7022E+16). `value` must be finite.
std::string formatGeneral(double value);

// The shown text of one part of a result: the fixed pattern when that reads
// back (val) as exactly the same double as the scientific pattern, the
// scientific pattern otherwise (also when both read back as infinity, which
// happens only next to the largest double). `value` must be finite.
std::string resultPartText(double value);

// The whole cell text of one unknown: a blank, the shown real part
// (resultPartText), then " + " and the shown imaginary part, or " - " and the
// general form of the shown imaginary part's magnitude when that is below
// zero, then "i". When the shown imaginary part reads back as no number (next
// to the largest double) its sign is taken from its value.
std::string resultText(double re, double im);

// The shortest decimal text that reads back (readNumber, or any correctly
// rounding reader) as exactly `value`: a full stop for the point, "E" for the
// exponent ("0.1", "-2.5E-07", "1E+300"); "-0" for the negative zero.
// `value` must be finite.
std::string shortestText(double value);

}  // namespace kalvor
