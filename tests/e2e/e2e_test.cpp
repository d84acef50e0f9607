// The real tool under Wine, started the way the host starts it and used
// through window messages.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "app/window_layout.h"
#include "app/win32/clipboard.h"
#include "app/win32/main_window_ids.h"
#include "app/win32/string_grid_messages.h"
#include "tests/e2e/tool_driver.h"

namespace rupena::e2e {
namespace {

namespace fs = std::filesystem;
using namespace rupena::win32;

const fs::path kTool = BuiltProgram(RUPENA_TOOL_EXE);
const fs::path kCli = BuiltProgram(RUPENA_CLI_EXE);
const fs::path kArtifacts = BuiltProgram(RUPENA_E2E_ARTIFACTS);

const std::string kFont = "cn\"$<\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e>";
const std::string kHiraganaA = "\x82\xa0";

// A host file as the host writes it: header, current settings, "#", figures.
std::string HostFile(const std::vector<std::string>& figures) {
  std::string s =
      "hq\r\nhk 0\r\nhs 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1\r\n"
      "hcw 3 3 4 3 3 3 3 3 3 3\r\nhch 3 3 4 3 3 3 3 3 3 3\r\nhcd 0 0 1 0 0 0 0 0 0 0\r\n"
      "hcc      1      1      2      2      2      2      2      2      2      2\r\n"
      "lg0\r\nly0\r\nlc1\r\nlt1\r\nlw1\r\ncn3\r\n" +
      kFont + "\r\n#\r\n";
  for (const std::string& f : figures) s += f + "\r\n";
  return s;
}

const std::string kPicked = HostFile({" -5000 0 5000 0", "ch 10 20 5 0 \"A" + kHiraganaA + "B"});

// What rupena-cli split writes for the same input, run in the same prefix.
std::string CliSplit(const std::string& host, const std::vector<std::wstring>& extra = {}) {
  ProgramFolder folder(kCli, L"rupena cli");
  WriteFileBytes(folder.Exchange(), host);
  std::wstring commandLine = L"\"" + folder.Exe().wstring() + L"\" split \"" +
                             folder.Exchange().wstring() + L"\"";
  for (const std::wstring& a : extra) commandLine += L" " + a;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(folder.Exe().c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                      CREATE_NO_WINDOW, nullptr, folder.Dir().c_str(), &startup, &pi)) {
    return "cli did not start";
  }
  WaitForSingleObject(pi.hProcess, 20000);
  DWORD code = 99;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  if (code != 0) return "cli exit " + std::to_string(code);
  return ReadFileBytes(folder.Exchange());
}

class Tool : public ::testing::Test {
 protected:
  // Starts the tool in `folder` and checks that its window came up.
  std::unique_ptr<RunningWindow> Start(const ProgramFolder& folder) {
    auto run = std::make_unique<RunningWindow>(folder.Exe(), kMainWindowClass);
    EXPECT_NE(run->Main(), nullptr) << "the window did not appear";
    return run;
  }
  // Starts the tool on kPicked and waits until the grid has the keyboard.
  std::unique_ptr<RunningWindow> StartOnGrid(const ProgramFolder& folder) {
    WriteFileBytes(folder.Exchange(), kPicked);
    auto run = Start(folder);
    if (run->Main() != nullptr) {
      EXPECT_TRUE(WaitUntil([&] { return run->Focus() == run->Control(kIdSpacingGrid); }));
    }
    return run;
  }
  // The process ends by itself, with exit code 0.
  static void ExpectEnds(RunningWindow& run) {
    const auto code = run.WaitForExit();
    ASSERT_TRUE(code.has_value()) << "the tool did not end";
    EXPECT_EQ(*code, 0u);
  }
  static int ColWidth(HWND grid, int col) {
    return static_cast<int>(SendMessageW(grid, GM_GETCOLWIDTH, static_cast<WPARAM>(col), 0));
  }
  static int ColCount(HWND grid) {
    return static_cast<int>(SendMessageW(grid, GM_GETCOLCOUNT, 0, 0));
  }
};

TEST_F(Tool, OkWithDefaultSpacingsWritesWhatTheCliWrites) {
  ProgramFolder folder(kTool, L"rupena ok");
  WriteFileBytes(folder.Exchange(), kPicked);
  auto run = Start(folder);
  ASSERT_NE(run->Main(), nullptr);
  run->ClickButton(kIdOk);
  ExpectEnds(*run);
  const std::string expected = CliSplit(kPicked);
  EXPECT_EQ(ReadFileBytes(folder.Exchange()), expected);
  EXPECT_NE(expected.find("ch 12.5 20 5 0 \"" + kHiraganaA + "\r\n"), std::string::npos);
  EXPECT_TRUE(fs::exists(folder.Dat()));
}

// Enter stores the cell and makes the next one current; only the next Enter,
// with no cell open, is OK.
TEST_F(Tool, SpacingTypedIntoACellThenEnterTwice) {
  ProgramFolder folder(kTool, L"rupena typed");
  WriteFileBytes(folder.Exchange(), kPicked);
  auto run = Start(folder);
  ASSERT_NE(run->Main(), nullptr);
  const HWND grid = run->Control(kIdSpacingGrid);
  ASSERT_TRUE(WaitUntil([&] { return run->Focus() == grid; }));
  // the current cell is the spacing after the first character: move to the
  // second and type over it
  run->TypeKey(VK_RIGHT);
  ASSERT_TRUE(WaitUntil([&] {
    return SendMessageW(grid, GM_GETCURCELL, 0, 0) == MAKELRESULT(2, 1);
  }));
  run->TypeChar(L'3');
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(grid, GM_ISEDITING, 0, 0) != 0; }));
  ASSERT_TRUE(WaitUntil([&] { return run->Focus() != grid; }));
  run->TypeChar(L'.');
  run->TypeChar(L'5');
  ASSERT_TRUE(WaitUntil([&] { return WindowText(run->Focus()) == L"3.5"; }));
  run->TypeKey(VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] {
    return SendMessageW(grid, GM_GETCURCELL, 0, 0) == MAKELRESULT(3, 1) &&
           SendMessageW(grid, GM_ISEDITING, 0, 0) == 0;
  }));
  EXPECT_FALSE(run->WaitForExit(std::chrono::milliseconds(200)).has_value());
  run->TypeKey(VK_RETURN);
  ExpectEnds(*run);
  EXPECT_EQ(ReadFileBytes(folder.Exchange()), CliSplit(kPicked, {L"--spacing", L"2=3.5"}));
  // A at 10, あ at 12.5, B at 12.5 + 3.5 + 4
  EXPECT_NE(ReadFileBytes(folder.Exchange()).find("ch 20 20 5 0 \"B\r\n"), std::string::npos);
}

