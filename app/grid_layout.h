// The arithmetic of the window's string grid: where its columns lie, how far
// the data columns scroll under the heading column, which cell a point hits,
// and which cells are current and selected. It needs nothing of a window but
// the width of the grid's client area, so it is plain C++ tested natively;
// the window class keeps the messages, the painting and the cell editor.
//
// Column 0 and row 0 are fixed headings; every other cell is a data cell.
// Only data cells can be current or selected. Pixels are client pixels of
// the grid: a column is its width followed by a one-pixel grid line.
//
// Indices out of range are ignored by setters and give -1 (or false) from
// getters; counts, widths and heights are clamped. Nothing here throws but
// std::bad_alloc from the setters that resize.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace rupena::app {

// An inclusive range of cells.
struct CellRange {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool Contains(int col, int row) const noexcept {
    return col >= left && col <= right && row >= top && row <= bottom;
  }
  friend bool operator==(const CellRange&, const CellRange&) = default;
};

struct CellRef {
  int col = -1;
  int row = -1;
  friend bool operator==(const CellRef&, const CellRef&) = default;
};

struct GridHit {
  int col = -1;     // column under the point
  int row = -1;     // row under the point
  int border = -1;  // column whose right border can be dragged from here
};

class GridLayout {
 public:
  static constexpr int kFixedCols = 1;
  static constexpr int kFixedRows = 1;
  // Room for one column per character of any text a host hands over.
  static constexpr int kMaxCount = 65536;
  static constexpr int kMaxColWidth = 10000;
  static constexpr int kMaxRowHeight = 1000;
  static constexpr int kGridLineWidth = 1;
  // How far from a border, either side, the mouse still grabs it: a
  // one-pixel line is too hard to hit.
  static constexpr int kBorderSlop = 2;

  GridLayout();

  // Counts include the heading row and column and are clamped to
  // [fixed count, kMaxCount]. New columns get the default width. The
  // current cell and the selection stay inside the data cells.
  void SetColCount(int count);
  int ColCount() const noexcept { return static_cast<int>(widths_.size()); }
  void SetRowCount(int count);
  int RowCount() const noexcept { return rowCount_; }

  // Widths are clamped to [0, kMaxColWidth].
  void SetColWidth(int col, int width);
  // Every column but the heading column, in one pass.
  void SetDataColWidths(int width);
  int ColWidth(int col) const noexcept;
  // Becomes the width of every column, as a fresh grid has.
  void SetDefaultColWidth(int width);
  int DefaultColWidth() const noexcept { return defaultColWidth_; }
  // Clamped to [0, kMaxRowHeight].
  void SetRowHeight(int height);
  int RowHeight() const noexcept { return rowHeight_; }

  // Width of the heading column with its grid line, and of all data columns.
  int FixedExtent() const noexcept;
  int DataExtent() const noexcept;
  // Left edge of a column as drawn, data columns shifted by the scrolling.
  int ColLeft(int col) const noexcept;
  int RowTop(int row) const noexcept { return row * (rowHeight_ + kGridLineWidth); }
  // Whether any of the column shows in a client area this wide: a data
  // column scrolled under the heading column does not.
  bool IsColVisible(int col, int clientWidth) const noexcept;
  // Columns and rows under a point. Borders are found in the heading row
  // only; of two borders within reach the later column's wins, so a column
  // narrowed to nothing can still be pulled open again.
  GridHit HitTest(int x, int y) const noexcept;
  // The data column shown first right of the heading column, -1 when none.
  int LeftCol() const noexcept;

  // Pixels of the data columns scrolled out to the left, always within
  // [0, MaxScroll] for the client width last given.
  int ScrollX() const noexcept { return scrollX_; }
  int MaxScroll(int clientWidth) const noexcept;
  // Clamps and stores; true when the scrolling changed.
  bool ScrollTo(int x, int clientWidth) noexcept;
  // The scrolling one step to the left or right: always a column boundary,
  // so that no column is left half hidden under the heading column.
  int LineStop(bool right) const noexcept;
  // The scrolling that shows all of `col` (or its left part when it is
  // wider than the view) and moves as little as it can.
  int ScrollToShow(int col, int clientWidth) const noexcept;

  bool HasDataCells() const noexcept { return ColCount() > kFixedCols && rowCount_ > kFixedRows; }
  bool IsDataCell(int col, int row) const noexcept;
  // {-1, -1} when there are no data cells.
  CellRef Current() const noexcept { return {curCol_, curRow_}; }
  CellRef Anchor() const noexcept { return {anchorCol_, anchorRow_}; }
  // Makes the nearest data cell current; without `extend` the selection
  // collapses onto it, with it the selection spans from the anchor to it.
  void MoveTo(int col, int row, bool extend) noexcept;
  // All -1 when there are no data cells.
  CellRange Selection() const noexcept;
  // Tab walks the data cells row by row; nullopt past the first or the last
  // one, where the keyboard leaves the grid.
  std::optional<CellRef> TabTarget(bool backwards) const noexcept;
  // The cell a selecting drag reaches with the mouse at (x, y); past an
  // edge it goes one column further than the last one shown, so a held
  // mouse keeps scrolling.
  CellRef DragTarget(int x, int y, int clientWidth) const noexcept;

  // The selected data cells, row by row: where Ctrl+Enter stores a value
  // and what Delete empties.
  std::vector<CellRef> SelectedCells() const;
  // Where `count` pasted values go: the current cell and those right of it
  // in its row; values past the last column have no cell.
  std::vector<CellRef> PasteTargets(std::size_t count) const;

 private:
  void UpdateEdges();
  void ClampCurrent() noexcept;
  int ViewWidth(int clientWidth) const noexcept;
  // Left edge of column `col` from the grid's left with nothing scrolled;
  // edges_[ColCount()] is the right end of the last grid line.
  int Edge(int col) const noexcept { return edges_[static_cast<std::size_t>(col)]; }

  int defaultColWidth_ = 32;  // before widths_, which starts with it
  std::vector<int> widths_;
  std::vector<int> edges_;  // prefix sums of width + grid line
  int rowCount_ = 2;
  int rowHeight_ = 24;
  int curCol_ = kFixedCols;
  int curRow_ = kFixedRows;
  int anchorCol_ = kFixedCols;
  int anchorRow_ = kFixedRows;
  int scrollX_ = 0;
};

}  // namespace rupena::app
