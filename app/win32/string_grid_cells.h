#pragma once
// The texts of the string grid's cells, apart from any window. A cell keeps
// the CP932 bytes it holds and the UTF-16 text it shows. Bytes set from code
// are kept exactly, so a heading hands back what it was given; text the user
// typed goes through the grid's rules and is stored as CP932.
//
// Cells out of range are ignored when set and read as empty. Nothing here
// throws but std::bad_alloc.

#include <string>
#include <string_view>
#include <vector>

#include "app/number_input.h"

namespace rupena::win32 {

class CellStore {
 public:
  explicit CellStore(app::CellTextRules rules) noexcept : rules_(rules) {}

  // Counts of at least 1; cells that fall away are dropped, new ones empty.
  void Resize(int cols, int rows);

  void SetBytes(int col, int row, std::string_view bytes);
  const std::string& Bytes(int col, int row) const noexcept;
  const std::wstring& Text(int col, int row) const noexcept;

  // Text as the user typed, composed or pasted it, normalised by the rules.
  // False, with the cell left alone, when the cell already shows that text:
  // opening and closing the editor must not re-encode what code put there.
  bool StoreTyped(int col, int row, std::wstring_view typed);

  // Holds text that the rules take for no value.
  bool IsMarked(int col, int row) const noexcept;

 private:
  struct Cell {
    std::string bytes;
    std::wstring text;
  };
  const Cell* Find(int col, int row) const noexcept;
  Cell* Find(int col, int row) noexcept;

  app::CellTextRules rules_;
  // cells_[col][row]; a fresh grid has its heading column and one more.
  std::vector<std::vector<Cell>> cells_ = std::vector<std::vector<Cell>>(2, std::vector<Cell>(2));
};

}  // namespace rupena::win32
