// The font name a text record carries.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

namespace rupena::exchange {

// Immutable, and shared by every record stored while it was the current
// font: a file names one or two fonts for many thousands of texts, so a
// record holds one pointer, not a string. Reads as a std::string_view of its
// bytes and compares equal to any byte string with the same bytes. Copies
// share the bytes; the count of sharers is not atomic, as a drawing is used
// from one thread at a time.
class FontName {
 public:
  FontName() noexcept = default;
  // Copies `name`; allocates unless it is empty, and may throw
  // std::bad_alloc then.
  explicit FontName(std::string_view name);
  FontName(const FontName& other) noexcept : shared_(other.shared_) {
    if (shared_ != nullptr) ++shared_->sharers;
  }
  FontName(FontName&& other) noexcept : shared_(std::exchange(other.shared_, nullptr)) {}
  FontName& operator=(FontName other) noexcept {
    std::swap(shared_, other.shared_);
    return *this;
  }
  ~FontName() { Release(); }

  std::string_view View() const noexcept {
    return shared_ != nullptr ? std::string_view(shared_->bytes) : std::string_view();
  }
  operator std::string_view() const noexcept { return View(); }
  std::size_t size() const noexcept { return View().size(); }
  bool empty() const noexcept { return shared_ == nullptr; }

  friend bool operator==(const FontName& name, std::string_view bytes) noexcept {
    return name.View() == bytes;
  }
  friend bool operator==(const FontName& a, const FontName& b) noexcept {
    return a.View() == b.View();
  }

 private:
  struct Shared {
    std::size_t sharers;
    std::string bytes;
  };
  void Release() noexcept;

  Shared* shared_ = nullptr;
};

}  // namespace rupena::exchange
