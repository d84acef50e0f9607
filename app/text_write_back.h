// The write-back of every text the host handed over besides the one that is
// split.
//
// A file that begins with "hd" makes the host delete every figure it handed
// over, not only the picked text, and then draw the file. So whatever the
// user picked besides that text has to come back in the file, as the host
// wrote it. The host hands over texts only; figures of other kinds that the
// drawing may hold are not written back.
#pragma once

#include <cstddef>

#include "exchange/drawing.h"
#include "exchange/exchange_writer.h"

namespace rupena::app {

// The attribute lines a command of `text` needs: layer group and layer, the
// text type (for free size its own width, height, spacing and colour), base
// point 0, as the start point is what is written, and the font. The writer
// leaves out what repeats the last written value.
void EmitTextAttributes(exchange::ExchangeWriter& writer, const exchange::TextRecord& text);

// Re-creates, in the order the host handed them over, every text of
// `drawing` but the text table's record `picked`:
// - a text: EmitTextAttributes, then its z lines and its command;
// - a dimension figure: "msg"; its line's layer group, layer, colour, type,
//   width and z lines; the line as a plain line; the record's own colour,
//   type and width; its value as a text as above, with the keyword "cs";
//   "#". Read back, it gives the same record.
// A text whose command the writer refuses is not written, and neither are
// its z lines: the host would hand them on to the next figure it reads. A
// dimension whose value the writer refuses keeps its line, written as a
// plain line without "msg" and "#", since a held line with no value after it
// draws nothing.
void WriteBackOtherTexts(exchange::ExchangeWriter& writer, const exchange::Drawing& drawing,
                         std::size_t picked);

// How many texts WriteBackOtherTexts writes.
int KeptTextCount(const exchange::Drawing& drawing, std::size_t picked);

}  // namespace rupena::app
