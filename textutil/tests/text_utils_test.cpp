#include "textutil/text_utils.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <cstdint>
#include <limits>
#include <numbers>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

namespace {

using MyFunc::CharCount;
using MyFunc::CharLengthAt;
using MyFunc::CopyChars;
using MyFunc::IsCodePageLeadByte;
using MyFunc::IsLeadByte;
using MyFunc::ParseFloatOrZero;
using MyFunc::ParseIntOrZero;
using MyFunc::StripBlanks;
using MyFunc::VectorAngle;

// Printable form of a byte string for SCOPED_TRACE.
std::string Escaped(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x21 && b < 0x7F && b != '\\') {
      out.push_back(c);
    } else {
      out += "\\x";
      out.push_back(kHex[b >> 4]);
      out.push_back(kHex[b & 0xF]);
    }
  }
  return out.size() > 80 ? out.substr(0, 80) + "..." : out;
}

struct ByteRange {
  int low;
  int high;
};

bool InRanges(int b, std::initializer_list<ByteRange> ranges) {
  for (const ByteRange& r : ranges) {
    if (b >= r.low && b <= r.high) return true;
  }
  return false;
}

TEST(LeadBytes, EveryByteValueMatchesTheCountingRanges) {
  for (int b = 0; b < 256; ++b) {
    SCOPED_TRACE(b);
    EXPECT_EQ(IsLeadByte(static_cast<unsigned char>(b)), InRanges(b, {{0x80, 0x9F}, {0xE0, 0xFD}}));
  }
}

TEST(LeadBytes, EveryByteValueMatchesTheCodePageRanges) {
  for (int b = 0; b < 256; ++b) {
    SCOPED_TRACE(b);
    EXPECT_EQ(IsCodePageLeadByte(static_cast<unsigned char>(b)),
              InRanges(b, {{0x81, 0x9F}, {0xE0, 0xFC}}));
  }
}

TEST(LeadBytes, CountingSetIsWiderAtBothOddEnds) {
  EXPECT_TRUE(IsLeadByte(0x80));
  EXPECT_FALSE(IsCodePageLeadByte(0x80));
  EXPECT_TRUE(IsLeadByte(0xFD));
  EXPECT_FALSE(IsCodePageLeadByte(0xFD));
  EXPECT_FALSE(IsLeadByte(0xFE));
  EXPECT_FALSE(IsLeadByte(0xFF));
}

TEST(LeadBytes, LeadByteInLastPositionIsOneByteLong) {
  EXPECT_EQ(CharLengthAt("\x82\xa0", 0), 2u);
  EXPECT_EQ(CharLengthAt("A\x82", 1), 1u);
  EXPECT_EQ(CharLengthAt("\x82", 0), 1u);
  EXPECT_EQ(CharLengthAt("\x82\x82\x82", 2), 1u);
}

struct IntCase {
  std::string_view text;
  std::int32_t expected;
};

void CheckInts(std::initializer_list<IntCase> cases) {
  for (const IntCase& c : cases) {
    SCOPED_TRACE("text: \"" + Escaped(c.text) + "\"");
    EXPECT_EQ(ParseIntOrZero(c.text), c.expected);
  }
}

TEST(IntegerParsing, DecimalForms) {
  CheckInts({
      {"12", 12},
      {"  -7", -7},
      {"+3", 3},
      {" +3", 3},
      {"0", 0},
      {"007", 7},
      {"-007", -7},
      {"-0", 0},
      {"0000000000000000000000000012", 12},
  });
}

TEST(IntegerParsing, HexadecimalPrefixes) {
  CheckInts({
      {"$1F", 31},
      {"$1f", 31},
      {"0x10", 16},
      {"0X10", 16},
      {"x0A", 10},
      {"X0a", 10},
      {"+$10", 16},
      {"  $10", 16},
      {"-$1", -1},
      {"$7FFFFFFF", INT32_MAX},
  });
}

