#include "app/number_input.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "textutil/number_parse.h"

namespace {

using rupena::app::IsNotANumber;
using rupena::app::JoinCopiedCells;
using rupena::app::kSpacingCellRules;
using rupena::app::NormaliseNumberText;
using rupena::app::SplitPastedValues;

TEST(NumberInput, FullWidthFormsBecomeAscii) {
  struct Case {
    std::u16string typed;
    std::u16string stored;
  } cases[] = {
      {u"１．５", u"1.5"},
      {u"０１２３４５６７８９", u"0123456789"},
      {u"－２", u"-2"},
      {u"\u2212２", u"-2"},  // the minus sign, not the hyphen-minus
      {u"＋１Ｅ３", u"+1E3"},
      {u"１ｅ－２", u"1e-2"},
      {u"1.5", u"1.5"},
      // only what a number is written with: blanks, commas, letters stay
      {u"\u3000１，５ａ", u"\u3000" u"1，5ａ"},
      {u"", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NormaliseNumberText(c.typed), c.stored);
  }
}

TEST(NumberInput, PastedTextSplitsIntoValues) {
  using Values = std::vector<std::u16string>;
  struct Case {
    const char* name;
    std::u16string text;
    std::size_t maxCount;
    Values expected;
  } cases[] = {
      {"a spreadsheet row", u"1\t2.5\t3\r\n", 9, {u"1", u"2.5", u"3"}},
      {"a spreadsheet column", u"1\r\n2\r\n3", 9, {u"1", u"2", u"3"}},
      {"blanks of both widths, runs count once", u"  1  2\u3000\u30003 ", 9, {u"1", u"2", u"3"}},
      {"lone CR and LF end lines", u"1\r2\n3", 9, {u"1", u"2", u"3"}},
      {"an empty cell between tabs stays", u"1\t\t3", 9, {u"1", u"", u"3"}},
      {"a blank cell is empty", u"1\t \t3", 9, {u"1", u"", u"3"}},
      {"an empty line is an empty value", u"1\r\n\r\n3\r\n", 9, {u"1", u"", u"3"}},
      {"blanks around a tab", u"1 \t 2", 9, {u"1", u"2"}},
      {"only the first values fit", u"1\t2\t3\t4", 2, {u"1", u"2"}},
      {"nothing", u"", 9, {}},
      {"room for none", u"1", 0, {}},
      {"one empty cell copied", u"\r\n", 9, {u""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SplitPastedValues(c.text, c.maxCount), c.expected);
  }
}

TEST(NumberInput, CopiedCellsPasteBackUnchanged) {
  const std::vector<std::vector<std::u16string>> rows = {{u"0.5", u"", u"abc"}, {u"1", u"2", u"3"}};
  const std::u16string text = JoinCopiedCells(rows);
  EXPECT_EQ(text, u"0.5\t\tabc\r\n1\t2\t3\r\n");
  EXPECT_EQ(SplitPastedValues(text, 99),
            (std::vector<std::u16string>{u"0.5", u"", u"abc", u"1", u"2", u"3"}));
}

// The marking and OK read a cell alike: an unmarked cell that holds text is
// worth what it says, a marked one is worth 0.
TEST(NumberInput, NotANumberIsWhatOkCountsAsZero) {
  struct Case {
    std::string cell;
    bool marked;
  } cases[] = {
      {"", false},     {"1.5", false}, {"-0", false},    {" 2", false},   {"1e3", false},
      {".5", false},   {"0", false},   {"abc", true},    {"1.5 ", true},  {".", true},
      {"-", true},     {"e5", true},   {"1e999", true},  {"1,5", true},
      {"\x82\x50", true},  // a full-width 1 that reached a cell unconverted
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("cell: \"" + c.cell + "\"");
    EXPECT_EQ(IsNotANumber(c.cell), c.marked);
    if (c.marked) {
      EXPECT_EQ(rupena::text::ParseFloatOrZero(c.cell), 0.0);
    }
  }
}

// The rules a spacing cell runs under, together: a number an input method
// types in full width is stored in a form OK reads as that number.
TEST(NumberInput, SpacingCellsStoreFullWidthNumbersAsNumbers) {
  const std::u16string typedNumbers[] = {
      u"\uff11\uff0e\uff15",              // １．５
      u"\uff0d\uff12",                    // －２
      u"\u2212\uff10\uff0e\uff12\uff15",  // −０．２５
      u"\uff0b\uff11\uff25\uff13",        // ＋１Ｅ３
      u"7",
  };
  for (const std::u16string& typed : typedNumbers) {
    const std::u16string stored = kSpacingCellRules.normalise(typed);
    ASSERT_TRUE(std::all_of(stored.begin(), stored.end(), [](char16_t ch) { return ch < 0x80; }));
    const std::string bytes(stored.begin(), stored.end());
    SCOPED_TRACE(bytes);
    EXPECT_FALSE(kSpacingCellRules.isNotANumber(bytes));
    EXPECT_NE(rupena::text::ParseFloatOrZero(bytes), 0.0);
  }
  // Where no rule stands between the keyboard and the cell, the same
  // characters would reach it as CP932 and count as 0.
  EXPECT_TRUE(kSpacingCellRules.isNotANumber("\x82\x50\x81\x44\x82\x54"));  // １．５
}

}  // namespace
