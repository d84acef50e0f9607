#include "exchange/drawing_model.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace JwwGaibu {
namespace {

TJwwModel Model;

// Puts a value other than its default into every part of the model that a
// reset must restore.
void Dirty() {
  TJwwModel& m = Model;
  m.DrawingFile = "x";
  m.HkValue = 3;
  m.GroupScales.fill(7);
  m.SheetWidth = 1;
  m.TextTypes[4].Color = 9;
  m.BzSeen = true;
  m.HnValues[3] = 2;
  m.GroupNames[1] = "g";
  m.LayerValues[255] = 5;
  m.PointSlots[9].Set = true;
  m.PointSlotCount = 4;
  m.CurAttr.LineColor = 8;
  m.CurAttr.FontName = "f";
  m.CurAttr.MsgMode = true;
  m.FirstAttr.LineType = 6;
  m.FirstAttr.FontName = "f";
  m.AttrFresh.fill(false);
  m.LineWidthSeen = true;
  m.HeldLine.X2 = 9;
  StoreEntity(m, m.Texts, kKindText);
  m.OutputLines.Append() = "hd";
}

TEST(ModelReset, EverythingBackToDefaults) {
  ResetModel(Model);
  Dirty();
  ResetModel(Model);
  const TJwwModel& m = Model;
  EXPECT_EQ(m.DrawingFile, "");
  EXPECT_EQ(m.HkValue, 0.0);
  for (double s : m.GroupScales) EXPECT_EQ(s, 1.0);
  EXPECT_EQ(m.SheetWidth, 1189.0);
  EXPECT_EQ(m.SheetHeight, 841.0);
  for (const TJwwTextType& t : m.TextTypes) {
    EXPECT_EQ(t.Width, 3.0);
    EXPECT_EQ(t.Height, 3.0);
    EXPECT_EQ(t.Spacing, 0.0);
    EXPECT_EQ(t.Color, 2);
  }
  EXPECT_FALSE(m.BzSeen);
  EXPECT_EQ(m.HnValues[3], 0.0);
  ASSERT_EQ(m.GroupNames.size(), 16u);
  ASSERT_EQ(m.GroupValues.size(), 16u);
  ASSERT_EQ(m.LayerNames.size(), 256u);
  ASSERT_EQ(m.LayerValues.size(), 256u);
  ASSERT_EQ(m.PointSlots.size(), 100u);
  EXPECT_EQ(m.GroupNames[1], "");
  EXPECT_EQ(m.LayerValues[255], 0);
  EXPECT_FALSE(m.PointSlots[9].Set);
  EXPECT_EQ(m.PointSlotCount, 0);

  EXPECT_EQ(m.CurAttr.LineColor, 1);
  EXPECT_EQ(m.CurAttr.LineType, 1);
  EXPECT_EQ(m.CurAttr.TextType, 1);
  EXPECT_EQ(m.CurAttr.FreeWidth, 2.0);
  EXPECT_EQ(m.CurAttr.FreeColor, 1);
  EXPECT_EQ(m.CurAttr.PointColor, 1);
  EXPECT_EQ(m.CurAttr.FontName, kDefaultFontName);
  EXPECT_EQ(kDefaultFontName.size(), 15u);
  EXPECT_FALSE(m.CurAttr.MsgMode);
  EXPECT_EQ(m.FirstAttr.LineType, 1);
  EXPECT_EQ(m.FirstAttr.FontName, "");
  for (std::size_t i = 0; i < kFreshCount; ++i) EXPECT_EQ(m.AttrFresh[i], i <= kFreshTextType) << i;
  EXPECT_FALSE(m.LineWidthSeen);

  EXPECT_EQ(m.HeldLine.Color, 1);
  EXPECT_EQ(m.HeldLine.LineType, 1);
  EXPECT_EQ(m.HeldLine.X1, 0.0);
  EXPECT_EQ(m.HeldLine.X2, 1.0);
  EXPECT_EQ(m.HeldLine.Y2, 0.0);

  EXPECT_EQ(m.Texts.Count(), 0);
  EXPECT_EQ(m.Texts.Capacity(), 0u);
  EXPECT_EQ(m.EntityOrder.Count(), 0);
  EXPECT_EQ(m.OutputLines.Count(), 0);
}

TEST(TableGrowth, BlocksOfAThousand) {
  ResetModel(Model);
  for (int i = 0; i < 1000; ++i) {
    Model.CurAttr.Layer = i % 16;
    StoreEntity(Model, Model.Lines, kKindLine).X1 = i;
  }
  EXPECT_EQ(Model.Lines.Count(), 1000);
  EXPECT_EQ(Model.Lines.Capacity(), 1000u);
  EXPECT_EQ(Model.EntityOrder.Capacity(), 1000u);
  const TJwwEntLine* first = &Model.Lines[0];

  StoreEntity(Model, Model.Lines, kKindLine).X1 = 1000;
  EXPECT_EQ(Model.Lines.Count(), 1001);
  EXPECT_EQ(Model.Lines.Capacity(), 2000u);
  EXPECT_EQ(Model.EntityOrder.Capacity(), 2000u);
  EXPECT_EQ(&Model.Lines[0], first);  // growing moves no record
  for (std::size_t i = 0; i <= 1000; ++i) {
    ASSERT_EQ(Model.Lines[i].X1, static_cast<double>(i));
    ASSERT_EQ(Model.Lines[i].Layer, i == 1000 ? 999 % 16 : static_cast<std::int32_t>(i % 16));
    ASSERT_EQ(Model.EntityOrder[i].Kind, kKindLine);
    ASSERT_EQ(Model.EntityOrder[i].Index, static_cast<std::int32_t>(i));
  }
  StoreEntity(Model, Model.Points, kKindPoint);
  EXPECT_EQ(Model.EntityOrder[1001].Kind, kKindPoint);
  EXPECT_EQ(Model.EntityOrder[1001].Index, 0);
  EXPECT_EQ(Model.Points.Capacity(), 1000u);
}

TEST(EntityStoring, StampAndFinish) {
  ResetModel(Model);
  TJwwAttr& a = Model.CurAttr;
  a.PointRef = 3;
  a.LayerGroup = 4;
  a.Layer = 5;
  a.LineColor = 6;
  a.LineType = 7;
  a.LineWidth = 8;
  a.ZFlags = 9;
  a.InPolyline = true;
  a.MsgMode = true;
  const TJwwEntCircle& c = StoreEntity(Model, Model.Circles, kKindCircle);
  EXPECT_EQ(c.PointRef, 3);
  EXPECT_EQ(c.LayerGroup, 4);
  EXPECT_EQ(c.Layer, 5);
  EXPECT_EQ(c.Color, 6);
  EXPECT_EQ(c.LineType, 7);
  EXPECT_EQ(c.LineWidth, 8);
  EXPECT_EQ(c.ZFlags, 9);

  FinishEntity(Model, false);
  EXPECT_EQ(a.PointRef, 0);
  EXPECT_EQ(a.ZFlags, 0);
  EXPECT_TRUE(a.InPolyline);
  EXPECT_TRUE(a.MsgMode);
  FinishEntity(Model, true);
  EXPECT_FALSE(a.InPolyline);
  EXPECT_FALSE(a.MsgMode);
}

TEST(ShortStrings, CutAtTwoHundredFiftyFiveBytes) {
  EXPECT_EQ(ShortString(""), "");
  EXPECT_EQ(ShortString(std::string(255, 'a')), std::string(255, 'a'));
  EXPECT_EQ(ShortString(std::string(256, 'a')), std::string(255, 'a'));
}

TEST(FontNames, CompareByTheirBytes) {
  struct Case {
    std::string_view stored;
    std::string_view other;
    bool equal;
  };
  const Case cases[] = {
      {"", "", true},
      {kDefaultFontName, kDefaultFontName, true},
      {"<A>", "<A>", true},
      {"<A>", "<B>", false},
      {"<A>", "<A", false},
      {"<A>", "", false},
      {"", "<A>", false},
      {std::string_view("a\0b", 3), std::string_view("a\0c", 3), false},
      {std::string_view("a\0b", 3), "a", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.stored) + " against " + std::string(c.other));
    const TJwwFontName name(c.stored);
    EXPECT_EQ(name == c.other, c.equal);
    EXPECT_EQ(c.other == name, c.equal);
    EXPECT_EQ(name == std::string(c.other), c.equal);
    EXPECT_EQ(name == TJwwFontName(c.other), c.equal);
    EXPECT_EQ(name.size(), c.stored.size());
    EXPECT_EQ(name.empty(), c.stored.empty());
    EXPECT_EQ(std::string_view(name), c.stored);
  }
  EXPECT_TRUE(TJwwFontName() == "");
}

