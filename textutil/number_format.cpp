#include "textutil/number_format.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace rupena::text {

namespace {

constexpr int kRoundedDigits = 18;
constexpr int kShownDigits = 15;
constexpr int kLowestPositionalExponent = -3;
constexpr int kHighestPositionalExponent = 15;

void AppendDecimal(std::string& out, int value) {
  std::array<char, 12> buffer{};
  const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  if (ec == std::errc{}) out.append(buffer.data(), end);
}

}  // namespace

std::string FormatGeneral(double value) {
  if (!std::isfinite(value) || value == 0.0) return "0";

  // Stage one: the exact binary value correctly rounded to 18 digits, as
  // "d.ddddddddddddddddde+xxx". Stage two rounds these digits, not the binary
  // value, so a sixteenth digit 4 followed by 99 and then 5 or more goes up:
  // the two stages are the format's definition, not an approximation of one.
  std::array<char, 32> buffer{};
  const auto [end, ec] =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), std::fabs(value),
                    std::chars_format::scientific, kRoundedDigits - 1);
  if (ec != std::errc{}) return "0";

  std::array<char, kRoundedDigits> digits{};
  digits[0] = buffer[0];
  for (std::size_t i = 1; i < digits.size(); ++i) digits[i] = buffer[i + 1];

  // The exponent field follows "e" and its sign; from_chars takes "-" only.
  const char* expText = buffer.data() + kRoundedDigits + 2;
  const bool expNegative = *expText == '-';
  ++expText;
  int scientificExponent = 0;
  std::from_chars(expText, end, scientificExponent);
  if (expNegative) scientificExponent = -scientificExponent;
  // value = 0.d1d2... * 10^exponent
  int exponent = scientificExponent + 1;

  // Stage two: half-up on the sixteenth digit, whatever follows it.
  int length = kShownDigits;
  if (digits[kShownDigits] >= '5') {
    int i = kShownDigits - 1;
    while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') {
      digits[static_cast<std::size_t>(i)] = '0';
      --i;
    }
    if (i >= 0) {
      ++digits[static_cast<std::size_t>(i)];
    } else {
      // All fifteen were nines: 0.999...|5 * 10^e becomes 0.1 * 10^(e+1).
      digits[0] = '1';
      length = 1;
      ++exponent;
    }
  }
  while (length > 1 && digits[static_cast<std::size_t>(length) - 1] == '0') --length;
  const std::string_view significant(digits.data(), static_cast<std::size_t>(length));

  std::string out;
  out.reserve(24);
  if (value < 0.0) out.push_back('-');

  if (exponent >= kLowestPositionalExponent && exponent <= kHighestPositionalExponent) {
    if (exponent <= 0) {
      out.append("0.");
      out.append(static_cast<std::size_t>(-exponent), '0');
      out.append(significant);
    } else if (static_cast<int>(significant.size()) <= exponent) {
      out.append(significant);
      out.append(static_cast<std::size_t>(exponent) - significant.size(), '0');
    } else {
      const auto whole = static_cast<std::size_t>(exponent);
      out.append(significant.substr(0, whole));
      out.push_back('.');
      out.append(significant.substr(whole));
    }
    return out;
  }

  out.push_back(significant[0]);
  if (significant.size() > 1) {
    out.push_back('.');
    out.append(significant.substr(1));
  }
  out.push_back('E');
  const int shownExponent = exponent - 1;
  if (shownExponent < 0) out.push_back('-');
  AppendDecimal(out, std::abs(shownExponent));
  return out;
}

}  // namespace rupena::text
