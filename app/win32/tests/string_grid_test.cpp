// Drives a real grid in a real top-level window under the dialog manager
// (IsDialogMessageW in the pump), the way the main window will run it.
#include "app/win32/string_grid.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "app/win32/clipboard.h"
#include "app/win32/cp932.h"
#include "app/win32/scoped_gdi.h"
#include "app/win32/window_base.h"

namespace rupena::win32 {
namespace {

constexpr wchar_t kParentClass[] = L"RupenaGridTestParent";
constexpr int kGridId = 100;
constexpr int kHeadingWidth = 64;

struct Command {
  int id = 0;
  std::string spacingBytes;  // cell (1, 1) as the command handler saw it
};

struct CellsChanged {
  HWND from = nullptr;
  std::vector<std::string> spacings;  // as the parent read them on hearing it
};

// The grid drawn into a bitmap, to be read pixel by pixel.
class Picture {
 public:
  explicit Picture(HWND grid) {
    RECT client{};
    GetClientRect(grid, &client);
    const ScopedWindowDc screen = GetDcScoped(grid);
    memory_.Reset(CreateCompatibleDC(screen.Get().dc));
    bitmap_.Reset(CreateCompatibleBitmap(screen.Get().dc, client.right, client.bottom));
    selected_ = SelectScoped(memory_.Get(), bitmap_.Get());
    SendMessageW(grid, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory_.Get()), PRF_CLIENT);
  }
  bool Valid() const { return memory_ && bitmap_; }
  COLORREF At(int x, int y) const { return GetPixel(memory_.Get(), x, y); }

 private:
  // Declared last, the selection is undone first: the bitmap leaves the DC
  // before either is deleted.
  ScopedMemoryDc memory_;
  ScopedBitmap bitmap_;
  ScopedSelection selected_;
};

// The grid's parent, as the main window is: it hands its commands on.
class ParentWindow final : public WindowBase {
 public:
  using OnCommand = std::function<void(WPARAM, LPARAM)>;
  explicit ParentWindow(OnCommand onCommand) : onCommand_(std::move(onCommand)) {}

  bool Create() {
    WindowClass windowClass;
    windowClass.name = kParentClass;
    windowClass.cursor = IDC_ARROW;
    windowClass.background = GetSysColorBrush(COLOR_WINDOW);
    return WindowBase::Create(GetModuleHandleW(nullptr), windowClass,
                              {.title = L"grid",
                               .style = WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               .width = 500,
                               .height = 260});
  }

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_COMMAND) {
      onCommand_(wParam, lParam);
      return 0;
    }
    return DefaultProc(message, wParam, lParam);
  }

  OnCommand onCommand_;
};

class StringGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(parent_.Create());
    ASSERT_TRUE(grid_.Create(parent_.Handle(), kGridId, 8, 48, 273, 81));
    font_.Reset(CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            FIXED_PITCH | FF_MODERN, L"\xff2d\xff33 \x30b4\x30b7\x30c3\x30af"));
    SendMessageW(grid_.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), TRUE);
    ok_ = CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                          72, 168, 121, 25, parent_.Handle(), reinterpret_cast<HMENU>(IDOK),
                          GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(ok_, nullptr);
    Fill({"A", "\x82\xa0", "B"}, {"0.5", "1", "0.5"});
    SetFocus(grid_.Handle());
    Pump();
  }

  void TearDown() override {
    SetShift(false);
    SetKey(VK_CONTROL, false);
    if (parent_.Handle() != nullptr) {
      DestroyWindow(parent_.Handle());
    }
    Pump();
  }

  void OnParentCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    if (id == IDOK || id == IDCANCEL) {
      commands_.push_back({id, grid_.CellBytes(1, 1)});
    } else if (id == kGridId && HIWORD(wParam) == GN_CELLSCHANGED) {
      changes_.push_back({reinterpret_cast<HWND>(lParam), Spacings()});
    }
  }

  // The grid as the window fills it: characters in the heading row, the
  // spacing after each in row 1.
  void Fill(const std::vector<std::string>& chars, const std::vector<std::string>& spacings) {
    grid_.SetColCount(static_cast<int>(chars.size()) + 1);
    grid_.SetColWidth(0, kHeadingWidth);
    grid_.SetCellBytes(0, 0, "\x95\xb6\x8e\x9a");
    grid_.SetCellBytes(0, 1, "\x8c\xe3\x82\xcc\x8a\xd4\x8a\x75");
    for (std::size_t i = 0; i < chars.size(); ++i) {
      const int col = static_cast<int>(i) + 1;
      grid_.SetCellBytes(col, 0, chars[i]);
      grid_.SetCellBytes(col, 1, i < spacings.size() ? spacings[i] : std::string());
    }
  }

  void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (!IsDialogMessageW(parent_.Handle(), &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
  }

  // Posted to whichever window has the focus, as typed keys arrive.
  void Type(std::wstring_view text) {
    for (const wchar_t ch : text) {
      PostMessageW(GetFocus(), WM_CHAR, ch, 1);
      Pump();
    }
  }
  void Key(UINT key) {
    PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
    Pump();
  }
  static void SetShift(bool down) {
    SetKey(VK_SHIFT, down);
    SetKey(VK_LSHIFT, down);
  }
  static void SetKey(int key, bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[key] = down ? 0x80 : 0;
    SetKeyboardState(keys);
  }
  // Ctrl+Enter as typed: the key with Control held down.
  void CtrlEnter() {
    SetKey(VK_CONTROL, true);
    Key(VK_RETURN);
    SetKey(VK_CONTROL, false);
  }
  std::vector<std::string> Spacings() {
    std::vector<std::string> cells;
    for (int col = 1; col < grid_.ColCount(); ++col) cells.push_back(grid_.CellBytes(col, 1));
    return cells;
  }

  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageW(grid_.Handle(), message, wParam, lParam);
  }
  POINT CurrentCell() {
    const LRESULT packed = Send(GM_GETCURCELL);
    return POINT{static_cast<short>(LOWORD(packed)), static_cast<short>(HIWORD(packed))};
  }
  std::pair<int, int> ColEdges(int col, HWND grid = nullptr) {
    const LRESULT packed = SendMessageW(grid != nullptr ? grid : grid_.Handle(), GM_GETCOLEDGES,
                                        static_cast<WPARAM>(col), 0);
    if (packed == -1) {
      return {-1, -1};
    }
    return {static_cast<short>(LOWORD(packed)), static_cast<short>(HIWORD(packed))};
  }
  std::pair<int, int> RowEdges(int row, HWND grid = nullptr) {
    const LRESULT packed = SendMessageW(grid != nullptr ? grid : grid_.Handle(), GM_GETROWEDGES,
                                        static_cast<WPARAM>(row), 0);
    return {static_cast<short>(LOWORD(packed)), static_cast<short>(HIWORD(packed))};
  }
  int RowMiddle(int row) {
    const auto [top, bottom] = RowEdges(row);
    return (top + bottom) / 2;
  }
  POINT CellMiddle(int col, int row) {
    const auto [left, right] = ColEdges(col);
    return POINT{(left + right) / 2, RowMiddle(row)};
  }
  void Mouse(UINT message, POINT point, WPARAM keys = 0) {
    Send(message, keys, MAKELPARAM(point.x, point.y));
    Pump();
  }
  void Drag(POINT from, POINT to) {
    Mouse(WM_LBUTTONDOWN, from, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, to, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, to);
  }
  std::wstring WindowText() {
    wchar_t buffer[64] = {};
    Send(WM_GETTEXT, std::size(buffer), reinterpret_cast<LPARAM>(buffer));
    return buffer;
  }

  ParentWindow parent_{[this](WPARAM wParam, LPARAM lParam) { OnParentCommand(wParam, lParam); }};
  HWND ok_ = nullptr;
  ScopedFont font_;
  StringGrid grid_{app::kSpacingCellRules};
  std::vector<Command> commands_;
  std::vector<CellsChanged> changes_;
};

TEST_F(StringGridTest, HeadingBytesComeBackUnchanged) {
  // Codes that a conversion to UTF-16 and back would change or lose.
  const std::string cases[] = {
      "\x83\x5c",  // trail byte 0x5C
      "\xed\x40",  // NEC-selected duplicate, re-encodes as FA 5C
      "\x87\x90",  // NEC row 13 duplicate, re-encodes as 81 E0
      "\x80",      // not a character at all
      "\xfd",
      "A\x83",  // lead byte at the very end
      "\x81\x40",
  };
  grid_.SetColCount(static_cast<int>(std::size(cases)) + 1);
  for (int col = 1; col <= static_cast<int>(std::size(cases)); ++col) {
    grid_.SetCellBytes(col, 0, cases[col - 1]);
  }
  for (int col = 1; col <= static_cast<int>(std::size(cases)); ++col) {
    SCOPED_TRACE(col);
    EXPECT_EQ(grid_.CellBytes(col, 0), cases[col - 1]);
    EXPECT_EQ(grid_.CellText(col, 0), Cp932ToWide(cases[col - 1]));
  }
  // Opening and closing the editor over untouched text keeps its bytes too.
  grid_.SetCellBytes(2, 1, "\xed\x40");
  ASSERT_TRUE(grid_.SetCurrentCell(2, 1));
  Key(VK_F2);
  ASSERT_TRUE(grid_.IsEditing());
  grid_.CommitEdit();
  EXPECT_EQ(grid_.CellBytes(2, 1), "\xed\x40");
}

// Enter in the editor stores the cell and goes on to the next one, the last
// one staying current; only an Enter with the editor closed is OK.
TEST_F(StringGridTest, EnterInTheEditorStoresAndMovesRight) {
  Type(L"1.5");
  ASSERT_TRUE(grid_.IsEditing());
  EXPECT_EQ(Send(GM_ISEDITING), TRUE);
  Key(VK_RETURN);
  EXPECT_TRUE(commands_.empty());
  EXPECT_FALSE(grid_.IsEditing());
  EXPECT_EQ(GetFocus(), grid_.Handle());
  EXPECT_EQ(grid_.CellBytes(1, 1), "1.5");
  EXPECT_EQ(grid_.CurrentCol(), 2);
  ASSERT_TRUE(grid_.SetCurrentCell(3, 1));
  Type(L"7");
  Key(VK_RETURN);
  EXPECT_EQ(grid_.CellBytes(3, 1), "7");
  EXPECT_EQ(grid_.CurrentCol(), 3);
  EXPECT_TRUE(commands_.empty());
  Key(VK_RETURN);
  ASSERT_EQ(commands_.size(), 1u);
  EXPECT_EQ(commands_[0].id, IDOK);
  EXPECT_EQ(commands_[0].spacingBytes, "1.5");
}

