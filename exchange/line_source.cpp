#include "exchange/line_source.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace JwwGaibu {

namespace {

constexpr char kCtrlZ = '\x1A';

// Whether a line holds a CR or a Ctrl-Z. One pass over the line instead of a
// search per byte value, as lines are short and many.
bool HasCrOrCtrlZ(std::string_view line) noexcept {
  const char* const p = line.data();
  const std::size_t n = line.size();
  std::size_t k = 0;
  if constexpr (std::endian::native == std::endian::little) {
    constexpr std::uint64_t k01 = 0x0101010101010101u;
    constexpr std::uint64_t k80 = k01 * 0x80;
    auto hasZeroByte = [](std::uint64_t v) { return ((v - k01) & ~v & k80) != 0; };
    for (; k + 8 <= n; k += 8) {
      std::uint64_t x;
      std::memcpy(&x, p + k, 8);
      if (hasZeroByte(x ^ (k01 * '\r')) || hasZeroByte(x ^ (k01 * kCtrlZ))) return true;
    }
  }
  for (; k < n; ++k) {
    if (p[k] == '\r' || p[k] == kCtrlZ) return true;
  }
  return false;
}

}  // namespace

template <ByteScan Scan>
BasicLineSource<Scan>::BasicLineSource(std::string_view bytes) noexcept
    : data_(bytes.data()), size_(bytes.size()), bytesRead_(bytes.size()) {}

template <ByteScan Scan>
BasicLineSource<Scan>::BasicLineSource(std::streambuf& in, std::size_t chunk) noexcept
    : data_(nullptr), size_(0), in_(&in), chunk_(std::max<std::size_t>(chunk, 1)) {}

template <ByteScan Scan>
std::size_t BasicLineSource<Scan>::FindLineFeed() noexcept {
  if constexpr (Scan == ByteScan::kSse2) {
    // Line feeds, CRs and Ctrl-Zs are marked 64 bytes at a time; the marks
    // of a block serve the lines that end in it, so a line costs a few bit
    // operations rather than a search of its own.
    for (;;) {
      if (lineFeeds_ != 0) {
        const auto bit = static_cast<unsigned>(std::countr_zero(lineFeeds_));
        const std::uint64_t upTo = bit == 63 ? ~std::uint64_t{0} : (std::uint64_t{2} << bit) - 1;
        const std::uint64_t before = specials_ & upTo;
        if (before != 0 && firstSpecial_ == kNone) {
          firstSpecial_ = block_ + static_cast<std::size_t>(std::countr_zero(before));
        }
        specials_ &= ~upTo;
        lineFeeds_ &= lineFeeds_ - 1;
        return block_ + bit;
      }
      if (specials_ != 0 && firstSpecial_ == kNone) {
        firstSpecial_ = block_ + static_cast<std::size_t>(std::countr_zero(specials_));
      }
      specials_ = 0;
      if (scanned_ >= size_) return kNone;
      const std::size_t len = std::min<std::size_t>(size_ - scanned_, 64);
      const BlockMarks m = BlockScan<Scan>::LineMarks(data_, data_ + scanned_, len);
      block_ = scanned_;
      scanned_ += len;
      lineFeeds_ = m.first;
      specials_ = m.second;
    }
  } else {
    if (scanned_ >= size_) return kNone;
    const void* const lf = std::memchr(data_ + scanned_, '\n', size_ - scanned_);
    if (lf == nullptr) {
      scanned_ = size_;
      return kNone;
    }
    const auto at = static_cast<std::size_t>(static_cast<const char*>(lf) - data_);
    scanned_ = at + 1;
    return at;
  }
}

template <ByteScan Scan>
bool BasicLineSource<Scan>::Refill() {
  if (in_ == nullptr) return false;
  const std::size_t keep = size_ - lineStart_;
  // At least half the buffer is free for each read, so a long line costs a
  // few doublings; after a line of megabytes the buffer shrinks back, so
  // that one such line does not pin its size for the rest of the input.
  std::size_t capacity = capacity_ == 0 ? chunk_ : capacity_;
  while (keep > capacity / 2) capacity *= 2;
  if (capacity > kKeep && keep <= chunk_ / 2) capacity = chunk_;
  if (capacity != capacity_) {
    auto bigger = std::make_unique_for_overwrite<char[]>(capacity);
    if (keep != 0) std::memcpy(bigger.get(), data_ + lineStart_, keep);
    buffer_ = std::move(bigger);
    capacity_ = capacity;
  } else if (lineStart_ != 0 && keep != 0) {
    std::memmove(buffer_.get(), data_ + lineStart_, keep);
  }
  // The unfinished line now begins the buffer; what is known of it moves
  // along. No marks are pending: the bytes at hand held no further LF.
  data_ = buffer_.get();
  scanned_ -= lineStart_;
  if (firstSpecial_ != kNone) firstSpecial_ -= lineStart_;
  lineStart_ = 0;
  size_ = keep;

  const std::streamsize got =
      in_->sgetn(buffer_.get() + keep, static_cast<std::streamsize>(capacity_ - keep));
  if (got <= 0) return false;
  size_ += static_cast<std::size_t>(got);
  bytesRead_ += static_cast<std::uintmax_t>(got);
  return true;
}

template <ByteScan Scan>
bool BasicLineSource<Scan>::Finish(std::string_view physical, bool clean, std::string_view& line) {
  if (!physical.empty() && physical.back() == '\r') physical.remove_suffix(1);  // CR LF
  if (clean || (Scan == ByteScan::kPlain && !HasCrOrCtrlZ(physical))) {
    line = physical;
    return true;
  }
  if (physical.find('\r') != std::string_view::npos) {
    // A CR that does not end the line is dropped from it, wherever it is.
    scratch_.clear();
    for (const char c : physical) {
      if (c != '\r') scratch_.push_back(c);
    }
    physical = scratch_;
  }
  const std::size_t z = physical.find(kCtrlZ);
  if (z == std::string_view::npos) {
    line = physical;
    return true;
  }
  if (z == 0 || physical.find(kCtrlZ, z + 1) != std::string_view::npos) {
    ended_ = true;
    endedByCtrlZ_ = true;
  }
  if (z == 0) return false;
  line = physical.substr(0, z);
  return true;
}

template <ByteScan Scan>
bool BasicLineSource<Scan>::Next(std::string_view& line) {
  if (ended_) return false;
  for (;;) {
    const std::size_t lf = FindLineFeed();
    if (lf != kNone) {
      const std::string_view physical(data_ + lineStart_, lf - lineStart_);
      // A line whose only CR or Ctrl-Z is the CR of its CR LF needs no
      // second look.
      const bool clean = Scan == ByteScan::kSse2 &&
                         (firstSpecial_ == kNone || (firstSpecial_ + 1 == lf && data_[lf - 1] == '\r'));
      lineStart_ = lf + 1;
      firstSpecial_ = kNone;
      return Finish(physical, clean, line);
    }
    if (!Refill()) break;
  }
  ended_ = true;
  if (lineStart_ == size_) return false;
  const std::string_view last(data_ + lineStart_, size_ - lineStart_);
  lineStart_ = size_;
  return Finish(last, false, line);
}

template class BasicLineSource<ByteScan::kPlain>;
#if defined(__SSE2__)
template class BasicLineSource<ByteScan::kSse2>;
#endif

}  // namespace JwwGaibu
