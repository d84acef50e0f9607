// What the user stores into cells: the in-place editor opened and closed,
// Ctrl+Enter and Delete over the selection; and the parent told once per
// action that changed a cell.
#include "app/win32/string_grid.h"

namespace rupena::win32 {

namespace {

bool IsKeyDown(int key) noexcept { return GetKeyState(key) < 0; }

}  // namespace

bool StringGrid::BeginEdit(std::wstring_view text) {
  if (editor_.Handle() == nullptr || editor_.IsOpen() || !IsEditable(CurrentCol(), CurrentRow())) {
    return false;
  }
  MakeVisible(CurrentCol());
  editor_.Open(text, CellRect(CurrentCol(), CurrentRow()));
  Redraw();
  return true;
}

void StringGrid::CancelEdit() {
  if (!editor_.IsOpen()) return;
  editor_.Close();
  Redraw();
}

void StringGrid::CommitEdit() {
  if (StoreEdit()) NotifyCellsChanged();
}

bool StringGrid::StoreEdit() {
  if (!editor_.IsOpen()) return false;
  const std::wstring typed = editor_.Text();
  editor_.Close();
  Redraw();
  return StoreTyped(CurrentCol(), CurrentRow(), typed);
}

void StringGrid::OnEditorKey(UINT key) {
  switch (key) {
    case VK_RETURN:
      if (IsKeyDown(VK_CONTROL)) {
        // One action: the typing and the cells it is copied into.
        const bool typed = StoreEdit();
        if (StoreInSelection(CellText(CurrentCol(), CurrentRow())) || typed) NotifyCellsChanged();
      } else {
        // The cell is stored and the next one to the right becomes current,
        // as in a spreadsheet: several cells are typed, looked at, and only
        // then confirmed with OK.
        CommitEdit();
        MoveTo(CurrentCol() + 1, CurrentRow(), false);
      }
      break;
    case VK_ESCAPE:
      // The typing goes, the cell keeps the text it had, the window stays.
      CancelEdit();
      break;
    default:
      CommitEdit();
      OnKeyDown(key);
      break;
  }
}

bool StringGrid::StoreTyped(int col, int row, std::wstring_view typed) {
  if (!IsEditable(col, row) || !cells_.StoreTyped(col, row, typed)) return false;
  Redraw();
  return true;
}

bool StringGrid::StoreInSelection(std::wstring_view text) {
  // A copy: the text may be a cell's own, which the first store replaces.
  const std::wstring value(text);
  bool changed = false;
  for (const app::CellRef cell : layout_.SelectedCells()) {
    changed |= StoreTyped(cell.col, cell.row, value);
  }
  return changed;
}

// Sent, so that the parent reads the cells as the action left them.
void StringGrid::NotifyCellsChanged() const {
  const HWND parent = GetParent(Handle());
  if (parent == nullptr) return;
  const int id = GetDlgCtrlID(Handle());
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, GN_CELLSCHANGED),
               reinterpret_cast<LPARAM>(Handle()));
}

}  // namespace rupena::win32
