#pragma once
// An editable grid of strings with one fixed heading row and one fixed heading
// column, as a window class of its own: the common controls have no grid whose
// cells can be typed into. Its arithmetic (columns, scrolling, selection)
// lives in app/grid_layout.h; this class keeps the messages, the painting and
// the in-place editor.
//
// Cells hold Shift-JIS bytes. Bytes set from code are kept exactly and only
// converted (code page 932) for drawing, so a character shown in a heading is
// handed back unchanged. The editable cells take numbers only: what the user
// types, an input method commits or a paste brings is stored with full-width
// digits and signs turned into ASCII, then converted to code page 932. A
// cell that holds text but no number is drawn light red. The grid and its
// editor have no input method context, as numeric fields do.
//
// Keyboard: arrows and Tab move the current cell (Shift+arrows extend the
// selection); typing a character opens the in-place editor with it, F2 or a
// double click with the cell's text. In the editor Enter stores the text and
// then posts the parent's default command (IDOK) to it, Esc drops the typing
// and posts IDCANCEL, so the grid never swallows the window's OK and Cancel.
// Ctrl+Enter stores the typed text (or, without the editor, the current
// cell's) into every selected cell and presses nothing. Delete empties the
// selected cells; Ctrl+C (WM_COPY) copies them as tab-separated lines,
// Ctrl+V (WM_PASTE) stores the values of the clipboard's text into the
// current cell and those right of it. An Enter that ends an input method's
// composition never posts IDOK. Only cells outside the heading row and
// column can be current, selected or edited.
//
// Mouse: click and drag select a range; dragging a column's right border in
// the heading row resizes it. The data columns scroll horizontally under the
// fixed heading column.
//
// Indices out of range are ignored by setters and give an empty or -1 answer
// from getters. The window procedures let no exception into USER32; the C++
// setters can throw only std::bad_alloc.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "app/grid_layout.h"
#include "app/win32/string_grid_messages.h"
#include "app/win32/window_base.h"

namespace rupena::win32 {

using GridRect = app::CellRange;

class StringGrid final : public WindowBase {
 public:
  static constexpr int kFixedCols = app::GridLayout::kFixedCols;
  static constexpr int kFixedRows = app::GridLayout::kFixedRows;
  static constexpr int kMaxColWidth = app::GridLayout::kMaxColWidth;

  StringGrid() = default;

  // A visible WS_TABSTOP child with a client edge and a horizontal scroll bar
  // that shows only when the columns are wider than the control.
  bool Create(HWND parent, int id, int x, int y, int width, int height);

  // Counts include the heading row and column and are clamped to
  // [fixed count, kMaxCount]. New columns get the default width; cells that
  // fall away are dropped.
  void SetColCount(int count);
  int ColCount() const noexcept { return static_cast<int>(cells_.size()); }
  void SetRowCount(int count);
  int RowCount() const noexcept { return layout_.RowCount(); }

  void SetCellBytes(int col, int row, std::string_view bytes);
  std::string CellBytes(int col, int row) const;
  // The cell as drawn: its bytes converted from code page 932.
  std::wstring CellText(int col, int row) const;

  // Widths are clamped to [0, kMaxColWidth].
  void SetColWidth(int col, int width);
  // Every column but the heading column, as the width slider sets them.
  void SetDataColWidths(int width);
  int ColWidth(int col) const noexcept { return layout_.ColWidth(col); }
  // Setting the default width gives it to every column, as a fresh grid has.
  void SetDefaultColWidth(int width);
  int DefaultColWidth() const noexcept { return layout_.DefaultColWidth(); }
  void SetDefaultRowHeight(int height);
  int DefaultRowHeight() const noexcept { return layout_.RowHeight(); }

  // Stores what the in-place editor holds and closes it; nothing when it is
  // closed. An OK handler calls this before it reads the cells.
  void CommitEdit();
  bool IsEditing() const noexcept { return editing_; }

  int CurrentCol() const noexcept { return layout_.Current().col; }
  int CurrentRow() const noexcept { return layout_.Current().row; }
  // Fixed cells cannot become current; false leaves the current cell as it is.
  bool SetCurrentCell(int col, int row);
  GridRect Selection() const noexcept { return layout_.Selection(); }
  int LeftCol() const noexcept { return layout_.LeftCol(); }

