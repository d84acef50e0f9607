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

#include "exchange/drawing_model.h"
#include "exchange/exchange_reader.h"

#if defined(__unix__)
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

using namespace JwwGaibu;
namespace fs = std::filesystem;

TJwwModel Model;

std::vector<std::string> Lines() {
  std::vector<std::string> out;
  for (std::int32_t i = 0; i < Model.OutputLines.Count(); ++i) {
    out.push_back(Model.OutputLines[static_cast<std::size_t>(i)]);
  }
  return out;
}

// A model as the window has it when OK runs: loaded (here: nothing) and
// prepared for output.
void Prepared() {
  ResetModel(Model);
  PrepareOutputState(Model);
}

struct EmitCase {
  const char* name;
  std::function<void()> setup;  // runs after Prepared()
  std::function<void()> emit;
  std::vector<std::string> expected;
  friend void PrintTo(const EmitCase& c, std::ostream* os) { *os << c.name; }
};

class Emit : public ::testing::TestWithParam<EmitCase> {};

TEST_P(Emit, WritesExactlyTheseLines) {
  const EmitCase& c = GetParam();
  Prepared();
  if (c.setup) c.setup();
  c.emit();
  EXPECT_EQ(Lines(), c.expected);
}

const std::string kDefaultFontLine = "cn\"$" + std::string(kDefaultFontName);

