// What the grid's spacing cells take in, from the keyboard, an input method
// or the clipboard, and the rules the window hands the grid for them. The
// window works in UTF-16 and hands text here as it arrives; cells themselves
// hold CP932 bytes, as the layout reads them.
//
// None of these functions fails; every input gives a result.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace rupena::app {

// The text with the full-width forms of the characters a number is written
// with (０..９, ＋, －, the minus sign −, ．, Ｅ, ｅ) replaced by their ASCII
// forms, as a Japanese input method types them. Every other character,
// blanks included, stays as it is.
std::u16string NormaliseNumberText(std::u16string_view text);

// The values in pasted text, in order, at most `maxCount` of them. Lines end
// at CR LF, CR or LF; a line end at the very end opens no further line.
// Tabs separate cells as a spreadsheet copies them, so an empty cell between
// two tabs, or an empty line, is an empty value. Blanks (ASCII and
// full-width spaces) also separate values, but runs of them count once and
// blanks around a value are dropped.
std::vector<std::u16string> SplitPastedValues(std::u16string_view text, std::size_t maxCount);

// Cells as text for the clipboard: one line per row, ended by CR LF, the
// cells of a row separated by tabs. SplitPastedValues reads it back.
std::u16string JoinCopiedCells(const std::vector<std::vector<std::u16string>>& rows);

// True for a spacing cell (CP932 bytes) that holds text but no number, so
// that OK will count it as 0: the same reading OK applies to the cell.
bool IsNotANumber(std::string_view cellBytes) noexcept;

// What a grid's editable cells take in and which of them it marks, handed
// to the grid by the window that knows what the cells hold. A rule left
// empty is no rule: text is stored as typed, no cell is marked.
struct CellTextRules {
  // Typed, composed or pasted text as the cell is to store it.
  std::u16string (*normalise)(std::u16string_view typed) = nullptr;
  // True for a cell's CP932 bytes that hold text but no value.
  bool (*isNotANumber)(std::string_view cellBytes) noexcept = nullptr;
};

// The spacing cells: numbers typed in full width are stored in ASCII, and a
// cell that OK will count as 0 though it holds text is marked.
inline constexpr CellTextRules kSpacingCellRules{&NormaliseNumberText, &IsNotANumber};

}  // namespace rupena::app
