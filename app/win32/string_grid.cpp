#include "app/win32/string_grid.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <utility>

#include "app/win32/cp932.h"
#include "app/win32/scoped_gdi.h"

namespace rupena::win32 {
namespace {

constexpr wchar_t kClassName[] = L"RupenaStringGrid";
constexpr UINT_PTR kEditSubclassId = 1;
constexpr int kEditId = 1;
// How far from a border, either side, the mouse still grabs it: a one-pixel
// line is too hard to hit.
constexpr int kBorderSlop = 2;
constexpr int kTextIndent = 2;
constexpr int kMaxRowHeight = 1000;

std::size_t Index(int i) noexcept { return static_cast<std::size_t>(i); }

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

int TextHeight(HWND window, HFONT font) noexcept {
  const ScopedWindowDc dc = GetDcScoped(window);
  if (!dc) {
    return 0;
  }
  const ScopedSelection selected = SelectScoped(
      dc.Get().dc, font != nullptr ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW metrics{};
  return GetTextMetricsW(dc.Get().dc, &metrics) ? static_cast<int>(metrics.tmHeight) : 0;
}

int MouseX(LPARAM lParam) noexcept { return static_cast<short>(LOWORD(lParam)); }
int MouseY(LPARAM lParam) noexcept { return static_cast<short>(HIWORD(lParam)); }

LRESULT PackPair(int low, int high) noexcept {
  return static_cast<LRESULT>(MAKELONG(static_cast<WORD>(static_cast<short>(low)),
                                       static_cast<WORD>(static_cast<short>(high))));
}

}  // namespace

StringGrid::~StringGrid() {
  if (hwnd_ != nullptr) {
    DestroyWindow(hwnd_);
  }
}

bool StringGrid::Create(HWND parent, int id, int x, int y, int width, int height) {
  if (hwnd_ != nullptr) {
    return false;
  }
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (!GetClassInfoExW(instance, kClassName, &existing)) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = &StringGrid::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    if (RegisterClassExW(&windowClass) == 0) {
      return false;
    }
  }
  const HWND created = CreateWindowExW(
      WS_EX_CLIENTEDGE, kClassName, L"",
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_HSCROLL | WS_CLIPCHILDREN, x, y, width, height,
      parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, this);
  return created != nullptr;
}

LRESULT CALLBACK StringGrid::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  StringGrid* self = nullptr;
  if (message == WM_NCCREATE) {
    // A window of this class made by anything but Create() has no object and
    // stays inert.
    self = static_cast<StringGrid*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    if (self != nullptr) {
      self->hwnd_ = hwnd;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
  } else {
    self = reinterpret_cast<StringGrid*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (self == nullptr) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  LRESULT result = 0;
  try {
    result = self->HandleMessage(message, wParam, lParam);
  } catch (...) {
    // Unwinding through USER32's frames is undefined; the message gets the
    // default treatment instead (a failed WM_CREATE fails the creation).
    result = message == WM_CREATE ? -1 : DefWindowProcW(hwnd, message, wParam, lParam);
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    self->edit_ = nullptr;
    self->editing_ = false;
  }
  return result;
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
    case WM_GETDLGCODE: return OnGetDlgCode(reinterpret_cast<const MSG*>(lParam));
    case WM_KEYDOWN: OnKeyDown(static_cast<UINT>(wParam)); return 0;
    case WM_CHAR: OnChar(static_cast<wchar_t>(wParam)); return 0;
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
    case GM_GETCURCELL: return HasDataCells() ? PackPair(curCol_, curRow_) : -1;
    case GM_SETCURCELL: return OnSetCurCell(IntArg(wParam), IntArg(lParam));
    case GM_GETANCHOR: return HasDataCells() ? PackPair(anchorCol_, anchorRow_) : -1;
    case GM_GETLEFTCOL: return LeftCol();
    case GM_GETCOLEDGES: return OnGetColEdges(IntArg(wParam));
    case GM_GETROWEDGES: return OnGetRowEdges(IntArg(wParam));
    case GM_ISEDITING: return editing_ ? TRUE : FALSE;
    case GM_COMMITEDIT: CommitEdit(); return 0;
    default: break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

// ---------------------------------------------------------------------------
// Public API

void StringGrid::SetColCount(int count) {
  count = std::clamp(count, kFixedCols, kMaxCount);
  if (count == ColCount()) {
    return;
  }
  CommitEdit();
  cells_.resize(Index(count), std::vector<Cell>(Index(rowCount_)));
  colWidths_.resize(Index(count), defaultColWidth_);
  ClampCurrent();
  UpdateScrollBar();
  Redraw();
}

void StringGrid::SetRowCount(int count) {
  count = std::clamp(count, kFixedRows, kMaxCount);
  if (count == rowCount_) {
    return;
  }
  CommitEdit();
  rowCount_ = count;
  for (auto& column : cells_) {
    column.resize(Index(count));
  }
  ClampCurrent();
  Redraw();
}

void StringGrid::SetCellBytes(int col, int row, std::string_view bytes) {
  if (col < 0 || col >= ColCount() || row < 0 || row >= rowCount_) {
    return;
  }
  // Code wins over half-finished typing in the same cell.
  if (editing_ && col == curCol_ && row == curRow_) {
    CancelEdit();
  }
  Cell& cell = cells_[Index(col)][Index(row)];
  cell.bytes.assign(bytes);
  cell.text = Cp932ToWide(bytes);
  Redraw();
}

std::string StringGrid::CellBytes(int col, int row) const {
  if (col < 0 || col >= ColCount() || row < 0 || row >= rowCount_) {
    return {};
  }
  return cells_[Index(col)][Index(row)].bytes;
}

std::wstring StringGrid::CellText(int col, int row) const {
  if (col < 0 || col >= ColCount() || row < 0 || row >= rowCount_) {
    return {};
  }
  return cells_[Index(col)][Index(row)].text;
}

void StringGrid::SetColWidth(int col, int width) {
  if (col < 0 || col >= ColCount()) {
    return;
  }
  width = std::clamp(width, 0, kMaxColWidth);
  if (colWidths_[Index(col)] == width) {
    return;
  }
  colWidths_[Index(col)] = width;
  UpdateScrollBar();
  Redraw();
}

void StringGrid::SetDataColWidths(int width) {
  width = std::clamp(width, 0, kMaxColWidth);
  std::fill(colWidths_.begin() + std::min(kFixedCols, ColCount()), colWidths_.end(), width);
  UpdateScrollBar();
  Redraw();
}

int StringGrid::ColWidth(int col) const noexcept {
  return col < 0 || col >= ColCount() ? -1 : colWidths_[Index(col)];
}

void StringGrid::SetDefaultColWidth(int width) {
  defaultColWidth_ = std::clamp(width, 0, kMaxColWidth);
  std::fill(colWidths_.begin(), colWidths_.end(), defaultColWidth_);
  UpdateScrollBar();
  Redraw();
}

void StringGrid::SetDefaultRowHeight(int height) {
  rowHeight_ = std::clamp(height, 0, kMaxRowHeight);
  UpdateScrollBar();
  Redraw();
}

void StringGrid::CommitEdit() {
  if (!editing_) {
    return;
  }
  editing_ = false;
  const int length = GetWindowTextLengthW(edit_);
  std::wstring typed(Index(std::max(length, 0)) + 1, L'\0');
  const int copied = GetWindowTextW(edit_, typed.data(), length + 1);
  typed.resize(Index(std::max(copied, 0)));
  StoreTyped(curCol_, curRow_, std::move(typed));
  HideEditor();
}

bool StringGrid::SetCurrentCell(int col, int row) {
  if (!IsEditable(col, row)) {
    return false;
  }
  CommitEdit();
  MoveTo(col, row, false);
  return true;
}

GridRect StringGrid::Selection() const noexcept {
  if (!HasDataCells()) {
    return {-1, -1, -1, -1};
  }
  return {std::min(anchorCol_, curCol_), std::min(anchorRow_, curRow_),
          std::max(anchorCol_, curCol_), std::max(anchorRow_, curRow_)};
}

int StringGrid::LeftCol() const noexcept {
  if (ColCount() <= kFixedCols) {
    return -1;
  }
  int offset = 0;
  for (int col = kFixedCols; col < ColCount(); ++col) {
    offset += colWidths_[Index(col)] + kGridLineWidth;
    if (offset > scrollX_) {
      return col;
    }
  }
  return ColCount() - 1;
}

// ---------------------------------------------------------------------------
// Window messages

bool StringGrid::OnCreate() {
  edit_ = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | ES_AUTOHSCROLL, 0, 0, 0, 0, hwnd_,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)),
                          GetModuleHandleW(nullptr), nullptr);
  if (edit_ == nullptr ||
      !SetWindowSubclass(edit_, &StringGrid::EditProc, kEditSubclassId,
                         reinterpret_cast<DWORD_PTR>(this))) {
    return false;
  }
  SendMessageW(edit_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
               MAKELPARAM(kTextIndent - 1, 0));
  textHeight_ = TextHeight(hwnd_, font_);
  UpdateScrollBar();
  return true;
}

