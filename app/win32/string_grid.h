#pragma once
// An editable grid of strings with one fixed heading row and one fixed heading
// column, as a window class of its own: the common controls have no grid whose
// cells can be typed into. Its arithmetic (columns, scrolling, selection)
// lives in app/grid_layout.h; this class keeps the messages, the painting and
// the in-place editor, in one file per job (see the groups below).
//
// Cells hold Shift-JIS bytes. Bytes set from code are kept exactly and only
// converted (code page 932) for drawing, so a character shown in a heading is
// handed back unchanged. What the user types, an input method commits or a
// paste brings into the editable cells goes through the rules the grid was
// made with (app::CellTextRules), then is converted to code page 932; a cell
// that the rules take for no value is drawn light red. A grid without rules
// stores text as typed and marks nothing. The grid and its editor have no
// input method context, as numeric fields do.
//
// Keyboard: arrows and Tab move the current cell (Shift+arrows extend the
// selection); typing a character opens the in-place editor with it, F2 or a
// double click with the cell's text. In the editor Enter stores the text and
// makes the next cell to the right current (the last one stays), Esc drops
// the typing and closes the editor; neither reaches the window. With the
// editor closed, Enter and Esc are the dialog manager's, the window's OK and
// Cancel. Ctrl+Enter stores the typed text (or, without the editor, the
// current cell's) into every selected cell and presses nothing. Delete
// empties the selected cells; Ctrl+C (WM_COPY) copies them as tab-separated
// lines, Ctrl+V (WM_PASTE) stores the values of the clipboard's text into the
// current cell and those right of it. An Enter that ends an input method's
// composition is the composition's alone. Only cells outside the heading row
// and column can be current, selected or edited.
//
// Mouse: click and drag select a range; dragging a column's right border in
// the heading row resizes it. The data columns scroll horizontally under the
// fixed heading column.
//
// Scale: the grid draws at a DPI, its parent's when it is created. Column
// widths, the default width and the row height set from code are 96-DPI
// values; a border the user drags (or GM_SETCOLWIDTH) gives pixels at the
// DPI of the time. Each length is drawn scaled once from the value as it was
// given, so the grid looks the same on every screen, and the getters answer
// pixels as drawn. Grid lines stay one pixel.
//
// When the user changes cells (typing stored, Ctrl+Enter, Delete, a paste),
// the parent hears of it once per action: GN_CELLSCHANGED in
// string_grid_messages.h. Setting cells from code tells nobody.
//
// Indices out of range are ignored by setters and give an empty or -1 answer
// from getters. The window procedures let no exception into USER32; the C++
// setters can throw only std::bad_alloc.

#include <windows.h>

#include <string>
#include <string_view>

#include "app/grid_layout.h"
#include "app/number_input.h"
#include "app/window_layout.h"
#include "app/win32/cell_editor.h"
#include "app/win32/string_grid_cells.h"
#include "app/win32/string_grid_messages.h"
#include "app/win32/window_base.h"

namespace rupena::win32 {

using GridRect = app::CellRange;

class StringGrid final : public WindowBase, private CellEditor::Grid {
 public:
  static constexpr int kFixedCols = app::GridLayout::kFixedCols;
  static constexpr int kFixedRows = app::GridLayout::kFixedRows;
  static constexpr int kMaxColWidth = app::GridLayout::kMaxColWidth;

  explicit StringGrid(app::CellTextRules rules = {}) noexcept : cells_(rules) {}

  // A visible WS_TABSTOP child with a client edge and a horizontal scroll bar
  // that shows only when the columns are wider than the control.
  bool Create(HWND parent, int id, int x, int y, int width, int height);

  // Counts include the heading row and column and are clamped to
  // [fixed count, kMaxCount]. New columns get the default width; cells that
  // fall away are dropped.
  void SetColCount(int count);
  int ColCount() const noexcept { return layout_.ColCount(); }
  void SetRowCount(int count);
  int RowCount() const noexcept { return layout_.RowCount(); }

  void SetCellBytes(int col, int row, std::string_view bytes);
  std::string CellBytes(int col, int row) const;
  // The cell as drawn: its bytes converted from code page 932.
  std::wstring CellText(int col, int row) const;

  // 96-DPI widths; drawn widths are clamped to [0, kMaxColWidth].
  void SetColWidth(int col, int width);
  // Every column but the heading column, as the width slider sets them.
  void SetDataColWidths(int width);
  int ColWidth(int col) const noexcept { return layout_.ColWidth(col); }
  // Setting the default width gives it to every column, as a fresh grid has.
  void SetDefaultColWidth(int width);
  int DefaultColWidth() const noexcept { return layout_.DefaultColWidth(); }
  void SetDefaultRowHeight(int height);
  int DefaultRowHeight() const noexcept { return layout_.RowHeight(); }

