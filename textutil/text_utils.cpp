#include "textutil/text_utils.h"

#include <array>
#include <bit>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>
#include <optional>
#include <system_error>
#include <type_traits>

// SSE2 is part of every x86-64 processor; elsewhere every real takes the
// general path.
#if defined(__SSE2__)
#include <emmintrin.h>
#define RUPENA_SHORT_DECIMALS 1
#else
#define RUPENA_SHORT_DECIMALS 0
#endif

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

// The bytes at [p, last) as a little-endian word, at most eight of them and
// zero bytes past `last`, never reading outside [first, last): near the end
// the word is loaded from last - 8 and shifted down.
std::uint64_t LoadWord(const char* first, const char* p, const char* last) noexcept {
  const auto rest = static_cast<std::size_t>(last - p);
  std::uint64_t x = 0;
  if (rest >= 8) {
    std::memcpy(&x, p, 8);
  } else if (rest != 0 && last - first >= 8) {
    std::memcpy(&x, last - 8, 8);
    x >>= 8 * (8 - rest);
  } else if (rest >= 4) {
    // Two loads that overlap where rest < 8; the shared bytes agree.
    std::uint32_t a;
    std::uint32_t b;
    std::memcpy(&a, p, 4);
    std::memcpy(&b, last - 4, 4);
    x = a | std::uint64_t{b} << (8 * (rest - 4));
  } else if (rest != 0) {
    const auto a = std::uint64_t{static_cast<unsigned char>(p[0])};
    const auto b = std::uint64_t{static_cast<unsigned char>(p[rest / 2])};
    const auto c = std::uint64_t{static_cast<unsigned char>(p[rest - 1])};
    x = a | b << (8 * (rest / 2)) | c << (8 * (rest - 1));
  }
  return x;
}

// Number of leading bytes of `x` (in memory order) that are decimal digits.
// A digit has the high nibble 3 and stays below 0x3A when 6 is added; a
// carry out of a byte of 0xFA or more can only spoil the bytes after the
// first non-digit, which are not looked at.
constexpr std::size_t DigitRunLength(std::uint64_t x) noexcept {
  constexpr std::uint64_t kF0 = 0xF0F0F0F0F0F0F0F0u;
  constexpr std::uint64_t k30 = 0x3030303030303030u;
  const std::uint64_t notDigit = ((x & kF0) ^ k30) | (((x + 0x0606060606060606u) & kF0) ^ k30);
  return static_cast<std::size_t>(std::countr_zero(notDigit)) / 8;
}

// The value of eight digits in memory order: pairs, then quadruples, then
// the whole, each step one multiplication.
constexpr std::uint64_t EightDigitsValue(std::uint64_t x) noexcept {
  x -= 0x3030303030303030u;
  x = (x * 10 + (x >> 8)) & 0x00FF00FF00FF00FFu;
  x = (x * 100 + (x >> 16)) & 0x0000FFFF0000FFFFu;
  return (x * 10000 + (x >> 32)) & 0xFFFFFFFFu;
}

// For n leading digits (1..8) in a word: the digits moved to its end behind
// 8 - n bytes of '0', which leaves their value unchanged.
constexpr std::array<std::uint64_t, 9> kZeroFill = {
    0, 0x30303030303030u, 0x303030303030u, 0x3030303030u, 0x30303030u, 0x303030u, 0x3030u, 0x30u, 0};