TEST(FontNames, CopiesShareAndOutliveTheOriginal) {
  std::string bytes = "<\x82\x6c\x82\x72 A>";
  auto original = std::make_unique<TJwwFontName>(bytes);
  bytes.assign("changed");  // the name holds its own bytes
  TJwwFontName copy = *original;
  EXPECT_EQ(copy.data(), original->data());
  TJwwFontName assigned;
  assigned = copy;
  EXPECT_EQ(assigned.data(), original->data());
  original.reset();
  EXPECT_EQ(copy, "<\x82\x6c\x82\x72 A>");
  EXPECT_EQ(assigned, "<\x82\x6c\x82\x72 A>");

  TJwwFontName moved = std::move(copy);
  EXPECT_EQ(moved, "<\x82\x6c\x82\x72 A>");
  const TJwwFontName& self = moved;
  moved = self;
  EXPECT_EQ(moved, "<\x82\x6c\x82\x72 A>");
  assigned = TJwwFontName("<B>");
  EXPECT_EQ(assigned, "<B>");
  EXPECT_EQ(moved, "<\x82\x6c\x82\x72 A>");
}

// A text record copied out of the model keeps its font name after the model
// is reset and refilled.
TEST(FontNames, RecordCopiesSurviveAReset) {
  ResetModel(Model);
  StoreEntity(Model, Model.Texts, kKindText).FontName = TJwwFontName("<A>");
  const TJwwEntText kept = Model.Texts[0];
  ResetModel(Model);
  StoreEntity(Model, Model.Texts, kKindText).FontName = TJwwFontName("<B>");
  ReleaseModel(Model);
  EXPECT_EQ(kept.FontName, "<A>");
  ResetModel(Model);
}

