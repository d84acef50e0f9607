#include "exchange/exchange_reader.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <system_error>

#include "textutil/number_parse.h"
#include "textutil/shift_jis.h"

namespace JwwGaibu {

// ---------------------------------------------------------------------------
// The line rules

namespace {

// One cut line as the rules see it.
struct Line {
  TJwwModel& m;
  TJwwFontName& font;  // the reader's: what the last text record got
  const CutFields& fields;
  std::string_view key;  // field 0
  std::size_t n;         // field count

  std::string_view Field(std::size_t k) const noexcept { return fields.Field(k); }
  double Value(std::size_t k) const noexcept { return rupena::text::ParseFloatOrZero(Field(k)); }
  std::int32_t Int(std::size_t k) const noexcept { return rupena::text::ParseIntOrZero(Field(k)); }
};

// Keyword tests against literals, as fixed-length loops the compiler
// unrolls: most lines are decided by a few of them.
template <std::size_t N>
constexpr bool Begins(std::string_view key, const char (&prefix)[N]) noexcept {
  if (key.size() < N - 1) return false;
  for (std::size_t k = 0; k + 1 < N; ++k) {
    if (key[k] != prefix[k]) return false;
  }
  return true;
}

template <std::size_t N>
constexpr bool Is(std::string_view key, const char (&text)[N]) noexcept {
  return key.size() == N - 1 && Begins(key, text);
}

// First occurrence of `needle` that starts on a character boundary of the
// code page: an occurrence starting on the second byte of a two-byte
// character is passed over. Boundaries are found by walking from the start,
// since a trail byte can only be told from a lead byte by what precedes it.
std::size_t FindOnBoundary(std::string_view text, std::string_view needle) noexcept {
  std::size_t at = text.find(needle);
  std::size_t i = 0;
  while (at != std::string_view::npos) {
    while (i < at) {
      const bool pair =
          rupena::text::IsCodePageLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
      i += pair ? 2 : 1;
    }
    if (i == at) return at;
    at = text.find(needle, at + 1);  // i == at + 1 here, so the walk resumes in step
  }
  return std::string_view::npos;
}

bool Contains(std::string_view text, std::string_view needle) noexcept {
  return FindOnBoundary(text, needle) != std::string_view::npos;
}

// The selector byte of "lg"/"ly" is one hexadecimal digit; anything else,
// or no byte at all, selects 0.
std::int32_t HexSelector(std::string_view key) noexcept {
  if (key.size() < 3) return 0;
  const char c = key[2];
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;
}

// "<kw>" followed by a number from the third byte on ("lc5", "cn3", "pn2").
std::int32_t KeywordNumber(std::string_view key) noexcept {
  return rupena::text::ParseIntOrZero(key.substr(2));
}

// "ch" 0, "cv" 1, "cs" 2, "cr" 3, "co" 4, "cp" 5, "ct" 6, "ck" 7, "cz" 8,
// "c2" 9; -1 for anything else.
int TextKindOf(std::string_view key) noexcept {
  if (key.size() != 2 || key[0] != 'c') return -1;
  switch (key[1]) {
    case 'h': return 0;
    case 'v': return 1;
    case 's': return 2;
    case 'r': return 3;
    case 'o': return 4;
    case 'p': return 5;
    case 't': return 6;
    case 'k': return 7;
    case 'z': return 8;
    case '2': return 9;
    default: return -1;
  }
}

int ZFlagOf(std::string_view key) noexcept {
  if (key.size() != 2 || key[0] != 'z' || key[1] < '1' || key[1] > '5') return 0;
  return 1 << (key[1] - '1');
}

std::size_t LayerSlot(std::int32_t group, std::int32_t layer) noexcept {
  return static_cast<std::size_t>(group) * 16 + static_cast<std::size_t>(layer);
}

// --- header lines ----------------------------------------------------------

void Ignore(const Line&) {}

void ReadDrawingFile(const Line& l) { l.m.DrawingFile.assign(l.key.substr(5)); }

void ReadHk(const Line& l) { l.m.HkValue = l.Value(1); }

void ReadGroupScales(const Line& l) {
  for (std::size_t g = 0; g < l.m.GroupScales.size(); ++g) l.m.GroupScales[g] = l.Value(g + 1);
}

void ReadSheetSize(const Line& l) {
  l.m.SheetWidth = l.Value(1);
  l.m.SheetHeight = l.Value(2);
}

template <double TJwwTextType::*Member>
void ReadTextTypeSizes(const Line& l) {
  for (std::size_t t = 0; t < l.m.TextTypes.size(); ++t) l.m.TextTypes[t].*Member = l.Value(t + 1);
}

void ReadTextTypeColors(const Line& l) {
  for (std::size_t t = 0; t < l.m.TextTypes.size(); ++t) l.m.TextTypes[t].Color = l.Int(t + 1);
}

void ReadBz(const Line& l) { l.m.BzSeen = true; }

void ReadHn(const Line& l) {
  for (std::size_t k = 0; k < l.m.HnValues.size(); ++k) l.m.HnValues[k] = l.Value(k + 1);
}

// --- layer and attribute lines ------------------------------------------------

void NameGroup(const Line& l) {
  l.m.GroupNames[static_cast<std::size_t>(l.m.CurAttr.LayerGroup)].assign(l.key.substr(3));
}

void NameLayer(const Line& l) {
  const TJwwAttr& a = l.m.CurAttr;
  l.m.LayerNames[LayerSlot(a.LayerGroup, a.Layer)].assign(l.key.substr(3));
}

// Takes the first value of an attribute into FirstAttr once.
void CaptureFirst(TJwwModel& m, TJwwFresh flag, std::int32_t& first, std::int32_t value) {
  if (m.AttrFresh[flag]) {
    first = value;
    m.AttrFresh[flag] = false;
  }
}

void SelectGroup(const Line& l) {
  const std::int32_t group = HexSelector(l.key);
  CaptureFirst(l.m, kFreshLayerGroup, l.m.FirstAttr.LayerGroup, group);
  l.m.CurAttr.LayerGroup = group;
  if (l.n >= 2) l.m.GroupValues[static_cast<std::size_t>(group)] = l.Int(1);
  l.m.CurAttr.InPolyline = false;
}

void SelectLayer(const Line& l) {
  const std::int32_t layer = HexSelector(l.key);
  CaptureFirst(l.m, kFreshLayer, l.m.FirstAttr.Layer, layer);
  l.m.CurAttr.Layer = layer;
  if (l.n >= 2) l.m.LayerValues[LayerSlot(l.m.CurAttr.LayerGroup, layer)] = l.Int(1);
  l.m.CurAttr.InPolyline = false;
}

void SetLineColor(const Line& l) {
  const std::int32_t color = KeywordNumber(l.key);
  CaptureFirst(l.m, kFreshLineColor, l.m.FirstAttr.LineColor, color);
  l.m.CurAttr.LineColor = color;
  if (color == 10 && l.n >= 2) l.m.CurAttr.ExtColor = l.Int(1);
  l.m.CurAttr.InPolyline = false;
}

void SetLineType(const Line& l) {
  const std::int32_t type = KeywordNumber(l.key);
  CaptureFirst(l.m, kFreshLineType, l.m.FirstAttr.LineType, type);
  l.m.CurAttr.LineType = type;
  l.m.CurAttr.InPolyline = false;
}

void SetLineWidth(const Line& l) {
  const std::int32_t width = KeywordNumber(l.key);
  CaptureFirst(l.m, kFreshLineWidth, l.m.FirstAttr.LineWidth, width);
  l.m.CurAttr.LineWidth = width;
  l.m.LineWidthSeen = true;
  l.m.CurAttr.InPolyline = false;
}

void SetFontName(const Line& l) {
  const std::string_view name = l.key.substr(3);
  if (l.m.FirstAttr.FontName.empty()) l.m.FirstAttr.FontName.assign(name);
  l.m.CurAttr.FontName.assign(name);
  l.m.CurAttr.InPolyline = false;
}

template <typename Attr>
void ReadFreeSize(const Line& l, Attr& attr) {
  attr.FreeWidth = l.Value(1);
  attr.FreeHeight = l.Value(2);
  attr.FreeSpacing = l.Value(3);
  attr.FreeColor = l.Int(4);
}

void SetTextType(const Line& l) {
  const std::int32_t type = KeywordNumber(l.key);
  // A sized text type leaves the free-size values alone, so a later bare
  // "cn0" brings the earlier ones back into use.
  const bool freeSize = type == 0 && l.n >= 5;
  if (l.m.AttrFresh[kFreshTextType]) {
    l.m.FirstAttr.TextType = type;
    if (freeSize) ReadFreeSize(l, l.m.FirstAttr);
    l.m.AttrFresh[kFreshTextType] = false;
  }
  l.m.CurAttr.TextType = type;
  if (freeSize) ReadFreeSize(l, l.m.CurAttr);
  l.m.CurAttr.InPolyline = false;
}

void SetCharStyle(const Line& l) {
  // Only the byte after "cc" counts: "cc12" is style 1.
  const char c = l.key.size() > 2 ? l.key[2] : '\0';
  l.m.CurAttr.CharStyle = c >= '0' && c <= '8' ? c - '0' : 0;
  l.m.CurAttr.InPolyline = false;
}

void AddZFlag(const Line& l) { l.m.CurAttr.ZFlags |= ZFlagOf(l.key); }

void SetPointColor(const Line& l) {
  l.m.CurAttr.PointColor = KeywordNumber(l.key);
  l.m.CurAttr.InPolyline = false;
}

void StartPolyline(const Line& l) {
  TJwwAttr& a = l.m.CurAttr;
  ++a.PolylineCount;
  a.InPolyline = true;
  a.MsgMode = false;
}

void StartMsgMode(const Line& l) {
  l.m.CurAttr.MsgMode = true;
  l.m.CurAttr.InPolyline = false;
}

void EndModes(const Line& l) {
  l.m.CurAttr.InPolyline = false;
  l.m.CurAttr.MsgMode = false;
}

// "hp<number>[mark]": each mark found cuts the number text anew from the
// whole keyword, so the last mark in search order that is present wins.
void SetPointSlot(const Line& l) {
  static constexpr std::string_view kMarks[] = {"-", "ln", "ci", "ch"};
  std::string_view number = l.key.substr(2);
  std::int32_t mark = 0;
  for (std::size_t m = 0; m < std::size(kMarks); ++m) {
    const std::size_t at = FindOnBoundary(l.key, kMarks[m]);
    if (at == std::string_view::npos) continue;
    number = at >= 2 ? l.key.substr(2, at - 2) : std::string_view();
    mark = static_cast<std::int32_t>(m) + 1;
  }
  const std::int32_t slot = rupena::text::ParseIntOrZero(number);
  if (slot < 1 || slot > 99) return;
  TJwwPointSlot& p = l.m.PointSlots[static_cast<std::size_t>(slot)];
  p.Set = true;
  p.X = l.Value(1);
  p.Y = l.Value(2);
  p.Mark = mark;
  ++l.m.PointSlotCount;
}

// "hhp<number>[mark]": a mark counts only after at least one number byte.
void SetPointRef(const Line& l) {
  static constexpr std::string_view kMarks[] = {"ln", "ci", "ch"};
  std::string_view number = l.key.substr(3);
  for (const std::string_view mark : kMarks) {
    const std::size_t at = FindOnBoundary(l.key, mark);
    if (at != std::string_view::npos && at >= 4) number = l.key.substr(3, at - 3);
  }
  l.m.CurAttr.PointRef = rupena::text::ParseIntOrZero(number);
}

// --- entity lines -------------------------------------------------------------

template <std::size_t Count, std::size_t Size>
void ReadValues(const Line& l, std::array<double, Size>& values) {
  static_assert(Count <= Size);
  for (std::size_t k = 0; k < Count; ++k) values[k] = l.Value(k + 1);
}

void StoreCircle(const Line& l) {
  TJwwEntCircle& r = StoreEntity(l.m, l.m.Circles, kKindCircle);
  ReadValues<3>(l, r.Values);
  FinishEntity(l.m, true);
}

void StoreArc(const Line& l) {
  TJwwEntArc& r = StoreEntity(l.m, l.m.Arcs, kKindArc);
  ReadValues<7>(l, r.Values);
  FinishEntity(l.m, true);
}

// The text fields shared by kind 4 and the text part of kind 7. The strings
// are made by the caller before the record exists, so running out of memory
// there leaves no half-filled record behind.
void FillText(TJwwEntText& r, const Line& l, int kind, const TJwwFontName& font,
              std::string text) {
  const TJwwAttr& a = l.m.CurAttr;
  r.TextKind = kind;
  r.CharStyle = a.CharStyle;
  r.TextType = a.TextType;
  if (a.TextType >= 1 && a.TextType <= 10) {
    const TJwwTextType& t = l.m.TextTypes[static_cast<std::size_t>(a.TextType - 1)];
    r.CharWidth = t.Width;
    r.CharHeight = t.Height;
    r.CharSpacing = t.Spacing;
    r.Color = t.Color;
  } else {
    r.CharWidth = a.FreeWidth;
    r.CharHeight = a.FreeHeight;
    r.CharSpacing = a.FreeSpacing;
    r.Color = a.FreeColor;
  }
  r.X1 = l.Value(1);
  r.Y1 = l.Value(2);
  r.DirX = l.Value(3);
  r.DirY = l.Value(4);
  r.FontName = font;
  r.Text = std::move(text);
}

// The font name the next text record shares: the current one as a record
// keeps it, made anew only when that differs from the last one handed out.
const TJwwFontName& SharedFontName(const Line& l) {
  const std::string_view name =
      std::string_view(l.m.CurAttr.FontName).substr(0, kShortStringMax);
  if (l.font != name) l.font = TJwwFontName(name);
  return l.font;
}

void StoreText(const Line& l) {
  const TJwwFontName& font = SharedFontName(l);
  std::string text = ShortString(l.Field(5));
  const int kind = TextKindOf(l.key);
  if (l.m.CurAttr.MsgMode && kind == 2) {
    TJwwEntMsgText& r = StoreEntity(l.m, l.m.MsgTexts, kKindMsgText);
    r.Line = l.m.HeldLine;
    StampHeader(l.m, r.Text);
    FillText(r.Text, l, 2, font, std::move(text));
  } else {
    TJwwEntText& r = StoreEntity(l.m, l.m.Texts, kKindText);
    FillText(r, l, kind, font, std::move(text));
  }
  FinishEntity(l.m, true);
}

void StorePoint(const Line& l) {
  TJwwEntPoint& r = StoreEntity(l.m, l.m.Points, kKindPoint);
  r.Color = l.m.CurAttr.PointColor;
  r.X = l.Value(1);
  r.Y = l.Value(2);
  FinishEntity(l.m, true);
}

void StorePointEx(const Line& l) {
  TJwwEntPointEx& r = StoreEntity(l.m, l.m.PointExs, kKindPointEx);
  r.Color = l.m.CurAttr.PointColor;
  r.X = l.Value(1);
  r.Y = l.Value(2);
  r.Values = {l.Value(3), l.Value(4)};
  r.Int = l.Int(5);
  FinishEntity(l.m, true);
}

void StoreBlock(const Line& l) {
  std::string name(l.Field(3));
  TJwwEntBlk& r = StoreEntity(l.m, l.m.Blocks, kKindBlk);
  r.X = l.Value(1);
  r.Y = l.Value(2);
  r.Name = std::move(name);
  FinishEntity(l.m, true);
}

TJwwPoint Corner(const Line& l, std::size_t c) { return {l.Value(2 * c - 1), l.Value(2 * c)}; }

bool Coincide(const TJwwPoint& p, const TJwwPoint& q) noexcept {
  return std::fabs(p.X - q.X) <= 1e-10 && std::fabs(p.Y - q.Y) <= 1e-10;
}

template <std::size_t N>
void StoreSl(TJwwModel& m, BlockTable<TJwwEntSl<N>>& table, std::int32_t kind,
             const std::array<TJwwPoint, N>& corners) {
  TJwwEntSl<N>& r = StoreEntity(m, table, kind);
  r.ExtColor = m.CurAttr.ExtColor;
  r.Points = corners;
  FinishEntity(m, true);
}

void StoreSl2(TJwwModel& m, const TJwwPoint& a, const TJwwPoint& b) {
  StoreSl<2>(m, m.Sl2Ps, kKindSl2P, {a, b});
}

void StoreSl3(TJwwModel& m, const TJwwPoint& a, const TJwwPoint& b, const TJwwPoint& c) {
  StoreSl<3>(m, m.Sl3Ps, kKindSl3P, {a, b, c});
}

void StoreSlTwoCorners(const Line& l) { StoreSl2(l.m, Corner(l, 1), Corner(l, 2)); }

// Coinciding corners are merged; the order of the tests decides which
// corners survive.
void StoreSlThreeCorners(const Line& l) {
  const TJwwPoint p1 = Corner(l, 1), p2 = Corner(l, 2), p3 = Corner(l, 3);
  if (Coincide(p1, p2)) StoreSl2(l.m, p1, p3);
  else if (Coincide(p2, p3)) StoreSl2(l.m, p1, p2);
  else StoreSl3(l.m, p1, p2, p3);
}

void StoreSlFourCorners(const Line& l) {
  const TJwwPoint p1 = Corner(l, 1), p2 = Corner(l, 2), p3 = Corner(l, 3), p4 = Corner(l, 4);
  const bool c12 = Coincide(p1, p2), c13 = Coincide(p1, p3), c14 = Coincide(p1, p4);
  const bool c23 = Coincide(p2, p3), c24 = Coincide(p2, p4), c34 = Coincide(p3, p4);
  if (c12 && c13) StoreSl2(l.m, p1, p4);
  else if (c23 && c24) StoreSl2(l.m, p1, p2);
  else if (c12 && c34) StoreSl2(l.m, p1, p3);
  else if (c14 || c24 || c34) StoreSl3(l.m, p1, p2, p3);
  else if (c13 || c23) StoreSl3(l.m, p1, p2, p4);
  else if (c12) StoreSl3(l.m, p1, p3, p4);
  else StoreSl<4>(l.m, l.m.Sl4Ps, kKindSl4P, {p1, p2, p3, p4});
}

template <std::int32_t Kind>
void StoreScSe(const Line& l) {
  TJwwEntScSe& r = StoreEntity(l.m, Kind == kKindSc ? l.m.Scs : l.m.Ses, Kind);
  r.ExtColor = l.m.CurAttr.ExtColor;
  ReadValues<7>(l, r.Values);
  r.Int = l.Int(8);
  FinishEntity(l.m, true);
}

template <std::int32_t Kind>
void StoreSoSg(const Line& l) {
  TJwwEntSoSg& r = StoreEntity(l.m, Kind == kKindSo ? l.m.Sos : l.m.Sgs, Kind);
  r.ExtColor = l.m.CurAttr.ExtColor;
  ReadValues<8>(l, r.Values);
  FinishEntity(l.m, true);
}

// A keyword-less line of four numbers. In message mode it is only held for
// the next "cs" text; neither case ends a mode, so a polyline run goes on.
void StoreLineOrHold(const Line& l) {
  const TJwwAttr& a = l.m.CurAttr;
  TJwwEntLine& r = a.MsgMode ? l.m.HeldLine : StoreEntity(l.m, l.m.Lines, kKindLine);
  if (a.MsgMode) StampHeader(l.m, r);
  r.PolylineNo = !a.MsgMode && a.InPolyline ? a.PolylineCount : 0;
  r.X1 = l.Value(0);
  r.Y1 = l.Value(1);
  r.X2 = l.Value(2);
  r.Y2 = l.Value(3);
  FinishEntity(l.m, false);
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
    /*  3 */ {'h', [](const Line& l) { return Is(l.key, "hk") && l.n >= 2; }, ReadHk},
    /*  4 */ {'h', [](const Line& l) { return Is(l.key, "hs") && l.n >= 17; }, ReadGroupScales},
    /*  5 */ {'h', [](const Line& l) { return Is(l.key, "hzs") && l.n >= 3; }, ReadSheetSize},
    /*  6 */ {'h', [](const Line& l) { return Is(l.key, "hcw") && l.n >= 11; }, ReadTextTypeSizes<&TJwwTextType::Width>},
    /*  7 */ {'h', [](const Line& l) { return Is(l.key, "hch") && l.n >= 11; }, ReadTextTypeSizes<&TJwwTextType::Height>},
    /*  8 */ {'h', [](const Line& l) { return Is(l.key, "hcd") && l.n >= 11; }, ReadTextTypeSizes<&TJwwTextType::Spacing>},
    /*  9 */ {'h', [](const Line& l) { return Is(l.key, "hcc") && l.n >= 11; }, ReadTextTypeColors},
    /* 10 */ {'b', [](const Line& l) { return Is(l.key, "bz"); }, ReadBz},
    /* 11 */ {'h', [](const Line& l) { return Is(l.key, "hn") && l.n >= 5; }, ReadHn},
    /* 12 */ {'l', [](const Line& l) { return Begins(l.key, "lgn"); }, NameGroup},
    /* 13 */ {'l', [](const Line& l) { return Begins(l.key, "lyn"); }, NameLayer},
    /* 14 */ {'l', [](const Line& l) { return Begins(l.key, "lg"); }, SelectGroup},
    /* 15 */ {'l', [](const Line& l) { return Begins(l.key, "ly"); }, SelectLayer},
    /* 16 */ {'l', [](const Line& l) { return Begins(l.key, "lc"); }, SetLineColor},
    /* 17 */ {'l', [](const Line& l) { return Begins(l.key, "lt"); }, SetLineType},
    /* 18 */ {'l', [](const Line& l) { return Begins(l.key, "lw"); }, SetLineWidth},
    /* 19 */ {'c', [](const Line& l) { return Begins(l.key, "cn$"); }, SetFontName},
    /* 20 */ {'c', [](const Line& l) { return Begins(l.key, "cn"); }, SetTextType},
    /* 21 */ {'c', [](const Line& l) { return Begins(l.key, "cc"); }, SetCharStyle},
    /* 22 */ {'z', [](const Line& l) { return ZFlagOf(l.key) != 0; }, AddZFlag},
    /* 23 */ {'p', [](const Line& l) { return Begins(l.key, "pn"); }, SetPointColor},
    /* 24 */ {'p', [](const Line& l) { return Is(l.key, "pl"); }, StartPolyline},
    /* 25 */ {'m', [](const Line& l) { return Is(l.key, "msg"); }, StartMsgMode},
    /* 26 */ {'#', [](const Line& l) { return Is(l.key, "#"); }, EndModes},
    /* 27 */ {'h', [](const Line& l) { return Begins(l.key, "hp") && l.n >= 3; }, SetPointSlot},
    /* 28 */ {'h', [](const Line& l) { return Begins(l.key, "hhp"); }, SetPointRef},
    /* 29 */ {'c', [](const Line& l) { return Is(l.key, "ci") && l.n == 4; }, StoreCircle},
    /* 30 */ {'c', [](const Line& l) { return Is(l.key, "ci") && l.n >= 8; }, StoreArc},
    /* 31 */ {'c', [](const Line& l) { return TextKindOf(l.key) >= 0 && l.n >= 6; }, StoreText},
    /* 32 */ {'p', [](const Line& l) { return Is(l.key, "pt") && l.n == 3; }, StorePoint},
    /* 33 */ {'p', [](const Line& l) { return Is(l.key, "pt") && l.n >= 6; }, StorePointEx},
    /* 34 */ {'B', [](const Line& l) { return Is(l.key, "BL") && l.n >= 4; }, StoreBlock},
    /* 35 */ {'s', [](const Line& l) { return Is(l.key, "sl") && l.n == 5; }, StoreSlTwoCorners},
    /* 36 */ {'s', [](const Line& l) { return Is(l.key, "sl") && l.n == 7; }, StoreSlThreeCorners},
    /* 37 */ {'s', [](const Line& l) { return Is(l.key, "sl") && l.n >= 9; }, StoreSlFourCorners},
    /* 38 */ {'s', [](const Line& l) { return Is(l.key, "sc") && l.n >= 9; }, StoreScSe<kKindSc>},
    /* 39 */ {'s', [](const Line& l) { return Is(l.key, "se") && l.n >= 9; }, StoreScSe<kKindSe>},
    /* 40 */ {'s', [](const Line& l) { return Is(l.key, "so") && l.n >= 9; }, StoreSoSg<kKindSo>},
    /* 41 */ {'s', [](const Line& l) { return Is(l.key, "sg") && l.n >= 9; }, StoreSoSg<kKindSg>},
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

// Applies one cut line; may throw std::bad_alloc, which leaves the model
// without a partial record (StoreEntity reserves before it changes anything).
void Apply(TJwwModel& m, TJwwFontName& font, const CutFields& fields) {
  const Line line{m, font, fields, fields.Field(0), fields.Count()};
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

}  // namespace


template <ByteScan Scan>
void BasicExchangeReader<Scan>::ReadLine(std::string_view line) noexcept {
  try {
    cutter_.Cut(line);
    Apply(model_, font_, cutter_);
  } catch (...) {
    // Only memory exhaustion can get here; the line is then not applied.
  }
}

template <ByteScan Scan>
bool BasicExchangeReader<Scan>::ReadLines(BasicLineSource<Scan>& source) noexcept {
  try {
    std::string_view line;
    while (source.Next(line)) {
      cutter_.Cut(line);
      Apply(model_, font_, cutter_);
    }
    return true;
  } catch (...) {
    // Out of memory or a failing stream: what was applied so far stays.
    return false;
  }
}

template class BasicExchangeReader<ByteScan::kPlain>;
#if defined(__SSE2__)
template class BasicExchangeReader<ByteScan::kSse2>;
#endif

void ReadExchangeLine(TJwwModel& model, std::string_view line) noexcept {
  ExchangeReader(model).ReadLine(line);
}

bool LoadExchangeBytes(TJwwModel& model, std::string_view bytes) noexcept {
  LineSource source(bytes);
  return ExchangeReader(model).ReadLines(source);
}

bool LoadExchangeFile(TJwwModel& model, const std::filesystem::path& path) noexcept {
  try {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    const std::uintmax_t expected = std::filesystem::file_size(path, ec);
    const bool sizeKnown = !ec;
    std::ifstream in(path, std::ios::in | std::ios::binary);
    if (!in.is_open()) return false;
    LineSource source(*in.rdbuf());
    if (!ExchangeReader(model).ReadLines(source)) return false;
    // The stream reports a read error like an end of file; a file that
    // yields fewer bytes than it holds was not read to its end.
    return source.EndedByCtrlZ() || !sizeKnown || source.BytesRead() >= expected;
  } catch (...) {
    return false;
  }
}

}  // namespace JwwGaibu
