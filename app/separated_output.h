// What OK writes: the picked text as one text command per character, at the
// places the character layout gives, and every other handed-over text after
// them.
#pragma once

#include <cstddef>
#include <span>

#include "app/character_layout.h"
#include "exchange/drawing.h"
#include "exchange/exchange_writer.h"

namespace rupena::app {

// Emits, in this order: "hd" (the host deletes what it handed over and
// draws what follows), "bz" when the host's file had it, the drawing's first
// attributes, the attributes and font of the text table's record `picked`,
// the z lines and command of each written character of `characters` (as
// PlaceCharacters gives them for that text), and then every other
// handed-over text (WriteBackOtherTexts). `picked` must be a record of the
// drawing's text table.
void EmitSeparatedText(exchange::ExchangeWriter& writer, const exchange::Drawing& drawing,
                       std::size_t picked, std::span<const PlacedCharacter> characters);

}  // namespace rupena::app
