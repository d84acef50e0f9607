#include "textutil/shift_jis.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include "textutil/tests/printable.h"

namespace {

using rupena::text::CharCount;
using rupena::text::CharLengthAt;
using rupena::text::CopyChars;
using rupena::text::IsCodePageLeadByte;
using rupena::text::IsLeadByte;
using rupena::text::StripBlanks;
using rupena::text::test::Escaped;

struct ByteRange {
  int low;
  int high;
};

bool InRanges(int b, std::initializer_list<ByteRange> ranges) {
  for (const ByteRange& r : ranges) {
    if (b >= r.low && b <= r.high) return true;
  }
  return false;
}

TEST(LeadBytes, EveryByteValueMatchesTheCountingRanges) {
  for (int b = 0; b < 256; ++b) {
    SCOPED_TRACE(b);
    EXPECT_EQ(IsLeadByte(static_cast<unsigned char>(b)), InRanges(b, {{0x80, 0x9F}, {0xE0, 0xFD}}));
  }
}

TEST(LeadBytes, EveryByteValueMatchesTheCodePageRanges) {
  for (int b = 0; b < 256; ++b) {
    SCOPED_TRACE(b);
    EXPECT_EQ(IsCodePageLeadByte(static_cast<unsigned char>(b)),
              InRanges(b, {{0x81, 0x9F}, {0xE0, 0xFC}}));
  }
}

TEST(LeadBytes, CountingSetIsWiderAtBothOddEnds) {
  EXPECT_TRUE(IsLeadByte(0x80));
  EXPECT_FALSE(IsCodePageLeadByte(0x80));
  EXPECT_TRUE(IsLeadByte(0xFD));
  EXPECT_FALSE(IsCodePageLeadByte(0xFD));
  EXPECT_FALSE(IsLeadByte(0xFE));
  EXPECT_FALSE(IsLeadByte(0xFF));
}

TEST(LeadBytes, LeadByteInLastPositionIsOneByteLong) {
  EXPECT_EQ(CharLengthAt("\x82\xa0", 0), 2u);
  EXPECT_EQ(CharLengthAt("A\x82", 1), 1u);
  EXPECT_EQ(CharLengthAt("\x82", 0), 1u);
  EXPECT_EQ(CharLengthAt("\x82\x82\x82", 2), 1u);
}

struct StripCase {
  std::string_view text;
  std::string_view expected;
};

TEST(BlankStripping, RemovesAsciiAndFullWidthBlanks) {
  const StripCase cases[] = {
      {" \x82\x81\x81\x40" "b\t", "\x82\x81" "b"},
      {"\x81\x40 ", ""},
      {"", ""},
      {"   ", ""},
      {std::string_view("a\0b\x1f" "c", 5), "abc"},
      {"\r\na\n", "a"},
      {"\x7f", "\x7f"},
      {"\xa0\xb1\xdf", "\xa0\xb1\xdf"},
  };
  for (const StripCase& c : cases) {
    SCOPED_TRACE("text: \"" + Escaped(c.text) + "\"");
    EXPECT_EQ(StripBlanks(c.text), c.expected);
  }
}

TEST(BlankStripping, StepsOverTwoByteCharacters) {
  const StripCase cases[] = {
      // A trail byte that looks like a blank stays with its lead byte.
      {"\x82\x20", "\x82\x20"},
      {"\x82\x09", "\x82\x09"},
      {"\x80\x20", "\x80\x20"},
      {"\xfd\x20", "\xfd\x20"},
      // 0xFE is a single byte, so the blank after it goes.
      {"\xfe\x20", "\xfe"},
      {"\xff\x09", "\xff"},
      // 0x81 0x40 behind a lead byte is a trail byte plus "@", not a blank.
      {"\x82\x81\x40", "\x82\x81\x40"},
      {"\x81\x81\x40", "\x81\x81\x40"},
      // A lead byte at the very end is a character of its own and stays.
      {"a \x81", "a\x81"},
      {"\x81", "\x81"},
      {"\x81\x40\x81", "\x81"},
  };
  for (const StripCase& c : cases) {
    SCOPED_TRACE("text: \"" + Escaped(c.text) + "\"");
    EXPECT_EQ(StripBlanks(c.text), c.expected);
  }
}

TEST(CharacterCounting, TwoByteCharactersCountOnce) {
  struct Case {
    std::string_view text;
    int expected;
  };
  const Case cases[] = {
      {"", 0},
      {"abc", 3},
      {"\x82\xa0\x41", 2},
      {"\x41\x80\x41", 2},
      {"\x81", 1},
      {"a\x82", 2},
      {"\x82\x82\x82", 2},
      {"\x9f\x41", 1},
      {"\xe0\x41", 1},
      {"\xfd\x41", 1},
      {"\xfe\x41", 2},
      {"\xff\x41", 2},
      {"\xa0\x41", 2},
      {"\xdf\x41", 2},
      {"\x7f\x41", 2},
      {std::string_view("\x82\0", 2), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("text: \"" + Escaped(c.text) + "\"");
    EXPECT_EQ(CharCount(c.text), c.expected);
  }
}

TEST(CharacterSlicing, CutsByCharacterPosition) {
  // Three characters: a two-byte one, "A", another two-byte one.
  const std::string_view three = "\x82\xa0" "A" "\x82\xa2";
  struct Case {
    std::string_view text;
    int first;
    int count;
    std::string_view expected;
  };
  const Case cases[] = {
      {three, 2, 1, "A"},
      {three, 4, 1, ""},
      {three, 3, 5, "\x82\xa2"},
      {three, 1, 0, ""},
      {three, 0, 2, "\x82\xa0"},
      {three, 1, 3, three},
      {three, 1, 2, "\x82\xa0" "A"},
      {three, 3, 1, "\x82\xa2"},
      {three, 2, -1, ""},
      {three, -1, 3, "\x82\xa0"},
      {three, -1, 2, ""},
      {three, -5, 3, ""},
      {three, 2, INT_MAX, "A\x82\xa2"},
      {three, 1, INT_MAX, three},
      {three, INT_MAX, 1, ""},
      {three, INT_MAX, INT_MAX, ""},
      {three, INT_MIN, INT_MAX, ""},
      {three, INT_MIN, 1, ""},
      {"", 1, 1, ""},
      {"", 0, 1, ""},
      // A lead byte at the very end is a character by itself.
      {"A\x82", 2, 1, "\x82"},
      {"A\x82", 1, 5, "A\x82"},
      {"\x82\x82\x82", 2, 1, "\x82"},
      // Bytes that are not lead bytes in the counting set.
      {"\xfe\x41\xfd\x41", 2, 2, "\x41\xfd\x41"},
      {"\x80\x41\x42", 2, 1, "\x42"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("text: \"" + Escaped(c.text) + "\" first " + std::to_string(c.first) +
                 " count " + std::to_string(c.count));
    EXPECT_EQ(CopyChars(c.text, c.first, c.count), c.expected);
  }
}

}  // namespace