TEST_F(StringGridTest, EnterWithoutEditorIsTheParentsOk) {
  Key(VK_RETURN);
  ASSERT_EQ(commands_.size(), 1u);
  EXPECT_EQ(commands_[0].id, IDOK);
  EXPECT_EQ(commands_[0].spacingBytes, "0.5");
}

// Esc in the editor gives the cell back its text and closes the editor;
// only an Esc with the editor closed is Cancel.
TEST_F(StringGridTest, EscapeInTheEditorDropsTheTypingOnly) {
  Type(L"9");
  Key(VK_ESCAPE);
  EXPECT_TRUE(commands_.empty());
  EXPECT_EQ(grid_.CellBytes(1, 1), "0.5");
  EXPECT_FALSE(grid_.IsEditing());
  EXPECT_EQ(GetFocus(), grid_.Handle());
  Key(VK_ESCAPE);
  ASSERT_EQ(commands_.size(), 1u);
  EXPECT_EQ(commands_[0].id, IDCANCEL);
}

TEST_F(StringGridTest, ClickingOkWhileEditingStoresTheTypingFirst) {
  Type(L"3");
  SendMessageW(ok_, BM_CLICK, 0, 0);
  Pump();
  ASSERT_EQ(commands_.size(), 1u);
  EXPECT_EQ(commands_[0].id, IDOK);
  EXPECT_EQ(commands_[0].spacingBytes, "3");
}

TEST_F(StringGridTest, TypingOrF2OpensTheEditor) {
  struct Case {
    const char* name;
    bool f2;
    std::wstring typed;
    std::string stored;
  };
  const Case cases[] = {
      {"a typed character replaces the cell", false, L"2", "2"},
      {"F2 keeps the cell's text and appends", true, L"5", "0.55"},
      {"F2 and nothing typed", true, L"", "0.5"},
      {"a minus sign starts a negative spacing", false, L"-2", "-2"},
      {"hiragana is stored as CP932", false, L"\x3042", "\x82\xa0"},
      {"a character CP932 lacks becomes ?", false, L"\x20ac", "?"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    grid_.SetCellBytes(1, 1, "0.5");
    ASSERT_TRUE(grid_.SetCurrentCell(1, 1));
    SetFocus(grid_.Handle());
    if (c.f2) {
      Key(VK_F2);
    }
    Type(c.typed);
    ASSERT_TRUE(grid_.IsEditing());
    grid_.CommitEdit();
    EXPECT_FALSE(grid_.IsEditing());
    EXPECT_EQ(grid_.CellBytes(1, 1), c.stored);
  }
  EXPECT_TRUE(commands_.empty());
}

TEST_F(StringGridTest, HeadingRowAndColumnAreNeverEdited) {
  EXPECT_FALSE(grid_.SetCurrentCell(1, 0));
  EXPECT_FALSE(grid_.SetCurrentCell(0, 1));
  EXPECT_FALSE(grid_.SetCurrentCell(0, 0));
  EXPECT_EQ(Send(GM_SETCURCELL, 2, 0), FALSE);
  EXPECT_EQ(Send(GM_SETCURCELL, 4, 1), FALSE);  // past the last column
  const POINT current = CurrentCell();
  EXPECT_EQ(current.x, 1);
  EXPECT_EQ(current.y, 1);

  // Clicks and double clicks on headings leave the current cell where it is.
  const POINT headings[] = {CellMiddle(0, 1), CellMiddle(2, 0), CellMiddle(0, 0)};
  for (const POINT point : headings) {
    Mouse(WM_LBUTTONDOWN, point, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, point);
    Mouse(WM_LBUTTONDBLCLK, point, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, point);
    EXPECT_FALSE(grid_.IsEditing());
  }
  Type(L"7");
  grid_.CommitEdit();
  EXPECT_EQ(grid_.CellBytes(1, 1), "7");
  EXPECT_EQ(grid_.CellBytes(0, 1), "\x8c\xe3\x82\xcc\x8a\xd4\x8a\x75");
  EXPECT_EQ(grid_.CellBytes(1, 0), "A");
}

TEST_F(StringGridTest, DoubleClickEditsADataCell) {
  Mouse(WM_LBUTTONDOWN, CellMiddle(2, 1), MK_LBUTTON);
  Mouse(WM_LBUTTONUP, CellMiddle(2, 1));
  Mouse(WM_LBUTTONDBLCLK, CellMiddle(2, 1), MK_LBUTTON);
  Mouse(WM_LBUTTONUP, CellMiddle(2, 1));
  ASSERT_TRUE(grid_.IsEditing());
  Type(L"0");
  // A click elsewhere in the grid keeps the typing.
  Mouse(WM_LBUTTONDOWN, CellMiddle(3, 1), MK_LBUTTON);
  Mouse(WM_LBUTTONUP, CellMiddle(3, 1));
  EXPECT_FALSE(grid_.IsEditing());
  EXPECT_EQ(grid_.CellBytes(2, 1), "10");
  EXPECT_EQ(CurrentCell().x, 3);
}

TEST_F(StringGridTest, NoDataColumnsMeansNothingToEdit) {
  grid_.SetColCount(1);
  EXPECT_EQ(grid_.ColCount(), 1);
  EXPECT_EQ(Send(GM_GETCURCELL), -1);
  Type(L"1");
  Key(VK_RIGHT);
  Key(VK_F2);
  EXPECT_FALSE(grid_.IsEditing());
  EXPECT_EQ(WindowText(), L"");
  grid_.SetColCount(0);  // clamped to the heading column
  EXPECT_EQ(grid_.ColCount(), 1);
  grid_.SetColCount(3);
  const POINT current = CurrentCell();
  EXPECT_EQ(current.x, 1);
  EXPECT_EQ(current.y, 1);
}

TEST_F(StringGridTest, KeysMoveTheCurrentCell) {
  struct Step {
    UINT key;
    bool shift;
    int col;
  };
  const Step steps[] = {
      {VK_RIGHT, false, 2}, {VK_RIGHT, false, 3}, {VK_RIGHT, false, 3},  // stops at the end
      {VK_LEFT, false, 2},  {VK_HOME, false, 1},  {VK_LEFT, false, 1},   // never into headings
      {VK_UP, false, 1},    {VK_END, false, 3},   {VK_TAB, true, 2},
      {VK_TAB, false, 3},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.key);
    SetShift(step.shift);
    Key(step.key);
    SetShift(false);
    const POINT current = CurrentCell();
    EXPECT_EQ(current.x, step.col);
    EXPECT_EQ(current.y, 1);
    EXPECT_EQ(GetFocus(), grid_.Handle());
  }
}

