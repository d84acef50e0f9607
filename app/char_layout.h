// The tool's own job: the picked text as a row of cells, one per character
// with the spacing that follows it, and back from those cells to one text
// command per character, placed one after another along the text's
// direction.
//
// Works on a drawing model (the first text of its text table) and the
// exchange module's writer; needs no window beyond a two-row grid of strings.
#pragma once

#include <string>
#include <string_view>

#include "app/spacing_grid.h"
#include "exchange/drawing_model.h"

namespace rupena::app {

// The font name without its angle brackets: "<ＭＳ ゴシック>" gives
// "ＭＳ ゴシック"; a name without them is returned unchanged.
std::string DisplayFontName(std::string_view fontName);

// Fills the grid from the first text of `model`; with no text, one column
// holding a full-width space with spacing 0.
void FillSpacingGrid(const JwwGaibu::TJwwModel& model, SpacingGrid& grid);

// Emits what OK writes into `model`: the header, the drawing's first
// attributes, the picked text's attributes and font, a text command per
// non-blank character of the cells, and then every other handed-over text
// as it came (WriteBackOtherTexts). The model must hold a text and be
// prepared for output.
void EmitSeparatedChars(JwwGaibu::TJwwModel& model, const SpacingGrid& grid);

}  // namespace rupena::app
