#include "exchange/exchange_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "exchange/drawing_model.h"

namespace JwwGaibu {
namespace {

TJwwModel Model;

// Reads the lines as one reader reads a file's lines.
void Read(std::initializer_list<std::string_view> lines) {
  ResetModel(Model);
  ExchangeReader reader(Model);
  for (std::string_view line : lines) reader.ReadLine(line);
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
    std::vector<std::string_view> lines;
    std::function<void()> check;
  };
  const Case cases[] = {
      {"file= keeps blanks", {"file=C:\\jww\\my drawing 1.jww"},
       [] { EXPECT_EQ(Model.DrawingFile, "C:\\jww\\my drawing 1.jww"); }},
      {"file= after a trail byte is no match", {"\x82\x82\x82" "file=x"}, [] { EXPECT_EQ(Model.DrawingFile, ""); }},
      // The value always starts at the sixth byte, wherever "file=" was found.
      {"file= after a pair matches", {"\x82\x82" "file=x"}, [] { EXPECT_EQ(Model.DrawingFile, "e=x"); }},
      {"hk with three numbers is no line", {"hk 2.5 3 4"},
       [] {
         EXPECT_EQ(Model.HkValue, 2.5);
         EXPECT_EQ(Model.Lines.Count(), 0);
       }},
      {"hs with 16 numbers", {"hs 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16"},
       [] {
         EXPECT_EQ(Model.GroupScales[0], 1.0);
         EXPECT_EQ(Model.GroupScales[15], 16.0);
       }},
      {"hs with 15 numbers changes nothing", {"hs 5 5 5 5 5 5 5 5 5 5 5 5 5 5 5"},
       [] { EXPECT_EQ(Model.GroupScales[0], 1.0); }},
      {"hzs", {"hzs 420 297"},
       [] {
         EXPECT_EQ(Model.SheetWidth, 420.0);
         EXPECT_EQ(Model.SheetHeight, 297.0);
       }},
      {"text type table in host columns",
       {"hcw      1      2      3      4      5      6      7      8      9     10",
        "hch 1.5 2 2 2 2 2 2 2 2 2.5", "hcd 0 0 0.5 0 0 0 0 0 0 1", "hcc      1      1      2      2      2      2      2      2      2      7"},
       [] {
         EXPECT_EQ(Model.TextTypes[0].Width, 1.0);
         EXPECT_EQ(Model.TextTypes[9].Width, 10.0);
         EXPECT_EQ(Model.TextTypes[0].Height, 1.5);
         EXPECT_EQ(Model.TextTypes[2].Spacing, 0.5);
         EXPECT_EQ(Model.TextTypes[9].Color, 7);
       }},
      {"hcw with nine values changes nothing", {"hcw 9 9 9 9 9 9 9 9 9"}, [] { EXPECT_EQ(Model.TextTypes[0].Width, 3.0); }},
      {"bz with fields", {"bz 1 2"}, [] { EXPECT_TRUE(Model.BzSeen); }},
      {"bzz is no bz", {"bzz"}, [] { EXPECT_FALSE(Model.BzSeen); }},
      {"hn", {"hn -10 -20 30 40"}, [] { EXPECT_EQ(Model.HnValues, (std::array<double, 4>{-10, -20, 30, 40})); }},
      {"hd and hq change nothing", {"hd", "hq"},
       [] {
         EXPECT_EQ(Model.EntityOrder.Count(), 0);
         EXPECT_FALSE(Model.BzSeen);
       }},
      {"unknown keyword with three numbers is a line", {"xyz 1 2 3"},
       [] {
         ASSERT_EQ(Model.Lines.Count(), 1);
         EXPECT_EQ(Model.Lines[0].X1, 0.0);
         EXPECT_EQ(Model.Lines[0].Y1, 1.0);
         EXPECT_EQ(Model.Lines[0].X2, 2.0);
         EXPECT_EQ(Model.Lines[0].Y2, 3.0);
       }},
      {"ci with trailing blank is nothing", {"ci 1 2 3 "}, [] { EXPECT_EQ(Model.EntityOrder.Count(), 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetModel(Model);
    for (std::string_view line : c.lines) ReadExchangeLine(Model, line);
    c.check();
  }
}

TEST(LayerLines, SelectorsAndNames) {
  Read({"lgA 2", "lynfirst", "lga", "ly3 7", "lyn\x83\x5c\x95\x5c", "lgn group ten"});
  EXPECT_EQ(Model.CurAttr.LayerGroup, 10);
  EXPECT_EQ(Model.CurAttr.Layer, 3);
  EXPECT_EQ(Model.GroupValues[10], 2);
  EXPECT_EQ(Model.LayerValues[10 * 16 + 3], 7);
  EXPECT_EQ(Model.LayerNames[10 * 16 + 0], "first");
  EXPECT_EQ(Model.LayerNames[10 * 16 + 3], "\x83\x5c\x95\x5c");
  EXPECT_EQ(Model.GroupNames[10], "");  // the name is only what follows "lgn" in its field
  Read({"lg2", "ly3", "lynstairs", "lgnfloor"});
  EXPECT_EQ(Model.LayerNames[35], "stairs");
  EXPECT_EQ(Model.GroupNames[2], "floor");

  const char* const toGroupZero[] = {"lgG", "lg", "lg\x82\xa0", "lg-1"};
  for (const char* line : toGroupZero) {
    SCOPED_TRACE(line);
    Read({"lg5", line});
    EXPECT_EQ(Model.CurAttr.LayerGroup, 0);
    EXPECT_EQ(Model.FirstAttr.LayerGroup, 5);
  }
}

TEST(AttributeLines, FirstValueAndCurrentValue) {
  Read({"lc5", "lt2", "lw3", "lc10 7", "lt9", "lw0", "pn4", "cc12", "cn$<A>", "cn$<B>", "cn4", "cn0 4 5 0.5 3"});
  EXPECT_EQ(Model.FirstAttr.LineColor, 5);
  EXPECT_EQ(Model.CurAttr.LineColor, 10);
  EXPECT_EQ(Model.CurAttr.ExtColor, 7);
  EXPECT_EQ(Model.FirstAttr.LineType, 2);
  EXPECT_EQ(Model.CurAttr.LineType, 9);
  EXPECT_EQ(Model.FirstAttr.LineWidth, 3);
  EXPECT_EQ(Model.CurAttr.LineWidth, 0);
  EXPECT_TRUE(Model.LineWidthSeen);
  EXPECT_EQ(Model.CurAttr.PointColor, 4);
  EXPECT_EQ(Model.CurAttr.CharStyle, 1);
  EXPECT_EQ(Model.FirstAttr.FontName, "<A>");
  EXPECT_EQ(Model.CurAttr.FontName, "<B>");
  EXPECT_EQ(Model.FirstAttr.TextType, 4);
  EXPECT_EQ(Model.FirstAttr.FreeWidth, 2.0);  // only the first "cn" line counts
  EXPECT_EQ(Model.CurAttr.TextType, 0);
  EXPECT_EQ(Model.CurAttr.FreeWidth, 4.0);
  EXPECT_EQ(Model.CurAttr.FreeColor, 3);

  struct Case {
    const char* line;
    std::int32_t style;
  };
  const Case styles[] = {{"cc8", 8}, {"cc9", 0}, {"cc", 0}, {"cc-1", 0}, {"cc3x", 3}};
  for (const Case& c : styles) {
    SCOPED_TRACE(c.line);
    Read({"cc5", c.line});
    EXPECT_EQ(Model.CurAttr.CharStyle, c.style);
  }

  Read({"lc10 7", "lc10", "lc", "cn0 4 5 0.5 3", "cn$", "cn0 7 7 7"});
  EXPECT_EQ(Model.CurAttr.FreeWidth, 4.0);  // free size needs all four values
  EXPECT_EQ(Model.CurAttr.ExtColor, 7);  // colour 10 without a second field keeps it
  EXPECT_EQ(Model.FirstAttr.LineColor, 10);
  EXPECT_EQ(Model.CurAttr.LineColor, 0);
  EXPECT_EQ(Model.FirstAttr.FreeHeight, 5.0);
  EXPECT_EQ(Model.FirstAttr.FontName, "");
  EXPECT_EQ(Model.CurAttr.FontName, "");
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
    EXPECT_EQ(Model.PointSlotCount, c.slot ? 1 : 0);
    for (int s = 0; s < kPointSlotTotal; ++s) {
      const TJwwPointSlot& p = Model.PointSlots[static_cast<std::size_t>(s)];
      EXPECT_EQ(p.Set, s == c.slot && c.slot != 0) << "slot " << s;
      if (s == c.slot && p.Set) {
        EXPECT_EQ(p.X, 10.0);
        EXPECT_EQ(p.Y, 20.0);
        EXPECT_EQ(p.Mark, c.mark);
      }
    }
  }
  Read({"hp5 1 2", "hp5 3 4"});
  EXPECT_EQ(Model.PointSlotCount, 2);
  EXPECT_EQ(Model.PointSlots[5].X, 3.0);
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
    EXPECT_EQ(Model.CurAttr.PointRef, c.ref);
  }
  Read({"hhp7ci", "z2", "z1", "z2", "pt 1 2", "pt 3 4", "msg", "hhp4", "z5", "0 0 1 1"});
  EXPECT_EQ(Model.Points[0].PointRef, 7);
  EXPECT_EQ(Model.Points[0].ZFlags, 3);
  EXPECT_EQ(Model.Points[1].PointRef, 0);
  EXPECT_EQ(Model.Points[1].ZFlags, 0);
  EXPECT_EQ(Model.HeldLine.PointRef, 4);
  EXPECT_EQ(Model.HeldLine.ZFlags, 16);
  EXPECT_EQ(Model.CurAttr.PointRef, 0);
  EXPECT_EQ(Model.CurAttr.ZFlags, 0);
}

// ---------------------------------------------------------------------------

TEST(TextLines, AllKeywordsAndAttributes) {
  const char* const keywords[] = {"ch", "cv", "cs", "cr", "co", "cp", "ct", "ck", "cz", "c2"};
  ResetModel(Model);
  ReadExchangeLine(Model, "hcw 1 2 3 4 5 6 7 8 9 10");
  ReadExchangeLine(Model, "hcc 1 2 3 4 5 6 7 8 9 10");
  ReadExchangeLine(Model, "cn3");
  ReadExchangeLine(Model, "cc4");
  ReadExchangeLine(Model, "lg2");
  ReadExchangeLine(Model, "lc6");
  for (const char* kw : keywords) ReadExchangeLine(Model, std::string(kw) + " 1 2 3 4 \"" + kw);
  ReadExchangeLine(Model, "ch 1 2 3 4");  // five fields: no text
  ASSERT_EQ(Model.Texts.Count(), 10);
  for (std::size_t i = 0; i < 10; ++i) {
    SCOPED_TRACE(keywords[i]);
    const TJwwEntText& t = Model.Texts[i];
    EXPECT_EQ(t.TextKind, static_cast<std::int32_t>(i));
    EXPECT_EQ(t.Text, keywords[i]);
    EXPECT_EQ(t.TextType, 3);
    EXPECT_EQ(t.CharStyle, 4);
    EXPECT_EQ(t.CharWidth, 3.0);
    EXPECT_EQ(t.Color, 3);  // the text type's colour, not the line colour 6
    EXPECT_EQ(t.LayerGroup, 2);
    EXPECT_EQ(t.FontName, kDefaultFontName);
    EXPECT_EQ(Model.EntityOrder[i].Kind, kKindText);
    EXPECT_EQ(Model.EntityOrder[i].Index, static_cast<std::int32_t>(i));
  }

  Read({"cn0 4 5 0.5 3", "ch 0 0 1 0 \"a", "cn3", "ch 0 0 1 0 \"b", "cn0", "ch 0 0 1 0 \"c", "cn11", "ch 0 0 1 0 \"d"});
  ASSERT_EQ(Model.Texts.Count(), 4);
  EXPECT_EQ(Model.Texts[0].CharHeight, 5.0);
  EXPECT_EQ(Model.Texts[0].CharSpacing, 0.5);
  EXPECT_EQ(Model.Texts[0].Color, 3);
  EXPECT_EQ(Model.Texts[1].CharHeight, 3.0);
  EXPECT_EQ(Model.Texts[1].Color, 2);
  EXPECT_EQ(Model.Texts[2].CharWidth, 4.0);  // the earlier free size is back
  EXPECT_EQ(Model.Texts[3].CharWidth, 4.0);
  EXPECT_EQ(Model.Texts[3].TextType, 11);
}

TEST(TextLines, RotatedDimensionAndLongStrings) {
  Read({"cs -7104.11973389354 1827.73825260745 -3.2783543701953e-005 749.999999999999 \"1,820"});
  ASSERT_EQ(Model.Texts.Count(), 1);
  const TJwwEntText& t = Model.Texts[0];
  EXPECT_EQ(t.TextKind, 2);
  EXPECT_EQ(t.X1, -7104.11973389354);
  EXPECT_EQ(t.Y1, 1827.73825260745);
  EXPECT_EQ(t.DirX, -3.2783543701953e-005);
  EXPECT_EQ(t.DirY, 749.999999999999);
  EXPECT_EQ(t.Text, "1,820");

  const std::string font = "<" + std::string(300, 'f') + ">";
  Read({"cn$" + font, "ch 0 0 1 0 \"" + std::string(255, 'a'), "ch 0 0 1 0 \"" + std::string(256, 'b')});
  ASSERT_EQ(Model.Texts.Count(), 2);
  EXPECT_EQ(Model.Texts[0].Text, std::string(255, 'a'));
  EXPECT_EQ(Model.Texts[1].Text, std::string(255, 'b'));
  EXPECT_EQ(Model.Texts[0].FontName, font.substr(0, 255));
  EXPECT_EQ(Model.CurAttr.FontName, font);
}

// Texts share the font name they were stored under instead of a copy each;
// a new font name is shared from its first text on.
TEST(TextLines, RecordsShareTheirFontName) {
  Read({"ch 0 0 1 0 \"a", "cs 0 0 1 0 \"b", "cn$<A>", "ch 0 0 1 0 \"c", "ch 0 0 1 0 \"d", "cn$", "ch 0 0 1 0 \"e",
        "cn$<A>", "ch 0 0 1 0 \"f"});
  ASSERT_EQ(Model.Texts.Count(), 6);
  const BlockTable<TJwwEntText>& texts = Model.Texts;
  EXPECT_EQ(texts[0].FontName, kDefaultFontName);
  EXPECT_EQ(texts[0].FontName.data(), texts[1].FontName.data());
  EXPECT_EQ(texts[2].FontName, "<A>");
  EXPECT_EQ(texts[2].FontName.data(), texts[3].FontName.data());
  EXPECT_EQ(texts[4].FontName, "");
  EXPECT_TRUE(texts[4].FontName.empty());
  EXPECT_EQ(texts[5].FontName, "<A>");
  EXPECT_EQ(texts[3].FontName, "<A>");  // the earlier ones keep theirs

  // A font name set straight into the attribute state counts as well.
  Model.CurAttr.FontName = "<B>";
  ReadExchangeLine(Model, "ch 0 0 1 0 \"g");
  EXPECT_EQ(Model.Texts[6].FontName, "<B>");
}

TEST(EntityLines, EachKindWithItsFields) {
  Read({"lc3", "pn5", "lc10 9", "ci 1 2 3", "ci 1 2 3 4 5 6 7", "ci 1 2 3 4 5 6 7 8 9", "pt 1 2", "pt 1 2 3 4 5",
        "pt 1 2 3", "BL 5 6 \x83\x75\x83\x8d\x83\x62\x83\x4e extra", "sc 1 2 3 4 5 6 7 8", "se 1 2 3 4 5 6 7 -8",
        "so 1 2 3 4 5 6 7 8", "sg 8 7 6 5 4 3 2 1 0"});
  ASSERT_EQ(Model.Circles.Count(), 1);
  EXPECT_EQ(Model.Circles[0].Values, (std::array<double, 3>{1, 2, 3}));
  EXPECT_EQ(Model.Circles[0].Color, 10);
  ASSERT_EQ(Model.Arcs.Count(), 2);
  EXPECT_EQ(Model.Arcs[1].Values, (std::array<double, 7>{1, 2, 3, 4, 5, 6, 7}));
  ASSERT_EQ(Model.Points.Count(), 1);
  EXPECT_EQ(Model.Points[0].Color, 5);
  ASSERT_EQ(Model.PointExs.Count(), 1);
  EXPECT_EQ(Model.PointExs[0].Values, (std::array<double, 2>{3, 4}));
  EXPECT_EQ(Model.PointExs[0].Int, 5);
  EXPECT_EQ(Model.PointExs[0].Color, 5);
  ASSERT_EQ(Model.Blocks.Count(), 1);
  EXPECT_EQ(Model.Blocks[0].Name, "\x83\x75\x83\x8d\x83\x62\x83\x4e");
  EXPECT_EQ(Model.Blocks[0].Y, 6.0);
  ASSERT_EQ(Model.Scs.Count(), 1);
  EXPECT_EQ(Model.Scs[0].ExtColor, 9);
  EXPECT_EQ(Model.Scs[0].Int, 8);
  EXPECT_EQ(Model.Ses[0].Int, -8);
  EXPECT_EQ(Model.Sos[0].Values[7], 8.0);
  EXPECT_EQ(Model.Sgs[0].Values[0], 8.0);
  // "pt" with three values has four fields: a plain line like any other.
  ASSERT_EQ(Model.Lines.Count(), 1);
  EXPECT_EQ(Model.Lines[0].Y2, 3.0);
  const std::int32_t kinds[] = {kKindCircle, kKindArc, kKindArc, kKindPoint, kKindPointEx, kKindLine,
                                kKindBlk,    kKindSc,  kKindSe,  kKindSo,    kKindSg};
  ASSERT_EQ(Model.EntityOrder.Count(), 11);
  for (std::size_t i = 0; i < 11; ++i) EXPECT_EQ(Model.EntityOrder[i].Kind, kinds[i]) << i;
}

TEST(SlCorners, CoincidingCornersMerge) {
  using P = TJwwPoint;
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
    ASSERT_EQ(Model.EntityOrder.Count(), 1);
    std::vector<P> got;
    std::int32_t ext = -1;
    auto take = [&](const auto& table) {
      if (table.Count() == 0) return;
      for (const P& p : table[0].Points) got.push_back(p);
      ext = table[0].ExtColor;
    };
    take(Model.Sl2Ps);
    take(Model.Sl3Ps);
    take(Model.Sl4Ps);
    EXPECT_EQ(Model.EntityOrder[0].Kind, static_cast<std::int32_t>(c.stored.size()) + kKindSl2P - 2);
    ASSERT_EQ(got.size(), c.stored.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].X, c.stored[i].X) << i;
      EXPECT_EQ(got[i].Y, c.stored[i].Y) << i;
    }
    EXPECT_EQ(ext, 4);
  }
  Read({"sl 1 2 3 4 5", "sl 1 2 3 4 5 6 7"});
  EXPECT_EQ(Model.EntityOrder.Count(), 0);
}

