#pragma once
// Plays the host and the user for the real tool: makes a program folder,
// copies the executable into it, writes the exchange file, starts the tool,
// finds its window and then acts through window messages, as a keyboard and
// a mouse would, and reads the files back when the tool has ended.

#include <windows.h>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rupena::e2e {

// The path of a built program, as the build gave it (a Unix path under Wine).
std::filesystem::path BuiltProgram(const char* buildPath);

std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);

// A fresh folder holding a copy of the tool, removed again at the end.
class ProgramFolder {
 public:
  ProgramFolder(const std::filesystem::path& tool, std::wstring_view name);
  ~ProgramFolder();
  ProgramFolder(const ProgramFolder&) = delete;
  ProgramFolder& operator=(const ProgramFolder&) = delete;

  const std::filesystem::path& Dir() const { return dir_; }
  std::filesystem::path Exe() const { return dir_ / exeName_; }
  std::filesystem::path Exchange() const { return dir_ / L"JWC_TEMP.TXT"; }
  std::filesystem::path Dat() const;

 private:
  std::filesystem::path dir_;
  std::wstring exeName_;
};

// One run of a program with a top-level window of the given class.
class RunningWindow {
 public:
  // Starts `exe` with its folder as the working directory and waits until
  // its window of class `windowClass` is visible. Check Main() for success.
  RunningWindow(const std::filesystem::path& exe, const wchar_t* windowClass,
                std::chrono::milliseconds timeout = std::chrono::seconds(30));
  ~RunningWindow();
  RunningWindow(const RunningWindow&) = delete;
  RunningWindow& operator=(const RunningWindow&) = delete;

  HWND Main() const { return main_; }
  HWND Control(int id) const { return GetDlgItem(main_, id); }
  // The window that has the keyboard focus in the tool's thread.
  HWND Focus() const;
  // Time from process creation until the window was visible.
  std::chrono::microseconds StartupTime() const { return startup_; }

  // Exit code once the process ended within the timeout.
  std::optional<DWORD> WaitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(20));

  // --- the user ---
  void PostKey(HWND target, UINT vk, bool alt = false) const;
  void PostChar(HWND target, wchar_t ch, bool alt = false) const;
  // Keys go to whatever has the focus at the time, as typed keys do.
  void TypeKey(UINT vk) const { PostKey(Focus(), vk); }
  void TypeChar(wchar_t ch) const { PostChar(Focus(), ch); }
  void ClickButton(int id) const;
  void Click(HWND target, int x, int y) const;
  void Drag(HWND target, POINT from, POINT to) const;

  // --- Windows ---
  // Sends `message` with lParam pointing at a copy of `data` in the tool's
  // memory, for messages whose pointer Windows does not carry across
  // processes (WM_DPICHANGED's suggested rectangle). nullopt when the copy
  // could not be made.
  std::optional<LRESULT> SendWithData(HWND target, UINT message, WPARAM wParam, const void* data,
                       std::size_t size) const;

 private:
  PROCESS_INFORMATION process_{};
  HWND main_ = nullptr;
  std::chrono::microseconds startup_{0};
};

// Waits until `condition` holds, polling; false on timeout.
template <typename F>
bool WaitUntil(F&& condition, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    Sleep(10);
  }
  return true;
}

// Text of a window in another process.
std::wstring WindowText(HWND hwnd);
// A child's rectangle in its parent's client coordinates.
RECT ChildRect(HWND child);
// The window as it is on screen: 24-bit pixels, bottom row first.
struct WindowPicture {
  int width = 0;
  int height = 0;
  std::vector<char> pixels;
};
std::optional<WindowPicture> TakePicture(HWND hwnd);
// Saves the window as it is on screen as a 24-bit BMP.
bool SaveWindowBitmap(HWND hwnd, const std::filesystem::path& path);

}  // namespace rupena::e2e
