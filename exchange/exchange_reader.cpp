#include "exchange/exchange_reader.h"

#include <cstdint>
#include <fstream>
#include <system_error>

#include "exchange/line_rules.h"

namespace rupena::exchange {

void ExchangeReader::ReadLine(std::string_view line) noexcept {
  try {
    cutter_.Cut(line);
    ApplyLine(drawing_, state_, cutter_);
  } catch (...) {
    // Only memory exhaustion can get here; the line is then not applied.
  }
}

bool ExchangeReader::ReadLines(LineSource& source) noexcept {
  try {
    std::string_view line;
    while (source.Next(line)) {
      cutter_.Cut(line);
      ApplyLine(drawing_, state_, cutter_);
    }
    return true;
  } catch (...) {
    // Out of memory or a failing stream: what was applied so far stays.
    return false;
  }
}

bool ExchangeReader::ReadFile(const std::filesystem::path& path) noexcept {
  try {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    const std::uintmax_t expected = std::filesystem::file_size(path, ec);
    const bool sizeKnown = !ec;
    std::ifstream in(path, std::ios::in | std::ios::binary);
    if (!in.is_open()) return false;
    LineSource source(*in.rdbuf());
    if (!ReadLines(source)) return false;
    // The stream reports a read error like an end of file; a file that
    // yields fewer bytes than it holds was not read to its end.
    return source.EndedByCtrlZ() || !sizeKnown || source.BytesRead() >= expected;
  } catch (...) {
    return false;
  }
}

bool LoadExchangeBytes(Drawing& drawing, std::string_view bytes) noexcept {
  try {
    LineSource source(bytes);
    return ExchangeReader(drawing).ReadLines(source);
  } catch (...) {
    return false;
  }
}

bool LoadExchangeFile(Drawing& drawing, const std::filesystem::path& path) noexcept {
  try {
    return ExchangeReader(drawing).ReadFile(path);
  } catch (...) {
    return false;
  }
}

}  // namespace rupena::exchange