TEST(IntegerParsing, NotAnInteger) {
  CheckInts({
      {"", 0},
      {" ", 0},
      {"   ", 0},
      {"-", 0},
      {"+", 0},
      {"$", 0},
      {"x", 0},
      {"X", 0},
      {"0x", 0},
      {"-$", 0},
      {"12 ", 0},
      {"1.5", 0},
      {"1e3", 0},
      {"12a", 0},
      {"1,000", 0},
      {"\t5", 0},
      {"+-3", 0},
      {"--3", 0},
      {"- 3", 0},
      {"$-1", 0},
      {"$ 1", 0},
      {"$G", 0},
      {"$1G", 0},
      {"0$10", 0},
      {"00x10", 0},
      {"x0x10", 0},
      {"0x-1", 0},
      {std::string_view("12\0", 3), 0},
      {"\x82\x50", 0},
  });
}

TEST(IntegerParsing, DecimalLimits) {
  CheckInts({
      {"2147483647", INT32_MAX},
      {"+2147483647", INT32_MAX},
      {"2147483648", 0},
      {"+2147483648", 0},
      {"-2147483647", -INT32_MAX},
      {"-2147483648", INT32_MIN},
      {"-2147483649", 0},
      {"00000002147483647", INT32_MAX},
      {"4294967295", 0},
      {"4294967296", 0},
      {"4294967297", 0},
      {"99999999999999999999", 0},
  });
}

TEST(IntegerParsing, HexadecimalIsA32BitPattern) {
  CheckInts({
      {"$FFFFFFFF", -1},
      {"$80000000", INT32_MIN},
      {"-$80000000", INT32_MIN},
      {"-$7FFFFFFF", -INT32_MAX},
      {"-$FFFFFFFF", 1},
      {"$12345678", 0x12345678},
      {"$123456789", 0},
      {"$100000000", 0},
      {"$00000000FF", 255},
      {"$000000000000000000FFFFFFFF", -1},
      {"$0000000000", 0},
      {"0x00000000100000000", 0},
  });
}

TEST(IntegerParsing, VeryLongTextsAreReadWholly) {
  const std::string zeros(10'000'000, '0');
  EXPECT_EQ(ParseIntOrZero(zeros + "7"), 7);
  EXPECT_EQ(ParseIntOrZero("$" + zeros + "1F"), 31);
  EXPECT_EQ(ParseIntOrZero(zeros + "7 "), 0);
  EXPECT_EQ(ParseIntOrZero(std::string(10'000'000, '9')), 0);
  EXPECT_EQ(ParseIntOrZero(std::string(10'000'000, ' ') + "5"), 5);
}

struct FloatCase {
  std::string_view text;
  double expected;
};

void CheckFloats(std::initializer_list<FloatCase> cases) {
  for (const FloatCase& c : cases) {
    SCOPED_TRACE("text: \"" + Escaped(c.text) + "\"");
    const double got = ParseFloatOrZero(c.text);
    // Exact comparison: the conversion must be correctly rounded.
    EXPECT_EQ(got, c.expected);
  }
}

TEST(RealParsing, AcceptedForms) {
  CheckFloats({
      {"2.5", 2.5},
      {"-.5", -0.5},
      {"+.5", 0.5},
      {".5", 0.5},
      {"5.", 5.0},
      {"-5.", -5.0},
      {"1e3", 1000.0},
      {"1E+2", 100.0},
      {"1e-2", 0.01},
      {"1.5E3", 1500.0},
      {".5e1", 5.0},
      {"5.e-1", 0.5},
      {"  1.25", 1.25},
      {"007.5", 7.5},
      {"12", 12.0},
      {"-0.75", -0.75},
      {"1.5e0000000000000000000000003", 1500.0},
  });
}

TEST(RealParsing, NotANumber) {
  CheckFloats({
      {"", 0.0},
      {".", 0.0},
      {"-", 0.0},
      {"+", 0.0},
      {"-.", 0.0},
      {" ", 0.0},
      {"1,5", 0.0},
      {"3 ", 0.0},
      {"\t1", 0.0},
      {"1e", 0.0},
      {"1e+", 0.0},
      {"1e-", 0.0},
      {"1e 5", 0.0},
      {"e5", 0.0},
      {".e5", 0.0},
      {"1.2.3", 0.0},
      {"1e5.5", 0.0},
      {"1e5e5", 0.0},
      {"++1", 0.0},
      {"- 1", 0.0},
      {"inf", 0.0},
      {"-inf", 0.0},
      {"nan", 0.0},
      {"0x10", 0.0},
      {"1d5", 0.0},
      {std::string_view("1.5\0", 4), 0.0},
  });
}