TEST(Modes, PolylineRuns) {
  Read({"pl", "0 0 1 0", "1 0 1 1", "lc2", "1 1 0 1", "pl", "0 0 2 2", "pl", "0 0 3 3", "ci 0 0 5", "0 0 4 4", "pl",
        "#", "5 5 6 6", "pl", "msg", "7 7 8 8", "z1", "hhp3", "pl", "9 9 0 0"});
  ASSERT_EQ(Model.Lines.Count(), 8);
  const std::int32_t runs[] = {1, 1, 0, 2, 3, 0, 0, 6};  // the last "pl" also ended message mode
  for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(Model.Lines[i].PolylineNo, runs[i]) << i;
  EXPECT_EQ(Model.Lines[7].ZFlags, 1);
  EXPECT_EQ(Model.Lines[7].PointRef, 3);
  EXPECT_EQ(Model.HeldLine.X1, 7.0);
}

TEST(Modes, MessageModePairsHeldLineWithText) {
  Read({"msg", "cs 0 0 1 0 \"first", "ch 0 0 1 0 \"t"});
  ASSERT_EQ(Model.MsgTexts.Count(), 1);
  EXPECT_EQ(Model.MsgTexts[0].Line.X2, 1.0);  // before any held line: the initial line
  EXPECT_EQ(Model.MsgTexts[0].Line.Color, 1);
  EXPECT_EQ(Model.Texts.Count(), 1);

  Read({"lc4", "msg", "10 20 30 40", "lc7", "lg3", "cs 1 2 3 4 \"m", "msg", "cs 5 6 7 8 \"n", "msg", "ch 0 0 1 0 \"c",
        "1 1 2 2"});
  EXPECT_EQ(Model.Lines.Count(), 1);  // only the line after "ch" ended message mode
  ASSERT_EQ(Model.MsgTexts.Count(), 2);
  const TJwwEntMsgText& m = Model.MsgTexts[0];
  EXPECT_EQ(m.Color, 7);
  EXPECT_EQ(m.Line.Color, 4);  // stamped when the line was held
  EXPECT_EQ(m.Line.X1, 10.0);
  EXPECT_EQ(m.Line.Y2, 40.0);
  EXPECT_EQ(m.Text.TextKind, 2);
  EXPECT_EQ(m.Text.Text, "m");
  EXPECT_EQ(m.Text.X1, 1.0);
  EXPECT_EQ(m.Text.Color, 2);  // text type 1's colour
  EXPECT_EQ(m.LayerGroup, 3);
  EXPECT_EQ(m.Text.LayerGroup, 3);
  EXPECT_EQ(m.Line.LayerGroup, 0);
  EXPECT_EQ(Model.MsgTexts[1].Line, m.Line);  // the held line is reused, header and all
  ASSERT_EQ(Model.EntityOrder.Count(), 4);
  EXPECT_EQ(Model.EntityOrder[0].Kind, kKindMsgText);
  EXPECT_EQ(Model.EntityOrder[1].Kind, kKindMsgText);
  EXPECT_EQ(Model.EntityOrder[1].Index, 1);
  EXPECT_EQ(Model.EntityOrder[2].Kind, kKindText);
  EXPECT_EQ(Model.EntityOrder[3].Kind, kKindLine);

  Read({"msg", "lc3", "pn2", "cn2", "cc1", "lg1", "ly1", "lw1", "lt1", "cn$x", "z1", "hhp1"});
  EXPECT_TRUE(Model.CurAttr.MsgMode);  // attribute lines leave message mode on
  ReadExchangeLine(Model, "#");
  EXPECT_FALSE(Model.CurAttr.MsgMode);
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

  TJwwModel fromFile;
  TJwwModel fromBytes;
  ResetModel(fromFile);
  ResetModel(fromBytes);
  ASSERT_TRUE(LoadExchangeFile(fromFile, file.Path()));
  ASSERT_TRUE(LoadExchangeBytes(fromBytes, bytes));
  EXPECT_GT(fromFile.Blocks.Count(), 10000);
  EXPECT_EQ(fromFile.Blocks.Count(), fromFile.Texts.Count());
  EXPECT_TRUE(SameDrawing(fromFile, fromBytes));
  EXPECT_EQ(fromFile.CurAttr.LineColor, 5);
}