  // Draws every length again at `dpi` (ignored unless positive). The cells,
  // the current cell, the selection and an open editor with its typing
  // stay; the editor follows its cell. A font scaled to match is the
  // parent's to send (WM_SETFONT).
  void SetDpi(int dpi);
  int Dpi() const noexcept { return dpi_; }

  // Stores what the in-place editor holds and closes it; nothing when it is
  // closed. An OK handler calls this before it reads the cells. What the
  // user typed counts as the user's change, whoever closes the editor.
  void CommitEdit() override;
  bool IsEditing() const noexcept { return editor_.IsOpen(); }

  int CurrentCol() const noexcept { return layout_.Current().col; }
  int CurrentRow() const noexcept { return layout_.Current().row; }
  // Fixed cells cannot become current; false leaves the current cell as it is.
  bool SetCurrentCell(int col, int row);
  GridRect Selection() const noexcept { return layout_.Selection(); }
  int LeftCol() const noexcept { return layout_.LeftCol(); }

 private:
  enum class Drag { None, Select, Resize };

  // string_grid.cpp: the window, its message dispatch and the grid
  // messages.
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OnCreate();
  void OnSize();
  void OnSetFont(HFONT font, bool redraw);
  void OnFocusChange();
  LRESULT OnGetText(int capacity, wchar_t* buffer) const;
  LRESULT OnGetTextLength() const;
  LRESULT OnGetColEdges(int col) const;
  LRESULT OnGetRowEdges(int row) const;
  LRESULT OnSetColWidth(int col, int width);
  // A width in pixels at the current DPI, as the user drags it.
  void SetColPixelWidth(int col, int width);
  void SetColLength(int col, app::DpiLength width);
  int TextIndent() const noexcept;
  LRESULT OnSetCurCell(int col, int row);
  void AfterCountChange();
  void Redraw() const noexcept;
  SIZE ClientSize() const noexcept;
  int ClientWidth() const noexcept { return static_cast<int>(ClientSize().cx); }
  bool IsEditable(int col, int row) const noexcept { return layout_.IsDataCell(col, row); }

  // string_grid_edit.cpp: what the user's typing, the editor and the
  // selection-wide commands store, and telling the parent of it.
  bool BeginEdit(std::wstring_view text);
  void CancelEdit();
  void OnEditorKey(UINT key) override;
  // CommitEdit without telling the parent; true when the cell changed.
  bool StoreEdit();
  bool StoreTyped(int col, int row, std::wstring_view text);
  bool StoreInSelection(std::wstring_view text);
  void NotifyCellsChanged() const;

  // string_grid_keys.cpp: the keyboard and the current cell.
  LRESULT DialogCode(const MSG* message) override;
  void OnKeyDown(UINT key);
  void OnChar(wchar_t ch);
  void OnKeyUp();
  void MoveTo(int col, int row, bool extend);

  // string_grid_mouse.cpp: selecting and resizing with the mouse.
  void OnLButtonDown(int x, int y, bool shift);
  void OnLButtonDblClk(int x, int y);
  void OnMouseMove(int x, int y);
  void OnLButtonUp();
  void OnCaptureChanged();
  LRESULT OnSetCursor(HWND cursorWindow, LPARAM lParam);

  // string_grid_clipboard.cpp: copy and paste.
  void OnCopy() const;
  void OnPaste();

  // string_grid_scroll.cpp: the data columns under the heading column.
  void OnHScroll(UINT code);
  void OnMouseWheel(int delta);
  void ScrollTo(int x);
  void MakeVisible(int col);
  void UpdateScrollBar();

  // string_grid_paint.cpp: drawing the cells.
  void OnPaint();
  void OnPrintClient(HDC dc);
  void Paint(HDC dc, SIZE size) const;
  void PaintCell(HDC dc, int col, int row, bool focused) const;
  RECT CellRect(int col, int row) const noexcept;

  HFONT font_ = nullptr;  // borrowed: WM_SETFONT's, owned by whoever sent it
  int dpi_ = app::kLayoutDpi;
  app::GridLengths lengths_;  // as given; layout_ holds them at dpi_
  app::GridLayout layout_;
  CellStore cells_;  // as many as the layout counts
  CellEditor editor_{*this};

  Drag drag_ = Drag::None;
  int resizeCol_ = -1;
  int resizeStartX_ = 0;
  int resizeStartWidth_ = 0;
};

}  // namespace rupena::win32
