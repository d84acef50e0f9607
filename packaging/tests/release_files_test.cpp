#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::string ReadAll(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> CrLfLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(bytes.substr(start, end - start));
  }
  EXPECT_EQ(start, bytes.size()) << "the last line has no CR LF";
  return lines;
}

// Every CR belongs to a CR LF, every LF follows a CR.
void ExpectOnlyCrLf(const std::string& bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r') {
      EXPECT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << "lone CR at " << i;
    } else if (bytes[i] == '\n') {
      EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << "lone LF at " << i;
    }
  }
}

// CP932: single bytes up to 0x7F and half-width katakana 0xA1..0xDF; lead
// bytes 0x81..0x9F, 0xE0..0xFC followed by a trail byte 0x40..0x7E, 0x80..0xFC.
// UTF-8 Japanese text fails this at once (0xE3 0x81 0x82 has no valid pair
// after the first two bytes), and so does a byte-order mark.
void ExpectCp932(const std::string& bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80 || (b >= 0xA1 && b <= 0xDF)) continue;
    const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    ASSERT_TRUE(lead) << "byte " << int{b} << " at " << i << " cannot start a character";
    ASSERT_LT(i + 1, bytes.size()) << "lead byte at the end";
    const auto t = static_cast<unsigned char>(bytes[++i]);
    ASSERT_TRUE((t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFC))
        << "bad trail byte " << int{t} << " at " << i;
  }
}

const std::string kProductName = "\x83\x8b\x83\x79\x83\x69";  // ルペナ

TEST(Launcher, IsCp932WithCrLf) {
  const std::string bytes = ReadAll(RUPENA_LAUNCHER);
  ASSERT_FALSE(bytes.empty());
  EXPECT_NE(bytes.substr(0, 3), "\xef\xbb\xbf");
  ExpectOnlyCrLf(bytes);
  ExpectCp932(bytes);
}

TEST(Launcher, NamesItselfThenHoldsEveryDirective) {
  const std::vector<std::string> lines = CrLfLines(ReadAll(RUPENA_LAUNCHER));
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0].substr(0, 4), "REM ");
  EXPECT_NE(lines[0].find(kProductName), std::string::npos);
  EXPECT_EQ(lines[1], "@echo off");

  const std::vector<std::string> directives = {"#jww", "#cd", "#h3", "#hc", "#bz",
                                               "#zz",  "#zw", "#zc", "#e"};
  std::vector<std::string> seen;
  std::size_t h3 = 0, hc = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto hash = lines[i].find('#');
    if (hash == std::string::npos || lines[i].rfind("REM ", 0) != 0) continue;
    SCOPED_TRACE(lines[i]);
    EXPECT_LT(hash, 10u) << "the host looks for '#' in the first 10 bytes only";
    const std::string word = lines[i].substr(hash, lines[i].find(' ', hash) - hash);
    seen.push_back(word);
    if (word == "#h3") h3 = i;
    if (word == "#hc") {
      hc = i;
      EXPECT_GT(lines[i].size(), hash + 4) << "#hc needs its prompt";
    }
  }
  for (const std::string& d : directives) {
    EXPECT_NE(std::find(seen.begin(), seen.end(), d), seen.end()) << d << " is missing";
  }
  EXPECT_EQ(hc, h3 + 1) << "the prompt line follows the selection line";
  EXPECT_EQ(seen.back(), "#e") << "#e ends the directives";
}

TEST(Launcher, StartsTheBuiltExecutableAndWaitsForIt) {
  const std::vector<std::string> lines = CrLfLines(ReadAll(RUPENA_LAUNCHER));
  auto run = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
    return l.find(RUPENA_EXE_NAME) != std::string::npos;
  });
  ASSERT_NE(run, lines.end()) << "no line starts " << RUPENA_EXE_NAME;
  EXPECT_EQ(run->rfind("REM", 0), std::string::npos);
  // a plain "start" would return at once and the host would read the file
  // back before the tool has written it
  const bool plainStart = run->rfind("start ", 0) == 0 && run->find("/w") == std::string::npos;
  EXPECT_FALSE(plainStart);
  // from the launcher's own folder, wherever the host runs it from
  EXPECT_NE(run->find("%~dp0"), std::string::npos);
}

TEST(Guide, IsCp932WithCrLfAndNamesVersionAndLicense) {
  const std::string bytes = ReadAll(RUPENA_GUIDE);
  ASSERT_GT(bytes.size(), 500u);
  ExpectOnlyCrLf(bytes);
  ExpectCp932(bytes);
  EXPECT_NE(bytes.find(kProductName), std::string::npos);
  EXPECT_NE(bytes.find(RUPENA_VERSION), std::string::npos);
  EXPECT_NE(bytes.find("MIT"), std::string::npos);
  EXPECT_NE(bytes.find("LICENSE.txt"), std::string::npos);
  EXPECT_NE(bytes.find(RUPENA_EXE_NAME), std::string::npos);
  EXPECT_EQ(bytes.find("@PROJECT_VERSION@"), std::string::npos);
}

}  // namespace