TEST_F(Tool, CancelEscAndTheCloseBoxLeaveBothFilesAlone) {
  struct Case {
    const char* name;
    void (*act)(RunningWindow&);
  } cases[] = {
      {"Cancel button", [](RunningWindow& r) { r.ClickButton(kIdCancel); }},
      // the first Esc closes the cell, the second is Cancel
      {"Esc", [](RunningWindow& r) {
         r.TypeKey(VK_ESCAPE);
         WaitUntil([&] { return SendMessageW(r.Control(kIdSpacingGrid), GM_ISEDITING, 0, 0) == 0; });
         r.TypeKey(VK_ESCAPE);
       }},
      {"Alt+N", [](RunningWindow& r) { r.PostChar(r.Focus(), L'n', true); }},
      {"close box", [](RunningWindow& r) { PostMessageW(r.Main(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"Alt+F4", [](RunningWindow& r) { r.PostKey(r.Focus(), VK_F4, true); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramFolder folder(kTool, L"rupena cancel");
    WriteFileBytes(folder.Exchange(), kPicked);
    WriteFileBytes(folder.Dat(), "33\r\n44\r\n");
    auto run = Start(folder);
    ASSERT_NE(run->Main(), nullptr);
    // an edited spacing must not reach the file either
    ASSERT_TRUE(WaitUntil([&] { return run->Focus() == run->Control(kIdSpacingGrid); }));
    run->TypeChar(L'9');
    ASSERT_TRUE(WaitUntil([&] {
      return SendMessageW(run->Control(kIdSpacingGrid), GM_ISEDITING, 0, 0) != 0;
    }));
    if (std::string(c.name) != "Esc") {
      SendMessageW(run->Control(kIdSpacingGrid), GM_COMMITEDIT, 0, 0);
    }
    c.act(*run);
    ExpectEnds(*run);
    EXPECT_EQ(ReadFileBytes(folder.Exchange()), kPicked);
    EXPECT_EQ(ReadFileBytes(folder.Dat()), "33\r\n44\r\n");
  }
}

// Esc gives the open cell back its text and leaves the window open; a cell
// stored before stays stored.
TEST_F(Tool, EscInACellRestoresItAndTheWindowStays) {
  ProgramFolder folder(kTool, L"rupena esc");
  auto run = StartOnGrid(folder);
  ASSERT_NE(run->Main(), nullptr);
  const HWND grid = run->Control(kIdSpacingGrid);
  run->TypeChar(L'1');
  ASSERT_TRUE(WaitUntil([&] { return WindowText(run->Focus()) == L"1"; }));
  run->TypeKey(VK_TAB);
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(grid, GM_GETCURCELL, 0, 0) == MAKELRESULT(2, 1); }));
  run->TypeChar(L'9');
  ASSERT_TRUE(WaitUntil([&] { return WindowText(run->Focus()) == L"9"; }));
  run->TypeKey(VK_ESCAPE);
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(grid, GM_ISEDITING, 0, 0) == 0; }));
  EXPECT_EQ(WindowText(grid), L"1");  // the second cell's own text again
  EXPECT_FALSE(run->WaitForExit(std::chrono::milliseconds(200)).has_value());
  run->ClickButton(kIdOk);
  ExpectEnds(*run);
  EXPECT_EQ(ReadFileBytes(folder.Exchange()), CliSplit(kPicked, {L"--spacing", L"1=1"}));
}

TEST_F(Tool, AltYIsOk) {
  ProgramFolder folder(kTool, L"rupena alt y");
  WriteFileBytes(folder.Exchange(), kPicked);
  auto run = Start(folder);
  ASSERT_NE(run->Main(), nullptr);
  run->PostChar(run->Focus(), L'y', true);
  ExpectEnds(*run);
  EXPECT_EQ(ReadFileBytes(folder.Exchange()), CliSplit(kPicked));
}