void StringGrid::OnSize() {
  UpdateScrollBar();
  Redraw();
}

void StringGrid::OnPaint() {
  ScopedPaint paint = BeginPaintScoped(hwnd_);
  if (!paint) {
    return;
  }
  const HDC screen = paint.Get().paint.hdc;
  const SIZE size = ClientSize();
  if (size.cx <= 0 || size.cy <= 0) {
    return;
  }
  // Drawn off screen first: cells fill their background and then their text,
  // which would flicker while a column border is dragged.
  ScopedMemoryDc memory(CreateCompatibleDC(screen));
  ScopedBitmap bitmap(memory ? CreateCompatibleBitmap(screen, size.cx, size.cy) : nullptr);
  if (!bitmap) {
    Paint(screen, size);
    return;
  }
  const ScopedSelection selected = SelectScoped(memory.Get(), bitmap.Get());
  Paint(memory.Get(), size);
  BitBlt(screen, 0, 0, size.cx, size.cy, memory.Get(), 0, 0, SRCCOPY);
}

void StringGrid::OnPrintClient(HDC dc) {
  if (dc != nullptr) {
    Paint(dc, ClientSize());
  }
}

void StringGrid::OnSetFont(HFONT font, bool redraw) {
  font_ = font;
  textHeight_ = TextHeight(hwnd_, font_);
  if (edit_ != nullptr) {
    SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    PlaceEditor();
  }
  if (redraw) {
    Redraw();
  }
}

