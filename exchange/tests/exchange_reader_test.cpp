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

using Fields = std::vector<std::string>;

Fields Cut(std::string_view line) {
  FieldCutter cutter;
  cutter.Cut(line);
  Fields fields;
  for (std::size_t k = 0; k < cutter.Count(); ++k) fields.emplace_back(cutter.Field(k));
  return fields;
}

void Read(std::initializer_list<std::string_view> lines) {
  ResetModel();
  for (std::string_view line : lines) ReadExchangeLine(line);
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

// Loads `bytes` as a file and returns the names of the "BL" lines that
// arrived, which shows exactly which line bytes each line carried.
std::vector<std::string> LoadedBlockNames(std::string_view bytes, bool* result = nullptr) {
  TempFile file(bytes);
  ResetModel();
  const bool ok = LoadExchangeFile(file.Path());
  if (result) *result = ok;
  std::vector<std::string> names;
  for (std::size_t i = 0; i < static_cast<std::size_t>(Model.Blocks.Count()); ++i) names.push_back(Model.Blocks[i].Name);
  return names;
}

// ---------------------------------------------------------------------------

TEST(FieldCutting, HostLineShapes) {
  struct Case {
    const char* name;
    std::string line;
    Fields fields;
  };
  const Case cases[] = {
      {"empty line", "", {""}},
      {"blanks only", "  \t ", {""}},
      {"plain line with leading blank", " -5000 0 5000 0", {"-5000", "0", "5000", "0"}},
      {"hcc columns", "hcc      1      1      2", {"hcc", "1", "1", "2"}},
      {"long runs of blanks and tabs", "a         \t  \t        b\t\t\t\t\t\t\t\t\tc", {"a", "b", "c"}},
      {"blank run ending in a dropped byte", "a          \x01 b", {"a", "b"}},
      {"trailing blank opens a field", "ci 1 2 3 ", {"ci", "1", "2", "3", ""}},
      {"trailing tab opens a field", "ci 1\t", {"ci", "1", ""}},
      {"text after quote keeps blanks", "ch 1 2 3 4 \"abc  def ", {"ch", "1", "2", "3", "4", "abc  def "}},
      {"tab dropped after quote, blank kept", "ch 0 0 1 0 \"x\ty z", {"ch", "0", "0", "1", "0", "xy z"}},
      {"second quote is a character", "ch 0 0 1 0 \"a\"b", {"ch", "0", "0", "1", "0", "a\"b"}},
      {"quote inside a field", "ab\"c d", {"abc d"}},
      {"equals kept and ends splitting", "file=C:\\My Drawings\\a b.jww", {"file=C:\\My Drawings\\a b.jww"}},
      {"equals in a later field", "x a=b c", {"x", "a=b c"}},
      {"font line as the writer writes it", "cn\"$<\x82\x6c\x82\x72 \x83\x53>", {"cn$<\x82\x6c\x82\x72 \x83\x53>"}},
      {"font line without quote splits", "cn$<A B>", {"cn$<A", "B>"}},
      {"rotated dimension",
       "cs -7104.11973389354 1827.73825260745 -3.2783543701953e-005 749.999999999999 \"1,820",
       {"cs", "-7104.11973389354", "1827.73825260745", "-3.2783543701953e-005", "749.999999999999", "1,820"}},
      {"trail byte backslash", "ch 0 0 1 0 \"\x83\x5c\x95\x5c\x94\x5c", {"ch", "0", "0", "1", "0", "\x83\x5c\x95\x5c\x94\x5c"}},
      {"trail byte blank does not split", "ab\x81 cd", {"ab\x81 cd"}},
      {"trail byte quote does not end splitting", "x\x81\"y z", {"x\x81\"y", "z"}},
      {"trail byte equals does not end splitting", "a\x81=b c", {"a\x81=b", "c"}},
      {"trail byte tab kept after quote", "\"\x81\tz", {"\x81\tz"}},
      {"lead byte last is dropped", "ab\x82", {"ab"}},
      {"lead byte last after a blank", "ab \x82", {"ab", ""}},
      {"lead byte last in a text", "ch 0 0 1 0 \"ab\x82", {"ch", "0", "0", "1", "0", "ab"}},
      {"0x80 and 0xFD lead", "\x80 a \xfd b", {"\x80 a", "\xfd b"}},
      {"control bytes, 0xFE, 0xFF dropped", "a\x01\x0d\xfe\xff" "b\x7f", {"ab\x7f"}},
      {"field of dropped bytes stays current", "a \x01 b", {"a", "b"}},
      {"half-width kana kept", "\xb1\xdf\xa0 x", {"\xb1\xdf\xa0", "x"}},
      {"full-width space is no separator", "a\x81\x40" "b c", {"a\x81\x40" "b", "c"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Cut(c.line), c.fields);
  }
}

// Every byte value with splitting on and after the quote, each against the
// rule it must follow, at offsets that put it in every position of a long
// run of ordinary bytes.
TEST(FieldCutting, EveryByteValue) {
  const std::size_t offsets[] = {0, 1, 5, 7, 8, 9, 15, 16};
  for (const std::size_t offset : offsets) {
    const std::string pad(offset, 'a');
    const std::string tail = "zzzzzzzzzzz";
    for (int v = 0; v < 256; ++v) {
      SCOPED_TRACE(testing::Message() << "byte " << v << " at offset " << offset);
      const char b = static_cast<char>(v);
      const bool lead = (v >= 0x80 && v <= 0x9F) || (v >= 0xE0 && v <= 0xFD);
      const bool kept = v >= 0x20 && v <= 0xFD;

      Fields on;
      if (lead || (kept && v != '"' && v != '=' && v != ' ')) on = {"k", pad + b + tail, "y"};
      else if (v == '"') on = {"k", pad + tail + " y"};
      else if (v == '=') on = {"k", pad + "=" + tail + " y"};
      else if ((v == ' ' || v == '\t') && offset != 0) on = {"k", pad, tail, "y"};
      else on = {"k", pad + tail, "y"};  // a dropped byte, or a blank that joins the run before it
      EXPECT_EQ(Cut("k " + pad + b + tail + " y"), on);

      const std::string off = lead || kept ? pad + b + tail + " y" : pad + tail + " y";
      EXPECT_EQ(Cut("\"" + pad + b + tail + " y"), Fields{off});
    }
  }
}

TEST(FieldCutting, AtMostThirtyTwoFields) {
  struct Case {
    int words;
    bool trailingBlank;
    std::size_t count;
  };
  const Case cases[] = {{31, false, 31}, {31, true, 32}, {32, false, 32}, {32, true, 32}, {33, false, 32}, {100, true, 32}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.words);
    std::string line;
    for (int w = 1; w <= c.words; ++w) line += "w" + std::to_string(w) + " ";
    if (!c.trailingBlank) line.pop_back();
    FieldCutter cutter;
    cutter.Cut(line);
    ASSERT_EQ(cutter.Count(), c.count);
    EXPECT_EQ(cutter.Field(0), "w1");
    const bool lastEmpty = c.words < 32 && c.trailingBlank;
    EXPECT_EQ(cutter.Field(c.count - 1), lastEmpty ? "" : "w" + std::to_string(c.count));
    EXPECT_EQ(cutter.Field(32), "");
  }
}

// The cutting rules of the header, one byte at a time.
Fields ReferenceCut(std::string_view line) {
  Fields fields{""};
  bool splitting = true;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const auto b = static_cast<unsigned char>(line[i]);
    if ((b >= 0x80 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFD)) {
      if (i + 1 == line.size()) break;
      fields.back() += line.substr(i, 2);
      ++i;
    } else if (b == '\t' && !splitting) {
      // dropped
    } else if ((b == ' ' || b == '\t') && splitting) {
      if (fields.back().empty()) continue;
      if (fields.size() == FieldCutter::kMaxFields) return fields;
      fields.emplace_back();
    } else if (b < 0x20 || b > 0xFD) {
      // dropped
    } else if (b == '"' && splitting) {
      splitting = false;
    } else {
      fields.back() += static_cast<char>(b);
      if (b == '=') splitting = false;
    }
  }
  return fields;
}

