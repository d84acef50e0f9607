// What the reader carries from one line of the exchange file to the next:
// the running attributes that attribute lines set and figures are stamped
// with, which first values are still to be captured, and the line a
// dimension's value will be paired with.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "exchange/font_name.h"
#include "exchange/records.h"

namespace rupena::exchange {

struct CurrentAttributes : AttributeValues {
  std::int32_t pointReference = 0;  // "hhp", until the next figure is stored
  std::int32_t basePoint = 0;       // "cc"
  std::string fontName{kDefaultFontName};
  std::int32_t zFlags = 0;  // "z1".."z5", until the next figure is stored
  std::int32_t polylineCount = 0;
  bool inPolyline = false;   // after "pl": plain lines carry polylineCount
  bool inDimension = false;  // after "msg": a plain line is held for the next "cs" text
  std::int32_t pointColor = 1;
  std::int32_t extendedColor = 0;  // the value after "lc10"

  bool operator==(const CurrentAttributes&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    v("PointRef", r.pointReference...);
    AttributeValues::Fields(v, r...);
    v("CharStyle", r.basePoint...);
    v("FontName", r.fontName...);
    v("ZFlags", r.zFlags...);
    v("PolylineCount", r.polylineCount...);
    v("InPolyline", r.inPolyline...);
    v("MsgMode", r.inDimension...);
    v("PointColor", r.pointColor...);
    v("ExtColor", r.extendedColor...);
  }
};

struct ReaderState {
  CurrentAttributes current;
  // By Attribute: true until the file has given the attribute's first value.
  std::array<bool, kRememberedAttributeCount> firstPending = [] {
    std::array<bool, kRememberedAttributeCount> pending{};
    pending.fill(true);
    return pending;
  }();
  // Before any line is held, a dimension's value pairs with this one.
  LineRecord heldLine = [] {
    LineRecord line;
    line.color = 1;
    line.lineType = 1;
    line.x2 = 1.0;
    return line;
  }();
  // The font name the last text record got; the next ones share it while it
  // stays current.
  FontName lastFont;
};

}  // namespace rupena::exchange