void StringGrid::OnFocusChange() { Redraw(); }

LRESULT StringGrid::OnGetDlgCode(const MSG* message) {
  LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
  int col = 0;
  int row = 0;
  // Tab walks the cells and leaves the grid after the last one, so the
  // keyboard can still reach the window's other controls.
  if (message != nullptr && message->message == WM_KEYDOWN && message->wParam == VK_TAB &&
      TabTarget(GetKeyState(VK_SHIFT) < 0, col, row)) {
    code |= DLGC_WANTTAB;
  }
  return code;
}

void StringGrid::OnKeyDown(UINT key) {
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  int col = curCol_;
  int row = curRow_;
  switch (key) {
    case VK_LEFT: MoveTo(curCol_ - 1, curRow_, shift); break;
    case VK_RIGHT: MoveTo(curCol_ + 1, curRow_, shift); break;
    case VK_UP: MoveTo(curCol_, curRow_ - 1, shift); break;
    case VK_DOWN: MoveTo(curCol_, curRow_ + 1, shift); break;
    case VK_HOME: MoveTo(kFixedCols, curRow_, shift); break;
    case VK_END: MoveTo(ColCount() - 1, curRow_, shift); break;
    case VK_TAB:
      if (TabTarget(shift, col, row)) {
        MoveTo(col, row, false);
      }
      break;
    case VK_F2: BeginEdit(CellText(curCol_, curRow_)); break;
    default: break;
  }
}

void StringGrid::OnChar(wchar_t ch) {
  if (editing_) {
    // Typed ahead while the editor was opening: it belongs in the editor.
    SendMessageW(edit_, WM_CHAR, ch, 0);
    return;
  }
  if (ch >= L' ' && ch != 0x7F) {
    BeginEdit(std::wstring_view(&ch, 1));
  }
}

