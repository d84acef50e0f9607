#include "app/position_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;
using rupena::app::WindowPosition;

fs::path TempDat(const char* name) {
  return fs::temp_directory_path() / (std::string("rupena_pos_") + name + ".dat");
}

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(PositionFile, SitsBesideTheExecutable) {
  EXPECT_EQ(rupena::app::PositionFilePath("/a b/tool.exe"), fs::path("/a b/tool.dat"));
  EXPECT_EQ(rupena::app::PositionFilePath("/x/rupena"), fs::path("/x/rupena.dat"));
  EXPECT_EQ(rupena::app::PositionFilePath("/x.y/t.v1.exe"), fs::path("/x.y/t.v1.dat"));
}

TEST(PositionFile, ReadsTolerantly) {
  struct Case {
    const char* name;
    std::string bytes;
    WindowPosition expected;
  } cases[] = {
      {"two lines", "100\r\n200\r\n", {100, 200}},
      {"second line a word", "100\r\nabc\r\n", {100, 0}},
      {"single line", "250", {250, 0}},
      {"lf only", "-30\n40\n", {-30, 40}},
      {"negative left", "-1600\r\n12\r\n", {-1600, 12}},
      {"empty file", "", {0, 0}},
      {"trailing blank", "100 \r\n5\r\n", {0, 5}},
      {"out of range", "2147483648\r\n-2147483648\r\n", {0, INT_MIN}},
      {"more lines", "1\r\n2\r\n3\r\n", {1, 2}},
      {"garbage bytes", std::string("\xff\x00\x82\r\n\x1a", 6), {0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path p = TempDat("read");
    std::ofstream(p, std::ios::binary) << c.bytes;
    EXPECT_EQ(rupena::app::ReadPosition(p), c.expected);
    fs::remove(p);
  }
}

TEST(PositionFile, MissingFileOrFolderGivesOrigin) {
  EXPECT_EQ(rupena::app::ReadPosition(TempDat("missing")), (WindowPosition{0, 0}));
  const fs::path dir = TempDat("dir");
  fs::create_directories(dir);
  EXPECT_EQ(rupena::app::ReadPosition(dir), (WindowPosition{0, 0}));
  fs::remove(dir);
}

TEST(PositionFile, WritesTwoCrLfLinesThatReadBack) {
  const fs::path p = TempDat("write");
  std::ofstream(p, std::ios::binary) << "999999\r\n999999\r\n999999\r\n";
  for (const WindowPosition pos : {WindowPosition{-1600, 12}, WindowPosition{0, 0},
                                   WindowPosition{INT_MIN, INT_MAX}}) {
    ASSERT_TRUE(rupena::app::WritePosition(p, pos));
    EXPECT_EQ(rupena::app::ReadPosition(p), pos);
  }
  EXPECT_EQ(ReadAll(p), "-2147483648\r\n2147483647\r\n");
  fs::remove(p);
}

TEST(PositionFile, FailedWriteLeavesNothingBehind) {
  const fs::path p = TempDat("nofolder").parent_path() / "rupena no such folder" / "t.dat";
  EXPECT_FALSE(rupena::app::WritePosition(p, {1, 2}));
  EXPECT_FALSE(fs::exists(p.parent_path()));
}

}  // namespace
