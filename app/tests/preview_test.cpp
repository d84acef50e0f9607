#include "app/preview.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "app/separated_output.h"
#include "exchange/drawing.h"
#include "exchange/exchange_writer.h"
#include "textutil/vector_angle.h"

namespace {

using rupena::exchange::TextRecord;

const std::string kHiraganaA = "\x82\xa0";

// Where OK writes each character: the start points of the text commands it
// emits, as the file holds them.
std::vector<std::pair<double, double>> WrittenStarts(const TextRecord& text, const std::vector<double>& spacings) {
  rupena::exchange::Drawing drawing;
  drawing.texts.Append() = text;
  drawing.entityOrder.Append() = {rupena::exchange::EntityKind::kText, 0};
  rupena::exchange::ExchangeWriter writer(drawing);
  rupena::app::EmitSeparatedText(writer, drawing, 0, rupena::app::PlaceCharacters(text, spacings));
  std::vector<std::pair<double, double>> starts;
  for (const std::string& line : writer.Lines()) {
    if (line.size() < 3 || line[0] != 'c' || line[2] != ' ' || line.find('"') == std::string::npos) continue;
    if (line.compare(0, 3, "cn0") == 0 || line.compare(0, 3, "cn\"") == 0) continue;
    std::istringstream in(line.substr(3));
    double x = 0, y = 0;
    in >> x >> y;
    starts.emplace_back(x, y);
  }
  return starts;
}

TextRecord Text(std::string bytes, double width, double spacing, double dx, double dy, int kind = 0) {
  TextRecord t;
  t.text = std::move(bytes);
  t.textKind = kind;
  t.charWidth = width;
  t.charHeight = width * 1.5;
  t.charSpacing = spacing;
  t.x = 10;
  t.y = 20;
  t.directionX = dx;
  t.directionY = dy;
  t.fontName = rupena::exchange::FontName("<Arial>");
  return t;
}

// Each written character's cell starts as far along the baseline as OK
// writes it, and is as wide as the character.
TEST(Preview, CellsAreWhereOkWritesTheCharacters) {
  struct Case {
    const char* name;
    TextRecord text;
    std::vector<double> spacings;
    std::vector<double> starts;  // along the baseline
  } cases[] = {
      {"worked example", Text("A" + kHiraganaA + "B", 4, 1, 5, 0), {0.5, 1, 0.5}, {0, 2.5, 7.5}},
      {"rotated by 30 degrees", Text("AB", 2, 0, std::sqrt(3.0), 1), {1, 0}, {0, 2}},
      {"vertical, downwards", Text(kHiraganaA + kHiraganaA, 3, 0, 0, -1, 1), {0.5, 0}, {0, 3.5}},
      {"a blank is a gap", Text("A B", 2, 0, 1, 0), {0, 0, 0}, {0, 1, 2}},
      {"a negative spacing goes back", Text(kHiraganaA + "A", 4, 0, 1, 0), {-6, 0}, {0, -2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const rupena::app::Preview preview = rupena::app::MakePreview(&c.text, c.spacings);
    ASSERT_EQ(preview.split.size(), c.starts.size());
    const auto written = WrittenStarts(c.text, c.spacings);
    const double angle = rupena::text::VectorAngle(c.text.directionX, c.text.directionY);
    std::size_t w = 0;
    for (std::size_t i = 0; i < preview.split.size(); ++i) {
      SCOPED_TRACE(i);
      const rupena::app::PreviewCell& cell = preview.split[i];
      EXPECT_NEAR(cell.start, c.starts[i], 1e-12);
      if (!cell.written) continue;
      ASSERT_LT(w, written.size());
      const auto [x, y] = written[w++];
      EXPECT_NEAR((x - 10) * std::cos(angle) + (y - 20) * std::sin(angle), cell.start, 1e-9);
    }
    EXPECT_EQ(w, written.size());
    EXPECT_EQ(preview.vertical, c.text.textKind == 1);
  }
}

TEST(Preview, UnsplitTextLengthAngleAndExtent) {
  const TextRecord text = Text("A" + kHiraganaA + "B", 4, 1, 0, 3);
  const rupena::app::Preview preview = rupena::app::MakePreview(&text, std::vector<double>{3, -2, 0.5});
  ASSERT_EQ(preview.unsplit.size(), 3u);
  EXPECT_NEAR(preview.unsplit[2].start, 2.5 + 5, 1e-12);  // at the text's own spacing
  EXPECT_EQ(preview.length, "9");                        // 2 + 3 + 4 - 2 + 2
  EXPECT_TRUE(preview.lengthEditable);
  EXPECT_EQ(preview.angle, "90\x81\x8b");
  EXPECT_NEAR(preview.from, 0, 1e-12);
  EXPECT_NEAR(preview.to, 9.5, 1e-12);  // the unsplit B ends furthest
  EXPECT_EQ(preview.fontName, "Arial");

  const TextRecord one = Text(kHiraganaA, 4, 1, 1, 0);
  EXPECT_FALSE(rupena::app::MakePreview(&one, {}).lengthEditable);
  EXPECT_EQ(rupena::app::MakePreview(&one, {}).angle, "");
  EXPECT_FALSE(rupena::app::MakePreview(nullptr, {}).hasText);
}

// The band shows every cell inside its margin, in order along the reading
// direction, each as wide as its character in proportion to the height.
TEST(PreviewFit, EveryCellInsideTheBandInReadingOrder) {
  struct Case {
    const char* name;
    TextRecord text;
    std::vector<double> spacings;
  } cases[] = {
      {"a long line", Text(std::string(40, 'A'), 4, 1, 1, 0), {}},
      {"one tall character", Text(kHiraganaA, 2, 0, 1, 0), {}},
      {"vertical", Text(kHiraganaA + kHiraganaA + kHiraganaA, 3, 0, 0, -1, 1), {}},
      {"negative spacings", Text("ABC", 4, 0, 1, 0), {-3, -3, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const rupena::app::Preview preview = rupena::app::MakePreview(&c.text, c.spacings);
    const rupena::app::PreviewFit fit(preview, 380, 80, 6);
    double last = -1e9;
    for (const auto& cell : preview.split) {
      const rupena::app::BandRect r = fit.Cell(cell);
      EXPECT_GE(r.left, 6 - 1e-9);
      EXPECT_GE(r.top, 6 - 1e-9);
      EXPECT_LE(r.right, 374 + 1e-9);
      EXPECT_LE(r.bottom, 74 + 1e-9);
      const double along = preview.vertical ? r.top : r.left;
      const double extent = preview.vertical ? r.bottom - r.top : r.right - r.left;
      EXPECT_NEAR(extent, cell.width * fit.Scale(), 1e-9);
      EXPECT_NEAR(preview.vertical ? r.right - r.left : r.bottom - r.top, c.text.charHeight * fit.Scale(), 1e-9);
      if (c.spacings.empty()) {
        EXPECT_GT(along, last);
      }
      last = along;
    }
  }
}

}  // namespace
