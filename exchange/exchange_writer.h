// Turns output requests into exchange-file command lines, suppressing
// attribute lines that repeat what was written last, and writes the
// collected lines as the new exchange file.
//
// A writer starts with nothing written: the first request of each attribute
// is written whatever its value. Afterwards a request is written only when
// its value differs from the one written last. Lines are kept whole.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "exchange/drawing.h"
#include "exchange/records.h"

namespace rupena::exchange {

// How a colour or line-type number of a request is written: as given, or
// first translated into the host's output numbering (MapColorNumber,
// MapLineTypeNumber).
enum class Numbering { kAsGiven, kMapped };

// The output numbering of colours: n <= 0 is the file's first line colour,
// 1..9 stay, 10 and above become 101 and above.
std::int32_t MapColorNumber(const FirstAttributes& first, std::int32_t n) noexcept;
// Of line types: n <= 0 is the file's first line type, 1..9 stay, 10..18
// become 11..19, 19 and above 31 and above.
std::int32_t MapLineTypeNumber(const FirstAttributes& first, std::int32_t n) noexcept;

// Whether EmitText writes a command: false for a direction vector with both
// components below 1e-8 in magnitude, or for a text made only of blanks and
// control characters.
bool TakesText(std::string_view text, double dx, double dy);

class ExchangeWriter {
 public:
  // The drawing gives the fallbacks of the first attributes and whether the
  // host's file had line widths at all; the writer keeps a copy of both.
  explicit ExchangeWriter(const Drawing& drawing);

  // Appends `line` as it is: "hd", "bz", "msg", "#".
  void AddLine(std::string_view line);

  // "lg" + hexadecimal group; writing it also forces the next EmitLayer.
  void EmitLayerGroup(std::int32_t group);
  // "ly" + hexadecimal layer.
  void EmitLayer(std::int32_t layer);
  // "lc" + colour.
  void EmitLineColor(std::int32_t color, Numbering numbering = Numbering::kAsGiven);
  // "pn" + colour, with a memory of its own.
  void EmitPointColor(std::int32_t color, Numbering numbering = Numbering::kAsGiven);
  // "lt" + type.
  void EmitLineType(std::int32_t type, Numbering numbering = Numbering::kAsGiven);
  // "lw" + width, only when the host's file had a line width at all. -1
  // means the file's first width; outside 0..30000 becomes 0.
  void EmitLineWidth(std::int32_t width);
  // "cn" + type, or "cn0 w h d colour" for free size. A type outside 0..10
  // means the file's first text type (and its free size when that is 0).
  void EmitTextType(std::int32_t type, std::int32_t color, double width, double height,
                    double spacing, Numbering numbering = Numbering::kAsGiven);
  // "cc" + base point; outside 0..8 becomes 0.
  void EmitBasePoint(std::int32_t basePoint);
  // cn"$ + name; "" and "<>" mean the file's first font name.
  void EmitFontName(std::string_view name);
  // One "z1".."z5" line per set bit; "z4" only when "z5" is not set.
  void EmitZFlags(std::int32_t flags);
  // The text command: keyword, x y dx dy, a blank, a double quote and the
  // text, as one line. Writes nothing unless TakesText holds.
  void EmitText(std::int32_t kind, std::string_view text, double x, double y, double dx, double dy);
  // A line without a keyword, as the host writes it: a blank, then the four
  // coordinates x1 y1 x2 y2.
  void EmitPlainLine(double x1, double y1, double x2, double y2);

  const std::vector<std::string>& Lines() const noexcept { return lines_; }

  // The lines as the file's bytes: each ended by CR LF; "hq" alone when
  // there are none, which tells the host that nothing was done.
  std::string FileBytes() const;

  // Replaces the file at `path` with FileBytes(), as ReplaceFileContents
  // does: crash-safe, and no error unless the file is exactly as it was.
  std::error_code WriteFile(const std::filesystem::path& path) const;

 private:
  // What was written last of each attribute.
  struct Written : AttributeValues {
    std::int32_t basePoint = 0;
    std::string fontName{kDefaultFontName};
    std::int32_t pointColor = 1;
  };

  template <typename V>
  bool EmitUnlessRepeated(Attribute attribute, V& last, const V& value, std::string_view keyword,
                          std::string_view text);
  bool& IsWritten(Attribute attribute) noexcept {
    return written_[static_cast<std::size_t>(attribute)];
  }

  FirstAttributes first_;
  bool hasLineWidths_;
  Written last_;
  std::array<bool, kAttributeCount> written_{};  // false: not written yet
  std::vector<std::string> lines_;
};

}  // namespace rupena::exchange
