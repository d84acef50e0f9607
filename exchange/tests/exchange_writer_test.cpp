#include "exchange/exchange_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "exchange/drawing.h"
#include "exchange/exchange_reader.h"

#if defined(__unix__)
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

using namespace rupena::exchange;
namespace fs = std::filesystem;

struct EmitCase {
  const char* name;
  std::function<void(Drawing&)> setup;  // what the drawing gives the writer
  std::function<void(ExchangeWriter&)> emit;
  std::vector<std::string> expected;
  friend void PrintTo(const EmitCase& c, std::ostream* os) { *os << c.name; }
};

class Emit : public ::testing::TestWithParam<EmitCase> {};

TEST_P(Emit, WritesExactlyTheseLines) {
  const EmitCase& c = GetParam();
  Drawing drawing;
  if (c.setup) c.setup(drawing);
  ExchangeWriter writer(drawing);
  c.emit(writer);
  EXPECT_EQ(writer.Lines(), c.expected);
}

const std::string kDefaultFontLine = "cn\"$" + std::string(kDefaultFontName);

INSTANTIATE_TEST_SUITE_P(
    Writer, Emit,
    ::testing::Values(
        EmitCase{"LayerPairRepeatedIsSuppressed", nullptr,
                 [](ExchangeWriter& w) {
                   w.EmitLayerGroup(3);
                   w.EmitLayer(1);
                   w.EmitLayerGroup(3);
                   w.EmitLayer(1);
                 },
                 {"lg3", "ly1"}},
        EmitCase{"NewGroupForcesTheLayerAgain", nullptr,
                 [](ExchangeWriter& w) {
                   w.EmitLayerGroup(3);
                   w.EmitLayer(1);
                   w.EmitLayerGroup(4);
                   w.EmitLayer(1);
                 },
                 {"lg3", "ly1", "lg4", "ly1"}},
        EmitCase{"HexadecimalLayersAndNegativeGroup", nullptr,
                 [](ExchangeWriter& w) {
                   w.EmitLayerGroup(-1);
                   w.EmitLayer(10);
                   w.EmitLayer(15);
                   w.EmitLayer(16);
                 },
                 {"lgFFFFFFFF", "lyA", "lyF", "ly10"}},
        EmitCase{"FirstRequestIsWrittenEvenAtTheDefault", nullptr,
                 [](ExchangeWriter& w) {
                   w.EmitLineColor(1);
                   w.EmitLineColor(1);
                   w.EmitPointColor(1);
                   w.EmitLineType(1);
                   w.EmitBasePoint(0);
                   w.EmitBasePoint(0);
                 },
                 {"lc1", "pn1", "lt1", "cc0"}},
        EmitCase{"PointColorHasItsOwnMemory", nullptr,
                 [](ExchangeWriter& w) {
                   w.EmitLineColor(5);
                   w.EmitPointColor(5);
                   w.EmitPointColor(6);
                   w.EmitLineColor(5);
                 },
                 {"lc5", "pn5", "pn6"}},
        EmitCase{"MappedColoursAndLineTypes",
                 [](Drawing& d) {
                   d.firstAttributes.lineColor = 7;
                   d.firstAttributes.lineType = 4;
                 },
                 [](ExchangeWriter& w) {
                   w.EmitLineColor(10, Numbering::kMapped);
                   w.EmitLineColor(0, Numbering::kMapped);
                   w.EmitPointColor(-5, Numbering::kMapped);
                   w.EmitLineType(10, Numbering::kMapped);
                   w.EmitLineType(19, Numbering::kMapped);
                   w.EmitLineType(0, Numbering::kMapped);
                   w.EmitLineType(10);
                 },
                 {"lc101", "lc7", "pn7", "lt11", "lt31", "lt4", "lt10"}},
        EmitCase{"LineWidthNeedsAWidthInTheHostFile", nullptr,
                 [](ExchangeWriter& w) {
                   w.EmitLineWidth(1);
                   w.EmitLineWidth(-1);
                 },
                 {}},
        EmitCase{"LineWidthClampsAndFallsBack",
                 [](Drawing& d) {
                   d.hasLineWidths = true;
                   d.firstAttributes.lineWidth = 3;
                 },
                 [](ExchangeWriter& w) {
                   w.EmitLineWidth(30001);
                   w.EmitLineWidth(-1);
                   w.EmitLineWidth(-1);
                   w.EmitLineWidth(-2);
                   w.EmitLineWidth(30000);
                 },
                 {"lw0", "lw3", "lw0", "lw30000"}},
        EmitCase{"BasePointOutOfRangeIsZero", nullptr,
                 [](ExchangeWriter& w) {
                   w.EmitBasePoint(9);
                   w.EmitBasePoint(-1);
                   w.EmitBasePoint(8);
                 },
                 {"cc0", "cc8"}},
        EmitCase{"FreeSizeIsWrittenThenComparedByValue", nullptr,
                 [](ExchangeWriter& w) {
                   w.EmitTextType(0, 1, 2, 2, 0);
                   w.EmitTextType(0, 1, 2, 2, 0);
                   w.EmitTextType(0, 1, 2.5, 2, 0);
                   w.EmitTextType(0, 3, 2.5, 2, 0);
                 },
                 {"cn0 2 2 0 1", "cn0 2.5 2 0 1", "cn0 2.5 2 0 3"}},
        EmitCase{"TypeChangeRewritesTheSameFreeSize", nullptr,
                 [](ExchangeWriter& w) {
                   w.EmitTextType(0, 1, 4, 5, 0.5);
                   w.EmitTextType(3, 9, 7, 7, 7);
                   w.EmitTextType(3, 1, 1, 1, 1);
                   w.EmitTextType(0, 1, 4, 5, 0.5);
                 },
                 {"cn0 4 5 0.5 1", "cn3", "cn0 4 5 0.5 1"}},
        EmitCase{"TypeOutOfRangeTakesTheFirstFreeSize",
                 [](Drawing& d) {
                   d.firstAttributes.textType = 0;
                   d.firstAttributes.freeWidth = 1.25;
                   d.firstAttributes.freeHeight = 3;
                   d.firstAttributes.freeSpacing = 0.1;
                   d.firstAttributes.freeColor = 6;
                 },
                 [](ExchangeWriter& w) { w.EmitTextType(11, 1, 9, 9, 9); },
                 {"cn0 1.25 3 0.1 6"}},
        EmitCase{"TypeOutOfRangeTakesTheFirstType",
                 [](Drawing& d) { d.firstAttributes.textType = 4; },
                 [](ExchangeWriter& w) {
                   w.EmitTextType(-1, 1, 9, 9, 9);
                   w.EmitTextType(4, 1, 9, 9, 9);
                 },
                 {"cn4"}},
        EmitCase{"FreeSizeColourMapped", nullptr, [](ExchangeWriter& w) { w.EmitTextType(0, 12, 2, 2, 0, Numbering::kMapped); },
                 {"cn0 2 2 0 103"}},
        EmitCase{"DefaultFontIsWrittenOnceThenSuppressed", nullptr,
                 [](ExchangeWriter& w) {
                   w.EmitFontName(kDefaultFontName);
                   w.EmitFontName(kDefaultFontName);
                 },
                 {kDefaultFontLine}},
        EmitCase{"EmptyFontNameMeansTheFirstOne", nullptr,
                 [](ExchangeWriter& w) {
                   w.EmitFontName(kDefaultFontName);
                   w.EmitFontName("");
                   w.EmitFontName("<>");
                 },
                 {kDefaultFontLine, "cn\"$"}},
        EmitCase{"FontNamesWithBlanksKeepThem",
                 [](Drawing& d) { d.firstAttributes.fontName = "<first>"; },
                 [](ExchangeWriter& w) {
                   w.EmitFontName("<>");
                   w.EmitFontName("<a b>");
                 },
                 {"cn\"$<first>", "cn\"$<a b>"}},
        EmitCase{"ZFlagsInOrderAndZ4YieldsToZ5", nullptr,
                 [](ExchangeWriter& w) {
                   w.EmitZFlags(31);
                   w.EmitZFlags(8);
                   w.EmitZFlags(24);
                   w.EmitZFlags(0);
                   w.EmitZFlags(8);
                 },
                 {"z1", "z2", "z3", "z5", "z4", "z5", "z4"}},
        EmitCase{"TextKindsAndUnknownKinds", nullptr,
                 [](ExchangeWriter& w) {
                   w.EmitText(0, "A", 10, 20.5, 1, 0);
                   w.EmitText(9, "B", -1, 0.25, 0, 1);
                   w.EmitText(10, "C", 0, 0, 1, 0);
                   w.EmitText(-3, "D", 0, 0, 1, 0);
                 },
                 {"ch 10 20.5 1 0 \"A", "c2 -1 0.25 0 1 \"B", "ch 0 0 1 0 \"C", "ch 0 0 1 0 \"D"}},
        EmitCase{"BlankTextsAndZeroVectorsWriteNothing", nullptr,
                 [](ExchangeWriter& w) {
                   w.EmitText(0, " ", 0, 0, 1, 0);
                   w.EmitText(0, "\x81\x40", 0, 0, 1, 0);
                   w.EmitText(0, "\t", 0, 0, 1, 0);
                   w.EmitText(0, "", 0, 0, 1, 0);
                   w.EmitText(0, "A", 0, 0, 0, 0);
                   w.EmitText(0, "A", 0, 0, 9e-9, -9e-9);
                   w.EmitText(0, "B", 0, 0, 1e-8, 0);
                   w.EmitText(0, "C", 0, 0, 0, -1e-8);
                 },
                 {"ch 0 0 1E-8 0 \"B", "ch 0 0 0 -1E-8 \"C"}},
        EmitCase{"PlainLineBeginsWithABlank", nullptr,
                 [](ExchangeWriter& w) { w.EmitPlainLine(-5000, 0.25, 1e-5, 1.0 / 3); },
                 {" -5000 0.25 1E-5 0.333333333333333"}},
        EmitCase{"TextIsWrittenUnstripped", nullptr,
                 [](ExchangeWriter& w) { w.EmitText(1, " \x83\x5c ", 0, 0, 0, 1); },
                 {"cv 0 0 0 1 \" \x83\x5c "}},
        EmitCase{"LongLinesAreKeptWhole",
                 [](Drawing& d) { d.firstAttributes.fontName = "<" + std::string(300, 'f') + ">"; },
                 [](ExchangeWriter& w) {
                   w.AddLine(std::string(254, 'a') + "\x82\xa0");
                   w.EmitText(0, std::string(600, 'b'), 0, 0, 1, 0);
                   w.EmitFontName("");
                 },
                 {std::string(254, 'a') + "\x82\xa0", "ch 0 0 1 0 \"" + std::string(600, 'b'),
                  "cn\"$<" + std::string(300, 'f') + ">"}}),
    [](const ::testing::TestParamInfo<EmitCase>& p) { return p.param.name; });

