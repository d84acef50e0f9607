// Shift-JIS characters as the host counts them, and blank stripping.
//
// Texts are byte strings in code page 932 exactly as the host writes them.
// Nothing here allocates beyond its result, throws (but std::bad_alloc), or
// reads outside the given view; every cut falls back to "".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace rupena::text {

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

// The text without ASCII spaces, full-width spaces (0x81 0x40) and bytes
// below 0x20, stepping over two-byte characters as units.
std::string StripBlanks(std::string_view text);

// Number of characters; a lead byte and its follower count once.
int CharCount(std::string_view text) noexcept;

// The characters from position `first` (counted from 1) on, at most `count`
// of them. `first` of 0 or below starts at character 1, but the end is still
// first + count - 1.
std::string CopyChars(std::string_view text, int first, int count);

}  // namespace rupena::text
