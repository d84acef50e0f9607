#include "app/separated_output.h"

#include "app/text_write_back.h"

namespace rupena::app {

void EmitSeparatedText(exchange::ExchangeWriter& writer, const exchange::Drawing& drawing,
                       std::size_t picked, std::span<const PlacedCharacter> characters) {
  const exchange::FirstAttributes& first = drawing.firstAttributes;
  const exchange::TextRecord& text = drawing.texts[picked];

  writer.AddLine("hd");
  if (drawing.paperCoordinates) writer.AddLine("bz");

  writer.EmitLayerGroup(first.layerGroup);
  writer.EmitLayer(first.layer);
  writer.EmitLineColor(first.lineColor);
  writer.EmitPointColor(first.lineColor);
  writer.EmitLineType(first.lineType);
  writer.EmitLineWidth(first.lineWidth);

  EmitTextAttributes(writer, text);
  for (const PlacedCharacter& c : characters) {
    if (!c.written) continue;
    writer.EmitZFlags(text.zFlags);
    writer.EmitText(text.textKind, c.bytes, c.x, c.y, text.directionX, text.directionY);
  }

  WriteBackOtherTexts(writer, drawing, picked);
}

}  // namespace rupena::app
