// The tool's own arithmetic: the picked text as a row of cells, one per
// character with the spacing that follows it, and the place of each
// character once the spacings are chosen.
//
// Widths, spacings and places are in the host's drawing units, exactly as
// the exchange file gives them; nothing is scaled.
#pragma once

#include <optional>
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
  std::string bytes;     // the character, one or two bytes
  double x = 0.0;        // the start of its text command
  double y = 0.0;
  double width = 0.0;    // along the direction: the text's width, half of it for one byte
  double advance = 0.0;  // to the next character: its width and the spacing after it
  bool written = false;  // blanks, and every character of a text without direction, are not
};

// The characters of `text` one after another from its start point along
// its direction: each begins where the one before it began, moved by that
// one's advance. spacings[i] is the spacing after character i; a character
// beyond the spacings given gets its default spacing. Pure: the output and
// anything that shows the characters take their places from here.
std::vector<PlacedCharacter> PlaceCharacters(const exchange::TextRecord& text,
                                             std::span<const double> spacings);

// From the first character's start to the last one's end, along the
// direction: every advance but the last, and the last character's width
// (its spacing leads nowhere). 0 without characters.
double SpannedLength(std::span<const PlacedCharacter> characters) noexcept;

// The one spacing between characters that makes the characters of `text`
// span `length`: (length - the sum of their widths) / (characters - 1). A
// length shorter than the characters themselves gives a negative spacing.
// nullopt for a text of fewer than two characters, which has nothing to
// spread.
std::optional<double> SpacingForLength(const exchange::TextRecord& text, double length);

// Sets every spacing cell of the grid but the last to `spacing`, in the
// general number format; the spacing after the last character is left as
// it is.
void SetSpacingsBetween(SpacingGrid& grid, double spacing);

}  // namespace rupena::app
