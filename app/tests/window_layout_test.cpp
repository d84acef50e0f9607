#include "app/window_layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

namespace {

using rupena::app::DpiLength;
using rupena::app::GridLayout;
using rupena::app::GridLengths;
using rupena::app::kMainWindowLayout;
using rupena::app::LayoutBox;
using rupena::app::ScaleBox;
using rupena::app::ScaleForDpi;
using rupena::app::ScaleLength;

// 100 %, 125 %, 150 %, 175 %, 200 %, 300 %, and one below 100 %.
constexpr int kDpis[] = {72, 96, 120, 144, 168, 192, 288};

TEST(ScaleLength, RoundsOnceToTheNearestWithHalvesAwayFromZero) {
  struct Case {
    int value;
    int fromDpi;
    int toDpi;
    int expected;
  } cases[] = {
      {487, 96, 96, 487},
      {0, 96, 144, 0},
      {487, 96, 144, 731},  // 730.5
      {223, 96, 144, 335},  // 334.5
      {223, 96, 120, 279},  // 278.75
      {13, 96, 120, 16},    // 16.25
      {13, 96, 144, 20},    // 19.5
      {5, 96, 144, 8},      // 7.5: the narrowest slider width
      {1, 96, 120, 1},      // 1.25
      {-1, 96, 144, -2},    // -1.5
      {-3, 96, 120, -4},    // -3.75
      {49, 144, 96, 33},    // 32.67: a border dragged at 150 %, at 100 %
      {50, 144, 96, 33},    // 33.33
      {3, 2, 1, 2},         // 1.5 with an odd product
      {1, 3, 2, 1},         // 0.67
      {100, 96, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.value << " from " << c.fromDpi << " to " << c.toDpi);
    EXPECT_EQ(ScaleLength(c.value, c.fromDpi, c.toDpi), c.expected);
  }
}

TEST(ScaleLength, ExtremesSaturateAndNoScaleLeavesTheValue) {
  EXPECT_EQ(ScaleLength(INT_MAX, 96, 192), INT_MAX);
  EXPECT_EQ(ScaleLength(INT_MIN, 96, 192), INT_MIN);
  EXPECT_EQ(ScaleLength(INT_MAX, 1, INT_MAX), INT_MAX);
  EXPECT_EQ(ScaleLength(INT_MIN, 1, INT_MAX), INT_MIN);
  EXPECT_EQ(ScaleLength(INT_MAX, 96, 96), INT_MAX);
  EXPECT_EQ(ScaleLength(INT_MAX, INT_MAX, 1), 1);
  EXPECT_EQ(ScaleLength(INT_MIN, 192, 96), INT_MIN / 2);
  EXPECT_EQ(ScaleLength(INT_MAX, 192, 96), INT_MAX / 2 + 1);  // ...x.5 rounds up
  EXPECT_EQ(ScaleLength(42, 0, 144), 42);
  EXPECT_EQ(ScaleLength(42, -96, 144), 42);
}

// The obvious reading, in floating point: std::round takes halves away
// from zero too.
TEST(ScaleLength, AgreesWithRoundingTheExactQuotient) {
  for (const int from : kDpis) {
    for (const int to : kDpis) {
      for (int value = -1000; value <= 1000; ++value) {
        const double exact = static_cast<double>(value) * to / from;
        ASSERT_EQ(ScaleLength(value, from, to), static_cast<int>(std::round(exact)))
            << value << " from " << from << " to " << to;
      }
    }
  }
}

TEST(ScaleBox, ScalesTheEdgesSoBoxesThatMeetStillMeet) {
  struct Case {
    LayoutBox box;
    int dpi;
    LayoutBox expected;
  } cases[] = {
      {{8, 48, 273, 81}, 96, {8, 48, 273, 81}},
      {{8, 48, 273, 81}, 144, {12, 72, 410, 122}},  // edges 281 -> 421.5, 129 -> 193.5
      // x and width scaled apart would give width 2 and right edge 4
      {{1, 1, 1, 1}, 144, {2, 2, 1, 1}},
      {{8, 8, 0, 0}, 144, {12, 12, 0, 0}},  // a label sized to its text stays so
      {{0, 199, 487, 24}, 120, {0, 249, 609, 30}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dpi);
    EXPECT_EQ(ScaleBox(c.box, c.dpi), c.expected);
  }
}

// What the window's layout needs of the scaling at every DPI: the status
// line fills the bottom of the client area, and controls apart at 96 DPI
// (the grid and the notes, the slider and the notes, the buttons, the band
// and the length box) never overlap.
TEST(ScaleBox, TheMainWindowKeepsItsShapeAtEveryDpi) {
  const auto& l = kMainWindowLayout;
  for (int dpi = 48; dpi <= 480; ++dpi) {
    SCOPED_TRACE(dpi);
    const LayoutBox status = ScaleBox(l.statusLine, dpi);
    EXPECT_EQ(status.x + status.width, ScaleForDpi(l.clientWidth, dpi));
    EXPECT_EQ(status.y + status.height, ScaleForDpi(l.clientHeight, dpi));
    const LayoutBox grid = ScaleBox(l.spacingGrid, dpi);
    const LayoutBox slider = ScaleBox(l.widthSlider, dpi);
    const LayoutBox notes = ScaleBox(l.notes, dpi);
    const LayoutBox ok = ScaleBox(l.okButton, dpi);
    const LayoutBox band = ScaleBox(l.previewBand, dpi);
    const LayoutBox length = ScaleBox(l.lengthBox, dpi);
    EXPECT_LE(grid.x + grid.width, notes.x);
    EXPECT_LE(slider.x + slider.width, notes.x);
    EXPECT_LE(notes.y + notes.height, ok.y);
    EXPECT_LE(ok.y + ok.height, band.y);
    EXPECT_LE(band.x + band.width, length.x);
    EXPECT_LE(band.y + band.height, status.y);
  }
}

// Every column width of a layout, for comparing two of them.
std::vector<int> Widths(const GridLayout& layout) {
  std::vector<int> widths;
  for (int col = 0; col < layout.ColCount(); ++col) widths.push_back(layout.ColWidth(col));
  return widths;
}

GridLayout Applied(const GridLengths& lengths, int dpi) {
  GridLayout layout;
  layout.SetColCount(lengths.ColCount());
  lengths.ApplyTo(layout, dpi);
  return layout;
}

// The slider speaks 96-DPI widths: the grid looks the same on every screen,
// its rows (a fresh layout's height at 96 DPI) too.
TEST(GridLengths, SliderWidthsAndRowsFollowTheScale) {
  struct Case {
    int dpi;
    std::vector<int> widths;
    int rowHeight;
  } cases[] = {
      {96, {64, 5, 5, 5}, 24},
      {120, {80, 6, 6, 6}, 30},
      {144, {96, 8, 8, 8}, 36},
      {192, {128, 10, 10, 10}, 48},
  };
  GridLengths lengths;
  lengths.SetColCount(4);
  lengths.SetDataColWidths({5, 96});
  lengths.SetColWidth(0, {64, 96});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dpi);
    const GridLayout layout = Applied(lengths, c.dpi);
    EXPECT_EQ(Widths(layout), c.widths);
    EXPECT_EQ(layout.RowHeight(), c.rowHeight);
  }
}

