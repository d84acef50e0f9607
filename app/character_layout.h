// The tool's own arithmetic: the picked text as a row of cells, one per
// character with the spacing that follows it, and the place of each
// character once the spacings are chosen.
//
// Widths, spacings and places are in the host's drawing units, exactly as
// the exchange file gives them; nothing is scaled.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/spacing_grid.h"
#include "exchange/records.h"

namespace rupena::app {

// The font name without its angle brackets: "<ＭＳ ゴシック>" gives
// "ＭＳ ゴシック"; a name without them is returned unchanged.
std::string DisplayFontName(std::string_view fontName);

// The characters of a text in order, as the grid shows them: a lead byte
// and the byte after it, a half-width kana with the voiced or semi-voiced
// mark after it (ﾊﾞ, ﾍﾟ), or one byte. Two bytes count as a full-width
// character.
std::vector<std::string_view> SplitCharacters(std::string_view text);

// The spacing a character gets before the user changes it: half the text's
// character spacing after a one-byte character, all of it after a two-byte
// one.
double DefaultSpacing(std::string_view character, double charSpacing) noexcept;

// Fills the grid from `picked`: a heading column, then one column per
// character with its default spacing. Without a picked text, one column
// holding a full-width space with spacing 0.
void FillSpacingGrid(const exchange::TextRecord* picked, SpacingGrid& grid);

// The spacing cells of the grid's data columns, in order, as numbers: a cell
// that is empty or not a number counts as 0.
std::vector<double> GridSpacings(const SpacingGrid& grid);

// One character of the picked text where OK puts it.
struct PlacedCharacter {
  std::string bytes;  // the character, one or two bytes
  double x = 0.0;     // the start of its text command
  double y = 0.0;
  double advance = 0.0;  // to the next character: its width (half for one byte) and its spacing
  bool written = false;  // blanks, and every character of a text without direction, are not
};

// The characters of `text` one after another from its start point along
// its direction: each begins where the one before it began, moved by that
// one's advance. spacings[i] is the spacing after character i; a character
// beyond the spacings given gets its default spacing. Pure: the output and
// anything that shows the characters take their places from here.
std::vector<PlacedCharacter> PlaceCharacters(const exchange::TextRecord& text,
                                             std::span<const double> spacings);

}  // namespace rupena::app
