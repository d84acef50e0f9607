#include "app/grid_layout.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace rupena::app {

namespace {

std::size_t Index(int i) noexcept { return static_cast<std::size_t>(i); }

// Column edges are pixel sums in an int.
static_assert(std::int64_t{GridLayout::kMaxCount} * (GridLayout::kMaxColWidth + GridLayout::kGridLineWidth) <
              std::int64_t{INT32_MAX});

}  // namespace

GridLayout::GridLayout() : widths_(2, defaultColWidth_) { UpdateEdges(); }

void GridLayout::SetColCount(int count) {
  count = std::clamp(count, kFixedCols, kMaxCount);
  widths_.resize(Index(count), defaultColWidth_);
  UpdateEdges();
  ClampCurrent();
}

void GridLayout::SetRowCount(int count) {
  rowCount_ = std::clamp(count, kFixedRows, kMaxCount);
  ClampCurrent();
}

void GridLayout::SetColWidth(int col, int width) {
  if (col < 0 || col >= ColCount()) return;
  widths_[Index(col)] = std::clamp(width, 0, kMaxColWidth);
  UpdateEdges();
}

void GridLayout::SetDataColWidths(int width) {
  std::fill(widths_.begin() + std::min(kFixedCols, ColCount()), widths_.end(),
            std::clamp(width, 0, kMaxColWidth));
  UpdateEdges();
}

int GridLayout::ColWidth(int col) const noexcept {
  return col < 0 || col >= ColCount() ? -1 : widths_[Index(col)];
}

void GridLayout::SetDefaultColWidth(int width) {
  defaultColWidth_ = std::clamp(width, 0, kMaxColWidth);
  std::fill(widths_.begin(), widths_.end(), defaultColWidth_);
  UpdateEdges();
}

void GridLayout::SetRowHeight(int height) { rowHeight_ = std::clamp(height, 0, kMaxRowHeight); }

// One pass per change, so that every question about a column afterwards is
// a lookup or a binary search rather than a walk over the columns before it.
void GridLayout::UpdateEdges() {
  edges_.resize(widths_.size() + 1);
  int edge = 0;
  for (std::size_t col = 0; col < widths_.size(); ++col) {
    edges_[col] = edge;
    edge += widths_[col] + kGridLineWidth;
  }
  edges_.back() = edge;
}

int GridLayout::FixedExtent() const noexcept { return Edge(std::min(kFixedCols, ColCount())); }

int GridLayout::DataExtent() const noexcept { return Edge(ColCount()) - FixedExtent(); }

int GridLayout::ViewWidth(int clientWidth) const noexcept {
  return std::max(0, clientWidth - FixedExtent());
}

int GridLayout::ColLeft(int col) const noexcept {
  if (col < 0 || col >= ColCount()) return -1;
  return col < kFixedCols ? Edge(col) : Edge(col) - scrollX_;
}

bool GridLayout::IsColVisible(int col, int clientWidth) const noexcept {
  if (col < 0 || col >= ColCount()) return false;
  const int left = ColLeft(col);
  if (left >= clientWidth) return false;
  return col < kFixedCols || left + widths_[Index(col)] + kGridLineWidth > FixedExtent();
}

GridHit GridLayout::HitTest(int x, int y) const noexcept {
  GridHit hit;
  if (x < 0 || y < 0) return hit;
  const int rowPitch = rowHeight_ + kGridLineWidth;
  if (y / rowPitch < rowCount_) hit.row = y / rowPitch;
  const int fixedCols = std::min(kFixedCols, ColCount());
  const int fixedRight = FixedExtent();
  const auto first = edges_.begin();

  // A column owns its width and the grid line after it: [left, right].
  if (x < fixedRight) {
    hit.col = static_cast<int>(std::upper_bound(first, first + fixedCols + 1, x) - first) - 1;
  } else if (const int unscrolled = x + scrollX_; unscrolled < Edge(ColCount())) {
    hit.col = static_cast<int>(std::upper_bound(first + fixedCols, edges_.end(), unscrolled) - first) - 1;
  }

  if (hit.row < 0 || hit.row >= kFixedRows) return hit;
  // Right borders grow with the column index, so the last one at or left of
  // x + slop is the only candidate on each side of the heading column; a
  // data column's border is one only where it is not under that column.
  const auto within = [x](int right) { return std::abs(x - right) <= kBorderSlop; };
  const auto lastDataEnd = std::upper_bound(first + fixedCols + 1, edges_.end(),
                                            x + kBorderSlop + 1 + scrollX_);
  if (lastDataEnd - first > fixedCols + 1) {
    const int col = static_cast<int>(lastDataEnd - first) - 2;
    const int right = Edge(col + 1) - kGridLineWidth - scrollX_;
    if (right >= fixedRight && within(right)) {
      hit.border = col;
      return hit;
    }
  }
  for (int col = fixedCols - 1; col >= 0; --col) {
    if (within(Edge(col + 1) - kGridLineWidth)) {
      hit.border = col;
      break;
    }
  }
  return hit;
}

int GridLayout::LeftCol() const noexcept {
  if (ColCount() <= kFixedCols) return -1;
  // The first data column whose grid line lies past the scrolled-out part.
  const auto end = std::upper_bound(edges_.begin() + kFixedCols + 1, edges_.end(),
                                    FixedExtent() + scrollX_);
  if (end == edges_.end()) return ColCount() - 1;
  return static_cast<int>(end - edges_.begin()) - 1;
}

