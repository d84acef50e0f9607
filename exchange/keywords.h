// Reading the keyword field of an exchange-file line: literal tests, the
// number or selector that follows a keyword, and substring searches that
// respect two-byte characters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace rupena::exchange {

// Keyword tests against literals, as fixed-length loops the compiler
// unrolls: most lines are decided by a few of them.
template <std::size_t N>
constexpr bool Begins(std::string_view key, const char (&prefix)[N]) noexcept {
  if (key.size() < N - 1) return false;
  for (std::size_t k = 0; k + 1 < N; ++k) {
    if (key[k] != prefix[k]) return false;
  }
  return true;
}

template <std::size_t N>
constexpr bool Is(std::string_view key, const char (&text)[N]) noexcept {
  return key.size() == N - 1 && Begins(key, text);
}

// The selector byte of "lg"/"ly" is one hexadecimal digit; anything else,
// or no byte at all, selects 0.
constexpr std::int32_t HexSelector(std::string_view key) noexcept {
  if (key.size() < 3) return 0;
  const char c = key[2];
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;
}

// "<kw>" followed by a number from the third byte on ("lc5", "cn3", "pn2").
std::int32_t KeywordNumber(std::string_view key) noexcept;

// "ch" 0, "cv" 1, "cs" 2, "cr" 3, "co" 4, "cp" 5, "ct" 6, "ck" 7, "cz" 8,
// "c2" 9; -1 for anything else.
constexpr int TextKindOf(std::string_view key) noexcept {
  if (key.size() != 2 || key[0] != 'c') return -1;
  switch (key[1]) {
    case 'h': return 0;
    case 'v': return 1;
    case 's': return 2;
    case 'r': return 3;
    case 'o': return 4;
    case 'p': return 5;
    case 't': return 6;
    case 'k': return 7;
    case 'z': return 8;
    case '2': return 9;
    default: return -1;
  }
}

constexpr int ZFlagOf(std::string_view key) noexcept {
  if (key.size() != 2 || key[0] != 'z' || key[1] < '1' || key[1] > '5') return 0;
  return 1 << (key[1] - '1');
}


// First occurrence of `needle` in `text` that starts on a character boundary
// of the code page: an occurrence starting on the second byte of a two-byte
// character is passed over. npos when there is none.
std::size_t FindOnBoundary(std::string_view text, std::string_view needle) noexcept;

inline bool Contains(std::string_view text, std::string_view needle) noexcept {
  return FindOnBoundary(text, needle) != std::string_view::npos;
}

}  // namespace rupena::exchange