TEST_F(Tool, NothingHandedOverShowsTheNoticeAndOkOnlySavesThePosition) {
  const std::string host = HostFile({" -5000 0 5000 0", "ci 0 0 100"});
  ProgramFolder folder(kTool, L"rupena nothing");
  WriteFileBytes(folder.Exchange(), host);
  auto run = Start(folder);
  ASSERT_NE(run->Main(), nullptr);
  EXPECT_EQ(WindowText(run->Control(kIdPickedText)), L"（指示していません）");
  const HWND grid = run->Control(kIdSpacingGrid);
  EXPECT_EQ(ColCount(grid), 2);
  SetWindowPos(run->Main(), nullptr, 120, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  run->ClickButton(kIdOk);
  ExpectEnds(*run);
  EXPECT_EQ(ReadFileBytes(folder.Exchange()), host);
  EXPECT_EQ(ReadFileBytes(folder.Dat()), "120\r\n80\r\n");
}

TEST_F(Tool, OnlyTheFirstOfSeveralTextsIsSplitAndTheOthersStay) {
  const std::string host = HostFile({"ch 0 0 1 0 \"XY", "lg1", "z1", "cv 50 50 0 1 \"ABCDEF",
                                     "msg", " 1 2 3 4", "cs 5 6 0 1 \"1,820", "#"});
  ProgramFolder folder(kTool, L"rupena several");
  WriteFileBytes(folder.Exchange(), host);
  auto run = Start(folder);
  ASSERT_NE(run->Main(), nullptr);
  EXPECT_EQ(WindowText(run->Control(kIdPickedText)), L"XY");
  EXPECT_EQ(ColCount(run->Control(kIdSpacingGrid)), 3);
  EXPECT_EQ(WindowText(run->Control(kIdStatusLine)), L"ほかの文字列 2 個はそのまま残ります");
  run->ClickButton(kIdOk);
  ExpectEnds(*run);
  const std::string out = ReadFileBytes(folder.Exchange());
  EXPECT_EQ(out, CliSplit(host));
  EXPECT_NE(out.find("lg1\r\nly0\r\nz1\r\ncv 50 50 0 1 \"ABCDEF\r\n"), std::string::npos);
  EXPECT_NE(out.find("msg\r\n 1 2 3 4\r\ncs 5 6 0 1 \"1,820\r\n#\r\n"), std::string::npos);
}

// Texts past 255 bytes: the grid shows every character of the picked one,
// and OK writes it and the other one back whole.
TEST_F(Tool, LongTextsAreShownAndWrittenWhole) {
  std::string picked;
  for (int i = 0; i < 150; ++i) picked += kHiraganaA;
  const std::string other(600, 'x');
  const std::string host = HostFile({"ch 0 0 1 0 \"" + picked, "ch 9 9 1 0 \"" + other});
  ProgramFolder folder(kTool, L"rupena long");
  WriteFileBytes(folder.Exchange(), host);
  auto run = Start(folder);
  ASSERT_NE(run->Main(), nullptr);
  EXPECT_EQ(ColCount(run->Control(kIdSpacingGrid)), 151);
  run->ClickButton(kIdOk);
  ExpectEnds(*run);
  const std::string out = ReadFileBytes(folder.Exchange());
  EXPECT_EQ(out, CliSplit(host));
  std::size_t characters = 0;
  for (std::size_t at = 0; (at = out.find(" \"" + kHiraganaA + "\r\n", at)) != std::string::npos; ++at) {
    ++characters;
  }
  EXPECT_EQ(characters, 150u);
  EXPECT_NE(out.find("ch 9 9 1 0 \"" + other + "\r\n"), std::string::npos);
}

// A spacing stored in the grid redraws the preview band: the characters
// after it move.
TEST_F(Tool, StoredSpacingRedrawsThePreview) {
  ProgramFolder folder(kTool, L"rupena preview");
  auto run = StartOnGrid(folder);
  ASSERT_NE(run->Main(), nullptr);
  const HWND band = run->Control(kIdPreviewBand);
  ASSERT_NE(band, nullptr);
  // The pictures come off the screen: nothing of another window may lie on it.
  SetForegroundWindow(run->Main());
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == run->Main(); }));
  UpdateWindow(band);
  const auto before = TakePicture(band);
  ASSERT_TRUE(before.has_value());
  run->TypeChar(L'5');
  ASSERT_TRUE(WaitUntil([&] { return WindowText(run->Focus()) == L"5"; }));
  run->TypeKey(VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return WindowText(run->Control(kIdLengthBox)) == L"14"; }));
  // What reaches the screen may lag behind the window's own drawing.
  EXPECT_TRUE(WaitUntil([&] {
    const auto after = TakePicture(band);
    return after.has_value() && after->pixels != before->pixels;
  }));
  run->ClickButton(kIdCancel);
  ExpectEnds(*run);
}

// A length typed into the box (full width, as an input method gives it)
// and Enter spread the characters over it; the window stays, and OK writes
// what `split --length` writes.
TEST_F(Tool, LengthEnteredThenOkWritesWhatSplitWrites) {
  ProgramFolder folder(kTool, L"rupena length");
  auto run = StartOnGrid(folder);
  ASSERT_NE(run->Main(), nullptr);
  const HWND box = run->Control(kIdLengthBox);
  SendMessageW(box, EM_SETSEL, 0, -1);
  for (const wchar_t ch : std::wstring(L"２０")) run->PostChar(box, ch);
  ASSERT_TRUE(WaitUntil([&] { return WindowText(box) == L"２０"; }));
  run->PostKey(box, VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return WindowText(box) == L"20"; }));
  EXPECT_FALSE(run->WaitForExit(std::chrono::milliseconds(200)).has_value());
  run->ClickButton(kIdOk);
  ExpectEnds(*run);
  EXPECT_EQ(ReadFileBytes(folder.Exchange()), CliSplit(kPicked, {L"--length", L"20"}));
}

// With several texts handed over the label is a drop-down list; choosing
// the second one with the keyboard and OK writes what `split --text 2`
// writes: the second split, the first and third written back.
TEST_F(Tool, SecondTextChosenThenOkWritesWhatSplitWrites) {
  const std::string host = HostFile({"ch 0 0 1 0 \"XY", "ch 0 9 1 0 \"CDE", "ch 5 5 1 0 \"Z"});
  ProgramFolder folder(kTool, L"rupena chooser");
  WriteFileBytes(folder.Exchange(), host);
  auto run = Start(folder);
  ASSERT_NE(run->Main(), nullptr);
  const HWND chooser = run->Control(kIdTextChooser);
  ASSERT_NE(chooser, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(chooser) != FALSE; }));
  EXPECT_FALSE(IsWindowVisible(run->Control(kIdPickedText)));
  // in the picked text's place among the windows too, so that it is read
  // after the heading that names it
  EXPECT_EQ(GetWindow(chooser, GW_HWNDPREV), run->Control(kIdPickedText));
  EXPECT_EQ(SendMessageW(chooser, CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageW(chooser, CB_GETCURSEL, 0, 0), 0);
  run->PostKey(chooser, VK_DOWN);
  const HWND grid = run->Control(kIdSpacingGrid);
  ASSERT_TRUE(WaitUntil([&] { return ColCount(grid) == 4; }));
  EXPECT_EQ(SendMessageW(chooser, CB_GETCURSEL, 0, 0), 1);
  run->ClickButton(kIdOk);
  ExpectEnds(*run);
  EXPECT_EQ(ReadFileBytes(folder.Exchange()), CliSplit(host, {L"--text", L"2"}));
}

