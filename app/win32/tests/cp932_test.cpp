#include "app/win32/cp932.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace rupena::win32 {
namespace {

std::string Hex(const std::string& bytes) {
  std::string out;
  for (const char byte : bytes) {
    char buffer[4];
    std::snprintf(buffer, sizeof buffer, "%02X", static_cast<unsigned char>(byte));
    out += buffer;
  }
  return out;
}

TEST(Cp932Conversion, KnownCharactersBothWays) {
  struct Case {
    const char* name;
    std::string bytes;
    std::wstring text;
  };
  // Literals are split where a hex escape is followed by a hex digit.
  const Case cases[] = {
      {"empty", "", L""},
      {"ascii digits", "1.5", L"1.5"},
      {"0x5C is a backslash, not a yen sign", "\x5c", L"\\"},
      {"0x7E is a tilde", "\x7e", L"~"},
      {"half-width katakana", "\xb1", L"\xff71"},
      {"hiragana", "\x82\xa0", L"\x3042"},
      {"full-width space", "\x81\x40", L"\x3000"},
      {"trail byte 0x5C: so", "\x83\x5c", L"\x30bd"},
      {"trail byte 0x5C: hyou", "\x95\x5c", L"\x8868"},
      {"trail byte 0x5C: nou", "\x94\x5c", L"\x80fd"},
      {"NEC row 13: circled one", "\x87\x40", L"\x2460"},
      {"NEC row 13: square metre", "\x87\x75", L"\x33a1"},
      {"mixed widths", "A\x83\x5c" "B\x81\x40", L"A\x30bd" L"B\x3000"},
      {"font name", "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e", L"\xff2d\xff33 \x30b4\x30b7\x30c3\x30af"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Cp932ToWide(c.bytes), c.text);
    EXPECT_EQ(Cp932ToWideExact(c.bytes), c.text);
    EXPECT_EQ(WideToCp932(c.text), c.bytes);
    EXPECT_EQ(WideToCp932Exact(c.text), c.bytes);
  }
}

// Codes outside the ranges below never appear as a mismatch: CP932 gives each
// of its characters one preferred code, and only these duplicates differ.
bool IsDuplicateCode(unsigned code) {
  return (code >= 0x8790 && code <= 0x879C) ||  // NEC row 13 copies of JIS symbols
         (code >= 0xED40 && code <= 0xEEFC) ||  // NEC-selected copies of IBM extensions
         (code >= 0xFA4A && code <= 0xFA5B);    // IBM copies of NEC row 13 and JIS symbols
}

TEST(Cp932RoundTrip, EveryMappedDoubleByteCode) {
  int mapped = 0;
  int duplicates = 0;
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead > 0x9F && lead < 0xE0) {
      continue;
    }
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) {
        continue;
      }
      const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
      const auto text = Cp932ToWideExact(bytes);
      if (!text) {
        continue;
      }
      SCOPED_TRACE(Hex(bytes));
      ++mapped;
      ASSERT_EQ(text->size(), 1u);
      const auto back = WideToCp932Exact(*text);
      ASSERT_TRUE(back.has_value());
      // Text always survives; bytes only where the code is the preferred one.
      EXPECT_EQ(Cp932ToWideExact(*back), text);
      if (*back != bytes) {
        ++duplicates;
        EXPECT_TRUE(IsDuplicateCode(lead << 8 | trail)) << "re-encoded as " << Hex(*back);
      }
    }
  }
  // JIS X 0208 (6879), NEC row 13 (83), NEC-selected (374) and IBM (388)
  // extensions; the user-defined area may add more.
  EXPECT_GE(mapped, 7724);
  EXPECT_GT(duplicates, 0);
}

TEST(Cp932RoundTrip, DuplicateCodesComeBackAsThePreferredOne) {
  struct Case {
    std::string duplicate;
    std::string preferred;
  };
  const Case cases[] = {
      {"\x87\x90", "\x81\xe0"},  // approximately equal: NEC row 13 -> JIS
      {"\xed\x40", "\xfa\x5c"},  // NEC-selected -> IBM, whose trail byte is 0x5C
      {"\xfa\x54", "\x81\xca"},  // IBM not sign -> JIS
      {"\xfa\x4a", "\x87\x54"},  // IBM Roman numeral one -> NEC row 13
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Hex(c.duplicate));
    EXPECT_EQ(WideToCp932(Cp932ToWide(c.duplicate)), c.preferred);
  }
}

TEST(Cp932Conversion, InvalidBytesAreReportedOrReplaced) {
  const std::string cases[] = {
      "A\x83",      // lead byte at the very end
      "A\x83\x0a",  // lead byte before a control character
      "A\x85\x40",  // unassigned code
  };
  for (const std::string& bytes : cases) {
    SCOPED_TRACE(Hex(bytes));
    EXPECT_FALSE(Cp932ToWideExact(bytes).has_value());
    const std::wstring shown = Cp932ToWide(bytes);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), L'A');
  }
}

TEST(Cp932Conversion, CharactersWithoutACodeBecomeQuestionMarks) {
  struct Case {
    const char* name;
    std::wstring text;
  };
  const Case cases[] = {
      {"euro sign", L"\x20ac"},
      {"yen sign would best-fit to 0x5C", L"\x00a5"},
      {"e acute would best-fit to e", L"\x00e9"},
      {"lone high surrogate", std::wstring(1, static_cast<wchar_t>(0xD800))},
      {"emoji outside the BMP", L"\xd83d\xde00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(WideToCp932Exact(c.text).has_value());
    const std::string bytes = WideToCp932(c.text);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.find_first_not_of('?'), std::string::npos) << Hex(bytes);
  }
}

}  // namespace
}  // namespace rupena::win32
