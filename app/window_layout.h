// The window's lengths as they are at 96 DPI (100 %), and the one way they
// reach a screen of another scale: each is multiplied by the window's DPI /
// 96 and rounded once, from the 96-DPI value itself. At 96 DPI nothing moves;
// at any other DPI the same layout is drawn at that size instead of being
// stretched as a bitmap. Plain C++, tested natively; the window class reads
// the table and keeps the handles.
//
// Nothing here throws but std::bad_alloc from GridLengths' setters.
#pragma once

#include <vector>

#include "app/grid_layout.h"

namespace rupena::app {

// The DPI every layout length here is given at: 96 pixels to the inch.
inline constexpr int kLayoutDpi = 96;

// `value` pixels at `fromDpi` as pixels at `toDpi`: value * toDpi / fromDpi
// rounded to the nearest integer, halves away from zero (as MulDiv does).
// Exact for every int value and DPI; a result beyond int saturates. A
// `fromDpi` of 0 or less has no scale: `value` comes back unchanged.
int ScaleLength(int value, int fromDpi, int toDpi) noexcept;

// A 96-DPI length at `dpi`.
inline int ScaleForDpi(int value, int dpi) noexcept { return ScaleLength(value, kLayoutDpi, dpi); }

// A length with the DPI it was given at. Every scaling starts from the value
// as given, so any number of DPI changes never adds up rounding: a length
// is the same at the same DPI, whatever the screens in between.
struct DpiLength {
  int value = 0;
  int dpi = kLayoutDpi;
  int At(int toDpi) const noexcept { return ScaleLength(value, dpi, toDpi); }
  friend bool operator==(const DpiLength&, const DpiLength&) = default;
};

// A control's place in its window's client area. In the 96-DPI table a
// width or height of 0 is its text's own: the window sizes such a label to
// its text in the scaled font.
struct LayoutBox {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const LayoutBox&, const LayoutBox&) = default;
};

// A 96-DPI box at `dpi`. Its edges are scaled, not its size, so boxes that
// meet at 96 DPI meet at every DPI, and a box that ends at the client
// area's edge ends at the scaled client area's edge.
LayoutBox ScaleBox(LayoutBox box, int dpi) noexcept;

// The main window at 96 DPI: what it looked like before any scaling, and
// what it still looks like at 100 %.
struct MainWindowLayout {
  int clientWidth = 487;
  int clientHeight = 325;
  // Font heights in pixels (character height, without internal leading).
  int windowFontHeight = 13;
  int pickedTextFontHeight = 16;
  int chooserFontHeight = 13;
  LayoutBox pickedTextHeading{8, 8, 0, 0};
  LayoutBox pickedText{8, 28, 0, 16};  // as wide as the text, one line high
  // In the picked text's place when several texts were handed over; its
  // height is the field's and each item's.
  LayoutBox textChooser{8, 27, 273, 14};
  LayoutBox spacingGrid{8, 48, 273, 81};
  LayoutBox cellWidthLabel{96, 140, 0, 0};
  LayoutBox widthSlider{152, 136, 134, 25};
  LayoutBox okButton{72, 168, 121, 25};
  LayoutBox cancelButton{272, 168, 121, 25};
  LayoutBox notes{288, 48, 193, 113};
  LayoutBox previewBand{8, 200, 380, 96};
  LayoutBox lengthLabel{396, 204, 0, 0};
  LayoutBox lengthBox{396, 222, 83, 22};
  LayoutBox statusLine{0, 301, 487, 24};  // the client area's bottom strip
};

inline constexpr MainWindowLayout kMainWindowLayout{};

// The string grid's lengths as they were given, so that a DPI change draws
// them again from those values rather than from pixels already rounded.
// Code gives them at 96 DPI (the width slider's value is a 96-DPI width);
// a border the user drags is given in pixels at the DPI of the time. A fresh
// object holds what a fresh GridLayout has, taken as 96-DPI values.
class GridLengths {
 public:
  GridLengths();

  // Follows the layout's column count; new columns take the default width.
  void SetColCount(int count);
  int ColCount() const noexcept { return static_cast<int>(widths_.size()); }
  // Out-of-range columns are ignored.
  void SetColWidth(int col, DpiLength width);
  // Every column but the heading column.
  void SetDataColWidths(DpiLength width);
  // Becomes every column's width too, as GridLayout's does.
  void SetDefaultColWidth(DpiLength width);
  void SetRowHeight(DpiLength height);

  DpiLength ColWidth(int col) const noexcept;
  DpiLength RowHeight() const noexcept { return rowHeight_; }

  // Gives `layout` every length at `dpi`: the row height, the default width
  // and each column's width (the column counts must agree). Linear in the
  // columns while at most a few of them differ from the others, as when
  // the user dragged some borders.
  void ApplyTo(GridLayout& layout, int dpi) const;

 private:
  DpiLength defaultWidth_;
  DpiLength rowHeight_;
  std::vector<DpiLength> widths_;
};

}  // namespace rupena::app
