#include "exchange/font_name.h"

namespace rupena::exchange {

FontName::FontName(std::string_view name) {
  // The empty name needs no storage, which keeps empty() a pointer test.
  if (!name.empty()) shared_ = new Shared{1, std::string(name)};
}

void FontName::Release() noexcept {
  if (shared_ != nullptr && --shared_->sharers == 0) delete shared_;
  shared_ = nullptr;
}

}  // namespace rupena::exchange