// A border dragged to 49 pixels at 150 % is 49 pixels whenever the window
// is back at 150 %, however often it moved between screens; a layout
// rescaled again and again equals one scaled once.
TEST(GridLengths, DpiChangesNeverAddUpRounding) {
  GridLengths lengths;
  lengths.SetColCount(6);
  lengths.SetDataColWidths({33, 96});
  lengths.SetColWidth(0, {64, 96});
  lengths.SetColWidth(3, {49, 144});
  GridLayout moved;
  moved.SetColCount(6);
  for (const int dpi : {144, 96, 120, 168, 72, 192, 144, 120, 96, 144}) {
    SCOPED_TRACE(dpi);
    lengths.ApplyTo(moved, dpi);
    const GridLayout once = Applied(lengths, dpi);
    EXPECT_EQ(Widths(moved), Widths(once));
    EXPECT_EQ(moved.RowHeight(), once.RowHeight());
    EXPECT_EQ(moved.DataExtent(), once.DataExtent());
    if (dpi == 144) {
      EXPECT_EQ(moved.ColWidth(3), 49);
    }
  }
  EXPECT_EQ(Applied(lengths, 96).ColWidth(3), 33);
}

TEST(GridLengths, NewColumnsTakeTheDefaultAndSettersIgnoreMissingColumns) {
  GridLengths lengths;
  lengths.SetDefaultColWidth({40, 96});
  lengths.SetColWidth(1, {10, 96});
  lengths.SetColCount(4);
  lengths.SetColWidth(4, {99, 96});
  lengths.SetColWidth(-1, {99, 96});
  EXPECT_EQ(lengths.ColWidth(1), (DpiLength{10, 96}));
  EXPECT_EQ(lengths.ColWidth(3), (DpiLength{40, 96}));
  EXPECT_EQ(lengths.ColWidth(4), DpiLength{});
  EXPECT_EQ(Widths(Applied(lengths, 192)), (std::vector<int>{80, 20, 80, 80}));
  lengths.SetColCount(0);
  EXPECT_EQ(lengths.ColCount(), 0);
}

// A text of the most characters a grid holds, with a few borders dragged
// and the heading set apart: every column gets its own width.
TEST(GridLengths, ManyColumnsWithAFewDraggedBorders) {
  GridLengths lengths;
  lengths.SetColCount(GridLayout::kMaxCount);
  lengths.SetDataColWidths({20, 96});
  lengths.SetColWidth(0, {64, 96});
  const int dragged[] = {1, 2, 777, GridLayout::kMaxCount - 1};
  for (const int col : dragged) lengths.SetColWidth(col, {col % 50, 120});
  const GridLayout layout = Applied(lengths, 120);
  for (int col = 0; col < layout.ColCount(); ++col) {
    ASSERT_EQ(layout.ColWidth(col), lengths.ColWidth(col).At(120)) << col;
  }
  EXPECT_EQ(layout.ColWidth(777), 777 % 50);
  EXPECT_EQ(layout.ColWidth(500), 25);
}

}  // namespace
