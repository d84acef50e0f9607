#include "app/win32/system_error_text.h"

#include <windows.h>

#include <cerrno>

#include "app/win32/cp932.h"

namespace rupena::win32 {

namespace {

// File operations report through the C library, which keeps only errno of
// what Windows said. The errors a write can meet map back to the Windows
// error that gives the user's own words for them.
DWORD WindowsErrorFor(std::error_code reason) noexcept {
  const std::error_condition condition = reason.default_error_condition();
  if (condition.category() != std::generic_category()) return 0;
  switch (condition.value()) {
    case EACCES:
    case EPERM:
    case EISDIR:  // a folder where the file should be: Windows denies access
      return ERROR_ACCESS_DENIED;
    case ENOENT:
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case ENOSPC:
      return ERROR_DISK_FULL;
    case EROFS:
      return ERROR_WRITE_PROTECT;
    case EFBIG:
      return ERROR_FILE_TOO_LARGE;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EBUSY:
      return ERROR_SHARING_VIOLATION;
    default:
      return 0;
  }
}

std::wstring MessageOf(DWORD error) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length != 0 && buffer != nullptr ? std::wstring(buffer, length) : std::wstring();
  LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
    text.pop_back();
  }
  return text;
}

}  // namespace

std::wstring SystemErrorText(std::error_code reason) {
  if (const DWORD error = WindowsErrorFor(reason); error != 0) {
    if (std::wstring text = MessageOf(error); !text.empty()) return text;
  }
  // The C library's words are ASCII in the "C" locale the program runs in.
  std::wstring text = Cp932ToWide(reason.message());
  return text.empty() ? L"?" : text;
}

}  // namespace rupena::win32
