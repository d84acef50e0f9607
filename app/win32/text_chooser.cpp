#include "app/win32/text_chooser.h"

#include "app/win32/cp932.h"

namespace rupena::win32 {

namespace {

// The list drops down far enough for a few texts.
constexpr int kItemsListed = 9;

ScopedFont MakeFont(const std::wstring& face, int height) {
  LOGFONTW lf{};
  lf.lfHeight = -height;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = SHIFTJIS_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  // a name longer than LOGFONT holds is cut; the system substitutes a font
  // it does not have anyway
  face.copy(lf.lfFaceName, LF_FACESIZE - 1);
  return ScopedFont(CreateFontIndirectW(&lf));
}

}  // namespace

TextChooser::~TextChooser() {
  // The list's items are drawn with the fonts: the list goes first.
  if (combo_ != nullptr) DestroyWindow(combo_);
}

void TextChooser::Prepare(HWND parent, int id, HWND previous, int x, int y, int width,
                          int itemHeight, int fontHeight) {
  parent_ = parent;
  id_ = id;
  previous_ = previous;
  x_ = x;
  y_ = y;
  width_ = width;
  itemHeight_ = itemHeight;
  fontHeight_ = fontHeight;
}

bool TextChooser::MakeCombo() {
  if (combo_ != nullptr) return true;
  // The field is as high as an item and its frame.
  combo_ = CreateWindowExW(0, L"COMBOBOX", L"",
                           WS_CHILD | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED |
                               CBS_HASSTRINGS,
                           x_, y_, width_, itemHeight_ * kItemsListed, parent_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)),
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent_, GWLP_HINSTANCE)), nullptr);
  if (combo_ == nullptr) return false;
  // Made last, it would come last in the tab order and be read without
  // the label that names it.
  SetWindowPos(combo_, previous_, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return true;
}

void TextChooser::Show(const std::vector<app::TextChoice>& choices, std::size_t chosen) {
  if (!MakeCombo()) return;
  texts_.clear();
  faces_.clear();
  SendMessageW(combo_, CB_RESETCONTENT, 0, 0);
  for (const app::TextChoice& choice : choices) {
    texts_.push_back(Cp932ToWide(choice.text));
    faces_.push_back(Cp932ToWide(choice.fontName));
    SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(texts_.back().c_str()));
  }
  MakeFonts();
  SendMessageW(combo_, CB_SETCURSEL, chosen, 0);
  ShowWindow(combo_, SW_SHOW);
}

int TextChooser::Chosen() const noexcept {
  return combo_ != nullptr ? static_cast<int>(SendMessageW(combo_, CB_GETCURSEL, 0, 0)) : -1;
}

void TextChooser::SetSizes(int itemHeight, int fontHeight) {
  itemHeight_ = itemHeight;
  fontHeight_ = fontHeight;
  MakeFonts();
  if (combo_ == nullptr) return;
  SendMessageW(combo_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), itemHeight_);
  SendMessageW(combo_, CB_SETITEMHEIGHT, 0, itemHeight_);
}

void TextChooser::Place(int x, int y, int width) {
  x_ = x;
  y_ = y;
  width_ = width;
  if (combo_ == nullptr) return;
  SetWindowPos(combo_, nullptr, x, y, width, itemHeight_ * kItemsListed, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TextChooser::MakeFonts() {
  fonts_.clear();
  for (const std::wstring& face : faces_) fonts_.push_back(MakeFont(face, fontHeight_));
}

void TextChooser::MeasureItem(MEASUREITEMSTRUCT& item) const noexcept {
  item.itemHeight = static_cast<UINT>(itemHeight_);
}

void TextChooser::DrawItem(const DRAWITEMSTRUCT& item) const {
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  SetDCBrushColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  if (item.itemID == static_cast<UINT>(-1) || item.itemID >= texts_.size()) return;
  const ScopedFont& font = fonts_[item.itemID];
  const ScopedSelection selectedFont =
      SelectScoped(item.hDC, font ? static_cast<HGDIOBJ>(font.Get()) : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  RECT text = item.rcItem;
  text.left += 2;
  const std::wstring& line = texts_[item.itemID];
  DrawTextW(item.hDC, line.c_str(), static_cast<int>(line.size()), &text,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  if ((item.itemState & ODS_FOCUS) != 0) DrawFocusRect(item.hDC, &item.rcItem);
}

}  // namespace rupena::win32