void StringGrid::OnLButtonDown(int x, int y, bool shift) {
  // Taking the focus closes an open editor through its WM_KILLFOCUS, which
  // stores its text before the click moves the current cell.
  SetFocus(hwnd_);
  const Hit hit = HitTest(x, y);
  if (hit.border >= 0) {
    drag_ = Drag::Resize;
    resizeCol_ = hit.border;
    resizeStartX_ = x;
    resizeStartWidth_ = ColWidth(hit.border);
    SetCapture(hwnd_);
    return;
  }
  if (IsEditable(hit.col, hit.row)) {
    MoveTo(hit.col, hit.row, shift);
    drag_ = Drag::Select;
    SetCapture(hwnd_);
  }
}

void StringGrid::OnLButtonDblClk(int x, int y) {
  const Hit hit = HitTest(x, y);
  if (hit.border < 0 && IsEditable(hit.col, hit.row)) {
    MoveTo(hit.col, hit.row, false);
    BeginEdit(CellText(hit.col, hit.row));
  }
}

void StringGrid::OnMouseMove(int x, int y) {
  if (drag_ == Drag::Resize) {
    SetColWidth(resizeCol_, resizeStartWidth_ + (x - resizeStartX_));
    return;
  }
  if (drag_ != Drag::Select || !HasDataCells()) {
    return;
  }
  // Past an edge the selection keeps growing one column per mouse move and
  // scrolls that column in.
  const SIZE size = ClientSize();
  const int fixedRight = FixedExtent();
  const int lastCol = ColCount() - 1;
  const int lastRow = rowCount_ - 1;
  const int probeX = std::clamp(x, fixedRight, std::max(fixedRight, static_cast<int>(size.cx) - 1));
  const int probeY = std::max(y, RowTop(kFixedRows));
  const Hit hit = HitTest(probeX, probeY);
  int col = hit.col >= kFixedCols ? hit.col : lastCol;
  int row = hit.row >= kFixedRows ? hit.row : lastRow;
  if (x < fixedRight) {
    col = std::max(kFixedCols, LeftCol() - 1);
  } else if (x >= size.cx && col < lastCol) {
    ++col;
  }
  if (col != curCol_ || row != curRow_) {
    MoveTo(col, row, true);
  }
}

void StringGrid::OnLButtonUp() {
  if (drag_ != Drag::None) {
    ReleaseCapture();
  }
  drag_ = Drag::None;
}

void StringGrid::OnCaptureChanged() { drag_ = Drag::None; }

LRESULT StringGrid::OnSetCursor(HWND cursorWindow, LPARAM lParam) {
  if (cursorWindow == hwnd_ && LOWORD(lParam) == HTCLIENT) {
    POINT point{};
    GetCursorPos(&point);
    ScreenToClient(hwnd_, &point);
    if (drag_ == Drag::Resize || HitTest(point.x, point.y).border >= 0) {
      SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
      return TRUE;
    }
  }
  return DefWindowProcW(hwnd_, WM_SETCURSOR, reinterpret_cast<WPARAM>(cursorWindow), lParam);
}

void StringGrid::OnHScroll(UINT code) {
  int target = scrollX_;
  switch (code) {
    case SB_LEFT: target = 0; break;
    case SB_RIGHT: target = DataExtent(); break;
    case SB_PAGELEFT: target -= std::max(ViewWidth(), 1); break;
    case SB_PAGERIGHT: target += std::max(ViewWidth(), 1); break;
    case SB_LINELEFT: target = LineStop(false); break;
    case SB_LINERIGHT: target = LineStop(true); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO info{};
      info.cbSize = sizeof(info);
      info.fMask = SIF_TRACKPOS;
      if (GetScrollInfo(hwnd_, SB_HORZ, &info)) {
        target = info.nTrackPos;
      }
      break;
    }
    default: return;
  }
  // The editor sits over one cell; rather than chase it across the heading
  // column, its text is stored and it closes.
  CommitEdit();
  ScrollTo(target);
}

// Line steps land on column boundaries so that a column is never left half
// hidden under the heading column.
int StringGrid::LineStop(bool right) const noexcept {
  int previous = 0;
  int boundary = 0;
  for (int col = kFixedCols; col < ColCount(); ++col) {
    if (boundary < scrollX_) {
      previous = boundary;
    } else if (boundary > scrollX_ && right) {
      return boundary;
    }
    boundary += colWidths_[Index(col)] + kGridLineWidth;
  }
  if (boundary < scrollX_) {
    previous = boundary;
  }
  return right ? boundary : previous;
}