// The figure a person compares: how long the band takes to redraw a text of
// 255 characters, asked from this process, against a redraw of the status
// line, which costs the same round trips and hardly any drawing. A window
// of another process paints when its own thread gets to it: the update
// region empties as its painting begins, and a message sent after that is
// answered once the painting is done.
TEST_F(Tool, PreviewRedrawOf255Characters) {
  std::string text;
  for (int i = 0; i < 255; ++i) text += kHiraganaA;
  ProgramFolder folder(kTool, L"rupena redraw");
  WriteFileBytes(folder.Exchange(), HostFile({"ch 0 0 1 0 \"" + text}));
  auto run = Start(folder);
  ASSERT_NE(run->Main(), nullptr);
  const auto best = [](HWND window) {
    double fastest = 1e9;
    for (int i = 0; i < 20; ++i) {
      LARGE_INTEGER start, stop, frequency;
      QueryPerformanceFrequency(&frequency);
      QueryPerformanceCounter(&start);
      RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
      while (GetUpdateRect(window, nullptr, FALSE) && std::chrono::steady_clock::now() < deadline) {
      }
      SendMessageW(window, WM_NULL, 0, 0);
      QueryPerformanceCounter(&stop);
      fastest = std::min(fastest, 1000.0 * static_cast<double>(stop.QuadPart - start.QuadPart) /
                                      static_cast<double>(frequency.QuadPart));
    }
    return fastest;
  };
  const double band = best(run->Control(kIdPreviewBand));
  const double status = best(run->Control(kIdStatusLine));
  std::printf("preview redraw of 255 characters, best of 20: %.2f ms (status line: %.2f ms)\n", band, status);
  EXPECT_EQ(WindowText(run->Control(kIdLengthBox)), L"1274");  // 255 characters 4 wide, 254 gaps of 1
  run->ClickButton(kIdCancel);
  ExpectEnds(*run);
}

TEST_F(Tool, SliderAtFiveNarrowsTheDataColumnsOnly) {
  ProgramFolder folder(kTool, L"rupena slider");
  WriteFileBytes(folder.Exchange(), kPicked);
  auto run = Start(folder);
  ASSERT_NE(run->Main(), nullptr);
  const HWND grid = run->Control(kIdSpacingGrid);
  const HWND slider = run->Control(kIdWidthSlider);
  for (int col = 1; col <= 3; ++col) EXPECT_EQ(ColWidth(grid, col), 32);
  run->PostKey(slider, VK_HOME);
  ASSERT_TRUE(WaitUntil([&] { return ColWidth(grid, 1) == 5; }));
  EXPECT_EQ(SendMessageW(slider, TBM_GETPOS, 0, 0), 5);
  EXPECT_EQ(ColWidth(grid, 0), 64);
  for (int col = 1; col <= 3; ++col) EXPECT_EQ(ColWidth(grid, col), 5);
  run->PostKey(slider, VK_END);
  ASSERT_TRUE(WaitUntil([&] { return ColWidth(grid, 3) == 100; }));
  EXPECT_EQ(ColWidth(grid, 0), 64);
  run->ClickButton(kIdCancel);
  ExpectEnds(*run);
}

TEST_F(Tool, StoredPositionIsAppliedAndAMissingOneGivesTheOrigin) {
  struct Case {
    const char* name;
    const char* dat;  // nullptr: no file
    POINT expected;
  } cases[] = {
      {"stored", "150\r\n90\r\n", {150, 90}},
      {"missing", nullptr, {0, 0}},
      {"garbage", "\xff\xfe junk\r\n", {0, 0}},
      {"one line", "250", {250, 0}},
      {"second line a word", "100\r\nabc\r\n", {100, 0}},
      {"negative, title bar still on screen", "-40\r\n-5\r\n", {-40, -5}},
      {"left of the screen, partly visible", "-300\r\n40\r\n", {-300, 40}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramFolder folder(kTool, L"rupena position");
    WriteFileBytes(folder.Exchange(), kPicked);
    if (c.dat != nullptr) WriteFileBytes(folder.Dat(), c.dat);
    auto run = Start(folder);
    ASSERT_NE(run->Main(), nullptr);
    RECT r{};
    GetWindowRect(run->Main(), &r);
    EXPECT_EQ(r.left, c.expected.x);
    EXPECT_EQ(r.top, c.expected.y);
    run->ClickButton(kIdCancel);
    ExpectEnds(*run);
  }
}

// The cell under the mouse, in the grid's client pixels.
POINT CellMiddle(HWND grid, int col, int row) {
  const auto cols = SendMessageW(grid, GM_GETCOLEDGES, static_cast<WPARAM>(col), 0);
  const auto rows = SendMessageW(grid, GM_GETROWEDGES, static_cast<WPARAM>(row), 0);
  return POINT{(static_cast<short>(LOWORD(cols)) + static_cast<short>(HIWORD(cols))) / 2,
               (static_cast<short>(LOWORD(rows)) + static_cast<short>(HIWORD(rows))) / 2};
}

// The prefix's DPI for the programs started while it lives: Wine reads
// HKCU\Control Panel\Desktop\LogPixels when a process starts. The value
// before comes back (or goes again) at the end.
class ScopedLogPixels {
 public:
  explicit ScopedLogPixels(int dpi) {
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                        nullptr, &key_, nullptr) != ERROR_SUCCESS) {
      key_ = nullptr;
      ADD_FAILURE() << "cannot open HKCU\\" << kKey;
      return;
    }
    DWORD type = 0;
    DWORD size = sizeof before_;
    had_ = RegQueryValueExW(key_, kValue, nullptr, &type, reinterpret_cast<BYTE*>(&before_), &size) ==
               ERROR_SUCCESS &&
           type == REG_DWORD;
    EXPECT_TRUE(Set(static_cast<DWORD>(dpi)));
  }
  ~ScopedLogPixels() {
    if (key_ == nullptr) return;
    if (had_) {
      Set(before_);
    } else {
      RegDeleteValueW(key_, kValue);
    }
    RegCloseKey(key_);
  }
  ScopedLogPixels(const ScopedLogPixels&) = delete;
  ScopedLogPixels& operator=(const ScopedLogPixels&) = delete;

 private:
  static constexpr wchar_t kKey[] = L"Control Panel\\Desktop";
  static constexpr wchar_t kValue[] = L"LogPixels";
  bool Set(DWORD dpi) const {
    return RegSetValueExW(key_, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                          sizeof dpi) == ERROR_SUCCESS;
  }
  HKEY key_ = nullptr;
  DWORD before_ = 0;
  bool had_ = false;
};