 private:
  struct Cell {
    std::string bytes;
    std::wstring text;
  };
  enum class Drag { None, Select, Resize };

  // The in-place editor's messages, handled by the grid.
  class EditorSubclass final : public ControlSubclass {
   public:
    explicit EditorSubclass(StringGrid& grid) : grid_(grid) {}
    using ControlSubclass::Attach;
    using ControlSubclass::DefaultProc;

   private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
      return grid_.HandleEditMessage(message, wParam, lParam);
    }
    StringGrid& grid_;
  };

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT HandleEditMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // Window messages.
  bool OnCreate();
  void OnNcDestroy();
  void OnSize();
  void OnPaint();
  void OnPrintClient(HDC dc);
  void OnSetFont(HFONT font, bool redraw);
  void OnFocusChange();
  LRESULT OnGetDlgCode(const MSG* message);
  void OnKeyDown(UINT key);
  void OnChar(wchar_t ch);
  void OnCopy() const;
  void OnPaste();
  void OnKeyUp();
  void OnComposition(UINT message);
  void OnLButtonDown(int x, int y, bool shift);
  void OnLButtonDblClk(int x, int y);
  void OnMouseMove(int x, int y);
  void OnLButtonUp();
  void OnCaptureChanged();
  LRESULT OnSetCursor(HWND cursorWindow, LPARAM lParam);
  void OnHScroll(UINT code);
  void OnMouseWheel(int delta);
  LRESULT OnGetText(int capacity, wchar_t* buffer) const;
  LRESULT OnGetTextLength() const;

  // Grid messages.
  LRESULT OnGetColEdges(int col) const;
  LRESULT OnGetRowEdges(int row) const;
  LRESULT OnSetColWidth(int col, int width);
  LRESULT OnSetCurCell(int col, int row);

  // Editor messages.
  LRESULT OnEditorGetDlgCode(WPARAM wParam, LPARAM lParam);
  LRESULT OnEditorKeyDown(WPARAM wParam, LPARAM lParam);
  LRESULT OnEditorChar(WPARAM wParam, LPARAM lParam);
  LRESULT OnEditorKillFocus(WPARAM wParam, LPARAM lParam);

  // Editor.
  bool BeginEdit(std::wstring_view text);
  void CancelEdit();
  void HideEditor();
  void PlaceEditor();
  void ForwardCommand(int id);

  // Geometry, in client pixels.
  RECT CellRect(int col, int row) const noexcept;
  SIZE ClientSize() const noexcept;
  int ClientWidth() const noexcept { return static_cast<int>(ClientSize().cx); }

  // State changes.
  bool IsEditable(int col, int row) const noexcept { return layout_.IsDataCell(col, row); }
  bool IsEnterForComposition(WPARAM key) const noexcept;
  void MoveTo(int col, int row, bool extend);
  void ScrollTo(int x);
  void MakeVisible(int col);
  void UpdateScrollBar();
  void AfterCountChange();
  void Redraw() const noexcept;
  void StoreTyped(int col, int row, std::wstring_view text);
  void StoreInSelection(std::wstring_view text);

  // Drawing.
  void Paint(HDC dc, SIZE size) const;
  void PaintCell(HDC dc, int col, int row, bool focused) const;

  HWND edit_ = nullptr;  // child of the grid, destroyed with it
  EditorSubclass editor_{*this};
  HFONT font_ = nullptr;  // borrowed: WM_SETFONT's, owned by whoever sent it

  app::GridLayout layout_;
  // cells_[col][row], as many as the layout counts.
  std::vector<std::vector<Cell>> cells_ = std::vector<std::vector<Cell>>(2, std::vector<Cell>(2));
  int textHeight_ = 0;  // of the current font, for the editor's height

  bool editing_ = false;
  // An input method composes in the grid or its editor; or ended its
  // composition and the key that ended it is not yet released.
  bool composing_ = false;
  bool compositionEnter_ = false;
  Drag drag_ = Drag::None;
  int resizeCol_ = -1;
  int resizeStartX_ = 0;
  int resizeStartWidth_ = 0;
};

}  // namespace rupena::win32
