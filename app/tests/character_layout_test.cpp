#include "app/character_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "exchange/records.h"
#include "textutil/vector_angle.h"

namespace {

using rupena::app::PlacedCharacter;
using rupena::exchange::TextRecord;

const std::string kHiraganaA = "\x82\xa0";
const std::string kFullWidthSpace = "\x81\x40";

TextRecord Text(std::string bytes, double width, double spacing, double dx, double dy) {
  TextRecord t;
  t.text = std::move(bytes);
  t.charWidth = width;
  t.charSpacing = spacing;
  t.x = 10;
  t.y = 20;
  t.directionX = dx;
  t.directionY = dy;
  return t;
}

TEST(GridFilling, OneColumnPerCharacterWithHalfSpacingForOneByte) {
  const TextRecord text = Text("A" + kHiraganaA + "B", 4, 1, 5, 0);
  rupena::app::SpacingCells grid;
  rupena::app::FillSpacingGrid(&text, grid);
  ASSERT_EQ(grid.ColCount(), 4);
  EXPECT_EQ(grid.Cell(0, 0), "\x95\xb6\x8e\x9a");
  EXPECT_EQ(grid.Cell(0, 1), "\x8c\xe3\x82\xcc\x8a\xd4\x8a\x75");
  EXPECT_EQ(grid.ColWidth(0), rupena::app::kHeadingColWidth);
  const std::string chars[] = {"A", kHiraganaA, "B"};
  const std::string spacings[] = {"0.5", "1", "0.5"};
  for (int col = 1; col <= 3; ++col) {
    SCOPED_TRACE(col);
    EXPECT_EQ(grid.Cell(col, 0), chars[col - 1]);
    EXPECT_EQ(grid.Cell(col, 1), spacings[col - 1]);
    EXPECT_EQ(grid.ColWidth(col), rupena::app::kDefaultColWidth);
  }
  EXPECT_EQ(rupena::app::GridSpacings(grid), (std::vector<double>{0.5, 1, 0.5}));
}

TEST(GridFilling, NoTextShowsOneFullWidthSpace) {
  rupena::app::SpacingCells grid;
  rupena::app::FillSpacingGrid(nullptr, grid);
  ASSERT_EQ(grid.ColCount(), 2);
  EXPECT_EQ(grid.Cell(1, 0), kFullWidthSpace);
  EXPECT_EQ(grid.Cell(1, 1), "0");
}

TEST(GridFilling, CharactersByTheirBytes) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::string> characters;
  } cases[] = {
      // ソ and 表 end in a backslash byte; a trail byte never begins a character
      {"trail bytes that look like ASCII", "\x83\x5c\x95\x5c=\x81\x81", {"\x83\x5c", "\x95\x5c", "=", "\x81\x81"}},
      {"a lead byte at the very end stands alone", "A\x82", {"A", "\x82"}},
      {"half-width katakana are one byte each", "\xb6\xc5", {"\xb6", "\xc5"}},
      // ﾊﾞﾙｺﾆｰ ﾍﾟﾝｷ: each mark stays with the kana before it
      {"voiced and semi-voiced marks join their kana", "\xca\xde\xd9\xba\xc6\xb0 \xcd\xdf\xdd\xb7",
       {"\xca\xde", "\xd9", "\xba", "\xc6", "\xb0", " ", "\xcd\xdf", "\xdd", "\xb7"}},
      {"a mark at the start stands alone", "\xde\xca", {"\xde", "\xca"}},
      {"a mark after a full-width character stands alone", "\x82\xa0\xde", {"\x82\xa0", "\xde"}},
      {"a mark after a mark stands alone", "\xca\xde\xde", {"\xca\xde", "\xde"}},
      {"a mark after half-width punctuation stands alone", "\xa5\xde", {"\xa5", "\xde"}},
      {"empty", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<std::string_view> got = rupena::app::SplitCharacters(c.text);
    EXPECT_EQ(std::vector<std::string>(got.begin(), got.end()), c.characters);
  }
  std::string longText;
  for (int i = 0; i < 150; ++i) longText += kHiraganaA;
  const TextRecord text = Text(longText, 1, 0.3, 1, 0);
  rupena::app::SpacingCells grid;
  rupena::app::FillSpacingGrid(&text, grid);
  ASSERT_EQ(grid.ColCount(), 151);  // every character of a text past 255 bytes
  EXPECT_EQ(grid.Cell(150, 0), kHiraganaA);
  EXPECT_EQ(grid.Cell(150, 1), "0.3");
}

TEST(FontNameCleaning, DropsTheAngleBrackets) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"<\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e>",
       "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e"},
      {"Arial", "Arial"},
      {"<Arial", "Arial"},
      {"Arial>", "Arial"},
      {"a<b>c>d", "b"},
      {"<>", ""},
      {"", ""},
      {">x<y", "y"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(rupena::app::DisplayFontName(c.in), c.out);
  }
}

struct Place {
  std::string bytes;
  double x, y, advance;
  bool written;
};

void ExpectPlaces(const std::vector<PlacedCharacter>& got, const std::vector<Place>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(got[i].bytes, want[i].bytes);
    EXPECT_DOUBLE_EQ(got[i].x, want[i].x);
    EXPECT_NEAR(got[i].y, want[i].y, 1e-12);
    EXPECT_EQ(got[i].advance, want[i].advance);
    EXPECT_EQ(got[i].written, want[i].written);
  }
}