constexpr std::array<std::uint64_t, 9> kPowersOfTen = {
    1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

// Skips the digits at [p, last) and folds them into `significand`, modulo
// 2^64. A run of n digits costs one word load and one conversion per eight
// digits, with no branch per digit: host numbers carry up to 17 of them.
const char* TakeDigits(const char* first, const char* p, const char* last,
                       std::uint64_t& significand) noexcept {
  if constexpr (std::endian::native == std::endian::little) {
    for (;;) {
      const std::uint64_t x = LoadWord(first, p, last);
      const std::size_t n = DigitRunLength(x);
      if (n == 0) return p;
      const std::uint64_t digits = n == 8 ? x : (x << (64 - 8 * n)) | kZeroFill[n];
      significand = significand * kPowersOfTen[n] + EightDigitsValue(digits);
      p += n;
      if (n != 8) return p;
    }
  } else {
    for (; p != last && IsDecimalDigit(*p); ++p) {
      significand = significand * 10 + static_cast<unsigned char>(*p - '0');
    }
    return p;
  }
}

// Clinger's fast path: a significand of at most 2^53 and a power of ten up to
// 10^22 (5^22 < 2^53) are both exact doubles, so one multiplication or
// division rounds once and the result is the correctly rounded value.
// Where doubles are evaluated in the x87's extended format that one
// operation rounds twice, so such builds always go through from_chars.
#if defined(FLT_EVAL_METHOD) && (FLT_EVAL_METHOD == 0 || FLT_EVAL_METHOD == 1)
constexpr bool kSingleRounding = true;
#else
constexpr bool kSingleRounding = false;
#endif

constexpr std::uint64_t kMaxExactInteger = std::uint64_t{1} << 53;
constexpr std::int64_t kMaxExactPower = 22;
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
static_assert(std::size(kExactPowersOfTen) == kMaxExactPower + 1);

constexpr std::int64_t kExponentCap = 1'000'000;

#if RUPENA_SHORT_DECIMALS
// kLowBytes[k]: the low k bytes of a word set.
constexpr std::array<std::uint64_t, 9> kLowBytes = {
    0, 0xFFu, 0xFFFFu, 0xFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFFFu, 0xFFFFFFFFFFFFu, 0xFFFFFFFFFFFFFFu,
    ~std::uint64_t{0}};

struct ShortDecimal {
  std::uint64_t significand;
  std::size_t fractionDigits;
  std::size_t digits;
};

// The form nearly every host number has: 1..16 bytes of digits with at most
// one '.'. Such a text is read in a fixed number of steps whose addresses
// depend on its length only: it is loaded right-aligned into 16 bytes
// behind '0's, the '.' is found from lane masks, the digits before it move
// up one lane into its place, and three multiply-adds of lane pairs give two
// numbers of eight digits. False for any other text, which ReadRealInFull
// then reads.
bool ReadShortDecimal(const char* first, const char* p, const char* last,
                      ShortDecimal& out) noexcept {
  constexpr std::uint64_t kZeros = 0x3030303030303030u;
  const auto length = static_cast<std::size_t>(last - p);
  if (length == 0 || length > 16) return false;
  std::uint64_t hi;  // padded positions 0..7, the first in the lowest byte
  std::uint64_t lo;  // padded positions 8..15
  if (length > 8) {
    const std::size_t pad = 16 - length;
    std::uint64_t head;
    std::memcpy(&head, p, 8);
    std::memcpy(&lo, last - 8, 8);
    hi = (head << (8 * pad)) | (kZeros & kLowBytes[pad]);
  } else {
    const std::size_t pad = 8 - length;
    const std::uint64_t x = LoadWord(first, p, last);
    lo = (x << (8 * pad)) | (kZeros & kLowBytes[pad]);
    hi = kZeros;
  }

  const __m128i x = _mm_set_epi64x(static_cast<long long>(lo), static_cast<long long>(hi));
  // Digit values; unsigned, everything but a digit is above 9.
  const __m128i values = _mm_sub_epi8(x, _mm_set1_epi8('0'));
  const __m128i nine = _mm_set1_epi8(9);
  const auto lanesOf = [](__m128i marks) { return static_cast<unsigned>(_mm_movemask_epi8(marks)); };
  const unsigned digitLanes = lanesOf(_mm_cmpeq_epi8(_mm_min_epu8(values, nine), values));
  const unsigned dotLanes = lanesOf(_mm_cmpeq_epi8(x, _mm_set1_epi8('.')));
  if ((digitLanes | dotLanes) != 0xFFFF || (dotLanes & (dotLanes - 1)) != 0) return false;
  // Lanes up to the dot take the value one lane before; lane 0 takes 0.
  const int dotEnd = dotLanes != 0 ? std::countr_zero(dotLanes) + 1 : 0;
  const __m128i lanes = _mm_set_epi8(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
  const __m128i before = _mm_cmplt_epi8(lanes, _mm_set1_epi8(static_cast<char>(dotEnd)));
  const __m128i digits =
      _mm_or_si128(_mm_and_si128(before, _mm_slli_si128(values, 1)), _mm_andnot_si128(before, values));
  // Pairs (10a + b), quadruples (100p + q), eights (10000q + r), each as
  // 16-bit lanes multiplied and added into 32-bit ones; 99999999 fits.
  const __m128i zero = _mm_setzero_si128();
  const __m128i tenOne = _mm_set1_epi32(0x0001000A);
  const __m128i pairsLo = _mm_madd_epi16(_mm_unpacklo_epi8(digits, zero), tenOne);
  const __m128i pairsHi = _mm_madd_epi16(_mm_unpackhi_epi8(digits, zero), tenOne);
  const __m128i quads =
      _mm_madd_epi16(_mm_packs_epi32(pairsLo, pairsHi), _mm_set1_epi32(0x00010064));
  const __m128i eights = _mm_madd_epi16(_mm_packs_epi32(quads, quads), _mm_set1_epi32(0x00012710));
  const auto high = static_cast<std::uint32_t>(_mm_cvtsi128_si32(eights));
  const auto low = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(eights, 4)));
  out.significand = std::uint64_t{high} * 100000000u + low;
  out.fractionDigits = dotLanes != 0 ? static_cast<std::size_t>(16 - dotEnd) : 0;
  out.digits = dotLanes != 0 ? length - 1 : length;
  return true;
}
#endif

