#include "app/win32/cell_editor.h"

#include <imm.h>

#include <algorithm>

#include "app/win32/scoped_gdi.h"

namespace rupena::win32 {

namespace {

constexpr int kEditId = 1;

int TextHeight(HWND window, HFONT font) noexcept {
  const ScopedWindowDc dc = GetDcScoped(window);
  if (!dc) return 0;
  const ScopedSelection selected = SelectScoped(
      dc.Get().dc, font != nullptr ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW metrics{};
  return GetTextMetricsW(dc.Get().dc, &metrics) ? static_cast<int>(metrics.tmHeight) : 0;
}

bool IsGridKey(WPARAM key) noexcept {
  return key == VK_RETURN || key == VK_ESCAPE || key == VK_TAB || key == VK_UP || key == VK_DOWN;
}

}  // namespace

bool CellEditor::Create(HWND parent) {
  const HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | ES_AUTOHSCROLL, 0, 0, 0, 0, parent,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)),
                                    GetModuleHandleW(nullptr), nullptr);
  if (edit == nullptr) return false;
  if (!Attach(edit)) {
    DestroyWindow(edit);
    return false;
  }
  parent_ = parent;
  open_ = composing_ = compositionEnter_ = false;
  SetTextIndent(kTextIndent);
  ImmAssociateContextEx(parent, nullptr, 0);
  ImmAssociateContextEx(edit, nullptr, 0);
  textHeight_ = kUnmeasured;
  return true;
}

void CellEditor::Open(std::wstring_view text, RECT cell) {
  if (Handle() == nullptr) return;
  open_ = true;
  SetWindowTextW(Handle(), std::wstring(text).c_str());
  Place(cell);
  ShowWindow(Handle(), SW_SHOW);
  SendMessageW(Handle(), EM_SETSEL, text.size(), static_cast<LPARAM>(text.size()));
  SetFocus(Handle());
}

void CellEditor::Close() {
  if (!IsOpen()) return;
  // Closed before the focus moves, so the focus loss stores nothing twice.
  open_ = false;
  if (GetFocus() == Handle()) SetFocus(parent_);
  ShowWindow(Handle(), SW_HIDE);
}

std::wstring CellEditor::Text() const {
  const int length = GetWindowTextLengthW(Handle());
  std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
  const int copied = GetWindowTextW(Handle(), text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return text;
}

// A single-line EDIT draws its text at the top; centring the control on the
// cell puts the text where the cell draws its own.
void CellEditor::Place(RECT cell) {
  if (!IsOpen()) return;
  // Measured when first needed: the font usually changes before the
  // editor ever opens.
  if (textHeight_ == kUnmeasured) textHeight_ = TextHeight(Handle(), font_);
  const int cellHeight = cell.bottom - cell.top;
  const int height = textHeight_ > 0 ? std::min(cellHeight, textHeight_ + 2) : cellHeight;
  SetWindowPos(Handle(), HWND_TOP, cell.left, cell.top + (cellHeight - height) / 2,
               cell.right - cell.left, height, SWP_NOACTIVATE);
}

void CellEditor::SetFont(HFONT font) {
  if (Handle() == nullptr) return;
  SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  font_ = font;
  textHeight_ = kUnmeasured;
}

// One pixel less than the indent, as at 96 DPI, where that lines the
// editor's text up with the cell's.
void CellEditor::SetTextIndent(int pixels) {
  if (Handle() == nullptr) return;
  SendMessageW(Handle(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
               MAKELPARAM(std::max(pixels - 1, 0), 0));
}

void CellEditor::OnComposition(UINT message) noexcept {
  composing_ = message == WM_IME_STARTCOMPOSITION;
  if (!composing_) compositionEnter_ = true;
}

LRESULT CellEditor::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE: return OnGetDlgCode(wParam, lParam);
    case WM_KEYDOWN: return OnKeyDown(wParam, lParam);
    case WM_CHAR: return OnChar(wParam, lParam);
    case WM_KILLFOCUS: return OnKillFocus(wParam, lParam);
    case WM_KEYUP: ForgetCompositionEnter(); break;
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_ENDCOMPOSITION: OnComposition(message); break;
    default: break;
  }
  return DefaultProc(message, wParam, lParam);
}

LRESULT CellEditor::OnGetDlgCode(WPARAM wParam, LPARAM lParam) {
  // Without these, the dialog manager turns Enter into IDOK before the
  // editor's text reaches the cell, and Tab into a focus change.
  LRESULT code = DefaultProc(WM_GETDLGCODE, wParam, lParam);
  const auto* keyMessage = reinterpret_cast<const MSG*>(lParam);
  if (keyMessage != nullptr && keyMessage->message == WM_KEYDOWN) {
    code |= grid_.DialogCode(keyMessage) & (DLGC_WANTTAB | DLGC_WANTMESSAGE);
    if (keyMessage->wParam == VK_RETURN || keyMessage->wParam == VK_ESCAPE) {
      code |= DLGC_WANTMESSAGE;
    }
  }
  return code;
}

LRESULT CellEditor::OnKeyDown(WPARAM wParam, LPARAM lParam) {
  if (!IsGridKey(wParam)) return DefaultProc(WM_KEYDOWN, wParam, lParam);
  if (wParam != VK_RETURN || !IsEnterForComposition(wParam)) {
    grid_.OnEditorKey(static_cast<UINT>(wParam));
  }
  return 0;
}

LRESULT CellEditor::OnChar(WPARAM wParam, LPARAM lParam) {
  // Their key downs went to the grid; the EDIT would only beep.
  if (wParam == L'\r' || wParam == L'\n' || wParam == 0x1B || wParam == L'\t') return 0;
  return DefaultProc(WM_CHAR, wParam, lParam);
}

LRESULT CellEditor::OnKillFocus(WPARAM wParam, LPARAM lParam) {
  const LRESULT result = DefaultProc(WM_KILLFOCUS, wParam, lParam);
  grid_.CommitEdit();
  return result;
}

}  // namespace rupena::win32
