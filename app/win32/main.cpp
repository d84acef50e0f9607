// Program start: the application window that carries the task bar button,
// the main window owned by it, and the message loop.

#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <string>

#include "app/win32/main_window.h"
#include "app/win32/main_window_ids.h"

namespace {

using namespace rupena::win32;

constexpr wchar_t kApplicationTitle[] = L"kt62_ルペナ";

// The running executable's full path, however long.
std::filesystem::path ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

LRESULT CALLBACK ApplicationProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE) {
    // clicking the task bar button activates the owner: hand it on
    if (HWND main = FindWindowExW(nullptr, nullptr, kMainWindowClass, nullptr);
        main != nullptr && GetWindow(main, GW_OWNER) == hwnd && IsWindowVisible(main)) {
      SetActiveWindow(main);
      return 0;
    }
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A zero-sized window that only holds the task bar button and its text, so
// that the button can read differently from the main window's caption.
HWND CreateApplicationWindow(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = ApplicationProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.lpszClassName = kApplicationWindowClass;
  if (!RegisterClassExW(&wc)) return nullptr;
  const int x = GetSystemMetrics(SM_CXSCREEN) / 2;
  const int y = GetSystemMetrics(SM_CYSCREEN) / 2;
  HWND hwnd = CreateWindowExW(0, kApplicationWindowClass, kApplicationTitle,
                              WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                              x, y, 0, 0, nullptr, nullptr, instance, nullptr);
  if (hwnd != nullptr) ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  return hwnd;
}

int RunMessageLoop(HWND dialog) {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    // Tab, Enter, Esc and Alt+letter as in a dialog
    if (IsWindow(dialog) && IsDialogMessageW(dialog, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  try {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    HWND application = CreateApplicationWindow(instance);
    MainWindow window;
    if (window.Create(instance, application, ExecutablePath())) {
      window.Show();
      RunMessageLoop(window.Handle());
    }
    if (application != nullptr) DestroyWindow(application);
  } catch (...) {
    // the program has no other way to report; it ends as after Cancel
  }
  return 0;
}
