#include "exchange/exchange_writer.h"

#include <charconv>
#include <cmath>
#include <initializer_list>
#include <string>

#include "exchange/file_replace.h"
#include "textutil/number_format.h"
#include "textutil/shift_jis.h"

namespace rupena::exchange {

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

// Each value after a blank, in the general number format.
void AppendReals(std::string& line, std::initializer_list<double> values) {
  for (const double v : values) {
    line += ' ';
    line += text::FormatGeneral(v);
  }
}

constexpr std::string_view kFontKeyword = "cn\"$";

constexpr std::string_view kTextKeywords[] = {"ch", "cv", "cs", "cr", "co",
                                              "cp", "ct", "ck", "cz", "c2"};

}  // namespace

std::int32_t MapColorNumber(const FirstAttributes& first, std::int32_t n) noexcept {
  if (n <= 0) return first.lineColor;
  if (n <= 9) return n;
  // 10 -> 101; saturates rather than overflowing near INT32_MAX
  return n > INT32_MAX - 91 ? INT32_MAX : n + 91;
}

std::int32_t MapLineTypeNumber(const FirstAttributes& first, std::int32_t n) noexcept {
  if (n <= 0) return first.lineType;
  if (n <= 9) return n;
  if (n <= 18) return n + 1;
  return n > INT32_MAX - 12 ? INT32_MAX : n + 12;
}

bool TakesText(std::string_view text, double dx, double dy) {
  if (std::fabs(dx) < 1e-8 && std::fabs(dy) < 1e-8) return false;
  return !text::StripBlanks(text).empty();
}

ExchangeWriter::ExchangeWriter(const Drawing& drawing)
    : first_(drawing.firstAttributes), hasLineWidths_(drawing.hasLineWidths) {}

void ExchangeWriter::AddLine(std::string_view line) { lines_.emplace_back(line); }

// Writes `keyword + text` unless the attribute was written before with the
// same value; afterwards the attribute counts as written with `value`.
// Returns whether a line was written.
template <typename V>
bool ExchangeWriter::EmitUnlessRepeated(Attribute attribute, V& last, const V& value,
                                        std::string_view keyword, std::string_view text) {
  bool& written = IsWritten(attribute);
  if (written && last == value) return false;
  std::string line(keyword);
  line += text;
  lines_.push_back(std::move(line));
  last = value;
  written = true;
  return true;
}

void ExchangeWriter::EmitLayerGroup(std::int32_t group) {
  // a layer number means nothing without its group: repeat it after a new one
  if (EmitUnlessRepeated(Attribute::kLayerGroup, last_.layerGroup, group, "lg", Hexadecimal(group))) {
    IsWritten(Attribute::kLayer) = false;
  }
}

void ExchangeWriter::EmitLayer(std::int32_t layer) {
  EmitUnlessRepeated(Attribute::kLayer, last_.layer, layer, "ly", Hexadecimal(layer));
}

void ExchangeWriter::EmitLineColor(std::int32_t color, Numbering numbering) {
  if (numbering == Numbering::kMapped) color = MapColorNumber(first_, color);
  EmitUnlessRepeated(Attribute::kLineColor, last_.lineColor, color, "lc", Decimal(color));
}

void ExchangeWriter::EmitPointColor(std::int32_t color, Numbering numbering) {
  if (numbering == Numbering::kMapped) color = MapColorNumber(first_, color);
  EmitUnlessRepeated(Attribute::kPointColor, last_.pointColor, color, "pn", Decimal(color));
}

void ExchangeWriter::EmitLineType(std::int32_t type, Numbering numbering) {
  if (numbering == Numbering::kMapped) type = MapLineTypeNumber(first_, type);
  EmitUnlessRepeated(Attribute::kLineType, last_.lineType, type, "lt", Decimal(type));
}

void ExchangeWriter::EmitLineWidth(std::int32_t width) {
  if (!hasLineWidths_) return;
  if (width == -1) width = first_.lineWidth;
  if (width < 0 || width > 30000) width = 0;
  EmitUnlessRepeated(Attribute::kLineWidth, last_.lineWidth, width, "lw", Decimal(width));
}

void ExchangeWriter::EmitTextType(std::int32_t type, std::int32_t color, double width,
                                  double height, double spacing, Numbering numbering) {
  if (numbering == Numbering::kMapped) color = MapColorNumber(first_, color);
  if (type < 0 || type > 10) {
    type = first_.textType;
    if (type == 0) {
      width = first_.freeWidth;
      height = first_.freeHeight;
      spacing = first_.freeSpacing;
      color = first_.freeColor;
    }
  }
  bool& written = IsWritten(Attribute::kTextType);
  // Reals compare exactly: any change of a free size is written.
  const bool freeSizeChanged = type == 0 && (width != last_.freeWidth || height != last_.freeHeight ||
                                             spacing != last_.freeSpacing || color != last_.freeColor);
  if (written && type == last_.textType && !freeSizeChanged) return;
  if (type == 0) {
    std::string line = "cn0";
    AppendReals(line, {width, height, spacing});
    line += ' ';
    line += Decimal(color);
    lines_.push_back(std::move(line));
    last_.freeWidth = width;
    last_.freeHeight = height;
    last_.freeSpacing = spacing;
    last_.freeColor = color;
  } else {
    lines_.push_back("cn" + Decimal(type));
  }
  last_.textType = type;
  written = true;
}

void ExchangeWriter::EmitBasePoint(std::int32_t basePoint) {
  if (basePoint < 0 || basePoint > 8) basePoint = 0;
  EmitUnlessRepeated(Attribute::kBasePoint, last_.basePoint, basePoint, "cc", Decimal(basePoint));
}

void ExchangeWriter::EmitFontName(std::string_view name) {
  if (name.empty() || name == "<>") name = first_.fontName;
  const std::string value(name);
  EmitUnlessRepeated(Attribute::kFontName, last_.fontName, value, kFontKeyword, value);
}

void ExchangeWriter::EmitZFlags(std::int32_t flags) {
  if (flags & 1) AddLine("z1");
  if (flags & 2) AddLine("z2");
  if (flags & 4) AddLine("z3");
  if ((flags & 8) && !(flags & 16)) AddLine("z4");
  if (flags & 16) AddLine("z5");
}

void ExchangeWriter::EmitText(std::int32_t kind, std::string_view text, double x, double y,
                              double dx, double dy) {
  if (!TakesText(text, dx, dy)) return;
  const bool known = kind >= 0 && kind < static_cast<std::int32_t>(std::size(kTextKeywords));
  std::string line(known ? kTextKeywords[kind] : kTextKeywords[0]);
  AppendReals(line, {x, y, dx, dy});
  line += " \"";
  line += text;
  lines_.push_back(std::move(line));
}

void ExchangeWriter::EmitPlainLine(double x1, double y1, double x2, double y2) {
  std::string line;
  AppendReals(line, {x1, y1, x2, y2});
  lines_.push_back(std::move(line));
}

std::string ExchangeWriter::FileBytes() const {
  if (lines_.empty()) return "hq\r\n";
  std::size_t size = 0;
  for (const std::string& line : lines_) size += line.size() + 2;
  std::string bytes;
  bytes.reserve(size);
  for (const std::string& line : lines_) {
    bytes += line;
    bytes += "\r\n";
  }
  return bytes;
}

std::error_code ExchangeWriter::WriteFile(const std::filesystem::path& path) const {
  std::string bytes;
  try {
    bytes = FileBytes();
  } catch (...) {
    return std::make_error_code(std::errc::not_enough_memory);
  }
  return ReplaceFileContents(path, bytes);
}

}  // namespace rupena::exchange