// The extended format is what makes a tiny negative angle land on 2*pi; a
// platform whose long double is plain double (MSVC, AArch64 with 128-bit
// quad) must not pretend, so it falls back to double throughout.
using AngleReal =
    std::conditional_t<std::numeric_limits<long double>::digits == 64, long double, double>;

// 2*pi rounded to the 64-bit significand, not the double nearest 2*pi.
constexpr AngleReal kTwoPi = static_cast<AngleReal>(6.283185307179586477L);

// The whole grammar, for what the short form does not cover: `p` is past the
// blanks and the sign. Kept out of ParseFloatOrZero, so that the short form
// runs without the registers and frame this needs.
[[gnu::noinline]] std::optional<double> ReadRealInFull(const char* first, const char* p,
                                                       const char* last, bool negative) noexcept {
  const char* const numberStart = p;

  // Validation and the fast path's significand in one pass. The significand
  // wraps once there are more than 19 digits; it is only used when there
  // are not.
  std::uint64_t significand = 0;
  const char* const intBegin = p;
  p = TakeDigits(first, p, last, significand);
  std::size_t mantissaDigits = static_cast<std::size_t>(p - intBegin);
  std::size_t fractionDigits = 0;
  if (p != last && *p == '.') {
    const char* const fracBegin = ++p;
    p = TakeDigits(first, p, last, significand);
    fractionDigits = static_cast<std::size_t>(p - fracBegin);
    mantissaDigits += fractionDigits;
  }
  std::int64_t exponent = 0;
  if (p != last && (*p == 'e' || *p == 'E')) {
    ++p;
    bool negativeExponent = false;
    if (p != last && (*p == '-' || *p == '+')) {
      negativeExponent = *p == '-';
      ++p;
    }
    const char* const expBegin = p;
    for (; p != last && IsDecimalDigit(*p); ++p) {
      // Saturates far outside the fast path's range; from_chars reads the
      // exponent itself whenever it is that large.
      if (exponent < kExponentCap) exponent = exponent * 10 + (*p - '0');
    }
    if (p == expBegin) return std::nullopt;
    if (negativeExponent) exponent = -exponent;
  }
  if (p != last) return std::nullopt;

  // A mantissa without digits ("", ".", "-.", ".e5") holds no number, though
  // it fits the grammar; from_chars would reject it too.
  if (mantissaDigits == 0) return std::nullopt;

  if constexpr (kSingleRounding) {
    if (mantissaDigits <= 19 && significand <= kMaxExactInteger) {
      const std::int64_t e = exponent - static_cast<std::int64_t>(fractionDigits);
      if (e >= -kMaxExactPower && e <= kMaxExactPower) {
        const double m = static_cast<double>(significand);
        const double magnitude = e < 0 ? m / kExactPowersOfTen[static_cast<std::size_t>(-e)]
                                       : m * kExactPowersOfTen[static_cast<std::size_t>(e)];
        return negative ? -magnitude : magnitude;
      }
    }
  }

  // The sign was consumed above because from_chars rejects "+"; the
  // magnitude alone is converted and negation is exact. Everything it sees
  // has been validated, so it cannot stop early or read "inf" or "nan".
  double magnitude = 0.0;
  const auto [end, ec] = std::from_chars(numberStart, last, magnitude, std::chars_format::general);
  // Out of range covers overflow (the exchange file has no infinities) and
  // underflow below the smallest subnormal; both read as 0. Subnormal values
  // themselves convert normally.
  if (ec != std::errc{} || end != last) return std::nullopt;
  return negative ? -magnitude : magnitude;
}

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

std::optional<double> ParseFloat(std::string_view text) noexcept {
  const char* p = text.data() + SkipLeadingSpaces(text);
  const char* const last = text.data() + text.size();
  bool negative = false;
  if (p != last && (*p == '-' || *p == '+')) {
    negative = *p == '-';
    ++p;
  }
#if RUPENA_SHORT_DECIMALS
  if constexpr (kSingleRounding) {
    ShortDecimal d;
    if (ReadShortDecimal(text.data(), p, last, d)) {
      // As below: a mantissa without digits holds no number.
      if (d.digits == 0) return std::nullopt;
      if (d.significand <= kMaxExactInteger) {
        const double magnitude = static_cast<double>(d.significand) /
                                 kExactPowersOfTen[d.fractionDigits];
        return negative ? -magnitude : magnitude;
      }
    }
  }
#endif
  return ReadRealInFull(text.data(), p, last, negative);
}

double ParseFloatOrZero(std::string_view text) noexcept { return ParseFloat(text).value_or(0.0); }

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