// Random lines against the reference: mostly host-like fields and blanks, so
// that long stretches need no byte classes, with every kind of byte the
// rules treat apart mixed in at every rate, and lengths across several
// 64-byte blocks and the 32-field limit.
TEST(FieldCutting, RandomLinesFollowTheRules) {
  std::mt19937 rng(20240611);
  const std::string_view plain[] = {" ", "  ", "\t", "-8156.21790089866", "0", "1000", "ci", "ch", "x"};
  const std::string_view odd[] = {"\"", "=", "\x82\xa0", "\x83\x5c", "\x82", "\x81\x40", "\x1f", "\x7f",
                                  "\xa0", "\xdf", "\xfe", "\xff", "\x80", "\xfd", std::string_view("\0", 1),
                                  "\x82\x22", "\x82\t", "\x82 ", "\r"};
  FieldCutter cutter;  // reused, as the reader reuses it
  for (int round = 0; round < 20000; ++round) {
    const auto oddRate = 1 + rng() % 40;
    const std::size_t pieces = rng() % (round % 10 == 0 ? 120 : 24);
    std::string line;
    for (std::size_t k = 0; k < pieces; ++k) {
      line += rng() % oddRate == 0 ? odd[rng() % std::size(odd)] : plain[rng() % std::size(plain)];
    }
    cutter.Cut(line);
    Fields got;
    for (std::size_t k = 0; k < cutter.Count(); ++k) got.emplace_back(cutter.Field(k));
    const Fields want = ReferenceCut(line);
    if (got != want) {
      ADD_FAILURE() << "line of " << line.size() << " bytes, round " << round;
      return;
    }
  }
}

