#include "app/window_placement.h"

#include <algorithm>
#include <limits>

namespace rupena::app {

namespace {

// 64-bit, as a stored position may be any int32 and the window reaches
// past it.
struct Box {
  std::int64_t left, top, right, bottom;
};

Box ToBox(const ScreenRect& r) noexcept { return {r.left, r.top, r.right, r.bottom}; }

bool Intersects(const Box& a, const Box& b) noexcept {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Gap between two spans along one axis, 0 when they overlap.
std::int64_t Gap(std::int64_t aFrom, std::int64_t aTo, std::int64_t bFrom, std::int64_t bTo) noexcept {
  if (aTo <= bFrom) return bFrom - aTo;
  if (bTo <= aFrom) return aFrom - bTo;
  return 0;
}

// Each gap stays below 2^33, so the sum stays far below 2^63.
std::int64_t SquaredDistance(const Box& a, const Box& b) noexcept {
  const std::int64_t dx = Gap(a.left, a.right, b.left, b.right);
  const std::int64_t dy = Gap(a.top, a.bottom, b.top, b.bottom);
  return dx * dx + dy * dy;
}

// The start of a span of `size` inside [from, to), at `from` when it does
// not fit.
std::int32_t Inside(std::int64_t start, std::int64_t size, std::int32_t from, std::int32_t to) noexcept {
  const std::int64_t last = std::max<std::int64_t>(from, std::int64_t{to} - size);
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(start, from, last));
}

}  // namespace

WindowPosition KeepReachable(WindowPosition position, WindowSize size,
                             const std::vector<ScreenRect>& workAreas) noexcept {
  const std::int64_t width = std::max(size.width, 0);
  const std::int64_t height = std::max(size.height, 0);
  const Box window{position.left, position.top, position.left + width, position.top + height};
  const Box titleBar{window.left, window.top, window.right,
                     window.top + std::clamp<std::int64_t>(size.titleBarHeight, 1, std::max<std::int64_t>(height, 1))};
  const ScreenRect* nearest = nullptr;
  std::int64_t nearestDistance = std::numeric_limits<std::int64_t>::max();
  for (const ScreenRect& area : workAreas) {
    const Box box = ToBox(area);
    if (Intersects(titleBar, box)) return position;
    const std::int64_t distance = SquaredDistance(window, box);
    if (distance < nearestDistance) {
      nearest = &area;
      nearestDistance = distance;
    }
  }
  if (nearest == nullptr) return position;
  return {Inside(window.left, width, nearest->left, nearest->right),
          Inside(window.top, height, nearest->top, nearest->bottom)};
}

}  // namespace rupena::app
