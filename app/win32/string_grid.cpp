// The grid as a window: its class, the dispatch of its messages, what code
// sets and reads, and the messages other programs use.
#include "app/win32/string_grid.h"

#include <algorithm>
#include <climits>

#include "app/win32/dpi.h"

namespace rupena::win32 {

namespace {

constexpr wchar_t kClassName[] = L"RupenaStringGrid";

// Window messages carry indices as unsigned or 64-bit values; anything that
// does not fit an int cannot name a cell and becomes -1.
int IntArg(WPARAM value) noexcept {
  return value > static_cast<WPARAM>(INT_MAX) ? -1 : static_cast<int>(value);
}
int IntArg(LPARAM value) noexcept {
  return value > INT_MAX || value < INT_MIN ? -1 : static_cast<int>(value);
}
// A size, by contrast, saturates: the setters clamp it further.
int SizeArg(LPARAM value) noexcept {
  return static_cast<int>(std::clamp<LPARAM>(value, INT_MIN, INT_MAX));
}

int MouseX(LPARAM lParam) noexcept { return static_cast<short>(LOWORD(lParam)); }
int MouseY(LPARAM lParam) noexcept { return static_cast<short>(HIWORD(lParam)); }

LRESULT PackPair(int low, int high) noexcept {
  return static_cast<LRESULT>(MAKELONG(static_cast<WORD>(static_cast<short>(low)),
                                       static_cast<WORD>(static_cast<short>(high))));
}

LRESULT PackCell(app::CellRef cell) noexcept {
  return cell.col < 0 ? -1 : PackPair(cell.col, cell.row);
}

}  // namespace

bool StringGrid::Create(HWND parent, int id, int x, int y, int width, int height) {
  WindowClass windowClass;
  windowClass.name = kClassName;
  windowClass.style = CS_DBLCLKS;
  windowClass.cursor = IDC_ARROW;
  return WindowBase::Create(
      GetModuleHandleW(nullptr), windowClass,
      {.exStyle = WS_EX_CLIENTEDGE,
       .style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_HSCROLL | WS_CLIPCHILDREN,
       .x = x,
       .y = y,
       .width = width,
       .height = height,
       .parent = parent,
       .id = id});
}

LRESULT StringGrid::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: return OnCreate() ? 0 : -1;
    case WM_SIZE: OnSize(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: OnPaint(); return 0;
    case WM_PRINTCLIENT: OnPrintClient(reinterpret_cast<HDC>(wParam)); return 0;
    case WM_SETFONT: OnSetFont(reinterpret_cast<HFONT>(wParam), LOWORD(lParam) != 0); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(font_);
    case WM_SETFOCUS: OnFocusChange(); return 0;
    case WM_KILLFOCUS: OnFocusChange(); return 0;
    case WM_GETDLGCODE: return DialogCode(reinterpret_cast<const MSG*>(lParam));
    case WM_KEYDOWN: OnKeyDown(static_cast<UINT>(wParam)); return 0;
    case WM_KEYUP: OnKeyUp(); break;
    case WM_CHAR: OnChar(static_cast<wchar_t>(wParam)); return 0;
    case WM_COPY: OnCopy(); return 0;
    case WM_PASTE: OnPaste(); return 0;
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_ENDCOMPOSITION: editor_.OnComposition(message); break;
    case WM_LBUTTONDOWN: OnLButtonDown(MouseX(lParam), MouseY(lParam), (wParam & MK_SHIFT) != 0); return 0;
    case WM_LBUTTONDBLCLK: OnLButtonDblClk(MouseX(lParam), MouseY(lParam)); return 0;
    case WM_MOUSEMOVE: OnMouseMove(MouseX(lParam), MouseY(lParam)); return 0;
    case WM_LBUTTONUP: OnLButtonUp(); return 0;
    case WM_CAPTURECHANGED: OnCaptureChanged(); return 0;
    case WM_SETCURSOR: return OnSetCursor(reinterpret_cast<HWND>(wParam), lParam);
    case WM_HSCROLL: OnHScroll(LOWORD(wParam)); return 0;
    case WM_MOUSEWHEEL: OnMouseWheel(static_cast<short>(HIWORD(wParam))); return 0;
    case WM_GETTEXT: return OnGetText(IntArg(wParam), reinterpret_cast<wchar_t*>(lParam));
    case WM_GETTEXTLENGTH: return OnGetTextLength();

    case GM_GETCOLCOUNT: return ColCount();
    case GM_GETROWCOUNT: return RowCount();
    case GM_GETCOLWIDTH: return ColWidth(IntArg(wParam));
    case GM_SETCOLWIDTH: return OnSetColWidth(IntArg(wParam), SizeArg(lParam));
    case GM_GETCURCELL: return PackCell(layout_.Current());
    case GM_SETCURCELL: return OnSetCurCell(IntArg(wParam), IntArg(lParam));
    case GM_GETANCHOR: return PackCell(layout_.Anchor());
    case GM_GETLEFTCOL: return LeftCol();
    case GM_GETCOLEDGES: return OnGetColEdges(IntArg(wParam));
    case GM_GETROWEDGES: return OnGetRowEdges(IntArg(wParam));
    case GM_ISEDITING: return IsEditing() ? TRUE : FALSE;
    case GM_COMMITEDIT: CommitEdit(); return 0;
    default: break;
  }
  return DefaultProc(message, wParam, lParam);
}

