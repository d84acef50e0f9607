#include "textutil/number_parse.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "textutil/tests/printable.h"

namespace {

using rupena::text::ParseFloatOrZero;
using rupena::text::ParseIntOrZero;
using rupena::text::test::Escaped;

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
      {"9007199254740991e22", 9007199254740991e22},
      {"1234567890123456789012345", 1234567890123456789012345.0},
      {"-3.2783543701953e-005", -3.2783543701953e-005},
      {"749.999999999999", 749.999999999999},
      {"4.35e+021", 4.35e+021},
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

std::uint64_t Bits(double v) { return std::bit_cast<std::uint64_t>(v); }

// ParseFloat tells a number worth 0 from text that holds none.
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
    const std::optional<double> got = rupena::text::ParseFloat(c.text);
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

// A byte that is no digit inside a run of digits, wherever it stands, makes
// the text a non-number.
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

}  // namespace
