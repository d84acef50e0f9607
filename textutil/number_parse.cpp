#include "textutil/number_parse.h"

#include <charconv>
#include <limits>
#include <system_error>

namespace rupena::text {

namespace {

constexpr bool IsDecimalDigit(char c) noexcept { return c >= '0' && c <= '9'; }

constexpr bool IsHexDigit(char c) noexcept {
  return IsDecimalDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The first position at or after `p` that fails `accept`.
template <typename Pred>
const char* SkipWhile(const char* p, const char* last, Pred accept) noexcept {
  while (p != last && accept(*p)) ++p;
  return p;
}

// Only the ASCII space is skipped in front of a number; a tab or any other
// control byte makes the whole text a non-number.
const char* SkipLeadingSpaces(const char* p, const char* last) noexcept {
  return SkipWhile(p, last, [](char c) { return c == ' '; });
}

// Takes one sign; true when it was a minus.
bool TakeSign(const char*& p, const char* last) noexcept {
  if (p == last || (*p != '-' && *p != '+')) return false;
  return *p++ == '-';
}

}  // namespace

std::int32_t ParseIntOrZero(std::string_view text) noexcept {
  const char* const last = text.data() + text.size();
  const char* p = SkipLeadingSpaces(text.data(), last);
  const bool negative = TakeSign(p, last);

  bool hex = false;
  if (p != last && (*p == '$' || *p == 'x' || *p == 'X')) {
    hex = true;
    ++p;
  } else if (last - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    hex = true;
    p += 2;
  }

  // The digits must run to the very end: a trailing blank, a full stop or a
  // second sign all make the text a non-number.
  if (p == last || SkipWhile(p, last, hex ? IsHexDigit : IsDecimalDigit) != last) return 0;

  // from_chars into uint32 takes any number of leading zeros without them
  // counting towards the eight hex digits, and reports a ninth significant
  // digit (or a decimal beyond 2^32) as out of range instead of wrapping.
  std::uint32_t magnitude = 0;
  const auto [end, ec] = std::from_chars(p, last, magnitude, hex ? 16 : 10);
  if (ec != std::errc{} || end != last) return 0;

  if (hex) {
    // A bit pattern: "-" negates modulo 2^32, so "-$80000000" is INT32_MIN
    // and "-$FFFFFFFF" is 1, with no signed overflow on the way.
    const std::uint32_t pattern = negative ? 0u - magnitude : magnitude;
    return static_cast<std::int32_t>(pattern);
  }

  constexpr std::uint32_t kMaxPositive = std::numeric_limits<std::int32_t>::max();
  if (negative) {
    if (magnitude > kMaxPositive + 1u) return 0;
    return static_cast<std::int32_t>(0u - magnitude);
  }
  if (magnitude > kMaxPositive) return 0;
  return static_cast<std::int32_t>(magnitude);
}

std::optional<double> ParseFloat(std::string_view text) noexcept {
  const char* const last = text.data() + text.size();
  const char* p = SkipLeadingSpaces(text.data(), last);
  // from_chars rejects "+", so the sign is taken here and the magnitude
  // converted alone; negation is exact.
  const bool negative = TakeSign(p, last);
  // What from_chars takes beyond the file's grammar all begins with another
  // byte: "inf", "nan", a second sign. Past that first byte the two agree,
  // and whatever it does not take leaves `end` short of the last byte.
  if (p == last || !(IsDecimalDigit(*p) || *p == '.')) return std::nullopt;
  double magnitude = 0.0;
  const auto [end, ec] = std::from_chars(p, last, magnitude, std::chars_format::general);
  // Out of range covers overflow (the exchange file has no infinities) and
  // underflow below the smallest subnormal; both read as no number.
  // Subnormal values themselves convert normally.
  if (ec != std::errc{} || end != last) return std::nullopt;
  return negative ? -magnitude : magnitude;
}

double ParseFloatOrZero(std::string_view text) noexcept { return ParseFloat(text).value_or(0.0); }

}  // namespace rupena::text
