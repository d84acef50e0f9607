#pragma once
// The class of minimal_window.exe's one window, by which the start-up
// benchmark finds it.

namespace rupena::e2e {

inline constexpr wchar_t kMinimalWindowClass[] = L"RupenaMinimalWindow";

}  // namespace rupena::e2e
