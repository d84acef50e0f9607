#include "app/main_form.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "app/character_layout.h"
#include "exchange/drawing.h"

namespace {

namespace fs = std::filesystem;
using rupena::app::WindowPosition;

// Records what the lifecycle asks of the window, in order.
class FakeView final : public rupena::app::FormView {
 public:
  rupena::app::SpacingGrid& Grid() override { return grid; }
  void SetPickedTextFont(std::string_view name) override { Log("font " + std::string(name)); }
  void SetPickedText(std::string_view caption) override {
    Log("caption " + std::string(caption));
  }
  void RedrawPickedTextNow() override { Log("redraw label"); }
  void ShowTextChoices(const std::vector<rupena::app::TextChoice>& choices, std::size_t chosen) override {
    std::string line = "choices";
    for (const auto& c : choices) line += " " + c.text + "/" + c.fontName;
    Log(line + " chosen " + std::to_string(chosen));
  }
  void ShowPreview(const rupena::app::Preview& preview) override {
    Log(preview.hasText ? "preview " + preview.text + " " + preview.length : "preview nothing");
  }
  void SetStatus(std::string_view caption) override {
    // record whether the output had been written when the status changed
    std::ifstream in(exchange, std::ios::binary);
    std::string head(2, '\0');
    in.read(head.data(), 2);
    Log("status " + std::string(caption) + (head == "hd" ? " (written)" : ""));
  }
  void MoveTo(WindowPosition p) override {
    position = p;
    Log("move " + std::to_string(p.left) + "," + std::to_string(p.top));
  }
  void ReportWriteFailure(std::string_view fileName, std::error_code reason) override {
    Log("failed " + std::string(fileName) + ": " + reason.message());
  }
  WindowPosition Position() const override { return position; }
  void Close() override { Log("close"); }

  void Log(std::string s) { calls.push_back(std::move(s)); }

