// The dump of `rupena-cli dump`: what reading a file gave, as one line of
// JSON. Scripts read it, so its keys and their order are an interface:
// strings are written as the hex of their bytes, reals in their shortest
// round-trip form.
#pragma once

#include <string>

#include "exchange/drawing.h"
#include "exchange/reader_state.h"

namespace rupena::tools {

// `loaded` is what reading returned; `state` what the reader carried on
// after the last line.
std::string DumpJson(const exchange::Drawing& drawing, const exchange::ReaderState& state,
                     bool loaded);

}  // namespace rupena::tools
