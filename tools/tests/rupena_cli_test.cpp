// rupena-cli as other programs use it: its output shapes and exit codes.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

const fs::path kData = fs::path(RUPENA_SOURCE_DIR) / "tools/tests/data";

struct CliResult {
  int code = -1;
  std::string out;
  std::string err;
};

std::string ReadAll(const fs::path& p);

// Runs the CLI with `args` (already quoted for the shell).
CliResult RunCli(const std::string& args) {
  const fs::path err = fs::temp_directory_path() / ("rupena_cli_err_" + std::to_string(getpid()));
  const std::string command = std::string("'") + RUPENA_CLI + "' " + args + " 2>'" + err.string() + "'";
  CliResult run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) run.out.append(buf, n);
  const int status = pclose(pipe);
  run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.err = ReadAll(err);
  fs::remove(err);
  return run;
}

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Quoted(const fs::path& p) { return "'" + p.string() + "'"; }

class CliProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("rupena cli " +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path Host(const std::string& bytes) {
    const fs::path p = dir_ / "JWC_TEMP.TXT";
    std::ofstream(p, std::ios::binary) << bytes;
    return p;
  }
  fs::path dir_;
};

// The golden dumps were checked field by field against the input's lines.
TEST_F(CliProgram, DumpMatchesTheGoldenFiles) {
  struct Case {
    std::string input, golden;
  } cases[] = {
      {Quoted(kData / "all_kinds.txt"), "all_kinds.dump.json"},
      // nothing but the defaults
      {Quoted(kData / "hq_only.txt"), "hq_only.dump.json"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.golden);
    const CliResult run = RunCli("dump " + c.input);
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, ReadAll(kData / c.golden));
  }
}

TEST_F(CliProgram, GridPrintsOneLinePerColumn) {
  const fs::path host = Host("cn0 4 4 1 1\r\nch 0 0 1 0 \"A\x83\x5c\r\n");
  EXPECT_EQ(RunCli("grid " + Quoted(host)).out, "1\tA\t0.5\n2\t\x83\x5c\t1\n");
  // ﾊﾞｯ: the voiced mark is one column with its kana, as in the window
  const fs::path kana = Host("cn0 4 4 1 1\r\nch 0 0 1 0 \"\xca\xde\xaf\r\n");
  EXPECT_EQ(RunCli("grid " + Quoted(kana)).out, "1\t\xca\xde\t1\n2\t\xaf\t0.5\n");
}

TEST_F(CliProgram, SplitWritesInPlaceOrToOut) {
  const std::string bytes = "lw1\r\nch 0 0 1 0 \"AB\r\n";
  const fs::path host = Host(bytes);
  const CliResult toOut = RunCli("split " + Quoted(host) + " -o " + Quoted(dir_ / "out.txt") +
                        " --spacing 1=2 --spacing 2=abc");
  EXPECT_EQ(toOut.code, 0);
  EXPECT_EQ(ReadAll(host), bytes);
  const std::string out = ReadAll(dir_ / "out.txt");
  EXPECT_NE(out.find("ch 0 0 1 0 \"A\r\nch 3.5 0 1 0 \"B\r\n"), std::string::npos) << out;
  EXPECT_EQ(RunCli("split " + Quoted(host)).code, 0);
  EXPECT_EQ(ReadAll(host).substr(0, 4), "hd\r\n");
}

// The bundled sample hands over a text and a dimension value; splitting the
// text must not lose the value.
TEST_F(CliProgram, SplitOfTheSampleKeepsItsDimensionValue) {
  const fs::path out = dir_ / "out.txt";
  EXPECT_EQ(RunCli("split " + Quoted(fs::path(RUPENA_SOURCE_DIR) / "samples/JWC_TEMP.TXT") +
                   " -o " + Quoted(out))
                .code,
            0);
  const std::string written = ReadAll(out);
  const std::string value =
      "cs -7104.11973389354 1827.73825260745 -3.2783543701953E-5 749.999999999999 \"1,820\r\n";
  ASSERT_GE(written.size(), value.size());
  EXPECT_EQ(written.substr(written.size() - value.size()), value);
}

