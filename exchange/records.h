// The records a drawing is made of: one type per kind of figure the host
// hands over, and the small values the header and the attribute lines give.
//
// Numbers are stored as the file gives them, in the host's own units;
// strings as the file's bytes (Shift-JIS), at any length.
//
// Every type lists its fields once, beside them: Fields(visit, record...)
// calls visit("Name", record.field...) for each field, in the order the dump
// writes them and under the dump's names, so a visitor given one record reads
// it and a visitor given two compares them. Nested records and arrays are
// handed to the visitor as they are.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "exchange/font_name.h"

namespace rupena::exchange {

// "<ＭＳ ゴシック>": the host's default font, angle brackets included.
inline constexpr std::string_view kDefaultFontName =
    "<\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e>";

// The attributes every figure is stamped with when it is stored.
struct EntityHeader {
  std::int32_t pointReference = 0;  // from "hhp", for this figure only
  std::int32_t layerGroup = 0;
  std::int32_t layer = 0;
  std::int32_t color = 0;  // the line colour; texts and points put their own here
  std::int32_t lineType = 0;
  std::int32_t lineWidth = 0;
  std::int32_t zFlags = 0;  // the "z1".."z5" lines before the figure, as bits 1, 2, 4, 8, 16

  bool operator==(const EntityHeader&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    v("PointRef", r.pointReference...);
    v("LayerGroup", r.layerGroup...);
    v("Layer", r.layer...);
    v("Color", r.color...);
    v("LineType", r.lineType...);
    v("LineWidth", r.lineWidth...);
    v("ZFlags", r.zFlags...);
  }
};

// A corner of an "sl" figure.
struct Corner {
  double x = 0.0;
  double y = 0.0;

  bool operator==(const Corner&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    v("X", r.x...);
    v("Y", r.y...);
  }
};

// A line of four numbers, kind 1.
struct LineRecord : EntityHeader {
  std::int32_t polylineNumber = 0;  // which "pl" run it belongs to, 0 for none
  double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;

  bool operator==(const LineRecord&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    EntityHeader::Fields(v, r...);
    v("PolylineNo", r.polylineNumber...);
    v("X1", r.x1...);
    v("Y1", r.y1...);
    v("X2", r.x2...);
    v("Y2", r.y2...);
  }
};

// A circle (three numbers, kind 2) or an arc (seven, kind 3), in file order.
template <std::size_t N>
struct ValuesRecord : EntityHeader {
  std::array<double, N> values{};

  bool operator==(const ValuesRecord&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    EntityHeader::Fields(v, r...);
    v("Values", r.values...);
  }
};
using CircleRecord = ValuesRecord<3>;
using ArcRecord = ValuesRecord<7>;

// A text, kind 4; also the value of a dimension. The header's colour is the
// text colour.
struct TextRecord : EntityHeader {
  std::int32_t textKind = 0;   // the keyword: "ch" 0, "cv" 1, "cs" 2, ... "c2" 9
  std::int32_t basePoint = 0;  // from "cc", 0..8
  std::int32_t textType = 0;   // 1..10 one of the text types, otherwise free size
  double charWidth = 0.0, charHeight = 0.0, charSpacing = 0.0;
  double x = 0.0, y = 0.0;                    // the start point
  double directionX = 0.0, directionY = 0.0;  // a vector along the baseline, as the file gives it
  FontName fontName;
  std::string text;

  bool operator==(const TextRecord&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    EntityHeader::Fields(v, r...);
    v("TextKind", r.textKind...);
    v("CharStyle", r.basePoint...);
    v("TextType", r.textType...);
    v("CharWidth", r.charWidth...);
    v("CharHeight", r.charHeight...);
    v("CharSpacing", r.charSpacing...);
    v("X1", r.x...);
    v("Y1", r.y...);
    v("DirX", r.directionX...);
    v("DirY", r.directionY...);
    v("FontName", r.fontName...);
    v("Text", r.text...);
  }
};

// "pt" with two numbers, kind 5. The header's colour is the point colour.
struct PointRecord : EntityHeader {
  double x = 0.0, y = 0.0;

  bool operator==(const PointRecord&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    EntityHeader::Fields(v, r...);
    v("X", r.x...);
    v("Y", r.y...);
  }
};

// "pt" with five values or more, kind 6: the point, two further reals and
// an integer. The header's colour is the point colour.
struct PointWithValuesRecord : EntityHeader {
  double x = 0.0, y = 0.0;
  std::array<double, 2> values{};
  std::int32_t integer = 0;

  bool operator==(const PointWithValuesRecord&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    EntityHeader::Fields(v, r...);
    v("X", r.x...);
    v("Y", r.y...);
    v("Values", r.values...);
    v("Int", r.integer...);
  }
};

// A dimension figure, kind 7: its line, held from a line read after "msg",
// and its value, a "cs" text.
struct DimensionRecord : EntityHeader {
  LineRecord line;   // as it was stamped when it was read
  TextRecord value;  // textKind 2

  bool operator==(const DimensionRecord&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    EntityHeader::Fields(v, r...);
    v("Line", r.line...);
    v("Text", r.value...);
  }
};

// A block reference, "BL", kind 8.
struct BlockRecord : EntityHeader {
  double x = 0.0, y = 0.0;
  std::string name;

