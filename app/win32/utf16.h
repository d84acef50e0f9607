#pragma once
// app/ keeps text as char16_t, USER32 as wchar_t: on Windows both are UTF-16
// code units, so the one becomes the other unit by unit, unchanged.

#include <string>
#include <string_view>

namespace rupena::win32 {

inline std::u16string AsU16(std::wstring_view text) {
  return std::u16string(text.begin(), text.end());
}

inline std::wstring AsWide(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

}  // namespace rupena::win32
