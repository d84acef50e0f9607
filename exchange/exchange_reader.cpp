#include "exchange/exchange_reader.h"

#include <cerrno>
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

std::error_code ExchangeReader::ReadFile(const std::filesystem::path& path) noexcept {
  try {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) return std::make_error_code(std::errc::no_such_file_or_directory);
    if (std::filesystem::is_directory(status)) return std::make_error_code(std::errc::is_a_directory);
    const std::uintmax_t expected = std::filesystem::file_size(path, ec);
    const bool sizeKnown = !ec;
    errno = 0;
    std::ifstream in(path, std::ios::in | std::ios::binary);
    if (!in.is_open()) {
      return errno != 0 ? std::error_code(errno, std::generic_category())
                        : std::make_error_code(std::errc::io_error);
    }
    // A file smaller than a chunk is asked for in one read of its own size:
    // under Wine a read into a megabyte of room costs milliseconds however
    // few bytes come back, and the tool starts on files of a few hundred.
    const std::size_t chunk = sizeKnown && expected < LineSource::kChunk
                                  ? static_cast<std::size_t>(expected) + 1
                                  : LineSource::kChunk;
    LineSource source(*in.rdbuf(), chunk);
    if (!ReadLines(source)) return std::make_error_code(std::errc::not_enough_memory);
    // The stream reports a read error like an end of file; a file that
    // yields fewer bytes than it holds was not read to its end.
    if (source.EndedByCtrlZ() || !sizeKnown || source.BytesRead() >= expected) return {};
    return std::make_error_code(std::errc::io_error);
  } catch (const std::bad_alloc&) {
    return std::make_error_code(std::errc::not_enough_memory);
  } catch (...) {
    return std::make_error_code(std::errc::io_error);
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
    return !ExchangeReader(drawing).ReadFile(path);
  } catch (...) {
    return false;
  }
}

}  // namespace rupena::exchange
