#include "app/win32/window_base.h"

#include <commctrl.h>

namespace rupena::win32 {

namespace {

// One subclass of ours per control; the object is its reference data.
constexpr UINT_PTR kSubclassId = 1;

// A class of that name that routes to another procedure would never hand
// its windows to their objects: that counts as a failure, not a success.
bool RegisterOnce(HINSTANCE instance, const WindowClass& windowClass, WNDPROC procedure) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(instance, windowClass.name, &existing)) {
    return existing.lpfnWndProc == procedure;
  }
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = windowClass.style;
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hCursor = windowClass.cursor != nullptr ? LoadCursorW(nullptr, windowClass.cursor) : nullptr;
  wc.hIcon = windowClass.iconResource != 0
                 ? LoadIconW(instance, MAKEINTRESOURCEW(windowClass.iconResource))
                 : nullptr;
  wc.hbrBackground = windowClass.background;
  wc.lpszClassName = windowClass.name;
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

WindowBase::~WindowBase() {
  if (hwnd_ == nullptr) return;
  const HWND hwnd = hwnd_;
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  hwnd_ = nullptr;
  DestroyWindow(hwnd);
}

bool WindowBase::Create(HINSTANCE instance, const WindowClass& windowClass,
                        const WindowPlace& place) {
  if (hwnd_ != nullptr || !RegisterOnce(instance, windowClass, &WindowBase::WindowProc)) {
    return false;
  }
  // The handle reaches hwnd_ at WM_NCCREATE, before WM_CREATE is handled.
  CreateWindowExW(place.exStyle, windowClass.name, place.title, place.style, place.x, place.y,
                  place.width, place.height, place.parent,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(place.id)), instance, this);
  return hwnd_ != nullptr;
}

LRESULT WindowBase::OnMessageFailed(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  switch (message) {
    case WM_NCCREATE: return FALSE;
    case WM_CREATE: return -1;
    default: return DefaultProc(message, wParam, lParam);
  }
}

LRESULT CALLBACK WindowBase::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowBase* self = nullptr;
  if (message == WM_NCCREATE) {
    // A window of our class made by anything but Create() has no object and
    // stays inert.
    self = static_cast<WindowBase*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    if (self != nullptr) {
      self->hwnd_ = hwnd;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
  } else {
    self = reinterpret_cast<WindowBase*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  LRESULT result = 0;
  try {
    result = self->HandleMessage(message, wParam, lParam);
  } catch (...) {
    // Unwinding through USER32's frames is undefined behaviour.
    result = self->OnMessageFailed(message, wParam, lParam);
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

ControlSubclass::~ControlSubclass() { Detach(); }

bool ControlSubclass::Attach(HWND control) {
  if (hwnd_ != nullptr || control == nullptr ||
      !SetWindowSubclass(control, &ControlSubclass::SubclassProc, kSubclassId,
                         reinterpret_cast<DWORD_PTR>(this))) {
    return false;
  }
  hwnd_ = control;
  return true;
}

LRESULT ControlSubclass::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  return DefSubclassProc(hwnd_, message, wParam, lParam);
}

void ControlSubclass::Detach() noexcept {
  if (hwnd_ == nullptr) return;
  RemoveWindowSubclass(hwnd_, &ControlSubclass::SubclassProc, kSubclassId);
  hwnd_ = nullptr;
}

LRESULT CALLBACK ControlSubclass::SubclassProc(HWND hwnd, UINT message, WPARAM wParam,
                                               LPARAM lParam, UINT_PTR /*subclassId*/,
                                               DWORD_PTR self) {
  auto* subclass = reinterpret_cast<ControlSubclass*>(self);
  if (message == WM_NCDESTROY) {
    subclass->Detach();
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }
  try {
    return subclass->HandleMessage(message, wParam, lParam);
  } catch (...) {
    // As in WindowProc: the control treats the message as if we were not there.
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }
}

}  // namespace rupena::win32
