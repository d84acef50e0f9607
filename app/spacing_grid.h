// The grid of the picked text's characters as the tool's logic sees it: one
// column per character, the character in row 0 and the spacing that follows
// it, as text, in row 1. Column 0 and row 0 are headings. Cells hold CP932
// bytes; the window implements the grid over its control, tests and the
// console tool over SpacingCells.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rupena::app {

inline constexpr int kHeadingColWidth = 64;
inline constexpr int kDefaultColWidth = 32;

class SpacingGrid {
 public:
  virtual ~SpacingGrid() = default;
  virtual void SetColCount(int count) = 0;
  virtual int ColCount() const = 0;
  virtual void SetColWidth(int col, int width) = 0;
  // Every column but the heading column. A window grid does it in one pass.
  virtual void SetDataColWidths(int width) {
    for (int col = 1; col < ColCount(); ++col) SetColWidth(col, width);
  }
  virtual void SetCell(int col, int row, std::string_view bytes) = 0;
  virtual std::string Cell(int col, int row) const = 0;
};

// A grid held in memory. Cells out of range are ignored when set and read
// as "".
class SpacingCells final : public SpacingGrid {
 public:
  void SetColCount(int count) override;
  int ColCount() const override { return static_cast<int>(cells_.size()); }
  void SetColWidth(int col, int width) override;
  int ColWidth(int col) const;
  void SetCell(int col, int row, std::string_view bytes) override;
  std::string Cell(int col, int row) const override;

 private:
  struct Column {
    std::string rows[2];
    int width = kDefaultColWidth;
  };
  std::vector<Column> cells_;
};

}  // namespace rupena::app
