// Reads the host's exchange file into a drawing model: the ordered rule
// table and the entity rules, over the line source and the field cutter.
//
// Tolerant by design: no line can make loading fail. A line that no rule
// takes changes nothing, malformed numbers read as 0, texts and font names
// are cut to 255 bytes, and nothing in the input can throw out of these
// functions, crash or loop.
#pragma once

#include <filesystem>
#include <string_view>

#include "exchange/drawing_model.h"
#include "exchange/field_cutter.h"
#include "exchange/line_source.h"

namespace JwwGaibu {

// Applies lines to one model. What it keeps from line to line is its own,
// never the model's: the cutter's buffer, and the font name the last text
// record got, which the next text records share while it stays current.
//
// Scan chooses the variant of the cutter and the line source (byte_scan.h);
// every variant reads alike. ExchangeReader is the one this platform runs.
template <ByteScan Scan>
class BasicExchangeReader {
 public:
  explicit BasicExchangeReader(TJwwModel& model) noexcept : model_(model) {}

  // As ReadExchangeLine, on this reader's model.
  void ReadLine(std::string_view line) noexcept;

  // Applies every line `source` gives. Returns false when memory ran out or
  // the source threw (the lines before stay applied, no record is left
  // half-filled); true when the source ran to its end.
  bool ReadLines(BasicLineSource<Scan>& source) noexcept;

 private:
  TJwwModel& model_;
  BasicFieldCutter<Scan> cutter_;
  TJwwFontName font_;
};

extern template class BasicExchangeReader<ByteScan::kPlain>;
extern template class BasicExchangeReader<ByteScan::kSse2>;

using ExchangeReader = BasicExchangeReader<kNativeScan>;

// Applies one line (without its line end) to `model`. Does not throw:
// should memory run out, the rest of the line's effects are skipped and no
// record is left half-filled.
void ReadExchangeLine(TJwwModel& model, std::string_view line) noexcept;

// Reads `bytes`, split into lines as LoadExchangeFile splits a file, into
// `model`, which the caller has reset. Returns false only when memory ran
// out (what was read before stays).
bool LoadExchangeBytes(TJwwModel& model, std::string_view bytes) noexcept;

// Reads the whole file at `path` into `model`, which the caller has reset.
// Lines end at LF or CR LF; a lone CR is dropped; a Ctrl-Z where a line
// begins ends the file, inside a line it ends that line. Returns false when
// the file does not exist (model untouched) or reading failed part-way
// (what was read before stays; this includes running out of memory and a
// file that yields fewer bytes than its size); true when it was read to its
// end. Does not throw.
bool LoadExchangeFile(TJwwModel& model, const std::filesystem::path& path) noexcept;

}  // namespace JwwGaibu
