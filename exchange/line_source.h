// The lines of an exchange file, as views, from bytes in memory or from a
// stream read a chunk at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <streambuf>
#include <string>
#include <string_view>

#include "exchange/byte_scan.h"

namespace JwwGaibu {

// Splits bytes into lines by the exchange file's rules: a line ends at LF;
// the CR of a CR LF goes with the line end and any other CR is dropped from
// its line; the last line may lack its line end. A Ctrl-Z where a line
// begins ends the input; inside a line it ends that line, the rest of the
// physical line is skipped, and a second Ctrl-Z in that rest ends the input
// after the line. Nothing else about a line's bytes is looked at.
//
// Scan chooses how the bytes are searched (byte_scan.h); every variant gives
// the same lines. LineSource is the one this platform runs.
template <ByteScan Scan>
class BasicLineSource {
 public:
  static constexpr std::size_t kChunk = std::size_t{1} << 20;

  // The lines of `bytes`, which must stay valid while lines are taken.
  explicit BasicLineSource(std::string_view bytes) noexcept;

  // The lines of what `in` yields, read about `chunk` bytes at a time as
  // lines are taken. A stream that stops early, for an error or not, simply
  // ends the input; BytesRead() tells how far it got.
  explicit BasicLineSource(std::streambuf& in, std::size_t chunk = kChunk) noexcept;

  BasicLineSource(const BasicLineSource&) = delete;
  BasicLineSource& operator=(const BasicLineSource&) = delete;

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
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  // A buffer grown beyond this for a long line shrinks back after it.
  static constexpr std::size_t kKeep = 4 * kChunk;

  // The position of the next LF from scanned_ on, or kNone when the bytes
  // at hand hold none (all of them are scanned then).
  std::size_t FindLineFeed() noexcept;
  // Takes more bytes from the stream behind the unfinished line; false when
  // there are none.
  bool Refill();
  // A physical line, without its LF, as the rules want it; `clean` when it
  // is known to hold no CR or Ctrl-Z but perhaps a last CR. False when a
  // Ctrl-Z at its start ends the input.
  bool Finish(std::string_view physical, bool clean, std::string_view& line);

  const char* data_;                // the bytes at hand
  std::size_t size_;                // how many
  std::size_t lineStart_ = 0;       // where the next line begins
  std::size_t scanned_ = 0;         // bytes before this hold no LF after lineStart_
  std::size_t firstSpecial_ = kNone;  // first CR or Ctrl-Z of the next line
  std::uint64_t lineFeeds_ = 0;     // marks of the block at block_, as yet unused
  std::uint64_t specials_ = 0;
  std::size_t block_ = 0;

  std::streambuf* in_ = nullptr;
  std::size_t chunk_ = 0;
  std::unique_ptr<char[]> buffer_;  // holds data_ when reading a stream
  std::size_t capacity_ = 0;
  std::uintmax_t bytesRead_ = 0;

  bool ended_ = false;
  bool endedByCtrlZ_ = false;
  std::string scratch_;  // a line without its CRs
};

extern template class BasicLineSource<ByteScan::kPlain>;
extern template class BasicLineSource<ByteScan::kSse2>;

using LineSource = BasicLineSource<kNativeScan>;

}  // namespace JwwGaibu
