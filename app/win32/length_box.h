#pragma once
// The box beside the preview that holds the length the characters span and
// takes a new one: Enter in it hands what was typed over (full-width digits,
// sign and point as ASCII, as the grid takes them) and does not press OK.
// With one character there is nothing to spread: the box only shows the
// length.

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "app/win32/window_base.h"

namespace rupena::win32 {

class LengthBox final : private ControlSubclass {
 public:
  // Gets what was typed, in CP932, when Enter is pressed in the box.
  using EnterHandler = std::function<void(std::string_view length)>;

  explicit LengthBox(EnterHandler onEnter) : onEnter_(std::move(onEnter)) {}

  // A single-line EDIT child of `parent` with the control ID `id`.
  bool Create(HWND parent, int id, int x, int y, int width, int height);
  using ControlSubclass::Handle;

  // Shows `length` (CP932); `editable` false makes the box read-only.
  void Show(std::string_view length, bool editable);

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  EnterHandler onEnter_;
};

}  // namespace rupena::win32
