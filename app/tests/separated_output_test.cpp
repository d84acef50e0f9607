#include "app/separated_output.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "app/character_layout.h"
#include "exchange/drawing.h"
#include "exchange/exchange_reader.h"
#include "exchange/exchange_writer.h"
#include "textutil/number_format.h"
#include "textutil/vector_angle.h"

namespace {

using namespace rupena::exchange;
using rupena::app::SpacingCells;
namespace fs = std::filesystem;

const std::string kFontLine = "cn\"$<\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e>";
const std::string kHiraganaA = "\x82\xa0";
const std::string kFullWidthSpace = "\x81\x40";

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string CrLf(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  return out;
}

// The drawing as the window has it once shown, and its grid.
struct Shown {
  Drawing drawing;
  SpacingCells grid;
};

Shown Show(const std::vector<std::string>& hostLines) {
  Shown shown;
  LoadExchangeBytes(shown.drawing, CrLf(hostLines));
  rupena::app::FillSpacingGrid(shown.drawing.texts.empty() ? nullptr : &shown.drawing.texts[0],
                               shown.grid);
  return shown;
}

// What OK writes for the grid, as lines without their line ends.
std::vector<std::string> OkLines(const Shown& shown) {
  ExchangeWriter writer(shown.drawing);
  rupena::app::EmitSeparatedText(
      writer, shown.drawing, 0,
      rupena::app::PlaceCharacters(shown.drawing.texts[0], rupena::app::GridSpacings(shown.grid)));
  return writer.Lines();
}

// What OK writes, read back.
Drawing OkAndReadBack(const Shown& shown) {
  ExchangeWriter writer(shown.drawing);
  rupena::app::EmitSeparatedText(
      writer, shown.drawing, 0,
      rupena::app::PlaceCharacters(shown.drawing.texts[0], rupena::app::GridSpacings(shown.grid)));
  Drawing back;
  EXPECT_TRUE(LoadExchangeBytes(back, writer.FileBytes()));
  return back;
}

// A host header giving text type 3 the width 4, height 4 and spacing 1.
std::vector<std::string> Header(std::vector<std::string> more) {
  std::vector<std::string> lines = {
      "hq",
      "hcw 3 3 4 3 3 3 3 3 3 3",
      "hch 3 3 4 3 3 3 3 3 3 3",
      "hcd 0 0 1 0 0 0 0 0 0 0",
      "hcc      1      1      2      2      2      2      2      2      2      2",
  };
  lines.insert(lines.end(), more.begin(), more.end());
  return lines;
}

const std::vector<std::string> kFirstAttributes = {"lg0", "ly0", "lc1", "lt1", "lw1", "cn3",
                                                   kFontLine, "#"};

std::vector<std::string> Attributes(std::vector<std::string> tail) {
  std::vector<std::string> lines = {"hd", "lg0", "ly0", "lc1", "pn1", "lt1", "lw1", "cn3", "cc0",
                                    kFontLine};
  lines.insert(lines.end(), tail.begin(), tail.end());
  return lines;
}

TEST(Output, WorkedExampleMatchesTheGoldenFile) {
  const fs::path data = fs::path(RUPENA_SOURCE_DIR) / "app/tests/data";
  Drawing drawing;
  ASSERT_TRUE(LoadExchangeFile(drawing, data / "worked_example.txt"));
  ExchangeWriter writer(drawing);
  rupena::app::EmitSeparatedText(writer, drawing, 0,
                                 rupena::app::PlaceCharacters(drawing.texts[0], {}));
  EXPECT_EQ(writer.FileBytes(), ReadAll(data / "worked_example.expected.txt"));
}

struct OutputCase {
  const char* name;
  std::vector<std::string> host;
  std::vector<std::pair<int, std::string>> typed;  // spacing cells as the user left them
  std::vector<std::string> expected;
  friend void PrintTo(const OutputCase& c, std::ostream* os) { *os << c.name; }
};

class Output : public ::testing::TestWithParam<OutputCase> {};

TEST_P(Output, WritesTheseLines) {
  const OutputCase& c = GetParam();
  Shown shown = Show(c.host);
  for (const auto& [col, text] : c.typed) shown.grid.SetCell(col, 1, text);
  EXPECT_EQ(OkLines(shown), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Layout, Output,
    ::testing::Values(
        OutputCase{"EditedSpacingsMoveTheFollowingCharacters",
                   Header({"lg0", "ly0", "lc1", "lt1", "lw1", "cn3", kFontLine,
                           "ch 10 20 5 0 \"A" + kHiraganaA + "B"}),
                   {{1, "3"}, {2, "-2"}},
                   Attributes({"ch 10 20 5 0 \"A", "ch 15 20 5 0 \"" + kHiraganaA,
                               "ch 17 20 5 0 \"B"})},
        OutputCase{"UnparsableSpacingCountsAsZero",
                   Header({"lg0", "ly0", "lc1", "lt1", "lw1", "cn3", kFontLine,
                           "ch 0 0 1 0 \"ABC"}),
                   {{1, "abc"}, {2, ""}},
                   Attributes({"ch 0 0 1 0 \"A", "ch 2 0 1 0 \"B", "ch 4 0 1 0 \"C"})},
        OutputCase{"BlanksAreSkippedButAdvance",
                   Header({"lg0", "ly0", "lc1", "lt1", "lw1", "cn3", kFontLine,
                           "ch 0 0 1 0 \"A " + kFullWidthSpace + "B"}),
                   {},
                   // A 2.5, blank 2.5, full-width blank 5
                   Attributes({"ch 0 0 1 0 \"A", "ch 10 0 1 0 \"B"})},
        OutputCase{"ZFlagsBeforeEveryWrittenCharacterOnly",
                   Header({"lg0", "ly0", "lc1", "lt1", "lw1", "cn3", kFontLine, "z1", "z3",
                           "ch 0 0 1 0 \"A B"}),
                   {},
                   Attributes({"z1", "z3", "ch 0 0 1 0 \"A", "z1", "z3", "ch 5 0 1 0 \"B"})},
        OutputCase{"LineWidthZeroIsStillWritten",
                   {"lw0", "z2", "ch 0 0 1 0 \"A", "#"},
                   {},
                   {"hd", "lg0", "ly0", "lc1", "pn1", "lt1", "lw0", "cn1", "cc0",
                    "cn\"$" + std::string(kDefaultFontName), "z2", "ch 0 0 1 0 \"A"}},
        OutputCase{"FreeSizeWritesItsOwnSizeLine",
                   {"lc2", "cn0 4 5 0.5 3", "ch 1 1 1 0 \"ab"},
                   {},
                   {"hd", "lg0", "ly0", "lc2", "pn2", "lt1", "cn0 4 5 0.5 3", "cc0",
                    "cn\"$" + std::string(kDefaultFontName), "ch 1 1 1 0 \"a",
                    "ch 3.25 1 1 0 \"b"}},
        OutputCase{"BzFollowsHd",
                   {"bz", "lg0", "ch 0 0 1 0 \"A"},
                   {},
                   {"hd", "bz", "lg0", "ly0", "lc1", "pn1", "lt1", "cn1", "cc0",
                    "cn\"$" + std::string(kDefaultFontName), "ch 0 0 1 0 \"A"}},
        OutputCase{"TextInAnotherGroupThanTheFirst",
                   {"lg1", "ly2", "lc3", "lt4", "lg2", "ly5", "cn\"$<x>", "cc4",
                    "ch 0 0 1 0 \"A"},
                   {},
                   {"hd", "lg1", "ly2", "lc3", "pn3", "lt4", "lg2", "ly5", "cn1", "cc0",
                    "cn\"$<x>", "ch 0 0 1 0 \"A"}},
        OutputCase{"SameGroupOtherLayerRewritesOnlyTheLayer",
                   {"lg1", "ly2", "ly3", "ch 0 0 1 0 \"A"},
                   {},
                   {"hd", "lg1", "ly2", "lc1", "pn1", "lt1", "ly3", "cn1", "cc0",
                    "cn\"$" + std::string(kDefaultFontName), "ch 0 0 1 0 \"A"}},
        OutputCase{"OtherTextsFollowAsTheyCame",
                   {"ch 0 0 1 0 \"A", "cv 5 5 0 1 \"XYZ", "ch 9 9 1 0 \"Q"},
                   {},
                   {"hd", "lg0", "ly0", "lc1", "pn1", "lt1", "cn1", "cc0",
                    "cn\"$" + std::string(kDefaultFontName), "ch 0 0 1 0 \"A",
                    "cv 5 5 0 1 \"XYZ", "ch 9 9 1 0 \"Q"}},
        OutputCase{"DimensionWithABlankValueKeepsItsLineOnly",
                   {"ch 0 0 1 0 \"A", "msg", "z1", " 1 2 3 4", "cs 5 6 0 1 \"" + kFullWidthSpace},
                   {},
                   {"hd", "lg0", "ly0", "lc1", "pn1", "lt1", "cn1", "cc0",
                    "cn\"$" + std::string(kDefaultFontName), "ch 0 0 1 0 \"A", "z1",
                    " 1 2 3 4"}},
        OutputCase{"TextKindIsKept",
                   {"cv 0 0 2 0 \"AB"},
                   {},
                   {"hd", "lg0", "ly0", "lc1", "pn1", "lt1", "cn1", "cc0",
                    "cn\"$" + std::string(kDefaultFontName), "cv 0 0 2 0 \"A",
                    "cv 1.5 0 2 0 \"B"}}),
    [](const ::testing::TestParamInfo<OutputCase>& p) { return p.param.name; });

// The cosine of the angle is not snapped to 0: the residue reaches the file.
// Its last digits are the platform's (x87 fcos differs from a correctly
// rounded cosine), so the expected numbers come from the same cosine.
TEST(Output, UpwardTextCarriesItsResiduesAsTheyCome) {
  const Shown shown = Show(Header({"lg0", "ly0", "lc1", "lt1", "lw1", "cn3", kFontLine,
                                   "ch 0 0 0 3 \"A" + kHiraganaA + "B"}));
  const double c = std::cos(rupena::text::VectorAngle(0, 3));
  ASSERT_GT(c, 1e-17);
  ASSERT_LT(c, 1e-16);
  const double x2 = 0 + c * 2.5;
  const double x3 = x2 + c * 5;
  EXPECT_EQ(OkLines(shown),
            Attributes({"ch 0 0 0 3 \"A",
                        "ch " + rupena::text::FormatGeneral(x2) + " 2.5 0 3 \"" + kHiraganaA,
                        "ch " + rupena::text::FormatGeneral(x3) + " 7.5 0 3 \"B"}));
#if defined(__GLIBC__)
  // with a correctly rounded cosine, as worked out by hand
  EXPECT_EQ(rupena::text::FormatGeneral(x2), "1.53080849893419E-16");
  EXPECT_EQ(rupena::text::FormatGeneral(x3), "4.59242549680257E-16");
#endif
}

// What OK writes reads back as the separated texts at their places.
TEST(Output, RoundTripThroughTheReader) {
  const Shown shown = Show(Header({"lg0", "ly0", "lc1", "lt1", "cn3", kFontLine, "z4",
                                   "ch 100 -50 0.8 0.6 \"A" + kHiraganaA + " \x83\x5c"}));
  const Drawing back = OkAndReadBack(shown);
  ASSERT_EQ(back.texts.size(), 3u);
  struct Expected {
    std::string text;
    double advance;  // along the direction from the start point
  } expected[] = {{"A", 0}, {kHiraganaA, 2.5}, {"\x83\x5c", 2.5 + 5 + 2.5}};
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const TextRecord& t = back.texts[i];
    EXPECT_EQ(t.text, expected[i].text);
    EXPECT_NEAR(t.x, 100 + 0.8 * expected[i].advance, 1e-12);
    EXPECT_NEAR(t.y, -50 + 0.6 * expected[i].advance, 1e-12);
    EXPECT_EQ(t.directionX, 0.8);
    EXPECT_EQ(t.directionY, 0.6);
    EXPECT_EQ(t.textType, 3);
    EXPECT_EQ(t.zFlags, 8);
    EXPECT_EQ(t.fontName, kFontLine.substr(4));
  }
}

// Texts and font names longer than 255 bytes come back whole: the picked
// text as one text per character, the other text as it was.
TEST(Output, LongTextsComeBackWhole) {
  std::string picked;
  for (int i = 0; i < 150; ++i) picked += kHiraganaA;
  std::string other;
  for (int i = 0; i < 60; ++i) other += "0123456789";
  const std::string font = "<" + std::string(300, 'F') + ">";
  const Shown shown = Show({"cn\"$" + font, "ch 0 0 1 0 \"" + picked, "ch 5 5 1 0 \"" + other});
  ASSERT_EQ(shown.grid.ColCount(), 151);
  const Drawing back = OkAndReadBack(shown);
  ASSERT_EQ(back.texts.size(), 151u);
  for (std::size_t i = 0; i < 150; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(back.texts[i].text, kHiraganaA);
    EXPECT_EQ(back.texts[i].fontName, font);
  }
  EXPECT_EQ(back.texts[150].text, other);
  EXPECT_EQ(back.texts[150].fontName, font);
}

// The numbers as the file holds them after the general format.
std::vector<std::string> Written(std::initializer_list<double> values) {
  std::vector<std::string> out;
  for (const double v : values) out.push_back(rupena::text::FormatGeneral(v));
  return out;
}

// Every field the host reads back: PointRef never, and for text types 1 to
// 10 neither sizes nor colour, which come from the host's table.
void ExpectSameText(const TextRecord& got, const TextRecord& want) {
  const bool freeSize = want.textType < 1 || want.textType > 10;
  EXPECT_EQ(got.text, want.text);
  EXPECT_EQ(got.fontName, want.fontName);
  EXPECT_EQ((std::vector<int>{got.layerGroup, got.layer, got.zFlags, got.textKind, got.basePoint,
                              got.textType, freeSize ? got.color : 0}),
            (std::vector<int>{want.layerGroup, want.layer, want.zFlags, want.textKind, 0,
                              want.textType, freeSize ? want.color : 0}));
  EXPECT_EQ(Written({got.x, got.y, got.directionX, got.directionY, freeSize ? got.charWidth : 0,
                     freeSize ? got.charHeight : 0, freeSize ? got.charSpacing : 0}),
            Written({want.x, want.y, want.directionX, want.directionY, freeSize ? want.charWidth : 0,
                     freeSize ? want.charHeight : 0, freeSize ? want.charSpacing : 0}));
}

void ExpectSameLine(const EntityHeader& got, const EntityHeader& want) {
  EXPECT_EQ((std::vector<int>{got.layerGroup, got.layer, got.color, got.lineType, got.lineWidth,
                              got.zFlags}),
            (std::vector<int>{want.layerGroup, want.layer, want.color, want.lineType,
                              want.lineWidth, want.zFlags}));
}

// After OK the file reads back as the separated characters followed by every
// other text and dimension figure as the host handed it over.
TEST(WriteBack, OtherTextsReadBackAsHandedOver) {
  struct Case {
    const char* name;
    std::vector<std::string> host;
    std::size_t written;  // separated characters that reach the file
  } cases[] = {
      {"kinds, groups, layers, types, fonts and z flags",
       Header({"lg0", "ly0", "lc1", "lt1", "lw1", "cn3", kFontLine, "#", "ch 10 20 5 0 \"AB",
               "lg1", "ly2", "cn0 4 5 0.5 3", "cn\"$<Arial>/", "z1", "z3", "cv 5 5 0 1 \"XYZ",
               "lg3", "lyA", "cn5", kFontLine, "z5",
               "cs -7104.11973389354 1827.73825260745 -3.2783543701953e-005 749.999999999999 "
               "\"1,820"}),
       2},
      {"dimensions after a text",
       Header({"lg0", "ly0", "lw1", "ch 0 0 1 0 \"A", "ch 3 3 1 0 \"Q", "msg", "lg2", "ly4",
               "lc5", "lt2", "lw3", "z2", " 1 2 3 4.5", "lc6", "z4", "cn0 1 1 0 4",
               "cs 5 6 0 1 \"1,820", "#", "msg", "cs 7 8 1 0 \"9"}),
       1},
      {"picked text without a direction, with z flags",
       {"z1", "z2", "ch 0 0 0 0 \"AB", "ch 1 1 1 0 \"C"},
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Shown shown = Show(c.host);
    const Drawing& d = shown.drawing;
    struct Handed {
      EntityKind kind;
      DimensionRecord record;  // of a plain text only its value
    };
    std::vector<Handed> handed;
    for (std::size_t i = 0; i < d.entityOrder.size(); ++i) {
      const OrderEntry e = d.entityOrder[i];
      const auto k = static_cast<std::size_t>(e.index);
      if (e.kind == EntityKind::kDimension) handed.push_back({e.kind, d.dimensions[k]});
      if (e.kind == EntityKind::kText && k > 0) {
        handed.push_back({e.kind, {}});
        handed.back().record.value = d.texts[k];
      }
    }
    const Drawing back = OkAndReadBack(shown);
    ASSERT_EQ(back.entityOrder.size(), c.written + handed.size());
    for (std::size_t i = 0; i < handed.size(); ++i) {
      SCOPED_TRACE(i);
      const DimensionRecord& want = handed[i].record;
      const OrderEntry got = back.entityOrder[c.written + i];
      const auto k = static_cast<std::size_t>(got.index);
      ASSERT_EQ(got.kind, handed[i].kind);
      if (got.kind == EntityKind::kText) {
        ExpectSameText(back.texts[k], want.value);
        continue;
      }
      const DimensionRecord& dimension = back.dimensions[k];
      ExpectSameLine(dimension, want);
      ExpectSameLine(dimension.line, want.line);
      EXPECT_EQ(Written({dimension.line.x1, dimension.line.y1, dimension.line.x2, dimension.line.y2}),
                Written({want.line.x1, want.line.y1, want.line.x2, want.line.y2}));
      ExpectSameText(dimension.value, want.value);
    }
  }
}

}  // namespace
