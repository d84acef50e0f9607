// Where the window opens when its stored position has no screen under it
// any more (a position file written on a monitor since unplugged).
#pragma once

#include <cstdint>
#include <vector>

#include "app/position_file.h"

namespace rupena::app {

// Screen pixels; right and bottom are exclusive.
struct ScreenRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  bool operator==(const ScreenRect&) const = default;
};

struct WindowSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t titleBarHeight = 0;  // from the window's top edge, frame included
};

// `position` unchanged when the title bar of a window of `size` placed there
// shares at least one pixel with one of `workAreas`, however little of the
// window shows; otherwise the position that puts the window fully inside
// the work area nearest to it (its top left corner inside when it is
// larger). No work areas: unchanged. Any int32 position is taken.
WindowPosition KeepReachable(WindowPosition position, WindowSize size,
                             const std::vector<ScreenRect>& workAreas) noexcept;

}  // namespace rupena::app
