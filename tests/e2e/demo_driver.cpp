// For the demo on a machine without a display: starts the tool where it
// lies, saves a picture of its window, confirms with Enter and waits for the
// tool to end. Exit code 0 when all of that happened.
//
//   demo_driver.exe TOOL.exe SHOT.bmp
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/win32/main_window_ids.h"
#include "tests/e2e/tool_driver.h"

int wmain(int argc, wchar_t** argv) {
  using namespace rupena::e2e;
  if (argc != 3) {
    std::fprintf(stderr, "usage: demo_driver TOOL.exe SHOT.bmp\n");
    return 2;
  }
  RunningWindow run(argv[1], rupena::win32::kMainWindowClass);
  if (run.Main() == nullptr) {
    std::fprintf(stderr, "demo_driver: the window did not appear\n");
    return 1;
  }
  WaitUntil([&] { return run.Focus() == run.Control(rupena::win32::kIdSpacingGrid); });
  Sleep(300);  // let the first paint reach the screen
  const bool saved = SaveWindowBitmap(run.Main(), argv[2]);
  run.TypeKey(VK_RETURN);
  const auto code = run.WaitForExit();
  if (!saved) std::fprintf(stderr, "demo_driver: could not save the picture\n");
  return saved && code && *code == 0 ? 0 : 1;
}