TEST(ExchangeFileLoading, TenMegabyteLine) {
  const std::string text(10 << 20, 't');
  TempFile file("lg1\r\nch 0 0 1 0 \"" + text + "\r\nBL 0 0 " + text + "\r\nlc4\r\n");
  ResetModel(Model);
  ASSERT_TRUE(LoadExchangeFile(Model, file.Path()));
  ASSERT_EQ(Model.Texts.Count(), 1);
  EXPECT_EQ(Model.Texts[0].Text, text.substr(0, 255));
  EXPECT_EQ(Model.Blocks[0].Name.size(), text.size());
  EXPECT_EQ(Model.CurAttr.LineColor, 4);
}

TEST(ExchangeFileLoading, MissingFileLeavesModelAlone) {
  Read({"lc5", "0 0 1 1"});
  EXPECT_FALSE(LoadExchangeFile(Model, std::filesystem::path(::testing::TempDir()) / "no_such_exchange_file.txt"));
  EXPECT_FALSE(LoadExchangeFile(Model, ::testing::TempDir()));  // a folder is no file
  EXPECT_EQ(Model.CurAttr.LineColor, 5);
  EXPECT_EQ(Model.Lines.Count(), 1);
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
    ResetModel(Model);
    EXPECT_TRUE(LoadExchangeBytes(Model, bytes));
    std::int32_t stored = 0;
    ForEachEntityTable([&stored](std::int32_t, std::string_view, const auto& table) { stored += table.Count(); },
                       Model);
    EXPECT_EQ(Model.EntityOrder.Count(), stored);
    EXPECT_GE(Model.CurAttr.LayerGroup, 0);
    EXPECT_LE(Model.CurAttr.LayerGroup, 15);
    EXPECT_GE(Model.CurAttr.CharStyle, 0);
    EXPECT_LE(Model.CurAttr.CharStyle, 8);
  }
}

