#include "exchange/drawing.h"

#include <bit>
#include <cstdint>
#include <type_traits>

namespace rupena::exchange {

namespace {

// Compares two values of the same field, all the way down.
class SameFields {
 public:
  bool Same() const noexcept { return same_; }

  template <typename T>
  void operator()(std::string_view, const T& a, const T& b) noexcept {
    if (same_) same_ = Equal(a, b);
  }

 private:
  template <typename T>
  static bool Equal(const T& a, const T& b) noexcept {
    if constexpr (std::is_same_v<T, double>) {
      return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
    } else if constexpr (HasFields<T>) {
      SameFields inner;
      T::Fields(inner, a, b);
      return inner.Same();
    } else if constexpr (kIsBlockTable<T> || requires { std::tuple_size<T>::value; }) {
      if (a.size() != b.size()) return false;
      for (std::size_t i = 0; i < a.size(); ++i) {
        if (!Equal(a[i], b[i])) return false;
      }
      return true;
    } else {
      return a == b;
    }
  }

  bool same_ = true;
};

}  // namespace

bool SameDrawing(const Drawing& a, const Drawing& b) noexcept {
  SameFields same;
  Drawing::Fields(same, a, b);
  ForEachEntityTable(
      [&same](EntityKind, std::string_view name, const auto& x, const auto& y) { same(name, x, y); },
      a, b);
  return same.Same();
}

}  // namespace rupena::exchange
