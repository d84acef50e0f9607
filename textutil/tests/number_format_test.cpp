#include "textutil/number_format.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <numbers>
#include <string>
#include <string_view>

namespace {

using rupena::text::FormatGeneral;

struct Case {
  double value;
  std::string_view expected;
};

void CheckFormats(std::initializer_list<Case> cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hexfloat << c.value << " expecting " << c.expected);
    EXPECT_EQ(FormatGeneral(c.value), c.expected);
  }
}

TEST(GeneralNumberFormat, PlainValues) {
  CheckFormats({
      {2.0, "2"},
      {2.5, "2.5"},
      {-0.75, "-0.75"},
      {0.5, "0.5"},
      {100.0, "100"},
      {-12.0, "-12"},
      {123.456, "123.456"},
      {0.1, "0.1"},
      {0.1 + 0.2, "0.3"},
      {1.0 / 3.0, "0.333333333333333"},
      {-2.0 / 3.0, "-0.666666666666667"},
      {std::numbers::pi, "3.14159265358979"},
      {2 * std::numbers::pi, "6.28318530717959"},
  });
}

TEST(GeneralNumberFormat, ZeroHasNoSign) {
  CheckFormats({
      {0.0, "0"},
      {-0.0, "0"},
  });
}

TEST(GeneralNumberFormat, NonFiniteValuesAreWrittenAsZero) {
  CheckFormats({
      {std::numeric_limits<double>::infinity(), "0"},
      {-std::numeric_limits<double>::infinity(), "0"},
      {std::numeric_limits<double>::quiet_NaN(), "0"},
  });
}

TEST(GeneralNumberFormat, SmallValuesSwitchToExponentBelowTenToTheMinusFour) {
  CheckFormats({
      {0.001, "0.001"},
      {0.0001, "0.0001"},
      {-0.0001, "-0.0001"},
      {0.000123, "0.000123"},
      {0.00012345678901234567, "0.000123456789012346"},
      {2.0 / 3.0 * 1e-3, "0.000666666666666667"},
      {0.00001, "1E-5"},
      {-0.00001, "-1E-5"},
      {1.5e-7, "1.5E-7"},
      {1e-300, "1E-300"},
      // Rounding carries 9.99...e-5 up into positional range.
      {0x1.a36e2eb1c432cp-14, "0.0001"},
      {0.0009999999999999999, "0.001"},
  });
}

TEST(GeneralNumberFormat, LargeValuesSwitchToExponentFromTenToTheFifteen) {
  CheckFormats({
      {1e14, "100000000000000"},
      {999999999999999.0, "999999999999999"},
      {999999999999999.375, "999999999999999"},
      {999999999999999.5, "1E15"},
      {999999999999999.875, "1E15"},
      {1e15, "1E15"},
      {-1e15, "-1E15"},
      {9999999999999998.0, "1E16"},
      {1e16, "1E16"},
      {1234567890123456.0, "1.23456789012346E15"},
      {123456789012345678.0, "1.23456789012346E17"},
      {0x1p63, "9.22337203685478E18"},
      {1e21, "1E21"},
      {1e23, "1E23"},
      {1.5e300, "1.5E300"},
  });
}

TEST(GeneralNumberFormat, SixteenthDigitFiveRoundsHalfUp) {
  CheckFormats({
      {1000000000000005.0, "1.00000000000001E15"},
      {123456789012345.5, "123456789012346"},
      // Half-up, not to even: the fifteenth digit 4 becomes 5.
      {123456789012344.5, "123456789012345"},
      {-123456789012344.5, "-123456789012345"},
      {0x1.fffffffffffffp-1, "1"},
  });
}

TEST(GeneralNumberFormat, RoundsTheEighteenDigitsNotTheBinaryValue) {
  CheckFormats({
      // Exactly 28.2216339766277499734...: to 18 digits ...2775000, so the
      // sixteenth digit is 5 and rounds up, where one rounding would not.
      {28.22163397662775, "28.2216339766278"},
      {-28.22163397662775, "-28.2216339766278"},
      {217.0366910192555, "217.036691019256"},
      // Exactly 338.798155823941499420...: stays ...4994, so it goes down.
      {338.7981558239415, "338.798155823941"},
  });
}

TEST(GeneralNumberFormat, ResiduesNearZeroUseExponentForm) {
  CheckFormats({
      {std::cos(std::numbers::pi / 2), "6.12323399573677E-17"},
      {1e-16, "1E-16"},
  });
}

TEST(GeneralNumberFormat, ExtremesOfTheDoubleRange) {
  CheckFormats({
      {DBL_MAX, "1.79769313486232E308"},
      {-DBL_MAX, "-1.79769313486232E308"},
      {DBL_MIN, "2.2250738585072E-308"},
      {std::numeric_limits<double>::denorm_min(), "4.94065645841247E-324"},
      {-std::numeric_limits<double>::denorm_min(), "-4.94065645841247E-324"},
  });
}

}  // namespace