int Scaled(int value96, int dpi) { return app::ScaleForDpi(value96, dpi); }

// Text as a label shows it in "ＭＳ ゴシック" (the prefix's stand-in for it)
// of that many pixels: its width and the font's line height.
SIZE TextSize(const std::wstring& text, int pixelHeight) {
  const HFONT font = CreateFontW(-pixelHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                 SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                 DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"ＭＳ ゴシック");
  const HDC dc = CreateCompatibleDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(font);
  return SIZE{size.cx, metrics.tmHeight};
}

void ExpectNear(long actual, long expected, const char* what) {
  EXPECT_LE(std::abs(actual - expected), 1) << what << ": " << actual << " for " << expected;
}

// The window as it is at 96 DPI, scaled to `dpi`: the client area and every
// control's rectangle within a pixel of the 96-DPI one scaled, labels as
// large as their text in the scaled fonts, the grid's columns and rows
// scaled exactly.
void ExpectLayoutAt(const RunningWindow& run, int dpi) {
  SCOPED_TRACE(testing::Message() << "at " << dpi << " DPI");
  RECT client{};
  GetClientRect(run.Main(), &client);
  ExpectNear(client.right, Scaled(487, dpi), "client width");
  ExpectNear(client.bottom, Scaled(325, dpi), "client height");

  // The layout at 96 DPI; -1: sized to the text.
  struct Place {
    int id;
    RECT rect;
  } places[] = {
      {kIdPickedTextHeading, {8, 8, -1, -1}},
      {kIdPickedText, {8, 28, -1, 44}},
      {kIdSpacingGrid, {8, 48, 281, 129}},
      {kIdCellWidthLabel, {96, 140, -1, -1}},
      {kIdWidthSlider, {152, 136, 286, 161}},
      {kIdOk, {72, 168, 193, 193}},
      {kIdCancel, {272, 168, 393, 193}},
      {kIdNotes, {288, 48, 481, 161}},
      {kIdPreviewBand, {8, 200, 388, 296}},
      {kIdLengthLabel, {396, 204, -1, -1}},
      {kIdLengthBox, {396, 222, 479, 244}},
      {kIdStatusLine, {0, 301, 487, 325}},
  };
  for (const Place& p : places) {
    SCOPED_TRACE(p.id);
    const HWND control = run.Control(p.id);
    ASSERT_NE(control, nullptr);
    const RECT r = ChildRect(control);
    ExpectNear(r.left, Scaled(p.rect.left, dpi), "left");
    ExpectNear(r.top, Scaled(p.rect.top, dpi), "top");
    if (p.rect.right >= 0) ExpectNear(r.right, Scaled(p.rect.right, dpi), "right");
    if (p.rect.bottom >= 0) ExpectNear(r.bottom, Scaled(p.rect.bottom, dpi), "bottom");
  }

  // The fonts: each label is its text in the scaled font.
  struct Label {
    int id;
    int fontHeight;
  } labels[] = {{kIdPickedTextHeading, 13},
                {kIdCellWidthLabel, 13},
                {kIdLengthLabel, 13},
                {kIdPickedText, 16}};
  for (const Label& label : labels) {
    SCOPED_TRACE(label.id);
    const RECT r = ChildRect(run.Control(label.id));
    const SIZE text = TextSize(WindowText(run.Control(label.id)), Scaled(label.fontHeight, dpi));
    EXPECT_EQ(r.right - r.left, text.cx);
    if (label.id != kIdPickedText) {
      EXPECT_EQ(r.bottom - r.top, text.cy);
    }
  }

  const HWND grid = run.Control(kIdSpacingGrid);
  EXPECT_EQ(SendMessageW(grid, GM_GETCOLWIDTH, 0, 0), Scaled(64, dpi));
  for (int col = 1; col < static_cast<int>(SendMessageW(grid, GM_GETCOLCOUNT, 0, 0)); ++col) {
    EXPECT_EQ(SendMessageW(grid, GM_GETCOLWIDTH, static_cast<WPARAM>(col), 0),
              Scaled(app::kInitialCellWidth, dpi));
  }
  const auto row = SendMessageW(grid, GM_GETROWEDGES, 1, 0);
  EXPECT_EQ(static_cast<short>(HIWORD(row)) - static_cast<short>(LOWORD(row)), Scaled(24, dpi));
}

// Returns once what the screen shows of `window` stops changing: it may
// lag behind the window's own drawing.
void WaitForSteadyScreen(HWND window) {
  std::optional<WindowPicture> before = TakePicture(window);
  WaitUntil([&] {
    std::optional<WindowPicture> now = TakePicture(window);
    const bool steady = now && before && now->pixels == before->pixels;
    before = std::move(now);
    return steady;
  });
}

// One run of the tool per scale, with the prefix set to it: the layout is
// the 96-DPI one scaled, the slider's widths are 96-DPI widths, and OK
// writes what it writes at any scale. A picture of each scale is kept:
// window.bmp at 96 DPI, window-<dpi>dpi.bmp at the others.
class ToolAtDpi : public Tool, public testing::WithParamInterface<int> {};

