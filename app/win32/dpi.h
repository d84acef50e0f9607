#pragma once
// The DPI a window is drawn at, and the frame a window needs at a DPI, on
// every Windows the tool runs on. The per-window functions came with
// Windows 10 (1607) and are looked up when called, so the .exe still starts
// on Windows 7 and 8.1: there a DPI-aware process draws every window at the
// system DPI, which is what they answer with instead.

#include <windows.h>

namespace rupena::win32 {

// GetDpiForWindow where the system has it; otherwise the system DPI (the
// screen's LOGPIXELSY), and 96 when even that cannot be read.
int WindowDpi(HWND window) noexcept;

// The window rectangle around a client area of `client`, origin at the
// client area's top left, for a window of these styles (no menu) at `dpi`:
// AdjustWindowRectExForDpi where the system has it, else AdjustWindowRectEx,
// whose frame is the system DPI's, the only one there is there.
RECT WindowRectForClient(SIZE client, DWORD style, DWORD exStyle, int dpi) noexcept;

}  // namespace rupena::win32
