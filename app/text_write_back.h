// The texts of the output: the command of one text with what it needs
// before it, and the write-back of every handed-over text besides the
// picked one.
//
// A file that begins with "hd" makes the host delete every figure it handed
// over, not only the picked text, and then draw the file. So whatever the
// user picked besides that text has to come back in the file, as the host
// wrote it. The host hands over texts only; figures of other kinds that the
// model may hold are not written back.
//
// Works on a drawing model after loading, through the exchange module's
// writer.
#pragma once

#include <string_view>

#include "exchange/drawing_model.h"

namespace rupena::app {

// The attribute lines a command of `text` needs: layer group and layer, the
// text type (for free size its own width, height, spacing and colour),
// character style 0, as the start point is what is written, and the font.
// The writer leaves out what repeats the last written value.
void EmitTextAttributes(JwwGaibu::TJwwModel& model, const JwwGaibu::TJwwEntText& text);

// `chars` as a command of the kind and direction of `text` at (x, y), after
// the z lines of `text`. When the writer refuses the command (zero
// direction, blanks only) the z lines are left out as well: the host would
// hand them on to the next figure it reads.
void EmitTextCommand(JwwGaibu::TJwwModel& model, const JwwGaibu::TJwwEntText& text,
                     std::string_view chars, double x, double y);

// Re-creates, in the order the host handed them over, every text of
// `model` but record 0 of the text table:
// - a text: EmitTextAttributes, then EmitTextCommand with its own text;
// - a dimension figure (message-mode text): "msg"; its line's layer group,
//   layer, colour, type, width and z lines; the line as a plain line; the
//   record's own colour, type and width; its value as a text as above, with
//   the keyword "cs"; "#". Read back, it gives the same record.
// A text whose command the writer refuses is not written. A dimension whose
// value the writer refuses keeps its line, written as a plain line without
// "msg" and "#", since a held line with no value after it draws nothing.
void WriteBackOtherTexts(JwwGaibu::TJwwModel& model);

// How many texts WriteBackOtherTexts writes.
int KeptTextCount(const JwwGaibu::TJwwModel& model);

}  // namespace rupena::app