TEST_P(ToolAtDpi, LaysOutThe96DpiLayoutScaled) {
  const int dpi = GetParam();
  const ScopedLogPixels logPixels(dpi);
  ProgramFolder folder(kTool, L"rupena geometry");
  WriteFileBytes(folder.Exchange(), kPicked);
  auto run = Start(folder);
  const HWND main = run->Main();
  ASSERT_NE(main, nullptr);
  ExpectLayoutAt(*run, dpi);

  EXPECT_EQ(WindowText(main), L"ルペナ");
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(main, GWL_STYLE));
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  const HWND owner = GetWindow(main, GW_OWNER);
  ASSERT_NE(owner, nullptr);
  EXPECT_EQ(WindowText(owner), L"kt62_ルペナ");
  EXPECT_EQ(WindowText(run->Control(kIdPickedTextHeading)), L"指示した文字：");
  EXPECT_EQ(WindowText(run->Control(kIdPickedText)), L"AあB");
  EXPECT_EQ(WindowText(run->Control(kIdCellWidthLabel)), L"セル幅：");
  EXPECT_EQ(WindowText(run->Control(kIdOk)), L"ＯＫ(&Y)");
  EXPECT_EQ(WindowText(run->Control(kIdCancel)), L"キャンセル(&N)");
  EXPECT_EQ(WindowText(run->Control(kIdStatusLine)), L"　");
  EXPECT_EQ(WindowText(run->Control(kIdLengthLabel)), L"全長：");
  // the box is named by its label, the window just before it
  EXPECT_EQ(GetWindow(run->Control(kIdLengthLabel), GW_HWNDNEXT), run->Control(kIdLengthBox));
  EXPECT_EQ(WindowText(run->Control(kIdLengthBox)), L"9.5");
  const std::wstring notes = WindowText(run->Control(kIdNotes));
  EXPECT_EQ(notes.substr(0, 11), L"◇特殊文字、制御文字、");
  EXPECT_NE(notes.find(L"\r\n\r\n◆ブロック図形内のもの\r\n"), std::wstring::npos);
  EXPECT_EQ(notes.substr(notes.size() - 9), L"　場合があります。");
  const HWND slider = run->Control(kIdWidthSlider);
  EXPECT_EQ(SendMessageW(slider, TBM_GETRANGEMIN, 0, 0), 5);
  EXPECT_EQ(SendMessageW(slider, TBM_GETRANGEMAX, 0, 0), 100);
  EXPECT_EQ(SendMessageW(slider, TBM_GETPOS, 0, 0), 32);
  // tab order: grid, slider, OK, Cancel, length box
  const int order[] = {kIdSpacingGrid, kIdWidthSlider, kIdOk, kIdCancel, kIdLengthBox, kIdSpacingGrid};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
    EXPECT_EQ(GetNextDlgTabItem(main, run->Control(order[i]), FALSE), run->Control(order[i + 1]));
  }

  // The picture shows a full-width entry stored as ASCII and a cell that
  // will count as 0, marked.
  const HWND grid = run->Control(kIdSpacingGrid);
  for (const auto& [col, typed] : {std::pair{2, std::wstring(L"１．５")}, std::pair{3, std::wstring(L"ａ")}}) {
    ASSERT_EQ(SendMessageW(grid, GM_SETCURCELL, static_cast<WPARAM>(col), 1), TRUE);
    for (const wchar_t ch : typed) run->PostChar(grid, ch);
    ASSERT_TRUE(WaitUntil([&] { return WindowText(run->Focus()) == typed; }));
    SendMessageW(grid, GM_COMMITEDIT, 0, 0);
  }
  ASSERT_EQ(SendMessageW(grid, GM_SETCURCELL, 1, 1), TRUE);
  UpdateWindow(grid);
  WaitForSteadyScreen(main);
  fs::create_directories(kArtifacts);
  const std::wstring picture =
      dpi == 96 ? L"window.bmp" : L"window-" + std::to_wstring(dpi) + L"dpi.bmp";
  EXPECT_TRUE(SaveWindowBitmap(main, kArtifacts / picture));

  // The slider's value is a width at 96 DPI, drawn at the window's.
  run->PostKey(slider, VK_HOME);
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(slider, TBM_GETPOS, 0, 0) == 5; }));
  ASSERT_TRUE(WaitUntil([&] { return ColWidth(grid, 1) == Scaled(5, dpi); }));
  EXPECT_EQ(ColWidth(grid, 3), Scaled(5, dpi));
  EXPECT_EQ(ColWidth(grid, 0), Scaled(64, dpi));

  run->ClickButton(kIdOk);
  ExpectEnds(*run);
  // the marked cell follows the last character: its spacing moves nothing
  EXPECT_EQ(ReadFileBytes(folder.Exchange()), CliSplit(kPicked, {L"--spacing", L"2=1.5"}));
}

INSTANTIATE_TEST_SUITE_P(Scales, ToolAtDpi, testing::Values(96, 120, 144, 192),
                         [](const testing::TestParamInfo<int>& scale) {
                           return std::to_string(scale.param) + "dpi";
                         });

// The window's rectangle as Windows suggests it for a move onto a screen
// of another scale: the same place, every side scaled.
RECT SuggestedRect(HWND window, int fromDpi, int toDpi, POINT offset) {
  RECT r{};
  GetWindowRect(window, &r);
  return RECT{r.left + offset.x, r.top + offset.y,
              r.left + offset.x + app::ScaleLength(r.right - r.left, fromDpi, toDpi),
              r.top + offset.y + app::ScaleLength(r.bottom - r.top, fromDpi, toDpi)};
}

// Dragged from a 100 % screen onto a 150 % one while a range is selected
// and a cell is being typed into, then back: each time the window takes
// the suggested place and the layout of the new scale, and the grid keeps
// its cells, its selection and the typing.
TEST_F(Tool, MovedOntoAScreenOfAnotherScaleAndBack) {
  const ScopedLogPixels logPixels(96);
  ProgramFolder folder(kTool, L"rupena dpi change");
  auto run = StartOnGrid(folder);
  ASSERT_NE(run->Main(), nullptr);
  const HWND grid = run->Control(kIdSpacingGrid);
  run->Drag(grid, CellMiddle(grid, 1, 1), CellMiddle(grid, 2, 1));
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(grid, GM_GETCURCELL, 0, 0) == MAKELRESULT(2, 1); }));
  run->TypeChar(L'7');
  ASSERT_TRUE(WaitUntil([&] { return WindowText(run->Focus()) == L"7"; }));
  const HWND editor = run->Focus();

  for (const auto& [from, to] : {std::pair{96, 144}, std::pair{144, 96}}) {
    SCOPED_TRACE(testing::Message() << from << " to " << to << " DPI");
    const RECT suggested = SuggestedRect(run->Main(), from, to, POINT{40, 30});
    ASSERT_TRUE(run->SendWithData(run->Main(), WM_DPICHANGED, MAKEWPARAM(to, to), &suggested,
                                  sizeof suggested));
    RECT placed{};
    GetWindowRect(run->Main(), &placed);
    EXPECT_EQ(placed.left, suggested.left);
    EXPECT_EQ(placed.top, suggested.top);
    ExpectLayoutAt(*run, to);

    EXPECT_EQ(SendMessageW(grid, GM_ISEDITING, 0, 0), TRUE);
    EXPECT_EQ(run->Focus(), editor);
    EXPECT_EQ(WindowText(editor), L"7");
    EXPECT_EQ(SendMessageW(grid, GM_GETCURCELL, 0, 0), MAKELRESULT(2, 1));
    EXPECT_EQ(SendMessageW(grid, GM_GETANCHOR, 0, 0), MAKELRESULT(1, 1));
    // the editor still covers its cell's width
    const auto edges = SendMessageW(grid, GM_GETCOLEDGES, 2, 0);
    const RECT editorRect = ChildRect(editor);
    EXPECT_EQ(editorRect.left, static_cast<short>(LOWORD(edges)));
    EXPECT_EQ(editorRect.right, static_cast<short>(HIWORD(edges)));
  }

  run->TypeKey(VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(grid, GM_ISEDITING, 0, 0) == 0; }));
  run->ClickButton(kIdOk);
  ExpectEnds(*run);
  EXPECT_EQ(ReadFileBytes(folder.Exchange()), CliSplit(kPicked, {L"--spacing", L"2=7"}));
}

