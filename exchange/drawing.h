// The drawing the host handed over in the exchange file: header values,
// layer tables, the ten text types, designated points, the first value of
// each attribute, one table per kind of figure, and the order the figures
// arrived in.
//
// A value: a drawing made by its default constructor is valid and empty,
// every part of it sized and at its default, and reading (exchange_reader.h)
// only ever adds to one. It holds nothing of how it was read or how it will
// be written. Used from one thread at a time.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "exchange/block_table.h"
#include "exchange/records.h"

namespace rupena::exchange {

inline constexpr std::size_t kGroupCount = 16;
inline constexpr std::size_t kLayerSlotCount = 256;  // group * 16 + layer
inline constexpr std::size_t kPointSlotCount = 100;  // numbers 1..99 are used

struct Drawing {
  // The header.
  std::string drawingFile;  // "file="
  double axisAngle = 0.0;   // "hk"
  std::array<double, kGroupCount> groupScales = [] {  // "hs": 1 until the file says
    std::array<double, kGroupCount> scales{};
    scales.fill(1.0);
    return scales;
  }();
  double sheetWidth = 1189.0;  // "hzs"
  double sheetHeight = 841.0;
  std::array<TextTypeEntry, 10> textTypes{};
  bool paperCoordinates = false;          // "bz": coordinates are paper millimetres
  std::array<double, 4> selectionRange{};  // "hn"

  // Layers, by the selector line that came last before the name or value.
  std::array<std::string, kGroupCount> groupNames;
  std::array<std::int32_t, kGroupCount> groupValues{};
  std::array<std::string, kLayerSlotCount> layerNames;
  std::array<std::int32_t, kLayerSlotCount> layerValues{};

  std::array<DesignatedPoint, kPointSlotCount> designatedPoints{};
  std::int32_t designatedPointCount = 0;  // "hp" lines taken, repeats included

  FirstAttributes firstAttributes;
  bool hasLineWidths = false;  // any "lw" line: only then are widths written back

  BlockTable<OrderEntry> entityOrder;
  BlockTable<LineRecord> lines;
  BlockTable<CircleRecord> circles;
  BlockTable<ArcRecord> arcs;
  BlockTable<TextRecord> texts;
  BlockTable<PointRecord> points;
  BlockTable<PointWithValuesRecord> pointsWithValues;
  BlockTable<DimensionRecord> dimensions;
  BlockTable<BlockRecord> blocks;
  BlockTable<SolidRecord<2>> solids2;
  BlockTable<SolidRecord<3>> solids3;
  BlockTable<SolidRecord<4>> solids4;
  BlockTable<SevenValueRecord> scFigures;
  BlockTable<SevenValueRecord> seFigures;
  BlockTable<EightValueRecord> soFigures;
  BlockTable<EightValueRecord> sgFigures;

  // The header and layer values through designatedPointCount.
  template <typename V, typename... D>
  static void HeaderFields(V&& v, D&... d) {
    v("DrawingFile", d.drawingFile...);
    v("HkValue", d.axisAngle...);
    v("GroupScales", d.groupScales...);
    v("SheetWidth", d.sheetWidth...);
    v("SheetHeight", d.sheetHeight...);
    v("TextTypes", d.textTypes...);
    v("BzSeen", d.paperCoordinates...);
    v("HnValues", d.selectionRange...);
    v("GroupNames", d.groupNames...);
    v("GroupValues", d.groupValues...);
    v("LayerNames", d.layerNames...);
    v("LayerValues", d.layerValues...);
    v("PointSlots", d.designatedPoints...);
    v("PointSlotCount", d.designatedPointCount...);
  }

  // Everything but the figure tables, which ForEachEntityTable lists.
  template <typename V, typename... D>
  static void Fields(V&& v, D&... d) {
    HeaderFields(v, d...);
    v("FirstAttr", d.firstAttributes...);
    v("LineWidthSeen", d.hasLineWidths...);
    v("EntityOrder", d.entityOrder...);
  }
};

// The fifteen figure tables with their kinds, in kind order: calls
// f(kind, name, drawing.table...) for each.
template <typename F, typename... D>
void ForEachEntityTable(F&& f, D&... d) {
  f(EntityKind::kLine, "lines", d.lines...);
  f(EntityKind::kCircle, "circles", d.circles...);
  f(EntityKind::kArc, "arcs", d.arcs...);
  f(EntityKind::kText, "texts", d.texts...);
  f(EntityKind::kPoint, "points", d.points...);
  f(EntityKind::kPointWithValues, "pointsWithValues", d.pointsWithValues...);
  f(EntityKind::kDimension, "dimensions", d.dimensions...);
  f(EntityKind::kBlock, "blocks", d.blocks...);
  f(EntityKind::kSolid2, "solids2", d.solids2...);
  f(EntityKind::kSolid3, "solids3", d.solids3...);
  f(EntityKind::kSolid4, "solids4", d.solids4...);
  f(EntityKind::kSc, "scFigures", d.scFigures...);
  f(EntityKind::kSe, "seFigures", d.seFigures...);
  f(EntityKind::kSo, "soFigures", d.soFigures...);
  f(EntityKind::kSg, "sgFigures", d.sgFigures...);
}

// Whether two drawings are the same: every field that Fields and
// ForEachEntityTable list, reals compared by their bits (so 0 and -0
// differ).
bool SameDrawing(const Drawing& a, const Drawing& b) noexcept;

}  // namespace rupena::exchange
