#include "tools/cli_options.h"

#include <algorithm>
#include <charconv>
#include <system_error>

#include "app/number_input.h"
#include "textutil/number_parse.h"

namespace rupena::tools {

namespace {

// UTF-8 as UTF-16, or nullopt where the bytes are no UTF-8 of the basic
// plane.
std::optional<std::u16string> FromUtf8(std::string_view bytes) {
  std::u16string text;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    const std::size_t length = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : 0;
    if (length == 0 || i + length > bytes.size()) return std::nullopt;
    char32_t c = length == 1 ? b : length == 2 ? (b & 0x1F) : (b & 0x0F);
    for (std::size_t k = 1; k < length; ++k) {
      const auto t = static_cast<unsigned char>(bytes[i + k]);
      if ((t & 0xC0) != 0x80) return std::nullopt;
      c = c << 6 | (t & 0x3F);
    }
    text.push_back(static_cast<char16_t>(c));
    i += length;
  }
  return text;
}

std::optional<int> ParsePositive(std::string_view s) {
  int n = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), n);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size() || n < 1) return std::nullopt;
  return n;
}

}  // namespace

std::string NumberArgument(std::string_view argument) {
  const std::optional<std::u16string> text = FromUtf8(argument);
  if (!text) return std::string(argument);
  const std::u16string normal = app::NormaliseNumberText(*text);
  if (std::any_of(normal.begin(), normal.end(), [](char16_t c) { return c >= 0x80; })) {
    return std::string(argument);
  }
  return std::string(normal.begin(), normal.end());
}

std::optional<JobOptions> ParseJobOptions(const std::vector<std::string_view>& args, bool split) {
  JobOptions o;
  bool haveFile = false;
  bool haveText = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view a = args[i];
    const bool valueFollows = i + 1 < args.size();
    if (split && a == "-o" && valueFollows && !o.out) {
      o.out = args[++i];
    } else if (a == "--text" && valueFollows && !haveText) {
      const std::optional<int> text = ParsePositive(args[++i]);
      if (!text) return std::nullopt;
      o.text = *text;
      haveText = true;
    } else if (split && a == "--spacing" && valueFollows) {
      const std::string_view assignment = args[++i];
      const auto eq = assignment.find('=');
      if (eq == std::string_view::npos) return std::nullopt;
      const std::optional<int> col = ParsePositive(assignment.substr(0, eq));
      if (!col) return std::nullopt;
      o.spacings.emplace_back(*col, NumberArgument(assignment.substr(eq + 1)));
    } else if (a == "--length" && valueFollows && !o.length) {
      o.length = text::ParseFloat(NumberArgument(args[++i]));
      if (!o.length) return std::nullopt;
    } else if (!a.empty() && a[0] != '-' && !haveFile) {
      o.file = a;
      haveFile = true;
    } else {
      return std::nullopt;
    }
  }
  if (!haveFile || (o.length && !o.spacings.empty())) return std::nullopt;
  return o;
}

}  // namespace rupena::tools
