// Cutting one exchange-file line into its fields.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace rupena::exchange {

// Cuts a line into fields by the host's rules: blanks and tabs separate
// fields until a double quote (dropped) or "=" (kept) ends splitting for the
// rest of the line; a Shift-JIS lead byte always takes the byte after it, and
// a lead byte in the last position is dropped; control bytes, 0xFE and 0xFF
// are dropped. A blank at the end opens an empty last field. At most
// kMaxFields fields are kept; a longer line keeps the first ones and counts
// kMaxFields.
class FieldCutter {
 public:
  static constexpr std::size_t kMaxFields = 32;

  // Cuts `line` (without its line end). Allocates only when a line is
  // longer than any cut before (the fields share one buffer); throws only
  // std::bad_alloc then.
  void Cut(std::string_view line);

  std::size_t Count() const noexcept { return count_; }
  // Field k of the line cut last, or "" for k >= Count(). Valid until the
  // next cut.
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

}  // namespace rupena::exchange