TEST(OutputPreparation, WrittenAttributesBackToDefaults) {
  ResetModel(Model);
  TJwwAttr& a = Model.CurAttr;
  a.LayerGroup = 5;
  a.Layer = 2;
  a.LineColor = 3;
  a.LineType = 4;
  a.LineWidth = 5;
  a.TextType = 0;
  a.FreeWidth = 9;
  a.FreeColor = 4;
  a.CharStyle = 6;
  a.FontName = "<A>";
  a.PointColor = 7;
  a.ExtColor = 8;
  a.PolylineCount = 3;
  Model.FirstAttr.LayerGroup = 5;
  Model.FirstAttr.FontName = "<A>";
  Model.AttrFresh.fill(false);
  Model.HkValue = 2;

  PrepareOutputState(Model);
  const TJwwAttr defaults;
  EXPECT_EQ(a.LayerGroup, 0);
  EXPECT_EQ(a.Layer, 0);
  EXPECT_EQ(a.LineColor, 1);
  EXPECT_EQ(a.LineType, 1);
  EXPECT_EQ(a.LineWidth, 0);
  EXPECT_EQ(a.TextType, 1);
  EXPECT_EQ(a.FreeWidth, defaults.FreeWidth);
  EXPECT_EQ(a.FreeColor, 1);
  EXPECT_EQ(a.CharStyle, 0);
  EXPECT_EQ(a.FontName, kDefaultFontName);
  EXPECT_EQ(a.PointColor, 1);
  EXPECT_EQ(a.ExtColor, 0);
  EXPECT_EQ(a.PolylineCount, 3);  // not an attribute the writer writes
  for (bool fresh : Model.AttrFresh) EXPECT_TRUE(fresh);
  EXPECT_EQ(Model.FirstAttr.LayerGroup, 5);
  EXPECT_EQ(Model.FirstAttr.FontName, "<A>");
  EXPECT_EQ(Model.HkValue, 2.0);
}

