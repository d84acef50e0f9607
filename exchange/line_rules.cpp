#include "exchange/line_rules.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "exchange/keywords.h"
#include "textutil/number_parse.h"

namespace rupena::exchange {

namespace {

// One cut line as the rules see it.
struct Line {
  Drawing& d;
  ReaderState& s;
  const FieldCutter& fields;
  std::string_view key;  // field 0
  std::size_t n;         // field count

  CurrentAttributes& Current() const noexcept { return s.current; }
  std::string_view Field(std::size_t k) const noexcept { return fields.Field(k); }
  double Value(std::size_t k) const noexcept { return text::ParseFloatOrZero(Field(k)); }
  std::int32_t Int(std::size_t k) const noexcept { return text::ParseIntOrZero(Field(k)); }
};

constexpr int kDimensionValueKind = 2;  // "cs"

std::size_t LayerSlot(std::int32_t group, std::int32_t layer) noexcept {
  return static_cast<std::size_t>(group) * 16 + static_cast<std::size_t>(layer);
}

// --- storing a figure ------------------------------------------------------

// Copies the running attributes into a figure's header.
void Stamp(const CurrentAttributes& a, EntityHeader& record) noexcept {
  record.pointReference = a.pointReference;
  record.layerGroup = a.layerGroup;
  record.layer = a.layer;
  record.color = a.lineColor;
  record.lineType = a.lineType;
  record.lineWidth = a.lineWidth;
  record.zFlags = a.zFlags;
}

// A new record in `table`, one of the drawing's, with its order entry and
// its header stamped; the caller fills the kind's own fields and then calls
// Finish. Room is made in both tables before either changes, so running out
// of memory leaves neither a record without its order entry nor the reverse.
template <typename T>
T& Store(const Line& l, BlockTable<T>& table, EntityKind kind) {
  table.MakeRoom();
  l.d.entityOrder.MakeRoom();
  l.d.entityOrder.Append() = OrderEntry{kind, static_cast<std::int32_t>(table.size())};
  T& record = table.Append();
  Stamp(l.Current(), record);
  return record;
}

// After a figure (or the held line) is filled: the point reference and the
// z flags were for it alone. Unless it was a plain or held line, both modes
// end as well.
void Finish(const Line& l, bool endsModes) noexcept {
  CurrentAttributes& a = l.Current();
  a.pointReference = 0;
  a.zFlags = 0;
  if (endsModes) {
    a.inPolyline = false;
    a.inDimension = false;
  }
}

// --- header lines ----------------------------------------------------------

void Ignore(const Line&) {}

void ReadDrawingFile(const Line& l) { l.d.drawingFile.assign(l.key.substr(5)); }

void ReadAxisAngle(const Line& l) { l.d.axisAngle = l.Value(1); }

void ReadGroupScales(const Line& l) {
  for (std::size_t g = 0; g < l.d.groupScales.size(); ++g) l.d.groupScales[g] = l.Value(g + 1);
}

void ReadSheetSize(const Line& l) {
  l.d.sheetWidth = l.Value(1);
  l.d.sheetHeight = l.Value(2);
}

template <double TextTypeEntry::*Member>
void ReadTextTypeSizes(const Line& l) {
  for (std::size_t t = 0; t < l.d.textTypes.size(); ++t) l.d.textTypes[t].*Member = l.Value(t + 1);
}

void ReadTextTypeColors(const Line& l) {
  for (std::size_t t = 0; t < l.d.textTypes.size(); ++t) l.d.textTypes[t].color = l.Int(t + 1);
}

void ReadPaperCoordinates(const Line& l) { l.d.paperCoordinates = true; }

void ReadSelectionRange(const Line& l) {
  for (std::size_t k = 0; k < l.d.selectionRange.size(); ++k) l.d.selectionRange[k] = l.Value(k + 1);
}

// --- layer and attribute lines ------------------------------------------------

void NameGroup(const Line& l) {
  l.d.groupNames[static_cast<std::size_t>(l.Current().layerGroup)].assign(l.key.substr(3));
}

void NameLayer(const Line& l) {
  const CurrentAttributes& a = l.Current();
  l.d.layerNames[LayerSlot(a.layerGroup, a.layer)].assign(l.key.substr(3));
}

// Takes the first value of an attribute into the drawing once.
void CaptureFirst(const Line& l, Attribute which, std::int32_t& first, std::int32_t value) {
  bool& pending = l.s.firstPending[static_cast<std::size_t>(which)];
  if (pending) {
    first = value;
    pending = false;
  }
}

void SelectGroup(const Line& l) {
  const std::int32_t group = HexSelector(l.key);
  CaptureFirst(l, Attribute::kLayerGroup, l.d.firstAttributes.layerGroup, group);
  l.Current().layerGroup = group;
  if (l.n >= 2) l.d.groupValues[static_cast<std::size_t>(group)] = l.Int(1);
  l.Current().inPolyline = false;
}

void SelectLayer(const Line& l) {
  const std::int32_t layer = HexSelector(l.key);
  CaptureFirst(l, Attribute::kLayer, l.d.firstAttributes.layer, layer);
  l.Current().layer = layer;
  if (l.n >= 2) l.d.layerValues[LayerSlot(l.Current().layerGroup, layer)] = l.Int(1);
  l.Current().inPolyline = false;
}

void SetLineColor(const Line& l) {
  const std::int32_t color = KeywordNumber(l.key);
  CaptureFirst(l, Attribute::kLineColor, l.d.firstAttributes.lineColor, color);
  l.Current().lineColor = color;
  if (color == 10 && l.n >= 2) l.Current().extendedColor = l.Int(1);
  l.Current().inPolyline = false;
}

void SetLineType(const Line& l) {
  const std::int32_t type = KeywordNumber(l.key);
  CaptureFirst(l, Attribute::kLineType, l.d.firstAttributes.lineType, type);
  l.Current().lineType = type;
  l.Current().inPolyline = false;
}

void SetLineWidth(const Line& l) {
  const std::int32_t width = KeywordNumber(l.key);
  CaptureFirst(l, Attribute::kLineWidth, l.d.firstAttributes.lineWidth, width);
  l.Current().lineWidth = width;
  l.d.hasLineWidths = true;
  l.Current().inPolyline = false;
}

void SetFontName(const Line& l) {
  const std::string_view name = l.key.substr(3);
  if (l.d.firstAttributes.fontName.empty()) l.d.firstAttributes.fontName.assign(name);
  l.Current().fontName.assign(name);
  l.Current().inPolyline = false;
}

void ReadFreeSize(const Line& l, AttributeValues& attributes) {
  attributes.freeWidth = l.Value(1);
  attributes.freeHeight = l.Value(2);
  attributes.freeSpacing = l.Value(3);
  attributes.freeColor = l.Int(4);
}

void SetTextType(const Line& l) {
  const std::int32_t type = KeywordNumber(l.key);
  // A sized text type leaves the free-size values alone, so a later bare
  // "cn0" brings the earlier ones back into use.
  const bool freeSize = type == 0 && l.n >= 5;
  bool& pending = l.s.firstPending[static_cast<std::size_t>(Attribute::kTextType)];
  if (pending) {
    l.d.firstAttributes.textType = type;
    if (freeSize) ReadFreeSize(l, l.d.firstAttributes);
    pending = false;
  }
  l.Current().textType = type;
  if (freeSize) ReadFreeSize(l, l.Current());
  l.Current().inPolyline = false;
}

void SetBasePoint(const Line& l) {
  // Only the byte after "cc" counts: "cc12" is base point 1.
  const char c = l.key.size() > 2 ? l.key[2] : '\0';
  l.Current().basePoint = c >= '0' && c <= '8' ? c - '0' : 0;
  l.Current().inPolyline = false;
}

void AddZFlag(const Line& l) { l.Current().zFlags |= ZFlagOf(l.key); }

void SetPointColor(const Line& l) {
  l.Current().pointColor = KeywordNumber(l.key);
  l.Current().inPolyline = false;
}

void StartPolyline(const Line& l) {
  CurrentAttributes& a = l.Current();
  ++a.polylineCount;
  a.inPolyline = true;
  a.inDimension = false;
}

void StartDimension(const Line& l) {
  l.Current().inDimension = true;
  l.Current().inPolyline = false;
}

void EndModes(const Line& l) {
  l.Current().inPolyline = false;
  l.Current().inDimension = false;
}

// "hp<number>[mark]": each mark found cuts the number text anew from the
// whole keyword, so the last mark in search order that is present wins.
void SetDesignatedPoint(const Line& l) {
  static constexpr std::string_view kMarks[] = {"-", "ln", "ci", "ch"};
  std::string_view number = l.key.substr(2);
  std::int32_t mark = 0;
  for (std::size_t m = 0; m < std::size(kMarks); ++m) {
    const std::size_t at = FindOnBoundary(l.key, kMarks[m]);
    if (at == std::string_view::npos) continue;
    number = at >= 2 ? l.key.substr(2, at - 2) : std::string_view();
    mark = static_cast<std::int32_t>(m) + 1;
  }
  const std::int32_t slot = text::ParseIntOrZero(number);
  if (slot < 1 || slot > 99) return;
  DesignatedPoint& p = l.d.designatedPoints[static_cast<std::size_t>(slot)];
  p.set = true;
  p.x = l.Value(1);
  p.y = l.Value(2);
  p.mark = mark;
  ++l.d.designatedPointCount;
}

// "hhp<number>[mark]": a mark counts only after at least one number byte.
void SetPointReference(const Line& l) {
  static constexpr std::string_view kMarks[] = {"ln", "ci", "ch"};
  std::string_view number = l.key.substr(3);
  for (const std::string_view mark : kMarks) {
    const std::size_t at = FindOnBoundary(l.key, mark);
    if (at != std::string_view::npos && at >= 4) number = l.key.substr(3, at - 3);
  }
  l.Current().pointReference = text::ParseIntOrZero(number);
}

// --- figure lines -------------------------------------------------------------

template <std::size_t Count, std::size_t Size>
void ReadValues(const Line& l, std::array<double, Size>& values) {
  static_assert(Count <= Size);
  for (std::size_t k = 0; k < Count; ++k) values[k] = l.Value(k + 1);
}

void StoreCircle(const Line& l) {
  CircleRecord& r = Store(l, l.d.circles, EntityKind::kCircle);
  ReadValues<3>(l, r.values);
  Finish(l, true);
}

void StoreArc(const Line& l) {
  ArcRecord& r = Store(l, l.d.arcs, EntityKind::kArc);
  ReadValues<7>(l, r.values);
  Finish(l, true);
}

// The text fields shared by a text and a dimension's value. The strings are
// made by the caller before the record exists, so running out of memory
// there leaves no half-filled record behind.
void FillText(TextRecord& r, const Line& l, int kind, const FontName& font, std::string text) {
  const CurrentAttributes& a = l.Current();
  r.textKind = kind;
  r.basePoint = a.basePoint;
  r.textType = a.textType;
  if (a.textType >= 1 && a.textType <= 10) {
    const TextTypeEntry& t = l.d.textTypes[static_cast<std::size_t>(a.textType - 1)];
    r.charWidth = t.width;
    r.charHeight = t.height;
    r.charSpacing = t.spacing;
    r.color = t.color;
  } else {
    r.charWidth = a.freeWidth;
    r.charHeight = a.freeHeight;
    r.charSpacing = a.freeSpacing;
    r.color = a.freeColor;
  }
  r.x = l.Value(1);
  r.y = l.Value(2);
  r.directionX = l.Value(3);
  r.directionY = l.Value(4);
  r.fontName = font;
  r.text = std::move(text);
}

// The font name the next text record shares: the current one, made anew
// only when that differs from the last one handed out.
const FontName& SharedFontName(const Line& l) {
  if (l.s.lastFont != l.Current().fontName) l.s.lastFont = FontName(l.Current().fontName);
  return l.s.lastFont;
}

// The host writes a text after a double quote, which keeps its blanks in one
// field; an unquoted text with blanks keeps only its first word.
void StoreText(const Line& l) {
  const FontName& font = SharedFontName(l);
  std::string text(l.Field(5));
  const int kind = TextKindOf(l.key);
  if (l.Current().inDimension && kind == kDimensionValueKind) {
    DimensionRecord& r = Store(l, l.d.dimensions, EntityKind::kDimension);
    r.line = l.s.heldLine;  // kept for a later dimension without a line of its own
    Stamp(l.Current(), r.value);
    FillText(r.value, l, kind, font, std::move(text));
  } else {
    TextRecord& r = Store(l, l.d.texts, EntityKind::kText);
    FillText(r, l, kind, font, std::move(text));
  }
  Finish(l, true);
}

void StorePoint(const Line& l) {
  PointRecord& r = Store(l, l.d.points, EntityKind::kPoint);
  r.color = l.Current().pointColor;
  r.x = l.Value(1);
  r.y = l.Value(2);
  Finish(l, true);
}

void StorePointWithValues(const Line& l) {
  PointWithValuesRecord& r = Store(l, l.d.pointsWithValues, EntityKind::kPointWithValues);
  r.color = l.Current().pointColor;
  r.x = l.Value(1);
  r.y = l.Value(2);
  r.values = {l.Value(3), l.Value(4)};
  r.integer = l.Int(5);
  Finish(l, true);
}

void StoreBlock(const Line& l) {
  std::string name(l.Field(3));
  BlockRecord& r = Store(l, l.d.blocks, EntityKind::kBlock);
  r.x = l.Value(1);
  r.y = l.Value(2);
  r.name = std::move(name);
  Finish(l, true);
}

Corner CornerAt(const Line& l, std::size_t c) { return {l.Value(2 * c - 1), l.Value(2 * c)}; }

bool Coincide(const Corner& p, const Corner& q) noexcept {
  return std::fabs(p.x - q.x) <= 1e-10 && std::fabs(p.y - q.y) <= 1e-10;
}

template <std::size_t N>
void StoreSolid(const Line& l, BlockTable<SolidRecord<N>>& table, EntityKind kind,
                const std::array<Corner, N>& corners) {
  SolidRecord<N>& r = Store(l, table, kind);
  r.extendedColor = l.Current().extendedColor;
  r.corners = corners;
  Finish(l, true);
}

void StoreSolid2(const Line& l, const Corner& a, const Corner& b) {
  StoreSolid<2>(l, l.d.solids2, EntityKind::kSolid2, {a, b});
}

void StoreSolid3(const Line& l, const Corner& a, const Corner& b, const Corner& c) {
  StoreSolid<3>(l, l.d.solids3, EntityKind::kSolid3, {a, b, c});
}

void StoreSolidTwoCorners(const Line& l) { StoreSolid2(l, CornerAt(l, 1), CornerAt(l, 2)); }

// Coinciding corners are merged; the order of the tests decides which
// corners survive.
void StoreSolidThreeCorners(const Line& l) {
  const Corner p1 = CornerAt(l, 1), p2 = CornerAt(l, 2), p3 = CornerAt(l, 3);
  if (Coincide(p1, p2)) StoreSolid2(l, p1, p3);
  else if (Coincide(p2, p3)) StoreSolid2(l, p1, p2);
  else StoreSolid3(l, p1, p2, p3);
}

void StoreSolidFourCorners(const Line& l) {
  const Corner p1 = CornerAt(l, 1), p2 = CornerAt(l, 2), p3 = CornerAt(l, 3), p4 = CornerAt(l, 4);
  const bool c12 = Coincide(p1, p2), c13 = Coincide(p1, p3), c14 = Coincide(p1, p4);
  const bool c23 = Coincide(p2, p3), c24 = Coincide(p2, p4), c34 = Coincide(p3, p4);
  if (c12 && c13) StoreSolid2(l, p1, p4);
  else if (c23 && c24) StoreSolid2(l, p1, p2);
  else if (c12 && c34) StoreSolid2(l, p1, p3);
  else if (c14 || c24 || c34) StoreSolid3(l, p1, p2, p3);
  else if (c13 || c23) StoreSolid3(l, p1, p2, p4);
  else if (c12) StoreSolid3(l, p1, p3, p4);
  else StoreSolid<4>(l, l.d.solids4, EntityKind::kSolid4, {p1, p2, p3, p4});
}

template <EntityKind Kind>
void StoreSevenValues(const Line& l) {
  SevenValueRecord& r = Store(l, Kind == EntityKind::kSc ? l.d.scFigures : l.d.seFigures, Kind);
  r.extendedColor = l.Current().extendedColor;
  ReadValues<7>(l, r.values);
  r.integer = l.Int(8);
  Finish(l, true);
}

template <EntityKind Kind>
void StoreEightValues(const Line& l) {
  EightValueRecord& r = Store(l, Kind == EntityKind::kSo ? l.d.soFigures : l.d.sgFigures, Kind);
  r.extendedColor = l.Current().extendedColor;
  ReadValues<8>(l, r.values);
  Finish(l, true);
}

// A keyword-less line of four numbers. After "msg" it is only held for the
// next "cs" text; neither case ends a mode, so a polyline run goes on.
void StoreLineOrHold(const Line& l) {
  const CurrentAttributes& a = l.Current();
  LineRecord& r = a.inDimension ? l.s.heldLine : Store(l, l.d.lines, EntityKind::kLine);
  if (a.inDimension) Stamp(a, r);
  r.polylineNumber = !a.inDimension && a.inPolyline ? a.polylineCount : 0;
  r.x1 = l.Value(0);
  r.y1 = l.Value(1);
  r.x2 = l.Value(2);
  r.y2 = l.Value(3);
  Finish(l, false);
}

// --- the rule table --------------------------------------------------------------

// `lead` is the byte a keyword must begin with for `test` to hold, or kAny.
// It only narrows which rows are tried; the tests themselves are complete,
// and the first row whose test holds takes the line.
constexpr char kAny = '\0';

struct Rule {
  char lead;
  bool (*test)(const Line&);
  void (*apply)(const Line&);
};

// The order of the rows is the behaviour.
constexpr Rule kRules[] = {
    /*  1 */ {kAny, [](const Line& l) { return l.n == 1 && l.key.empty(); }, Ignore},
    /*  2 */ {kAny, [](const Line& l) { return Contains(l.key, "file="); }, ReadDrawingFile},
    /*  3 */ {'h', [](const Line& l) { return Is(l.key, "hk") && l.n >= 2; }, ReadAxisAngle},
    /*  4 */ {'h', [](const Line& l) { return Is(l.key, "hs") && l.n >= 17; }, ReadGroupScales},
    /*  5 */ {'h', [](const Line& l) { return Is(l.key, "hzs") && l.n >= 3; }, ReadSheetSize},
    /*  6 */ {'h', [](const Line& l) { return Is(l.key, "hcw") && l.n >= 11; }, ReadTextTypeSizes<&TextTypeEntry::width>},
    /*  7 */ {'h', [](const Line& l) { return Is(l.key, "hch") && l.n >= 11; }, ReadTextTypeSizes<&TextTypeEntry::height>},
    /*  8 */ {'h', [](const Line& l) { return Is(l.key, "hcd") && l.n >= 11; }, ReadTextTypeSizes<&TextTypeEntry::spacing>},
    /*  9 */ {'h', [](const Line& l) { return Is(l.key, "hcc") && l.n >= 11; }, ReadTextTypeColors},
    /* 10 */ {'b', [](const Line& l) { return Is(l.key, "bz"); }, ReadPaperCoordinates},
    /* 11 */ {'h', [](const Line& l) { return Is(l.key, "hn") && l.n >= 5; }, ReadSelectionRange},
    /* 12 */ {'l', [](const Line& l) { return Begins(l.key, "lgn"); }, NameGroup},
    /* 13 */ {'l', [](const Line& l) { return Begins(l.key, "lyn"); }, NameLayer},
    /* 14 */ {'l', [](const Line& l) { return Begins(l.key, "lg"); }, SelectGroup},
    /* 15 */ {'l', [](const Line& l) { return Begins(l.key, "ly"); }, SelectLayer},
    /* 16 */ {'l', [](const Line& l) { return Begins(l.key, "lc"); }, SetLineColor},
    /* 17 */ {'l', [](const Line& l) { return Begins(l.key, "lt"); }, SetLineType},
    /* 18 */ {'l', [](const Line& l) { return Begins(l.key, "lw"); }, SetLineWidth},
    /* 19 */ {'c', [](const Line& l) { return Begins(l.key, "cn$"); }, SetFontName},
    /* 20 */ {'c', [](const Line& l) { return Begins(l.key, "cn"); }, SetTextType},
    /* 21 */ {'c', [](const Line& l) { return Begins(l.key, "cc"); }, SetBasePoint},
    /* 22 */ {'z', [](const Line& l) { return ZFlagOf(l.key) != 0; }, AddZFlag},
    /* 23 */ {'p', [](const Line& l) { return Begins(l.key, "pn"); }, SetPointColor},
    /* 24 */ {'p', [](const Line& l) { return Is(l.key, "pl"); }, StartPolyline},
    /* 25 */ {'m', [](const Line& l) { return Is(l.key, "msg"); }, StartDimension},
    /* 26 */ {'#', [](const Line& l) { return Is(l.key, "#"); }, EndModes},
    /* 27 */ {'h', [](const Line& l) { return Begins(l.key, "hp") && l.n >= 3; }, SetDesignatedPoint},
    /* 28 */ {'h', [](const Line& l) { return Begins(l.key, "hhp"); }, SetPointReference},
    /* 29 */ {'c', [](const Line& l) { return Is(l.key, "ci") && l.n == 4; }, StoreCircle},
    /* 30 */ {'c', [](const Line& l) { return Is(l.key, "ci") && l.n >= 8; }, StoreArc},
    /* 31 */ {'c', [](const Line& l) { return TextKindOf(l.key) >= 0 && l.n >= 6; }, StoreText},
    /* 32 */ {'p', [](const Line& l) { return Is(l.key, "pt") && l.n == 3; }, StorePoint},
    /* 33 */ {'p', [](const Line& l) { return Is(l.key, "pt") && l.n >= 6; }, StorePointWithValues},
    /* 34 */ {'B', [](const Line& l) { return Is(l.key, "BL") && l.n >= 4; }, StoreBlock},
    /* 35 */ {'s', [](const Line& l) { return Is(l.key, "sl") && l.n == 5; }, StoreSolidTwoCorners},
    /* 36 */ {'s', [](const Line& l) { return Is(l.key, "sl") && l.n == 7; }, StoreSolidThreeCorners},
    /* 37 */ {'s', [](const Line& l) { return Is(l.key, "sl") && l.n >= 9; }, StoreSolidFourCorners},
    /* 38 */ {'s', [](const Line& l) { return Is(l.key, "sc") && l.n >= 9; }, StoreSevenValues<EntityKind::kSc>},
    /* 39 */ {'s', [](const Line& l) { return Is(l.key, "se") && l.n >= 9; }, StoreSevenValues<EntityKind::kSe>},
    /* 40 */ {'s', [](const Line& l) { return Is(l.key, "so") && l.n >= 9; }, StoreEightValues<EntityKind::kSo>},
    /* 41 */ {'s', [](const Line& l) { return Is(l.key, "sg") && l.n >= 9; }, StoreEightValues<EntityKind::kSg>},
    /* 42 */ {kAny, [](const Line& l) { return l.n == 4; }, StoreLineOrHold},
    /* 43 */ {kAny, [](const Line&) { return true; }, Ignore},
};

constexpr std::size_t kRuleCount = std::size(kRules);
static_assert(kRuleCount < 256, "row indices are kept in bytes");

// For each possible first byte of a keyword, the rows that can take it, in
// table order: the rows that need that byte and the rows open to any. Trying
// only these gives the same first match as trying every row, but a line of
// four numbers reaches its row after three tests instead of forty.
struct Candidates {
  std::array<std::uint8_t, kRuleCount> rows{};
  std::size_t count = 0;
};

constexpr std::array<Candidates, 256> MakeCandidates() {
  std::array<Candidates, 256> table{};
  for (unsigned b = 0; b < 256; ++b) {
    for (std::size_t r = 0; r < kRuleCount; ++r) {
      const char lead = kRules[r].lead;
      if (lead == kAny || static_cast<unsigned char>(lead) == b) {
        table[b].rows[table[b].count++] = static_cast<std::uint8_t>(r);
      }
    }
  }
  return table;
}

// An empty keyword looks up entry 0: no row needs byte 0, so only the rows
// open to any keyword are tried.
constexpr std::array<Candidates, 256> kCandidates = MakeCandidates();

}  // namespace

void ApplyLine(Drawing& drawing, ReaderState& state, const FieldCutter& fields) {
  const Line line{drawing, state, fields, fields.Field(0), fields.Count()};
  const unsigned char first = line.key.empty() ? 0 : static_cast<unsigned char>(line.key[0]);
  const Candidates& c = kCandidates[first];
  for (std::size_t k = 0; k < c.count; ++k) {
    const Rule& rule = kRules[c.rows[k]];
    if (rule.test(line)) {
      rule.apply(line);
      return;
    }
  }
}

}  // namespace rupena::exchange
