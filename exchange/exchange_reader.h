// Reads the host's exchange file into a drawing: lines from the line
// source, cut into fields, applied by the ordered rule table.
//
// Tolerant by design: no line can make reading fail. A line that no rule
// takes changes nothing, malformed numbers read as 0, and nothing in the
// input can throw out of these functions, crash or loop, whatever the
// drawing read into held before.
#pragma once

#include <filesystem>
#include <string_view>
#include <system_error>

#include "exchange/drawing.h"
#include "exchange/field_cutter.h"
#include "exchange/line_source.h"
#include "exchange/reader_state.h"

namespace rupena::exchange {

// Applies lines to one drawing, adding what they describe to it. What it
// carries from line to line (ReaderState) is its own, never the drawing's;
// a new reader starts as the file's first line finds the host's defaults.
class ExchangeReader {
 public:
  explicit ExchangeReader(Drawing& drawing) : drawing_(drawing) {}
  ExchangeReader(const ExchangeReader&) = delete;
  ExchangeReader& operator=(const ExchangeReader&) = delete;

  // Applies one line (without its line end). Should memory run out, the
  // rest of the line's effects are skipped and no figure is left half
  // stored.
  void ReadLine(std::string_view line) noexcept;

  // Applies every line `source` gives. Returns false when memory ran out or
  // the source threw (the lines before stay applied); true when the source
  // ran to its end.
  bool ReadLines(LineSource& source) noexcept;

  // Reads the whole file at `path` as LoadExchangeFile does. Returns no
  // error when it was read to its end; otherwise why not: no such file, a
  // folder, what opening it met, an I/O error for a file that yields fewer
  // bytes than it holds, or a want of memory.
  std::error_code ReadFile(const std::filesystem::path& path) noexcept;

  const ReaderState& State() const noexcept { return state_; }

 private:
  Drawing& drawing_;
  ReaderState state_;
  FieldCutter cutter_;
};

// Reads `bytes`, split into lines as a file is, into `drawing`. Returns
// false only when memory ran out (what was read before stays).
bool LoadExchangeBytes(Drawing& drawing, std::string_view bytes) noexcept;

// Reads the whole file at `path` into `drawing`. Lines end at LF or CR LF;
// a lone CR is dropped; a Ctrl-Z where a line begins ends the file, inside a
// line it ends that line. Returns false when the file does not exist
// (drawing untouched) or reading failed part-way (what was read before
// stays; this includes running out of memory and a file that yields fewer
// bytes than its size); true when it was read to its end.
bool LoadExchangeFile(Drawing& drawing, const std::filesystem::path& path) noexcept;

}  // namespace rupena::exchange
