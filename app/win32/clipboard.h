#pragma once
// Plain text on the clipboard, as UTF-16 (CF_UNICODETEXT), which the system
// converts to and from the other text formats for other programs.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace rupena::win32 {

// Replaces the clipboard's content with the text; false when the clipboard
// could not be opened or the memory not had. `owner` becomes its owner.
bool SetClipboardText(HWND owner, std::wstring_view text);

// The clipboard's text up to its first NUL; nullopt when it holds none or
// cannot be opened.
std::optional<std::wstring> ClipboardText(HWND owner);

}  // namespace rupena::win32