TEST(NumberMapping, ColorsAndLineTypes) {
  ResetModel(Model);
  Model.FirstAttr.LineColor = 4;
  Model.FirstAttr.LineType = 6;
  struct Case {
    std::int32_t n, color, lineType;
  };
  const Case cases[] = {
      {INT32_MIN, 4, 6}, {-5, 4, 6},  {0, 4, 6},    {1, 1, 1},    {9, 9, 9},
      {10, 101, 11},     {11, 102, 12}, {18, 109, 19}, {19, 110, 31}, {INT32_MAX, INT32_MAX, INT32_MAX},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.n);
    EXPECT_EQ(MapColorNumber(Model, c.n), c.color);
    EXPECT_EQ(MapLineTypeNumber(Model, c.n), c.lineType);
  }
}

TEST(ModelRelease, FreesStorageKeepsCounts) {
  ResetModel(Model);
  StoreEntity(Model, Model.Texts, kKindText).Text = "a";
  StoreEntity(Model, Model.Lines, kKindLine);
  Model.OutputLines.Append() = "hd";
  ReleaseModel(Model);
  EXPECT_EQ(Model.Texts.Count(), 1);
  EXPECT_EQ(Model.Texts.Capacity(), 0u);
  EXPECT_EQ(Model.Lines.Capacity(), 0u);
  EXPECT_EQ(Model.EntityOrder.Count(), 2);
  EXPECT_EQ(Model.EntityOrder.Capacity(), 0u);
  EXPECT_EQ(Model.OutputLines.Capacity(), 0u);
  EXPECT_EQ(Model.GroupNames.capacity(), 0u);
  EXPECT_EQ(Model.LayerValues.capacity(), 0u);
  EXPECT_EQ(Model.PointSlots.capacity(), 0u);
  ResetModel(Model);  // usable again
  EXPECT_EQ(Model.Texts.Count(), 0);
  EXPECT_EQ(Model.PointSlots.size(), 100u);
}

// How many members (a base counting as one) a record has: the most
// initializers it takes, each converting to whatever its member is.
struct AnyMember {
  template <typename U>
  operator U() const;
};

template <typename T, std::size_t... I>
constexpr bool TakesInitializers(std::index_sequence<I...>) {
  return requires { T{(static_cast<void>(I), AnyMember{})...}; };
}

template <typename T, std::size_t N = 0>
constexpr std::size_t MemberCount() {
  if constexpr (TakesInitializers<T>(std::make_index_sequence<N + 1>{})) {
    return MemberCount<T, N + 1>();
  } else {
    return N;
  }
}

template <typename T>
std::size_t FieldsListed() {
  T record{};
  std::size_t n = 0;
  T::Fields([&n](std::string_view, const auto&) { ++n; }, record);
  return n;
}

// A member added to a record but not to its field list would be missing
// from the dump and from every model comparison without failing anything;
// here it fails.
template <typename T, typename Base = void>
void ExpectEveryMemberListed(const char* name, std::size_t notListed = 0) {
  SCOPED_TRACE(name);
  std::size_t listed = FieldsListed<T>();
  std::size_t members = MemberCount<T>();
  if constexpr (!std::is_void_v<Base>) {
    listed -= FieldsListed<Base>();
    members -= 1;
  }
  EXPECT_EQ(listed + notListed, members);
}