INSTANTIATE_TEST_SUITE_P(
    Writer, Emit,
    ::testing::Values(
        EmitCase{"LayerPairRepeatedIsSuppressed", nullptr,
                 [] {
                   EmitLayerGroup(Model, 3);
                   EmitLayer(Model, 1);
                   EmitLayerGroup(Model, 3);
                   EmitLayer(Model, 1);
                 },
                 {"lg3", "ly1"}},
        EmitCase{"NewGroupForcesTheLayerAgain", nullptr,
                 [] {
                   EmitLayerGroup(Model, 3);
                   EmitLayer(Model, 1);
                   EmitLayerGroup(Model, 4);
                   EmitLayer(Model, 1);
                 },
                 {"lg3", "ly1", "lg4", "ly1"}},
        EmitCase{"HexadecimalLayersAndNegativeGroup", nullptr,
                 [] {
                   EmitLayerGroup(Model, -1);
                   EmitLayer(Model, 10);
                   EmitLayer(Model, 15);
                   EmitLayer(Model, 16);
                 },
                 {"lgFFFFFFFF", "lyA", "lyF", "ly10"}},
        EmitCase{"FirstRequestIsWrittenEvenAtTheDefault", nullptr,
                 [] {
                   EmitLineColor(Model, 1, 0);
                   EmitLineColor(Model, 1, 0);
                   EmitPointColor(Model, 1, 0);
                   EmitLineType(Model, 1, 0);
                   EmitCharStyle(Model, 0);
                   EmitCharStyle(Model, 0);
                 },
                 {"lc1", "pn1", "lt1", "cc0"}},
        EmitCase{"PointColorHasItsOwnMemory", nullptr,
                 [] {
                   EmitLineColor(Model, 5, 0);
                   EmitPointColor(Model, 5, 0);
                   EmitPointColor(Model, 6, 0);
                   EmitLineColor(Model, 5, 0);
                 },
                 {"lc5", "pn5", "pn6"}},
        EmitCase{"MappedColoursAndLineTypes",
                 [] {
                   Model.FirstAttr.LineColor = 7;
                   Model.FirstAttr.LineType = 4;
                 },
                 [] {
                   EmitLineColor(Model, 10, 1);
                   EmitLineColor(Model, 0, 1);
                   EmitPointColor(Model, -5, 1);
                   EmitLineType(Model, 10, 1);
                   EmitLineType(Model, 19, 1);
                   EmitLineType(Model, 0, 1);
                   EmitLineType(Model, 10, 0);
                 },
                 {"lc101", "lc7", "pn7", "lt11", "lt31", "lt4", "lt10"}},
        EmitCase{"LineWidthNeedsAWidthInTheHostFile", nullptr,
                 [] {
                   EmitLineWidth(Model, 1);
                   EmitLineWidth(Model, -1);
                 },
                 {}},
        EmitCase{"LineWidthClampsAndFallsBack",
                 [] {
                   Model.LineWidthSeen = true;
                   Model.FirstAttr.LineWidth = 3;
                 },
                 [] {
                   EmitLineWidth(Model, 30001);
                   EmitLineWidth(Model, -1);
                   EmitLineWidth(Model, -1);
                   EmitLineWidth(Model, -2);
                   EmitLineWidth(Model, 30000);
                 },
                 {"lw0", "lw3", "lw0", "lw30000"}},
        EmitCase{"CharStyleOutOfRangeIsZero", nullptr,
                 [] {
                   EmitCharStyle(Model, 9);
                   EmitCharStyle(Model, -1);
                   EmitCharStyle(Model, 8);
                 },
                 {"cc0", "cc8"}},
        EmitCase{"FreeSizeIsWrittenThenComparedByValue", nullptr,
                 [] {
                   EmitTextType(Model, 0, 1, 0, 2, 2, 0);
                   EmitTextType(Model, 0, 1, 0, 2, 2, 0);
                   EmitTextType(Model, 0, 1, 0, 2.5, 2, 0);
                   EmitTextType(Model, 0, 3, 0, 2.5, 2, 0);
                 },
                 {"cn0 2 2 0 1", "cn0 2.5 2 0 1", "cn0 2.5 2 0 3"}},
        EmitCase{"TypeChangeRewritesTheSameFreeSize", nullptr,
                 [] {
                   EmitTextType(Model, 0, 1, 0, 4, 5, 0.5);
                   EmitTextType(Model, 3, 9, 0, 7, 7, 7);
                   EmitTextType(Model, 3, 1, 0, 1, 1, 1);
                   EmitTextType(Model, 0, 1, 0, 4, 5, 0.5);
                 },
                 {"cn0 4 5 0.5 1", "cn3", "cn0 4 5 0.5 1"}},
        EmitCase{"TypeOutOfRangeTakesTheFirstFreeSize",
                 [] {
                   Model.FirstAttr.TextType = 0;
                   Model.FirstAttr.FreeWidth = 1.25;
                   Model.FirstAttr.FreeHeight = 3;
                   Model.FirstAttr.FreeSpacing = 0.1;
                   Model.FirstAttr.FreeColor = 6;
                 },
                 [] { EmitTextType(Model, 11, 1, 0, 9, 9, 9); },
                 {"cn0 1.25 3 0.1 6"}},
        EmitCase{"TypeOutOfRangeTakesTheFirstType",
                 [] { Model.FirstAttr.TextType = 4; },
                 [] {
                   EmitTextType(Model, -1, 1, 0, 9, 9, 9);
                   EmitTextType(Model, 4, 1, 0, 9, 9, 9);
                 },
                 {"cn4"}},
        EmitCase{"FreeSizeColourMapped", nullptr, [] { EmitTextType(Model, 0, 12, 1, 2, 2, 0); },
                 {"cn0 2 2 0 103"}},
        EmitCase{"DefaultFontIsWrittenOnceThenSuppressed", nullptr,
                 [] {
                   EmitFontName(Model, kDefaultFontName);
                   EmitFontName(Model, kDefaultFontName);
                 },
                 {kDefaultFontLine}},
        EmitCase{"EmptyFontNameMeansTheFirstOne", nullptr,
                 [] {
                   EmitFontName(Model, kDefaultFontName);
                   EmitFontName(Model, "");
                   EmitFontName(Model, "<>");
                 },
                 {kDefaultFontLine, "cn\"$"}},
        EmitCase{"FontNamesWithBlanksKeepThem",
                 [] { Model.FirstAttr.FontName = "<first>"; },
                 [] {
                   EmitFontName(Model, "<>");
                   EmitFontName(Model, "<a b>");
                 },
                 {"cn\"$<first>", "cn\"$<a b>"}},
        EmitCase{"ZFlagsInOrderAndZ4YieldsToZ5", nullptr,
                 [] {
                   EmitZFlags(Model, 31);
                   EmitZFlags(Model, 8);
                   EmitZFlags(Model, 24);
                   EmitZFlags(Model, 0);
                   EmitZFlags(Model, 8);
                 },
                 {"z1", "z2", "z3", "z5", "z4", "z5", "z4"}},
        EmitCase{"TextKindsAndUnknownKinds", nullptr,
                 [] {
                   EmitText(Model, 0, "A", 10, 20.5, 1, 0);
                   EmitText(Model, 9, "B", -1, 0.25, 0, 1);
                   EmitText(Model, 10, "C", 0, 0, 1, 0);
                   EmitText(Model, -3, "D", 0, 0, 1, 0);
                 },
                 {"ch 10 20.5 1 0 \"", "A", "c2 -1 0.25 0 1 \"", "B", "ch 0 0 1 0 \"", "C",
                  "ch 0 0 1 0 \"", "D"}},
        EmitCase{"BlankTextsAndZeroVectorsWriteNothing", nullptr,
                 [] {
                   EmitText(Model, 0, " ", 0, 0, 1, 0);
                   EmitText(Model, 0, "\x81\x40", 0, 0, 1, 0);
                   EmitText(Model, 0, "\t", 0, 0, 1, 0);
                   EmitText(Model, 0, "", 0, 0, 1, 0);
                   EmitText(Model, 0, "A", 0, 0, 0, 0);
                   EmitText(Model, 0, "A", 0, 0, 9e-9, -9e-9);
                   EmitText(Model, 0, "B", 0, 0, 1e-8, 0);
                   EmitText(Model, 0, "C", 0, 0, 0, -1e-8);
                 },
                 {"ch 0 0 1E-8 0 \"", "B", "ch 0 0 0 -1E-8 \"", "C"}},
        EmitCase{"PlainLineBeginsWithABlank", nullptr,
                 [] { EmitPlainLine(Model, -5000, 0.25, 1e-5, 1.0 / 3); },
                 {" -5000 0.25 1E-5 0.333333333333333"}},
        EmitCase{"TextIsWrittenUnstripped", nullptr,
                 [] { EmitText(Model, 1, " \x83\x5c ", 0, 0, 0, 1); },
                 {"cv 0 0 0 1 \"", " \x83\x5c "}},
        EmitCase{"LinesAreCutAt255Bytes", nullptr,
                 [] {
                   AddOutputLine(Model, std::string(254, 'a') + "\x82\xa0");
                   EmitText(Model, 0, std::string(300, 'b'), 0, 0, 1, 0);
                 },
                 {std::string(254, 'a') + "\x82", "ch 0 0 1 0 \"", std::string(255, 'b')}}),
    [](const ::testing::TestParamInfo<EmitCase>& p) { return p.param.name; });

