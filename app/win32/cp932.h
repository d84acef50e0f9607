#pragma once
// The one place that converts between the exchange file's Shift-JIS bytes and
// the UTF-16 text that USER32 draws and EDIT controls hold. Every conversion
// names code page 932 itself; nothing here follows the thread's ANSI code page.
//
// Contract for all functions: any input is accepted (no crash, no exception
// for byte or code unit values); the result owns its storage. Input longer
// than INT_MAX units throws std::length_error, as the Win32 calls cannot take it.

#include <optional>
#include <string>
#include <string_view>

namespace rupena::win32 {

// Bytes that are not valid CP932 (a lone lead byte, an unassigned code) come
// out as the code page's default character: fine for display, never stored.
std::wstring Cp932ToWide(std::string_view bytes);

// Same, but nullopt as soon as one byte sequence is not valid CP932.
std::optional<std::wstring> Cp932ToWideExact(std::string_view bytes);

// Characters that CP932 cannot hold (and lone surrogates) come out as "?".
std::string WideToCp932(std::wstring_view text);

// Same, but nullopt when any character has no CP932 form.
std::optional<std::string> WideToCp932Exact(std::wstring_view text);

}  // namespace rupena::win32