TEST(FieldCutting, ReusedCutterForgetsTheLongerLine) {
  FieldCutter cutter;
  cutter.Cut("ch 1 2 3 4 \"" + std::string(10 << 20, 'x'));
  ASSERT_EQ(cutter.Count(), 6u);
  EXPECT_EQ(cutter.Field(5).size(), std::size_t{10} << 20);
  cutter.Cut("a b");
  ASSERT_EQ(cutter.Count(), 2u);
  EXPECT_EQ(cutter.Field(1), "b");
  EXPECT_EQ(cutter.Field(2), "");
}

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
    ResetModel();
    for (std::string_view line : c.lines) ReadExchangeLine(line);
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
  ResetModel();
  ReadExchangeLine("hcw 1 2 3 4 5 6 7 8 9 10");
  ReadExchangeLine("hcc 1 2 3 4 5 6 7 8 9 10");
  ReadExchangeLine("cn3");
  ReadExchangeLine("cc4");
  ReadExchangeLine("lg2");
  ReadExchangeLine("lc6");
  for (const char* kw : keywords) ReadExchangeLine(std::string(kw) + " 1 2 3 4 \"" + kw);
  ReadExchangeLine("ch 1 2 3 4");  // five fields: no text
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
  ReadExchangeLine("ch 0 0 1 0 \"g");
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
  EXPECT_EQ(Model.MsgTexts[1].Line.X1, 10.0);  // the held line is reused
  ASSERT_EQ(Model.EntityOrder.Count(), 4);
  EXPECT_EQ(Model.EntityOrder[0].Kind, kKindMsgText);
  EXPECT_EQ(Model.EntityOrder[1].Kind, kKindMsgText);
  EXPECT_EQ(Model.EntityOrder[1].Index, 1);
  EXPECT_EQ(Model.EntityOrder[2].Kind, kKindText);
  EXPECT_EQ(Model.EntityOrder[3].Kind, kKindLine);

  Read({"msg", "lc3", "pn2", "cn2", "cc1", "lg1", "ly1", "lw1", "lt1", "cn$x", "z1", "hhp1"});
  EXPECT_TRUE(Model.CurAttr.MsgMode);  // attribute lines leave message mode on
  ReadExchangeLine("#");
  EXPECT_FALSE(Model.CurAttr.MsgMode);
}

