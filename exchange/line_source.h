// The lines of an exchange file, as views, from bytes in memory or from a
// stream read a chunk at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <streambuf>
#include <string>
#include <string_view>

namespace rupena::exchange {

// Splits bytes into lines by the exchange file's rules: a line ends at LF;
// the CR of a CR LF goes with the line end and any other CR is dropped from
// its line; the last line may lack its line end. A Ctrl-Z where a line
// begins ends the input; inside a line it ends that line, the rest of the
// physical line is skipped, and a second Ctrl-Z in that rest ends the input
// after the line. Nothing else about a line's bytes is looked at.
class LineSource {
 public:
  static constexpr std::size_t kChunk = std::size_t{1} << 20;

  // The lines of `bytes`, which must stay valid while lines are taken.
  explicit LineSource(std::string_view bytes) noexcept;

  // The lines of what `in` yields, read about `chunk` bytes at a time as
  // lines are taken. A stream that stops early, for an error or not, simply
  // ends the input; BytesRead() tells how far it got.
  explicit LineSource(std::streambuf& in, std::size_t chunk = kChunk) noexcept;

  LineSource(const LineSource&) = delete;
  LineSource& operator=(const LineSource&) = delete;

  // Sets `line` to the next line, without its line end and dropped CRs, and
  // returns true; returns false once the input has ended. The view stays
  // valid until the next call. Throws std::bad_alloc when a line outgrows
  // memory, and whatever the stream throws; nothing may be taken from the
  // source after that.
  bool Next(std::string_view& line);

  // Bytes taken from the stream so far (from memory: all of them).
  std::uintmax_t BytesRead() const noexcept { return bytesRead_; }
  // Whether a Ctrl-Z ended the input before its last byte.
  bool EndedByCtrlZ() const noexcept { return endedByCtrlZ_; }

 private:
  // A buffer grown beyond this for a long line shrinks back after it.
  static constexpr std::size_t kKeep = 4 * kChunk;

  // Takes more bytes from the stream behind the unfinished line; false when
  // there are none.
  bool Refill();
  // A physical line, without its LF, as the rules want it. False when a
  // Ctrl-Z at its start ends the input.
  bool Finish(std::string_view physical, std::string_view& line);

  const char* data_;           // the bytes at hand
  std::size_t size_;           // how many
  std::size_t lineStart_ = 0;  // where the next line begins
  std::size_t scanned_ = 0;    // bytes before this hold no LF after lineStart_

  std::streambuf* in_ = nullptr;
  std::size_t chunk_ = 0;
  std::unique_ptr<char[]> buffer_;  // holds data_ when reading a stream
  std::size_t capacity_ = 0;
  std::uintmax_t bytesRead_ = 0;

  bool ended_ = false;
  bool endedByCtrlZ_ = false;
  std::string scratch_;  // a line without its CRs
};

}  // namespace rupena::exchange
