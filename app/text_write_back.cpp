#include "app/text_write_back.h"

namespace rupena::app {

using namespace exchange;

namespace {

bool Takes(const TextRecord& text) {
  return TakesText(text.text, text.directionX, text.directionY);
}

// The text of an order entry, unless it is the picked text or no text.
const TextRecord* OtherText(const Drawing& d, const OrderEntry& entry, std::size_t picked) {
  const auto index = static_cast<std::size_t>(entry.index);
  if (entry.kind == EntityKind::kText && index != picked) return &d.texts[index];
  if (entry.kind == EntityKind::kDimension) return &d.dimensions[index].value;
  return nullptr;
}

template <typename Visit>
void ForEachEntity(const Drawing& d, Visit visit) {
  for (std::size_t i = 0; i < d.entityOrder.size(); ++i) visit(d.entityOrder[i]);
}

void EmitLineAttributes(ExchangeWriter& w, const EntityHeader& head) {
  w.EmitLayerGroup(head.layerGroup);
  w.EmitLayer(head.layer);
  w.EmitLineColor(head.color);
  w.EmitLineType(head.lineType);
  w.EmitLineWidth(head.lineWidth);
}

void WriteBackText(ExchangeWriter& w, const TextRecord& text) {
  EmitTextAttributes(w, text);
  if (!Takes(text)) return;
  w.EmitZFlags(text.zFlags);
  w.EmitText(text.textKind, text.text, text.x, text.y, text.directionX, text.directionY);
}

void WriteBackDimension(ExchangeWriter& w, const DimensionRecord& dimension) {
  const LineRecord& line = dimension.line;
  const bool withValue = Takes(dimension.value);
  if (withValue) w.AddLine("msg");
  EmitLineAttributes(w, line);
  w.EmitZFlags(line.zFlags);
  w.EmitPlainLine(line.x1, line.y1, line.x2, line.y2);
  if (!withValue) return;
  // the value may come under another colour, type or width than its line
  EmitLineAttributes(w, dimension);
  WriteBackText(w, dimension.value);
  w.AddLine("#");
}

}  // namespace

void EmitTextAttributes(ExchangeWriter& w, const TextRecord& text) {
  w.EmitLayerGroup(text.layerGroup);
  w.EmitLayer(text.layer);
  w.EmitTextType(text.textType, text.color, text.charWidth, text.charHeight, text.charSpacing);
  w.EmitBasePoint(0);
  w.EmitFontName(text.fontName);
}

void WriteBackOtherTexts(ExchangeWriter& w, const Drawing& d, std::size_t picked) {
  ForEachEntity(d, [&](const OrderEntry& entry) {
    if (entry.kind == EntityKind::kDimension) {
      WriteBackDimension(w, d.dimensions[static_cast<std::size_t>(entry.index)]);
    } else if (const TextRecord* text = OtherText(d, entry, picked)) {
      WriteBackText(w, *text);
    }
  });
}

int KeptTextCount(const Drawing& d, std::size_t picked) {
  int count = 0;
  ForEachEntity(d, [&](const OrderEntry& entry) {
    const TextRecord* text = OtherText(d, entry, picked);
    if (text != nullptr && Takes(*text)) ++count;
  });
  return count;
}

}  // namespace rupena::app
