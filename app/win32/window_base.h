#pragma once
// The one way our windows meet USER32.
//
// WindowBase: a window of a class of our own. Create() registers the class
// the first time a window of that name is made and creates the window with
// the object as its handler: the class's window procedure stores `this` at
// WM_NCCREATE and forwards every later message to HandleMessage(). An
// exception that escapes HandleMessage() never unwinds into USER32: the
// procedure catches it and answers with OnMessageFailed(). At WM_NCDESTROY,
// after the handler ran, the window forgets the object and the object its
// handle, so Handle() is nullptr once the window is gone.
//
// ControlSubclass: a window of a system class (an EDIT, say) whose messages
// pass through the object first (SetWindowSubclass). The same rules hold:
// an exception gets the control's own treatment instead, and the subclass is
// removed at WM_NCDESTROY or when the object goes, whichever comes first.
//
// Both are neither copied nor moved: the window holds their address. An
// object that dies before its window first takes itself off it, so no
// message reaches a half-destroyed object; a WindowBase then destroys its
// window, a ControlSubclass leaves the control to the parent it belongs to.

#include <windows.h>

namespace rupena::win32 {

// What a window class of ours looks like. Handles are borrowed: system
// cursors and stock brushes need no freeing.
struct WindowClass {
  const wchar_t* name = nullptr;
  UINT style = 0;
  const wchar_t* cursor = nullptr;  // a system cursor (IDC_ARROW, ...) or none
  int iconResource = 0;             // an icon of the module by number, or none
  HBRUSH background = nullptr;
};

// Where and how a window is created: CreateWindowExW's arguments but the
// class and the creation parameter, which Create() supplies.
struct WindowPlace {
  DWORD exStyle = 0;
  const wchar_t* title = L"";
  DWORD style = 0;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  HWND parent = nullptr;  // the owner of a top-level window
  int id = 0;             // control ID of a child window
};

class WindowBase {
 public:
  WindowBase(const WindowBase&) = delete;
  WindowBase& operator=(const WindowBase&) = delete;

  HWND Handle() const noexcept { return hwnd_; }

 protected:
  WindowBase() = default;
  virtual ~WindowBase();

  // False when the class could not be registered, the window not created,
  // or when this object already has a window.
  bool Create(HINSTANCE instance, const WindowClass& windowClass, const WindowPlace& place);

  // One message; what it does not handle goes to DefaultProc().
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // The answer to a message whose handler threw: a failed creation, the
  // default treatment for anything else.
  virtual LRESULT OnMessageFailed(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
};

class ControlSubclass {
 public:
  ControlSubclass(const ControlSubclass&) = delete;
  ControlSubclass& operator=(const ControlSubclass&) = delete;

  HWND Handle() const noexcept { return hwnd_; }

 protected:
  ControlSubclass() = default;
  virtual ~ControlSubclass();

  // Routes the control's messages through HandleMessage(); false when it
  // failed or this object already has a control.
  bool Attach(HWND control);

  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // The control's own treatment of a message.
  LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) noexcept;

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR subclassId, DWORD_PTR self);
  void Detach() noexcept;

  HWND hwnd_ = nullptr;
};

}  // namespace rupena::win32