TEST(NumberMapping, ColorsAndLineTypes) {
  FirstAttributes first;
  first.lineColor = 4;
  first.lineType = 6;
  struct Case {
    std::int32_t n, color, lineType;
  };
  const Case cases[] = {
      {INT32_MIN, 4, 6}, {-5, 4, 6},  {0, 4, 6},    {1, 1, 1},    {9, 9, 9},
      {10, 101, 11},     {11, 102, 12}, {18, 109, 19}, {19, 110, 31}, {INT32_MAX, INT32_MAX, INT32_MAX},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.n);
    EXPECT_EQ(MapColorNumber(first, c.n), c.color);
    EXPECT_EQ(MapLineTypeNumber(first, c.n), c.lineType);
  }
}

TEST(FileBytes, EveryLineEndsWithCrLfAndNoLinesIsHq) {
  Drawing drawing;
  ExchangeWriter writer(drawing);
  EXPECT_EQ(writer.FileBytes(), "hq\r\n");
  writer.AddLine("");
  writer.AddLine("hd");
  writer.EmitText(0, "\"", 0, 0, 1, 0);
  EXPECT_EQ(writer.FileBytes(), "\r\nhd\r\nch 0 0 1 0 \"\"\r\n");
}

// A font name may end in a quote (after cn"$ the quote has stopped
// splitting). What OK writes with such a font must read back as written: the
// font whole, and the text after it.
TEST(FileBytes, FontNameEndingInAQuoteReadsBack) {
  const std::string font = "<\x82\x6c\x82\x72 A\"";
  Drawing drawing;
  ExchangeWriter writer(drawing);
  writer.EmitFontName(font);
  writer.EmitText(2, "B", 1, 2, 1, 0);
  writer.EmitFontName("<C>");
  writer.EmitText(0, "\"", 3, 4, 0, 1);

  Drawing back;
  ASSERT_TRUE(LoadExchangeBytes(back, writer.FileBytes()));
  ASSERT_EQ(back.texts.size(), 2u);
  EXPECT_EQ(back.texts[0].fontName, font);
  EXPECT_EQ(back.texts[0].text, "B");
  EXPECT_EQ(back.texts[0].textKind, 2);
  EXPECT_EQ(back.texts[1].fontName, "<C>");
  EXPECT_EQ(back.texts[1].text, "\"");
}