// ---------------------------------------------------------------------------

TEST(ExchangeFileLoading, LineEnds) {
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"empty file", "", {}},
      {"LF", "BL 0 0 a\nBL 0 0 b\n", {"a", "b"}},
      {"CR LF", "BL 0 0 a\r\nBL 0 0 b\r\n", {"a", "b"}},
      {"last line without line end", "BL 0 0 a\r\nBL 0 0 b", {"a", "b"}},
      {"CR alone is dropped", "BL 0 0 a\rb\r\nBL 0 0 c\r", {"ab", "c"}},
      {"CR CR LF", "BL 0 0 a\r\r\nBL 0 0 b", {"a", "b"}},
      {"lone CR early in a long line", "BL 0\r 0 abcdefghijklmnop\n", {"abcdefghijklmnop"}},
      {"Ctrl-Z early in a long line", "BL 0\x1a" "0 abcdefghijklmnop\nBL 0 0 b", {"b"}},
      {"Ctrl-Z late in a long line", "BL 0 0 abcdefghijklm\x1a" "nop\nBL 0 0 b", {"abcdefghijklm", "b"}},
      {"lead byte before CR LF", "BL 0 0 a\x82\r\nBL 0 0 \x82\xa0", {"a", "\x82\xa0"}},
      {"lead byte last in the file", "BL 0 0 a\nBL 0 0 b\x82", {"a", "b"}},
      {"CR as a would-be trail byte is dropped first", "BL 0 0 \x82\r\x82\xa0\n", {"\x82\x82\xa0"}},
      {"Ctrl-Z at a line start ends the file", "BL 0 0 a\r\n\x1a" "BL 0 0 b\r\n", {"a"}},
      {"Ctrl-Z inside a line ends the line", "BL 0 0 a\x1a" "BL 0 0 x\r\nBL 0 0 b\r\n", {"a", "b"}},
      {"second Ctrl-Z in the rest ends the file", "BL 0 0 a\x1az\x1a\r\nBL 0 0 b\r\n", {"a"}},
      {"Ctrl-Z as the last byte", "BL 0 0 a\r\n\x1a", {"a"}},
      {"empty and blank lines", "\n\r\n  \nBL 0 0 a\n\n", {"a"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bool ok = false;
    EXPECT_EQ(LoadedBlockNames(c.bytes, &ok), c.names);
    EXPECT_TRUE(ok);
  }
}

// The format's line splitting, one physical line at a time.
std::vector<std::string> BlockNamesLineByLine(std::string_view data) {
  ResetModel();
  std::size_t pos = 0;
  while (pos < data.size()) {
    std::size_t end = data.find('\n', pos);
    if (end == std::string_view::npos) end = data.size();
    std::string_view physical = data.substr(pos, end - pos);
    pos = end + 1;
    std::string line;
    for (const char c : physical) {
      if (c != '\r') line.push_back(c);
    }
    const std::size_t z = line.find('\x1a');
    if (z == 0) break;
    ReadExchangeLine(std::string_view(line).substr(0, z));
    if (z != std::string::npos && line.find('\x1a', z + 1) != std::string::npos) break;
  }
  std::vector<std::string> names;
  for (std::size_t i = 0; i < static_cast<std::size_t>(Model.Blocks.Count()); ++i) {
    names.push_back(Model.Blocks[i].Name);
  }
  return names;
}

// Files of block lines whose names hold lone CRs, CR LFs and now and then a
// Ctrl-Z at every distance from each other and from the reader's 16- and
// 64-byte steps, loaded whole and line by line.
TEST(ExchangeFileLoading, RandomLineEndsMatchLineByLineReading) {
  std::mt19937 rng(20240612);
  const std::string_view pieces[] = {"a", "bcdefgh", " ", "\x82\xa0", "\r", "\r", "\n", "\r\n", "\r\n"};
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(round);
    std::string bytes;
    while (bytes.size() < 6000) {
      bytes += "BL 0 0 \"";
      const std::size_t count = rng() % 40;
      for (std::size_t k = 0; k < count; ++k) bytes += pieces[rng() % std::size(pieces)];
      if (round % 4 == 0 && rng() % 50 == 0) bytes += rng() % 2 ? "z\x1a" : "\x1a";
      bytes += rng() % 2 ? "\r\n" : "\n";
    }
    EXPECT_EQ(LoadedBlockNames(bytes), BlockNamesLineByLine(bytes));
  }
}

