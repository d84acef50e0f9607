#include "exchange/line_source.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>


namespace rupena::exchange {
namespace {

using Lines = std::vector<std::string>;

Lines Take(LineSource& source) {
  Lines lines;
  std::string_view line;
  while (source.Next(line)) lines.emplace_back(line);
  EXPECT_FALSE(source.Next(line));  // an ended input stays ended
  return lines;
}

Lines FromMemory(std::string_view bytes) {
  LineSource source(bytes);
  return Take(source);
}

Lines FromStream(const std::string& bytes, std::size_t chunk) {
  std::stringbuf in(bytes);
  LineSource source(in, chunk);
  return Take(source);
}

// The format's line splitting, one physical line at a time: CRs out first,
// then the Ctrl-Z rules.
Lines ReferenceLines(std::string_view data) {
  Lines lines;
  std::size_t pos = 0;
  while (pos < data.size()) {
    std::size_t end = data.find('\n', pos);
    if (end == std::string_view::npos) end = data.size();
    std::string line;
    for (const char c : data.substr(pos, end - pos)) {
      if (c != '\r') line.push_back(c);
    }
    pos = end + 1;
    const std::size_t z = line.find('\x1a');
    if (z == 0) break;
    lines.push_back(line.substr(0, z));
    if (z != std::string::npos && line.find('\x1a', z + 1) != std::string::npos) break;
  }
  return lines;
}

// Each case from memory and from a stream read in chunks of every size up
// to past its length, so that each chunk edge falls on every byte once.
TEST(LineSplitting, LineEndsAndCtrlZ) {
  struct Case {
    const char* name;
    std::string bytes;
    Lines lines;
  };
  const Case cases[] = {
      {"empty input", "", {}},
      {"LF", "a\nb\n", {"a", "b"}},
      {"CR LF", "a\r\nb\r\n", {"a", "b"}},
      {"last line without line end", "a\r\nb", {"a", "b"}},
      {"last line a lone CR", "a\n\r", {"a", ""}},
      {"CR alone is dropped", "a\rb\r\nc\r", {"ab", "c"}},
      {"CR CR LF", "a\r\r\nb", {"a", "b"}},
      {"empty and blank lines", "\n\r\n  \na\n\n", {"", "", "  ", "a", ""}},
      {"lone CR before a lead byte", "\x82\r\x82\xa0\n", {"\x82\x82\xa0"}},
      {"lead byte before CR LF", "a\x82\r\n\x82\xa0", {"a\x82", "\x82\xa0"}},
      {"lone CR early in a long line", "BL 0\r 0 abcdefghijklmnopqrstuvwxyz\n", {"BL 0 0 abcdefghijklmnopqrstuvwxyz"}},
      {"Ctrl-Z at a line start ends the input", "a\r\n\x1a" "b\r\n", {"a"}},
      {"Ctrl-Z after CRs at a line start ends the input", "a\n\r\r\x1a" "b\n", {"a"}},
      {"Ctrl-Z as the first byte", "\x1a" "a\n", {}},
      {"Ctrl-Z as the last byte", "a\r\n\x1a", {"a"}},
      {"Ctrl-Z inside a line ends the line", "a\x1a" "x\r\nb\r\n", {"a", "b"}},
      {"Ctrl-Z late in a long line", "BL 0 0 abcdefghijklmnopqrstuvwxyz\x1a" "nop\nb", {"BL 0 0 abcdefghijklmnopqrstuvwxyz", "b"}},
      {"second Ctrl-Z in the rest ends the input", "a\x1az\x1a\r\nb\r\n", {"a"}},
      {"Ctrl-Z in the last line", "a\nb\x1a" "c", {"a", "b"}},
      {"a NUL is an ordinary byte", std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReferenceLines(c.bytes), c.lines);
    EXPECT_EQ(FromMemory(c.bytes), c.lines);
    for (std::size_t chunk = 1; chunk <= c.bytes.size() + 1; ++chunk) {
      ASSERT_EQ(FromStream(c.bytes, chunk), c.lines) << "chunk " << chunk;
    }
  }
}

// Host-like files whose lines hold lone CRs, CR LFs, lead bytes and now and
// then a Ctrl-Z at every distance from each other; from memory and from
// streams of odd chunk sizes, against the reference.
TEST(LineSplitting, RandomFilesFollowTheRules) {
  std::mt19937 rng(20240612);
  const std::string_view pieces[] = {"a", "bcdefgh", " ", "\x82\xa0", "\x82", "\r", "\r", "\n",
                                     "\r\n", "\r\n", "ch 1 2 3 4 \"", std::string_view("\0", 1)};
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE(round);
    std::string bytes;
    const std::size_t size = round % 10 == 0 ? 20000 : rng() % 600;
    while (bytes.size() < size) {
      bytes += pieces[rng() % std::size(pieces)];
      if (round % 4 == 0 && rng() % 300 == 0) bytes += rng() % 2 ? "z\x1a" : "\x1a";
    }
    const Lines want = ReferenceLines(bytes);
    ASSERT_EQ(FromMemory(bytes), want);
    const std::size_t chunk = 1 + rng() % 100;
    ASSERT_EQ(FromStream(bytes, chunk), want) << "chunk " << chunk;
  }
}

// A line far longer than the chunk grows the buffer; the lines after it are
// read as before.
TEST(LineSplitting, LinesLongerThanTheChunk) {
  const std::string longLine(100000, 'x');
  const std::string bytes = "a\r\n" + longLine + "\r\nb\nc" + longLine + "\r\x1a" "d\ne";
  const Lines want = {"a", longLine, "b", "c" + longLine, "e"};
  EXPECT_EQ(FromStream(bytes, 16), want);
  EXPECT_EQ(FromStream(bytes, 4096), want);
}

TEST(LineSplitting, BytesReadAndCtrlZ) {
  struct Case {
    std::string bytes;
    bool endedByCtrlZ;
  };
  const Case cases[] = {{"a\nb\n", false}, {"a\n\x1a" "b\n", true}, {"a\x1a\x1a\nb", true},
                        {"a\x1a\nb", false}, {"", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    std::stringbuf in(c.bytes);
    LineSource stream(in, 1);
    Take(stream);
    EXPECT_EQ(stream.EndedByCtrlZ(), c.endedByCtrlZ);
    // Read one byte at a time, the stream stops where its input ended.
    EXPECT_LE(stream.BytesRead(), c.bytes.size());
    if (!c.endedByCtrlZ) {
      EXPECT_EQ(stream.BytesRead(), c.bytes.size());
    }

    LineSource memory(c.bytes);
    Take(memory);
    EXPECT_EQ(memory.EndedByCtrlZ(), c.endedByCtrlZ);
    EXPECT_EQ(memory.BytesRead(), c.bytes.size());
  }
}

}  // namespace
}  // namespace rupena::exchange
