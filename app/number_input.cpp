#include "app/number_input.h"

#include "textutil/number_parse.h"

namespace rupena::app {

namespace {

constexpr char16_t kFullWidthSpace = u'\u3000';

char16_t AsciiForm(char16_t ch) noexcept {
  if (ch >= u'\uFF10' && ch <= u'\uFF19') return static_cast<char16_t>(u'0' + (ch - u'\uFF10'));
  switch (ch) {
    case u'\uFF0B': return u'+';
    case u'\uFF0D':  // FULLWIDTH HYPHEN-MINUS, what CP932's minus converts to
    case u'\u2212': return u'-';  // MINUS SIGN, what some input methods type
    case u'\uFF0E': return u'.';
    case u'\uFF25': return u'E';
    case u'\uFF45': return u'e';
    default: return ch;
  }
}

bool IsBlank(char16_t ch) noexcept { return ch == u' ' || ch == kFullWidthSpace; }

bool IsLineEnd(char16_t ch) noexcept { return ch == u'\r' || ch == u'\n'; }

}  // namespace

std::u16string NormaliseNumberText(std::u16string_view text) {
  std::u16string result(text);
  for (char16_t& ch : result) ch = AsciiForm(ch);
  return result;
}

std::vector<std::u16string> SplitPastedValues(std::u16string_view text, std::size_t maxCount) {
  std::vector<std::u16string> values;
  // A tab-separated cell holding only blanks, or nothing, is one empty value.
  const auto addCell = [&](std::u16string_view cell) {
    bool any = false;
    for (std::size_t pos = 0; pos < cell.size() && values.size() < maxCount;) {
      while (pos < cell.size() && IsBlank(cell[pos])) ++pos;
      const std::size_t start = pos;
      while (pos < cell.size() && !IsBlank(cell[pos])) ++pos;
      if (pos > start) {
        values.emplace_back(cell.substr(start, pos - start));
        any = true;
      }
    }
    if (!any && values.size() < maxCount) values.emplace_back();
  };
  std::size_t pos = 0;
  while (pos < text.size() && values.size() < maxCount) {
    std::size_t end = pos;
    while (end < text.size() && !IsLineEnd(text[end])) ++end;
    const std::u16string_view line = text.substr(pos, end - pos);
    for (std::size_t cellStart = 0;;) {
      const std::size_t tab = line.find(u'\t', cellStart);
      addCell(line.substr(cellStart, tab == std::u16string_view::npos ? tab : tab - cellStart));
      if (tab == std::u16string_view::npos) break;
      cellStart = tab + 1;
    }
    pos = end;
    if (pos < text.size() && text[pos] == u'\r') ++pos;
    if (pos < text.size() && text[pos] == u'\n') ++pos;
  }
  return values;
}

std::u16string JoinCopiedCells(const std::vector<std::vector<std::u16string>>& rows) {
  std::u16string text;
  for (const auto& row : rows) {
    for (std::size_t col = 0; col < row.size(); ++col) {
      if (col > 0) text += u'\t';
      text += row[col];
    }
    text += u"\r\n";
  }
  return text;
}

bool IsNotANumber(std::string_view cellBytes) noexcept {
  return !cellBytes.empty() && !rupena::text::ParseFloat(cellBytes).has_value();
}

}  // namespace rupena::app
