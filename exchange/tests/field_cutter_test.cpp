#include "exchange/field_cutter.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>


namespace rupena::exchange {
namespace {

using Fields = std::vector<std::string>;

Fields Cut(std::string_view line) {
  FieldCutter cutter;
  cutter.Cut(line);
  Fields fields;
  for (std::size_t k = 0; k < cutter.Count(); ++k) fields.emplace_back(cutter.Field(k));
  return fields;
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
// rule it must follow, at the start of a field, after one byte and after a
// long run of ordinary bytes.
TEST(FieldCutting, EveryByteValue) {
  const std::size_t offsets[] = {0, 1, 2, 63, 64, 65};
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

}  // namespace
}  // namespace rupena::exchange
