// The keyboard: which keys the grid takes from the dialog manager, moving
// the current cell and the selection, and the keys that open the editor or
// store into the selected cells.
#include "app/win32/string_grid.h"

namespace rupena::win32 {

namespace {

constexpr wchar_t kCtrlC = 0x03;
constexpr wchar_t kCtrlV = 0x16;
constexpr wchar_t kDelete = 0x7F;

bool IsKeyDown(int key) noexcept { return GetKeyState(key) < 0; }

}  // namespace

LRESULT StringGrid::DialogCode(const MSG* message) {
  LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
  if (message == nullptr || message->message != WM_KEYDOWN) return code;
  // Tab walks the cells and leaves the grid after the last one, so the
  // keyboard can still reach the window's other controls.
  if (message->wParam == VK_TAB && layout_.TabTarget(IsKeyDown(VK_SHIFT))) {
    code |= DLGC_WANTTAB;
  }
  // Plain Enter stays the dialog manager's OK.
  if (message->wParam == VK_RETURN &&
      (IsKeyDown(VK_CONTROL) || editor_.IsEnterForComposition(message->wParam))) {
    code |= DLGC_WANTMESSAGE;
  }
  return code;
}

void StringGrid::OnKeyDown(UINT key) {
  const bool shift = IsKeyDown(VK_SHIFT);
  const int col = CurrentCol();
  const int row = CurrentRow();
  switch (key) {
    case VK_LEFT: MoveTo(col - 1, row, shift); break;
    case VK_RIGHT: MoveTo(col + 1, row, shift); break;
    case VK_UP: MoveTo(col, row - 1, shift); break;
    case VK_DOWN: MoveTo(col, row + 1, shift); break;
    case VK_HOME: MoveTo(kFixedCols, row, shift); break;
    case VK_END: MoveTo(ColCount() - 1, row, shift); break;
    case VK_TAB:
      if (const auto target = layout_.TabTarget(shift)) MoveTo(target->col, target->row, false);
      break;
    case VK_F2: BeginEdit(CellText(col, row)); break;
    case VK_DELETE:
      if (StoreInSelection(L"")) NotifyCellsChanged();
      break;
    // Only Ctrl+Enter and the Enter that ends a composition get here.
    case VK_RETURN:
      if (!editor_.IsEnterForComposition(key) && StoreInSelection(CellText(col, row))) {
        NotifyCellsChanged();
      }
      break;
    default: break;
  }
}

void StringGrid::OnChar(wchar_t ch) {
  if (editor_.IsOpen()) {
    // Typed ahead while the editor was opening: it belongs in the editor.
    SendMessageW(editor_.Handle(), WM_CHAR, ch, 0);
    return;
  }
  if (ch == kCtrlC) {
    OnCopy();
  } else if (ch == kCtrlV) {
    OnPaste();
  } else if (ch >= L' ' && ch != kDelete) {
    BeginEdit(std::wstring_view(&ch, 1));
  }
}

// Releasing any key ends what an Enter that closed a composition may hold.
void StringGrid::OnKeyUp() { editor_.ForgetCompositionEnter(); }

void StringGrid::MoveTo(int col, int row, bool extend) {
  if (!layout_.HasDataCells()) return;
  layout_.MoveTo(col, row, extend);
  MakeVisible(CurrentCol());
  Redraw();
}

}  // namespace rupena::win32
