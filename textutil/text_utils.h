// Shift-JIS character rules, blank stripping, tolerant number parsing and the
// direction angle of a vector.
//
// Texts are byte strings in code page 932 exactly as the host writes them. No
// function here allocates beyond its result, throws, or reads outside the
// given view; every conversion falls back to 0 and every cut to "".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace MyFunc {

// A byte that begins a two-byte character for counting, slicing and field
// cutting: 0x80..0x9F and 0xE0..0xFD. Wider than the code page's own set on
// purpose, so that every scan agrees with the host's reading of odd bytes.
constexpr bool IsLeadByte(unsigned char b) noexcept {
  return (b >= 0x80 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFD);
}

// The code page's own lead bytes, 0x81..0x9F and 0xE0..0xFC. Used only where
// a substring search must not start on the second byte of a character.
constexpr bool IsCodePageLeadByte(unsigned char b) noexcept {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Byte length of the character that starts at text[pos] (1 or 2); a lead
// byte in the last position is a character by itself.
constexpr std::size_t CharLengthAt(std::string_view text, std::size_t pos) noexcept {
  return IsLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() ? 2 : 1;
}

// Whole-text integer: optional leading ASCII spaces, an optional sign, then
// decimal digits or a hexadecimal prefix ("$", "x", "X", "0x", "0X") and hex
// digits, and nothing after. Decimal values must fit int32; hexadecimal ones
// take at most eight significant digits as a 32-bit pattern ("$FFFFFFFF" is
// -1). Anything else gives 0.
std::int32_t ParseIntOrZero(std::string_view text) noexcept;

// Whole-text real: optional leading ASCII spaces, an optional sign, digits
// with an optional "." (either side may be empty, not both), an optional
// exponent, and nothing after. Correctly rounded. nullopt for anything else,
// for a mantissa without a digit ("", ".", "-") and for a value beyond the
// range of a double.
std::optional<double> ParseFloat(std::string_view text) noexcept;

// ParseFloat's value, 0 where it has none: the tolerant reading of every
// real in the exchange file and in the grid.
double ParseFloatOrZero(std::string_view text) noexcept;

// The text without ASCII spaces, full-width spaces (0x81 0x40) and bytes
// below 0x20, stepping over two-byte characters as units.
std::string StripBlanks(std::string_view text);

// Number of characters; a lead byte and its follower count once.
int CharCount(std::string_view text) noexcept;

// The characters from position `first` (counted from 1) on, at most `count`
// of them. `first` of 0 or below starts at character 1, but the end is still
// first + count - 1.
std::string CopyChars(std::string_view text, int first, int count);

// Angle of (x, y) in radians in [0, 2*pi]; 0 when both components are below
// 1e-10 in magnitude. Computed in 80-bit extended precision where the
// platform has it, so that a tiny negative angle may round to 2*pi itself.
double VectorAngle(double x, double y) noexcept;

}  // namespace MyFunc
