#include "textutil/vector_angle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

using rupena::text::VectorAngle;

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
