#pragma once
// The drop-down list of the handed-over texts that takes the picked-text
// label's place when there is more than one: a standard ComboBox, so the
// keyboard and accessibility tools work with it, each text drawn in its own
// font. The parent hands it the WM_MEASUREITEM and WM_DRAWITEM it gets for
// it and hears of a choice as CBN_SELCHANGE.

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "app/win32/scoped_gdi.h"

namespace rupena::win32 {

class TextChooser {
 public:
  TextChooser() = default;
  TextChooser(const TextChooser&) = delete;
  TextChooser& operator=(const TextChooser&) = delete;
  ~TextChooser();

  // A hidden drop-down list child of `parent`; `itemHeight` is the height
  // of its field and of each item, `fontHeight` that of their lettering.
  bool Create(HWND parent, int id, int x, int y, int width, int itemHeight, int fontHeight);
  HWND Handle() const noexcept { return combo_; }

  // Lists the choices, `chosen` chosen, and shows the list.
  void Show(const std::vector<app::TextChoice>& choices, std::size_t chosen);
  // The choice the list shows, or -1 when none.
  int Chosen() const noexcept;
  // New sizes at another scale: the fonts are made anew.
  void SetSizes(int itemHeight, int fontHeight);
  // Moves the field to (x, y), `width` wide; its list drops down as far as
  // the item height gives.
  void Place(int x, int y, int width);

  // For the parent's WM_MEASUREITEM and WM_DRAWITEM of this control.
  void MeasureItem(MEASUREITEMSTRUCT& item) const noexcept;
  void DrawItem(const DRAWITEMSTRUCT& item) const;

 private:
  void MakeFonts();

  HWND combo_ = nullptr;
  int itemHeight_ = 0;
  int fontHeight_ = 0;
  std::vector<std::wstring> texts_;
  std::vector<std::wstring> faces_;
  std::vector<ScopedFont> fonts_;  // one per choice, made in its face
};

}  // namespace rupena::win32
