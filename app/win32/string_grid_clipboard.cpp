// Copy and paste: the selected cells out as tab-separated lines, the
// clipboard's values in from the current cell to the right.
#include "app/win32/string_grid.h"

#include <optional>
#include <vector>

#include "app/win32/clipboard.h"
#include "app/win32/utf16.h"

namespace rupena::win32 {

void StringGrid::OnCopy() const {
  if (!layout_.HasDataCells()) return;
  const GridRect range = Selection();
  std::vector<std::vector<std::u16string>> rows;
  for (int row = range.top; row <= range.bottom; ++row) {
    auto& cells = rows.emplace_back();
    for (int col = range.left; col <= range.right; ++col) {
      cells.push_back(AsU16(cells_.Text(col, row)));
    }
  }
  SetClipboardText(Handle(), AsWide(app::JoinCopiedCells(rows)));
}

void StringGrid::OnPaste() {
  // Typing under way and the paste are one action.
  bool changed = StoreEdit();
  if (const std::optional<std::wstring> text = ClipboardText(Handle())) {
    // Every cell from the current one to the last column.
    const std::vector<app::CellRef> targets =
        layout_.PasteTargets(static_cast<std::size_t>(app::GridLayout::kMaxCount));
    const std::vector<std::u16string> values = app::SplitPastedValues(AsU16(*text), targets.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
      changed |= StoreTyped(targets[i].col, targets[i].row, AsWide(values[i]));
    }
  }
  if (changed) NotifyCellsChanged();
}

}  // namespace rupena::win32
