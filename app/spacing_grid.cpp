#include "app/spacing_grid.h"

#include <algorithm>
#include <cstddef>

namespace rupena::app {

namespace {

bool InRange(int col, int row, int cols) { return col >= 0 && col < cols && row >= 0 && row < 2; }

}  // namespace

void SpacingCells::SetColCount(int count) { cells_.resize(static_cast<std::size_t>(std::max(count, 0))); }

void SpacingCells::SetColWidth(int col, int width) {
  if (InRange(col, 0, ColCount())) cells_[static_cast<std::size_t>(col)].width = width;
}

int SpacingCells::ColWidth(int col) const {
  return InRange(col, 0, ColCount()) ? cells_[static_cast<std::size_t>(col)].width : 0;
}

void SpacingCells::SetCell(int col, int row, std::string_view bytes) {
  if (InRange(col, row, ColCount())) {
    cells_[static_cast<std::size_t>(col)].rows[row] = std::string(bytes);
  }
}

std::string SpacingCells::Cell(int col, int row) const {
  return InRange(col, row, ColCount()) ? cells_[static_cast<std::size_t>(col)].rows[row]
                                       : std::string();
}

}  // namespace rupena::app
