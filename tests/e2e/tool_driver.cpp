#include "tests/e2e/tool_driver.h"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace rupena::e2e {

namespace fs = std::filesystem;

fs::path BuiltProgram(const char* buildPath) {
  std::string p = buildPath;
  // Wine maps the Unix root to drive Z:
  if (!p.empty() && p[0] == '/') {
    for (char& c : p) {
      if (c == '/') c = '\\';
    }
    p = "Z:" + p;
  }
  return fs::path(p);
}

std::string ReadFileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

ProgramFolder::ProgramFolder(const fs::path& tool, std::wstring_view name)
    : exeName_(tool.filename().wstring()) {
  static int serial = 0;
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH, temp);
  dir_ = fs::path(temp) / (std::wstring(name) + L" " + std::to_wstring(GetCurrentProcessId()) +
                           L"-" + std::to_wstring(++serial));
  std::error_code ec;
  fs::remove_all(dir_, ec);
  fs::create_directories(dir_);
  if (!CopyFileW(tool.c_str(), Exe().c_str(), FALSE)) {
    throw std::runtime_error("cannot copy the tool into its folder");
  }
}

ProgramFolder::~ProgramFolder() {
  std::error_code ec;
  fs::remove_all(dir_, ec);
}

fs::path ProgramFolder::Dat() const {
  fs::path p = Exe();
  p.replace_extension(L".dat");
  return p;
}

namespace {

struct FindData {
  DWORD pid;
  const wchar_t* windowClass;
  HWND found;
};

BOOL CALLBACK FindTopLevel(HWND hwnd, LPARAM lParam) {
  auto* data = reinterpret_cast<FindData*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  wchar_t cls[64] = {};
  GetClassNameW(hwnd, cls, 64);
  if (pid == data->pid && wcscmp(cls, data->windowClass) == 0 && IsWindowVisible(hwnd)) {
    data->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

LPARAM KeyLParam(UINT vk, bool alt, bool up) {
  const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  LPARAM l = 1 | (static_cast<LPARAM>(scan) << 16);
  if (alt) l |= LPARAM{1} << 29;
  if (up) l |= (LPARAM{1} << 30) | (LPARAM{1} << 31);
  return l;
}

}  // namespace

RunningWindow::RunningWindow(const fs::path& exe, const wchar_t* windowClass,
                             std::chrono::milliseconds timeout) {
  std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  const auto begin = std::chrono::steady_clock::now();
  const std::wstring dir = exe.parent_path().wstring();
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      dir.c_str(), &startup, &process_)) {
    process_ = {};
    return;
  }
  // Returns once the program first waits for input, its window shown by
  // then; the polling below confirms it without adding its own interval.
  // Programs that never wait for input end this wait at once or at the
  // timeout.
  WaitForInputIdle(process_.hProcess, static_cast<DWORD>(timeout.count()));
  FindData data{process_.dwProcessId, windowClass, nullptr};
  WaitUntil(
      [&] {
        EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&data));
        return data.found != nullptr ||
               WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0;
      },
      timeout);
  startup_ = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - begin);
  main_ = data.found;
}

RunningWindow::~RunningWindow() {
  if (process_.hProcess == nullptr) return;
  if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0) {
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

HWND RunningWindow::Focus() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (GetGUIThreadInfo(process_.dwThreadId, &info) && info.hwndFocus != nullptr) {
    return info.hwndFocus;
  }
  return main_;
}

std::optional<DWORD> RunningWindow::WaitForExit(std::chrono::milliseconds timeout) {
  if (process_.hProcess == nullptr) return std::nullopt;
  if (WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeout.count())) !=
      WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

void RunningWindow::PostKey(HWND target, UINT vk, bool alt) const {
  const UINT down = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
  const UINT up = alt ? WM_SYSKEYUP : WM_KEYUP;
  PostMessageW(target, down, vk, KeyLParam(vk, alt, false));
  PostMessageW(target, up, vk, KeyLParam(vk, alt, true));
}

void RunningWindow::PostChar(HWND target, wchar_t ch, bool alt) const {
  PostMessageW(target, alt ? WM_SYSCHAR : WM_CHAR, ch, alt ? (LPARAM{1} << 29) | 1 : 1);
}

void RunningWindow::ClickButton(int id) const {
  // BM_CLICK presses and releases the button as the mouse does
  PostMessageW(Control(id), BM_CLICK, 0, 0);
}

void RunningWindow::Click(HWND target, int x, int y) const {
  const LPARAM at = MAKELPARAM(x, y);
  PostMessageW(target, WM_MOUSEMOVE, 0, at);
  PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(target, WM_LBUTTONUP, 0, at);
}

void RunningWindow::Drag(HWND target, POINT from, POINT to) const {
  PostMessageW(target, WM_MOUSEMOVE, 0, MAKELPARAM(from.x, from.y));
  PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
  const int steps = 4;
  for (int i = 1; i <= steps; ++i) {
    const int x = from.x + (to.x - from.x) * i / steps;
    const int y = from.y + (to.y - from.y) * i / steps;
    PostMessageW(target, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
  }
  PostMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
}

std::optional<LRESULT> RunningWindow::SendWithData(HWND target, UINT message, WPARAM wParam,
                                                  const void* data, std::size_t size) const {
  void* copy = VirtualAllocEx(process_.hProcess, nullptr, size, MEM_COMMIT | MEM_RESERVE,
                              PAGE_READWRITE);
  if (copy == nullptr) return std::nullopt;
  std::optional<LRESULT> result;
  if (WriteProcessMemory(process_.hProcess, copy, data, size, nullptr)) {
    result = SendMessageW(target, message, wParam, reinterpret_cast<LPARAM>(copy));
  }
  VirtualFreeEx(process_.hProcess, copy, 0, MEM_RELEASE);
  return result;
}

std::wstring WindowText(HWND hwnd) {
  const auto length = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const auto copied = SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                                   reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

RECT ChildRect(HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::optional<WindowPicture> TakePicture(HWND hwnd) {
  RECT r{};
  if (!GetWindowRect(hwnd, &r)) return std::nullopt;
  WindowPicture picture;
  picture.width = r.right - r.left;
  picture.height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, picture.width, picture.height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  const bool copied = BitBlt(memory, 0, 0, picture.width, picture.height, screen, r.left, r.top, SRCCOPY) != 0;
  SelectObject(memory, old);

  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = picture.width;
  info.biHeight = picture.height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const auto stride = static_cast<std::size_t>((picture.width * 3 + 3) & ~3);
  picture.pixels.resize(stride * static_cast<std::size_t>(picture.height));
  const bool read = GetDIBits(memory, bitmap, 0, static_cast<UINT>(picture.height), picture.pixels.data(),
                              reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) != 0;
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!copied || !read) return std::nullopt;
  return picture;
}

bool SaveWindowBitmap(HWND hwnd, const fs::path& path) {
  const std::optional<WindowPicture> picture = TakePicture(hwnd);
  if (!picture) return false;
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = picture->width;
  info.biHeight = picture->height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = static_cast<DWORD>(file.bfOffBits + picture->pixels.size());
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
  bytes.append(picture->pixels.data(), picture->pixels.size());
  WriteFileBytes(path, bytes);
  return true;
}

}  // namespace rupena::e2e