// ---------------------------------------------------------------------------
// What code sets and reads

void StringGrid::SetColCount(int count) {
  count = std::clamp(count, kFixedCols, app::GridLayout::kMaxCount);
  if (count == ColCount()) return;
  CommitEdit();
  layout_.SetColCount(count);
  lengths_.SetColCount(ColCount());
  cells_.Resize(count, RowCount());
  AfterCountChange();
}

void StringGrid::SetRowCount(int count) {
  count = std::clamp(count, kFixedRows, app::GridLayout::kMaxCount);
  if (count == RowCount()) return;
  CommitEdit();
  layout_.SetRowCount(count);
  cells_.Resize(ColCount(), count);
  AfterCountChange();
}

void StringGrid::SetCellBytes(int col, int row, std::string_view bytes) {
  if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount()) return;
  // Code wins over half-finished typing in the same cell.
  if (col == CurrentCol() && row == CurrentRow()) CancelEdit();
  cells_.SetBytes(col, row, bytes);
  Redraw();
}

std::string StringGrid::CellBytes(int col, int row) const { return cells_.Bytes(col, row); }

std::wstring StringGrid::CellText(int col, int row) const { return cells_.Text(col, row); }

void StringGrid::SetColWidth(int col, int width) { SetColLength(col, {width, app::kLayoutDpi}); }

void StringGrid::SetColPixelWidth(int col, int width) { SetColLength(col, {width, dpi_}); }

void StringGrid::SetColLength(int col, app::DpiLength width) {
  if (col < 0 || col >= ColCount()) return;
  lengths_.SetColWidth(col, width);
  const int pixels = std::clamp(width.At(dpi_), 0, kMaxColWidth);
  if (layout_.ColWidth(col) == pixels) return;
  layout_.SetColWidth(col, pixels);
  UpdateScrollBar();
  Redraw();
}

void StringGrid::SetDataColWidths(int width) {
  lengths_.SetDataColWidths({width, app::kLayoutDpi});
  layout_.SetDataColWidths(app::ScaleForDpi(width, dpi_));
  UpdateScrollBar();
  Redraw();
}

void StringGrid::SetDefaultColWidth(int width) {
  lengths_.SetDefaultColWidth({width, app::kLayoutDpi});
  layout_.SetDefaultColWidth(app::ScaleForDpi(width, dpi_));
  UpdateScrollBar();
  Redraw();
}

