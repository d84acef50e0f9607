// A table of records that grows one block of 1000 at a time.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace rupena::exchange {

// Growing never moves a record: each block holds room for its records from
// the start and never more. So references stay valid while the table grows,
// and a large file costs one allocation per thousand records rather than a
// copy of the whole table each time it doubles. Copies keep that room.
//
// The first thousand come in two blocks, kFirst and the rest: the tool sees
// a few figures of a kind far more often than thousands, and a whole block
// of large records is a large allocation, which the sanitizers the fuzzers
// run under map and unmap each time (half the time of an input).
template <typename T>
class BlockTable {
 public:
  static constexpr std::size_t kBlock = 1000;
  static constexpr std::size_t kFirst = 64;

  BlockTable() = default;
  BlockTable(const BlockTable& other) : size_(other.size_) {
    blocks_.reserve(other.blocks_.size());
    for (const std::vector<T>& block : other.blocks_) {
      std::vector<T>& copy = blocks_.emplace_back();
      copy.reserve(BlockSize(blocks_.size() - 1));
      copy.assign(block.begin(), block.end());
    }
  }
  BlockTable& operator=(const BlockTable& other) {
    BlockTable copy(other);
    *this = std::move(copy);
    return *this;
  }
  // Moving a block keeps its storage, and with it the room.
  BlockTable(BlockTable&& other) noexcept
      : blocks_(std::move(other.blocks_)), size_(std::exchange(other.size_, 0)) {}
  BlockTable& operator=(BlockTable&& other) noexcept {
    if (this != &other) {
      blocks_ = std::move(other.blocks_);
      size_ = std::exchange(other.size_, 0);
    }
    return *this;
  }
  ~BlockTable() = default;

  std::size_t size() const noexcept { return size_; }
  bool empty() const noexcept { return size_ == 0; }

  // Makes sure the next Append allocates nothing. On memory exhaustion
  // throws std::bad_alloc and leaves the table as it was.
  void MakeRoom() {
    if (!blocks_.empty() && blocks_.back().size() < BlockSize(blocks_.size() - 1)) return;
    std::vector<T> block;
    block.reserve(BlockSize(blocks_.size()));
    blocks_.push_back(std::move(block));
  }

  // Appends a value-initialised record and returns it; may throw as MakeRoom.
  T& Append() {
    MakeRoom();
    T& record = blocks_.back().emplace_back();
    ++size_;
    return record;
  }

  // Record i < size().
  T& operator[](std::size_t i) noexcept {
    const Place p = Locate(i);
    return blocks_[p.block][p.offset];
  }
  const T& operator[](std::size_t i) const noexcept {
    const Place p = Locate(i);
    return blocks_[p.block][p.offset];
  }

 private:
  struct Place {
    std::size_t block;
    std::size_t offset;
  };
  static constexpr std::size_t BlockSize(std::size_t block) noexcept {
    return block == 0 ? kFirst : block == 1 ? kBlock - kFirst : kBlock;
  }
  static constexpr Place Locate(std::size_t i) noexcept {
    if (i < kFirst) return {0, i};
    if (i < kBlock) return {1, i - kFirst};
    return {i / kBlock + 1, i % kBlock};
  }

  std::vector<std::vector<T>> blocks_;
  std::size_t size_ = 0;
};

template <typename T>
inline constexpr bool kIsBlockTable = false;
template <typename T>
inline constexpr bool kIsBlockTable<BlockTable<T>> = true;

}  // namespace rupena::exchange
