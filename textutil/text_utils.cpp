#include "textutil/text_utils.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <limits>
#include <system_error>
#include <type_traits>

namespace MyFunc {

namespace {

constexpr bool IsDecimalDigit(char c) noexcept { return c >= '0' && c <= '9'; }

constexpr bool IsHexDigit(char c) noexcept {
  return IsDecimalDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Index of the first byte at or after `pos` that fails `accept`.
template <typename Pred>
std::size_t SkipWhile(std::string_view text, std::size_t pos, Pred accept) noexcept {
  while (pos < text.size() && accept(text[pos])) ++pos;
  return pos;
}

// Only the ASCII space is skipped in front of a number; a tab or any other
// control byte makes the whole text a non-number.
std::size_t SkipLeadingSpaces(std::string_view text) noexcept {
  return SkipWhile(text, 0, [](char c) { return c == ' '; });
}

// Byte offset of character number `index` (counted from 1), or text.size()
// when the text has fewer characters.
std::size_t ByteOffsetOfChar(std::string_view text, long long index) noexcept {
  std::size_t pos = 0;
  for (long long current = 1; current < index && pos < text.size(); ++current) {
    pos += CharLengthAt(text, pos);
  }
  return pos;
}

// The extended format is what makes a tiny negative angle land on 2*pi; a
// platform whose long double is plain double (MSVC, AArch64 with 128-bit
// quad) must not pretend, so it falls back to double throughout.
using AngleReal =
    std::conditional_t<std::numeric_limits<long double>::digits == 64, long double, double>;

// 2*pi rounded to the 64-bit significand, not the double nearest 2*pi.
constexpr AngleReal kTwoPi = static_cast<AngleReal>(6.283185307179586477L);

}  // namespace

std::int32_t ParseIntOrZero(std::string_view text) noexcept {
  std::size_t pos = SkipLeadingSpaces(text);
  bool negative = false;
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
    negative = text[pos] == '-';
    ++pos;
  }

  std::string_view rest = text.substr(pos);
  bool hex = false;
  if (!rest.empty() && (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X')) {
    hex = true;
    rest.remove_prefix(1);
  } else if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
    hex = true;
    rest.remove_prefix(2);
  }

  // The digits must run to the very end: a trailing blank, a full stop or a
  // second sign all make the text a non-number.
  const bool digitsOnly =
      hex ? SkipWhile(rest, 0, IsHexDigit) == rest.size()
          : SkipWhile(rest, 0, IsDecimalDigit) == rest.size();
  if (rest.empty() || !digitsOnly) return 0;

  // from_chars into uint32 takes any number of leading zeros without them
  // counting towards the eight hex digits, and reports a ninth significant
  // digit (or a decimal beyond 2^32) as out of range instead of wrapping.
  std::uint32_t magnitude = 0;
  const auto [end, ec] =
      std::from_chars(rest.data(), rest.data() + rest.size(), magnitude, hex ? 16 : 10);
  if (ec != std::errc{} || end != rest.data() + rest.size()) return 0;

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

double ParseFloatOrZero(std::string_view text) noexcept {
  std::size_t pos = SkipLeadingSpaces(text);
  bool negative = false;
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
    negative = text[pos] == '-';
    ++pos;
  }
  const std::size_t numberStart = pos;

  const std::size_t intEnd = SkipWhile(text, pos, IsDecimalDigit);
  std::size_t mantissaDigits = intEnd - pos;
  pos = intEnd;
  if (pos < text.size() && text[pos] == '.') {
    const std::size_t fracEnd = SkipWhile(text, pos + 1, IsDecimalDigit);
    mantissaDigits += fracEnd - (pos + 1);
    pos = fracEnd;
  }
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    std::size_t expPos = pos + 1;
    if (expPos < text.size() && (text[expPos] == '-' || text[expPos] == '+')) ++expPos;
    const std::size_t expEnd = SkipWhile(text, expPos, IsDecimalDigit);
    if (expEnd == expPos) return 0.0;
    pos = expEnd;
  }
  if (pos != text.size()) return 0.0;

  // A mantissa without digits ("", ".", "-.", ".e5") is grammatical and worth
  // nothing; from_chars would reject it, and the answer is 0 either way.
  if (mantissaDigits == 0) return 0.0;

  // The sign was consumed above because from_chars rejects "+"; the
  // magnitude alone is converted and negation is exact. Everything it sees
  // has been validated, so it cannot stop early or read "inf" or "nan".
  double magnitude = 0.0;
  const char* first = text.data() + numberStart;
  const char* last = text.data() + text.size();
  const auto [end, ec] = std::from_chars(first, last, magnitude, std::chars_format::general);
  // Out of range covers overflow (the exchange file has no infinities) and
  // underflow below the smallest subnormal; both read as 0. Subnormal values
  // themselves convert normally.
  if (ec != std::errc{} || end != last) return 0.0;
  return negative ? -magnitude : magnitude;
}

std::string StripBlanks(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t length = CharLengthAt(text, pos);
    const std::string_view character = text.substr(pos, length);
    pos += length;
    if (length == 2) {
      if (character != "\x81\x40") result.append(character);
    } else if (static_cast<unsigned char>(character[0]) > 0x20) {
      result.push_back(character[0]);
    }
  }
  return result;
}

int CharCount(std::string_view text) noexcept {
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < text.size(); pos += CharLengthAt(text, pos)) ++count;
  // Texts of more than INT_MAX characters do not occur; saturate rather than
  // wrap to a negative count if one ever does.
  return count > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(count);
}

std::string CopyChars(std::string_view text, int first, int count) {
  const int total = CharCount(text);
  if (first > total || count <= 0) return {};
  // 64-bit so that a huge count or a very negative start cannot overflow;
  // the end stays first + count - 1 even when first is below 1.
  long long last = static_cast<long long>(first) + count - 1;
  if (last > total) last = total;
  const long long from = first < 1 ? 1 : first;
  if (last < from) return {};
  const std::size_t begin = ByteOffsetOfChar(text, from);
  const std::size_t length = ByteOffsetOfChar(text.substr(begin), last - from + 2);
  return std::string(text.substr(begin, length));
}

double VectorAngle(double x, double y) noexcept {
  if (std::fabs(x) < 1e-10 && std::fabs(y) < 1e-10) return 0.0;
  const double angle =
      static_cast<double>(std::atan2(static_cast<AngleReal>(y), static_cast<AngleReal>(x)));
  if (angle < 0.0) return static_cast<double>(static_cast<AngleReal>(angle) + kTwoPi);
  // atan2 keeps the sign of a zero y (and a tiny negative one can round to
  // -0.0); the range is [0, 2*pi], so hand out +0.0 for either.
  return angle + 0.0;
}

}  // namespace MyFunc