  bool operator==(const BlockRecord&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    EntityHeader::Fields(v, r...);
    v("X", r.x...);
    v("Y", r.y...);
    v("Name", r.name...);
  }
};

// A solid, "sl", by its corners once coinciding ones are merged: two
// (kind 9), three (kind 10) or four (kind 11).
template <std::size_t Corners>
struct SolidRecord : EntityHeader {
  std::int32_t extendedColor = 0;
  std::array<Corner, Corners> corners{};

  bool operator==(const SolidRecord&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    EntityHeader::Fields(v, r...);
    v("ExtColor", r.extendedColor...);
    v("Points", r.corners...);
  }
};

// The "sc" (kind 12) and "se" (kind 13) figures: seven reals and an
// integer, stored in file order and not interpreted.
struct SevenValueRecord : EntityHeader {
  std::int32_t extendedColor = 0;
  std::array<double, 7> values{};
  std::int32_t integer = 0;

  bool operator==(const SevenValueRecord&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    EntityHeader::Fields(v, r...);
    v("ExtColor", r.extendedColor...);
    v("Values", r.values...);
    v("Int", r.integer...);
  }
};

// The "so" (kind 14) and "sg" (kind 15) figures: eight reals, stored in
// file order and not interpreted.
struct EightValueRecord : EntityHeader {
  std::int32_t extendedColor = 0;
  std::array<double, 8> values{};

  bool operator==(const EightValueRecord&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    EntityHeader::Fields(v, r...);
    v("ExtColor", r.extendedColor...);
    v("Values", r.values...);
  }
};

// The kinds as the entity order records them.
enum class EntityKind : std::int32_t {
  kLine = 1,
  kCircle = 2,
  kArc = 3,
  kText = 4,
  kPoint = 5,
  kPointWithValues = 6,
  kDimension = 7,
  kBlock = 8,
  kSolid2 = 9,
  kSolid3 = 10,
  kSolid4 = 11,
  kSc = 12,
  kSe = 13,
  kSo = 14,
  kSg = 15,
};

// One stored figure: its kind and its index in that kind's table.
struct OrderEntry {
  EntityKind kind = EntityKind::kLine;
  std::int32_t index = 0;

  bool operator==(const OrderEntry&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    v("Kind", r.kind...);
    v("Index", r.index...);
  }
};

// One of the ten text types ("hcw", "hch", "hcd", "hcc").
struct TextTypeEntry {
  double width = 3.0;
  double height = 3.0;
  double spacing = 0.0;
  std::int32_t color = 2;

  bool operator==(const TextTypeEntry&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    v("Width", r.width...);
    v("Height", r.height...);
    v("Spacing", r.spacing...);
    v("Color", r.color...);
  }
};

// A point the host designates by number ("hp").
struct DesignatedPoint {
  bool set = false;
  double x = 0.0, y = 0.0;
  std::int32_t mark = 0;  // 0 plain, 1 "-", 2 "ln", 3 "ci", 4 "ch"

  bool operator==(const DesignatedPoint&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    v("Set", r.set...);
    v("X", r.x...);
    v("Y", r.y...);
    v("Mark", r.mark...);
  }
};

// The attributes that attribute lines set. The drawing remembers the first
// value the file gave of those up to kTextType.
enum class Attribute : std::size_t {
  kLayerGroup,
  kLayer,
  kLineColor,
  kLineType,
  kLineWidth,
  kTextType,
  kBasePoint,
  kFontName,
  kPointColor,
  kCount
};
inline constexpr std::size_t kAttributeCount = static_cast<std::size_t>(Attribute::kCount);
inline constexpr std::size_t kRememberedAttributeCount = static_cast<std::size_t>(Attribute::kTextType) + 1;

// The attributes whose first value in the file the drawing remembers, and
// which the reader and the writer both keep a running value of.
struct AttributeValues {
  std::int32_t layerGroup = 0;
  std::int32_t layer = 0;
  std::int32_t lineColor = 1;
  std::int32_t lineType = 1;
  std::int32_t lineWidth = 0;
  std::int32_t textType = 1;
  double freeWidth = 2.0;  // the size and colour of free-size texts ("cn0")
  double freeHeight = 2.0;
  double freeSpacing = 0.0;
  std::int32_t freeColor = 1;

  bool operator==(const AttributeValues&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    v("LayerGroup", r.layerGroup...);
    v("Layer", r.layer...);
    v("LineColor", r.lineColor...);
    v("LineType", r.lineType...);
    v("LineWidth", r.lineWidth...);
    v("TextType", r.textType...);
    v("FreeWidth", r.freeWidth...);
    v("FreeHeight", r.freeHeight...);
    v("FreeSpacing", r.freeSpacing...);
    v("FreeColor", r.freeColor...);
  }
};

// The first value the file gave for each attribute, or its default.
struct FirstAttributes : AttributeValues {
  std::string fontName;  // the first non-empty one

  bool operator==(const FirstAttributes&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    AttributeValues::Fields(v, r...);
    v("FontName", r.fontName...);
  }
};

// A type that lists its fields as above.
template <typename T>
concept HasFields = requires(T& t) { T::Fields([](std::string_view, auto&) {}, t); };

}  // namespace rupena::exchange
