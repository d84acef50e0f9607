#include "app/win32/length_box.h"

#include <string>

#include "app/number_input.h"
#include "app/win32/cp932.h"
#include "app/win32/utf16.h"

namespace rupena::win32 {

namespace {

std::wstring TextOf(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace

bool LengthBox::Create(HWND parent, int id, int x, int y, int width, int height) {
  const HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                    WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, x, y, width,
                                    height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                    reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                                    nullptr);
  if (edit == nullptr) return false;
  if (!Attach(edit)) {
    DestroyWindow(edit);
    return false;
  }
  return true;
}

void LengthBox::Show(std::string_view length, bool editable) {
  if (Handle() == nullptr) return;
  SetWindowTextW(Handle(), Cp932ToWide(length).c_str());
  SendMessageW(Handle(), EM_SETREADONLY, editable ? FALSE : TRUE, 0);
}

LRESULT LengthBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE: {
      // Enter is the box's own, not the window's OK.
      LRESULT code = DefaultProc(message, wParam, lParam);
      const auto* key = reinterpret_cast<const MSG*>(lParam);
      if (key != nullptr && key->message == WM_KEYDOWN && key->wParam == VK_RETURN) {
        code |= DLGC_WANTMESSAGE;
      }
      return code;
    }
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        if ((GetWindowLongPtrW(Handle(), GWL_STYLE) & ES_READONLY) == 0 && onEnter_) {
          const std::wstring typed = AsWide(app::NormaliseNumberText(AsU16(TextOf(Handle()))));
          onEnter_(WideToCp932(typed));
        }
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == L'\r' || wParam == L'\n') return 0;  // handled at its key down; an EDIT would beep
      break;
    default:
      break;
  }
  return DefaultProc(message, wParam, lParam);
}

}  // namespace rupena::win32