// ---------------------------------------------------------------- files

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}

class WriteFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("rupena_writer_" + std::string(::testing::UnitTest::GetInstance()
                                               ->current_test_info()
                                               ->name()));
    Empty();
  }
  // A read-only file stops Windows from removing the folder: its files are
  // made writable first.
  void Empty() {
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(dir_, ec)) {
      fs::permissions(e.path(), fs::perms::owner_write, fs::perm_options::add, ec);
    }
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(dir_, fs::perms::owner_all, ec);
    fs::remove_all(dir_, ec);
  }
  // Nothing but the named files may be left in the folder.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  fs::path dir_;
  Drawing drawing_;
  ExchangeWriter writer_{drawing_};
};

TEST_F(WriteFile, ReplacesTheFileWithTheOutput) {
  const fs::path file = dir_ / "JWC_TEMP.TXT";
  WriteAll(file, "hq\r\nch 0 0 1 0 \"old text that is longer\r\n");
  writer_.AddLine("hd");
  writer_.EmitText(0, "\x83\x5c", 1, 2, 3, 4);
  ASSERT_FALSE(writer_.WriteFile(file));
  EXPECT_EQ(ReadAll(file), "hd\r\nch 1 2 3 4 \"\x83\x5c\r\n");
  EXPECT_EQ(Entries(), std::vector<std::string>{"JWC_TEMP.TXT"});
  // the lines stay, so a second write gives the same bytes
  ASSERT_FALSE(writer_.WriteFile(file));
  EXPECT_EQ(ReadAll(file), "hd\r\nch 1 2 3 4 \"\x83\x5c\r\n");
}

