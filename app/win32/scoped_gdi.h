#pragma once
// One move-only owner for GDI and USER handles. Copying is deleted, so a handle
// can never be freed twice; moving leaves the source empty. A handle the code
// did not create (a stock object, a system colour brush, the font a parent
// handed over with WM_SETFONT) is borrowed: keep it in a plain handle, never
// in a Scoped.
//
// Destruction order matters for selections: declare the object first and its
// ScopedSelection after it, so the old object is back in the DC before the
// new one is deleted.

#include <windows.h>

#include <utility>

namespace rupena::win32 {

template <typename Traits>
class Scoped {
 public:
  using Value = typename Traits::Value;

  Scoped() noexcept = default;
  explicit Scoped(Value value) noexcept : value_(value) {}
  ~Scoped() { Close(); }

  Scoped(const Scoped&) = delete;
  Scoped& operator=(const Scoped&) = delete;
  Scoped(Scoped&& other) noexcept : value_(std::exchange(other.value_, Traits::Invalid())) {}
  Scoped& operator=(Scoped&& other) noexcept {
    if (this != &other) {
      Close();
      value_ = std::exchange(other.value_, Traits::Invalid());
    }
    return *this;
  }

  const Value& Get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return Traits::IsValid(value_); }

  // Hands ownership to the caller; the wrapper is empty afterwards.
  Value Release() noexcept { return std::exchange(value_, Traits::Invalid()); }

  void Reset(Value value = Traits::Invalid()) noexcept {
    Close();
    value_ = value;
  }

 private:
  void Close() noexcept {
    if (Traits::IsValid(value_)) {
      Traits::Close(value_);
    }
    value_ = Traits::Invalid();
  }

  Value value_ = Traits::Invalid();
};

// A handle that one call frees.
template <typename Handle, auto Free>
struct HandleTraits {
  using Value = Handle;
  static Value Invalid() noexcept { return nullptr; }
  static bool IsValid(Value value) noexcept { return value != nullptr; }
  static void Close(Value value) noexcept { Free(value); }
};

template <typename Handle>
using GdiObjectTraits = HandleTraits<Handle, &DeleteObject>;
using MemoryDcTraits = HandleTraits<HDC, &DeleteDC>;

struct WindowDc {
  HWND window = nullptr;
  HDC dc = nullptr;
};
struct WindowDcTraits {
  using Value = WindowDc;
  static Value Invalid() noexcept { return {}; }
  static bool IsValid(const Value& value) noexcept { return value.dc != nullptr; }
  static void Close(const Value& value) noexcept { ReleaseDC(value.window, value.dc); }
};

struct PaintDc {
  HWND window = nullptr;
  PAINTSTRUCT paint{};
};
struct PaintDcTraits {
  using Value = PaintDc;
  static Value Invalid() noexcept { return {}; }
  static bool IsValid(const Value& value) noexcept { return value.window != nullptr; }
  static void Close(const Value& value) noexcept { EndPaint(value.window, &value.paint); }
};

struct Selection {
  HDC dc = nullptr;
  HGDIOBJ previous = nullptr;
};
struct SelectionTraits {
  using Value = Selection;
  static Value Invalid() noexcept { return {}; }
  // SelectObject fails with NULL for everything but regions, which are never
  // selected this way.
  static bool IsValid(const Value& value) noexcept {
    return value.dc != nullptr && value.previous != nullptr;
  }
  static void Close(const Value& value) noexcept { SelectObject(value.dc, value.previous); }
};

using ScopedFont = Scoped<GdiObjectTraits<HFONT>>;
using ScopedBrush = Scoped<GdiObjectTraits<HBRUSH>>;
using ScopedPen = Scoped<GdiObjectTraits<HPEN>>;
using ScopedBitmap = Scoped<GdiObjectTraits<HBITMAP>>;
using ScopedMemoryDc = Scoped<MemoryDcTraits>;
using ScopedWindowDc = Scoped<WindowDcTraits>;
using ScopedPaint = Scoped<PaintDcTraits>;
using ScopedSelection = Scoped<SelectionTraits>;

inline ScopedSelection SelectScoped(HDC dc, HGDIOBJ object) noexcept {
  return ScopedSelection(Selection{dc, SelectObject(dc, object)});
}

inline ScopedPaint BeginPaintScoped(HWND window) noexcept {
  PaintDc value{window, {}};
  if (BeginPaint(window, &value.paint) == nullptr) {
    return ScopedPaint();
  }
  return ScopedPaint(value);
}

inline ScopedWindowDc GetDcScoped(HWND window) noexcept {
  return ScopedWindowDc(WindowDc{window, GetDC(window)});
}

// Answers WM_PAINT for a window that draws its whole client area, `size`,
// with `paint(dc, size)`: off screen first and copied in one go, so that a
// redraw on every keystroke or drag does not flicker; straight onto the
// screen when no memory bitmap can be had.
template <typename Paint>
void PaintOffScreen(HWND window, SIZE size, Paint&& paint) {
  const ScopedPaint painting = BeginPaintScoped(window);
  if (!painting) return;
  const HDC screen = painting.Get().paint.hdc;
  if (size.cx <= 0 || size.cy <= 0) return;
  const ScopedMemoryDc memory(CreateCompatibleDC(screen));
  const ScopedBitmap bitmap(memory ? CreateCompatibleBitmap(screen, size.cx, size.cy) : nullptr);
  if (!bitmap) {
    paint(screen, size);
    return;
  }
  const ScopedSelection selected = SelectScoped(memory.Get(), bitmap.Get());
  paint(memory.Get(), size);
  BitBlt(screen, 0, 0, size.cx, size.cy, memory.Get(), 0, 0, SRCCOPY);
}

}  // namespace rupena::win32
