// Byte strings in test messages.
#pragma once

#include <string>
#include <string_view>

namespace rupena::text::test {

// Printable form of a byte string for SCOPED_TRACE.
inline std::string Escaped(std::string_view bytes) {
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

}  // namespace rupena::text::test
