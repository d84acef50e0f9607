#include "app/position_file.h"

#include <fstream>
#include <string>

#include "exchange/file_replace.h"
#include "textutil/number_parse.h"

namespace rupena::app {

std::filesystem::path PositionFilePath(const std::filesystem::path& exePath) {
  std::filesystem::path p = exePath;
  p.replace_extension(".dat");
  return p;
}

WindowPosition ReadPosition(const std::filesystem::path& path) noexcept {
  WindowPosition pos;
  try {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return pos;
    std::ifstream in(path, std::ios::binary);
    std::int32_t* const fields[] = {&pos.left, &pos.top};
    std::string line;
    for (std::int32_t* field : fields) {
      if (!std::getline(in, line)) break;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      *field = rupena::text::ParseIntOrZero(line);
    }
  } catch (...) {
    // what was read so far stands
  }
  return pos;
}

bool WritePosition(const std::filesystem::path& path, WindowPosition position) noexcept {
  try {
    const std::string bytes =
        std::to_string(position.left) + "\r\n" + std::to_string(position.top) + "\r\n";
    return !exchange::ReplaceFileContents(path, bytes);
  } catch (...) {
    return false;
  }
}

}  // namespace rupena::app
