#include "app/char_layout.h"

#include <algorithm>
#include <cmath>

#include "app/text_write_back.h"
#include "exchange/drawing_model.h"
#include "exchange/exchange_writer.h"
#include "textutil/number_format.h"
#include "textutil/number_parse.h"
#include "textutil/shift_jis.h"
#include "textutil/vector_angle.h"

namespace rupena::app {

namespace {

constexpr std::string_view kFullWidthSpace = "\x81\x40";
constexpr std::string_view kHeadingChar = "\x95\xb6\x8e\x9a";                    // 文字
constexpr std::string_view kHeadingSpacing = "\x8c\xe3\x82\xcc\x8a\xd4\x8a\x75";  // 後の間隔

}  // namespace

std::string DisplayFontName(std::string_view fontName) {
  if (const auto open = fontName.find('<'); open != std::string_view::npos) {
    fontName.remove_prefix(open + 1);
  }
  if (const auto close = fontName.find('>'); close != std::string_view::npos) {
    fontName = fontName.substr(0, close);
  }
  return std::string(fontName);
}

void FillSpacingGrid(const JwwGaibu::TJwwModel& m, SpacingGrid& grid) {
  std::string_view text = kFullWidthSpace;
  double spacing = 0.0;
  if (m.Texts.Count() > 0) {
    text = m.Texts[0].Text;
    spacing = m.Texts[0].CharSpacing;
  }
  const int chars = rupena::text::CharCount(text);
  grid.SetColCount(chars + 1);
  grid.SetCell(0, 0, kHeadingChar);
  grid.SetCell(0, 1, kHeadingSpacing);
  grid.SetColWidth(0, kHeadingColWidth);
  const std::string halfSpacing = rupena::text::FormatGeneral(spacing / 2);
  const std::string fullSpacing = rupena::text::FormatGeneral(spacing);
  for (int i = 1; i <= chars; ++i) {
    const std::string ch = rupena::text::CopyChars(text, i, 1);
    grid.SetCell(i, 0, ch);
    grid.SetCell(i, 1, ch.size() == 1 ? halfSpacing : fullSpacing);
  }
}

void EmitSeparatedChars(JwwGaibu::TJwwModel& m, const SpacingGrid& grid) {
  using namespace JwwGaibu;
  const TJwwFirstAttr& first = m.FirstAttr;
  const TJwwEntText& picked = m.Texts[0];

  AddOutputLine(m, "hd");
  if (m.BzSeen) AddOutputLine(m, "bz");

  EmitLayerGroup(m, first.LayerGroup);
  EmitLayer(m, first.Layer);
  EmitLineColor(m, first.LineColor, 0);
  EmitPointColor(m, first.LineColor, 0);
  EmitLineType(m, first.LineType, 0);
  EmitLineWidth(m, first.LineWidth);

  const double angle = rupena::text::VectorAngle(picked.DirX, picked.DirY);

  EmitTextAttributes(m, picked);

  // Along the direction by its angle rather than the normalised vector: the
  // residues this leaves on an axis-aligned text are written as they come.
  const double cosA = std::cos(angle);
  const double sinA = std::sin(angle);
  double x = picked.X1;
  double y = picked.Y1;
  const double width = picked.CharWidth;
  for (int col = 1; col < grid.ColCount(); ++col) {
    const std::string ch = grid.Cell(col, 0);
    const double spacing = rupena::text::ParseFloatOrZero(grid.Cell(col, 1));
    EmitTextCommand(m, picked, ch, x, y);  // blanks are not written, yet advance
    const double advance = spacing + (ch.size() == 1 ? width / 2 : width);
    x += cosA * advance;
    y += sinA * advance;
  }

  WriteBackOtherTexts(m);
}

}  // namespace rupena::app
