#pragma once
// The band under the grid that shows where OK will put the characters: each
// in the chosen text's font, in its cell outlined faintly, the gaps between
// them, read left to right (a vertical text top to bottom), the text at its
// own spacing faintly behind, the length the characters span under them and
// the direction's angle when it is not 0. Everything it shows comes from an
// app::Preview; it draws and does nothing else.

#include <windows.h>

#include "app/preview.h"
#include "app/win32/window_base.h"

namespace rupena::win32 {

class PreviewBand final : public WindowBase {
 public:
  PreviewBand() = default;

  bool Create(HWND parent, int id, int x, int y, int width, int height);
  // Shows `preview`, drawn at once.
  void Show(const app::Preview& preview);
  // The band's own margins and lettering follow the window's scale.
  void SetDpi(UINT dpi);

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnPaint();
  void OnPrintClient(HDC dc);
  void Paint(HDC dc, SIZE size) const;
  SIZE ClientSize() const noexcept;
  int Scaled(int pixels96) const noexcept;

  app::Preview preview_;
  UINT dpi_ = 96;
};

}  // namespace rupena::win32