TEST_F(StringGridTest, TabLeavesTheGridAfterTheLastCell) {
  Key(VK_TAB);
  Key(VK_TAB);
  EXPECT_EQ(CurrentCell().x, 3);
  EXPECT_EQ(GetFocus(), grid_.Handle());
  Key(VK_TAB);
  EXPECT_EQ(GetFocus(), ok_);

  // Tab out of the editor in the last cell keeps the typing too.
  SetFocus(grid_.Handle());
  Type(L"4");
  Key(VK_TAB);
  EXPECT_EQ(GetFocus(), ok_);
  EXPECT_EQ(grid_.CellBytes(3, 1), "4");

  SetFocus(grid_.Handle());
  Key(VK_HOME);
  SetShift(true);
  Key(VK_TAB);
  SetShift(false);
  EXPECT_NE(GetFocus(), grid_.Handle());
}

TEST_F(StringGridTest, TabInTheEditorStoresAndMovesOn) {
  Type(L"8");
  Key(VK_TAB);
  EXPECT_FALSE(grid_.IsEditing());
  EXPECT_EQ(grid_.CellBytes(1, 1), "8");
  EXPECT_EQ(CurrentCell().x, 2);
  EXPECT_EQ(GetFocus(), grid_.Handle());
}

TEST_F(StringGridTest, RangeSelectionByShiftArrowsAndByDragging) {
  SetShift(true);
  Key(VK_RIGHT);
  Key(VK_RIGHT);
  SetShift(false);
  EXPECT_EQ(grid_.Selection(), (GridRect{1, 1, 3, 1}));
  EXPECT_EQ(Send(GM_GETANCHOR), MAKELRESULT(1, 1));

  Key(VK_LEFT);  // without Shift the range collapses
  EXPECT_EQ(grid_.Selection(), (GridRect{2, 1, 2, 1}));

  Drag(CellMiddle(3, 1), CellMiddle(1, 1));
  EXPECT_EQ(grid_.Selection(), (GridRect{1, 1, 3, 1}));
  EXPECT_EQ(CurrentCell().x, 1);

  // Shift+click extends from the anchor.
  Mouse(WM_LBUTTONDOWN, CellMiddle(2, 1), MK_LBUTTON | MK_SHIFT);
  Mouse(WM_LBUTTONUP, CellMiddle(2, 1));
  EXPECT_EQ(grid_.Selection(), (GridRect{2, 1, 3, 1}));
}

TEST_F(StringGridTest, DraggingAHeadingBorderResizesTheColumn) {
  struct Case {
    const char* name;
    int col;
    int dx;
    int width;
  };
  const Case cases[] = {
      {"wider", 1, 20, 52},
      {"narrower", 2, -12, 20},
      {"not below zero", 3, -100, 0},
      {"the heading column too", 0, 16, 80},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int before = grid_.ColWidth(c.col);
    const int border = ColEdges(c.col).second;
    const POINT from{border, RowMiddle(0)};
    Drag(from, POINT{border + c.dx, from.y});
    EXPECT_EQ(grid_.ColWidth(c.col), c.width);
    EXPECT_EQ(Send(GM_GETCOLWIDTH, static_cast<WPARAM>(c.col)), c.width);
    grid_.SetColWidth(c.col, before);
  }

  // The same drag in the data row selects instead.
  const int border = ColEdges(1).second;
  Drag(POINT{border - 1, RowMiddle(1)}, POINT{border + 20, RowMiddle(1)});
  EXPECT_EQ(grid_.ColWidth(1), 32);
  EXPECT_EQ(grid_.Selection().right, 2);
}