struct JoinCase {
  const char* name;
  std::vector<std::string> lines;
  std::string bytes;
};

TEST(FileBytes, JoinsTextCommandsAndEndsLinesWithCrLf) {
  const JoinCase cases[] = {
      {"empty list", {}, "hq\r\n"},
      {"plain lines", {"hd", "lg0"}, "hd\r\nlg0\r\n"},
      {"text pair", {"hd", "ch 0 0 1 0 \"", "A"}, "hd\r\nch 0 0 1 0 \"A\r\n"},
      {"last line ends in a quote", {"hd", "ch 0 0 1 0 \""}, "hd\r\nch 0 0 1 0 \""},
      {"text that is a quote is not joined again",
       {"ch 0 0 1 0 \"", "\"", "lg1"},
       "ch 0 0 1 0 \"\"\r\nlg1\r\n"},
      {"empty line", {"", "hd"}, "\r\nhd\r\n"},
      {"font line ending in a quote stays a line",
       {"cn\"$<A\"", "ch 0 0 1 0 \"", "B"},
       "cn\"$<A\"\r\nch 0 0 1 0 \"B\r\n"},
      {"font line ending in a quote, last", {"hd", "cn\"$\""}, "hd\r\ncn\"$\"\r\n"},
  };
  for (const JoinCase& c : cases) {
    SCOPED_TRACE(c.name);
    ResetModel(Model);
    for (const std::string& l : c.lines) AddOutputLine(Model, l);
    EXPECT_EQ(ExchangeFileBytes(Model), c.bytes);
  }
}

