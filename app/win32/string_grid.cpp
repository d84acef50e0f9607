#include "app/win32/string_grid.h"

#include <commctrl.h>
#include <imm.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <utility>

#include "app/number_input.h"
#include "app/win32/clipboard.h"
#include "app/win32/cp932.h"
#include "app/win32/scoped_gdi.h"

namespace rupena::win32 {
namespace {

constexpr wchar_t kClassName[] = L"RupenaStringGrid";
constexpr int kEditId = 1;
constexpr int kTextIndent = 2;
constexpr wchar_t kCtrlC = 0x03;
constexpr wchar_t kCtrlV = 0x16;
// A cell that will count as 0 though it holds text: light enough for black
// text, and a deeper red with white text when it is selected as well.
constexpr COLORREF kNotANumber = RGB(255, 192, 192);
constexpr COLORREF kNotANumberSelected = RGB(192, 40, 40);
constexpr COLORREF kWhite = RGB(255, 255, 255);

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

bool KeyDown(int key) noexcept { return GetKeyState(key) < 0; }

// UTF-16 either way: wchar_t is 16 bits wide on Windows.
std::u16string ToU16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }
std::wstring ToWide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

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
    case WM_NCDESTROY: OnNcDestroy(); break;
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
    case WM_KEYUP: OnKeyUp(); break;
    case WM_CHAR: OnChar(static_cast<wchar_t>(wParam)); return 0;
    case WM_COPY: OnCopy(); return 0;
    case WM_PASTE: OnPaste(); return 0;
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_ENDCOMPOSITION: OnComposition(message); break;
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
    case GM_GETCURCELL: return layout_.HasDataCells() ? PackPair(CurrentCol(), CurrentRow()) : -1;
    case GM_SETCURCELL: return OnSetCurCell(IntArg(wParam), IntArg(lParam));
    case GM_GETANCHOR:
      return layout_.HasDataCells() ? PackPair(layout_.Anchor().col, layout_.Anchor().row) : -1;
    case GM_GETLEFTCOL: return LeftCol();
    case GM_GETCOLEDGES: return OnGetColEdges(IntArg(wParam));
    case GM_GETROWEDGES: return OnGetRowEdges(IntArg(wParam));
    case GM_ISEDITING: return editing_ ? TRUE : FALSE;
    case GM_COMMITEDIT: CommitEdit(); return 0;
    default: break;
  }
  return DefaultProc(message, wParam, lParam);
}

// ---------------------------------------------------------------------------
// Public API

void StringGrid::SetColCount(int count) {
  count = std::clamp(count, kFixedCols, app::GridLayout::kMaxCount);
  if (count == ColCount()) {
    return;
  }
  CommitEdit();
  layout_.SetColCount(count);
  cells_.resize(Index(count), std::vector<Cell>(Index(RowCount())));
  AfterCountChange();
}

void StringGrid::SetRowCount(int count) {
  count = std::clamp(count, kFixedRows, app::GridLayout::kMaxCount);
  if (count == RowCount()) {
    return;
  }
  CommitEdit();
  layout_.SetRowCount(count);
  for (auto& column : cells_) {
    column.resize(Index(count));
  }
  AfterCountChange();
}

void StringGrid::SetCellBytes(int col, int row, std::string_view bytes) {
  if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount()) {
    return;
  }
  // Code wins over half-finished typing in the same cell.
  if (editing_ && col == CurrentCol() && row == CurrentRow()) {
    CancelEdit();
  }
  Cell& cell = cells_[Index(col)][Index(row)];
  cell.bytes.assign(bytes);
  cell.text = Cp932ToWide(bytes);
  Redraw();
}

std::string StringGrid::CellBytes(int col, int row) const {
  if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount()) {
    return {};
  }
  return cells_[Index(col)][Index(row)].bytes;
}

std::wstring StringGrid::CellText(int col, int row) const {
  if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount()) {
    return {};
  }
  return cells_[Index(col)][Index(row)].text;
}

void StringGrid::SetColWidth(int col, int width) {
  if (col < 0 || col >= ColCount() || layout_.ColWidth(col) == std::clamp(width, 0, kMaxColWidth)) {
    return;
  }
  layout_.SetColWidth(col, width);
  UpdateScrollBar();
  Redraw();
}