TEST_F(WriteFile, EmptyListWritesHq) {
  const fs::path file = dir_ / "JWC_TEMP.TXT";
  ASSERT_FALSE(writer_.WriteFile(file));
  EXPECT_EQ(ReadAll(file), "hq\r\n");
}

// Each failure says why, in the system's terms, and leaves the folder as it
// was. A folder in the way is "is a directory" to Linux, "access denied" to
// Windows.
TEST_F(WriteFile, FailuresGiveTheirReasonAndChangeNothing) {
  const fs::path file = dir_ / "JWC_TEMP.TXT";
  const std::vector<std::errc> folderInTheWay = {std::errc::is_a_directory, std::errc::permission_denied};
  struct Case {
    const char* name;
    std::function<void()> setup;
    fs::path target;
    std::vector<std::errc> reasons;
    std::vector<std::string> left;
  } cases[] = {
      {"a missing folder", [] {}, dir_ / "no such folder" / "JWC_TEMP.TXT",
       {std::errc::no_such_file_or_directory}, {}},
      {"a folder named like the file", [&] { fs::create_directory(file); }, file, folderInTheWay,
       {"JWC_TEMP.TXT"}},
      {"a folder named like the temporary file", [&] { fs::create_directory(file.string() + ".~tmp"); },
       file, folderInTheWay, {"JWC_TEMP.TXT.~tmp"}},
      // Windows will not replace a read-only file, and neither do we.
      {"a read-only file",
       [&] {
         WriteAll(file, "hq\r\n");
         fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                         fs::perm_options::remove);
       },
       file, {std::errc::permission_denied}, {"JWC_TEMP.TXT"}},
  };
  writer_.AddLine("hd");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.setup();
    const std::error_code reason = writer_.WriteFile(c.target);
    EXPECT_TRUE(std::any_of(c.reasons.begin(), c.reasons.end(), [&](std::errc r) { return reason == r; }))
        << reason.message();
    EXPECT_EQ(Entries(), c.left);
    if (c.left == std::vector<std::string>{"JWC_TEMP.TXT"} && fs::is_regular_file(file)) {
      EXPECT_EQ(ReadAll(file), "hq\r\n");
    }
    Empty();
  }
}