int GridLayout::MaxScroll(int clientWidth) const noexcept {
  return std::max(0, DataExtent() - ViewWidth(clientWidth));
}

bool GridLayout::ScrollTo(int x, int clientWidth) noexcept {
  const int target = std::clamp(x, 0, MaxScroll(clientWidth));
  if (target == scrollX_) return false;
  scrollX_ = target;
  return true;
}

int GridLayout::LineStop(bool right) const noexcept {
  if (ColCount() <= kFixedCols) return 0;
  const auto begin = edges_.begin() + kFixedCols;
  const int fixed = FixedExtent();
  if (right) {
    const auto next = std::upper_bound(begin, edges_.end(), fixed + scrollX_);
    return next == edges_.end() ? DataExtent() : *next - fixed;
  }
  const auto atOrPast = std::lower_bound(begin, edges_.end(), fixed + scrollX_);
  return atOrPast == begin ? 0 : *(atOrPast - 1) - fixed;
}

int GridLayout::ScrollToShow(int col, int clientWidth) const noexcept {
  if (col < kFixedCols || col >= ColCount()) return scrollX_;
  const int left = Edge(col) - FixedExtent();
  const int right = Edge(col + 1) - FixedExtent();
  const int view = ViewWidth(clientWidth);
  int target = scrollX_;
  if (right > target + view) target = right - view;
  return std::min(target, left);
}

bool GridLayout::IsDataCell(int col, int row) const noexcept {
  return col >= kFixedCols && col < ColCount() && row >= kFixedRows && row < rowCount_;
}

void GridLayout::MoveTo(int col, int row, bool extend) noexcept {
  if (!HasDataCells()) return;
  curCol_ = std::clamp(col, kFixedCols, ColCount() - 1);
  curRow_ = std::clamp(row, kFixedRows, rowCount_ - 1);
  if (!extend) {
    anchorCol_ = curCol_;
    anchorRow_ = curRow_;
  }
}

void GridLayout::ClampCurrent() noexcept {
  if (!HasDataCells()) {
    curCol_ = curRow_ = anchorCol_ = anchorRow_ = -1;
    return;
  }
  const auto clampCol = [this](int col) { return std::clamp(col, kFixedCols, ColCount() - 1); };
  const auto clampRow = [this](int row) { return std::clamp(row, kFixedRows, rowCount_ - 1); };
  curCol_ = clampCol(curCol_);
  curRow_ = clampRow(curRow_);
  anchorCol_ = clampCol(anchorCol_);
  anchorRow_ = clampRow(anchorRow_);
}

CellRange GridLayout::Selection() const noexcept {
  if (!HasDataCells()) return {-1, -1, -1, -1};
  return {std::min(anchorCol_, curCol_), std::min(anchorRow_, curRow_),
          std::max(anchorCol_, curCol_), std::max(anchorRow_, curRow_)};
}

std::optional<CellRef> GridLayout::TabTarget(bool backwards) const noexcept {
  if (!HasDataCells()) return std::nullopt;
  CellRef target{curCol_ + (backwards ? -1 : 1), curRow_};
  if (target.col >= ColCount()) {
    target = {kFixedCols, curRow_ + 1};
  } else if (target.col < kFixedCols) {
    target = {ColCount() - 1, curRow_ - 1};
  }
  if (target.row < kFixedRows || target.row >= rowCount_) return std::nullopt;
  return target;
}

CellRef GridLayout::DragTarget(int x, int y, int clientWidth) const noexcept {
  if (!HasDataCells()) return {};
  const int fixedRight = FixedExtent();
  const int lastCol = ColCount() - 1;
  const GridHit hit = HitTest(std::clamp(x, fixedRight, std::max(fixedRight, clientWidth - 1)),
                              std::max(y, RowTop(kFixedRows)));
  CellRef target{hit.col >= kFixedCols ? hit.col : lastCol,
                 hit.row >= kFixedRows ? hit.row : rowCount_ - 1};
  if (x < fixedRight) {
    target.col = std::max(kFixedCols, LeftCol() - 1);
  } else if (x >= clientWidth && target.col < lastCol) {
    ++target.col;
  }
  return target;
}

std::vector<CellRef> GridLayout::SelectedCells() const {
  std::vector<CellRef> cells;
  if (!HasDataCells()) return cells;
  const CellRange range = Selection();
  cells.reserve(Index((range.right - range.left + 1) * (range.bottom - range.top + 1)));
  for (int row = range.top; row <= range.bottom; ++row) {
    for (int col = range.left; col <= range.right; ++col) cells.push_back({col, row});
  }
  return cells;
}

std::vector<CellRef> GridLayout::PasteTargets(std::size_t count) const {
  std::vector<CellRef> cells;
  if (!HasDataCells()) return cells;
  const std::size_t room = Index(ColCount() - curCol_);
  cells.reserve(std::min(count, room));
  for (int col = curCol_; col < ColCount() && cells.size() < count; ++col) {
    cells.push_back({col, curRow_});
  }
  return cells;
}

}  // namespace rupena::app
