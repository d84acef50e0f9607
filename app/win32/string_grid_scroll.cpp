// Horizontal scrolling: the data columns move under the fixed heading
// column, by the scroll bar, the wheel, or to show the current cell.
#include "app/win32/string_grid.h"

#include <algorithm>

namespace rupena::win32 {

void StringGrid::OnHScroll(UINT code) {
  int target = layout_.ScrollX();
  const int page = std::max(ClientWidth() - layout_.FixedExtent(), 1);
  switch (code) {
    case SB_LEFT: target = 0; break;
    case SB_RIGHT: target = layout_.DataExtent(); break;
    case SB_PAGELEFT: target -= page; break;
    case SB_PAGERIGHT: target += page; break;
    case SB_LINELEFT: target = layout_.LineStop(false); break;
    case SB_LINERIGHT: target = layout_.LineStop(true); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO info{};
      info.cbSize = sizeof(info);
      info.fMask = SIF_TRACKPOS;
      if (GetScrollInfo(Handle(), SB_HORZ, &info)) target = info.nTrackPos;
      break;
    }
    default: return;
  }
  // The editor sits over one cell; rather than chase it across the heading
  // column, its text is stored and it closes.
  CommitEdit();
  ScrollTo(target);
}

void StringGrid::OnMouseWheel(int delta) {
  if (delta != 0) OnHScroll(delta > 0 ? SB_LINELEFT : SB_LINERIGHT);
}

void StringGrid::ScrollTo(int x) {
  if (layout_.ScrollTo(x, ClientWidth())) {
    UpdateScrollBar();
    Redraw();
  }
}

void StringGrid::MakeVisible(int col) {
  if (Handle() != nullptr) ScrollTo(layout_.ScrollToShow(col, ClientWidth()));
}

void StringGrid::UpdateScrollBar() {
  if (Handle() == nullptr) return;
  const int width = ClientWidth();
  layout_.ScrollTo(layout_.ScrollX(), width);
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMin = 0;
  info.nMax = std::max(0, layout_.DataExtent() - 1);
  info.nPage = static_cast<UINT>(std::max(0, width - layout_.FixedExtent()));
  info.nPos = layout_.ScrollX();
  SetScrollInfo(Handle(), SB_HORZ, &info, TRUE);
  editor_.Place(CellRect(CurrentCol(), CurrentRow()));
}

}  // namespace rupena::win32