// The drop-down list of several texts follows the scale as well: opened at
// 150 % and moved onto a 100 % screen, its field sits where the layout puts
// it and each item is as high as the scale makes it. (The field's own
// height is the combo box's: Wine adds a frame of its own choosing to it.)
TEST_F(Tool, TheTextChooserFollowsTheScale) {
  const ScopedLogPixels logPixels(144);
  const std::string host = HostFile({"ch 0 0 1 0 \"XY", "ch 0 9 1 0 \"CDE"});
  ProgramFolder folder(kTool, L"rupena chooser scale");
  WriteFileBytes(folder.Exchange(), host);
  auto run = Start(folder);
  ASSERT_NE(run->Main(), nullptr);
  const HWND chooser = run->Control(kIdTextChooser);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(chooser) != FALSE; }));
  for (const int dpi : {144, 96}) {
    SCOPED_TRACE(dpi);
    if (dpi != 144) {
      const RECT suggested = SuggestedRect(run->Main(), 144, dpi, POINT{0, 0});
      ASSERT_TRUE(run->SendWithData(run->Main(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), &suggested,
                                    sizeof suggested));
    }
    ExpectLayoutAt(*run, dpi);
    const RECT field = ChildRect(chooser);
    ExpectNear(field.left, Scaled(8, dpi), "left");
    ExpectNear(field.top, Scaled(27, dpi), "top");
    ExpectNear(field.right, Scaled(281, dpi), "right");
    EXPECT_EQ(SendMessageW(chooser, CB_GETITEMHEIGHT, 0, 0), Scaled(14, dpi));
  }
  run->ClickButton(kIdCancel);
  ExpectEnds(*run);
}

TEST_F(Tool, JapaneseFolderWithBlanks) {
  ProgramFolder folder(kTool, L"図面 ツール　ルペナ");
  WriteFileBytes(folder.Exchange(), kPicked);
  auto run = Start(folder);
  ASSERT_NE(run->Main(), nullptr);
  run->ClickButton(kIdOk);
  ExpectEnds(*run);
  EXPECT_EQ(ReadFileBytes(folder.Exchange()), CliSplit(kPicked));
  const std::string dat = ReadFileBytes(folder.Dat());
  ASSERT_GE(dat.size(), 6u);
  EXPECT_EQ(dat.substr(dat.size() - 2), "\r\n");
}

TEST_F(Tool, BadInputStillShowsTheWindowAndEndsCleanly) {
  struct Case {
    const char* name;
    const char* exchange;  // nullptr: no file
    std::size_t size;
  } cases[] = {
      {"missing", nullptr, 0},
      {"empty", "", 0},
      {"garbage", "\x00\xff\xfe\x1a\x82\r\r\n\x81", 9},
      {"text without a direction", "ch 0 0 0 0 \"AB\r\n", 16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramFolder folder(kTool, L"rupena bad");
    const std::string bytes = c.exchange ? std::string(c.exchange, c.size) : std::string();
    if (c.exchange != nullptr) WriteFileBytes(folder.Exchange(), bytes);
    WriteFileBytes(folder.Dat(), std::string(100000, '9'));
    auto run = Start(folder);
    ASSERT_NE(run->Main(), nullptr);
    run->ClickButton(kIdOk);
    ExpectEnds(*run);
    if (c.exchange == nullptr) {
      EXPECT_FALSE(fs::exists(folder.Exchange()));
    } else if (std::string(c.name) == "text without a direction") {
      // the characters are dropped by the writer, the header still goes out
      EXPECT_EQ(ReadFileBytes(folder.Exchange()).substr(0, 4), "hd\r\n");
    } else {
      EXPECT_EQ(ReadFileBytes(folder.Exchange()), bytes);
    }
  }
}

// The position file is a convenience: when it cannot be written, OK still
// writes the result and ends, silently.
TEST_F(Tool, UnwritablePositionFileDoesNotStopOk) {
  ProgramFolder folder(kTool, L"rupena unwritable");
  WriteFileBytes(folder.Exchange(), kPicked);
  fs::create_directory(folder.Dat());
  auto run = Start(folder);
  ASSERT_NE(run->Main(), nullptr);
  run->ClickButton(kIdOk);
  ExpectEnds(*run);
  EXPECT_EQ(ReadFileBytes(folder.Exchange()), CliSplit(kPicked));
}

// The message box the tool shows over its window, once it is up.
HWND MessageBoxOver(HWND owner) {
  HWND box = nullptr;
  WaitUntil([&] {
    for (box = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); box != nullptr;
         box = FindWindowExW(nullptr, box, L"#32770", nullptr)) {
      if (GetWindow(box, GW_OWNER) == owner && IsWindowVisible(box)) return true;
    }
    return false;
  });
  return box;
}

std::wstring WindowsMessage(DWORD error) {
  wchar_t buffer[512] = {};
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                 error, 0, buffer, 512, nullptr);
  std::wstring text(buffer, n);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
    text.pop_back();
  }
  return text;
}

