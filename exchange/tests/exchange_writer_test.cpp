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
  ResetModel();
  PrepareOutputState();
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
                   EmitLayerGroup(3);
                   EmitLayer(1);
                   EmitLayerGroup(3);
                   EmitLayer(1);
                 },
                 {"lg3", "ly1"}},
        EmitCase{"NewGroupForcesTheLayerAgain", nullptr,
                 [] {
                   EmitLayerGroup(3);
                   EmitLayer(1);
                   EmitLayerGroup(4);
                   EmitLayer(1);
                 },
                 {"lg3", "ly1", "lg4", "ly1"}},
        EmitCase{"HexadecimalLayersAndNegativeGroup", nullptr,
                 [] {
                   EmitLayerGroup(-1);
                   EmitLayer(10);
                   EmitLayer(15);
                   EmitLayer(16);
                 },
                 {"lgFFFFFFFF", "lyA", "lyF", "ly10"}},
        EmitCase{"FirstRequestIsWrittenEvenAtTheDefault", nullptr,
                 [] {
                   EmitLineColor(1, 0);
                   EmitLineColor(1, 0);
                   EmitPointColor(1, 0);
                   EmitLineType(1, 0);
                   EmitCharStyle(0);
                   EmitCharStyle(0);
                 },
                 {"lc1", "pn1", "lt1", "cc0"}},
        EmitCase{"PointColorHasItsOwnMemory", nullptr,
                 [] {
                   EmitLineColor(5, 0);
                   EmitPointColor(5, 0);
                   EmitPointColor(6, 0);
                   EmitLineColor(5, 0);
                 },
                 {"lc5", "pn5", "pn6"}},
        EmitCase{"MappedColoursAndLineTypes",
                 [] {
                   Model.FirstAttr.LineColor = 7;
                   Model.FirstAttr.LineType = 4;
                 },
                 [] {
                   EmitLineColor(10, 1);
                   EmitLineColor(0, 1);
                   EmitPointColor(-5, 1);
                   EmitLineType(10, 1);
                   EmitLineType(19, 1);
                   EmitLineType(0, 1);
                   EmitLineType(10, 0);
                 },
                 {"lc101", "lc7", "pn7", "lt11", "lt31", "lt4", "lt10"}},
        EmitCase{"LineWidthNeedsAWidthInTheHostFile", nullptr,
                 [] {
                   EmitLineWidth(1);
                   EmitLineWidth(-1);
                 },
                 {}},
        EmitCase{"LineWidthClampsAndFallsBack",
                 [] {
                   Model.LineWidthSeen = true;
                   Model.FirstAttr.LineWidth = 3;
                 },
                 [] {
                   EmitLineWidth(30001);
                   EmitLineWidth(-1);
                   EmitLineWidth(-1);
                   EmitLineWidth(-2);
                   EmitLineWidth(30000);
                 },
                 {"lw0", "lw3", "lw0", "lw30000"}},
        EmitCase{"CharStyleOutOfRangeIsZero", nullptr,
                 [] {
                   EmitCharStyle(9);
                   EmitCharStyle(-1);
                   EmitCharStyle(8);
                 },
                 {"cc0", "cc8"}},
        EmitCase{"FreeSizeIsWrittenThenComparedByValue", nullptr,
                 [] {
                   EmitTextType(0, 1, 0, 2, 2, 0);
                   EmitTextType(0, 1, 0, 2, 2, 0);
                   EmitTextType(0, 1, 0, 2.5, 2, 0);
                   EmitTextType(0, 3, 0, 2.5, 2, 0);
                 },
                 {"cn0 2 2 0 1", "cn0 2.5 2 0 1", "cn0 2.5 2 0 3"}},
        EmitCase{"TypeChangeRewritesTheSameFreeSize", nullptr,
                 [] {
                   EmitTextType(0, 1, 0, 4, 5, 0.5);
                   EmitTextType(3, 9, 0, 7, 7, 7);
                   EmitTextType(3, 1, 0, 1, 1, 1);
                   EmitTextType(0, 1, 0, 4, 5, 0.5);
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
                 [] { EmitTextType(11, 1, 0, 9, 9, 9); },
                 {"cn0 1.25 3 0.1 6"}},
        EmitCase{"TypeOutOfRangeTakesTheFirstType",
                 [] { Model.FirstAttr.TextType = 4; },
                 [] {
                   EmitTextType(-1, 1, 0, 9, 9, 9);
                   EmitTextType(4, 1, 0, 9, 9, 9);
                 },
                 {"cn4"}},
        EmitCase{"FreeSizeColourMapped", nullptr, [] { EmitTextType(0, 12, 1, 2, 2, 0); },
                 {"cn0 2 2 0 103"}},
        EmitCase{"DefaultFontIsWrittenOnceThenSuppressed", nullptr,
                 [] {
                   EmitFontName(kDefaultFontName);
                   EmitFontName(kDefaultFontName);
                 },
                 {kDefaultFontLine}},
        EmitCase{"EmptyFontNameMeansTheFirstOne", nullptr,
                 [] {
                   EmitFontName(kDefaultFontName);
                   EmitFontName("");
                   EmitFontName("<>");
                 },
                 {kDefaultFontLine, "cn\"$"}},
        EmitCase{"FontNamesWithBlanksKeepThem",
                 [] { Model.FirstAttr.FontName = "<first>"; },
                 [] {
                   EmitFontName("<>");
                   EmitFontName("<a b>");
                 },
                 {"cn\"$<first>", "cn\"$<a b>"}},
        EmitCase{"ZFlagsInOrderAndZ4YieldsToZ5", nullptr,
                 [] {
                   EmitZFlags(31);
                   EmitZFlags(8);
                   EmitZFlags(24);
                   EmitZFlags(0);
                   EmitZFlags(8);
                 },
                 {"z1", "z2", "z3", "z5", "z4", "z5", "z4"}},
        EmitCase{"TextKindsAndUnknownKinds", nullptr,
                 [] {
                   EmitText(0, "A", 10, 20.5, 1, 0);
                   EmitText(9, "B", -1, 0.25, 0, 1);
                   EmitText(10, "C", 0, 0, 1, 0);
                   EmitText(-3, "D", 0, 0, 1, 0);
                 },
                 {"ch 10 20.5 1 0 \"", "A", "c2 -1 0.25 0 1 \"", "B", "ch 0 0 1 0 \"", "C",
                  "ch 0 0 1 0 \"", "D"}},
        EmitCase{"BlankTextsAndZeroVectorsWriteNothing", nullptr,
                 [] {
                   EmitText(0, " ", 0, 0, 1, 0);
                   EmitText(0, "\x81\x40", 0, 0, 1, 0);
                   EmitText(0, "\t", 0, 0, 1, 0);
                   EmitText(0, "", 0, 0, 1, 0);
                   EmitText(0, "A", 0, 0, 0, 0);
                   EmitText(0, "A", 0, 0, 9e-9, -9e-9);
                   EmitText(0, "B", 0, 0, 1e-8, 0);
                   EmitText(0, "C", 0, 0, 0, -1e-8);
                 },
                 {"ch 0 0 1E-8 0 \"", "B", "ch 0 0 0 -1E-8 \"", "C"}},
        EmitCase{"PlainLineBeginsWithABlank", nullptr,
                 [] { EmitPlainLine(-5000, 0.25, 1e-5, 1.0 / 3); },
                 {" -5000 0.25 1E-5 0.333333333333333"}},
        EmitCase{"TextIsWrittenUnstripped", nullptr,
                 [] { EmitText(1, " \x83\x5c ", 0, 0, 0, 1); },
                 {"cv 0 0 0 1 \"", " \x83\x5c "}},
        EmitCase{"LinesAreCutAt255Bytes", nullptr,
                 [] {
                   AddOutputLine(std::string(254, 'a') + "\x82\xa0");
                   EmitText(0, std::string(300, 'b'), 0, 0, 1, 0);
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
  };
  for (const JoinCase& c : cases) {
    SCOPED_TRACE(c.name);
    ResetModel();
    for (const std::string& l : c.lines) AddOutputLine(l);
    EXPECT_EQ(ExchangeFileBytes(), c.bytes);
  }
}

TEST(FileBytes, BlockGrowthKeepsEveryLine) {
  ResetModel();
  for (int i = 0; i < 2500; ++i) AddOutputLine("z" + std::to_string(i));
  EXPECT_EQ(Model.OutputLines.Capacity(), 3000u);
  const std::string bytes = ExchangeFileBytes();
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
    ResetModel();
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
  AddOutputLine("hd");
  EmitText(0, "\x83\x5c", 1, 2, 3, 4);
  ASSERT_TRUE(WriteExchangeFile(file));
  EXPECT_EQ(ReadAll(file), "hd\r\nch 1 2 3 4 \"\x83\x5c\r\n");
  EXPECT_EQ(Entries(), std::vector<std::string>{"JWC_TEMP.TXT"});
  // the list stays, so a second write gives the same bytes
  ASSERT_TRUE(WriteExchangeFile(file));
  EXPECT_EQ(ReadAll(file), "hd\r\nch 1 2 3 4 \"\x83\x5c\r\n");
}

TEST_F(WriteFile, EmptyListWritesHq) {
  const fs::path file = dir_ / "JWC_TEMP.TXT";
  ASSERT_TRUE(WriteExchangeFile(file));
  EXPECT_EQ(ReadAll(file), "hq\r\n");
}

TEST_F(WriteFile, MissingFolderFailsAndCreatesNothing) {
  AddOutputLine("hd");
  EXPECT_FALSE(WriteExchangeFile(dir_ / "no such folder" / "JWC_TEMP.TXT"));
  EXPECT_TRUE(Entries().empty());
}

TEST_F(WriteFile, DirectoryInTheWayFailsAndStays) {
  fs::create_directory(dir_ / "JWC_TEMP.TXT");
  AddOutputLine("hd");
  EXPECT_FALSE(WriteExchangeFile(dir_ / "JWC_TEMP.TXT"));
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
  AddOutputLine("hd");
  const int code = InChild([&] { return WriteExchangeFile(file) ? 1 : 0; }, true);
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
    ResetModel();
    for (int i = 0; i < 5000; ++i) AddOutputLine("ch 123.456 789.012 1 0 \"");
    const int code = InChild(
        [&] {
          signal(SIGXFSZ, SIG_IGN);
          const rlimit limit{4096, 4096};
          if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 97;
          return WriteExchangeFile(file) ? 1 : 0;
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
