// The mouse: clicking and dragging select cells, a double click opens the
// editor, dragging a heading's right border resizes its column.
#include "app/win32/string_grid.h"

namespace rupena::win32 {

void StringGrid::OnLButtonDown(int x, int y, bool shift) {
  // Taking the focus closes an open editor through its WM_KILLFOCUS, which
  // stores its text before the click moves the current cell.
  SetFocus(Handle());
  editor_.ForgetCompositionEnter();
  const app::GridHit hit = layout_.HitTest(x, y);
  if (hit.border >= 0) {
    drag_ = Drag::Resize;
    resizeCol_ = hit.border;
    resizeStartX_ = x;
    resizeStartWidth_ = ColWidth(hit.border);
    SetCapture(Handle());
    return;
  }
  if (IsEditable(hit.col, hit.row)) {
    MoveTo(hit.col, hit.row, shift);
    drag_ = Drag::Select;
    SetCapture(Handle());
  }
}

void StringGrid::OnLButtonDblClk(int x, int y) {
  const app::GridHit hit = layout_.HitTest(x, y);
  if (hit.border < 0 && IsEditable(hit.col, hit.row)) {
    MoveTo(hit.col, hit.row, false);
    BeginEdit(CellText(hit.col, hit.row));
  }
}

void StringGrid::OnMouseMove(int x, int y) {
  if (drag_ == Drag::Resize) {
    SetColPixelWidth(resizeCol_, resizeStartWidth_ + (x - resizeStartX_));
    return;
  }
  if (drag_ != Drag::Select || !layout_.HasDataCells()) return;
  // Past an edge the selection keeps growing one column per mouse move and
  // scrolls that column in.
  const app::CellRef target = layout_.DragTarget(x, y, ClientWidth());
  if (target != layout_.Current()) MoveTo(target.col, target.row, true);
}

void StringGrid::OnLButtonUp() {
  if (drag_ != Drag::None) ReleaseCapture();
  drag_ = Drag::None;
}

void StringGrid::OnCaptureChanged() { drag_ = Drag::None; }

LRESULT StringGrid::OnSetCursor(HWND cursorWindow, LPARAM lParam) {
  if (cursorWindow == Handle() && LOWORD(lParam) == HTCLIENT) {
    POINT point{};
    GetCursorPos(&point);
    ScreenToClient(Handle(), &point);
    if (drag_ == Drag::Resize || layout_.HitTest(point.x, point.y).border >= 0) {
      SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
      return TRUE;
    }
  }
  return DefaultProc(WM_SETCURSOR, reinterpret_cast<WPARAM>(cursorWindow), lParam);
}

}  // namespace rupena::win32
