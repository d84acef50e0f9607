#include "app/character_layout.h"

#include <cmath>

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

// ｦ..ﾝ: the half-width katakana (small ones and the long vowel mark
// included) that a voiced mark can follow.
bool IsHalfWidthKana(char c) noexcept {
  const auto b = static_cast<unsigned char>(c);
  return b >= 0xA6 && b <= 0xDD;
}

// ﾞ and ﾟ.
bool IsHalfWidthSoundMark(char c) noexcept {
  const auto b = static_cast<unsigned char>(c);
  return b == 0xDE || b == 0xDF;
}

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

std::vector<std::string_view> SplitCharacters(std::string_view text) {
  std::vector<std::string_view> characters;
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t length = text::CharLengthAt(text, pos);
    // A half-width voiced or semi-voiced mark belongs to the kana before it:
    // apart, a reader sees a mark standing alone.
    if (length == 1 && pos + 1 < text.size() && IsHalfWidthKana(text[pos]) &&
        IsHalfWidthSoundMark(text[pos + 1])) {
      length = 2;
    }
    characters.push_back(text.substr(pos, length));
    pos += length;
  }
  return characters;
}

double DefaultSpacing(std::string_view character, double charSpacing) noexcept {
  return character.size() == 1 ? charSpacing / 2 : charSpacing;
}

namespace {

// A character's own width along the direction.
double CharacterWidth(std::string_view character, double charWidth) noexcept {
  return character.size() == 1 ? charWidth / 2 : charWidth;
}

}  // namespace

void FillSpacingGrid(const exchange::TextRecord* picked, SpacingGrid& grid) {
  const std::string_view text = picked != nullptr ? std::string_view(picked->text) : kFullWidthSpace;
  const double spacing = picked != nullptr ? picked->charSpacing : 0.0;
  const std::vector<std::string_view> characters = SplitCharacters(text);
  grid.SetColCount(static_cast<int>(characters.size()) + 1);
  grid.SetCell(0, 0, kHeadingChar);
  grid.SetCell(0, 1, kHeadingSpacing);
  grid.SetColWidth(0, kHeadingColWidth);
  int col = 1;
  for (const std::string_view character : characters) {
    grid.SetCell(col, 0, character);
    grid.SetCell(col, 1, text::FormatGeneral(DefaultSpacing(character, spacing)));
    ++col;
  }
}

std::vector<double> GridSpacings(const SpacingGrid& grid) {
  std::vector<double> spacings;
  for (int col = 1; col < grid.ColCount(); ++col) {
    spacings.push_back(text::ParseFloatOrZero(grid.Cell(col, 1)));
  }
  return spacings;
}

std::vector<PlacedCharacter> PlaceCharacters(const exchange::TextRecord& text,
                                             std::span<const double> spacings) {
  // Along the direction by its angle rather than the normalised vector: the
  // residues this leaves on an axis-aligned text are written as they come.
  const double angle = text::VectorAngle(text.directionX, text.directionY);
  const double cosA = std::cos(angle);
  const double sinA = std::sin(angle);
  const double width = text.charWidth;
  std::vector<PlacedCharacter> placed;
  double x = text.x;
  double y = text.y;
  for (const std::string_view character : SplitCharacters(text.text)) {
    const std::size_t i = placed.size();
    const double spacing =
        i < spacings.size() ? spacings[i] : DefaultSpacing(character, text.charSpacing);
    const double characterWidth = CharacterWidth(character, width);
    const double advance = spacing + characterWidth;
    placed.push_back({std::string(character), x, y, characterWidth, advance,
                      exchange::TakesText(character, text.directionX, text.directionY)});
    x += cosA * advance;
    y += sinA * advance;
  }
  return placed;
}

double SpannedLength(std::span<const PlacedCharacter> characters) noexcept {
  if (characters.empty()) return 0.0;
  double length = 0.0;
  for (std::size_t i = 0; i + 1 < characters.size(); ++i) length += characters[i].advance;
  return length + characters.back().width;
}

std::optional<double> SpacingForLength(const exchange::TextRecord& text, double length) {
  const std::vector<std::string_view> characters = SplitCharacters(text.text);
  if (characters.size() < 2) return std::nullopt;
  double widths = 0.0;
  for (const std::string_view character : characters) widths += CharacterWidth(character, text.charWidth);
  return (length - widths) / static_cast<double>(characters.size() - 1);
}

void SetSpacingsBetween(SpacingGrid& grid, double spacing) {
  const std::string cell = text::FormatGeneral(spacing);
  for (int col = 1; col + 1 < grid.ColCount(); ++col) grid.SetCell(col, 1, cell);
}

}  // namespace rupena::app
