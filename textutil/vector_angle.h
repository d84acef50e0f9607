// The direction of a text as an angle.
#pragma once

namespace rupena::text {

// Angle of (x, y) in radians in [0, 2*pi]; 0 when both components are below
// 1e-10 in magnitude. Computed in 80-bit extended precision where the
// platform has it, so that a tiny negative angle may round to 2*pi itself.
// Does not throw.
double VectorAngle(double x, double y) noexcept;

}  // namespace rupena::text
