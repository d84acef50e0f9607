// Program start: the application window that carries the task bar button,
// the main window owned by it, and the message loop.

#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <string>

#include "app/win32/main_window.h"
#include "app/win32/main_window_ids.h"
#include "app/win32/window_base.h"

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

// A zero-sized window that only holds the task bar button and its text, so
// that the button can read differently from the main window's caption.
class ApplicationWindow final : public WindowBase {
 public:
  // Created shown, without taking the activation.
  bool Create(HINSTANCE instance) {
    WindowClass windowClass;
    windowClass.name = kApplicationWindowClass;
    windowClass.iconResource = kAppIconResource;
    if (!WindowBase::Create(instance, windowClass,
                            {.title = kApplicationTitle,
                             .style = WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU |
                                      WS_MINIMIZEBOX,
                             .x = GetSystemMetrics(SM_CXSCREEN) / 2,
                             .y = GetSystemMetrics(SM_CYSCREEN) / 2})) {
      return false;
    }
    ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    return true;
  }

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_ACTIVATE:
        if (OnActivate(LOWORD(wParam) != WA_INACTIVE)) return 0;
        break;
    }
    return DefaultProc(message, wParam, lParam);
  }

  // Clicking the task bar button activates this window: it hands the
  // activation on to the main window it owns.
  bool OnActivate(bool active) {
    if (!active) return false;
    const HWND main = FindWindowExW(nullptr, nullptr, kMainWindowClass, nullptr);
    if (main == nullptr || GetWindow(main, GW_OWNER) != Handle() || !IsWindowVisible(main)) {
      return false;
    }
    SetActiveWindow(main);
    return true;
  }
};

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
    // Without it the main window carries the task bar button itself.
    ApplicationWindow application;
    application.Create(instance);
    MainWindow window;
    if (window.Create(instance, application.Handle(), ExecutablePath())) {
      window.Show();
      RunMessageLoop(window.Handle());
    }
  } catch (...) {
    // the program has no other way to report; it ends as after Cancel
  }
  return 0;
}
