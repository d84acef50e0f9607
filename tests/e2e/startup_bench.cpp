// How long the tool takes to show its window, next to the smallest useful
// Win32 program on the same system: from process creation until the window
// is visible, the best of several runs of each, the two taking turns so
// that both meet the same load. The tool starts on a host file, from a
// folder of its own, and is cancelled each time, so every run is alike.
// Prints figures; no start is too slow to pass.
//
//   startup_bench.exe TOOL.exe MINIMAL.exe EXCHANGE-FILE [RUNS]
//
// Exit code 0 after printing, 1 when a program did not start or end, 2 on
// a usage error.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <limits>
#include <optional>

#include "app/win32/main_window_ids.h"
#include "tests/e2e/minimal_window.h"
#include "tests/e2e/tool_driver.h"

namespace {

using namespace rupena::e2e;

constexpr int kDefaultRuns = 10;

void CancelTool(const RunningWindow& run) { run.ClickButton(rupena::win32::kIdCancel); }
void CloseWindow(const RunningWindow& run) { PostMessageW(run.Main(), WM_CLOSE, 0, 0); }

// Milliseconds until the window showed; nullopt when it did not, or when
// the program did not end after closing.
std::optional<double> TimeOneStart(const std::filesystem::path& exe, const wchar_t* windowClass,
                                   void (*close)(const RunningWindow&)) {
  RunningWindow run(exe, windowClass);
  if (run.Main() == nullptr) return std::nullopt;
  const double ms = static_cast<double>(run.StartupTime().count()) / 1000.0;
  close(run);
  if (!run.WaitForExit()) return std::nullopt;
  return ms;
}

int Run(const wchar_t* tool, const wchar_t* minimal, const wchar_t* exchange, int runs) {
  const ProgramFolder toolFolder(tool, L"rupena startup");
  const ProgramFolder minimalFolder(minimal, L"rupena startup minimal");
  WriteFileBytes(toolFolder.Exchange(), ReadFileBytes(exchange));
  double bestTool = std::numeric_limits<double>::infinity();
  double bestMinimal = bestTool;
  for (int i = 0; i < runs; ++i) {
    // Each goes first every other time: neither always meets a warmer system.
    for (const bool toolTurn : {i % 2 == 0, i % 2 != 0}) {
      const std::optional<double> ms =
          toolTurn ? TimeOneStart(toolFolder.Exe(), rupena::win32::kMainWindowClass, CancelTool)
                   : TimeOneStart(minimalFolder.Exe(), kMinimalWindowClass, CloseWindow);
      if (!ms) {
        std::fprintf(stderr, "startup_bench: the %s did not start and end\n",
                     toolTurn ? "tool" : "minimal window");
        return 1;
      }
      double& best = toolTurn ? bestTool : bestMinimal;
      best = std::min(best, *ms);
    }
  }
  std::printf("start-up until the window shows, best of %d each\n", runs);
  std::printf("  tool            %7.1f ms\n", bestTool);
  std::printf("  minimal window  %7.1f ms\n", bestMinimal);
  std::printf("  tool / minimal  %7.2fx\n", bestTool / bestMinimal);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int runs = argc == 5 ? _wtoi(argv[4]) : kDefaultRuns;
  if (argc < 4 || argc > 5 || runs < 1) {
    std::fprintf(stderr, "usage: startup_bench TOOL.exe MINIMAL.exe EXCHANGE-FILE [RUNS]\n");
    return 2;
  }
  try {
    return Run(argv[1], argv[2], argv[3], runs);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "startup_bench: %s\n", e.what());
    return 1;
  }
}
