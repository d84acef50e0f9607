#pragma once
// An editable grid of strings with one fixed heading row and one fixed heading
// column, as a window class of its own: the common controls have no grid whose
// cells can be typed into.
//
// Cells hold Shift-JIS bytes. Bytes set from code are kept exactly and only
// converted (code page 932) for drawing, so a character shown in a heading is
// handed back unchanged. A cell the user edits holds the typed text, which is
// converted to code page 932 when it is stored.
//
// Keyboard: arrows and Tab move the current cell (Shift+arrows extend the
// selection); typing a character opens the in-place editor with it, F2 or a
// double click with the cell's text. In the editor Enter stores the text and
// then posts the parent's default command (IDOK) to it, Esc drops the typing
// and posts IDCANCEL, so the grid never swallows the window's OK and Cancel.
// Only cells outside the heading row and column can be current or edited.
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

#include "app/win32/string_grid_messages.h"

namespace rupena::win32 {

// Inclusive cell range.
struct GridRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  friend bool operator==(const GridRect&, const GridRect&) = default;
};

class StringGrid {
 public:
  static constexpr int kFixedCols = 1;
  static constexpr int kFixedRows = 1;
  static constexpr int kMaxCount = 4096;
  static constexpr int kMaxColWidth = 10000;
  static constexpr int kGridLineWidth = 1;

  StringGrid() = default;
  ~StringGrid();
  StringGrid(const StringGrid&) = delete;
  StringGrid& operator=(const StringGrid&) = delete;

  // A visible WS_TABSTOP child with a client edge and a horizontal scroll bar
  // that shows only when the columns are wider than the control.
  bool Create(HWND parent, int id, int x, int y, int width, int height);
  HWND Handle() const noexcept { return hwnd_; }

  // Counts include the heading row and column and are clamped to
  // [fixed count, kMaxCount]. New columns get the default width; cells that
  // fall away are dropped.
  void SetColCount(int count);
  int ColCount() const noexcept { return static_cast<int>(cells_.size()); }
  void SetRowCount(int count);
  int RowCount() const noexcept { return rowCount_; }

  void SetCellBytes(int col, int row, std::string_view bytes);
  std::string CellBytes(int col, int row) const;
  // The cell as drawn: its bytes converted from code page 932.
  std::wstring CellText(int col, int row) const;

  // Widths are clamped to [0, kMaxColWidth].
  void SetColWidth(int col, int width);
  // Every column but the heading column, as the width slider sets them.
  void SetDataColWidths(int width);
  int ColWidth(int col) const noexcept;
  // Setting the default width gives it to every column, as a fresh grid has.
  void SetDefaultColWidth(int width);
  int DefaultColWidth() const noexcept { return defaultColWidth_; }
  void SetDefaultRowHeight(int height);
  int DefaultRowHeight() const noexcept { return rowHeight_; }

  // Stores what the in-place editor holds and closes it; nothing when it is
  // closed. An OK handler calls this before it reads the cells.
  void CommitEdit();
  bool IsEditing() const noexcept { return editing_; }

  int CurrentCol() const noexcept { return curCol_; }
  int CurrentRow() const noexcept { return curRow_; }
  // Fixed cells cannot become current; false leaves the current cell as it is.
  bool SetCurrentCell(int col, int row);
  GridRect Selection() const noexcept;
  int LeftCol() const noexcept;

 private:
  struct Cell {
    std::string bytes;
    std::wstring text;
  };
  enum class Drag { None, Select, Resize };
  struct Hit {
    int col = -1;
    int row = -1;
    int border = -1;  // column whose right border is under the point
  };

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR subclassId, DWORD_PTR refData);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleEditMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // Window messages.
  bool OnCreate();
  void OnSize();
  void OnPaint();
  void OnPrintClient(HDC dc);
  void OnSetFont(HFONT font, bool redraw);
  void OnFocusChange();
  LRESULT OnGetDlgCode(const MSG* message);
  void OnKeyDown(UINT key);
  void OnChar(wchar_t ch);
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
  int FixedExtent() const noexcept;
  int DataExtent() const noexcept;
  int ViewWidth() const noexcept;
  int ColLeft(int col) const noexcept;
  int RowTop(int row) const noexcept;
  int DataOffset(int col) const noexcept;
  bool IsColVisible(int col) const noexcept;
  RECT CellRect(int col, int row) const noexcept;
  Hit HitTest(int x, int y) const noexcept;
  SIZE ClientSize() const noexcept;

  // State changes.
  bool HasDataCells() const noexcept;
  bool IsEditable(int col, int row) const noexcept;
  void MoveTo(int col, int row, bool extend);
  bool TabTarget(bool backwards, int& col, int& row) const noexcept;
  void ScrollTo(int x);
  int LineStop(bool right) const noexcept;
  void MakeVisible(int col);
  void UpdateScrollBar();
  void ClampCurrent();
  void Redraw() const noexcept;
  void StoreTyped(int col, int row, std::wstring text);

  // Drawing.
  void Paint(HDC dc, SIZE size) const;
  void PaintCell(HDC dc, int col, int row, bool focused) const;

  HWND hwnd_ = nullptr;
  HWND edit_ = nullptr;  // child of hwnd_, destroyed with it
  HFONT font_ = nullptr;  // borrowed: WM_SETFONT's, owned by whoever sent it

  std::vector<std::vector<Cell>> cells_ = std::vector<std::vector<Cell>>(2, std::vector<Cell>(2));
  std::vector<int> colWidths_ = std::vector<int>(2, 32);
  int rowCount_ = 2;
  int defaultColWidth_ = 32;
  int rowHeight_ = 24;
  int textHeight_ = 0;  // of the current font, for the editor's height

  int curCol_ = kFixedCols;
  int curRow_ = kFixedRows;
  int anchorCol_ = kFixedCols;
  int anchorRow_ = kFixedRows;
  int scrollX_ = 0;  // pixels of the data columns scrolled out to the left

  bool editing_ = false;
  Drag drag_ = Drag::None;
  int resizeCol_ = -1;
  int resizeStartX_ = 0;
  int resizeStartWidth_ = 0;
};

}  // namespace rupena::win32