void StringGrid::SetDataColWidths(int width) {
  layout_.SetDataColWidths(width);
  UpdateScrollBar();
  Redraw();
}

void StringGrid::SetDefaultColWidth(int width) {
  layout_.SetDefaultColWidth(width);
  UpdateScrollBar();
  Redraw();
}

void StringGrid::SetDefaultRowHeight(int height) {
  layout_.SetRowHeight(height);
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
  StoreTyped(CurrentCol(), CurrentRow(), typed);
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

// ---------------------------------------------------------------------------
// Window messages

bool StringGrid::OnCreate() {
  edit_ = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | ES_AUTOHSCROLL, 0, 0, 0, 0, Handle(),
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)),
                          GetModuleHandleW(nullptr), nullptr);
  if (!editor_.Attach(edit_)) {
    return false;
  }
  SendMessageW(edit_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
               MAKELPARAM(kTextIndent - 1, 0));
  // Numbers only: no input method context, so the keyboard types ASCII
  // whatever mode the input method was left in. Where this fails (or a
  // system re-associates one), composed text still arrives as characters.
  ImmAssociateContextEx(Handle(), nullptr, 0);
  ImmAssociateContextEx(edit_, nullptr, 0);
  textHeight_ = TextHeight(Handle(), font_);
  UpdateScrollBar();
  return true;
}

// The editor went with the grid's children; what it held goes too.
void StringGrid::OnNcDestroy() {
  edit_ = nullptr;
  editing_ = false;
  composing_ = compositionEnter_ = false;
}

void StringGrid::OnSize() {
  UpdateScrollBar();
  Redraw();
}

void StringGrid::OnPaint() {
  ScopedPaint paint = BeginPaintScoped(Handle());
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
  textHeight_ = TextHeight(Handle(), font_);
  if (edit_ != nullptr) {
    SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    PlaceEditor();
  }
  if (redraw) {
    Redraw();
  }
}

void StringGrid::OnFocusChange() {
  compositionEnter_ = false;
  Redraw();
}

LRESULT StringGrid::OnGetDlgCode(const MSG* message) {
  LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
  if (message == nullptr || message->message != WM_KEYDOWN) {
    return code;
  }
  // Tab walks the cells and leaves the grid after the last one, so the
  // keyboard can still reach the window's other controls.
  if (message->wParam == VK_TAB && layout_.TabTarget(KeyDown(VK_SHIFT))) {
    code |= DLGC_WANTTAB;
  }
  // Plain Enter stays the dialog manager's OK.
  if (message->wParam == VK_RETURN && (KeyDown(VK_CONTROL) || IsEnterForComposition(message->wParam))) {
    code |= DLGC_WANTMESSAGE;
  }
  return code;
}

void StringGrid::OnKeyDown(UINT key) {
  const bool shift = KeyDown(VK_SHIFT);
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
      if (const auto target = layout_.TabTarget(shift)) {
        MoveTo(target->col, target->row, false);
      }
      break;
    case VK_F2: BeginEdit(CellText(col, row)); break;
    case VK_DELETE: StoreInSelection(L""); break;
    // Only Ctrl+Enter and the Enter that ends a composition get here; the
    // editor hands its Ctrl+Enter on after storing the typed text.
    case VK_RETURN:
      if (!IsEnterForComposition(key)) {
        StoreInSelection(CellText(col, row));
      }
      break;
    default: break;
  }
}

void StringGrid::OnChar(wchar_t ch) {
  if (editing_) {
    // Typed ahead while the editor was opening: it belongs in the editor.
    SendMessageW(edit_, WM_CHAR, ch, 0);
    return;
  }
  if (ch == kCtrlC) {
    OnCopy();
  } else if (ch == kCtrlV) {
    OnPaste();
  } else if (ch >= L' ' && ch != 0x7F) {
    BeginEdit(std::wstring_view(&ch, 1));
  }
}

void StringGrid::OnCopy() const {
  if (!layout_.HasDataCells()) {
    return;
  }
  const GridRect range = Selection();
  std::vector<std::vector<std::u16string>> rows;
  for (int row = range.top; row <= range.bottom; ++row) {
    auto& cells = rows.emplace_back();
    for (int col = range.left; col <= range.right; ++col) {
      cells.push_back(ToU16(CellText(col, row)));
    }
  }
  SetClipboardText(Handle(), ToWide(app::JoinCopiedCells(rows)));
}

