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

  // Where the list will go: a child of `parent` at (x, y), `width` wide,
  // just after `previous` in the tab and reading order; `itemHeight` is the
  // height of its field and of each item, `fontHeight` that of their
  // lettering. The ComboBox itself is made by the first Show: most runs
  // hand over a single text, and under Wine a ComboBox with its list costs
  // a third of what all the other controls together cost to make.
  void Prepare(HWND parent, int id, HWND previous, int x, int y, int width, int itemHeight,
               int fontHeight);
  // The ComboBox once shown, null before.
  HWND Handle() const noexcept { return combo_; }

  // Lists the choices, `chosen` chosen, and shows the list, made now if it
  // was not yet.
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
  bool MakeCombo();

  HWND parent_ = nullptr;
  int id_ = 0;
  HWND previous_ = nullptr;
  int x_ = 0;
  int y_ = 0;
  int width_ = 0;
  HWND combo_ = nullptr;
  int itemHeight_ = 0;
  int fontHeight_ = 0;
  std::vector<std::wstring> texts_;
  std::vector<std::wstring> faces_;
  std::vector<ScopedFont> fonts_;  // one per choice, made in its face
};

}  // namespace rupena::win32
