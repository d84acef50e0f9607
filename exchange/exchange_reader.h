// Reads the host's exchange file into the drawing model.
//
// Tolerant by design: no line can make loading fail. A line that no rule
// takes changes nothing, malformed numbers read as 0, texts and font names
// are cut to 255 bytes, and nothing in the input can throw out of these
// functions, crash or loop.
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace JwwGaibu {

// A line cut into fields by the host's rules: blanks and tabs separate
// fields until a double quote (dropped) or "=" (kept) ends splitting for the
// rest of the line; a Shift-JIS lead byte always takes the byte after it, and
// a lead byte in the last position is dropped; control bytes, 0xFE and 0xFF
// are dropped. A blank at the end opens an empty last field. At most
// kMaxFields fields are kept; a longer line keeps the first ones and counts
// kMaxFields.
class FieldCutter {
 public:
  static constexpr std::size_t kMaxFields = 32;

  // Cuts `line` (without its line end). Views returned by Field() stay valid
  // until the next Cut. Allocates only when a line is longer than any cut
  // before (the fields share one buffer); throws only std::bad_alloc then.
  void Cut(std::string_view line);

  std::size_t Count() const noexcept { return count_; }
  // Field k, or "" for k >= Count().
  std::string_view Field(std::size_t k) const noexcept {
    return k < count_ ? std::string_view(bytes_).substr(begin_[k], end_[k] - begin_[k])
                      : std::string_view();
  }

 private:
  std::string bytes_;  // the kept bytes of all fields, back to back
  std::array<std::size_t, kMaxFields> begin_{};
  std::array<std::size_t, kMaxFields> end_{};
  std::size_t count_ = 0;
};

// Applies one line (without its line end) to Model. Does not throw: should
// memory run out, the rest of the line's effects are skipped and no record
// is left half-filled.
void ReadExchangeLine(std::string_view line);

// Reads the whole file at `path` into Model, which the caller has reset.
// Lines end at LF or CR LF; a lone CR is dropped; a Ctrl-Z where a line
// begins ends the file, inside a line it ends that line. Returns false when
// the file does not exist (Model untouched) or reading failed part-way
// (what was read before stays; this includes running out of memory and a
// file that yields fewer bytes than its size); true when it was read to its
// end. Does not throw.
bool LoadExchangeFile(const std::filesystem::path& path);

}  // namespace JwwGaibu
