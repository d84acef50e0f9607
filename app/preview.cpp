#include "app/preview.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "textutil/number_format.h"
#include "textutil/vector_angle.h"

namespace rupena::app {

namespace {

constexpr std::int32_t kVerticalTextKind = 1;  // "cv"
constexpr std::string_view kDegreeSign = "\x81\x8b";  // °

std::vector<PreviewCell> Cells(const exchange::TextRecord& text,
                               const std::vector<PlacedCharacter>& placed) {
  const double angle = text::VectorAngle(text.directionX, text.directionY);
  const double cosA = std::cos(angle);
  const double sinA = std::sin(angle);
  std::vector<PreviewCell> cells;
  cells.reserve(placed.size());
  for (const PlacedCharacter& c : placed) {
    const double along = (c.x - text.x) * cosA + (c.y - text.y) * sinA;
    cells.push_back({c.bytes, along, c.width, c.written});
  }
  return cells;
}

// Hundredths of a degree: what a draughtsperson reads off a direction.
std::string Degrees(double radians) {
  const double degrees = std::round(radians * 180 / std::numbers::pi * 100) / 100;
  if (degrees == 0 || degrees == 360) return {};
  return text::FormatGeneral(degrees) + std::string(kDegreeSign);
}

}  // namespace

Preview MakePreview(const exchange::TextRecord* text, std::span<const double> spacings) {
  Preview preview;
  if (text == nullptr) return preview;
  preview.hasText = true;
  preview.text = text->text;
  preview.fontName = DisplayFontName(text->fontName);
  preview.charWidth = text->charWidth;
  preview.charHeight = text->charHeight;
  preview.vertical = text->textKind == kVerticalTextKind;
  preview.angle = Degrees(text::VectorAngle(text->directionX, text->directionY));
  const std::vector<PlacedCharacter> placed = PlaceCharacters(*text, spacings);
  preview.split = Cells(*text, placed);
  preview.unsplit = Cells(*text, PlaceCharacters(*text, {}));
  bool first = true;
  for (const std::vector<PreviewCell>* cells : {&preview.split, &preview.unsplit}) {
    for (const PreviewCell& c : *cells) {
      const double lo = std::min(c.start, c.start + c.width);
      const double hi = std::max(c.start, c.start + c.width);
      preview.from = first ? lo : std::min(preview.from, lo);
      preview.to = first ? hi : std::max(preview.to, hi);
      first = false;
    }
  }
  preview.length = text::FormatGeneral(SpannedLength(placed));
  preview.lengthEditable = placed.size() >= 2;
  return preview;
}

PreviewFit::PreviewFit(const Preview& preview, double bandWidth, double bandHeight, double margin)
    : vertical_(preview.vertical), from_(preview.from) {
  const double along = std::max(preview.to - preview.from, 1e-12);
  const double across = std::max(preview.charHeight, 1e-12);
  const double alongRoom = std::max((vertical_ ? bandHeight : bandWidth) - 2 * margin, 1.0);
  const double acrossRoom = std::max((vertical_ ? bandWidth : bandHeight) - 2 * margin, 1.0);
  scale_ = std::min(alongRoom / along, acrossRoom / across);
  across_ = across * scale_;
  alongOrigin_ = margin + (alongRoom - along * scale_) / 2;
  acrossOrigin_ = margin + (acrossRoom - across_) / 2;
}

BandRect PreviewFit::Span(double from, double to) const noexcept {
  const double a = alongOrigin_ + (std::min(from, to) - from_) * scale_;
  const double b = alongOrigin_ + (std::max(from, to) - from_) * scale_;
  if (vertical_) return {acrossOrigin_, a, acrossOrigin_ + across_, b};
  return {a, acrossOrigin_, b, acrossOrigin_ + across_};
}

BandRect PreviewFit::Cell(const PreviewCell& cell) const noexcept {
  return Span(cell.start, cell.start + cell.width);
}

}  // namespace rupena::app
