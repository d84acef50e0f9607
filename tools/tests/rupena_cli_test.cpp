// rupena-cli as other programs use it: its output shapes and exit codes.
#include <gtest/gtest.h>

#include <sys/wait.h>

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
};

// Runs the CLI with `args` (already quoted for the shell); stderr is dropped.
CliResult RunCli(const std::string& args) {
  const std::string command = std::string("'") + RUPENA_CLI + "' " + args + " 2>/dev/null";
  CliResult run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) run.out.append(buf, n);
  const int status = pclose(pipe);
  run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
      {Quoted(dir_ / "missing.txt"), "missing.dump.json"},
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
  const fs::path empty = Host("hq\r\n");
  EXPECT_EQ(RunCli("grid " + Quoted(empty)).out, "1\t\x81\x40\t0\n");
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

TEST_F(CliProgram, ExitCodes) {
  const fs::path text = Host("ch 0 0 1 0 \"AB\r\n");
  const fs::path noText = dir_ / "none.txt";
  std::ofstream(noText, std::ios::binary) << "hq\r\nci 0 0 1\r\n";
  struct Case {
    const char* name;
    std::string args;
    int code;
  } cases[] = {
      {"no command", "", 2},
      {"unknown command", "frobnicate x", 2},
      {"dump without file", "dump", 2},
      {"no text", "split " + Quoted(noText), 1},
      {"column beyond the text", "split " + Quoted(text) + " --spacing 3=1", 2},
      {"column 0", "split " + Quoted(text) + " --spacing 0=1", 2},
      {"spacing without =", "split " + Quoted(text) + " --spacing 1", 2},
      {"unknown option", "split " + Quoted(text) + " --fast", 2},
      {"unwritable output", "split " + Quoted(text) + " -o " + Quoted(dir_ / "no/such/dir"), 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RunCli(c.args).code, c.code);
  }
  // none of the failures touched the input
  EXPECT_EQ(ReadAll(text), "ch 0 0 1 0 \"AB\r\n");
  EXPECT_EQ(ReadAll(noText), "hq\r\nci 0 0 1\r\n");
}

}  // namespace
