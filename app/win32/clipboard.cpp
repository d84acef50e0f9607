#include "app/win32/clipboard.h"

#include <algorithm>

#include "app/win32/scoped_gdi.h"

namespace rupena::win32 {

namespace {

struct OpenClipboardTraits {
  using Value = bool;
  static Value Invalid() noexcept { return false; }
  static bool IsValid(Value value) noexcept { return value; }
  static void Close(Value) noexcept { CloseClipboard(); }
};
using ScopedClipboard = Scoped<OpenClipboardTraits>;

using ScopedGlobal = Scoped<HandleTraits<HGLOBAL, &GlobalFree>>;
using ScopedLock = Scoped<HandleTraits<HGLOBAL, &GlobalUnlock>>;  // locked, not owned

}  // namespace

bool SetClipboardText(HWND owner, std::wstring_view text) {
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  ScopedGlobal memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
  if (!memory) return false;
  {
    auto* target = static_cast<wchar_t*>(GlobalLock(memory.Get()));
    if (target == nullptr) return false;
    const ScopedLock locked(memory.Get());
    std::copy(text.begin(), text.end(), target);
    target[text.size()] = L'\0';
  }
  const ScopedClipboard clipboard(OpenClipboard(owner) != FALSE);
  if (!clipboard || !EmptyClipboard()) return false;
  // On success the clipboard owns the memory.
  if (SetClipboardData(CF_UNICODETEXT, memory.Get()) == nullptr) return false;
  memory.Release();
  return true;
}

std::optional<std::wstring> ClipboardText(HWND owner) {
  const ScopedClipboard clipboard(OpenClipboard(owner) != FALSE);
  if (!clipboard) return std::nullopt;
  // Borrowed: the clipboard keeps owning it.
  const HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (data == nullptr) return std::nullopt;
  const auto* source = static_cast<const wchar_t*>(GlobalLock(data));
  if (source == nullptr) return std::nullopt;
  const ScopedLock locked(data);
  // A NUL ends the text, or the block's end where another program left none.
  const std::size_t capacity = GlobalSize(data) / sizeof(wchar_t);
  return std::wstring(source, std::find(source, source + capacity, L'\0'));
}

}  // namespace rupena::win32
