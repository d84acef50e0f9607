#include "exchange/exchange_writer.h"

#include <charconv>
#include <cmath>
#include <initializer_list>
#include <string>

#include "exchange/drawing_model.h"
#include "exchange/file_replace.h"
#include "textutil/number_format.h"
#include "textutil/shift_jis.h"

namespace JwwGaibu {

namespace {

std::string Decimal(std::int32_t v) {
  char buf[16];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

// Upper-case digits of the 32-bit pattern, so -1 gives FFFFFFFF.
std::string Hexadecimal(std::int32_t v) {
  char buf[16];
  const auto r = std::to_chars(buf, buf + sizeof buf, static_cast<std::uint32_t>(v), 16);
  std::string s(buf, r.ptr);
  for (char& c : s) {
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

// Writes `keyword + text` unless the attribute was written before with the
// same value; afterwards the attribute counts as written with `value`.
// Returns whether a line was written.
template <typename V>
bool EmitUnlessRepeated(TJwwModel& m, TJwwFresh fresh, V& last, const V& value, std::string_view keyword,
                        std::string_view text) {
  bool& notWritten = m.AttrFresh[fresh];
  if (!notWritten && last == value) return false;
  std::string line(keyword);
  line += text;
  AddOutputLine(m, line);
  last = value;
  notWritten = false;
  return true;
}

// Each value after a blank, in the general number format.
void AppendReals(std::string& line, std::initializer_list<double> values) {
  for (const double v : values) {
    line += ' ';
    line += rupena::text::FormatGeneral(v);
  }
}

// Begins the font line; the name follows it directly.
constexpr std::string_view kFontKeyword = "cn\"$";

constexpr std::string_view kTextKeywords[] = {"ch", "cv", "cs", "cr", "co",
                                              "cp", "ct", "ck", "cz", "c2"};

}  // namespace

void AddOutputLine(TJwwModel& m, std::string_view text) {
  m.OutputLines.Append() = std::string(text.substr(0, kShortStringMax));
}

void EmitLayerGroup(TJwwModel& m, std::int32_t group) {
  // a layer number means nothing without its group: repeat it after a new one
  if (EmitUnlessRepeated(m, kFreshLayerGroup, m.CurAttr.LayerGroup, group, "lg",
                         Hexadecimal(group))) {
    m.AttrFresh[kFreshLayer] = true;
  }
}

void EmitLayer(TJwwModel& m, std::int32_t layer) {
  EmitUnlessRepeated(m, kFreshLayer, m.CurAttr.Layer, layer, "ly", Hexadecimal(layer));
}

void EmitLineColor(TJwwModel& m, std::int32_t color, std::int32_t mapped) {
  if (mapped == 1) color = MapColorNumber(m, color);
  EmitUnlessRepeated(m, kFreshLineColor, m.CurAttr.LineColor, color, "lc", Decimal(color));
}

void EmitPointColor(TJwwModel& m, std::int32_t color, std::int32_t mapped) {
  if (mapped == 1) color = MapColorNumber(m, color);
  EmitUnlessRepeated(m, kFreshPointColor, m.CurAttr.PointColor, color, "pn", Decimal(color));
}

void EmitLineType(TJwwModel& m, std::int32_t type, std::int32_t mapped) {
  if (mapped == 1) type = MapLineTypeNumber(m, type);
  EmitUnlessRepeated(m, kFreshLineType, m.CurAttr.LineType, type, "lt", Decimal(type));
}

void EmitLineWidth(TJwwModel& m, std::int32_t width) {
  if (!m.LineWidthSeen) return;
  if (width == -1) width = m.FirstAttr.LineWidth;
  if (width < 0 || width > 30000) width = 0;
  EmitUnlessRepeated(m, kFreshLineWidth, m.CurAttr.LineWidth, width, "lw", Decimal(width));
}

void EmitTextType(TJwwModel& m, std::int32_t type, std::int32_t color, std::int32_t mapped, double width,
                  double height, double spacing) {
  const TJwwFirstAttr& first = m.FirstAttr;
  TJwwAttr& last = m.CurAttr;
  if (mapped == 1) color = MapColorNumber(m, color);
  if (type < 0 || type > 10) {
    type = first.TextType;
    if (type == 0) {
      width = first.FreeWidth;
      height = first.FreeHeight;
      spacing = first.FreeSpacing;
      color = first.FreeColor;
    }
  }
  bool& notWritten = m.AttrFresh[kFreshTextType];
  const bool freeSizeChanged = type == 0 && (width != last.FreeWidth || height != last.FreeHeight ||
                                             spacing != last.FreeSpacing || color != last.FreeColor);
  if (!notWritten && type == last.TextType && !freeSizeChanged) return;
  if (type == 0) {
    std::string line = "cn0 ";
    line += rupena::text::FormatGeneral(width);
    line += ' ';
    line += rupena::text::FormatGeneral(height);
    line += ' ';
    line += rupena::text::FormatGeneral(spacing);
    line += ' ';
    line += Decimal(color);
    AddOutputLine(m, line);
    last.FreeWidth = width;
    last.FreeHeight = height;
    last.FreeSpacing = spacing;
    last.FreeColor = color;
  } else {
    AddOutputLine(m, "cn" + Decimal(type));
  }
  last.TextType = type;
  notWritten = false;
}

void EmitCharStyle(TJwwModel& m, std::int32_t style) {
  if (style < 0 || style > 8) style = 0;
  EmitUnlessRepeated(m, kFreshCharStyle, m.CurAttr.CharStyle, style, "cc", Decimal(style));
}

void EmitFontName(TJwwModel& m, std::string_view name) {
  if (name.empty() || name == "<>") name = m.FirstAttr.FontName;
  const std::string value(name);
  EmitUnlessRepeated(m, kFreshFontName, m.CurAttr.FontName, value, kFontKeyword, value);
}

void EmitZFlags(TJwwModel& m, std::int32_t flags) {
  if (flags & 1) AddOutputLine(m, "z1");
  if (flags & 2) AddOutputLine(m, "z2");
  if (flags & 4) AddOutputLine(m, "z3");
  if ((flags & 8) && !(flags & 16)) AddOutputLine(m, "z4");
  if (flags & 16) AddOutputLine(m, "z5");
}

bool TakesText(std::string_view text, double dx, double dy) {
  if (std::fabs(dx) < 1e-8 && std::fabs(dy) < 1e-8) return false;
  return !rupena::text::StripBlanks(text).empty();
}

void EmitText(TJwwModel& m, std::int32_t kind, std::string_view text, double x, double y, double dx, double dy) {
  if (!TakesText(text, dx, dy)) return;
  const bool known = kind >= 0 && kind < static_cast<std::int32_t>(std::size(kTextKeywords));
  std::string line(known ? kTextKeywords[kind] : kTextKeywords[0]);
  AppendReals(line, {x, y, dx, dy});
  line += " \"";
  AddOutputLine(m, line);
  AddOutputLine(m, text);
}

void EmitPlainLine(TJwwModel& m, double x1, double y1, double x2, double y2) {
  std::string line;
  AppendReals(line, {x1, y1, x2, y2});
  AddOutputLine(m, line);
}

std::string ExchangeFileBytes(const TJwwModel& m) {
  const BlockTable<std::string>& lines = m.OutputLines;
  const auto count = static_cast<std::size_t>(lines.Count());
  if (count == 0) return "hq\r\n";
  std::string bytes;
  for (std::size_t i = 0; i < count; ++i) {
    const std::string& line = lines[i];
    bytes += line;
    // A text command ends in its opening quote and its text follows on the
    // next entry; the host wants both on one line. A font line ends in a
    // quote only when the name does: joined, it would swallow the command
    // after it, losing that text and spoiling the font.
    const bool opensText = !line.empty() && line.back() == '"' && !line.starts_with(kFontKeyword);
    if (opensText && i + 1 < count) {
      bytes += lines[++i];
    } else if (opensText) {
      continue;  // a last line ending in a quote gets no line end
    }
    bytes += "\r\n";
  }
  return bytes;
}

bool WriteExchangeFile(const TJwwModel& m, const std::filesystem::path& path) {
  std::string bytes;
  try {
    bytes = ExchangeFileBytes(m);
  } catch (...) {
    return false;
  }
  return ReplaceFileContents(path, bytes);
}

}  // namespace JwwGaibu
