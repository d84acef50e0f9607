#include "textutil/vector_angle.h"

#include <cmath>
#include <limits>
#include <type_traits>

namespace rupena::text {

namespace {

// The extended format is what makes a tiny negative angle land on 2*pi; a
// platform whose long double is plain double (MSVC, AArch64 with 128-bit
// quad) must not pretend, so it falls back to double throughout.
using AngleReal =
    std::conditional_t<std::numeric_limits<long double>::digits == 64, long double, double>;

// 2*pi rounded to the 64-bit significand, not the double nearest 2*pi.
constexpr AngleReal kTwoPi = static_cast<AngleReal>(6.283185307179586477L);

}  // namespace

double VectorAngle(double x, double y) noexcept {
  if (std::fabs(x) < 1e-10 && std::fabs(y) < 1e-10) return 0.0;
  const double angle =
      static_cast<double>(std::atan2(static_cast<AngleReal>(y), static_cast<AngleReal>(x)));
  if (angle < 0.0) return static_cast<double>(static_cast<AngleReal>(angle) + kTwoPi);
  // atan2 keeps the sign of a zero y (and a tiny negative one can round to
  // -0.0); the range is [0, 2*pi], so hand out +0.0 for either.
  return angle + 0.0;
}

}  // namespace rupena::text
