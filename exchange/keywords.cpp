#include "exchange/keywords.h"

#include "textutil/number_parse.h"
#include "textutil/shift_jis.h"

namespace rupena::exchange {

std::int32_t KeywordNumber(std::string_view key) noexcept {
  return text::ParseIntOrZero(key.substr(2));
}

// Boundaries are found by walking from the start, since a trail byte can only
// be told from a lead byte by what precedes it.
std::size_t FindOnBoundary(std::string_view bytes, std::string_view needle) noexcept {
  std::size_t at = bytes.find(needle);
  std::size_t i = 0;
  while (at != std::string_view::npos) {
    while (i < at) {
      const bool pair =
          text::IsCodePageLeadByte(static_cast<unsigned char>(bytes[i])) && i + 1 < bytes.size();
      i += pair ? 2 : 1;
    }
    if (i == at) return at;
    at = bytes.find(needle, at + 1);  // i == at + 1 here, so the walk resumes in step
  }
  return std::string_view::npos;
}

}  // namespace rupena::exchange