void StringGrid::OnPaste() {
  CommitEdit();
  const std::optional<std::wstring> text = ClipboardText(Handle());
  if (!text) {
    return;
  }
  // Every cell from the current one to the last column.
  const std::vector<app::CellRef> targets = layout_.PasteTargets(Index(app::GridLayout::kMaxCount));
  const std::vector<std::u16string> values = app::SplitPastedValues(ToU16(*text), targets.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    StoreTyped(targets[i].col, targets[i].row, ToWide(values[i]));
  }
}

// Releasing any key ends what an Enter that closed a composition may hold.
void StringGrid::OnKeyUp() { compositionEnter_ = false; }

void StringGrid::OnComposition(UINT message) {
  composing_ = message == WM_IME_STARTCOMPOSITION;
  if (!composing_) {
    compositionEnter_ = true;
  }
}

// An Enter that an input method is still composing with, or that ended the
// composition and is still held down, confirms the text, not the window.
bool StringGrid::IsEnterForComposition(WPARAM key) const noexcept {
  return key == VK_PROCESSKEY || composing_ || compositionEnter_;
}

void StringGrid::OnLButtonDown(int x, int y, bool shift) {
  // Taking the focus closes an open editor through its WM_KILLFOCUS, which
  // stores its text before the click moves the current cell.
  SetFocus(Handle());
  compositionEnter_ = false;
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
    SetColWidth(resizeCol_, resizeStartWidth_ + (x - resizeStartX_));
    return;
  }
  if (drag_ != Drag::Select || !layout_.HasDataCells()) {
    return;
  }
  // Past an edge the selection keeps growing one column per mouse move and
  // scrolls that column in.
  const app::CellRef target = layout_.DragTarget(x, y, ClientWidth());
  if (target != layout_.Current()) {
    MoveTo(target.col, target.row, true);
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
      if (GetScrollInfo(Handle(), SB_HORZ, &info)) {
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

void StringGrid::OnMouseWheel(int delta) {
  if (delta != 0) {
    OnHScroll(delta > 0 ? SB_LINELEFT : SB_LINERIGHT);
  }
}

LRESULT StringGrid::OnGetText(int capacity, wchar_t* buffer) const {
  if (buffer == nullptr || capacity <= 0) {
    return 0;
  }
  const std::wstring text = CellText(CurrentCol(), CurrentRow());
  const std::size_t count = std::min(text.size(), Index(capacity - 1));
  std::copy_n(text.data(), count, buffer);
  buffer[count] = L'\0';
  return static_cast<LRESULT>(count);
}

LRESULT StringGrid::OnGetTextLength() const {
  return static_cast<LRESULT>(CellText(CurrentCol(), CurrentRow()).size());
}

LRESULT StringGrid::OnGetColEdges(int col) const {
  if (!layout_.IsColVisible(col, ClientWidth())) {
    return -1;
  }
  const int left = layout_.ColLeft(col);
  return PackPair(left, left + layout_.ColWidth(col));
}

LRESULT StringGrid::OnGetRowEdges(int row) const {
  const int top = layout_.RowTop(row);
  if (row < 0 || row >= RowCount() || top >= ClientSize().cy) {
    return -1;
  }
  return PackPair(top, top + layout_.RowHeight());
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

LRESULT StringGrid::HandleEditMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE: return OnEditorGetDlgCode(wParam, lParam);
    case WM_KEYDOWN: return OnEditorKeyDown(wParam, lParam);
    case WM_CHAR: return OnEditorChar(wParam, lParam);
    case WM_KILLFOCUS: return OnEditorKillFocus(wParam, lParam);
    case WM_KEYUP: OnKeyUp(); break;
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_ENDCOMPOSITION: OnComposition(message); break;
    default: break;
  }
  return editor_.DefaultProc(message, wParam, lParam);
}

LRESULT StringGrid::OnEditorGetDlgCode(WPARAM wParam, LPARAM lParam) {
  // Without these, the dialog manager turns Enter into IDOK before the
  // editor's text reaches the cell, and Tab into a focus change.
  LRESULT code = editor_.DefaultProc(WM_GETDLGCODE, wParam, lParam);
  const auto* keyMessage = reinterpret_cast<const MSG*>(lParam);
  if (keyMessage != nullptr && keyMessage->message == WM_KEYDOWN) {
    code |= OnGetDlgCode(keyMessage) & (DLGC_WANTTAB | DLGC_WANTMESSAGE);
    if (keyMessage->wParam == VK_RETURN || keyMessage->wParam == VK_ESCAPE) {
      code |= DLGC_WANTMESSAGE;
    }
  }
  return code;
}

LRESULT StringGrid::OnEditorKeyDown(WPARAM wParam, LPARAM lParam) {
  switch (wParam) {
    case VK_RETURN:
      if (IsEnterForComposition(wParam)) {
        return 0;
      }
      CommitEdit();
      if (KeyDown(VK_CONTROL)) {
        OnKeyDown(VK_RETURN);
      } else {
        ForwardCommand(IDOK);
      }
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
    default: return editor_.DefaultProc(WM_KEYDOWN, wParam, lParam);
  }
}

LRESULT StringGrid::OnEditorChar(WPARAM wParam, LPARAM lParam) {
  // Their key downs were handled above; the EDIT would only beep.
  if (wParam == L'\r' || wParam == L'\n' || wParam == 0x1B || wParam == L'\t') {
    return 0;
  }
  return editor_.DefaultProc(WM_CHAR, wParam, lParam);
}

LRESULT StringGrid::OnEditorKillFocus(WPARAM wParam, LPARAM lParam) {
  // Leaving the editor by any way (a click on a button, Tab out of the grid)
  // keeps what was typed.
  const LRESULT result = editor_.DefaultProc(WM_KILLFOCUS, wParam, lParam);
  CommitEdit();
  return result;
}

bool StringGrid::BeginEdit(std::wstring_view text) {
  if (edit_ == nullptr || editing_ || !IsEditable(CurrentCol(), CurrentRow())) {
    return false;
  }
  MakeVisible(CurrentCol());
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
    SetFocus(Handle());
  }
  ShowWindow(edit_, SW_HIDE);
  Redraw();
}

