#include "app/win32/preview_band.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "app/win32/cp932.h"
#include "app/win32/scoped_gdi.h"

namespace rupena::win32 {

namespace {

constexpr wchar_t kClassName[] = L"RupenaPreviewBand";
constexpr COLORREF kBackground = RGB(255, 255, 255);
constexpr COLORREF kBorder = RGB(160, 160, 160);
constexpr COLORREF kCellOutline = RGB(215, 215, 215);
constexpr COLORREF kUnsplit = RGB(205, 205, 205);  // faint, behind the split text
constexpr COLORREF kCharacter = RGB(0, 0, 0);
constexpr COLORREF kMeasure = RGB(90, 90, 90);

// At 96 DPI: the margin round the drawing, the strip under it that holds
// the length, and the height of the band's own lettering.
constexpr int kMargin = 6;
constexpr int kLengthStrip = 16;
constexpr int kLetteringHeight = 12;

constexpr wchar_t kLetteringFace[] = L"ＭＳ ゴシック";

ScopedFont MakeFont(const std::wstring& face, int height, int width) {
  LOGFONTW lf{};
  lf.lfHeight = -std::max(height, 1);
  lf.lfWidth = std::max(width, 0);
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = SHIFTJIS_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  face.copy(lf.lfFaceName, LF_FACESIZE - 1);
  return ScopedFont(CreateFontIndirectW(&lf));
}

RECT ToRect(const app::BandRect& r) {
  return RECT{static_cast<LONG>(std::lround(r.left)), static_cast<LONG>(std::lround(r.top)),
              static_cast<LONG>(std::lround(r.right)), static_cast<LONG>(std::lround(r.bottom))};
}

void FrameRectIn(HDC dc, const RECT& r, COLORREF color) {
  SetDCBrushColor(dc, color);
  FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

}  // namespace

bool PreviewBand::Create(HWND parent, int id, int x, int y, int width, int height) {
  WindowClass windowClass;
  windowClass.name = kClassName;
  windowClass.cursor = IDC_ARROW;
  WindowPlace place;
  place.style = WS_CHILD | WS_VISIBLE;
  place.x = x;
  place.y = y;
  place.width = width;
  place.height = height;
  place.parent = parent;
  place.id = id;
  return WindowBase::Create(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                            windowClass, place);
}

void PreviewBand::Show(const app::Preview& preview) {
  preview_ = preview;
  if (Handle() != nullptr) RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void PreviewBand::SetDpi(UINT dpi) {
  dpi_ = dpi != 0 ? dpi : 96;
  if (Handle() != nullptr) InvalidateRect(Handle(), nullptr, FALSE);
}

int PreviewBand::Scaled(int pixels96) const noexcept { return MulDiv(pixels96, static_cast<int>(dpi_), 96); }

LRESULT PreviewBand::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_PRINTCLIENT: OnPrintClient(reinterpret_cast<HDC>(wParam)); return 0;
    case WM_ERASEBKGND: return 1;  // the paint covers every pixel
    default: return DefaultProc(message, wParam, lParam);
  }
}

SIZE PreviewBand::ClientSize() const noexcept {
  RECT client{};
  GetClientRect(Handle(), &client);
  return SIZE{client.right - client.left, client.bottom - client.top};
}

void PreviewBand::OnPaint() {
  PaintOffScreen(Handle(), ClientSize(), [this](HDC dc, SIZE size) { Paint(dc, size); });
}

void PreviewBand::OnPrintClient(HDC dc) {
  if (dc != nullptr) Paint(dc, ClientSize());
}

void PreviewBand::Paint(HDC dc, SIZE size) const {
  const RECT all{0, 0, size.cx, size.cy};
  SetDCBrushColor(dc, kBackground);
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  FrameRectIn(dc, all, kBorder);
  if (!preview_.hasText || preview_.split.empty()) return;
  SetBkMode(dc, TRANSPARENT);

  const int strip = Scaled(kLengthStrip);
  const app::PreviewFit fit(preview_, size.cx, std::max<LONG>(size.cy - strip, 1), Scaled(kMargin));
  // The characters at their cells' size: a full-width one fills its cell,
  // a half-width one (half the average width) fills its own.
  const double scale = fit.Scale();
  ScopedFont font = MakeFont(Cp932ToWide(preview_.fontName), static_cast<int>(std::lround(preview_.charHeight * scale)),
                             static_cast<int>(std::lround(preview_.charWidth * scale / 2)));
  {
    const ScopedSelection selectedFont = SelectScoped(dc, font ? static_cast<HGDIOBJ>(font.Get())
                                                                : GetStockObject(DEFAULT_GUI_FONT));
    const auto drawCharacter = [dc](const app::PreviewCell& cell, RECT r) {
      const std::wstring character = Cp932ToWide(cell.bytes);
      DrawTextW(dc, character.c_str(), static_cast<int>(character.size()), &r,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    };
    SetTextColor(dc, kUnsplit);
    for (const app::PreviewCell& cell : preview_.unsplit) {
      if (cell.written) drawCharacter(cell, ToRect(fit.Cell(cell)));
    }
    SetTextColor(dc, kCharacter);
    for (const app::PreviewCell& cell : preview_.split) {
      const RECT r = ToRect(fit.Cell(cell));
      FrameRectIn(dc, r, kCellOutline);
      if (cell.written) drawCharacter(cell, r);
    }
  }

  // The length the characters span, as a measure under them.
  const app::PreviewCell& first = preview_.split.front();
  const app::PreviewCell& last = preview_.split.back();
  const RECT span = ToRect(fit.Span(first.start, last.start + last.width));
  ScopedFont lettering = MakeFont(kLetteringFace, Scaled(kLetteringHeight), 0);
  const ScopedSelection selectedLettering =
      SelectScoped(dc, lettering ? static_cast<HGDIOBJ>(lettering.Get()) : GetStockObject(DEFAULT_GUI_FONT));
  SetTextColor(dc, kMeasure);
  SetDCPenColor(dc, kMeasure);
  const ScopedSelection pen = SelectScoped(dc, GetStockObject(DC_PEN));
  const int tick = std::max(Scaled(3), 1);
  const std::wstring length = Cp932ToWide(preview_.length);
  const auto line = [dc](int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
  };
  if (preview_.vertical) {
    // beside the column, the number to its right
    const int x = static_cast<int>(span.right) + Scaled(kMargin);
    line(x, span.top, x, span.bottom);
    line(x - tick, span.top, x + tick + 1, span.top);
    line(x - tick, span.bottom, x + tick + 1, span.bottom);
    RECT lengthRect{x + Scaled(kMargin), span.top, size.cx, span.bottom};
    DrawTextW(dc, length.c_str(), static_cast<int>(length.size()), &lengthRect,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
  } else {
    // under the cells, the number below the line
    const int y = static_cast<int>(size.cy) - strip + strip / 4;
    line(span.left, y, span.right, y);
    line(span.left, y - tick, span.left, y + tick + 1);
    line(span.right, y - tick, span.right, y + tick + 1);
    RECT lengthRect{span.left, y, span.right, size.cy};
    DrawTextW(dc, length.c_str(), static_cast<int>(length.size()), &lengthRect,
              DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
  }

  if (!preview_.angle.empty()) {
    const std::wstring angle = Cp932ToWide(preview_.angle);
    RECT corner{Scaled(kMargin), Scaled(2), size.cx - Scaled(kMargin), size.cy};
    DrawTextW(dc, angle.c_str(), static_cast<int>(angle.size()), &corner,
              DT_RIGHT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  }
}

}  // namespace rupena::win32
