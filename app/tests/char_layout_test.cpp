#include "app/char_layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "exchange/drawing_model.h"
#include "exchange/exchange_reader.h"
#include "exchange/exchange_writer.h"
#include "textutil/number_format.h"
#include "textutil/vector_angle.h"

namespace {

using namespace JwwGaibu;
namespace fs = std::filesystem;

TJwwModel Model;

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

// Unique per test, since ctest runs tests of this binary in parallel.
fs::path TempFile(const std::string& name) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string test = std::string(info->test_suite_name()) + "_" + info->name();
  for (char& c : test) {
    if (c == '/') c = '_';
  }
  return fs::temp_directory_path() / ("rupena_layout_" + test + "_" + name + ".txt");
}

// Loads host lines as the window does when it is shown, and fills a grid.
rupena::app::SpacingCells Shown(const std::vector<std::string>& hostLines) {
  const fs::path p = TempFile("in");
  std::ofstream(p, std::ios::binary) << CrLf(hostLines);
  ResetModel(Model);
  LoadExchangeFile(Model, p);
  PrepareOutputState(Model);
  fs::remove(p);
  rupena::app::SpacingCells grid;
  rupena::app::FillSpacingGrid(Model, grid);
  return grid;
}

// What OK writes for the grid, as lines without their line ends.
std::vector<std::string> OkLines(const rupena::app::SpacingCells& grid) {
  rupena::app::EmitSeparatedChars(Model, grid);
  const std::string bytes = ExchangeFileBytes(Model);
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(bytes.substr(start, end - start));
  }
  if (start < bytes.size()) lines.push_back(bytes.substr(start));
  return lines;
}