// Posted, not sent: the parent's OK handler may destroy this window, which it
// must not do while the editor's window procedure is still on the stack.
void StringGrid::ForwardCommand(int id) {
  const HWND parent = GetParent(Handle());
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

RECT StringGrid::CellRect(int col, int row) const noexcept {
  const int left = layout_.ColLeft(col);
  const int top = layout_.RowTop(row);
  return RECT{left, top, left + ColWidth(col), top + layout_.RowHeight()};
}

SIZE StringGrid::ClientSize() const noexcept {
  RECT client{};
  if (Handle() == nullptr || !GetClientRect(Handle(), &client)) {
    return SIZE{0, 0};
  }
  return SIZE{client.right - client.left, client.bottom - client.top};
}

// ---------------------------------------------------------------------------
// State changes

void StringGrid::MoveTo(int col, int row, bool extend) {
  if (!layout_.HasDataCells()) {
    return;
  }
  layout_.MoveTo(col, row, extend);
  MakeVisible(CurrentCol());
  Redraw();
}

void StringGrid::ScrollTo(int x) {
  if (layout_.ScrollTo(x, ClientWidth())) {
    UpdateScrollBar();
    Redraw();
  }
}

void StringGrid::MakeVisible(int col) {
  if (Handle() != nullptr) {
    ScrollTo(layout_.ScrollToShow(col, ClientWidth()));
  }
}

void StringGrid::UpdateScrollBar() {
  if (Handle() == nullptr) {
    return;
  }
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
  PlaceEditor();
}

// A single-line EDIT draws its text at the top; centring the control on the
// cell puts the text where the cell draws its own.
void StringGrid::PlaceEditor() {
  if (!editing_) {
    return;
  }
  const RECT cell = CellRect(CurrentCol(), CurrentRow());
  const int cellHeight = cell.bottom - cell.top;
  const int height = textHeight_ > 0 ? std::min(cellHeight, textHeight_ + 2) : cellHeight;
  SetWindowPos(edit_, HWND_TOP, cell.left, cell.top + (cellHeight - height) / 2,
               cell.right - cell.left, height, SWP_NOACTIVATE);
}

void StringGrid::AfterCountChange() {
  UpdateScrollBar();
  Redraw();
}

void StringGrid::Redraw() const noexcept {
  if (Handle() != nullptr) {
    InvalidateRect(Handle(), nullptr, FALSE);
  }
}

void StringGrid::StoreTyped(int col, int row, std::wstring_view typed) {
  if (!IsEditable(col, row)) {
    return;
  }
  Cell& cell = cells_[Index(col)][Index(row)];
  const std::wstring text = ToWide(app::NormaliseNumberText(ToU16(typed)));
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

void StringGrid::StoreInSelection(std::wstring_view text) {
  // A copy: the text may be a cell's own, which the first store replaces.
  const std::wstring value(text);
  for (const app::CellRef cell : layout_.SelectedCells()) {
    StoreTyped(cell.col, cell.row, value);
  }
}

// ---------------------------------------------------------------------------
// Drawing

void StringGrid::Paint(HDC dc, SIZE size) const {
  const RECT all{0, 0, size.cx, size.cy};
  FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
  const HGDIOBJ font = font_ != nullptr ? static_cast<HGDIOBJ>(font_) : GetStockObject(DEFAULT_GUI_FONT);
  const ScopedSelection selectedFont = SelectScoped(dc, font);
  SetBkMode(dc, TRANSPARENT);
  const bool focused = GetFocus() == Handle();
  const int firstData = LeftCol();
  for (int row = 0; row < RowCount() && layout_.RowTop(row) < size.cy; ++row) {
    // Data cells first: one scrolled half under the heading column is then
    // painted over by the heading.
    if (firstData >= 0) {
      for (int col = firstData; col < ColCount() && layout_.ColLeft(col) < size.cx; ++col) {
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
  const bool fixed = !IsEditable(col, row);
  const bool selected = !fixed && Selection().Contains(col, row);
  const Cell& content = cells_[Index(col)][Index(row)];
  const bool notANumber = !fixed && app::IsNotANumber(content.bytes);

  COLORREF background = GetSysColor(COLOR_WINDOW);
  COLORREF foreground = GetSysColor(COLOR_WINDOWTEXT);
  if (fixed) {
    background = GetSysColor(COLOR_BTNFACE);
    foreground = GetSysColor(COLOR_BTNTEXT);
  } else if (notANumber) {
    background = selected ? kNotANumberSelected : kNotANumber;
    foreground = selected ? kWhite : GetSysColor(COLOR_WINDOWTEXT);
  } else if (selected) {
    background = GetSysColor(COLOR_HIGHLIGHT);
    foreground = GetSysColor(COLOR_HIGHLIGHTTEXT);
  }
  SetDCBrushColor(dc, background);
  FillRect(dc, &cell, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  if (fixed) {
    RECT edge = cell;
    DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT);
  }

  // The editor covers only the middle of its cell; the old text must not
  // show above and below it.
  const bool underEditor = editing_ && col == CurrentCol() && row == CurrentRow();
  const std::wstring& text = content.text;
  if (!text.empty() && !underEditor) {
    RECT textRect = cell;
    textRect.left += kTextIndent;
    SetTextColor(dc, foreground);
    DrawTextW(dc, text.c_str(), static_cast<int>(std::min(text.size(), Index(INT_MAX))), &textRect,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  if (focused && !editing_ && col == CurrentCol() && row == CurrentRow()) {
    DrawFocusRect(dc, &cell);
  }

  // The line right of and below the cell; heading lines are darker, as the
  // headings are meant to read as buttons.
  const HBRUSH line = GetSysColorBrush(fixed ? COLOR_3DDKSHADOW : COLOR_BTNFACE);
  const int lineWidth = app::GridLayout::kGridLineWidth;
  const RECT right{cell.right, cell.top, cell.right + lineWidth, cell.bottom + lineWidth};
  const RECT bottom{cell.left, cell.bottom, cell.right + lineWidth, cell.bottom + lineWidth};
  FillRect(dc, &right, line);
  FillRect(dc, &bottom, line);
}

}  // namespace rupena::win32
