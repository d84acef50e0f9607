#include "app/text_write_back.h"

#include <cstddef>

#include "exchange/exchange_writer.h"

namespace rupena::app {

using namespace JwwGaibu;

namespace {

bool Takes(const TJwwEntText& text) { return TakesText(text.Text, text.DirX, text.DirY); }

// The text of an order entry, unless it is the picked text or no text.
const TJwwEntText* OtherText(const TJwwModel& m, const TJwwOrder& entry) {
  const auto index = static_cast<std::size_t>(entry.Index);
  if (entry.Kind == kKindText && index > 0) return &m.Texts[index];
  if (entry.Kind == kKindMsgText) return &m.MsgTexts[index].Text;
  return nullptr;
}

template <typename Visit>
void ForEachEntity(const TJwwModel& m, Visit visit) {
  const BlockTable<TJwwOrder>& order = m.EntityOrder;
  for (std::size_t i = 0; i < static_cast<std::size_t>(order.Count()); ++i) visit(order[i]);
}

void EmitLineAttributes(TJwwModel& m, const TJwwEntHead& head) {
  EmitLayerGroup(m, head.LayerGroup);
  EmitLayer(m, head.Layer);
  EmitLineColor(m, head.Color, 0);
  EmitLineType(m, head.LineType, 0);
  EmitLineWidth(m, head.LineWidth);
}

void WriteBackText(TJwwModel& m, const TJwwEntText& text) {
  EmitTextAttributes(m, text);
  EmitTextCommand(m, text, text.Text, text.X1, text.Y1);
}

void WriteBackDimension(TJwwModel& m, const TJwwEntMsgText& dimension) {
  const TJwwEntLine& line = dimension.Line;
  const bool withValue = Takes(dimension.Text);
  if (withValue) AddOutputLine(m, "msg");
  EmitLineAttributes(m, line);
  EmitZFlags(m, line.ZFlags);
  EmitPlainLine(m, line.X1, line.Y1, line.X2, line.Y2);
  if (!withValue) return;
  // the value may come under another colour, type or width than its line
  EmitLineAttributes(m, dimension);
  WriteBackText(m, dimension.Text);
  AddOutputLine(m, "#");
}

}  // namespace

void EmitTextAttributes(TJwwModel& m, const TJwwEntText& text) {
  EmitLayerGroup(m, text.LayerGroup);
  EmitLayer(m, text.Layer);
  EmitTextType(m, text.TextType, text.Color, 0, text.CharWidth, text.CharHeight, text.CharSpacing);
  EmitCharStyle(m, 0);
  EmitFontName(m, text.FontName);
}

void EmitTextCommand(TJwwModel& m, const TJwwEntText& text, std::string_view chars, double x,
                     double y) {
  if (!TakesText(chars, text.DirX, text.DirY)) return;
  EmitZFlags(m, text.ZFlags);
  EmitText(m, text.TextKind, chars, x, y, text.DirX, text.DirY);
}

void WriteBackOtherTexts(TJwwModel& m) {
  ForEachEntity(m, [&m](const TJwwOrder& entry) {
    const auto index = static_cast<std::size_t>(entry.Index);
    if (entry.Kind == kKindMsgText) {
      WriteBackDimension(m, m.MsgTexts[index]);
    } else if (const TJwwEntText* text = OtherText(m, entry)) {
      WriteBackText(m, *text);
    }
  });
}

int KeptTextCount(const TJwwModel& m) {
  int count = 0;
  ForEachEntity(m, [&m, &count](const TJwwOrder& entry) {
    const TJwwEntText* text = OtherText(m, entry);
    if (text != nullptr && Takes(*text)) ++count;
  });
  return count;
}

}  // namespace rupena::app