TEST_F(StringGridTest, CursorShowsWhereABorderCanBeDragged) {
  const auto cursorAt = [this](POINT point) {
    ClientToScreen(grid_.Handle(), &point);
    SetCursorPos(point.x, point.y);
    Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(grid_.Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
  };
  const HCURSOR sizing = LoadCursorW(nullptr, IDC_SIZEWE);
  const int border = ColEdges(1).second;
  EXPECT_EQ(cursorAt(POINT{border, RowMiddle(0)}), sizing);
  EXPECT_EQ(cursorAt(POINT{border + 2, RowMiddle(0)}), sizing);
  EXPECT_NE(cursorAt(POINT{border + 6, RowMiddle(0)}), sizing);
  EXPECT_NE(cursorAt(POINT{border, RowMiddle(1)}), sizing);
}

TEST_F(StringGridTest, ColumnWidthsFromCode) {
  EXPECT_EQ(grid_.DefaultColWidth(), 32);
  EXPECT_EQ(grid_.ColWidth(0), kHeadingWidth);
  EXPECT_EQ(grid_.ColWidth(3), 32);
  EXPECT_EQ(grid_.ColWidth(4), -1);
  EXPECT_EQ(Send(GM_GETCOLWIDTH, 4), -1);
  EXPECT_EQ(Send(GM_GETCOLCOUNT), 4);
  EXPECT_EQ(Send(GM_GETROWCOUNT), 2);

  // What the slider does: every data column, the heading column untouched.
  for (const int width : {5, 100, 32}) {
    SCOPED_TRACE(width);
    grid_.SetDataColWidths(width);
    EXPECT_EQ(grid_.ColWidth(0), kHeadingWidth);
    for (int col = 1; col < grid_.ColCount(); ++col) {
      EXPECT_EQ(Send(GM_GETCOLWIDTH, static_cast<WPARAM>(col)), width);
    }
  }
  EXPECT_EQ(Send(GM_SETCOLWIDTH, 2, 40), TRUE);
  EXPECT_EQ(grid_.ColWidth(2), 40);
  EXPECT_EQ(Send(GM_SETCOLWIDTH, 9, 40), FALSE);
  grid_.SetColWidth(1, -5);
  EXPECT_EQ(grid_.ColWidth(1), 0);
  grid_.SetColWidth(1, 1 << 30);
  EXPECT_EQ(grid_.ColWidth(1), StringGrid::kMaxColWidth);

  grid_.SetColCount(6);  // new columns get the default width
  EXPECT_EQ(grid_.ColWidth(5), 32);
}

TEST_F(StringGridTest, DataColumnsScrollUnderTheHeadingColumn) {
  Fill(std::vector<std::string>(12, "\x82\xa0"), std::vector<std::string>(12, "1"));
  const auto hasScrollBar = [this] {
    return (GetWindowLongW(grid_.Handle(), GWL_STYLE) & WS_HSCROLL) != 0;
  };
  ASSERT_TRUE(hasScrollBar());
  EXPECT_EQ(Send(GM_GETLEFTCOL), 1);
  const auto heading = ColEdges(0);
  EXPECT_EQ(heading.first, 0);
  EXPECT_EQ(heading.second, kHeadingWidth);

  Send(WM_HSCROLL, SB_LINERIGHT);
  EXPECT_EQ(Send(GM_GETLEFTCOL), 2);
  EXPECT_EQ(ColEdges(2).first, kHeadingWidth + 1);
  EXPECT_EQ(ColEdges(1).first, -1);  // scrolled out
  EXPECT_EQ(ColEdges(0), heading);
  Send(WM_HSCROLL, SB_LINELEFT);
  EXPECT_EQ(Send(GM_GETLEFTCOL), 1);
  Send(WM_HSCROLL, SB_LINELEFT);
  EXPECT_EQ(Send(GM_GETLEFTCOL), 1);

  RECT client{};
  GetClientRect(grid_.Handle(), &client);
  Send(WM_HSCROLL, SB_RIGHT);
  EXPECT_LE(ColEdges(12).second, client.right);
  EXPECT_EQ(ColEdges(0), heading);
  Send(WM_HSCROLL, SB_PAGELEFT);
  Send(WM_HSCROLL, SB_LEFT);
  EXPECT_EQ(Send(GM_GETLEFTCOL), 1);

  // Moving to a hidden column brings it into view.
  Key(VK_END);
  EXPECT_EQ(CurrentCell().x, 12);
  EXPECT_GT(Send(GM_GETLEFTCOL), 1);
  EXPECT_LE(ColEdges(12).second, client.right);
  Key(VK_HOME);
  EXPECT_EQ(Send(GM_GETLEFTCOL), 1);

  // Narrow columns all fit: the scroll bar goes away.
  grid_.SetDataColWidths(5);
  EXPECT_FALSE(hasScrollBar());
  EXPECT_EQ(Send(GM_GETLEFTCOL), 1);
}

TEST_F(StringGridTest, EditorSitsOnItsCellEvenWhenScrolled) {
  Fill(std::vector<std::string>(12, "A"), std::vector<std::string>(12, "0.5"));
  for (const UINT key : {UINT{VK_HOME}, UINT{VK_END}}) {
    SCOPED_TRACE(key);
    Key(key);
    Type(L"6");
    ASSERT_TRUE(grid_.IsEditing());
    RECT editor{};
    GetWindowRect(GetFocus(), &editor);
    MapWindowPoints(nullptr, grid_.Handle(), reinterpret_cast<POINT*>(&editor), 2);
    const auto [left, right] = ColEdges(CurrentCell().x);
    const auto [top, bottom] = RowEdges(1);
    EXPECT_GT(left, kHeadingWidth);
    EXPECT_EQ(editor.left, left);
    EXPECT_EQ(editor.right, right);
    EXPECT_GE(editor.top, top);
    EXPECT_LE(editor.bottom, bottom);
    grid_.CommitEdit();
  }
  EXPECT_EQ(grid_.CellBytes(1, 1), "6");
  EXPECT_EQ(grid_.CellBytes(12, 1), "6");
}

// Moved onto a screen of another scale with a range selected, a border
// dragged and a cell being typed into: every length is drawn from the value
// as it was given, nothing adds up over the moves, and the typing, the
// current cell and the selection stay, the editor on its cell.
TEST_F(StringGridTest, ADpiChangeDrawsEveryLengthAgainFromItsValue) {
  Fill(std::vector<std::string>(12, "A"), std::vector<std::string>(12, "0.5"));
  grid_.SetDataColWidths(20);
  Key(VK_RIGHT);
  SetShift(true);
  Key(VK_RIGHT);
  SetShift(false);
  Type(L"6");
  ASSERT_TRUE(grid_.IsEditing());
  const HWND editor = GetFocus();
  EXPECT_EQ(grid_.Dpi(), 96);

  struct Case {
    int dpi;
    int dragTo;  // column 5's border, in pixels at this DPI; 0: not dragged
    int heading;
    int data;
    int dragged;  // column 5's width
    int rowHeight;
  } cases[] = {
      {144, 0, 96, 30, 30, 36},
      {144, 49, 96, 30, 49, 36},
      {96, 0, 64, 20, 33, 24},    // 32.67
      {120, 0, 80, 25, 41, 30},   // 40.83
      {192, 0, 128, 40, 65, 48},  // 65.33, not 41 scaled again
      {144, 0, 96, 30, 49, 36},   // as it was dragged
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dpi);
    grid_.SetDpi(c.dpi);
    if (c.dragTo > 0) {
      ASSERT_EQ(Send(GM_SETCOLWIDTH, 5, c.dragTo), TRUE);
    }
    EXPECT_EQ(grid_.Dpi(), c.dpi);
    EXPECT_EQ(grid_.ColWidth(0), c.heading);
    EXPECT_EQ(Send(GM_GETCOLWIDTH, 1), c.data);
    EXPECT_EQ(grid_.ColWidth(12), c.data);
    EXPECT_EQ(grid_.ColWidth(5), c.dragged);
    EXPECT_EQ(grid_.DefaultRowHeight(), c.rowHeight);
    const auto [top, bottom] = RowEdges(1);
    EXPECT_EQ(bottom - top, c.rowHeight);

    EXPECT_TRUE(grid_.IsEditing());
    EXPECT_EQ(GetFocus(), editor);
    EXPECT_EQ(CurrentCell().x, 3);
    EXPECT_EQ(grid_.Selection(), (GridRect{2, 1, 3, 1}));
    RECT placed{};
    GetWindowRect(editor, &placed);
    MapWindowPoints(nullptr, grid_.Handle(), reinterpret_cast<POINT*>(&placed), 2);
    const auto [left, right] = ColEdges(3);
    EXPECT_EQ(placed.left, left);
    EXPECT_EQ(placed.right, right);
    EXPECT_GE(placed.top, top);
    EXPECT_LE(placed.bottom, bottom);
  }
  grid_.SetDpi(0);
  EXPECT_EQ(grid_.Dpi(), 144);
  wchar_t typed[8] = {};
  GetWindowTextW(editor, typed, 8);
  EXPECT_EQ(std::wstring(typed), L"6");
  Key(VK_RETURN);
  EXPECT_EQ(grid_.CellBytes(3, 1), "6");
  EXPECT_EQ(grid_.CellBytes(2, 1), "0.5");
}

