#include "app/window_placement.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

using rupena::app::KeepReachable;
using rupena::app::ScreenRect;
using rupena::app::WindowPosition;
using rupena::app::WindowSize;

// 493 x 252 with a 26-pixel title bar, about what the tool's window is.
constexpr WindowSize kWindow{493, 252, 26};

TEST(WindowPlacement, AVisibleTitleBarKeepsThePosition) {
  // A primary monitor with a task bar at the bottom, a second one left of it.
  const std::vector<ScreenRect> areas = {{0, 0, 1920, 1040}, {-1280, 0, 0, 984}};
  struct Case {
    const char* name;
    WindowPosition stored;
    WindowPosition expected;
  } cases[] = {
      {"on the primary", {202, 107}, {202, 107}},
      {"on the left monitor", {-900, 300}, {-900, 300}},
      {"across both", {-200, 10}, {-200, 10}},
      {"title bar one pixel on screen", {-492, -25}, {-492, -25}},
      {"only the body below the top edge", {100, -30}, {100, 0}},
      {"title bar under the task bar", {100, 1040}, {100, 1040 - 252}},
      {"far away", {-30000, -30000}, {-1280, 0}},
      {"right of everything", {5000, 500}, {1920 - 493, 500}},
      {"below the left monitor", {-900, 2000}, {-900, 984 - 252}},
      {"int32 extremes", {INT_MAX, INT_MIN}, {1920 - 493, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(KeepReachable(c.stored, kWindow, areas), c.expected);
  }
}

TEST(WindowPlacement, AWindowLargerThanTheScreenKeepsItsTopLeftInside) {
  const std::vector<ScreenRect> small = {{0, 0, 400, 200}};
  EXPECT_EQ(KeepReachable({-5000, 9000}, kWindow, small), (WindowPosition{0, 0}));
}

TEST(WindowPlacement, NoWorkAreaKnownLeavesThePosition) {
  EXPECT_EQ(KeepReachable({-30000, -30000}, kWindow, {}), (WindowPosition{-30000, -30000}));
}

}  // namespace
