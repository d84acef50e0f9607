#include "app/win32/cp932.h"

#include <windows.h>

#include <climits>
#include <stdexcept>

namespace rupena::win32 {
namespace {

constexpr UINT kCodePage = 932;

int CheckedLength(std::size_t size) {
  if (size > static_cast<std::size_t>(INT_MAX)) {
    throw std::length_error("text too long for a code page conversion");
  }
  return static_cast<int>(size);
}

std::optional<std::wstring> ToWide(std::string_view bytes, DWORD flags) {
  if (bytes.empty()) {
    return std::wstring();
  }
  const int inLength = CheckedLength(bytes.size());
  const int outLength = MultiByteToWideChar(kCodePage, flags, bytes.data(), inLength, nullptr, 0);
  if (outLength <= 0) {
    return std::nullopt;
  }
  std::wstring out(static_cast<std::size_t>(outLength), L'\0');
  if (MultiByteToWideChar(kCodePage, flags, bytes.data(), inLength, out.data(), outLength) !=
      outLength) {
    return std::nullopt;
  }
  return out;
}

// WC_NO_BEST_FIT_CHARS keeps look-alikes (a full-width letter, a Latin-1
// accent) from silently turning into some other CP932 character; they become
// the default character instead, which the exact variant reports.
std::optional<std::string> ToCp932(std::wstring_view text, bool exact) {
  if (text.empty()) {
    return std::string();
  }
  const int inLength = CheckedLength(text.size());
  BOOL usedDefault = FALSE;
  const int outLength = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, text.data(), inLength,
                                            nullptr, 0, nullptr, nullptr);
  if (outLength <= 0) {
    return std::nullopt;
  }
  std::string out(static_cast<std::size_t>(outLength), '\0');
  if (WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, text.data(), inLength, out.data(),
                          outLength, nullptr, exact ? &usedDefault : nullptr) != outLength) {
    return std::nullopt;
  }
  if (usedDefault) {
    return std::nullopt;
  }
  return out;
}

}  // namespace

std::wstring Cp932ToWide(std::string_view bytes) {
  return ToWide(bytes, 0).value_or(std::wstring());
}

std::optional<std::wstring> Cp932ToWideExact(std::string_view bytes) {
  return ToWide(bytes, MB_ERR_INVALID_CHARS);
}

std::string WideToCp932(std::wstring_view text) {
  return ToCp932(text, false).value_or(std::string());
}

std::optional<std::string> WideToCp932Exact(std::wstring_view text) {
  return ToCp932(text, true);
}

}  // namespace rupena::win32