// OK that cannot write says why, in the system's words, and leaves the user
// in the window with the host's file and the position as they were; once
// the file may be written, OK writes it.
TEST_F(Tool, OkThatCannotWriteSaysWhyAndStays) {
  ProgramFolder folder(kTool, L"rupena read only");
  auto run = StartOnGrid(folder);
  ASSERT_NE(run->Main(), nullptr);
  ASSERT_TRUE(SetFileAttributesW(folder.Exchange().c_str(), FILE_ATTRIBUTE_READONLY));
  run->ClickButton(kIdOk);
  const HWND box = MessageBoxOver(run->Main());
  ASSERT_NE(box, nullptr) << "no message box";
  EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)),
            L"JWC_TEMP.TXT に書き込めませんでした：" + WindowsMessage(ERROR_ACCESS_DENIED));
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
  EXPECT_FALSE(run->WaitForExit(std::chrono::milliseconds(200)).has_value());
  EXPECT_EQ(ReadFileBytes(folder.Exchange()), kPicked);
  EXPECT_FALSE(fs::exists(folder.Dat()));

  ASSERT_TRUE(SetFileAttributesW(folder.Exchange().c_str(), FILE_ATTRIBUTE_NORMAL));
  run->ClickButton(kIdOk);
  ExpectEnds(*run);
  EXPECT_EQ(ReadFileBytes(folder.Exchange()), CliSplit(kPicked));
  EXPECT_TRUE(fs::exists(folder.Dat()));
}

// Keys as the keyboard sends them, so that the tool sees Control held down.
void SendKeys(std::initializer_list<std::pair<WORD, bool>> keys) {
  std::vector<INPUT> inputs;
  for (const auto& [vk, up] : keys) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

TEST_F(Tool, FullWidthDigitsAsAnInputMethodCommitsThem) {
  ProgramFolder folder(kTool, L"rupena full width");
  auto run = StartOnGrid(folder);
  ASSERT_NE(run->Main(), nullptr);
  for (const wchar_t ch : std::wstring(L"１．５")) run->TypeChar(ch);
  ASSERT_TRUE(WaitUntil([&] { return WindowText(run->Focus()) == L"１．５"; }));
  run->TypeKey(VK_RETURN);
  const HWND grid = run->Control(kIdSpacingGrid);
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(grid, GM_ISEDITING, 0, 0) == 0; }));
  run->ClickButton(kIdOk);
  ExpectEnds(*run);
  EXPECT_EQ(ReadFileBytes(folder.Exchange()), CliSplit(kPicked, {L"--spacing", L"1=1.5"}));
}

TEST_F(Tool, CtrlEnterStoresOneValueInADraggedRange) {
  ProgramFolder folder(kTool, L"rupena fill");
  auto run = StartOnGrid(folder);
  ASSERT_NE(run->Main(), nullptr);
  const HWND grid = run->Control(kIdSpacingGrid);
  run->Drag(grid, CellMiddle(grid, 1, 1), CellMiddle(grid, 3, 1));
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(grid, GM_GETCURCELL, 0, 0) == MAKELRESULT(3, 1); }));
  EXPECT_EQ(SendMessageW(grid, GM_GETANCHOR, 0, 0), MAKELRESULT(1, 1));
  for (const wchar_t ch : std::wstring(L"0.8")) run->TypeChar(ch);
  ASSERT_TRUE(WaitUntil([&] { return WindowText(run->Focus()) == L"0.8"; }));
  SetForegroundWindow(run->Main());
  SendKeys({{VK_CONTROL, false}, {VK_RETURN, false}, {VK_RETURN, true}, {VK_CONTROL, true}});
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(grid, GM_ISEDITING, 0, 0) == 0; }));
  // Ctrl+Enter pressed nothing: the tool still runs
  EXPECT_FALSE(run->WaitForExit(std::chrono::milliseconds(200)).has_value());
  run->ClickButton(kIdOk);
  ExpectEnds(*run);
  EXPECT_EQ(ReadFileBytes(folder.Exchange()),
            CliSplit(kPicked, {L"--spacing", L"1=0.8", L"--spacing", L"2=0.8", L"--spacing", L"3=0.8"}));
}

TEST_F(Tool, PastedSpreadsheetRowFillsTheCells) {
  ProgramFolder folder(kTool, L"rupena paste");
  auto run = StartOnGrid(folder);
  ASSERT_NE(run->Main(), nullptr);
  // Windows lets only a window own what is put on the clipboard.
  const HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     nullptr, nullptr);
  ASSERT_TRUE(SetClipboardText(owner, L"1.25\t２\t3\t4\r\n"));
  run->TypeChar(0x16);  // what Ctrl+V types
  run->ClickButton(kIdOk);
  ExpectEnds(*run);
  DestroyWindow(owner);
  EXPECT_EQ(ReadFileBytes(folder.Exchange()),
            CliSplit(kPicked, {L"--spacing", L"1=1.25", L"--spacing", L"2=2", L"--spacing", L"3=3"}));
}

TEST_F(Tool, StoredPositionOffEveryScreenOpensOnTheScreen) {
  ProgramFolder folder(kTool, L"rupena off screen");
  WriteFileBytes(folder.Exchange(), kPicked);
  WriteFileBytes(folder.Dat(), "-30000\r\n-30000\r\n");
  auto run = Start(folder);
  ASSERT_NE(run->Main(), nullptr);
  RECT r{};
  GetWindowRect(run->Main(), &r);
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_GE(r.left, work.left);
  EXPECT_GE(r.top, work.top);
  EXPECT_LE(r.right, work.right);
  EXPECT_LE(r.bottom, work.bottom);
  // Not rewritten at start: OK stores the place the window now has.
  EXPECT_EQ(ReadFileBytes(folder.Dat()), "-30000\r\n-30000\r\n");
  run->ClickButton(kIdOk);
  ExpectEnds(*run);
  EXPECT_EQ(ReadFileBytes(folder.Dat()),
            std::to_string(r.left) + "\r\n" + std::to_string(r.top) + "\r\n");
}

}  // namespace
}  // namespace rupena::e2e
