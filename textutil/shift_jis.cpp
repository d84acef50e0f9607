#include "textutil/shift_jis.h"

#include <climits>

namespace rupena::text {

namespace {

// Byte offset of character number `index` (counted from 1), or text.size()
// when the text has fewer characters.
std::size_t ByteOffsetOfChar(std::string_view text, long long index) noexcept {
  std::size_t pos = 0;
  for (long long current = 1; current < index && pos < text.size(); ++current) {
    pos += CharLengthAt(text, pos);
  }
  return pos;
}

}  // namespace

std::string StripBlanks(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t length = CharLengthAt(text, pos);
    const std::string_view character = text.substr(pos, length);
    pos += length;
    if (length == 2) {
      if (character != "\x81\x40") result.append(character);
    } else if (static_cast<unsigned char>(character[0]) > 0x20) {
      result.push_back(character[0]);
    }
  }
  return result;
}

int CharCount(std::string_view text) noexcept {
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < text.size(); pos += CharLengthAt(text, pos)) ++count;
  // Texts of more than INT_MAX characters do not occur; saturate rather than
  // wrap to a negative count if one ever does.
  return count > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(count);
}

std::string CopyChars(std::string_view text, int first, int count) {
  const int total = CharCount(text);
  if (first > total || count <= 0) return {};
  // 64-bit so that a huge count or a very negative start cannot overflow;
  // the end stays first + count - 1 even when first is below 1.
  long long last = static_cast<long long>(first) + count - 1;
  if (last > total) last = total;
  const long long from = first < 1 ? 1 : first;
  if (last < from) return {};
  const std::size_t begin = ByteOffsetOfChar(text, from);
  const std::size_t length = ByteOffsetOfChar(text.substr(begin), last - from + 2);
  return std::string(text.substr(begin, length));
}

}  // namespace rupena::text