  rupena::app::SpacingCells grid;
  WindowPosition position{202, 107};
  std::vector<std::string> calls;
  fs::path exchange;
};

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

const std::string kMsGothic = "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e";
const std::string kNothingPicked =
    "\x81\x69\x8e\x77\x8e\xa6\x82\xb5\x82\xc4\x82\xa2\x82\xdc\x82\xb9\x82\xf1\x81\x6a";
const std::string kProcessing = "\x8f\x88\x97\x9d\x92\x86\x82\xc5\x82\xb7";
const std::string kGenerating =
    "\x83\x74\x83\x40\x83\x43\x83\x8b\x90\xb6\x90\xac\x92\x86\x82\xc5\x82\xb7";

const std::string kTwoStay =
    "\x82\xd9\x82\xa9\x82\xcc\x95\xb6\x8e\x9a\x97\xf1 2 "
    "\x8c\xc2\x82\xcd\x82\xbb\x82\xcc\x82\xdc\x82\xdc\x8e\x63\x82\xe8\x82\xdc\x82\xb7";
const std::string kOneStays =
    "\x82\xd9\x82\xa9\x82\xcc\x95\xb6\x8e\x9a\x97\xf1 1 "
    "\x8c\xc2\x82\xcd\x82\xbb\x82\xcc\x82\xdc\x82\xdc\x8e\x63\x82\xe8\x82\xdc\x82\xb7";
const std::string kDimensionsOnly =
    "\x90\xa1\x96\x40\x92\x6c\x82\xcd\x95\xaa\x89\xf0\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x81\x69"
    "\x90\xa1\x96\x40\x90\x7d\x8c\x60\x82\xcd\x82\xbb\x82\xcc\x82\xdc\x82\xdc\x8e\x63\x82\xe8\x82\xdc\x82\xb7\x81\x6a";
const std::string kDimension = "msg\r\n 1 2 3 4\r\ncs 0 0 1 0 \"1,820\r\n#\r\n";

class Lifecycle : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("rupena form " +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    view_.exchange = Exchange();
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Exe() const { return dir_ / "rupena.exe"; }
  fs::path Exchange() const { return dir_ / "JWC_TEMP.TXT"; }
  fs::path Dat() const { return dir_ / "rupena.dat"; }
  void Host(const std::string& bytes) { std::ofstream(Exchange(), std::ios::binary) << bytes; }

  fs::path dir_;
  FakeView view_;
};

// The status line counts the other texts that OK leaves as they are; a
// blank one is not written back.
TEST_F(Lifecycle, ShownLoadsPlacesFillsAndCountsTheTextsThatStay) {
  Host("hq\r\ncn\"$<Arial>\r\nch 0 0 1 0 \"AB\r\ncv 0 0 0 1 \" \r\n" + kDimension +
       "ch 0 0 1 0 \"C\r\n");
  std::ofstream(Dat(), std::ios::binary) << "-20\r\n30\r\n";
  rupena::app::MainForm form(view_, Exe());
  form.OnShown();
  EXPECT_EQ(view_.calls,
            (std::vector<std::string>{"move -20,30", "font " + kMsGothic,
                                      "caption " + kNothingPicked, "font Arial", "caption AB",
                                      "redraw label", "choices AB/Arial  /Arial C/Arial chosen 0",
                                      "status " + kTwoStay, "preview AB 3"}));
  ASSERT_EQ(view_.grid.ColCount(), 3);
  EXPECT_EQ(view_.grid.Cell(2, 0), "B");
}

// Dimension values alone hold no text to split: the status line says so, and
// OK deletes nothing either.
TEST_F(Lifecycle, OnlyDimensionValuesSayWhyAndOkWritesOnlyThePosition) {
  const std::string host = "hq\r\nci 0 0 5\r\n" + kDimension;
  Host(host);
  rupena::app::MainForm form(view_, Exe());
  form.OnShown();
  EXPECT_EQ(view_.calls, (std::vector<std::string>{"move 0,0", "font " + kMsGothic,
                                                   "caption " + kNothingPicked,
                                                   "redraw label", "status " + kDimensionsOnly,
                                                   "preview nothing"}));
  ASSERT_EQ(view_.grid.ColCount(), 2);
  EXPECT_EQ(view_.grid.Cell(1, 0), "\x81\x40");
  view_.calls.clear();
  view_.position = {15, -7};
  form.OnOk();
  EXPECT_EQ(view_.calls, std::vector<std::string>{"close"});
  EXPECT_EQ(ReadAll(Exchange()), host);
  EXPECT_EQ(ReadAll(Dat()), "15\r\n-7\r\n");
}

TEST_F(Lifecycle, MissingExchangeFileBehavesAsNothingPicked) {
  rupena::app::MainForm form(view_, Exe());
  form.OnShown();
  EXPECT_EQ(view_.calls, (std::vector<std::string>{"move 0,0", "font " + kMsGothic,
                                                   "caption " + kNothingPicked, "redraw label",
                                                   "preview nothing"}));  // and no status
  form.OnOk();
  EXPECT_FALSE(fs::exists(Exchange()));
  EXPECT_EQ(view_.calls.back(), "close");
}

TEST_F(Lifecycle, OkWritesThenSavesThePositionAndCloses) {
  Host("hq\r\nch 0 0 1 0 \"AB\r\n");
  rupena::app::MainForm form(view_, Exe());
  form.OnShown();
  view_.grid.SetCell(1, 1, "1");
  view_.position = {202, 107};
  view_.calls.clear();
  form.OnOk();
  EXPECT_EQ(view_.calls, (std::vector<std::string>{"status " + kProcessing,
                                                   "status " + kGenerating + " (written)",
                                                   "close"}));
  EXPECT_EQ(ReadAll(Dat()), "202\r\n107\r\n");
  const std::string out = ReadAll(Exchange());
  EXPECT_EQ(out.substr(0, 4), "hd\r\n");
  EXPECT_NE(out.find("ch 0 0 1 0 \"A\r\nch 2.5 0 1 0 \"B\r\n"), std::string::npos);
  // the run is over: a second OK must not write again
  fs::remove(Exchange());
  form.OnOk();
  form.OnCancel();
  EXPECT_FALSE(fs::exists(Exchange()));
}

TEST_F(Lifecycle, CancelTouchesNeitherFile) {
  const std::string host = "hq\r\nch 0 0 1 0 \"AB\r\n";
  Host(host);
  std::ofstream(Dat(), std::ios::binary) << "5\r\n6\r\n";
  rupena::app::MainForm form(view_, Exe());
  form.OnShown();
  view_.grid.SetCell(1, 1, "7");
  view_.position = {300, 300};
  view_.calls.clear();
  form.OnCancel();
  EXPECT_EQ(view_.calls, std::vector<std::string>{"close"});
  EXPECT_EQ(ReadAll(Exchange()), host);
  EXPECT_EQ(ReadAll(Dat()), "5\r\n6\r\n");
  form.OnOk();
  EXPECT_EQ(ReadAll(Exchange()), host);
}

TEST_F(Lifecycle, SliderSetsDataColumnsAndKeepsTheHeading) {
  Host("ch 0 0 1 0 \"ABC\r\n");
  rupena::app::MainForm form(view_, Exe());
  form.OnShown();
  for (const int pos : {5, 100, 32}) {
    SCOPED_TRACE(pos);
    form.OnWidthSliderMoved(pos);
    EXPECT_EQ(view_.grid.ColWidth(0), rupena::app::kHeadingColWidth);
    for (int col = 1; col <= 3; ++col) EXPECT_EQ(view_.grid.ColWidth(col), pos);
  }
}

// An OK that cannot write says why and leaves the window open, the host's
// file and the position as they were; once the way is free, OK writes.
TEST_F(Lifecycle, FailedWriteIsReportedAndOkCanBeRetried) {
  const std::string host = "ch 0 0 1 0 \"AB\r\nch 5 5 1 0 \"C\r\n";
  Host(host);
  rupena::app::MainForm form(view_, Exe());
  form.OnShown();
  view_.grid.SetCell(1, 1, "3");
  const auto writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  fs::permissions(Exchange(), writable, fs::perm_options::remove);
  view_.calls.clear();
  form.OnOk();
  const std::string reason = std::make_error_code(std::errc::permission_denied).message();
  EXPECT_EQ(view_.calls, (std::vector<std::string>{"status " + kProcessing, "status " + kOneStays,
                                                   "failed JWC_TEMP.TXT: " + reason}));
  EXPECT_EQ(ReadAll(Exchange()), host);
  EXPECT_FALSE(fs::exists(Dat()));

  fs::permissions(Exchange(), fs::perms::owner_write, fs::perm_options::add);
  view_.calls.clear();
  form.OnOk();
  EXPECT_EQ(view_.calls.back(), "close");
  EXPECT_NE(ReadAll(Exchange()).find("ch 4.5 0 1 0 \"B"), std::string::npos);  // the cell as it was left
  EXPECT_TRUE(fs::exists(Dat()));
}

// Choosing another text fills the grid with its characters and default
// spacings at the slider's width; OK then splits it and writes back the
// others, the first one included.
TEST_F(Lifecycle, ChosenTextIsSplitAndTheFirstOneStays) {
  Host("ch 0 0 1 0 \"AB\r\nch 0 5 1 0 \"CDE\r\n");
  rupena::app::MainForm form(view_, Exe());
  form.OnShown();
  form.OnWidthSliderMoved(50);
  view_.grid.SetCell(1, 1, "9");
  view_.calls.clear();
  form.OnTextChosen(1);
  EXPECT_EQ(view_.calls, (std::vector<std::string>{"status " + kOneStays, "preview CDE 4.5"}));
  ASSERT_EQ(view_.grid.ColCount(), 4);
  EXPECT_EQ(view_.grid.Cell(3, 0), "E");
  EXPECT_EQ(view_.grid.Cell(1, 1), "0");
  EXPECT_EQ(view_.grid.ColWidth(3), 50);
  EXPECT_EQ(view_.grid.ColWidth(0), rupena::app::kHeadingColWidth);
  form.OnTextChosen(1);  // the same again: nothing to do
  form.OnTextChosen(2);  // no such text
  EXPECT_EQ(view_.calls.size(), 2u);
  form.OnOk();
  const std::string out = ReadAll(Exchange());
  const std::size_t split = out.find("ch 0 5 1 0 \"C\r\nch 1.5 5 1 0 \"D\r\nch 3 5 1 0 \"E\r\n");
  ASSERT_NE(split, std::string::npos) << out;
  EXPECT_GT(out.find("ch 0 0 1 0 \"AB\r\n"), split);
}

// A length entered spreads the characters over it; what is no number
// changes nothing. The preview follows every change.
TEST_F(Lifecycle, LengthEnteredSpreadsTheCharacters) {
  Host("ch 0 0 1 0 \"ABC\r\n");
  rupena::app::MainForm form(view_, Exe());
  form.OnShown();
  view_.calls.clear();
  form.OnLengthEntered("10");  // three characters 1.5 wide: (10 - 4.5) / 2 between them
  form.OnLengthEntered("abc");
  view_.grid.SetCell(3, 1, "4");
  form.OnSpacingsChanged();
  EXPECT_EQ(view_.calls, (std::vector<std::string>{"preview ABC 10", "preview ABC 10", "preview ABC 10"}));
  EXPECT_EQ(rupena::app::GridSpacings(view_.grid), (std::vector<double>{2.75, 2.75, 4}));
  view_.grid.SetCell(1, 1, "0");
  form.OnSpacingsChanged();
  EXPECT_EQ(view_.calls.back(), "preview ABC 7.25");
}

TEST(WriteFailure, MessageNamesTheFileAndTheReason) {
  EXPECT_EQ(rupena::app::WriteFailureMessage("JWC_TEMP.TXT", "Access denied."),
            "JWC_TEMP.TXT \x82\xc9\x8f\x91\x82\xab\x8d\x9e\x82\xdf\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5"
            "\x82\xbd\x81\x46" "Access denied.");
}

}  // namespace
