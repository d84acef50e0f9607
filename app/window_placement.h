// Where the window opens when its stored position has no screen under it
// any more (a position file written on a monitor since unplugged).
#pragma once

#include <cstdint>
#include <vector>

#include "app/position_file.h"

namespace Unit1 {

// Screen pixels; right and bottom are exclusive.
struct ScreenRect {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Right = 0;
  std::int32_t Bottom = 0;
  bool operator==(const ScreenRect&) const = default;
};

struct WindowSize {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::int32_t TitleBarHeight = 0;  // from the window's top edge, frame included
};

// `position` unchanged when the title bar of a window of `size` placed there
// shares at least one pixel with one of `workAreas`, however little of the
// window shows; otherwise the position that puts the window fully inside
// the work area nearest to it (its top left corner inside when it is
// larger). No work areas: unchanged. Any int32 position is taken.
WindowPosition KeepReachable(WindowPosition position, WindowSize size,
                             const std::vector<ScreenRect>& workAreas) noexcept;

}  // namespace Unit1
