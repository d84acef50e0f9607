// What the preview band shows: the chosen text's characters where OK will
// put them, measured along the text's own baseline, and the text at its own
// spacing behind them for comparison.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "app/character_layout.h"
#include "exchange/records.h"

namespace rupena::app {

// One character's cell along the baseline, in drawing units from the text's
// start point: from `start` for `width`, across the baseline the text's
// height.
struct PreviewCell {
  std::string bytes;
  double start = 0.0;
  double width = 0.0;
  bool written = false;  // a blank is shown as a gap
};

struct Preview {
  bool hasText = false;
  std::string text;      // the chosen text, CP932
  std::string fontName;  // to show it in, without its angle brackets
  double charWidth = 0.0;  // of a full-width character; one byte is half of it
  double charHeight = 0.0;
  bool vertical = false;  // a "cv" text, read top to bottom
  std::string angle;      // the direction in degrees, "" when it is 0
  std::vector<PreviewCell> split;    // as OK writes them
  std::vector<PreviewCell> unsplit;  // at the text's own spacing
  double from = 0.0;  // what all cells cover along the baseline
  double to = 0.0;
  std::string length;  // SpannedLength, in the general number format
  bool lengthEditable = false;  // two characters or more can be spread
};

// A rectangle in the band's pixels; right and bottom exclusive.
struct BandRect {
  double left = 0.0;
  double top = 0.0;
  double right = 0.0;
  double bottom = 0.0;
};

// Where a preview's cells go in a band of the given size, the whole scaled
// to fit inside `margin` and the same scale along and across, centred. A
// text reads left to right, a vertical one top to bottom.
class PreviewFit {
 public:
  PreviewFit(const Preview& preview, double bandWidth, double bandHeight, double margin);
  double Scale() const noexcept { return scale_; }
  // A cell as an upright rectangle: along the baseline it spans its width,
  // across it the text's height.
  BandRect Cell(const PreviewCell& cell) const noexcept;
  // Where the baseline runs from `from` to `to` along it: for the length
  // drawn beside the cells.
  BandRect Span(double from, double to) const noexcept;

 private:
  bool vertical_;
  double scale_ = 1.0;
  double alongOrigin_ = 0.0;   // band pixel of `from`
  double acrossOrigin_ = 0.0;  // band pixel of the cells' near edge
  double across_ = 0.0;        // the cells' extent across the baseline, in pixels
  double from_ = 0.0;
};

// The preview of `text` with the grid's `spacings`; without a text, an
// empty one. The split cells are the characters PlaceCharacters gives for
// OK, each measured by how far along the direction its written start point
// lies from the text's.
Preview MakePreview(const exchange::TextRecord* text, std::span<const double> spacings);

}  // namespace rupena::app
