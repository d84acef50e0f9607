#include "exchange/exchange_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "exchange/drawing.h"

namespace rupena::exchange {
namespace {

// What the last Read gave: the drawing, and what the reader carried on.
Drawing Drawn;
ReaderState State;

// Reads the lines as one reader reads a file's lines, into a new drawing.
void Read(const std::vector<std::string>& lines) {
  Drawn = Drawing{};
  ExchangeReader reader(Drawn);
  for (const std::string& line : lines) reader.ReadLine(line);
  State = reader.State();
}

// A file under the test temp folder, removed again when the test ends.
class TempFile {
 public:
  explicit TempFile(std::string_view bytes) {
    static const unsigned run = std::random_device{}();
    static int serial = 0;
    path_ = std::filesystem::path(::testing::TempDir()) /
            ("exchange_reader_" + std::to_string(run) + "_" + std::to_string(serial++) + ".txt");
    std::ofstream(path_, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  ~TempFile() {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
  }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// ---------------------------------------------------------------------------

TEST(HeaderLines, TakenByTheirRows) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    std::function<void()> check;
  };
  const Case cases[] = {
      {"file= keeps blanks", {"file=C:\\jww\\my drawing 1.jww"},
       [] { EXPECT_EQ(Drawn.drawingFile, "C:\\jww\\my drawing 1.jww"); }},
      {"file= after a trail byte is no match", {"\x82\x82\x82" "file=x"}, [] { EXPECT_EQ(Drawn.drawingFile, ""); }},
      // The value always starts at the sixth byte, wherever "file=" was found.
      {"file= after a pair matches", {"\x82\x82" "file=x"}, [] { EXPECT_EQ(Drawn.drawingFile, "e=x"); }},
      {"hk with three numbers is no line", {"hk 2.5 3 4"},
       [] {
         EXPECT_EQ(Drawn.axisAngle, 2.5);
         EXPECT_EQ(Drawn.lines.size(), 0u);
       }},
      {"hs with 16 numbers", {"hs 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16"},
       [] {
         EXPECT_EQ(Drawn.groupScales[0], 1.0);
         EXPECT_EQ(Drawn.groupScales[15], 16.0);
       }},
      {"hs with 15 numbers changes nothing", {"hs 5 5 5 5 5 5 5 5 5 5 5 5 5 5 5"},
       [] { EXPECT_EQ(Drawn.groupScales[0], 1.0); }},
      {"hzs", {"hzs 420 297"},
       [] {
         EXPECT_EQ(Drawn.sheetWidth, 420.0);
         EXPECT_EQ(Drawn.sheetHeight, 297.0);
       }},
      {"text type table in host columns",
       {"hcw      1      2      3      4      5      6      7      8      9     10",
        "hch 1.5 2 2 2 2 2 2 2 2 2.5", "hcd 0 0 0.5 0 0 0 0 0 0 1", "hcc      1      1      2      2      2      2      2      2      2      7"},
       [] {
         EXPECT_EQ(Drawn.textTypes[0].width, 1.0);
         EXPECT_EQ(Drawn.textTypes[9].width, 10.0);
         EXPECT_EQ(Drawn.textTypes[0].height, 1.5);
         EXPECT_EQ(Drawn.textTypes[2].spacing, 0.5);
         EXPECT_EQ(Drawn.textTypes[9].color, 7);
       }},
      {"hcw with nine values changes nothing", {"hcw 9 9 9 9 9 9 9 9 9"}, [] { EXPECT_EQ(Drawn.textTypes[0].width, 3.0); }},
      {"bz with fields", {"bz 1 2"}, [] { EXPECT_TRUE(Drawn.paperCoordinates); }},
      {"bzz is no bz", {"bzz"}, [] { EXPECT_FALSE(Drawn.paperCoordinates); }},
      {"hn", {"hn -10 -20 30 40"}, [] { EXPECT_EQ(Drawn.selectionRange, (std::array<double, 4>{-10, -20, 30, 40})); }},
      {"hd and hq change nothing", {"hd", "hq"},
       [] {
         EXPECT_EQ(Drawn.entityOrder.size(), 0u);
         EXPECT_FALSE(Drawn.paperCoordinates);
       }},
      {"unknown keyword with three numbers is a line", {"xyz 1 2 3"},
       [] {
         ASSERT_EQ(Drawn.lines.size(), 1u);
         EXPECT_EQ(Drawn.lines[0].x1, 0.0);
         EXPECT_EQ(Drawn.lines[0].y1, 1.0);
         EXPECT_EQ(Drawn.lines[0].x2, 2.0);
         EXPECT_EQ(Drawn.lines[0].y2, 3.0);
       }},
      {"ci with trailing blank is nothing", {"ci 1 2 3 "}, [] { EXPECT_EQ(Drawn.entityOrder.size(), 0u); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Read(c.lines);
    c.check();
  }
}

TEST(LayerLines, SelectorsAndNames) {
  Read({"lgA 2", "lynfirst", "lga", "ly3 7", "lyn\x83\x5c\x95\x5c", "lgn group ten"});
  EXPECT_EQ(State.current.layerGroup, 10);
  EXPECT_EQ(State.current.layer, 3);
  EXPECT_EQ(Drawn.groupValues[10], 2);
  EXPECT_EQ(Drawn.layerValues[10 * 16 + 3], 7);
  EXPECT_EQ(Drawn.layerNames[10 * 16 + 0], "first");
  EXPECT_EQ(Drawn.layerNames[10 * 16 + 3], "\x83\x5c\x95\x5c");
  EXPECT_EQ(Drawn.groupNames[10], "");  // the name is only what follows "lgn" in its field
  Read({"lg2", "ly3", "lynstairs", "lgnfloor"});
  EXPECT_EQ(Drawn.layerNames[35], "stairs");
  EXPECT_EQ(Drawn.groupNames[2], "floor");

  const char* const toGroupZero[] = {"lgG", "lg", "lg\x82\xa0", "lg-1"};
  for (const char* line : toGroupZero) {
    SCOPED_TRACE(line);
    Read({"lg5", line});
    EXPECT_EQ(State.current.layerGroup, 0);
    EXPECT_EQ(Drawn.firstAttributes.layerGroup, 5);
  }
}

TEST(AttributeLines, FirstValueAndCurrentValue) {
  Read({"lc5", "lt2", "lw3", "lc10 7", "lt9", "lw0", "pn4", "cc12", "cn$<A>", "cn$<B>", "cn4", "cn0 4 5 0.5 3"});
  EXPECT_EQ(Drawn.firstAttributes.lineColor, 5);
  EXPECT_EQ(State.current.lineColor, 10);
  EXPECT_EQ(State.current.extendedColor, 7);
  EXPECT_EQ(Drawn.firstAttributes.lineType, 2);
  EXPECT_EQ(State.current.lineType, 9);
  EXPECT_EQ(Drawn.firstAttributes.lineWidth, 3);
  EXPECT_EQ(State.current.lineWidth, 0);
  EXPECT_TRUE(Drawn.hasLineWidths);
  EXPECT_EQ(State.current.pointColor, 4);
  EXPECT_EQ(State.current.basePoint, 1);
  EXPECT_EQ(Drawn.firstAttributes.fontName, "<A>");
  EXPECT_EQ(State.current.fontName, "<B>");
  EXPECT_EQ(Drawn.firstAttributes.textType, 4);
  EXPECT_EQ(Drawn.firstAttributes.freeWidth, 2.0);  // only the first "cn" line counts
  EXPECT_EQ(State.current.textType, 0);
  EXPECT_EQ(State.current.freeWidth, 4.0);
  EXPECT_EQ(State.current.freeColor, 3);

  struct Case {
    const char* line;
    std::int32_t style;
  };
  const Case styles[] = {{"cc8", 8}, {"cc9", 0}, {"cc", 0}, {"cc-1", 0}, {"cc3x", 3}};
  for (const Case& c : styles) {
    SCOPED_TRACE(c.line);
    Read({"cc5", c.line});
    EXPECT_EQ(State.current.basePoint, c.style);
  }

  Read({"lc10 7", "lc10", "lc", "cn0 4 5 0.5 3", "cn$", "cn0 7 7 7"});
  EXPECT_EQ(State.current.freeWidth, 4.0);  // free size needs all four values
  EXPECT_EQ(State.current.extendedColor, 7);  // colour 10 without a second field keeps it
  EXPECT_EQ(Drawn.firstAttributes.lineColor, 10);
  EXPECT_EQ(State.current.lineColor, 0);
  EXPECT_EQ(Drawn.firstAttributes.freeHeight, 5.0);
  EXPECT_EQ(Drawn.firstAttributes.fontName, "");
  EXPECT_EQ(State.current.fontName, "");
}

TEST(DesignatedPoints, NumbersAndMarks) {
  struct Case {
    const char* line;
    int slot;  // 0: nothing stored
    std::int32_t mark;
  };
  const Case cases[] = {
      {"hp5ln 10 20", 5, 2},  {"hp5 10 20", 5, 0},       {"hp7- 10 20", 7, 1},       {"hp99ch 10 20", 99, 4},
      {"hp3ci 10 20", 3, 3},  {"hp5ch- 10 20", 5, 4},     {"hp5-ch 10 20", 0, 0},     {"hp0 10 20", 0, 0},
      {"hp100 10 20", 0, 0},  {"hp5 10", 0, 0},           {"hp5\x81- 10 20", 0, 0},   {"hp\x82\xa0" "5 1 2", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Read({c.line});
    EXPECT_EQ(Drawn.designatedPointCount, c.slot ? 1 : 0);
    for (int s = 0; s < static_cast<int>(kPointSlotCount); ++s) {
      const DesignatedPoint& p = Drawn.designatedPoints[static_cast<std::size_t>(s)];
      EXPECT_EQ(p.set, s == c.slot && c.slot != 0) << "slot " << s;
      if (s == c.slot && p.set) {
        EXPECT_EQ(p.x, 10.0);
        EXPECT_EQ(p.y, 20.0);
        EXPECT_EQ(p.mark, c.mark);
      }
    }
  }
  Read({"hp5 1 2", "hp5 3 4"});
  EXPECT_EQ(Drawn.designatedPointCount, 2);
  EXPECT_EQ(Drawn.designatedPoints[5].x, 3.0);
}

TEST(PointReference, StampsTheNextEntityOnly) {
  struct Case {
    const char* line;
    std::int32_t ref;
  };
  const Case cases[] = {{"hhp7ci", 7}, {"hhp12", 12}, {"hhp7ln", 7}, {"hhp3ch", 3},
                        {"hhpln7", 0}, {"hhp7\x83" "ci", 0}, {"hhp", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Read({c.line});
    EXPECT_EQ(State.current.pointReference, c.ref);
  }
  Read({"hhp7ci", "z2", "z1", "z2", "pt 1 2", "pt 3 4", "msg", "hhp4", "z5", "0 0 1 1"});
  EXPECT_EQ(Drawn.points[0].pointReference, 7);
  EXPECT_EQ(Drawn.points[0].zFlags, 3);
  EXPECT_EQ(Drawn.points[1].pointReference, 0);
  EXPECT_EQ(Drawn.points[1].zFlags, 0);
  EXPECT_EQ(State.heldLine.pointReference, 4);
  EXPECT_EQ(State.heldLine.zFlags, 16);
  EXPECT_EQ(State.current.pointReference, 0);
  EXPECT_EQ(State.current.zFlags, 0);
}

// ---------------------------------------------------------------------------

TEST(TextLines, AllKeywordsAndAttributes) {
  const char* const keywords[] = {"ch", "cv", "cs", "cr", "co", "cp", "ct", "ck", "cz", "c2"};
  std::vector<std::string> lines = {"hcw 1 2 3 4 5 6 7 8 9 10", "hcc 1 2 3 4 5 6 7 8 9 10", "cn3", "cc4", "lg2",
                                    "lc6"};
  for (const char* kw : keywords) lines.push_back(std::string(kw) + " 1 2 3 4 \"" + kw);
  lines.push_back("ch 1 2 3 4");  // five fields: no text
  Read(lines);
  ASSERT_EQ(Drawn.texts.size(), 10u);
  for (std::size_t i = 0; i < 10; ++i) {
    SCOPED_TRACE(keywords[i]);
    const TextRecord& t = Drawn.texts[i];
    EXPECT_EQ(t.textKind, static_cast<std::int32_t>(i));
    EXPECT_EQ(t.text, keywords[i]);
    EXPECT_EQ(t.textType, 3);
    EXPECT_EQ(t.basePoint, 4);
    EXPECT_EQ(t.charWidth, 3.0);
    EXPECT_EQ(t.color, 3);  // the text type's colour, not the line colour 6
    EXPECT_EQ(t.layerGroup, 2);
    EXPECT_EQ(t.fontName, kDefaultFontName);
    EXPECT_EQ(Drawn.entityOrder[i].kind, EntityKind::kText);
    EXPECT_EQ(Drawn.entityOrder[i].index, static_cast<std::int32_t>(i));
  }

  Read({"cn0 4 5 0.5 3", "ch 0 0 1 0 \"a", "cn3", "ch 0 0 1 0 \"b", "cn0", "ch 0 0 1 0 \"c", "cn11", "ch 0 0 1 0 \"d"});
  ASSERT_EQ(Drawn.texts.size(), 4u);
  EXPECT_EQ(Drawn.texts[0].charHeight, 5.0);
  EXPECT_EQ(Drawn.texts[0].charSpacing, 0.5);
  EXPECT_EQ(Drawn.texts[0].color, 3);
  EXPECT_EQ(Drawn.texts[1].charHeight, 3.0);
  EXPECT_EQ(Drawn.texts[1].color, 2);
  EXPECT_EQ(Drawn.texts[2].charWidth, 4.0);  // the earlier free size is back
  EXPECT_EQ(Drawn.texts[3].charWidth, 4.0);
  EXPECT_EQ(Drawn.texts[3].textType, 11);
}

TEST(TextLines, RotatedDimensionAndLongStringsKeptWhole) {
  Read({"cs -7104.11973389354 1827.73825260745 -3.2783543701953e-005 749.999999999999 \"1,820"});
  ASSERT_EQ(Drawn.texts.size(), 1u);
  const TextRecord& t = Drawn.texts[0];
  EXPECT_EQ(t.textKind, 2);
  EXPECT_EQ(t.x, -7104.11973389354);
  EXPECT_EQ(t.y, 1827.73825260745);
  EXPECT_EQ(t.directionX, -3.2783543701953e-005);
  EXPECT_EQ(t.directionY, 749.999999999999);
  EXPECT_EQ(t.text, "1,820");

  const std::string font = "<" + std::string(300, 'f') + ">";
  Read({"cn$" + font, "ch 0 0 1 0 \"" + std::string(255, 'a'), "ch 0 0 1 0 \"" + std::string(256, 'b')});
  ASSERT_EQ(Drawn.texts.size(), 2u);
  EXPECT_EQ(Drawn.texts[0].text, std::string(255, 'a'));
  EXPECT_EQ(Drawn.texts[1].text, std::string(256, 'b'));
  EXPECT_EQ(Drawn.texts[0].fontName, font);
  EXPECT_EQ(State.current.fontName, font);
}

// Texts share the font name they were stored under instead of a copy each;
// a new font name is shared from its first text on.
TEST(TextLines, RecordsShareTheirFontName) {
  Read({"ch 0 0 1 0 \"a", "cs 0 0 1 0 \"b", "cn$<A>", "ch 0 0 1 0 \"c", "ch 0 0 1 0 \"d", "cn$", "ch 0 0 1 0 \"e",
        "cn$<A>", "ch 0 0 1 0 \"f"});
  ASSERT_EQ(Drawn.texts.size(), 6u);
  const BlockTable<TextRecord>& texts = Drawn.texts;
  EXPECT_EQ(texts[0].fontName, kDefaultFontName);
  EXPECT_EQ(texts[0].fontName.View().data(), texts[1].fontName.View().data());
  EXPECT_EQ(texts[2].fontName, "<A>");
  EXPECT_EQ(texts[2].fontName.View().data(), texts[3].fontName.View().data());
  EXPECT_EQ(texts[4].fontName, "");
  EXPECT_TRUE(texts[4].fontName.empty());
  EXPECT_EQ(texts[5].fontName, "<A>");
  EXPECT_EQ(texts[3].fontName, "<A>");  // the earlier ones keep theirs
}

TEST(EntityLines, EachKindWithItsFields) {
  Read({"lc3", "pn5", "lc10 9", "ci 1 2 3", "ci 1 2 3 4 5 6 7", "ci 1 2 3 4 5 6 7 8 9", "pt 1 2", "pt 1 2 3 4 5",
        "pt 1 2 3", "BL 5 6 \x83\x75\x83\x8d\x83\x62\x83\x4e extra", "sc 1 2 3 4 5 6 7 8", "se 1 2 3 4 5 6 7 -8",
        "so 1 2 3 4 5 6 7 8", "sg 8 7 6 5 4 3 2 1 0"});
  ASSERT_EQ(Drawn.circles.size(), 1u);
  EXPECT_EQ(Drawn.circles[0].values, (std::array<double, 3>{1, 2, 3}));
  EXPECT_EQ(Drawn.circles[0].color, 10);
  ASSERT_EQ(Drawn.arcs.size(), 2u);
  EXPECT_EQ(Drawn.arcs[1].values, (std::array<double, 7>{1, 2, 3, 4, 5, 6, 7}));
  ASSERT_EQ(Drawn.points.size(), 1u);
  EXPECT_EQ(Drawn.points[0].color, 5);
  ASSERT_EQ(Drawn.pointsWithValues.size(), 1u);
  EXPECT_EQ(Drawn.pointsWithValues[0].values, (std::array<double, 2>{3, 4}));
  EXPECT_EQ(Drawn.pointsWithValues[0].integer, 5);
  EXPECT_EQ(Drawn.pointsWithValues[0].color, 5);
  ASSERT_EQ(Drawn.blocks.size(), 1u);
  EXPECT_EQ(Drawn.blocks[0].name, "\x83\x75\x83\x8d\x83\x62\x83\x4e");
  EXPECT_EQ(Drawn.blocks[0].y, 6.0);
  ASSERT_EQ(Drawn.scFigures.size(), 1u);
  EXPECT_EQ(Drawn.scFigures[0].extendedColor, 9);
  EXPECT_EQ(Drawn.scFigures[0].integer, 8);
  EXPECT_EQ(Drawn.seFigures[0].integer, -8);
  EXPECT_EQ(Drawn.soFigures[0].values[7], 8.0);
  EXPECT_EQ(Drawn.sgFigures[0].values[0], 8.0);
  // "pt" with three values has four fields: a plain line like any other.
  ASSERT_EQ(Drawn.lines.size(), 1u);
  EXPECT_EQ(Drawn.lines[0].y2, 3.0);
  const EntityKind kinds[] = {EntityKind::kCircle, EntityKind::kArc, EntityKind::kArc, EntityKind::kPoint, EntityKind::kPointWithValues, EntityKind::kLine,
                                EntityKind::kBlock,    EntityKind::kSc,  EntityKind::kSe,  EntityKind::kSo,    EntityKind::kSg};
  ASSERT_EQ(Drawn.entityOrder.size(), 11u);
  for (std::size_t i = 0; i < 11; ++i) EXPECT_EQ(Drawn.entityOrder[i].kind, kinds[i]) << i;
}

TEST(SlCorners, CoincidingCornersMerge) {
  using P = Corner;
  struct Case {
    const char* line;
    std::vector<P> stored;  // its size gives the kind
  };
  const Case cases[] = {
      {"sl 1 2 3 4", {{1, 2}, {3, 4}}},
      {"sl 0 0 0 0 5 5", {{0, 0}, {5, 5}}},
      {"sl 0 0 1 0 1 0", {{0, 0}, {1, 0}}},
      {"sl 0 0 1 0 1 1", {{0, 0}, {1, 0}, {1, 1}}},
      {"sl 2 2 2 2 2 2 2 2", {{2, 2}, {2, 2}}},
      {"sl 0 0 0 0 0 0 9 9", {{0, 0}, {9, 9}}},
      {"sl 0 0 1 1 1 1 1 1", {{0, 0}, {1, 1}}},
      {"sl 0 0 0 0 1 1 1 1", {{0, 0}, {1, 1}}},
      {"sl 0 0 1 0 1 1 0 0", {{0, 0}, {1, 0}, {1, 1}}},
      {"sl 0 0 1 0 0 0 1 1", {{0, 0}, {1, 0}, {1, 1}}},
      {"sl 0 0 1 0 0 0 1 0", {{0, 0}, {1, 0}, {0, 0}}},  // the fourth corner's test comes first
      {"sl 0 0 0 0 1 0 1 1", {{0, 0}, {1, 0}, {1, 1}}},
      {"sl 0 0 1 0 1 1 0 1", {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
      {"sl 0 0 1e-11 -1e-11 1 0 1 1", {{0, 0}, {1, 0}, {1, 1}}},
      {"sl 0 0 1e-9 0 1 0 1 1", {{0, 0}, {1e-9, 0}, {1, 0}, {1, 1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Read({"lc10 4", c.line});
    ASSERT_EQ(Drawn.entityOrder.size(), 1u);
    std::vector<P> got;
    std::int32_t ext = -1;
    auto take = [&](const auto& table) {
      if (table.size() == 0) return;
      for (const P& p : table[0].corners) got.push_back(p);
      ext = table[0].extendedColor;
    };
    take(Drawn.solids2);
    take(Drawn.solids3);
    take(Drawn.solids4);
    EXPECT_EQ(static_cast<std::size_t>(Drawn.entityOrder[0].kind),
              c.stored.size() + static_cast<std::size_t>(EntityKind::kSolid2) - 2);
    ASSERT_EQ(got.size(), c.stored.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].x, c.stored[i].x) << i;
      EXPECT_EQ(got[i].y, c.stored[i].y) << i;
    }
    EXPECT_EQ(ext, 4);
  }
  Read({"sl 1 2 3 4 5", "sl 1 2 3 4 5 6 7"});
  EXPECT_EQ(Drawn.entityOrder.size(), 0u);
}

TEST(Modes, PolylineRuns) {
  Read({"pl", "0 0 1 0", "1 0 1 1", "lc2", "1 1 0 1", "pl", "0 0 2 2", "pl", "0 0 3 3", "ci 0 0 5", "0 0 4 4", "pl",
        "#", "5 5 6 6", "pl", "msg", "7 7 8 8", "z1", "hhp3", "pl", "9 9 0 0"});
  ASSERT_EQ(Drawn.lines.size(), 8u);
  const std::int32_t runs[] = {1, 1, 0, 2, 3, 0, 0, 6};  // the last "pl" also ended message mode
  for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(Drawn.lines[i].polylineNumber, runs[i]) << i;
  EXPECT_EQ(Drawn.lines[7].zFlags, 1);
  EXPECT_EQ(Drawn.lines[7].pointReference, 3);
  EXPECT_EQ(State.heldLine.x1, 7.0);
}

TEST(Modes, MessageModePairsHeldLineWithText) {
  Read({"msg", "cs 0 0 1 0 \"first", "ch 0 0 1 0 \"t"});
  ASSERT_EQ(Drawn.dimensions.size(), 1u);
  EXPECT_EQ(Drawn.dimensions[0].line.x2, 1.0);  // before any held line: the initial line
  EXPECT_EQ(Drawn.dimensions[0].line.color, 1);
  EXPECT_EQ(Drawn.texts.size(), 1u);

  Read({"lc4", "msg", "10 20 30 40", "lc7", "lg3", "cs 1 2 3 4 \"m", "msg", "cs 5 6 7 8 \"n", "msg", "ch 0 0 1 0 \"c",
        "1 1 2 2"});
  EXPECT_EQ(Drawn.lines.size(), 1u);  // only the line after "ch" ended message mode
  ASSERT_EQ(Drawn.dimensions.size(), 2u);
  const DimensionRecord& m = Drawn.dimensions[0];
  EXPECT_EQ(m.color, 7);
  EXPECT_EQ(m.line.color, 4);  // stamped when the line was held
  EXPECT_EQ(m.line.x1, 10.0);
  EXPECT_EQ(m.line.y2, 40.0);
  EXPECT_EQ(m.value.textKind, 2);
  EXPECT_EQ(m.value.text, "m");
  EXPECT_EQ(m.value.x, 1.0);
  EXPECT_EQ(m.value.color, 2);  // text type 1's colour
  EXPECT_EQ(m.layerGroup, 3);
  EXPECT_EQ(m.value.layerGroup, 3);
  EXPECT_EQ(m.line.layerGroup, 0);
  EXPECT_EQ(Drawn.dimensions[1].line, m.line);  // the held line is reused, header and all
  ASSERT_EQ(Drawn.entityOrder.size(), 4u);
  EXPECT_EQ(Drawn.entityOrder[0].kind, EntityKind::kDimension);
  EXPECT_EQ(Drawn.entityOrder[1].kind, EntityKind::kDimension);
  EXPECT_EQ(Drawn.entityOrder[1].index, 1);
  EXPECT_EQ(Drawn.entityOrder[2].kind, EntityKind::kText);
  EXPECT_EQ(Drawn.entityOrder[3].kind, EntityKind::kLine);

  Read({"msg", "lc3", "pn2", "cn2", "cc1", "lg1", "ly1", "lw1", "lt1", "cn$x", "z1", "hhp1"});
  EXPECT_TRUE(State.current.inDimension);  // attribute lines leave message mode on
  Read({"msg", "#"});
  EXPECT_FALSE(State.current.inDimension);
}

// A drawing is valid from its constructor on: lines that index its tables
// find them there, and reading into a drawing that already holds figures
// adds to it, the order entries counting on from its tables.
TEST(ReadingIntoAnyDrawing, AddsToWhatItHolds) {
  Drawing drawing;
  ExchangeReader(drawing).ReadLine("lg1 5");
  EXPECT_EQ(drawing.groupValues[1], 5);
  {
    ExchangeReader reader(drawing);
    for (const char* line : {"lyf 3", "lynname", "hp99 1 2", "ch 0 0 1 0 \"a", "0 0 1 1"}) reader.ReadLine(line);
  }
  EXPECT_EQ(drawing.layerValues[15], 3);  // a new reader starts in group 0
  EXPECT_EQ(drawing.layerNames[15], "name");
  {
    ExchangeReader reader(drawing);
    for (const char* line : {"ch 0 0 1 0 \"b", "0 0 2 2"}) reader.ReadLine(line);
  }
  ASSERT_EQ(drawing.texts.size(), 2u);
  EXPECT_EQ(drawing.texts[1].text, "b");
  ASSERT_EQ(drawing.entityOrder.size(), 4u);
  EXPECT_EQ(drawing.entityOrder[2], (OrderEntry{EntityKind::kText, 1}));
  EXPECT_EQ(drawing.entityOrder[3], (OrderEntry{EntityKind::kLine, 1}));
}

// ---------------------------------------------------------------------------

// The file and the bytes in memory are split alike, across the file's read
// chunks too: a file of a few megabytes whose lines end every way gives the
// same drawing both ways.
TEST(ExchangeFileLoading, FileAndBytesGiveTheSameDrawing) {
  std::mt19937 rng(20240613);
  const std::string_view ends[] = {"\r\n", "\n", "\r\r\n", "\r\n"};
  std::string bytes = "lg2\r\nlc5\r\n";
  while (bytes.size() < (std::size_t{3} << 20)) {
    const std::string name(rng() % 120, static_cast<char>('a' + rng() % 26));
    bytes += "BL 0 0 " + name + (rng() % 7 == 0 ? "\x82\r\xa0" : "") + std::string(ends[rng() % 4]);
    bytes += "ch 1 2 3 4 \"" + name + std::string(ends[rng() % 4]);
  }
  bytes += "\x1a" "BL 0 0 after the end\r\n";
  TempFile file(bytes);

  Drawing fromFile;
  Drawing fromBytes;
  ExchangeReader reader(fromFile);
  ASSERT_FALSE(reader.ReadFile(file.Path()));
  ASSERT_TRUE(LoadExchangeBytes(fromBytes, bytes));
  EXPECT_GT(fromFile.blocks.size(), 10000u);
  EXPECT_EQ(fromFile.blocks.size(), fromFile.texts.size());
  EXPECT_TRUE(SameDrawing(fromFile, fromBytes));
  EXPECT_EQ(reader.State().current.lineColor, 5);
}

TEST(ExchangeFileLoading, TenMegabyteLineKeptWhole) {
  const std::string text(10 << 20, 't');
  TempFile file("lg1\r\ncn\"$<" + text + ">\r\nch 0 0 1 0 \"" + text + "\r\nBL 0 0 " + text + "\r\nlc4\r\n");
  Drawing drawing;
  ExchangeReader reader(drawing);
  ASSERT_FALSE(reader.ReadFile(file.Path()));
  ASSERT_EQ(drawing.texts.size(), 1u);
  EXPECT_EQ(drawing.texts[0].text, text);
  EXPECT_EQ(drawing.texts[0].fontName.size(), text.size() + 2);
  EXPECT_EQ(drawing.blocks[0].name.size(), text.size());
  EXPECT_EQ(reader.State().current.lineColor, 4);
}

TEST(ExchangeFileLoading, MissingFileLeavesTheDrawingAlone) {
  Read({"lc5", "0 0 1 1"});
  const Drawing before = Drawn;
  EXPECT_FALSE(LoadExchangeFile(Drawn, std::filesystem::path(::testing::TempDir()) / "no_such_exchange_file.txt"));
  EXPECT_FALSE(LoadExchangeFile(Drawn, ::testing::TempDir()));  // a folder is no file
  EXPECT_TRUE(SameDrawing(Drawn, before));
  // and each says why
  EXPECT_EQ(ExchangeReader(Drawn).ReadFile(std::filesystem::path(::testing::TempDir()) / "no_such_exchange_file.txt"),
            std::errc::no_such_file_or_directory);
  EXPECT_EQ(ExchangeReader(Drawn).ReadFile(::testing::TempDir()), std::errc::is_a_directory);
}

TEST(ExchangeBytesLoading, RandomBytesLoadWithoutHarm) {
  std::mt19937 rng(20240611);
  // Bytes the rules care about, often enough to build real-looking lines.
  const std::string alphabet = " \t\"=\r\n$-.e0123456789chlgynsptzBLmi#\x81\x82\x83\x5c\xfd\xfe\xff";
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    std::string bytes(64 << 10, '\0');
    for (char& b : bytes) {
      const auto r = rng();
      b = r % 4 == 0 ? static_cast<char>(r >> 8) : alphabet[(r >> 8) % alphabet.size()];
      // A Ctrl-Z would end most files early; keep them in a few rounds only.
      if (b == '\x1a' && round % 5 != 0) b = 'z';
    }
    Drawing drawing;
    ExchangeReader reader(drawing);
    LineSource source(bytes);
    EXPECT_TRUE(reader.ReadLines(source));
    std::size_t stored = 0;
    ForEachEntityTable([&stored](EntityKind, std::string_view, const auto& table) { stored += table.size(); },
                       drawing);
    EXPECT_EQ(drawing.entityOrder.size(), stored);
    const CurrentAttributes& current = reader.State().current;
    EXPECT_GE(current.layerGroup, 0);
    EXPECT_LE(current.layerGroup, 15);
    EXPECT_GE(current.basePoint, 0);
    EXPECT_LE(current.basePoint, 8);
  }
}

TEST(ExchangeFileLoading, HostWrittenFile) {
  Drawn = Drawing{};
  ASSERT_TRUE(LoadExchangeFile(Drawn, std::filesystem::path(RUPENA_SOURCE_DIR) / "exchange/tests/data/host_selection.txt"));
  // "C:\jww\表示 1.jww": the trail byte 0x5C of 表 stays with its lead byte.
  EXPECT_EQ(Drawn.drawingFile, "C:\\jww\\\x95\x5c\x8e\xa6 1.jww");
  EXPECT_EQ(Drawn.groupScales[1], 50.0);
  EXPECT_EQ(Drawn.textTypes[2].width, 3.5);
  EXPECT_EQ(Drawn.textTypes[2].color, 2);
  EXPECT_EQ(Drawn.selectionRange[2], 5000.0);
  EXPECT_EQ(Drawn.firstAttributes.layer, 14);
  EXPECT_EQ(Drawn.firstAttributes.fontName, kDefaultFontName);
  EXPECT_TRUE(Drawn.paperCoordinates);
  ASSERT_EQ(Drawn.lines.size(), 2u);
  EXPECT_EQ(Drawn.lines[0].x1, -5000.0);
  ASSERT_EQ(Drawn.texts.size(), 3u);
  const TextRecord& t = Drawn.texts[0];
  EXPECT_EQ(t.text, "\x83\x5c\x83\x74\x83\x67\x81\x40\x95\x5c\x8b\x4c\x87\x40\x87\x41\x81\x40\xb6\xc5 \x87\x75");
  EXPECT_EQ(t.textType, 3);
  EXPECT_EQ(t.layer, 14);
  EXPECT_EQ(t.directionX, 5.0);
  EXPECT_EQ(Drawn.texts[1].directionX, -3.2783543701953e-005);
  EXPECT_EQ(Drawn.texts[1].text, "1,820");
  EXPECT_EQ(Drawn.texts[2].text, "\x94\x5c\x97\xcd");
  EXPECT_EQ(Drawn.texts[2].zFlags, 1);
}

}  // namespace
}  // namespace rupena::exchange
