// The general number format of the exchange file and of the grid's spacing
// cells: at most 15 significant digits, no trailing zeros, positional
// notation for decimal exponents -3..15 and "d.dddE-5" form otherwise.
#pragma once

#include <string>

namespace rupena::text {

// Rounds the exact binary value to 18 significant digits, then those digits
// half-up to 15 (so ...4999 stays and ...5 goes up whatever follows). Zero and
// negative zero give "0". Non-finite input, which the exchange file cannot
// hold, gives "0" as well.
std::string FormatGeneral(double value);

}  // namespace rupena::text