TEST(ExchangeFileLoading, HostWrittenFile) {
  ResetModel(Model);
  ASSERT_TRUE(LoadExchangeFile(Model, std::filesystem::path(RUPENA_SOURCE_DIR) / "exchange/tests/data/host_selection.txt"));
  // "C:\jww\表示 1.jww": the trail byte 0x5C of 表 stays with its lead byte.
  EXPECT_EQ(Model.DrawingFile, "C:\\jww\\\x95\x5c\x8e\xa6 1.jww");
  EXPECT_EQ(Model.GroupScales[1], 50.0);
  EXPECT_EQ(Model.TextTypes[2].Width, 3.5);
  EXPECT_EQ(Model.TextTypes[2].Color, 2);
  EXPECT_EQ(Model.HnValues[2], 5000.0);
  EXPECT_EQ(Model.FirstAttr.Layer, 14);
  EXPECT_EQ(Model.FirstAttr.FontName, kDefaultFontName);
  EXPECT_TRUE(Model.BzSeen);
  ASSERT_EQ(Model.Lines.Count(), 2);
  EXPECT_EQ(Model.Lines[0].X1, -5000.0);
  ASSERT_EQ(Model.Texts.Count(), 3);
  const TJwwEntText& t = Model.Texts[0];
  EXPECT_EQ(t.Text, "\x83\x5c\x83\x74\x83\x67\x81\x40\x95\x5c\x8b\x4c\x87\x40\x87\x41\x81\x40\xb6\xc5 \x87\x75");
  EXPECT_EQ(t.TextType, 3);
  EXPECT_EQ(t.Layer, 14);
  EXPECT_EQ(t.DirX, 5.0);
  EXPECT_EQ(Model.Texts[1].DirX, -3.2783543701953e-005);
  EXPECT_EQ(Model.Texts[1].Text, "1,820");
  EXPECT_EQ(Model.Texts[2].Text, "\x94\x5c\x97\xcd");
  EXPECT_EQ(Model.Texts[2].ZFlags, 1);
}

}  // namespace
}  // namespace JwwGaibu
