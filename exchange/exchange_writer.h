// Turns output requests into exchange-file command lines, suppressing
// attribute lines that repeat what was written last, and writes the
// collected lines as the new exchange file.
//
// Every operation works on the model it is given. The writer's memory is the
// model's CurAttr and AttrFresh, as PrepareOutputState leaves them after
// loading: a set AttrFresh flag means "not written yet", so the first
// request of each attribute is written whatever its value. Every Emit...
// appends to the model's OutputLines; lines are cut to 255 bytes without
// regard to two-byte characters.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "exchange/drawing_model.h"

namespace JwwGaibu {

void AddOutputLine(TJwwModel& m, std::string_view text);

// "lg" + hexadecimal group; writing it also forces the next EmitLayer.
void EmitLayerGroup(TJwwModel& m, std::int32_t group);
// "ly" + hexadecimal layer.
void EmitLayer(TJwwModel& m, std::int32_t layer);
// "lc" + colour; mapped == 1 translates through MapColorNumber first.
void EmitLineColor(TJwwModel& m, std::int32_t color, std::int32_t mapped);
// "pn" + colour, with its own memory.
void EmitPointColor(TJwwModel& m, std::int32_t color, std::int32_t mapped);
// "lt" + type; mapped == 1 translates through MapLineTypeNumber first.
void EmitLineType(TJwwModel& m, std::int32_t type, std::int32_t mapped);
// "lw" + width, only when the host's file had a line width at all. -1 means
// the first width of the file; outside 0..30000 becomes 0.
void EmitLineWidth(TJwwModel& m, std::int32_t width);
// "cn" + type, or "cn0 w h d colour" for free size. A type outside 0..10
// means the file's first text type (and its free size when that is 0).
void EmitTextType(TJwwModel& m, std::int32_t type, std::int32_t color, std::int32_t mapped,
                  double width, double height, double spacing);
// "cc" + style; outside 0..8 becomes 0.
void EmitCharStyle(TJwwModel& m, std::int32_t style);
// cn"$ + name; "" and "<>" mean the file's first font name.
void EmitFontName(TJwwModel& m, std::string_view name);
// One "z1".."z5" line per set bit; "z4" only when "z5" is not set.
void EmitZFlags(TJwwModel& m, std::int32_t flags);
// A text command as two lines, the command ending in a blank and a double
// quote, then the text, which the file writer joins. Writes nothing unless
// TakesText holds.
void EmitText(TJwwModel& m, std::int32_t kind, std::string_view text, double x, double y, double dx,
              double dy);
// Whether EmitText writes a command: false for a direction vector with both
// components below 1e-8 in magnitude, or for a text made only of blanks and
// control characters.
bool TakesText(std::string_view text, double dx, double dy);
// A line without a keyword, as the host writes it: a blank, then the four
// coordinates x1 y1 x2 y2.
void EmitPlainLine(TJwwModel& m, double x1, double y1, double x2, double y2);

// The collected lines as the file's bytes: CR LF line ends, a line ending in
// a double quote joined with the one after it, "hq" alone for an empty list.
std::string ExchangeFileBytes(const TJwwModel& m);

// Replaces the file at `path` with ExchangeFileBytes(). Crash-safe: the file
// is either the complete output or exactly as it was before (absent if it
// was absent). Returns false on failure; the output list is unchanged.
bool WriteExchangeFile(const TJwwModel& m, const std::filesystem::path& path);

}  // namespace JwwGaibu