TEST(FieldLists, NameEveryMember) {
  ExpectEveryMemberListed<TJwwEntHead>("TJwwEntHead");
  ExpectEveryMemberListed<TJwwPoint>("TJwwPoint");
  ExpectEveryMemberListed<TJwwEntLine, TJwwEntHead>("TJwwEntLine");
  ExpectEveryMemberListed<TJwwEntCircle, TJwwEntHead>("TJwwEntCircle");
  ExpectEveryMemberListed<TJwwEntArc, TJwwEntHead>("TJwwEntArc");
  ExpectEveryMemberListed<TJwwEntText, TJwwEntHead>("TJwwEntText");
  ExpectEveryMemberListed<TJwwEntPoint, TJwwEntHead>("TJwwEntPoint");
  ExpectEveryMemberListed<TJwwEntPointEx, TJwwEntHead>("TJwwEntPointEx");
  ExpectEveryMemberListed<TJwwEntMsgText, TJwwEntHead>("TJwwEntMsgText");
  ExpectEveryMemberListed<TJwwEntBlk, TJwwEntHead>("TJwwEntBlk");
  ExpectEveryMemberListed<TJwwEntSl4P, TJwwEntHead>("TJwwEntSl4P");
  ExpectEveryMemberListed<TJwwEntScSe, TJwwEntHead>("TJwwEntScSe");
  ExpectEveryMemberListed<TJwwEntSoSg, TJwwEntHead>("TJwwEntSoSg");
  ExpectEveryMemberListed<TJwwOrder>("TJwwOrder");
  ExpectEveryMemberListed<TJwwTextType>("TJwwTextType");
  ExpectEveryMemberListed<TJwwPointSlot>("TJwwPointSlot");
  ExpectEveryMemberListed<TJwwAttrValues>("TJwwAttrValues");
  ExpectEveryMemberListed<TJwwAttr, TJwwAttrValues>("TJwwAttr");
  ExpectEveryMemberListed<TJwwFirstAttr, TJwwAttrValues>("TJwwFirstAttr");

  std::size_t tables = 0;
  TJwwModel model;
  ForEachEntityTable([&tables](std::int32_t kind, std::string_view, const auto&) {
    EXPECT_EQ(kind, static_cast<std::int32_t>(++tables));
  }, model);
  EXPECT_EQ(tables, 15u);
  // The model lists the entity tables apart, and the output lines not at all.
  ExpectEveryMemberListed<TJwwModel>("TJwwModel", tables + 1);
}

// Two models loaded alike, then one field of one of them changed.
TEST(SameDrawing, EveryListedFieldCounts) {
  const auto fill = [](TJwwModel& m) {
    ResetModel(m);
    StoreEntity(m, m.Texts, kKindText).FontName = TJwwFontName("<A>");
    StoreEntity(m, m.Sl3Ps, kKindSl3P).Points[2].Y = 4.0;
    m.OutputLines.Append() = "hd";
  };
  struct Case {
    const char* name;
    std::function<void(TJwwModel&)> change;
    bool same;
  };
  const Case cases[] = {
      {"nothing", [](TJwwModel&) {}, true},
      {"the output lines", [](TJwwModel& m) { m.OutputLines[0] = "hq"; }, true},
      {"a header value", [](TJwwModel& m) { m.SheetWidth = 1.0; }, false},
      {"zero against negative zero", [](TJwwModel& m) { m.HkValue = -0.0; }, false},
      {"a layer name", [](TJwwModel& m) { m.LayerNames[200] = "x"; }, false},
      {"a point slot's mark", [](TJwwModel& m) { m.PointSlots[5].Mark = 1; }, false},
      {"the current font", [](TJwwModel& m) { m.CurAttr.FontName = "<B>"; }, false},
      {"the first free width", [](TJwwModel& m) { m.FirstAttr.FreeWidth = 9.0; }, false},
      {"a fresh flag", [](TJwwModel& m) { m.AttrFresh[kFreshPointColor] = true; }, false},
      {"the held line", [](TJwwModel& m) { m.HeldLine.Y2 = 5.0; }, false},
      {"an order entry", [](TJwwModel& m) { m.EntityOrder[1].Index = 3; }, false},
      {"a text's font name", [](TJwwModel& m) { m.Texts[0].FontName = TJwwFontName("<a>"); }, false},
      {"a corner", [](TJwwModel& m) { m.Sl3Ps[0].Points[2].Y = 4.5; }, false},
      {"a further record", [](TJwwModel& m) { StoreEntity(m, m.Sgs, kKindSg); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TJwwModel a;
    TJwwModel b;
    fill(a);
    fill(b);
    c.change(b);
    EXPECT_EQ(SameDrawing(a, b), c.same);
    EXPECT_EQ(SameDrawing(b, a), c.same);
  }
}

}  // namespace
}  // namespace JwwGaibu