void StringGrid::SetDefaultRowHeight(int height) {
  lengths_.SetRowHeight({height, app::kLayoutDpi});
  layout_.SetRowHeight(app::ScaleForDpi(height, dpi_));
  UpdateScrollBar();
  Redraw();
}

void StringGrid::SetDpi(int dpi) {
  if (dpi <= 0 || dpi == dpi_) return;
  const int scrolled = app::ScaleLength(layout_.ScrollX(), dpi_, dpi);
  dpi_ = dpi;
  lengths_.ApplyTo(layout_, dpi_);
  editor_.SetTextIndent(TextIndent());
  layout_.ScrollTo(scrolled, ClientWidth());
  // The editor stays open over its cell, which must not slide under the
  // heading column.
  if (IsEditing()) MakeVisible(CurrentCol());
  UpdateScrollBar();
  Redraw();
}

bool StringGrid::SetCurrentCell(int col, int row) {
  if (!IsEditable(col, row)) return false;
  CommitEdit();
  MoveTo(col, row, false);
  return true;
}

// ---------------------------------------------------------------------------
// Window messages

bool StringGrid::OnCreate() {
  if (!editor_.Create(Handle())) return false;
  SetDpi(WindowDpi(Handle()));
  UpdateScrollBar();
  return true;
}

void StringGrid::OnSize() {
  UpdateScrollBar();
  Redraw();
}

void StringGrid::OnSetFont(HFONT font, bool redraw) {
  font_ = font;
  editor_.SetFont(font);
  editor_.Place(CellRect(CurrentCol(), CurrentRow()));
  if (redraw) Redraw();
}

void StringGrid::OnFocusChange() {
  editor_.ForgetCompositionEnter();
  Redraw();
}

LRESULT StringGrid::OnGetText(int capacity, wchar_t* buffer) const {
  if (buffer == nullptr || capacity <= 0) return 0;
  const std::wstring& text = cells_.Text(CurrentCol(), CurrentRow());
  const std::size_t count = std::min(text.size(), static_cast<std::size_t>(capacity - 1));
  std::copy_n(text.data(), count, buffer);
  buffer[count] = L'\0';
  return static_cast<LRESULT>(count);
}

LRESULT StringGrid::OnGetTextLength() const {
  return static_cast<LRESULT>(cells_.Text(CurrentCol(), CurrentRow()).size());
}

LRESULT StringGrid::OnGetColEdges(int col) const {
  if (!layout_.IsColVisible(col, ClientWidth())) return -1;
  const int left = layout_.ColLeft(col);
  return PackPair(left, left + layout_.ColWidth(col));
}

LRESULT StringGrid::OnGetRowEdges(int row) const {
  const int top = layout_.RowTop(row);
  if (row < 0 || row >= RowCount() || top >= ClientSize().cy) return -1;
  return PackPair(top, top + layout_.RowHeight());
}

LRESULT StringGrid::OnSetColWidth(int col, int width) {
  if (col < 0 || col >= ColCount()) return FALSE;
  SetColPixelWidth(col, width);
  return TRUE;
}

LRESULT StringGrid::OnSetCurCell(int col, int row) {
  return SetCurrentCell(col, row) ? TRUE : FALSE;
}

// ---------------------------------------------------------------------------
// Shared by the parts

void StringGrid::AfterCountChange() {
  UpdateScrollBar();
  Redraw();
}

int StringGrid::TextIndent() const noexcept { return app::ScaleForDpi(CellEditor::kTextIndent, dpi_); }

// A grid not on screen is drawn whole when it shows; invalidating it
// before costs a round trip to the system for nothing.
void StringGrid::Redraw() const noexcept {
  if (IsWindowVisible(Handle())) InvalidateRect(Handle(), nullptr, FALSE);
}

SIZE StringGrid::ClientSize() const noexcept {
  RECT client{};
  if (Handle() == nullptr || !GetClientRect(Handle(), &client)) return SIZE{0, 0};
  return SIZE{client.right - client.left, client.bottom - client.top};
}

}  // namespace rupena::win32
