// The tool's own job: the picked text as a row of cells, one per character
// with the spacing that follows it, and back from those cells to one text
// command per character, placed one after another along the text's
// direction.
//
// Works on a drawing model (the first text of its text table) and the
// exchange module's writer; needs no window beyond a two-row grid of strings.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "exchange/drawing_model.h"

namespace Unit1 {

// The grid as the layout sees it: column 0 and row 0 are headings; row 0 of
// a data column holds a character's CP932 bytes, row 1 the spacing after it
// as text. Cells hold bytes; a window implements this over its control.
class CharGrid {
 public:
  virtual ~CharGrid() = default;
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

// A grid held in memory: for the console front end and for tests.
class StringCells final : public CharGrid {
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
    int width = 32;
  };
  std::vector<Column> cells_;
};

inline constexpr int kHeadingColWidth = 64;
inline constexpr int kDefaultColWidth = 32;

// The font name without its angle brackets: "<ＭＳ ゴシック>" gives
// "ＭＳ ゴシック"; a name without them is returned unchanged.
std::string CleanFontName(std::string_view fontName);

// Fills the grid from the first text of `model`; with no text, one column
// holding a full-width space with spacing 0.
void FillGrid(const JwwGaibu::TJwwModel& model, CharGrid& grid);

// Emits what OK writes into `model`: the header, the drawing's first
// attributes, the picked text's attributes and font, a text command per
// non-blank character of the cells, and then every other handed-over text
// as it came (WriteBackOtherTexts). The model must hold a text and be
// prepared for output.
void EmitSeparatedChars(JwwGaibu::TJwwModel& model, const CharGrid& grid);

}  // namespace Unit1
