#include "app/grid_layout.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

namespace {

using rupena::app::CellRange;
using rupena::app::CellRef;
using rupena::app::GridHit;
using rupena::app::GridLayout;

constexpr int kLine = GridLayout::kGridLineWidth;

// The obvious reading, one walk over the columns per question: what the
// prefix sums and binary searches must answer.
struct Reference {
  std::vector<int> widths;
  int scrollX;
  int rowHeight;
  int rowCount;

  int FixedRight() const { return widths[0] + kLine; }
  int Left(int col) const {
    int left = col == 0 ? 0 : FixedRight() - scrollX;
    for (int c = 1; c < col; ++c) left += widths[static_cast<std::size_t>(c)] + kLine;
    return left;
  }
  GridHit HitTest(int x, int y) const {
    GridHit hit;
    if (x < 0 || y < 0) return hit;
    if (y / (rowHeight + kLine) < rowCount) hit.row = y / (rowHeight + kLine);
    for (int col = 0; col < static_cast<int>(widths.size()); ++col) {
      const int left = Left(col);
      const int right = left + widths[static_cast<std::size_t>(col)];
      const bool shown = col == 0 ? x < FixedRight() : x >= FixedRight();
      if (shown && x >= left && x <= right) hit.col = col;
      const bool borderShown = col == 0 || right >= FixedRight();
      if (hit.row == 0 && borderShown && std::abs(x - right) <= GridLayout::kBorderSlop) {
        hit.border = col;
      }
    }
    return hit;
  }
  int LeftCol() const {
    for (int col = 1; col < static_cast<int>(widths.size()); ++col) {
      if (Left(col) + widths[static_cast<std::size_t>(col)] + kLine > FixedRight()) return col;
    }
    return widths.size() > 1 ? static_cast<int>(widths.size()) - 1 : -1;
  }
  // Column boundaries of the data columns, from the first one's left edge.
  int LineStop(bool right) const {
    int stop = right ? -1 : 0;
    for (int col = 1; col <= static_cast<int>(widths.size()); ++col) {
      const int boundary = Left(col) - FixedRight() + scrollX;
      if (!right && boundary < scrollX) stop = boundary;
      if (right && boundary > scrollX && stop < 0) stop = boundary;
    }
    return stop >= 0 ? stop : Left(static_cast<int>(widths.size())) - FixedRight() + scrollX;
  }
};

TEST(GridLayout, GeometryAgreesWithAWalkOverTheColumns) {
  std::mt19937 random(9);
  for (int round = 0; round < 300; ++round) {
    GridLayout layout;
    const int cols = std::uniform_int_distribution<int>(1, 24)(random);
    layout.SetColCount(cols);
    layout.SetRowHeight(std::uniform_int_distribution<int>(0, 30)(random));
    Reference ref{{}, 0, layout.RowHeight(), layout.RowCount()};
    for (int col = 0; col < cols; ++col) {
      // narrow and zero widths make neighbouring borders share the slop
      const int width = std::uniform_int_distribution<int>(0, 40)(random) % (round % 3 == 0 ? 4 : 41);
      layout.SetColWidth(col, width);
      ref.widths.push_back(width);
    }
    // A client no wider than the heading column lets every scroll count.
    layout.ScrollTo(std::uniform_int_distribution<int>(0, layout.DataExtent())(random),
                    layout.FixedExtent());
    ref.scrollX = layout.ScrollX();
    SCOPED_TRACE(testing::Message() << "round " << round << ", scroll " << ref.scrollX);
    EXPECT_EQ(layout.LeftCol(), ref.LeftCol());
    EXPECT_EQ(layout.LineStop(false), ref.LineStop(false));
    EXPECT_EQ(layout.LineStop(true), ref.LineStop(true));
    for (int col = 0; col < cols; ++col) EXPECT_EQ(layout.ColLeft(col), ref.Left(col));
    for (int x = -2; x < ref.Left(cols) + 6; ++x) {
      for (const int y : {-1, 0, layout.RowTop(1) - 1, layout.RowTop(1), layout.RowTop(2)}) {
        const GridHit got = layout.HitTest(x, y);
        const GridHit want = ref.HitTest(x, y);
        ASSERT_EQ(got.col, want.col) << "x " << x << " y " << y;
        ASSERT_EQ(got.row, want.row) << "x " << x << " y " << y;
        ASSERT_EQ(got.border, want.border) << "x " << x << " y " << y;
      }
    }
  }
}

TEST(GridLayout, ScrollingShowsAColumnWithTheLeastMove) {
  GridLayout layout;
  layout.SetColCount(13);  // twelve data columns of 32 behind a heading of 32
  const int client = 33 + 3 * 33;  // room for three data columns
  EXPECT_EQ(layout.MaxScroll(client), 12 * 33 - 3 * 33);
  EXPECT_EQ(layout.ScrollToShow(3, client), 0);
  EXPECT_EQ(layout.ScrollToShow(5, client), 2 * 33);  // its right edge at the view's
  ASSERT_TRUE(layout.ScrollTo(2 * 33, client));
  EXPECT_EQ(layout.LeftCol(), 3);
  EXPECT_EQ(layout.ScrollToShow(1, client), 0);  // its left edge at the view's
  EXPECT_FALSE(layout.IsColVisible(2, client));
  EXPECT_TRUE(layout.IsColVisible(5, client));
  EXPECT_FALSE(layout.IsColVisible(6, client));
  EXPECT_TRUE(layout.ScrollTo(100000, layout.FixedExtent() + 12 * 33));  // all fits: no scrolling
  EXPECT_EQ(layout.ScrollX(), 0);
  layout.SetDataColWidths(5);
  EXPECT_EQ(layout.DataExtent(), 12 * 6);
  EXPECT_EQ(layout.ColWidth(0), 32);
}

TEST(GridLayout, SelectionTabAndTheCellsAKeyActsOn) {
  GridLayout layout;
  layout.SetColCount(5);  // data columns 1..4
  layout.SetRowCount(3);  // data rows 1..2
  layout.MoveTo(2, 1, false);
  layout.MoveTo(3, 2, true);
  EXPECT_EQ(layout.Selection(), (CellRange{2, 1, 3, 2}));
  EXPECT_EQ(layout.SelectedCells(), (std::vector<CellRef>{{2, 1}, {3, 1}, {2, 2}, {3, 2}}));
  EXPECT_EQ(layout.PasteTargets(9), (std::vector<CellRef>{{3, 2}, {4, 2}}));  // from the current cell
  EXPECT_EQ(layout.PasteTargets(1), (std::vector<CellRef>{{3, 2}}));
  EXPECT_EQ(layout.TabTarget(false), (CellRef{4, 2}));
  layout.MoveTo(0, 0, false);  // headings clamp to the first data cell
  EXPECT_EQ(layout.Current(), (CellRef{1, 1}));
  EXPECT_EQ(layout.TabTarget(true), std::nullopt);
  layout.MoveTo(99, 1, false);
  EXPECT_EQ(layout.TabTarget(false), (CellRef{1, 2}));
  layout.MoveTo(99, 99, false);
  EXPECT_EQ(layout.TabTarget(false), std::nullopt);
  EXPECT_EQ(layout.SelectedCells(), (std::vector<CellRef>{{4, 2}}));

  layout.SetColCount(1);  // no data cells: nothing current, nothing to act on
  EXPECT_EQ(layout.Current(), (CellRef{-1, -1}));
  EXPECT_EQ(layout.Selection(), (CellRange{-1, -1, -1, -1}));
  EXPECT_TRUE(layout.SelectedCells().empty());
  EXPECT_TRUE(layout.PasteTargets(3).empty());
  layout.SetColCount(3);
  EXPECT_EQ(layout.Current(), (CellRef{1, 1}));
}

TEST(GridLayout, DraggingPastAnEdgeReachesOneColumnFurther) {
  GridLayout layout;
  layout.SetColCount(13);
  const int client = 33 + 3 * 33;
  layout.ScrollTo(2 * 33, client);  // columns 3..5 shown
  EXPECT_EQ(layout.DragTarget(client + 40, 30, client), (CellRef{6, 1}));
  EXPECT_EQ(layout.DragTarget(5, 30, client), (CellRef{2, 1}));
  EXPECT_EQ(layout.DragTarget(33 + 40, -50, client), (CellRef{4, 1}));  // above: the data row
}

}  // namespace
