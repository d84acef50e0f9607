// Tolerant reading of the numbers in the exchange file and in the grid's
// spacing cells: a text is a number only as a whole, and what is no number
// reads as 0 (or as no value).
//
// Nothing here allocates, throws, or reads outside the given view.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace rupena::text {

// Whole-text integer: optional leading ASCII spaces, an optional sign, then
// decimal digits or a hexadecimal prefix ("$", "x", "X", "0x", "0X") and hex
// digits, and nothing after. Decimal values must fit int32; hexadecimal ones
// take at most eight significant digits as a 32-bit pattern ("$FFFFFFFF" is
// -1). Anything else gives 0.
std::int32_t ParseIntOrZero(std::string_view text) noexcept;

// Whole-text real: optional leading ASCII spaces, an optional sign, digits
// with an optional "." (either side may be empty, not both), an optional
// exponent, and nothing after. Correctly rounded on every target. nullopt
// for anything else, for a mantissa without a digit ("", ".", "-") and for a
// value beyond the range of a double.
std::optional<double> ParseFloat(std::string_view text) noexcept;

// ParseFloat's value, 0 where it has none: the tolerant reading of every
// real in the exchange file and in the grid.
double ParseFloatOrZero(std::string_view text) noexcept;

}  // namespace rupena::text