TEST_F(StringGridTest, HeadingsAreDrawnAsHeadings) {
  const Picture picture(grid_.Handle());
  ASSERT_TRUE(picture.Valid());

  // A point in a cell's bottom right, clear of its text and its edges.
  const auto pixel = [&](int col, int row) {
    return picture.At(ColEdges(col).second - 4, RowEdges(row).second - 3);
  };
  EXPECT_EQ(pixel(0, 0), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(pixel(2, 0), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(pixel(0, 1), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(pixel(2, 1), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(pixel(1, 1), GetSysColor(COLOR_HIGHLIGHT));  // the current cell
  // Grid lines follow inner cells as well as headings.
  const int line = ColEdges(2).second;
  EXPECT_NE(picture.At(line, RowMiddle(1)), GetSysColor(COLOR_WINDOW));
  EXPECT_NE(picture.At(line - 4, RowEdges(1).second), GetSysColor(COLOR_WINDOW));
}

TEST_F(StringGridTest, FullWidthInputIsStoredAsAscii) {
  // Typed with the input method on, committed as full-width characters.
  Type(L"\xff11\xff0e\xff15");  // １．５
  Key(VK_TAB);
  Type(L"\x2212\xff12\xff45\xff0d\xff11");  // −２ｅ－１
  Key(VK_TAB);
  Type(L"\xff41");  // ａ: no number, stays as typed
  grid_.CommitEdit();
  EXPECT_EQ(Spacings(), (std::vector<std::string>{"1.5", "-2e-1", "\x82\x81"}));
  // Numbers only: neither the grid nor its editor has an input method context.
  EXPECT_EQ(ImmGetContext(grid_.Handle()), nullptr);
  Type(L"1");
  ASSERT_TRUE(grid_.IsEditing());
  EXPECT_EQ(ImmGetContext(GetFocus()), nullptr);
  grid_.CommitEdit();
}

TEST_F(StringGridTest, EnterThatEndsACompositionIsNotOk) {
  const auto post = [this](UINT message, WPARAM wParam) {
    PostMessageW(GetFocus(), message, wParam, 1);
    Pump();
  };
  post(WM_IME_STARTCOMPOSITION, 0);
  for (const wchar_t ch : std::wstring(L"\xff13\xff0e\xff15")) post(WM_IME_CHAR, ch);
  post(WM_KEYDOWN, VK_RETURN);  // still composing
  post(WM_IME_ENDCOMPOSITION, 0);
  post(WM_KEYDOWN, VK_RETURN);  // the key that ended it, not yet released
  EXPECT_TRUE(commands_.empty());
  ASSERT_TRUE(grid_.IsEditing());
  post(WM_KEYUP, VK_RETURN);
  Key(VK_RETURN);  // now the cell's
  EXPECT_TRUE(commands_.empty());
  EXPECT_EQ(grid_.CellBytes(1, 1), "3.5");
  Key(VK_RETURN);
  ASSERT_EQ(commands_.size(), 1u);
  EXPECT_EQ(commands_[0].id, IDOK);
  EXPECT_EQ(commands_[0].spacingBytes, "3.5");
}

TEST_F(StringGridTest, CtrlEnterFillsTheSelectionAndDeleteEmptiesIt) {
  Fill({"A", "B", "C", "D"}, {"0.5", "0.5", "0.5", "0.5"});
  SetShift(true);
  Key(VK_RIGHT);
  Key(VK_RIGHT);
  SetShift(false);
  Type(L"\xff10.8");  // typed over the current cell, the range stays selected
  CtrlEnter();
  EXPECT_EQ(Spacings(), (std::vector<std::string>{"0.8", "0.8", "0.8", "0.5"}));
  EXPECT_FALSE(grid_.IsEditing());
  EXPECT_TRUE(commands_.empty());

  // Without the editor, the current cell's value goes to the others.
  grid_.SetCellBytes(4, 1, "2");
  ASSERT_TRUE(grid_.SetCurrentCell(3, 1));
  SetShift(true);
  Key(VK_RIGHT);
  SetShift(false);
  CtrlEnter();
  EXPECT_EQ(Spacings(), (std::vector<std::string>{"0.8", "0.8", "2", "2"}));
  Key(VK_DELETE);
  EXPECT_EQ(Spacings(), (std::vector<std::string>{"0.8", "0.8", "", ""}));
  EXPECT_TRUE(commands_.empty());
  Key(VK_RETURN);  // plain Enter is still OK
  ASSERT_EQ(commands_.size(), 1u);
  EXPECT_EQ(commands_[0].id, IDOK);
}

TEST_F(StringGridTest, CopyAndPasteThroughTheClipboard) {
  SetShift(true);
  Key(VK_END);
  SetShift(false);
  Send(WM_COPY);
  EXPECT_EQ(ClipboardText(grid_.Handle()), L"0.5\t1\t0.5\r\n");

  struct Case {
    const char* name;
    int from;
    std::wstring clipboard;
    std::vector<std::string> spacings;
  };
  const Case cases[] = {
      {"a spreadsheet row, full-width too", 1, L"\xff12\t3\t4\r\n", {"2", "3", "4"}},
      {"values past the last column are dropped", 2, L"7 8 9", {"0.5", "7", "8"}},
      {"lines and an empty cell", 1, L"5\r\n\r\n6", {"5", "", "6"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fill({"A", "\x82\xa0", "B"}, {"0.5", "1", "0.5"});
    ASSERT_TRUE(grid_.SetCurrentCell(c.from, 1));
    ASSERT_TRUE(SetClipboardText(grid_.Handle(), c.clipboard));
    Type(L"\x16");  // Ctrl+V
    EXPECT_EQ(Spacings(), c.spacings);
    EXPECT_EQ(grid_.CellBytes(2, 0), "\x82\xa0");  // the characters stay
  }
}

TEST_F(StringGridTest, CellsThatCountAsZeroAreDrawnRed) {
  Fill({"A", "B", "C", "D"}, {"abc", "1.5", "", "\x82\x50"});  // ending in a full-width 1
  const auto pixel = [&](int col) {
    return Picture(grid_.Handle()).At(ColEdges(col).second - 3, RowEdges(1).second - 3);
  };
  const COLORREF red = pixel(4);
  EXPECT_EQ(GetRValue(red), 255);
  EXPECT_LT(GetGValue(red), 255);
  EXPECT_EQ(pixel(2), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(pixel(3), GetSysColor(COLOR_WINDOW));  // empty counts as 0 plainly
  EXPECT_NE(pixel(1), GetSysColor(COLOR_HIGHLIGHT));  // current, and still marked
  EXPECT_NE(pixel(1), red);
  grid_.SetCellBytes(4, 1, "1");
  EXPECT_EQ(pixel(4), GetSysColor(COLOR_WINDOW));
}


TEST_F(StringGridTest, TheParentHearsOnceOfEachChangeTheUserMakes) {
  using Cells = std::vector<std::string>;
  const Cells before = {"0.5", "1", "0.5"};
  const auto selectAll = [this] {
    Key(VK_HOME);
    SetShift(true);
    Key(VK_END);
    SetShift(false);
  };
  const auto paste = [this](const wchar_t* text) {
    ASSERT_TRUE(SetClipboardText(grid_.Handle(), text));
    Send(WM_PASTE);
    Pump();
  };
  struct Case {
    const char* name;
    std::function<void()> act;
    std::size_t heard;
    Cells after;
  } cases[] = {
      {"typing stored by Enter", [&] { Type(L"2"); Key(VK_RETURN); }, 1, {"2", "1", "0.5"}},
      {"typing stored by Tab", [&] { Type(L"3"); Key(VK_TAB); }, 1, {"3", "1", "0.5"}},
      {"typing stored by the window's OK", [&] { Type(L"3"); grid_.CommitEdit(); }, 1,
       {"3", "1", "0.5"}},
      {"typing stored by a click on another cell",
       [&] {
         Type(L"4");
         Mouse(WM_LBUTTONDOWN, CellMiddle(3, 1), MK_LBUTTON);
         Mouse(WM_LBUTTONUP, CellMiddle(3, 1));
       },
       1, {"4", "1", "0.5"}},
      {"the editor closed unchanged", [&] { Key(VK_F2); grid_.CommitEdit(); }, 0, before},
      {"typed again as it was, in full width", [&] { Type(L"\xff10.\xff15"); Key(VK_RETURN); }, 0,
       before},
      {"typing dropped with Esc", [&] { Type(L"9"); Key(VK_ESCAPE); }, 0, before},
      {"Ctrl+Enter from the editor over three cells",
       [&] {
         selectAll();
         Type(L"7");
         CtrlEnter();
       },
       1, {"7", "7", "7"}},
      {"Ctrl+Enter without the editor",
       [&] {
         Key(VK_END);
         SetShift(true);
         Key(VK_LEFT);
         SetShift(false);
         CtrlEnter();
       },
       1, {"0.5", "1", "1"}},
      {"Ctrl+Enter that changes nothing", [&] { CtrlEnter(); }, 0, before},
      {"Delete over a range", [&] { selectAll(); Key(VK_DELETE); }, 1, {"", "", ""}},
      {"Delete on an empty cell",
       [&] {
         grid_.SetCellBytes(1, 1, "");
         Key(VK_DELETE);
       },
       0, {"", "1", "0.5"}},
      {"a paste of three values", [&] { paste(L"5\t6\t7"); }, 1, {"5", "6", "7"}},
      {"a paste of what the cells hold", [&] { paste(L"0.5\t1\t0.5\r\n"); }, 0, before},
      {"typing and a paste over it are one action",
       [&] {
         Type(L"8");
         paste(L"5");
       },
       1, {"5", "1", "0.5"}},
      {"cells set from code",
       [&] {
         grid_.SetCellBytes(2, 1, "9");
         grid_.SetColCount(5);
       },
       0, {"0.5", "9", "0.5", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fill({"A", "\x82\xa0", "B"}, before);
    ASSERT_TRUE(grid_.SetCurrentCell(1, 1));
    SetFocus(grid_.Handle());
    Pump();
    changes_.clear();
    c.act();
    EXPECT_FALSE(grid_.IsEditing());
    ASSERT_EQ(changes_.size(), c.heard);
    EXPECT_EQ(Spacings(), c.after);
    for (const CellsChanged& change : changes_) {
      EXPECT_EQ(change.from, grid_.Handle());
      EXPECT_EQ(change.spacings, c.after) << "heard before the action ended";
    }
  }
}

TEST_F(StringGridTest, WithoutRulesTextIsStoredAsTypedAndNothingIsMarked) {
  StringGrid plain;
  ASSERT_TRUE(plain.Create(parent_.Handle(), kGridId + 1, 8, 140, 273, 81));
  plain.SetColCount(4);
  plain.SetCellBytes(2, 1, "abc");
  ASSERT_TRUE(plain.SetCurrentCell(1, 1));
  SetFocus(plain.Handle());
  Type(L"\xff11\xff0e\xff15");  // １．５
  plain.CommitEdit();
  EXPECT_EQ(plain.CellBytes(1, 1), "\x82\x50\x81\x44\x82\x54");

  ASSERT_TRUE(plain.SetCurrentCell(3, 1));
  const Picture picture(plain.Handle());
  ASSERT_TRUE(picture.Valid());
  for (const int col : {1, 2}) {
    SCOPED_TRACE(col);
    EXPECT_EQ(picture.At(ColEdges(col, plain.Handle()).second - 3,
                         RowEdges(1, plain.Handle()).second - 3),
              GetSysColor(COLOR_WINDOW));
  }
  EXPECT_TRUE(changes_.empty()) << "another grid's changes";
}

}  // namespace
}  // namespace rupena::win32
