#include "exchange/drawing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "exchange/reader_state.h"

namespace rupena::exchange {
namespace {

// Records on either side of every block edge keep their place while the
// table grows past them.
TEST(BlockTable, GrowingMovesNoRecord) {
  BlockTable<LineRecord> table;
  const std::size_t watched[] = {0, 63, 64, 999, 1000, 1999, 2000};
  std::vector<const LineRecord*> places;
  for (std::size_t i = 0; i < 2501; ++i) {
    LineRecord& r = table.Append();
    r.x1 = static_cast<double>(i);
    if (std::find(std::begin(watched), std::end(watched), i) != std::end(watched)) places.push_back(&r);
  }
  ASSERT_EQ(table.size(), 2501u);
  for (std::size_t k = 0; k < places.size(); ++k) EXPECT_EQ(&table[watched[k]], places[k]) << watched[k];
  for (std::size_t i = 0; i < table.size(); ++i) ASSERT_EQ(table[i].x1, static_cast<double>(i));
}

TEST(BlockTable, CopiesAreIndependentAndStillGrowInPlace) {
  BlockTable<TextRecord> table;
  for (int i = 0; i < 1500; ++i) table.Append().text = std::to_string(i);
  BlockTable<TextRecord> copy = table;
  const TextRecord* inCopy = &copy[1499];
  copy.Append().text = "new";
  copy[0].text = "changed";
  EXPECT_EQ(&copy[1499], inCopy);
  EXPECT_EQ(copy[1499].text, "1499");
  EXPECT_EQ(table[0].text, "0");
  EXPECT_EQ(table.size(), 1500u);
  EXPECT_EQ(copy.size(), 1501u);

  BlockTable<TextRecord> moved = std::move(copy);
  EXPECT_EQ(&moved[1499], inCopy);
  EXPECT_EQ(moved[1500].text, "new");
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
    const FontName name(c.stored);
    EXPECT_EQ(name == c.other, c.equal);
    EXPECT_EQ(c.other == name, c.equal);
    EXPECT_EQ(name == std::string(c.other), c.equal);
    EXPECT_EQ(name == FontName(c.other), c.equal);
    EXPECT_EQ(name.size(), c.stored.size());
    EXPECT_EQ(name.empty(), c.stored.empty());
    EXPECT_EQ(std::string_view(name), c.stored);
  }
  EXPECT_TRUE(FontName() == "");
}

TEST(FontNames, CopiesShareAndOutliveTheOriginal) {
  std::string bytes = "<\x82\x6c\x82\x72 A>";
  auto original = std::make_unique<FontName>(bytes);
  bytes.assign("changed");  // the name holds its own bytes
  FontName copy = *original;
  EXPECT_EQ(copy.View().data(), original->View().data());
  FontName assigned;
  assigned = copy;
  EXPECT_EQ(assigned.View().data(), original->View().data());
  original.reset();
  EXPECT_EQ(copy, "<\x82\x6c\x82\x72 A>");
  EXPECT_EQ(assigned, "<\x82\x6c\x82\x72 A>");

  FontName moved = std::move(copy);
  EXPECT_EQ(moved, "<\x82\x6c\x82\x72 A>");
  const FontName& self = moved;
  moved = self;
  EXPECT_EQ(moved, "<\x82\x6c\x82\x72 A>");
  assigned = FontName("<B>");
  EXPECT_EQ(assigned, "<B>");
  EXPECT_EQ(moved, "<\x82\x6c\x82\x72 A>");
}

// A text record copied out of a drawing keeps its font name after the
// drawing is gone.
TEST(FontNames, RecordCopiesOutliveTheDrawing) {
  auto drawing = std::make_unique<Drawing>();
  drawing->texts.Append().fontName = FontName("<A>");
  const TextRecord kept = drawing->texts[0];
  drawing.reset();
  EXPECT_EQ(kept.fontName, "<A>");
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
// from the dump and from every drawing comparison without failing anything;
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
  ExpectEveryMemberListed<EntityHeader>("EntityHeader");
  ExpectEveryMemberListed<Corner>("Corner");
  ExpectEveryMemberListed<LineRecord, EntityHeader>("LineRecord");
  ExpectEveryMemberListed<CircleRecord, EntityHeader>("CircleRecord");
  ExpectEveryMemberListed<ArcRecord, EntityHeader>("ArcRecord");
  ExpectEveryMemberListed<TextRecord, EntityHeader>("TextRecord");
  ExpectEveryMemberListed<PointRecord, EntityHeader>("PointRecord");
  ExpectEveryMemberListed<PointWithValuesRecord, EntityHeader>("PointWithValuesRecord");
  ExpectEveryMemberListed<DimensionRecord, EntityHeader>("DimensionRecord");
  ExpectEveryMemberListed<BlockRecord, EntityHeader>("BlockRecord");
  ExpectEveryMemberListed<SolidRecord<4>, EntityHeader>("SolidRecord");
  ExpectEveryMemberListed<SevenValueRecord, EntityHeader>("SevenValueRecord");
  ExpectEveryMemberListed<EightValueRecord, EntityHeader>("EightValueRecord");
  ExpectEveryMemberListed<OrderEntry>("OrderEntry");
  ExpectEveryMemberListed<TextTypeEntry>("TextTypeEntry");
  ExpectEveryMemberListed<DesignatedPoint>("DesignatedPoint");
  ExpectEveryMemberListed<AttributeValues>("AttributeValues");
  ExpectEveryMemberListed<FirstAttributes, AttributeValues>("FirstAttributes");
  ExpectEveryMemberListed<CurrentAttributes, AttributeValues>("CurrentAttributes");

  std::size_t tables = 0;
  Drawing drawing;
  ForEachEntityTable(
      [&tables](EntityKind kind, std::string_view, const auto&) {
        EXPECT_EQ(static_cast<std::size_t>(kind), ++tables);
      },
      drawing);
  EXPECT_EQ(tables, 15u);
  // The drawing lists its figure tables apart.
  ExpectEveryMemberListed<Drawing>("Drawing", tables);
}

Drawing TwoFigures() {
  Drawing d;
  d.entityOrder.Append() = {EntityKind::kText, 0};
  d.texts.Append().fontName = FontName("<A>");
  d.entityOrder.Append() = {EntityKind::kSolid3, 0};
  d.solids3.Append().corners[2].y = 4.0;
  return d;
}

// Two drawings alike, then one field of one of them changed.
TEST(SameDrawing, EveryListedFieldCounts) {
  struct Case {
    const char* name;
    std::function<void(Drawing&)> change;
    bool same;
  };
  const Case cases[] = {
      {"nothing", [](Drawing&) {}, true},
      {"a header value", [](Drawing& d) { d.sheetWidth = 1.0; }, false},
      {"zero against negative zero", [](Drawing& d) { d.axisAngle = -0.0; }, false},
      {"a layer name", [](Drawing& d) { d.layerNames[200] = "x"; }, false},
      {"a designated point's mark", [](Drawing& d) { d.designatedPoints[5].mark = 1; }, false},
      {"the first free width", [](Drawing& d) { d.firstAttributes.freeWidth = 9.0; }, false},
      {"whether the file had line widths", [](Drawing& d) { d.hasLineWidths = true; }, false},
      {"an order entry", [](Drawing& d) { d.entityOrder[1].index = 3; }, false},
      {"a text's font name", [](Drawing& d) { d.texts[0].fontName = FontName("<a>"); }, false},
      {"a corner", [](Drawing& d) { d.solids3[0].corners[2].y = 4.5; }, false},
      {"a further record", [](Drawing& d) { d.sgFigures.Append(); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Drawing a = TwoFigures();
    Drawing b = a;  // a drawing is a value: the copy is the same drawing
    c.change(b);
    EXPECT_EQ(SameDrawing(a, b), c.same);
    EXPECT_EQ(SameDrawing(b, a), c.same);
    EXPECT_TRUE(SameDrawing(a, TwoFigures()));  // and changing it left the original
  }
}

}  // namespace
}  // namespace rupena::exchange