void StringGrid::OnMouseWheel(int delta) {
  if (delta != 0) {
    OnHScroll(delta > 0 ? SB_LINELEFT : SB_LINERIGHT);
  }
}

LRESULT StringGrid::OnGetText(int capacity, wchar_t* buffer) const {
  if (buffer == nullptr || capacity <= 0) {
    return 0;
  }
  const std::wstring text = CellText(curCol_, curRow_);
  const std::size_t count = std::min(text.size(), Index(capacity - 1));
  std::copy_n(text.data(), count, buffer);
  buffer[count] = L'\0';
  return static_cast<LRESULT>(count);
}

LRESULT StringGrid::OnGetTextLength() const {
  return static_cast<LRESULT>(CellText(curCol_, curRow_).size());
}

LRESULT StringGrid::OnGetColEdges(int col) const {
  if (col < 0 || col >= ColCount() || !IsColVisible(col)) {
    return -1;
  }
  const int left = ColLeft(col);
  return PackPair(left, left + colWidths_[Index(col)]);
}

LRESULT StringGrid::OnGetRowEdges(int row) const {
  if (row < 0 || row >= rowCount_ || RowTop(row) >= ClientSize().cy) {
    return -1;
  }
  return PackPair(RowTop(row), RowTop(row) + rowHeight_);
}

LRESULT StringGrid::OnSetColWidth(int col, int width) {
  if (col < 0 || col >= ColCount()) {
    return FALSE;
  }
  SetColWidth(col, width);
  return TRUE;
}

LRESULT StringGrid::OnSetCurCell(int col, int row) {
  return SetCurrentCell(col, row) ? TRUE : FALSE;
}

// ---------------------------------------------------------------------------
// In-place editor

LRESULT CALLBACK StringGrid::EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR /*subclassId*/, DWORD_PTR refData) {
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, &StringGrid::EditProc, kEditSubclassId);
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }
  try {
    return reinterpret_cast<StringGrid*>(refData)->HandleEditMessage(message, wParam, lParam);
  } catch (...) {
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }
}

LRESULT StringGrid::HandleEditMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE: return OnEditorGetDlgCode(wParam, lParam);
    case WM_KEYDOWN: return OnEditorKeyDown(wParam, lParam);
    case WM_CHAR: return OnEditorChar(wParam, lParam);
    case WM_KILLFOCUS: return OnEditorKillFocus(wParam, lParam);
    default: break;
  }
  return DefSubclassProc(edit_, message, wParam, lParam);
}

LRESULT StringGrid::OnEditorGetDlgCode(WPARAM wParam, LPARAM lParam) {
  // Without these, the dialog manager turns Enter into IDOK before the
  // editor's text reaches the cell, and Tab into a focus change.
  LRESULT code = DefSubclassProc(edit_, WM_GETDLGCODE, wParam, lParam);
  const auto* keyMessage = reinterpret_cast<const MSG*>(lParam);
  if (keyMessage != nullptr && keyMessage->message == WM_KEYDOWN) {
    code |= OnGetDlgCode(keyMessage) & DLGC_WANTTAB;
    if (keyMessage->wParam == VK_RETURN || keyMessage->wParam == VK_ESCAPE) {
      code |= DLGC_WANTMESSAGE;
    }
  }
  return code;
}

LRESULT StringGrid::OnEditorKeyDown(WPARAM wParam, LPARAM lParam) {
  switch (wParam) {
    case VK_RETURN:
      CommitEdit();
      ForwardCommand(IDOK);
      return 0;
    case VK_ESCAPE:
      CancelEdit();
      ForwardCommand(IDCANCEL);
      return 0;
    case VK_TAB:
    case VK_UP:
    case VK_DOWN:
      CommitEdit();
      OnKeyDown(static_cast<UINT>(wParam));
      return 0;
    default: return DefSubclassProc(edit_, WM_KEYDOWN, wParam, lParam);
  }
}

LRESULT StringGrid::OnEditorChar(WPARAM wParam, LPARAM lParam) {
  // Their key downs were handled above; the EDIT would only beep.
  if (wParam == L'\r' || wParam == L'\n' || wParam == 0x1B || wParam == L'\t') {
    return 0;
  }
  return DefSubclassProc(edit_, WM_CHAR, wParam, lParam);
}

