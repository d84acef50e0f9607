#include "app/win32/dpi.h"

#include "app/window_layout.h"
#include "app/win32/scoped_gdi.h"

namespace rupena::win32 {

namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

// A function of user32.dll that older systems lack, or nullptr. user32 is
// loaded in every process with a window; nothing is loaded here.
template <typename Function>
Function User32Function(const char* name) noexcept {
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (user32 == nullptr) return nullptr;
  // GetProcAddress hands every function out as FARPROC: the cast back to
  // the function's own type is the documented way.
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

int SystemDpi() noexcept {
  const ScopedWindowDc screen = GetDcScoped(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen.Get().dc, LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : app::kLayoutDpi;
}

}  // namespace

int WindowDpi(HWND window) noexcept {
  if (const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow")) {
    if (const UINT dpi = getDpiForWindow(window); dpi > 0) return static_cast<int>(dpi);
  }
  return SystemDpi();
}

RECT WindowRectForClient(SIZE client, DWORD style, DWORD exStyle, int dpi) noexcept {
  RECT rect{0, 0, client.cx, client.cy};
  const auto adjustForDpi =
      User32Function<AdjustWindowRectExForDpiFunction>("AdjustWindowRectExForDpi");
  if (adjustForDpi == nullptr || !adjustForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
    rect = RECT{0, 0, client.cx, client.cy};
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  }
  return rect;
}

}  // namespace rupena::win32
