#include "exchange/file_replace.h"

#include <cerrno>
#include <fstream>

namespace rupena::exchange {

namespace {

// The reason a stream operation failed: the C library's errno, which the
// stream leaves as its last call set it, or a plain I/O error without one.
std::error_code LastStreamError() noexcept {
  const int error = errno;
  return error != 0 ? std::error_code(error, std::generic_category())
                    : std::make_error_code(std::errc::io_error);
}

// Writes a new file at `path`; when it fails after the file was made, the
// half-written file is removed again. Whatever stood at `path` before a
// failed open (a folder, say) is left alone.
std::error_code WriteNewFile(const std::filesystem::path& path, std::string_view bytes) {
  errno = 0;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return LastStreamError();
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.flush();
  std::error_code failed = out ? std::error_code() : LastStreamError();
  out.close();
  if (!failed && out.fail()) failed = LastStreamError();
  if (failed) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
  return failed;
}

// A file that exists and has no write permission: Windows will not rename
// over it, and the POSIX rename would; both refuse it here alike.
bool IsReadOnlyFile(const std::filesystem::path& path) noexcept {
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::is_regular_file(status)) return false;
  return (status.permissions() & std::filesystem::perms::owner_write) == std::filesystem::perms::none;
}

}  // namespace

std::error_code ReplaceFileContents(const std::filesystem::path& path, std::string_view bytes) noexcept {
  try {
    if (IsReadOnlyFile(path)) return std::make_error_code(std::errc::permission_denied);
    // The host reads the file back as soon as we end, and its first command
    // deletes the picked figures: a file cut short would lose them. So the
    // content goes to a sibling first and only a complete file takes the name.
    std::filesystem::path temp = path;
    temp += ".~tmp";
    if (const std::error_code written = WriteNewFile(temp, bytes)) return written;
    std::error_code renamed;
    std::filesystem::rename(temp, path, renamed);
    if (renamed) {
      std::error_code ignored;
      std::filesystem::remove(temp, ignored);
    }
    return renamed;
  } catch (const std::bad_alloc&) {
    return std::make_error_code(std::errc::not_enough_memory);
  } catch (...) {
    return std::make_error_code(std::errc::io_error);
  }
}

}  // namespace rupena::exchange