#if defined(__unix__)
// Runs `body` in a child process and returns its exit code. When asked, a
// root child first becomes an unprivileged user, since root writes anywhere.
int InChild(const std::function<int()>& body, bool unprivileged) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (unprivileged && geteuid() == 0 && setuid(65534) != 0) _exit(99);
    _exit(body());
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}

TEST_F(WriteFile, ReadOnlyFolderFailsAndLeavesTheFile) {
  const fs::path file = dir_ / "JWC_TEMP.TXT";
  const std::string before = "hq\r\nch 0 0 1 0 \"abc\r\n";
  WriteAll(file, before);
  chmod(dir_.c_str(), 0555);
  writer_.AddLine("hd");
  const int code = InChild(
      [&] { return writer_.WriteFile(file) == std::errc::permission_denied ? 0 : 1; }, true);
  chmod(dir_.c_str(), 0755);
  EXPECT_EQ(code, 0) << "the write should have failed for want of permission";
  EXPECT_EQ(ReadAll(file), before);
  EXPECT_EQ(Entries(), std::vector<std::string>{"JWC_TEMP.TXT"});
}

// A file-size limit gives a real short write part-way through the output.
TEST_F(WriteFile, ShortWriteLeavesThePreviousFileByteIdentical) {
  for (const bool existed : {true, false}) {
    SCOPED_TRACE(existed ? "file existed" : "no file before");
    const fs::path file = dir_ / "JWC_TEMP.TXT";
    fs::remove(file);
    const std::string before = "hq\r\nch 0 0 1 0 \"abc\r\n";
    if (existed) WriteAll(file, before);
    ExchangeWriter writer(drawing_);
    for (int i = 0; i < 5000; ++i) writer.EmitText(0, "A", 123.456, 789.012, 1, 0);
    const int code = InChild(
        [&] {
          signal(SIGXFSZ, SIG_IGN);
          const rlimit limit{4096, 4096};
          if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 97;
          return writer.WriteFile(file) == std::errc::file_too_large ? 0 : 1;
        },
        false);
    EXPECT_EQ(code, 0) << "the write should have failed as too large";
    if (existed) {
      EXPECT_EQ(ReadAll(file), before);
      EXPECT_EQ(Entries(), std::vector<std::string>{"JWC_TEMP.TXT"});
    } else {
      EXPECT_TRUE(Entries().empty());
    }
  }
}
#endif

}  // namespace