TEST(RealParsing, CorrectlyRounded) {
  CheckFloats({
      {"0.1", 0.1},
      {"0.3", 0.3},
      {"1e23", 1e23},
      {"9007199254740993", 9007199254740992.0},
      {"9007199254740993.000000000000000000001", 9007199254740994.0},
      {"9007199254740995", 9007199254740996.0},
      {"2.2250738585072014e-308", DBL_MIN},
      {"1.7976931348623157e308", DBL_MAX},
  });
}

TEST(RealParsing, OutsideTheDoubleRangeReadsAsZero) {
  CheckFloats({
      {"1e308", 1e308},
      {"1e309", 0.0},
      {"-1e309", 0.0},
      // Either side of the midpoint between DBL_MAX and 2^1024.
      {"1.7976931348623158e308", DBL_MAX},
      {"1.7976931348623159e308", 0.0},
      {"1e99999999999999999999", 0.0},
      {"0e99999999999999999999", 0.0},
      // Subnormals keep their value; below half the smallest one is 0.
      {"4e-320", 4e-320},
      {"4.9406564584124654e-324", std::numeric_limits<double>::denorm_min()},
      {"3e-324", std::numeric_limits<double>::denorm_min()},
      {"2e-324", 0.0},
      {"1e-400", 0.0},
      {"-1e-400", 0.0},
      {"1e-99999999999999999999", 0.0},
  });
}

TEST(RealParsing, VeryLongTextsAreReadWholly) {
  const std::string many(10'000'000, '1');
  EXPECT_EQ(ParseFloatOrZero("1." + many), 1.1111111111111112);
  EXPECT_EQ(ParseFloatOrZero(std::string(10'000'000, '0') + "5"), 5.0);
  EXPECT_EQ(ParseFloatOrZero("0." + std::string(9'999'999, '0') + "25e10000000"), 2.5);
  // Ten million digits before the point overflow the double range.
  EXPECT_EQ(ParseFloatOrZero(many), 0.0);
  EXPECT_EQ(ParseFloatOrZero("1." + many + " "), 0.0);
}

// The reading before the fast path existed: the validated magnitude through
// from_chars, then the sign. Only for texts of the grammar.
double ReferenceReal(std::string_view text) {
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.remove_prefix(1);
  double magnitude = 0.0;
  const auto [end, ec] =
      std::from_chars(text.data(), text.data() + text.size(), magnitude, std::chars_format::general);
  if (ec != std::errc{} || end != text.data() + text.size()) return 0.0;
  return negative ? -magnitude : magnitude;
}

// Numbers as the host writes them: up to 17 digits, the point anywhere in
// them (also first or last) or absent, and now and then an exponent of the
// host's three-digit form ("e-005") or a plain one.
std::string HostStyleNumber(std::mt19937_64& rng) {
  std::string s;
  if (rng() % 2 == 0) s += '-';
  const auto digits = static_cast<std::size_t>(1 + rng() % 17);
  const auto point = static_cast<std::size_t>(rng() % (digits + 2));  // before digit `point`; digits + 1: none
  for (std::size_t k = 0; k < digits; ++k) {
    if (k == point) s += '.';
    s += static_cast<char>('0' + rng() % 10);
  }
  if (point == digits) s += '.';
  switch (rng() % 4) {
    case 0: {
      char buffer[8];
      const unsigned e = static_cast<unsigned>(rng() % 31);
      std::snprintf(buffer, sizeof buffer, "e%c%03u", rng() % 2 ? '-' : '+', e);
      s += buffer;
      break;
    }
    case 1:
      s += (rng() % 2 ? "e" : "E") + std::to_string(static_cast<int>(rng() % 61) - 30);
      break;
    default:
      break;
  }
  return s;
}

std::uint64_t Bits(double v) { return std::bit_cast<std::uint64_t>(v); }

