#include "exchange/line_source.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace rupena::exchange {

namespace {

constexpr char kCtrlZ = '\x1A';

}  // namespace

LineSource::LineSource(std::string_view bytes) noexcept
    : data_(bytes.data()), size_(bytes.size()), bytesRead_(bytes.size()) {}

LineSource::LineSource(std::streambuf& in, std::size_t chunk) noexcept
    : data_(nullptr), size_(0), in_(&in), chunk_(std::max<std::size_t>(chunk, 1)) {}

bool LineSource::Refill() {
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
  // The unfinished line now begins the buffer; what was scanned of it moves
  // along.
  data_ = buffer_.get();
  scanned_ -= lineStart_;
  lineStart_ = 0;
  size_ = keep;

  const std::streamsize got =
      in_->sgetn(buffer_.get() + keep, static_cast<std::streamsize>(capacity_ - keep));
  if (got <= 0) return false;
  size_ += static_cast<std::size_t>(got);
  bytesRead_ += static_cast<std::uintmax_t>(got);
  return true;
}

bool LineSource::Finish(std::string_view physical, std::string_view& line) {
  if (!physical.empty() && physical.back() == '\r') physical.remove_suffix(1);  // CR LF
  // Two searches rather than find_first_of, which looks up every byte of the
  // line in the set of two: five times slower over a whole file.
  const bool hasCr = physical.find('\r') != std::string_view::npos;
  if (!hasCr && physical.find(kCtrlZ) == std::string_view::npos) {
    line = physical;
    return true;
  }
  if (hasCr) {
    // A CR that does not end the line is dropped from it, wherever it is.
    scratch_.clear();
    std::copy_if(physical.begin(), physical.end(), std::back_inserter(scratch_),
                 [](char c) { return c != '\r'; });
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

bool LineSource::Next(std::string_view& line) {
  if (ended_) return false;
  for (;;) {
    const void* const lf = scanned_ < size_ ? std::memchr(data_ + scanned_, '\n', size_ - scanned_) : nullptr;
    if (lf != nullptr) {
      const auto at = static_cast<std::size_t>(static_cast<const char*>(lf) - data_);
      const std::string_view physical(data_ + lineStart_, at - lineStart_);
      lineStart_ = scanned_ = at + 1;
      return Finish(physical, line);
    }
    scanned_ = size_;
    if (!Refill()) break;
  }
  ended_ = true;
  if (lineStart_ == size_) return false;
  const std::string_view last(data_ + lineStart_, size_ - lineStart_);
  lineStart_ = size_;
  return Finish(last, line);
}

}  // namespace rupena::exchange