// Every failure has its exit code and says what and why; none writes
// anything on standard output, or touches a file.
TEST_F(CliProgram, ExitCodesAndMessages) {
  const fs::path text = Host("ch 0 0 1 0 \"AB\r\n");
  const fs::path noText = dir_ / "none.txt";
  std::ofstream(noText, std::ios::binary) << "hq\r\nci 0 0 1\r\n";
  const fs::path missing = dir_ / "missing.txt";
  const fs::path readOnly = dir_ / "read only.txt";
  std::ofstream(readOnly, std::ios::binary) << "old";
  fs::permissions(readOnly, fs::perms::owner_read);
  fs::create_directory(dir_ / "folder");
  const std::string noSuchFile = std::make_error_code(std::errc::no_such_file_or_directory).message();
  struct Case {
    const char* name;
    std::string args;
    int code;
    std::string message;  // what standard error holds
  } cases[] = {
      {"no command", "", 2, "usage:"},
      {"unknown command", "frobnicate x", 2, "usage:"},
      {"dump without file", "dump", 2, "usage:"},
      {"column beyond the text", "split " + Quoted(text) + " --spacing 3=1", 2, "no data column 3"},
      {"column 0", "split " + Quoted(text) + " --spacing 0=1", 2, "usage:"},
      {"spacing without =", "split " + Quoted(text) + " --spacing 1", 2, "usage:"},
      {"unknown option", "split " + Quoted(text) + " --fast", 2, "usage:"},
      {"a text beyond the last", "split " + Quoted(text) + " --text 2", 2, "no text 2"},
      {"text 0", "grid " + Quoted(text) + " --text 0", 2, "usage:"},
      {"a length and spacings", "split " + Quoted(text) + " --length 5 --spacing 1=1", 2, "usage:"},
      {"a length that is no number", "grid " + Quoted(text) + " --length abc", 2, "usage:"},
      {"-o for grid", "grid " + Quoted(text) + " -o x", 2, "usage:"},
      {"dump of a missing file", "dump " + Quoted(missing), 1,
       "cannot read " + missing.string() + ": " + noSuchFile},
      {"grid of a missing file", "grid " + Quoted(missing), 1, "cannot read"},
      {"split of a missing file", "split " + Quoted(missing), 1, "cannot read"},
      {"a folder to read", "dump " + Quoted(dir_), 1,
       ": " + std::make_error_code(std::errc::is_a_directory).message()},
      {"grid of no text", "grid " + Quoted(noText), 1, noText.string() + " holds no text"},
      {"split of no text", "split " + Quoted(noText), 1, "holds no text"},
      {"output into a missing folder", "split " + Quoted(text) + " -o " + Quoted(dir_ / "no/such"), 3,
       "cannot write " + (dir_ / "no/such").string() + ": " + noSuchFile},
      {"a folder in the way of the output", "split " + Quoted(text) + " -o " + Quoted(dir_ / "folder"), 3,
       std::make_error_code(std::errc::is_a_directory).message()},
      {"a read-only output", "split " + Quoted(text) + " -o " + Quoted(readOnly), 3,
       std::make_error_code(std::errc::permission_denied).message()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CliResult run = RunCli(c.args);
    EXPECT_EQ(run.code, c.code);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_EQ(ReadAll(text), "ch 0 0 1 0 \"AB\r\n");
  EXPECT_EQ(ReadAll(noText), "hq\r\nci 0 0 1\r\n");
  EXPECT_EQ(ReadAll(readOnly), "old");
}

// --text N splits the Nth text and writes back every other, the first
// included, in the order they came; grid shows the Nth.
TEST_F(CliProgram, TextOptionChoosesTheTextToSplit) {
  const fs::path host = Host("ch 0 0 1 0 \"AB\r\nch 0 5 1 0 \"CD\r\nch 0 9 1 0 \"EF\r\n");
  EXPECT_EQ(RunCli("grid " + Quoted(host) + " --text 3").out, "1\tE\t0\n2\tF\t0\n");
  ASSERT_EQ(RunCli("split " + Quoted(host) + " --text 2").code, 0);
  const std::string out = ReadAll(host);
  const std::size_t c = out.find("ch 0 5 1 0 \"C\r\nch 1.5 5 1 0 \"D\r\n");
  const std::size_t ab = out.find("ch 0 0 1 0 \"AB\r\n");
  const std::size_t ef = out.find("ch 0 9 1 0 \"EF\r\n");
  ASSERT_NE(c, std::string::npos) << out;
  ASSERT_NE(ab, std::string::npos) << out;
  ASSERT_NE(ef, std::string::npos) << out;
  EXPECT_LT(c, ab);
  EXPECT_LT(ab, ef);
}

// --length L spreads the characters over L: every spacing between them one
// value, written as the window's cells hold it; the last one as it was.
TEST_F(CliProgram, LengthOptionSpreadsTheCharacters) {
  // 工事名称 at text type 3, 4 wide: (30 - 16) / 3 between characters
  const fs::path host = Host("hcw 3 3 4 3 3 3 3 3 3 3\r\nhcd 0 0 1 0 0 0 0 0 0 0\r\ncn3\r\n"
                             "ch 0 0 1 0 \"\x8d\x48\x8e\x96\x96\xbc\x8f\xcc\r\n");
  EXPECT_EQ(RunCli("grid " + Quoted(host) + " --length \xef\xbc\x93\xef\xbc\x90").out,  // ３０
            "1\t\x8d\x48\t4.66666666666667\n2\t\x8e\x96\t4.66666666666667\n"
            "3\t\x96\xbc\t4.66666666666667\n4\t\x8f\xcc\t1\n");
  ASSERT_EQ(RunCli("split " + Quoted(host) + " --length 30").code, 0);
  EXPECT_NE(ReadAll(host).find("\r\nch 26 0 1 0 \"\x8f\xcc\r\n"), std::string::npos) << ReadAll(host);
}

// A spacing typed with full-width digits reads as the window reads it.
TEST_F(CliProgram, FullWidthSpacingsAsTheWindowTakesThem) {
  const fs::path host = Host("ch 0 0 1 0 \"AB\r\n");
  ASSERT_EQ(RunCli("split " + Quoted(host) + " -o " + Quoted(dir_ / "ascii.txt") + " --spacing 1=-2.5").code, 0);
  ASSERT_EQ(RunCli("split " + Quoted(host) + " -o " + Quoted(dir_ / "wide.txt") +
                   " --spacing 1=\xef\xbc\x8d\xef\xbc\x92\xef\xbc\x8e\xef\xbc\x95")  // －２．５
                .code,
            0);
  EXPECT_EQ(ReadAll(dir_ / "wide.txt"), ReadAll(dir_ / "ascii.txt"));
  // A is 1.5 wide at text type 1: B starts 2.5 behind its end
  EXPECT_NE(ReadAll(dir_ / "ascii.txt").find("ch -1 0 1 0 \"B"), std::string::npos);
}

}  // namespace
