// The reader's rules: what each line of the exchange file does to the
// drawing, tried in a fixed order.
#pragma once

#include "exchange/drawing.h"
#include "exchange/field_cutter.h"
#include "exchange/reader_state.h"

namespace rupena::exchange {

// Applies one cut line: the first rule whose test holds takes it; a line no
// rule takes changes nothing. Throws only std::bad_alloc, and only before a
// figure is stored, so neither the drawing nor the state is left with half a
// figure.
void ApplyLine(Drawing& drawing, ReaderState& state, const FieldCutter& fields);

}  // namespace rupena::exchange
