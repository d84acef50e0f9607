// Drawing: headings as raised buttons, data cells with their selection and
// marking, the focus rectangle and the grid lines, off screen first.
#include "app/win32/string_grid.h"

#include <algorithm>
#include <climits>

#include "app/win32/scoped_gdi.h"

namespace rupena::win32 {

namespace {

// A cell that will count as 0 though it holds text: light enough for black
// text, and a deeper red with white text when it is selected as well.
constexpr COLORREF kNotANumber = RGB(255, 192, 192);
constexpr COLORREF kNotANumberSelected = RGB(192, 40, 40);
constexpr COLORREF kWhite = RGB(255, 255, 255);

}  // namespace

void StringGrid::OnPaint() {
  PaintOffScreen(Handle(), ClientSize(), [this](HDC dc, SIZE size) { Paint(dc, size); });
}

void StringGrid::OnPrintClient(HDC dc) {
  if (dc != nullptr) Paint(dc, ClientSize());
}

void StringGrid::Paint(HDC dc, SIZE size) const {
  const RECT all{0, 0, size.cx, size.cy};
  FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
  const HGDIOBJ font = font_ != nullptr ? static_cast<HGDIOBJ>(font_) : GetStockObject(DEFAULT_GUI_FONT);
  const ScopedSelection selectedFont = SelectScoped(dc, font);
  SetBkMode(dc, TRANSPARENT);
  const bool focused = GetFocus() == Handle();
  const int firstData = LeftCol();
  for (int row = 0; row < RowCount() && layout_.RowTop(row) < size.cy; ++row) {
    // Data cells first: one scrolled half under the heading column is then
    // painted over by the heading.
    if (firstData >= 0) {
      for (int col = firstData; col < ColCount() && layout_.ColLeft(col) < size.cx; ++col) {
        PaintCell(dc, col, row, focused);
      }
    }
    for (int col = 0; col < std::min(kFixedCols, ColCount()); ++col) {
      PaintCell(dc, col, row, focused);
    }
  }
}

void StringGrid::PaintCell(HDC dc, int col, int row, bool focused) const {
  const RECT cell = CellRect(col, row);
  const bool fixed = !IsEditable(col, row);
  const bool selected = !fixed && Selection().Contains(col, row);
  const bool marked = !fixed && cells_.IsMarked(col, row);
  const bool current = col == CurrentCol() && row == CurrentRow();

  COLORREF background = GetSysColor(COLOR_WINDOW);
  COLORREF foreground = GetSysColor(COLOR_WINDOWTEXT);
  if (fixed) {
    background = GetSysColor(COLOR_BTNFACE);
    foreground = GetSysColor(COLOR_BTNTEXT);
  } else if (marked) {
    background = selected ? kNotANumberSelected : kNotANumber;
    foreground = selected ? kWhite : GetSysColor(COLOR_WINDOWTEXT);
  } else if (selected) {
    background = GetSysColor(COLOR_HIGHLIGHT);
    foreground = GetSysColor(COLOR_HIGHLIGHTTEXT);
  }
  SetDCBrushColor(dc, background);
  FillRect(dc, &cell, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  if (fixed) {
    RECT edge = cell;
    DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT);
  }

  // The editor covers only the middle of its cell; the old text must not
  // show above and below it.
  const bool underEditor = current && IsEditing();
  const std::wstring& text = cells_.Text(col, row);
  if (!text.empty() && !underEditor) {
    RECT textRect = cell;
    textRect.left += TextIndent();
    SetTextColor(dc, foreground);
    DrawTextW(dc, text.c_str(), static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX)),
              &textRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  if (focused && current && !IsEditing()) DrawFocusRect(dc, &cell);

  // The line right of and below the cell; heading lines are darker, as the
  // headings are meant to read as buttons.
  const HBRUSH line = GetSysColorBrush(fixed ? COLOR_3DDKSHADOW : COLOR_BTNFACE);
  const int lineWidth = app::GridLayout::kGridLineWidth;
  const RECT right{cell.right, cell.top, cell.right + lineWidth, cell.bottom + lineWidth};
  const RECT bottom{cell.left, cell.bottom, cell.right + lineWidth, cell.bottom + lineWidth};
  FillRect(dc, &right, line);
  FillRect(dc, &bottom, line);
}

RECT StringGrid::CellRect(int col, int row) const noexcept {
  const int left = layout_.ColLeft(col);
  const int top = layout_.RowTop(row);
  return RECT{left, top, left + ColWidth(col), top + layout_.RowHeight()};
}

}  // namespace rupena::win32