LRESULT StringGrid::OnEditorKillFocus(WPARAM wParam, LPARAM lParam) {
  // Leaving the editor by any way (a click on a button, Tab out of the grid)
  // keeps what was typed.
  const LRESULT result = DefSubclassProc(edit_, WM_KILLFOCUS, wParam, lParam);
  CommitEdit();
  return result;
}

bool StringGrid::BeginEdit(std::wstring_view text) {
  if (edit_ == nullptr || editing_ || !IsEditable(curCol_, curRow_)) {
    return false;
  }
  MakeVisible(curCol_);
  editing_ = true;
  SetWindowTextW(edit_, std::wstring(text).c_str());
  PlaceEditor();
  ShowWindow(edit_, SW_SHOW);
  SendMessageW(edit_, EM_SETSEL, text.size(), static_cast<LPARAM>(text.size()));
  SetFocus(edit_);
  Redraw();
  return true;
}

void StringGrid::CancelEdit() {
  if (!editing_) {
    return;
  }
  editing_ = false;
  HideEditor();
}

void StringGrid::HideEditor() {
  // Hiding the focused editor would hand the focus to whatever USER32 picks;
  // it goes back to the grid itself.
  if (GetFocus() == edit_) {
    SetFocus(hwnd_);
  }
  ShowWindow(edit_, SW_HIDE);
  Redraw();
}