// A font name may end in a quote (after cn"$ the quote has stopped
// splitting). What OK writes with such a font must read back as written: the
// font whole, and the text after it.
TEST(FileBytes, FontNameEndingInAQuoteReadsBack) {
  const std::string font = "<\x82\x6c\x82\x72 A\"";
  ResetModel(Model);
  PrepareOutputState(Model);
  EmitFontName(Model, font);
  EmitText(Model, 2, "B", 1, 2, 1, 0);
  EmitFontName(Model, "<C>");
  EmitText(Model, 0, "\"", 3, 4, 0, 1);

  TJwwModel back;
  ResetModel(back);
  ASSERT_TRUE(LoadExchangeBytes(back, ExchangeFileBytes(Model)));
  ASSERT_EQ(back.Texts.Count(), 2);
  EXPECT_EQ(back.Texts[0].FontName, font);
  EXPECT_EQ(back.Texts[0].Text, "B");
  EXPECT_EQ(back.Texts[0].TextKind, 2);
  EXPECT_EQ(back.Texts[1].FontName, "<C>");
  EXPECT_EQ(back.Texts[1].Text, "\"");
  EXPECT_EQ(back.CurAttr.FontName, "<C>");
}

TEST(FileBytes, BlockGrowthKeepsEveryLine) {
  ResetModel(Model);
  for (int i = 0; i < 2500; ++i) AddOutputLine(Model, "z" + std::to_string(i));
  EXPECT_EQ(Model.OutputLines.Capacity(), 3000u);
  const std::string bytes = ExchangeFileBytes(Model);
  EXPECT_EQ(bytes.substr(0, 8), "z0\r\nz1\r\n");
  EXPECT_NE(bytes.find("\r\nz2499\r\n"), std::string::npos);
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
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    ResetModel(Model);
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
};

TEST_F(WriteFile, ReplacesTheFileWithTheOutput) {
  const fs::path file = dir_ / "JWC_TEMP.TXT";
  WriteAll(file, "hq\r\nch 0 0 1 0 \"old text that is longer\r\n");
  AddOutputLine(Model, "hd");
  EmitText(Model, 0, "\x83\x5c", 1, 2, 3, 4);
  ASSERT_TRUE(WriteExchangeFile(Model, file));
  EXPECT_EQ(ReadAll(file), "hd\r\nch 1 2 3 4 \"\x83\x5c\r\n");
  EXPECT_EQ(Entries(), std::vector<std::string>{"JWC_TEMP.TXT"});
  // the list stays, so a second write gives the same bytes
  ASSERT_TRUE(WriteExchangeFile(Model, file));
  EXPECT_EQ(ReadAll(file), "hd\r\nch 1 2 3 4 \"\x83\x5c\r\n");
}

TEST_F(WriteFile, EmptyListWritesHq) {
  const fs::path file = dir_ / "JWC_TEMP.TXT";
  ASSERT_TRUE(WriteExchangeFile(Model, file));
  EXPECT_EQ(ReadAll(file), "hq\r\n");
}

TEST_F(WriteFile, MissingFolderFailsAndCreatesNothing) {
  AddOutputLine(Model, "hd");
  EXPECT_FALSE(WriteExchangeFile(Model, dir_ / "no such folder" / "JWC_TEMP.TXT"));
  EXPECT_TRUE(Entries().empty());
}

TEST_F(WriteFile, DirectoryInTheWayFailsAndStays) {
  fs::create_directory(dir_ / "JWC_TEMP.TXT");
  AddOutputLine(Model, "hd");
  EXPECT_FALSE(WriteExchangeFile(Model, dir_ / "JWC_TEMP.TXT"));
  EXPECT_TRUE(fs::is_directory(dir_ / "JWC_TEMP.TXT"));
  EXPECT_EQ(Entries(), std::vector<std::string>{"JWC_TEMP.TXT"});
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
  chmod(file.c_str(), 0444);
  AddOutputLine(Model, "hd");
  const int code = InChild([&] { return WriteExchangeFile(Model, file) ? 1 : 0; }, true);
  chmod(dir_.c_str(), 0755);
  EXPECT_EQ(code, 0) << "the write should have failed";
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
    ResetModel(Model);
    for (int i = 0; i < 5000; ++i) AddOutputLine(Model, "ch 123.456 789.012 1 0 \"");
    const int code = InChild(
        [&] {
          signal(SIGXFSZ, SIG_IGN);
          const rlimit limit{4096, 4096};
          if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 97;
          return WriteExchangeFile(Model, file) ? 1 : 0;
        },
        false);
    EXPECT_EQ(code, 0) << "the write should have failed";
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