// Line ends, lead bytes and Ctrl-Z right at the edges of the read buffer,
// wherever the reader puts those edges.
TEST(ExchangeFileLoading, LinesAcrossBufferEdges) {
  for (const std::size_t edge : {std::size_t{1} << 16, std::size_t{1} << 20}) {
    for (std::size_t shift = 0; shift < 4; ++shift) {
      SCOPED_TRACE(edge + shift);
      // The first line ends in "\x82\xa0\r\n", placed so that the edge falls
      // before the pair, inside it, before the CR and between CR and LF.
      const std::string head = "BL 0 0 ";
      const std::string filler(edge - head.size() - shift, 'x');
      const std::string first = head + filler + "\x82\xa0";
      EXPECT_EQ(LoadedBlockNames(first + "\r\nBL 0 0 b\r\n\x1a" "BL 0 0 c"),
                (std::vector<std::string>{filler + "\x82\xa0", "b"}));
    }
  }
}

TEST(ExchangeFileLoading, TenMegabyteLine) {
  const std::string text(10 << 20, 't');
  TempFile file("lg1\r\nch 0 0 1 0 \"" + text + "\r\nBL 0 0 " + text + "\r\nlc4\r\n");
  ResetModel();
  ASSERT_TRUE(LoadExchangeFile(file.Path()));
  ASSERT_EQ(Model.Texts.Count(), 1);
  EXPECT_EQ(Model.Texts[0].Text, text.substr(0, 255));
  EXPECT_EQ(Model.Blocks[0].Name.size(), text.size());
  EXPECT_EQ(Model.CurAttr.LineColor, 4);
}

TEST(ExchangeFileLoading, MissingFileLeavesModelAlone) {
  Read({"lc5", "0 0 1 1"});
  EXPECT_FALSE(LoadExchangeFile(std::filesystem::path(::testing::TempDir()) / "no_such_exchange_file.txt"));
  EXPECT_FALSE(LoadExchangeFile(::testing::TempDir()));  // a folder is no file
  EXPECT_EQ(Model.CurAttr.LineColor, 5);
  EXPECT_EQ(Model.Lines.Count(), 1);
}

TEST(ExchangeFileLoading, RandomBytesLoadWithoutHarm) {
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
    TempFile file(bytes);
    ResetModel();
    EXPECT_TRUE(LoadExchangeFile(file.Path()));
    const std::int32_t stored = Model.Lines.Count() + Model.Circles.Count() + Model.Arcs.Count() +
                                Model.Texts.Count() + Model.Points.Count() + Model.PointExs.Count() +
                                Model.MsgTexts.Count() + Model.Blocks.Count() + Model.Sl2Ps.Count() +
                                Model.Sl3Ps.Count() + Model.Sl4Ps.Count() + Model.Scs.Count() + Model.Ses.Count() +
                                Model.Sos.Count() + Model.Sgs.Count();
    EXPECT_EQ(Model.EntityOrder.Count(), stored);
    EXPECT_GE(Model.CurAttr.LayerGroup, 0);
    EXPECT_LE(Model.CurAttr.LayerGroup, 15);
    EXPECT_GE(Model.CurAttr.CharStyle, 0);
    EXPECT_LE(Model.CurAttr.CharStyle, 8);
  }
}

TEST(ExchangeFileLoading, HostWrittenFile) {
  ResetModel();
  ASSERT_TRUE(LoadExchangeFile(std::filesystem::path(RUPENA_SOURCE_DIR) / "exchange/tests/data/host_selection.txt"));
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
