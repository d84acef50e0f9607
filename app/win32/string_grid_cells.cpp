#include "app/win32/string_grid_cells.h"

#include "app/win32/cp932.h"
#include "app/win32/utf16.h"

namespace rupena::win32 {

namespace {

std::size_t Index(int i) noexcept { return static_cast<std::size_t>(i); }

}  // namespace

void CellStore::Resize(int cols, int rows) {
  const std::size_t rowCount = Index(rows < 1 ? 1 : rows);
  cells_.resize(Index(cols < 1 ? 1 : cols));
  for (auto& column : cells_) column.resize(rowCount);
}

const CellStore::Cell* CellStore::Find(int col, int row) const noexcept {
  if (col < 0 || Index(col) >= cells_.size() || row < 0 || Index(row) >= cells_[0].size()) {
    return nullptr;
  }
  return &cells_[Index(col)][Index(row)];
}

CellStore::Cell* CellStore::Find(int col, int row) noexcept {
  return const_cast<Cell*>(static_cast<const CellStore&>(*this).Find(col, row));
}

void CellStore::SetBytes(int col, int row, std::string_view bytes) {
  if (Cell* cell = Find(col, row)) {
    cell->bytes.assign(bytes);
    cell->text = Cp932ToWide(bytes);
  }
}

const std::string& CellStore::Bytes(int col, int row) const noexcept {
  static const std::string empty;
  const Cell* cell = Find(col, row);
  return cell != nullptr ? cell->bytes : empty;
}

const std::wstring& CellStore::Text(int col, int row) const noexcept {
  static const std::wstring empty;
  const Cell* cell = Find(col, row);
  return cell != nullptr ? cell->text : empty;
}

bool CellStore::StoreTyped(int col, int row, std::wstring_view typed) {
  Cell* cell = Find(col, row);
  if (cell == nullptr) return false;
  const std::wstring text =
      rules_.normalise != nullptr ? AsWide(rules_.normalise(AsU16(typed))) : std::wstring(typed);
  if (text == cell->text) return false;
  cell->bytes = WideToCp932(text);
  // Shown as it will be handed back, so a character CP932 lacks is seen as "?".
  cell->text = Cp932ToWide(cell->bytes);
  return true;
}

bool CellStore::IsMarked(int col, int row) const noexcept {
  const Cell* cell = Find(col, row);
  return cell != nullptr && rules_.isNotANumber != nullptr && rules_.isNotANumber(cell->bytes);
}

}  // namespace rupena::win32
