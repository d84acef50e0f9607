#include "exchange/file_replace.h"

#include <fstream>
#include <system_error>

namespace rupena::exchange {

namespace {

bool WriteAndClose(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.flush();
  out.close();
  return !out.fail();
}

}  // namespace

bool ReplaceFileContents(const std::filesystem::path& path, std::string_view bytes) noexcept {
  try {
    // The host reads the file back as soon as we end, and its first command
    // deletes the picked figures: a file cut short would lose them. So the
    // content goes to a sibling first and only a complete file takes the name.
    std::filesystem::path temp = path;
    temp += ".~tmp";
    std::error_code ec;
    if (!WriteAndClose(temp, bytes)) {
      std::filesystem::remove(temp, ec);
      return false;
    }
    std::filesystem::rename(temp, path, ec);
    if (ec) {
      std::filesystem::remove(temp, ec);
      return false;
    }
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace rupena::exchange