TEST(PlacedCharacters, WorkedExampleAndItsEdges) {
  struct Case {
    const char* name;
    TextRecord text;
    std::vector<double> spacings;
    std::vector<Place> places;
  } cases[] = {
      {"worked example: one-byte characters advance half the width",
       Text("A" + kHiraganaA + "B", 4, 1, 5, 0), {0.5, 1, 0.5},
       {{"A", 10, 20, 2.5, true}, {kHiraganaA, 12.5, 20, 5, true}, {"B", 17.5, 20, 2.5, true}}},
      {"a negative spacing moves backwards",
       Text(kHiraganaA + "A", 4, 1, 1, 0), {-2, 0},
       {{kHiraganaA, 10, 20, 2, true}, {"A", 12, 20, 2, true}}},
      {"spacings past the grid take the default",
       Text("AB" + kHiraganaA, 4, 1, 1, 0), {3},
       {{"A", 10, 20, 5, true}, {"B", 15, 20, 2.5, true}, {kHiraganaA, 17.5, 20, 5, true}}},
      {"blanks are not written but advance",
       Text("A " + kFullWidthSpace + "B", 5, 0, 1, 0), {0, 0, 0, 0},
       {{"A", 10, 20, 2.5, true}, {" ", 12.5, 20, 2.5, false},
        {kFullWidthSpace, 15, 20, 5, false}, {"B", 20, 20, 2.5, true}}},
      {"a control byte is not written",
       Text("\x01" "B", 2, 0, 1, 0), {0, 0},
       {{"\x01", 10, 20, 1, false}, {"B", 11, 20, 1, true}}},
      {"a text without direction writes nothing",
       Text("AB", 2, 0, 0, 0), {0, 0},
       {{"A", 10, 20, 1, false}, {"B", 11, 20, 1, false}}},
      {"a kana with its mark advances a full width, with the full spacing",
       Text("\xc3\xde\xaf", 4, 1, 1, 0), {},
       {{"\xc3\xde", 10, 20, 5, true}, {"\xaf", 15, 20, 2.5, true}}},
      {"a rotated text goes along its direction, whatever the vector's length",
       Text("AB", 2, 0, -30, 40), {4, 0},
       {{"A", 10, 20, 5, true}, {"B", 10 - 3, 20 + 4, 1, true}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectPlaces(rupena::app::PlaceCharacters(c.text, c.spacings), c.places);
  }
}

// Upwards the cosine leaves a residue that is carried, not snapped to 0.
TEST(PlacedCharacters, UpwardTextCarriesTheCosineResidue) {
  const auto placed = rupena::app::PlaceCharacters(Text("AB", 4, 0, 0, 3), std::vector<double>{1, 0});
  ASSERT_EQ(placed.size(), 2u);
  const double c = std::cos(rupena::text::VectorAngle(0, 3));
  ASSERT_NE(c, 0.0);
  EXPECT_EQ(placed[1].x, 10 + c * 3);
  EXPECT_EQ(placed[1].y, 23.0);
}

// Spreading over a length: the one spacing that makes the placed characters
// span exactly the length, with equal gaps.
TEST(SpreadOverALength, TheCharactersSpanTheLengthWithEqualGaps) {
  struct Case {
    const char* name;
    TextRecord text;
    double length;
  } cases[] = {
      // 工事名称 over a title-block cell
      {"four full-width characters", Text("\x8d\x48\x8e\x96\x96\xbc\x8f\xcc", 4, 1, 5, 0), 30},
      {"half and full width, rotated", Text("A" + kHiraganaA + "B C", 3, 0, -1, 2), 17.25},
      {"shorter than the characters: negative gaps", Text(kHiraganaA + kHiraganaA + kHiraganaA, 4, 1, 0, 1), 7},
      {"a length far from the widths", Text("AB", 2.5, 0, 1, 0), 1e6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<double> spacing = rupena::app::SpacingForLength(c.text, c.length);
    ASSERT_TRUE(spacing.has_value());
    const std::size_t n = rupena::app::SplitCharacters(c.text.text).size();
    const std::vector<double> spacings(n, *spacing);
    const auto placed = rupena::app::PlaceCharacters(c.text, spacings);
    EXPECT_NEAR(rupena::app::SpannedLength(placed), c.length, 1e-9 * c.length);
    for (std::size_t i = 0; i + 1 < placed.size(); ++i) {
      EXPECT_NEAR(placed[i].advance - placed[i].width, *spacing, 1e-9 * std::max(1.0, std::fabs(*spacing)))
          << i;
    }
  }
  EXPECT_LT(*rupena::app::SpacingForLength(Text(kHiraganaA + kHiraganaA, 4, 0, 1, 0), 6), 0.0);
  EXPECT_FALSE(rupena::app::SpacingForLength(Text(kHiraganaA, 4, 0, 1, 0), 10).has_value());
  EXPECT_FALSE(rupena::app::SpacingForLength(Text("", 4, 0, 1, 0), 10).has_value());
}

// The worked example spans from A's start to B's end: its spacing leads nowhere.
TEST(SpreadOverALength, SpannedLengthCountsTheLastWidthNotItsSpacing) {
  const auto placed = rupena::app::PlaceCharacters(Text("A" + kHiraganaA + "B", 4, 1, 5, 0), {});
  EXPECT_EQ(rupena::app::SpannedLength(placed), 2.5 + 5 + 2);
  EXPECT_EQ(rupena::app::SpannedLength({}), 0.0);
  rupena::app::SpacingCells grid;
  const TextRecord text = Text("ABC", 4, 1, 5, 0);
  rupena::app::FillSpacingGrid(&text, grid);
  rupena::app::SetSpacingsBetween(grid, 1.0 / 3);
  EXPECT_EQ(rupena::app::GridSpacings(grid)[0], 0.333333333333333);  // as the general format writes it
  EXPECT_EQ(grid.Cell(2, 1), "0.333333333333333");
  EXPECT_EQ(grid.Cell(3, 1), "0.5");  // the last spacing as it was
}

}  // namespace