// Runs OK on the grid and reads what it wrote back into the model.
bool OkAndReadBack(const rupena::app::SpacingCells& grid) {
  rupena::app::EmitSeparatedChars(Model, grid);
  const fs::path out = TempFile("read_back");
  if (!WriteExchangeFile(Model, out)) return false;
  ResetModel(Model);
  const bool loaded = LoadExchangeFile(Model, out);
  fs::remove(out);
  return loaded;
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

TEST(GridFilling, OneColumnPerCharacterWithHalfSpacingForOneByte) {
  auto lines = Header(kFirstAttributes);
  lines.push_back("ch 10 20 5 0 \"A" + kHiraganaA + "B");
  const auto grid = Shown(lines);
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
}

TEST(GridFilling, NoTextShowsOneFullWidthSpace) {
  const auto grid = Shown({"hq", "lg0", "ci 0 0 5"});
  ASSERT_EQ(grid.ColCount(), 2);
  EXPECT_EQ(grid.Cell(1, 0), kFullWidthSpace);
  EXPECT_EQ(grid.Cell(1, 1), "0");
}

TEST(GridFilling, TrailBytesThatLookLikeAsciiStayInTheirCharacter) {
  // ソ and 表 end in a backslash byte, ＝ in an equals sign's neighbour
  const auto grid = Shown({"cn0 2 2 0.3 1", "ch 0 0 1 0 \"\x83\x5c\x95\x5c=\x81\x81"});
  ASSERT_EQ(grid.ColCount(), 5);
  EXPECT_EQ(grid.Cell(1, 0), "\x83\x5c");
  EXPECT_EQ(grid.Cell(2, 0), "\x95\x5c");
  EXPECT_EQ(grid.Cell(3, 0), "=");
  EXPECT_EQ(grid.Cell(3, 1), "0.15");
  EXPECT_EQ(grid.Cell(4, 0), "\x81\x81");
  EXPECT_EQ(grid.Cell(4, 1), "0.3");
}

TEST(GridFilling, LongTextIsCutTo255BytesEndingInALoneLeadByte) {
  std::string text;
  for (int i = 0; i < 150; ++i) text += kHiraganaA;
  const auto grid = Shown({"ch 0 0 1 0 \"" + text});
  ASSERT_EQ(grid.ColCount(), 129);  // 127 two-byte characters and one lead byte
  EXPECT_EQ(grid.Cell(127, 0), kHiraganaA);
  EXPECT_EQ(grid.Cell(128, 0), "\x82");
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

TEST(Output, WorkedExampleMatchesTheGoldenFile) {
  const fs::path data = fs::path(RUPENA_SOURCE_DIR) / "app/tests/data";
  ResetModel(Model);
  ASSERT_TRUE(LoadExchangeFile(Model, data / "worked_example.txt"));
  PrepareOutputState(Model);
  rupena::app::SpacingCells grid;
  rupena::app::FillSpacingGrid(Model, grid);
  rupena::app::EmitSeparatedChars(Model, grid);
  const fs::path out = TempFile("golden");
  ASSERT_TRUE(WriteExchangeFile(Model, out));
  EXPECT_EQ(ReadAll(out), ReadAll(data / "worked_example.expected.txt"));
  fs::remove(out);
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
  auto grid = Shown(c.host);
  for (const auto& [col, text] : c.typed) grid.SetCell(col, 1, text);
  EXPECT_EQ(OkLines(grid), c.expected);
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
  const auto grid = Shown(Header({"lg0", "ly0", "lc1", "lt1", "lw1", "cn3", kFontLine,
                                  "ch 0 0 0 3 \"A" + kHiraganaA + "B"}));
  const double c = std::cos(rupena::text::VectorAngle(0, 3));
  ASSERT_GT(c, 1e-17);
  ASSERT_LT(c, 1e-16);
  const double x2 = 0 + c * 2.5;
  const double x3 = x2 + c * 5;
  EXPECT_EQ(OkLines(grid),
            Attributes({"ch 0 0 0 3 \"A",
                        "ch " + rupena::text::FormatGeneral(x2) + " 2.5 0 3 \"" + kHiraganaA,
                        "ch " + rupena::text::FormatGeneral(x3) + " 7.5 0 3 \"B"}));
#if defined(__GLIBC__)
  // with a correctly rounded cosine, as worked out by hand
  EXPECT_EQ(rupena::text::FormatGeneral(x2), "1.53080849893419E-16");
  EXPECT_EQ(rupena::text::FormatGeneral(x3), "4.59242549680257E-16");
#endif
}

// The reader drops control bytes, so only a grid filled otherwise has them.
TEST(Output, ControlByteGetsNeitherZLinesNorText) {
  auto grid = Shown({"z2", "ch 0 0 1 0 \"AB"});
  grid.SetCell(1, 0, "\x01");
  const auto lines = OkLines(grid);
  ASSERT_GE(lines.size(), 3u);
  const std::vector<std::string> tail(lines.end() - 3, lines.end());
  EXPECT_EQ(tail, (std::vector<std::string>{kFontLine, "z2", "ch 1.5 0 1 0 \"B"}));
}

// What OK writes reads back as the separated texts at their places.
TEST(Output, RoundTripThroughTheReader) {
  const auto grid =
      Shown(Header({"lg0", "ly0", "lc1", "lt1", "cn3", kFontLine, "z4",
                    "ch 100 -50 0.8 0.6 \"A" + kHiraganaA + " \x83\x5c"}));
  ASSERT_TRUE(OkAndReadBack(grid));
  ASSERT_EQ(Model.Texts.Count(), 3);
  struct Expected {
    std::string text;
    double advance;  // along the direction from the start point
  } expected[] = {{"A", 0}, {kHiraganaA, 2.5}, {"\x83\x5c", 2.5 + 5 + 2.5}};
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const TJwwEntText& t = Model.Texts[i];
    EXPECT_EQ(t.Text, expected[i].text);
    EXPECT_NEAR(t.X1, 100 + 0.8 * expected[i].advance, 1e-12);
    EXPECT_NEAR(t.Y1, -50 + 0.6 * expected[i].advance, 1e-12);
    EXPECT_EQ(t.DirX, 0.8);
    EXPECT_EQ(t.DirY, 0.6);
    EXPECT_EQ(t.TextType, 3);
    EXPECT_EQ(t.ZFlags, 8);
    EXPECT_EQ(t.FontName, kFontLine.substr(4));
  }
}


// The numbers as the file holds them after the general format.
std::vector<std::string> Written(std::initializer_list<double> values) {
  std::vector<std::string> out;
  for (const double v : values) out.push_back(rupena::text::FormatGeneral(v));
  return out;
}

// Every field the host reads back: PointRef never, and for text types 1 to
// 10 neither sizes nor colour, which come from the host's table.
void ExpectSameText(const TJwwEntText& got, const TJwwEntText& want) {
  const bool freeSize = want.TextType < 1 || want.TextType > 10;
  EXPECT_EQ(got.Text, want.Text);
  EXPECT_EQ(got.FontName, want.FontName);
  EXPECT_EQ((std::vector<int>{got.LayerGroup, got.Layer, got.ZFlags, got.TextKind, got.CharStyle,
                              got.TextType, freeSize ? got.Color : 0}),
            (std::vector<int>{want.LayerGroup, want.Layer, want.ZFlags, want.TextKind, 0,
                              want.TextType, freeSize ? want.Color : 0}));
  EXPECT_EQ(Written({got.X1, got.Y1, got.DirX, got.DirY, freeSize ? got.CharWidth : 0,
                     freeSize ? got.CharHeight : 0, freeSize ? got.CharSpacing : 0}),
            Written({want.X1, want.Y1, want.DirX, want.DirY, freeSize ? want.CharWidth : 0,
                     freeSize ? want.CharHeight : 0, freeSize ? want.CharSpacing : 0}));
}

void ExpectSameLine(const TJwwEntHead& got, const TJwwEntHead& want) {
  EXPECT_EQ((std::vector<int>{got.LayerGroup, got.Layer, got.Color, got.LineType, got.LineWidth,
                              got.ZFlags}),
            (std::vector<int>{want.LayerGroup, want.Layer, want.Color, want.LineType,
                              want.LineWidth, want.ZFlags}));
}

// After OK the file reads back as the separated characters followed by every
// other text and dimension figure as the host handed it over.
TEST(WriteBack, OtherTextsReadBackAsHandedOver) {
  struct Case {
    const char* name;
    std::vector<std::string> host;
    int written;  // separated characters that reach the file
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
    const auto grid = Shown(c.host);
    struct Handed {
      std::int32_t kind;
      TJwwEntMsgText record;  // of a plain text only its Text
    };
    std::vector<Handed> handed;
    for (std::size_t i = 0; i < static_cast<std::size_t>(Model.EntityOrder.Count()); ++i) {
      const TJwwOrder e = Model.EntityOrder[i];
      const auto k = static_cast<std::size_t>(e.Index);
      if (e.Kind == kKindMsgText) handed.push_back({e.Kind, Model.MsgTexts[k]});
      if (e.Kind == kKindText && k > 0) {
        handed.push_back({e.Kind, {}});
        handed.back().record.Text = Model.Texts[k];
      }
    }
    ASSERT_TRUE(OkAndReadBack(grid));
    ASSERT_EQ(Model.EntityOrder.Count(), c.written + static_cast<int>(handed.size()));
    for (std::size_t i = 0; i < handed.size(); ++i) {
      SCOPED_TRACE(i);
      const TJwwEntMsgText& want = handed[i].record;
      const TJwwOrder got = Model.EntityOrder[static_cast<std::size_t>(c.written) + i];
      const auto k = static_cast<std::size_t>(got.Index);
      ASSERT_EQ(got.Kind, handed[i].kind);
      if (got.Kind == kKindText) {
        ExpectSameText(Model.Texts[k], want.Text);
        continue;
      }
      const TJwwEntMsgText& back = Model.MsgTexts[k];
      ExpectSameLine(back, want);
      ExpectSameLine(back.Line, want.Line);
      EXPECT_EQ(Written({back.Line.X1, back.Line.Y1, back.Line.X2, back.Line.Y2}),
                Written({want.Line.X1, want.Line.Y1, want.Line.X2, want.Line.Y2}));
      ExpectSameText(back.Text, want.Text);
    }
  }
}

}  // namespace