// Posted, not sent: the parent's OK handler may destroy this window, which it
// must not do while the editor's window procedure is still on the stack.
void StringGrid::ForwardCommand(int id) {
  const HWND parent = GetParent(hwnd_);
  if (parent == nullptr) {
    return;
  }
  if (id == IDOK) {
    const LRESULT defaultId = SendMessageW(parent, DM_GETDEFID, 0, 0);
    if (HIWORD(defaultId) == DC_HASDEFID) {
      id = LOWORD(defaultId);
    }
  }
  const HWND button = GetDlgItem(parent, id);
  if (button != nullptr && !IsWindowEnabled(button)) {
    return;
  }
  PostMessageW(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

// ---------------------------------------------------------------------------
// Geometry

int StringGrid::FixedExtent() const noexcept {
  int extent = 0;
  for (int col = 0; col < std::min(kFixedCols, ColCount()); ++col) {
    extent += colWidths_[Index(col)] + kGridLineWidth;
  }
  return extent;
}

int StringGrid::DataExtent() const noexcept { return DataOffset(ColCount()); }

int StringGrid::ViewWidth() const noexcept {
  return std::max(0, static_cast<int>(ClientSize().cx) - FixedExtent());
}

int StringGrid::DataOffset(int col) const noexcept {
  int offset = 0;
  for (int c = kFixedCols; c < std::min(col, ColCount()); ++c) {
    offset += colWidths_[Index(c)] + kGridLineWidth;
  }
  return offset;
}

int StringGrid::ColLeft(int col) const noexcept {
  if (col < kFixedCols) {
    int left = 0;
    for (int c = 0; c < col; ++c) {
      left += colWidths_[Index(c)] + kGridLineWidth;
    }
    return left;
  }
  return FixedExtent() + DataOffset(col) - scrollX_;
}

int StringGrid::RowTop(int row) const noexcept { return row * (rowHeight_ + kGridLineWidth); }

bool StringGrid::IsColVisible(int col) const noexcept {
  const int left = ColLeft(col);
  if (left >= ClientSize().cx) {
    return false;
  }
  return col < kFixedCols || left + colWidths_[Index(col)] + kGridLineWidth > FixedExtent();
}

RECT StringGrid::CellRect(int col, int row) const noexcept {
  const int left = ColLeft(col);
  const int top = RowTop(row);
  return RECT{left, top, left + ColWidth(col), top + rowHeight_};
}

StringGrid::Hit StringGrid::HitTest(int x, int y) const noexcept {
  Hit hit;
  if (x < 0 || y < 0) {
    return hit;
  }
  const int rowPitch = rowHeight_ + kGridLineWidth;
  if (rowPitch > 0 && y / rowPitch < rowCount_) {
    hit.row = y / rowPitch;
  }
  const int fixedRight = FixedExtent();
  const bool inHeadingRow = hit.row >= 0 && hit.row < kFixedRows;
  int left = 0;
  for (int col = 0; col < ColCount(); ++col) {
    if (col == kFixedCols) {
      left = fixedRight - scrollX_;
    }
    const int right = left + colWidths_[Index(col)];
    const bool shown = col < kFixedCols ? x < fixedRight : x >= fixedRight;
    if (shown && x >= left && x <= right) {
      hit.col = col;
    }
    // Later columns win, so a column narrowed to nothing can still be pulled
    // open from the border it shares with its left neighbour.
    const bool borderShown = col < kFixedCols || right >= fixedRight;
    if (inHeadingRow && borderShown && std::abs(x - right) <= kBorderSlop) {
      hit.border = col;
    }
    left = right + kGridLineWidth;
  }
  return hit;
}

SIZE StringGrid::ClientSize() const noexcept {
  RECT client{};
  if (hwnd_ == nullptr || !GetClientRect(hwnd_, &client)) {
    return SIZE{0, 0};
  }
  return SIZE{client.right - client.left, client.bottom - client.top};
}

// ---------------------------------------------------------------------------
// State changes

bool StringGrid::HasDataCells() const noexcept {
  return ColCount() > kFixedCols && rowCount_ > kFixedRows;
}

bool StringGrid::IsEditable(int col, int row) const noexcept {
  return col >= kFixedCols && col < ColCount() && row >= kFixedRows && row < rowCount_;
}

void StringGrid::MoveTo(int col, int row, bool extend) {
  if (!HasDataCells()) {
    return;
  }
  curCol_ = std::clamp(col, kFixedCols, ColCount() - 1);
  curRow_ = std::clamp(row, kFixedRows, rowCount_ - 1);
  if (!extend) {
    anchorCol_ = curCol_;
    anchorRow_ = curRow_;
  }
  MakeVisible(curCol_);
  Redraw();
}

bool StringGrid::TabTarget(bool backwards, int& col, int& row) const noexcept {
  if (!HasDataCells()) {
    return false;
  }
  col = curCol_ + (backwards ? -1 : 1);
  row = curRow_;
  if (col >= ColCount()) {
    col = kFixedCols;
    ++row;
  } else if (col < kFixedCols) {
    col = ColCount() - 1;
    --row;
  }
  return row >= kFixedRows && row < rowCount_;
}

void StringGrid::ScrollTo(int x) {
  const int target = std::clamp(x, 0, std::max(0, DataExtent() - ViewWidth()));
  if (target == scrollX_) {
    return;
  }
  scrollX_ = target;
  UpdateScrollBar();
  Redraw();
}

void StringGrid::MakeVisible(int col) {
  if (hwnd_ == nullptr || col < kFixedCols || col >= ColCount()) {
    return;
  }
  const int left = DataOffset(col);
  const int right = left + colWidths_[Index(col)] + kGridLineWidth;
  int target = scrollX_;
  if (right > target + ViewWidth()) {
    target = right - ViewWidth();
  }
  target = std::min(target, left);
  ScrollTo(target);
}

void StringGrid::UpdateScrollBar() {
  if (hwnd_ == nullptr) {
    return;
  }
  const int extent = DataExtent();
  const int view = ViewWidth();
  scrollX_ = std::clamp(scrollX_, 0, std::max(0, extent - view));
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMin = 0;
  info.nMax = std::max(0, extent - 1);
  info.nPage = static_cast<UINT>(view);
  info.nPos = scrollX_;
  SetScrollInfo(hwnd_, SB_HORZ, &info, TRUE);
  PlaceEditor();
}

// A single-line EDIT draws its text at the top; centring the control on the
// cell puts the text where the cell draws its own.
void StringGrid::PlaceEditor() {
  if (!editing_) {
    return;
  }
  const RECT cell = CellRect(curCol_, curRow_);
  const int cellHeight = cell.bottom - cell.top;
  const int height = textHeight_ > 0 ? std::min(cellHeight, textHeight_ + 2) : cellHeight;
  SetWindowPos(edit_, HWND_TOP, cell.left, cell.top + (cellHeight - height) / 2,
               cell.right - cell.left, height, SWP_NOACTIVATE);
}

void StringGrid::ClampCurrent() {
  if (!HasDataCells()) {
    curCol_ = curRow_ = anchorCol_ = anchorRow_ = -1;
    return;
  }
  const auto clampCol = [this](int col) { return std::clamp(col, kFixedCols, ColCount() - 1); };
  const auto clampRow = [this](int row) { return std::clamp(row, kFixedRows, rowCount_ - 1); };
  curCol_ = clampCol(curCol_);
  curRow_ = clampRow(curRow_);
  anchorCol_ = clampCol(anchorCol_);
  anchorRow_ = clampRow(anchorRow_);
}

void StringGrid::Redraw() const noexcept {
  if (hwnd_ != nullptr) {
    InvalidateRect(hwnd_, nullptr, FALSE);
  }
}

void StringGrid::StoreTyped(int col, int row, std::wstring text) {
  if (!IsEditable(col, row)) {
    return;
  }
  Cell& cell = cells_[Index(col)][Index(row)];
  // Unchanged text keeps its bytes: opening and closing the editor must not
  // re-encode what code put there.
  if (text == cell.text) {
    return;
  }
  cell.bytes = WideToCp932(text);
  // Show what will be handed back, so a character CP932 lacks is seen as "?".
  cell.text = Cp932ToWide(cell.bytes);
  Redraw();
}

// ---------------------------------------------------------------------------
// Drawing

void StringGrid::Paint(HDC dc, SIZE size) const {
  const RECT all{0, 0, size.cx, size.cy};
  FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
  const HGDIOBJ font = font_ != nullptr ? static_cast<HGDIOBJ>(font_) : GetStockObject(DEFAULT_GUI_FONT);
  const ScopedSelection selectedFont = SelectScoped(dc, font);
  SetBkMode(dc, TRANSPARENT);
  const bool focused = GetFocus() == hwnd_;
  const int firstData = LeftCol();
  for (int row = 0; row < rowCount_ && RowTop(row) < size.cy; ++row) {
    // Data cells first: one scrolled half under the heading column is then
    // painted over by the heading.
    if (firstData >= 0) {
      for (int col = firstData; col < ColCount() && ColLeft(col) < size.cx; ++col) {
        PaintCell(dc, col, row, focused);
      }
    }
    for (int col = 0; col < std::min(kFixedCols, ColCount()); ++col) {
      PaintCell(dc, col, row, focused);
    }
  }
}

void StringGrid::PaintCell(HDC dc, int col, int row, bool focused) const {
  const RECT cell = CellRect(col, row);
  const bool fixed = col < kFixedCols || row < kFixedRows;
  const GridRect selection = Selection();
  const bool selected = !fixed && col >= selection.left && col <= selection.right &&
                        row >= selection.top && row <= selection.bottom;

  int background = COLOR_WINDOW;
  int foreground = COLOR_WINDOWTEXT;
  if (fixed) {
    background = COLOR_BTNFACE;
    foreground = COLOR_BTNTEXT;
  } else if (selected) {
    background = COLOR_HIGHLIGHT;
    foreground = COLOR_HIGHLIGHTTEXT;
  }
  FillRect(dc, &cell, GetSysColorBrush(background));
  if (fixed) {
    RECT edge = cell;
    DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT);
  }

  // The editor covers only the middle of its cell; the old text must not
  // show above and below it.
  const bool underEditor = editing_ && col == curCol_ && row == curRow_;
  const std::wstring& text = cells_[Index(col)][Index(row)].text;
  if (!text.empty() && !underEditor) {
    RECT textRect = cell;
    textRect.left += kTextIndent;
    SetTextColor(dc, GetSysColor(foreground));
    DrawTextW(dc, text.c_str(), static_cast<int>(std::min(text.size(), Index(INT_MAX))), &textRect,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  if (focused && !editing_ && col == curCol_ && row == curRow_) {
    DrawFocusRect(dc, &cell);
  }

  // The line right of and below the cell; heading lines are darker, as the
  // headings are meant to read as buttons.
  const HBRUSH line = GetSysColorBrush(fixed ? COLOR_3DDKSHADOW : COLOR_BTNFACE);
  const RECT right{cell.right, cell.top, cell.right + kGridLineWidth, cell.bottom + kGridLineWidth};
  const RECT bottom{cell.left, cell.bottom, cell.right + kGridLineWidth,
                    cell.bottom + kGridLineWidth};
  FillRect(dc, &right, line);
  FillRect(dc, &bottom, line);
}

}  // namespace rupena::win32