TEST(RealParsing, HostStyleNumbersMatchFromCharsBitForBit) {
  std::mt19937_64 rng(20240611);
  int mismatches = 0;
  for (int i = 0; i < 300'000 && mismatches < 10; ++i) {
    const std::string text = HostStyleNumber(rng);
    const double got = ParseFloatOrZero(text);
    const double want = ReferenceReal(text);
    if (Bits(got) != Bits(want)) {
      ++mismatches;
      ADD_FAILURE() << "text \"" << text << "\": got " << std::hexfloat << got << ", want " << want;
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(RealParsing, EdgesOfTheExactRange) {
  const std::string_view texts[] = {
      "9007199254740991",       "9007199254740992",        "9007199254740993",
      "9007199254740992e-3",    "9007199254740993e-3",     "900719925474099.2e1",
      "9007199254740991e22",    "9007199254740991e23",     "9007199254740991e-22",
      "9007199254740991e-23",   "9007199254740993e-22",    "1e22",
      "1e23",                   "1e-22",                   "1e-23",
      "123e20",                 "0.000000000000000000001e22", "1234567890123456789",
      "12345678901234567890",   "1234567890123456789012345", "1234567890123456789012345e-25",
      "12345678.12345678",      "12345678",                "123456789",
      "1234567.8",              "0.12345678901234567",     "-8.73415778018451e-006",
      "-3.2783543701953e-005",  "749.999999999999",        "14756.3576849561",
      "4.35e+021",              "2.5e-022",                "00000000000000000001e-3",
  };
  for (const std::string_view text : texts) {
    SCOPED_TRACE("text: \"" + std::string(text) + "\"");
    EXPECT_EQ(Bits(ParseFloatOrZero(text)), Bits(ReferenceReal(text)));
  }
  EXPECT_EQ(ParseFloatOrZero("9007199254740991e22"), 9007199254740991e22);
  EXPECT_EQ(ParseFloatOrZero("1e23"), 1e23);
  EXPECT_EQ(ParseFloatOrZero("1234567890123456789012345"), 1234567890123456789012345.0);
}

// ParseFloat tells a number worth 0 from text that holds none; the short
// and the full reading must agree on which is which.
TEST(RealParsing, NumberOrNone) {
  struct Case {
    std::string_view text;
    bool number;
  };
  const Case cases[] = {
      {"0", true},     {"-0", true},      {"0.0", true},  {"5.", true},   {".5", true},
      {"1e-300", true}, {"12345678901234567", true},      {"", false},     {".", false},
      {"-", false},    {"+.", false},     {".e5", false}, {"e5", false},  {"1e", false},
      {"1e999", false}, {"1e-400", false}, {"1.5 ", false}, {"0x10", false}, {"1.2.3", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("text: \"" + std::string(c.text) + "\"");
    const std::optional<double> got = MyFunc::ParseFloat(c.text);
    EXPECT_EQ(got.has_value(), c.number);
    EXPECT_EQ(Bits(ParseFloatOrZero(c.text)), Bits(got.value_or(0.0)));
  }
}

TEST(RealParsing, SignOfZero) {
  struct Case {
    std::string_view text;
    bool negative;
  };
  const Case cases[] = {
      {"-0", true},     {"-0.0", true},  {"-.0", true},    {"-0.", true},
      {"-0e5", true},   {"-0e-30", true}, {"-000000000000000000000000", true},
      {"0", false},     {"+0", false},   {"-", false},     {"-.", false},
      {"-1e-400", false}, {"-x", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("text: \"" + std::string(c.text) + "\"");
    const double got = ParseFloatOrZero(c.text);
    EXPECT_EQ(got, 0.0);
    EXPECT_EQ(std::signbit(got), c.negative);
  }
}

// A byte that is no digit inside a run of digits, at every position of the
// eight-byte steps, makes the text a non-number.
TEST(RealParsing, StrayByteInsideTheDigits) {
  const std::string digits = "123456789012345";
  for (int v = 0; v < 256; ++v) {
    const char b = static_cast<char>(v);
    if ((b >= '0' && b <= '9') || b == '.' || b == 'e' || b == 'E' || b == '-' || b == '+') continue;
    for (std::size_t at = 1; at < digits.size(); ++at) {
      const std::string text = digits.substr(0, at) + b + digits.substr(at);
      SCOPED_TRACE(testing::Message() << "byte " << v << " at " << at);
      EXPECT_EQ(ParseFloatOrZero(text), 0.0);
      EXPECT_EQ(ParseFloatOrZero("0." + text), 0.0);
    }
  }
}

struct StripCase {
  std::string_view text;
  std::string_view expected;
};

TEST(BlankStripping, RemovesAsciiAndFullWidthBlanks) {
  const StripCase cases[] = {
      {" \x82\x81\x81\x40" "b\t", "\x82\x81" "b"},
      {"\x81\x40 ", ""},
      {"", ""},
      {"   ", ""},
      {std::string_view("a\0b\x1f" "c", 5), "abc"},
      {"\r\na\n", "a"},
      {"\x7f", "\x7f"},
      {"\xa0\xb1\xdf", "\xa0\xb1\xdf"},
  };
  for (const StripCase& c : cases) {
    SCOPED_TRACE("text: \"" + Escaped(c.text) + "\"");
    EXPECT_EQ(StripBlanks(c.text), c.expected);
  }
}

TEST(BlankStripping, StepsOverTwoByteCharacters) {
  const StripCase cases[] = {
      // A trail byte that looks like a blank stays with its lead byte.
      {"\x82\x20", "\x82\x20"},
      {"\x82\x09", "\x82\x09"},
      {"\x80\x20", "\x80\x20"},
      {"\xfd\x20", "\xfd\x20"},
      // 0xFE is a single byte, so the blank after it goes.
      {"\xfe\x20", "\xfe"},
      {"\xff\x09", "\xff"},
      // 0x81 0x40 behind a lead byte is a trail byte plus "@", not a blank.
      {"\x82\x81\x40", "\x82\x81\x40"},
      {"\x81\x81\x40", "\x81\x81\x40"},
      // A lead byte at the very end is a character of its own and stays.
      {"a \x81", "a\x81"},
      {"\x81", "\x81"},
      {"\x81\x40\x81", "\x81"},
  };
  for (const StripCase& c : cases) {
    SCOPED_TRACE("text: \"" + Escaped(c.text) + "\"");
    EXPECT_EQ(StripBlanks(c.text), c.expected);
  }
}

TEST(CharacterCounting, TwoByteCharactersCountOnce) {
  struct Case {
    std::string_view text;
    int expected;
  };
  const Case cases[] = {
      {"", 0},
      {"abc", 3},
      {"\x82\xa0\x41", 2},
      {"\x41\x80\x41", 2},
      {"\x81", 1},
      {"a\x82", 2},
      {"\x82\x82\x82", 2},
      {"\x9f\x41", 1},
      {"\xe0\x41", 1},
      {"\xfd\x41", 1},
      {"\xfe\x41", 2},
      {"\xff\x41", 2},
      {"\xa0\x41", 2},
      {"\xdf\x41", 2},
      {"\x7f\x41", 2},
      {std::string_view("\x82\0", 2), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("text: \"" + Escaped(c.text) + "\"");
    EXPECT_EQ(CharCount(c.text), c.expected);
  }
}

TEST(CharacterSlicing, CutsByCharacterPosition) {
  // Three characters: a two-byte one, "A", another two-byte one.
  const std::string_view three = "\x82\xa0" "A" "\x82\xa2";
  struct Case {
    std::string_view text;
    int first;
    int count;
    std::string_view expected;
  };
  const Case cases[] = {
      {three, 2, 1, "A"},
      {three, 4, 1, ""},
      {three, 3, 5, "\x82\xa2"},
      {three, 1, 0, ""},
      {three, 0, 2, "\x82\xa0"},
      {three, 1, 3, three},
      {three, 1, 2, "\x82\xa0" "A"},
      {three, 3, 1, "\x82\xa2"},
      {three, 2, -1, ""},
      {three, -1, 3, "\x82\xa0"},
      {three, -1, 2, ""},
      {three, -5, 3, ""},
      {three, 2, INT_MAX, "A\x82\xa2"},
      {three, 1, INT_MAX, three},
      {three, INT_MAX, 1, ""},
      {three, INT_MAX, INT_MAX, ""},
      {three, INT_MIN, INT_MAX, ""},
      {three, INT_MIN, 1, ""},
      {"", 1, 1, ""},
      {"", 0, 1, ""},
      // A lead byte at the very end is a character by itself.
      {"A\x82", 2, 1, "\x82"},
      {"A\x82", 1, 5, "A\x82"},
      {"\x82\x82\x82", 2, 1, "\x82"},
      // Bytes that are not lead bytes in the counting set.
      {"\xfe\x41\xfd\x41", 2, 2, "\x41\xfd\x41"},
      {"\x80\x41\x42", 2, 1, "\x42"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("text: \"" + Escaped(c.text) + "\" first " + std::to_string(c.first) +
                 " count " + std::to_string(c.count));
    EXPECT_EQ(CopyChars(c.text, c.first, c.count), c.expected);
  }
}

TEST(DirectionAngle, QuarterTurnsAndTinyVectors) {
  constexpr double pi = std::numbers::pi;
  struct Case {
    double x;
    double y;
    double expected;
  };
  const Case cases[] = {
      {0.0, 0.0, 0.0},
      {1e-11, -1e-11, 0.0},
      {-9.9e-11, 9.9e-11, 0.0},
      {1.0, 0.0, 0.0},
      {0.0, 1.0, pi / 2},
      {-1.0, 0.0, pi},
      {1.0, 1.0, pi / 4},
      {-1.0, 1.0, 3 * pi / 4},
      // One component at the bound is enough to count as a direction.
      {1e-10, 0.0, 0.0},
      {0.0, 1e-10, pi / 2},
      {-1e-10, 0.0, pi},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "(" << c.x << ", " << c.y << ")");
    EXPECT_EQ(VectorAngle(c.x, c.y), c.expected);
  }
}

TEST(DirectionAngle, NegativeAnglesAreLiftedByAFullTurn) {
  constexpr double pi = std::numbers::pi;
  struct Case {
    double x;
    double y;
    double expected;
  };
  const Case cases[] = {
      {0.0, -1.0, 3 * pi / 2},
      {0.0, -1e-10, 3 * pi / 2},
      {1.0, -1.0, 7 * pi / 4},
      {-1.0, -1.0, 5 * pi / 4},
      {1.0, -1e-6, 2 * pi - 1e-6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "(" << c.x << ", " << c.y << ")");
    const double angle = VectorAngle(c.x, c.y);
    EXPECT_DOUBLE_EQ(angle, c.expected);
    EXPECT_GE(angle, 0.0);
    EXPECT_LT(angle, 2 * pi);
  }
}

TEST(DirectionAngle, TinyNegativeAngleRoundsToFullTurn) {
  const double fullTurn = 2 * std::numbers::pi;
  EXPECT_EQ(VectorAngle(1.0, -1e-20), fullTurn);
  EXPECT_EQ(VectorAngle(1e10, -1e-10), fullTurn);
  EXPECT_LT(VectorAngle(1.0, -1e-15), fullTurn);
}

TEST(DirectionAngle, NeverNegativeZero) {
  const double along = VectorAngle(1.0, -0.0);
  EXPECT_EQ(along, 0.0);
  EXPECT_FALSE(std::signbit(along));
  // atan2 of this is about -1e-330, which rounds to -0.0 as a double.
  const double tiny = VectorAngle(1e10, -1e-320);
  EXPECT_EQ(tiny, 0.0);
  EXPECT_FALSE(std::signbit(tiny));
}

TEST(DirectionAngle, HalfTurnFromBelowUsesTheExtendedFullTurn) {
  // atan2(-0, -1) is -pi; adding the 64-bit 2*pi constant in extended
  // precision lands past the midpoint above pi, one ulp over it. With plain
  // doubles 2*pi is exactly twice pi and the sum is pi itself.
  const double pi = std::numbers::pi;
  const double expected =
      std::numeric_limits<long double>::digits == 64 ? std::nextafter(pi, 4.0) : pi;
  EXPECT_EQ(VectorAngle(-1.0, -0.0), expected);
}

}  // namespace
